// What saving would change: every element text and attribute value that
// differs between the file and the document, so that nothing a page writes
// reaches the file unseen.

#include <map>

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

class Comparison {
 public:
  std::vector<Difference> result;

  // `before` and `after` stand at the same path; either may be missing.
  void compare(const xmlNode* before, const xmlNode* after, const std::string& path) {
    const auto old_value = before ? value_of(before) : std::nullopt;
    const auto new_value = after ? value_of(after) : std::nullopt;
    if (before != nullptr && after != nullptr) {
      if (old_value.value_or("") != new_value.value_or("")) {
        result.push_back(
            {Difference::Change::Changed, path, old_value.value_or(""), new_value.value_or("")});
      }
    } else if (after != nullptr) {
      if (shown_alone(after, new_value)) {
        result.push_back({Difference::Change::Added, path, std::nullopt, *new_value});
      }
    } else if (shown_alone(before, old_value)) {
      result.push_back({Difference::Change::Removed, path, *old_value, std::nullopt});
    }
    compare_attributes(before, after, path);
    compare_children(before, after, path);
  }

 private:
  // Whether an element added or removed as a whole shows as a line of its
  // own: when it has a text, or when nothing inside it would show. A code
  // element shows through its attribute alone.
  static bool shown_alone(const xmlNode* element, const std::optional<std::string>& value) {
    if (!value) return false;
    return !value->empty() || (element->properties == nullptr && !has_element_children(element));
  }

  void compare_attributes(const xmlNode* before, const xmlNode* after, const std::string& path) {
    const auto old_attributes = before ? attributes_of(before) : decltype(attributes_of(before)){};
    const auto new_attributes = after ? attributes_of(after) : decltype(attributes_of(after)){};
    const auto find = [](const auto& list, const std::string& name) -> const std::string* {
      for (const auto& [n, v] : list) {
        if (n == name) return &v;
      }
      return nullptr;
    };
    for (const auto& [name, value] : new_attributes) {
      const std::string* old = find(old_attributes, name);
      if (old == nullptr) {
        result.push_back({Difference::Change::Added, path + "@" + name, std::nullopt, value});
      } else if (*old != value) {
        result.push_back({Difference::Change::Changed, path + "@" + name, *old, value});
      }
    }
    for (const auto& [name, value] : old_attributes) {
      if (find(new_attributes, name) == nullptr) {
        result.push_back({Difference::Change::Removed, path + "@" + name, value, std::nullopt});
      }
    }
  }

  // Children pair up by name and by their place among the children of that
  // name: the second "keyword" before with the second "keyword" after.
  void compare_children(const xmlNode* before, const xmlNode* after, const std::string& path) {
    const auto old_children = child_elements(before);
    const auto new_children = child_elements(after);
    std::map<std::string, std::vector<const xmlNode*>> old_by_name, new_by_name;
    for (const xmlNode* child : old_children) old_by_name[qualified_name(child)].push_back(child);
    for (const xmlNode* child : new_children) new_by_name[qualified_name(child)].push_back(child);

    const auto child_path = [&](const std::string& name, std::size_t index) {
      const std::size_t count = std::max(old_by_name[name].size(), new_by_name[name].size());
      std::string p = path.empty() ? name : path + "/" + name;
      if (count > 1) p += "[" + std::to_string(index + 1) + "]";
      return p;
    };
    std::map<std::string, std::size_t> seen;
    for (const xmlNode* child : new_children) {
      const std::string name = qualified_name(child);
      const std::size_t index = seen[name]++;
      const auto& olds = old_by_name[name];
      compare(index < olds.size() ? olds[index] : nullptr, child, child_path(name, index));
    }
    for (auto& [name, olds] : old_by_name) {
      const std::size_t kept = new_by_name[name].size();
      for (std::size_t index = kept; index < olds.size(); ++index) {
        compare(olds[index], nullptr, child_path(name, index));
      }
    }
  }
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

std::vector<Difference> differences(std::string_view before_xml, std::string_view after_xml) {
  const xml::DocPtr before = xml::parse_text(before_xml);
  const xml::DocPtr after = xml::parse_text(after_xml);
  const xmlNode* old_root = xmlDocGetRootElement(before.get());
  const xmlNode* new_root = xmlDocGetRootElement(after.get());
  Comparison comparison;
  // Paths are below the root, as the pages write them; the root's own
  // attributes show as "@name".
  if (qualified_name(old_root) == qualified_name(new_root)) {
    comparison.compare(old_root, new_root, "");
  } else {
    comparison.compare(old_root, nullptr, "/" + qualified_name(old_root));
    comparison.compare(nullptr, new_root, "/" + qualified_name(new_root));
  }
  return std::move(comparison.result);
}

}  // namespace tw::host
