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

class Comparison {
 public:
  explicit Comparison(std::size_t most_listed) : most_listed_(most_listed) {}

  Review result;

  // `before` and `after` stand at the path the steps lead to; either may be
  // missing.
  void compare(const xmlNode* before, const xmlNode* after) {
    const auto old_value = before ? value_of(before) : std::nullopt;
    const auto new_value = after ? value_of(after) : std::nullopt;
    if (before != nullptr && after != nullptr) {
      if (old_value.value_or("") != new_value.value_or("")) {
        add(Difference::Change::Changed, {}, old_value.value_or(""), new_value.value_or(""));
      }
    } else if (after != nullptr) {
      if (shown_alone(after, new_value)) {
        add(Difference::Change::Added, {}, std::nullopt, *new_value);
      }
    } else if (shown_alone(before, old_value)) {
      add(Difference::Change::Removed, {}, *old_value, std::nullopt);
    }
    compare_attributes(before, after);
    compare_children(before, after);
  }

  // The path of the whole tree starts with "/NAME" when the roots differ.
  void start_at(std::string root) { root_ = std::move(root); }

 private:
  struct Step {
    std::string name;
    std::size_t number = 0;  // 1, 2...: shown as "[n]" when the name repeats
  };

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

  // "dataIdInfo/searchKeys/keyword[2]", ".../RestrictCd@value"; past
  // kMostPathBytes, its start and its end around "…", so that the walk stays
  // linear and the answer bounded.
  std::string path(std::string_view attribute) const {
    std::vector<std::string> numbers;
    numbers.reserve(steps_.size());
    std::vector<std::string_view> parts{root_};
    for (std::size_t i = 0; i < steps_.size(); ++i) {
      if (i > 0 || !root_.empty()) parts.push_back("/");
      parts.push_back(steps_[i].name);
      numbers.push_back(steps_[i].number > 0 ? "[" + std::to_string(steps_[i].number) + "]"
                                             : std::string());
      parts.push_back(numbers.back());
    }
    if (!attribute.empty()) {
      parts.push_back("@");
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

  void compare_attributes(const xmlNode* before, const xmlNode* after) {
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
  // name: the second "keyword" before with the second "keyword" after.
  void compare_children(const xmlNode* before, const xmlNode* after) {
    const auto old_children = child_elements(before);
    const auto new_children = child_elements(after);
    std::map<std::string, std::vector<const xmlNode*>> old_by_name, new_by_name;
    for (const xmlNode* child : old_children) old_by_name[qualified_name(child)].push_back(child);
    for (const xmlNode* child : new_children) new_by_name[qualified_name(child)].push_back(child);

    const auto descend = [&](const std::string& name, std::size_t index, const xmlNode* old_child,
                             const xmlNode* new_child) {
      const std::size_t count = std::max(old_by_name[name].size(), new_by_name[name].size());
      steps_.push_back({name, count > 1 ? index + 1 : 0});
      compare(old_child, new_child);
      steps_.pop_back();
    };
    std::map<std::string, std::size_t> seen;
    for (const xmlNode* child : new_children) {
      const std::string name = qualified_name(child);
      const std::size_t index = seen[name]++;
      const auto& olds = old_by_name[name];
      descend(name, index, index < olds.size() ? olds[index] : nullptr, child);
    }
    for (auto& [name, olds] : old_by_name) {
      const std::size_t kept = new_by_name[name].size();
      for (std::size_t index = kept; index < olds.size(); ++index) {
        descend(name, index, olds[index], nullptr);
      }
    }
  }

  static constexpr std::size_t kMostPathBytes = 2048;
  static constexpr std::size_t kHeadBytes = 512;
  static constexpr std::size_t kTailBytes = 1024;

  std::size_t most_listed_;
  std::string root_;
  std::vector<Step> steps_;
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

std::vector<Difference> differences(std::string_view before_xml, std::string_view after_xml) {
  const xml::DocPtr before = xml::parse_text(before_xml);
  const xml::DocPtr after = xml::parse_text(after_xml);
  return compare_documents(*before, *after).changes;
}

}  // namespace tw::host
