// What saving would change: every element text and attribute value that
// differs between the file and the document, so that nothing a page writes
// reaches the file unseen.
//
// The two trees are walked once. A path is spelled out only for a change,
// from the steps that lead to it, and a long one is shortened in its middle:
// an item of deeply nested elements with long names costs what reading it
// costs, not its depth times the length of its names for every element.

#include <algorithm>
#include <map>
#include <unordered_map>

#include "tidewise/host/session.h"
#include "tidewise/xml/xml.h"

namespace tw::host {

namespace {

std::string_view view(const xmlChar* s) {
  return s ? reinterpret_cast<const char*>(s) : "";
}

std::string qualified_name(const xmlNode* node) {
  std::string name;
  if (node->ns != nullptr && node->ns->prefix != nullptr) {
    name = std::string(view(node->ns->prefix)) + ":";
  }
  return name + std::string(view(node->name));
}

std::string attribute_name(const xmlAttr* a) {
  std::string name;
  if (a->ns != nullptr && a->ns->prefix != nullptr) name = std::string(view(a->ns->prefix)) + ":";
  return name + std::string(view(a->name));
}

std::string attribute_value(const xmlAttr* a) {
  std::string text;
  for (const xmlNode* child = a->children; child != nullptr; child = child->next) {
    if (child->type == XML_TEXT_NODE) text += view(child->content);
  }
  return text;
}

bool has_element_children(const xmlNode* element) {
  for (const xmlNode* child = element->children; child != nullptr; child = child->next) {
    if (child->type == XML_ELEMENT_NODE) return true;
  }
  return false;
}

bool blank(std::string_view text) {
  return text.find_first_not_of(" \t\r\n") == std::string_view::npos;
}

// An element's value: its own text. Beside child elements, text made only of
// white space is the file's layout and no value.
std::optional<std::string> value_of(const xmlNode* element) {
  std::string text;
  for (const xmlNode* child = element->children; child != nullptr; child = child->next) {
    if (child->type == XML_TEXT_NODE || child->type == XML_CDATA_SECTION_NODE) {
      text += view(child->content);
    }
  }
  if (has_element_children(element) && blank(text)) return std::nullopt;
  return text;
}

std::vector<std::pair<std::string, std::string>> attributes_of(const xmlNode* element) {
  std::vector<std::pair<std::string, std::string>> attributes;
  if (element == nullptr) return attributes;
  for (const xmlAttr* a = element->properties; a != nullptr; a = a->next) {
    attributes.emplace_back(attribute_name(a), attribute_value(a));
  }
  return attributes;
}

std::vector<const xmlNode*> child_elements(const xmlNode* element) {
  std::vector<const xmlNode*> children;
  if (element == nullptr) return children;
  for (const xmlNode* child = element->children; child != nullptr; child = child->next) {
    if (child->type == XML_ELEMENT_NODE) children.push_back(child);
  }
  return children;
}

// Whether two elements have the same value, without making either when
// each is one text alone, as most are.
bool same_value(const xmlNode* before, const xmlNode* after) {
  const auto single_text = [](const xmlNode* element) -> const xmlNode* {
    const xmlNode* child = element->children;
    return child != nullptr && child->next == nullptr && child->type == XML_TEXT_NODE ? child
                                                                                      : nullptr;
  };
  const xmlNode* old_text = single_text(before);
  const xmlNode* new_text = single_text(after);
  if (old_text != nullptr && new_text != nullptr) {
    return view(old_text->content) == view(new_text->content);
  }
  return value_of(before).value_or("") == value_of(after).value_or("");
}

// An element's name as a review spells it, without making it: its prefix
// and its local name.
struct Name {
  std::string_view prefix;
  std::string_view local;
  friend bool operator==(const Name&, const Name&) = default;
  static Name of(const xmlNode* node) {
    return {node->ns != nullptr ? view(node->ns->prefix) : std::string_view(), view(node->name)};
  }
  std::string spelled() const {
    return prefix.empty() ? std::string(local) : std::string(prefix) + ":" + std::string(local);
  }
};
struct NameHash {
  std::size_t operator()(const Name& name) const {
    const std::hash<std::string_view> hash;
    return hash(name.local) * 31 + hash(name.prefix);
  }
};

// The length of the longest start of `text` no longer than `most` bytes that
// ends between two UTF-8 characters; and of the longest such end.
std::size_t utf8_head(std::string_view text, std::size_t most) {
  if (text.size() <= most) return text.size();
  while (most > 0 && (static_cast<unsigned char>(text[most]) & 0xC0) == 0x80) --most;
  return most;
}
std::size_t utf8_tail(std::string_view text, std::size_t most) {
  if (text.size() <= most) return text.size();
  std::size_t start = text.size() - most;
  while (start < text.size() && (static_cast<unsigned char>(text[start]) & 0xC0) == 0x80) ++start;
  return text.size() - start;
}

constexpr std::size_t kMostPathBytes = 2048;
constexpr std::size_t kHeadBytes = 512;
constexpr std::size_t kTailBytes = 1024;

}  // namespace

// "dataIdInfo/searchKeys/keyword[2]", ".../RestrictCd@value"; past
// kMostPathBytes, its start and its end around "…", so that a review stays
// linear and its answer bounded.
std::string spell_path(std::string_view root, std::span<const PathStep> steps,
                       std::string_view attribute) {
  std::vector<std::string> numbers;
  numbers.reserve(steps.size());
  std::vector<std::string_view> parts{root};
  for (std::size_t i = 0; i < steps.size(); ++i) {
    if (i > 0 || !root.empty()) parts.emplace_back("/");
    if (!steps[i].prefix.empty()) {
      parts.push_back(steps[i].prefix);
      parts.emplace_back(":");
    }
    parts.push_back(steps[i].local);
    numbers.push_back(steps[i].number > 0 ? "[" + std::to_string(steps[i].number) + "]"
                                          : std::string());
    parts.push_back(numbers.back());
  }
  if (!attribute.empty()) {
    parts.emplace_back("@");
    parts.push_back(attribute);
  }
  std::size_t total = 0;
  for (const std::string_view part : parts) total += part.size();
  std::string head, tail;
  // A few bytes more than shown, to find where a character begins.
  const std::size_t head_bytes = total <= kMostPathBytes ? total : kHeadBytes + 4;
  const std::size_t tail_from = total <= kMostPathBytes ? total : total - kTailBytes - 4;
  std::size_t offset = 0;
  for (const std::string_view part : parts) {
    if (offset < head_bytes) head.append(part.substr(0, head_bytes - offset));
    if (offset + part.size() > tail_from) {
      tail.append(part.substr(offset >= tail_from ? 0 : tail_from - offset));
    }
    offset += part.size();
  }
  if (total <= kMostPathBytes) return head;
  head.resize(utf8_head(head, kHeadBytes));
  return head + "\u2026" + tail.substr(tail.size() - utf8_tail(tail, kTailBytes));
}

namespace {

class Comparison {
 public:
  explicit Comparison(std::size_t most_listed) : most_listed_(most_listed) {}

  Review result;

  // `before` and `after` stand at the path the steps lead to; either may be
  // missing.
  void compare(const xmlNode* before, const xmlNode* after) {
    if (before != nullptr && after != nullptr) {
      if (!same_value(before, after)) {
        add(Difference::Change::Changed, {}, value_of(before).value_or(""),
            value_of(after).value_or(""));
      }
    } else if (after != nullptr) {
      if (const auto new_value = value_of(after); shown_alone(after, new_value)) {
        add(Difference::Change::Added, {}, std::nullopt, *new_value);
      }
    } else if (const auto old_value = value_of(before); shown_alone(before, old_value)) {
      add(Difference::Change::Removed, {}, *old_value, std::nullopt);
    }
    compare_attributes(before, after);
    compare_children(before, after);
  }

  // The path of the whole tree starts with "/NAME" when the roots differ.
  void start_at(std::string root) { root_ = std::move(root); }

 private:
  // Whether an element added or removed as a whole shows as a line of its
  // own: when it has a text, or when nothing inside it would show. A code
  // element shows through its attribute alone.
  static bool shown_alone(const xmlNode* element, const std::optional<std::string>& value) {
    if (!value) return false;
    return !value->empty() || (element->properties == nullptr && !has_element_children(element));
  }

  void add(Difference::Change change, std::string_view attribute, std::optional<std::string> before,
           std::optional<std::string> after) {
    if (result.changes.size() >= most_listed_) {
      ++result.more;
      return;
    }
    result.changes.push_back({change, path(attribute), std::move(before), std::move(after)});
  }

  std::string path(std::string_view attribute) const {
    return spell_path(root_, steps_, attribute);
  }

  // Whether two elements have the same attributes in the same order, as
  // most do, read in place.
  static bool same_attributes(const xmlNode* before, const xmlNode* after) {
    const xmlAttr* a = before->properties;
    const xmlAttr* b = after->properties;
    const auto text = [](const xmlAttr* attribute) -> std::optional<std::string_view> {
      const xmlNode* child = attribute->children;
      if (child == nullptr) return std::string_view();
      if (child->next != nullptr || child->type != XML_TEXT_NODE) return std::nullopt;
      return view(child->content);
    };
    for (; a != nullptr && b != nullptr; a = a->next, b = b->next) {
      const bool same_name =
          view(a->name) == view(b->name) &&
          (a->ns == nullptr ? b->ns == nullptr
                            : b->ns != nullptr && view(a->ns->prefix) == view(b->ns->prefix));
      const auto old_text = text(a);
      const auto new_text = text(b);
      if (!same_name || !old_text || !new_text || *old_text != *new_text) return false;
    }
    return a == nullptr && b == nullptr;
  }

  void compare_attributes(const xmlNode* before, const xmlNode* after) {
    if (before != nullptr && after != nullptr && same_attributes(before, after)) return;
    const auto old_attributes = attributes_of(before);
    const auto new_attributes = attributes_of(after);
    // By name, so that an element with many attributes costs no more than
    // its attributes.
    std::unordered_map<std::string_view, const std::string*> old_by_name, new_by_name;
    for (const auto& [name, value] : old_attributes) old_by_name.emplace(name, &value);
    for (const auto& [name, value] : new_attributes) new_by_name.emplace(name, &value);
    for (const auto& [name, value] : new_attributes) {
      const auto old = old_by_name.find(name);
      if (old == old_by_name.end()) {
        add(Difference::Change::Added, name, std::nullopt, value);
      } else if (*old->second != value) {
        add(Difference::Change::Changed, name, *old->second, value);
      }
    }
    for (const auto& [name, value] : old_attributes) {
      if (!new_by_name.contains(name)) add(Difference::Change::Removed, name, value, std::nullopt);
    }
  }

  // Children pair up by name and by their place among the children of that
  // name: the second "keyword" before with the second "keyword" after. Names
  // are views into the two trees, so that an element of 100,000 children
  // costs its children, not copies of their names.
  void compare_children(const xmlNode* before, const xmlNode* after) {
    if (before != nullptr && after != nullptr && compare_alike_children(before, after)) return;
    struct Group {
      std::vector<const xmlNode*> olds;
      std::size_t news = 0;
      std::size_t seen = 0;
    };
    std::unordered_map<Name, Group, NameHash> groups;
    for (const xmlNode* child : child_elements(before))
      groups[Name::of(child)].olds.push_back(child);
    const std::vector<const xmlNode*> new_children = child_elements(after);
    for (const xmlNode* child : new_children) ++groups[Name::of(child)].news;

    const auto descend = [&](const Name& name, const Group& group, std::size_t index,
                             const xmlNode* old_child, const xmlNode* new_child) {
      const std::size_t count = std::max(group.olds.size(), group.news);
      steps_.push_back({name.prefix, name.local, count > 1 ? index + 1 : 0});
      compare(old_child, new_child);
      steps_.pop_back();
    };
    for (const xmlNode* child : new_children) {
      const Name name = Name::of(child);
      Group& group = groups.find(name)->second;
      const std::size_t index = group.seen++;
      descend(name, group, index, index < group.olds.size() ? group.olds[index] : nullptr, child);
    }
    // What went, by name in the order of their spelling.
    std::vector<std::pair<std::string, const std::pair<const Name, Group>*>> gone;
    for (const auto& named : groups) {
      if (named.second.olds.size() > named.second.news) {
        gone.emplace_back(named.first.spelled(), &named);
      }
    }
    std::sort(gone.begin(), gone.end(),
              [](const auto& a, const auto& b) { return a.first < b.first; });
    for (const auto& [spelled, named] : gone) {
      const Group& group = named->second;
      for (std::size_t index = group.news; index < group.olds.size(); ++index) {
        descend(named->first, group, index, group.olds[index], nullptr);
      }
    }
  }

  // The common case, children of the same names in the same order on both
  // sides, in one pass without a map for every element: a child pairs with
  // the one at its place. False, having compared nothing, when the names
  // differ.
  bool compare_alike_children(const xmlNode* before, const xmlNode* after) {
    const xmlNode* old_child = before->children;
    const xmlNode* new_child = after->children;
    std::size_t count = 0;
    bool repeated = false;
    for (;;) {
      while (old_child != nullptr && old_child->type != XML_ELEMENT_NODE)
        old_child = old_child->next;
      while (new_child != nullptr && new_child->type != XML_ELEMENT_NODE)
        new_child = new_child->next;
      if (old_child == nullptr || new_child == nullptr) break;
      const Name name = Name::of(new_child);
      if (!(Name::of(old_child) == name)) return false;
      // A name seen before among few children, looked for among them.
      if (!repeated && count < kFewChildren) {
        for (const xmlNode* c = after->children; c != new_child; c = c->next) {
          if (c->type == XML_ELEMENT_NODE && Name::of(c) == name) repeated = true;
        }
      }
      ++count;
      old_child = old_child->next;
      new_child = new_child->next;
    }
    if (old_child != nullptr || new_child != nullptr) return false;
    // Numbers are given where a name repeats: counted when one does.
    std::unordered_map<Name, std::pair<std::size_t, std::size_t>, NameHash> numbers;
    if (repeated || count >= kFewChildren) {
      for (const xmlNode* c = after->children; c != nullptr; c = c->next) {
        if (c->type == XML_ELEMENT_NODE) ++numbers[Name::of(c)].first;
      }
    }
    old_child = before->children;
    for (const xmlNode* child = after->children; child != nullptr; child = child->next) {
      if (child->type != XML_ELEMENT_NODE) continue;
      while (old_child->type != XML_ELEMENT_NODE) old_child = old_child->next;
      const Name name = Name::of(child);
      std::size_t number = 0;
      if (!numbers.empty()) {
        auto& [total, seen] = numbers.find(name)->second;
        ++seen;
        if (total > 1) number = seen;
      }
      steps_.push_back({name.prefix, name.local, number});
      compare(old_child, child);
      steps_.pop_back();
      old_child = old_child->next;
    }
    return true;
  }

  static constexpr std::size_t kFewChildren = 16;

  std::size_t most_listed_;
  std::string root_;
  std::vector<PathStep> steps_;
};

}  // namespace

std::string_view to_string(Difference::Change change) {
  switch (change) {
    case Difference::Change::Added:
      return "added";
    case Difference::Change::Removed:
      return "removed";
    case Difference::Change::Changed:
      return "changed";
  }
  return "changed";
}

Review compare_documents(const xmlDoc& before, const xmlDoc& after, std::size_t most_listed) {
  const xmlNode* old_root = xmlDocGetRootElement(const_cast<xmlDoc*>(&before));
  const xmlNode* new_root = xmlDocGetRootElement(const_cast<xmlDoc*>(&after));
  Comparison comparison(most_listed);
  // Paths are below the root, as the pages write them; the root's own
  // attributes show as "@name".
  if (old_root != nullptr && new_root != nullptr &&
      qualified_name(old_root) == qualified_name(new_root)) {
    comparison.compare(old_root, new_root);
  } else {
    if (old_root != nullptr) {
      comparison.start_at("/" + qualified_name(old_root));
      comparison.compare(old_root, nullptr);
    }
    if (new_root != nullptr) {
      comparison.start_at("/" + qualified_name(new_root));
      comparison.compare(nullptr, new_root);
    }
  }
  return std::move(comparison.result);
}

std::vector<Conflict> conflicts_between(const Review& mine, const Review& theirs) {
  std::map<std::string_view, const Difference*> by_path;
  for (const Difference& d : theirs.changes) by_path.emplace(d.path, &d);
  std::vector<Conflict> conflicts;
  for (const Difference& d : mine.changes) {
    const auto found = by_path.find(d.path);
    if (found == by_path.end() || found->second->after == d.after) continue;
    conflicts.push_back({d.path, d.before, found->second->after, d.after});
  }
  return conflicts;
}

std::vector<Difference> differences(std::string_view before_xml, std::string_view after_xml) {
  const xml::DocPtr before = xml::parse_text(before_xml);
  const xml::DocPtr after = xml::parse_text(after_xml);
  return compare_documents(*before, *after).changes;
}

}  // namespace tw::host
