#include "tidewise/host/layout.h"

#include <algorithm>
#include <new>
#include <string>
#include <string_view>

namespace tw::host {

namespace {

constexpr std::string_view kIndent = "  ";
// Below this depth content stays as written: in chains of hundreds of levels
// the indentation would outweigh the content many times, and could take a
// file past the size an item may have.
constexpr int kDeepest = 32;

std::string_view view(const xmlChar* s) {
  return s ? reinterpret_cast<const char*>(s) : "";
}

bool blank(std::string_view text) {
  return text.find_first_not_of(" \t\r\n") == std::string_view::npos;
}

bool is_blank_text(const xmlNode* node) {
  return node->type == XML_TEXT_NODE && blank(view(node->content));
}

// xml:space on the element itself: "preserve" keeps its white space, and
// "default" below a preserving ancestor gives it back to the application.
enum class Space { Inherit, Preserve, Default };
Space space_of(const xmlNode* element) {
  for (const xmlAttr* a = element->properties; a != nullptr; a = a->next) {
    if (a->ns != nullptr && view(a->ns->href) == view(XML_XML_NAMESPACE) &&
        view(a->name) == "space" && a->children != nullptr) {
      const std::string_view value = view(a->children->content);
      if (value == "preserve") return Space::Preserve;
      if (value == "default") return Space::Default;
    }
  }
  return Space::Inherit;
}

// Child elements, comments and processing instructions with only white
// space between them, and at least one element. Anything else (text, CDATA,
// an entity reference) makes the content mixed or text, which is left alone.
bool element_only(const xmlNode* element) {
  bool has_element = false;
  for (const xmlNode* child = element->children; child != nullptr; child = child->next) {
    switch (child->type) {
      case XML_ELEMENT_NODE:
        has_element = true;
        break;
      case XML_COMMENT_NODE:
      case XML_PI_NODE:
        break;
      case XML_TEXT_NODE:
        if (!blank(view(child->content))) return false;
        break;
      default:
        return false;
    }
  }
  return has_element;
}

std::string break_and_indent(std::size_t line_breaks, int depth) {
  std::string text(std::clamp<std::size_t>(line_breaks, 1, 2), '\n');
  for (int i = 0; i < depth; ++i) text += kIndent;
  return text;
}

// Makes the white space from `first` up to `next` (text nodes only, maybe
// none) a line break and the indentation of `depth`, under `parent`; only
// tells whether it would change when not `apply`.
bool set_gap(xmlNode* parent, xmlNode* first, xmlNode* next, int depth, bool apply) {
  // Most gaps of a saved item are right already: told without a copy.
  if (first != next && first->next == next) {
    const std::string_view text = view(first->content);
    const std::size_t breaks = std::min(text.find_first_not_of('\n'), text.size());
    const std::size_t indent = static_cast<std::size_t>(depth) * kIndent.size();
    if ((breaks == 1 || breaks == 2) && text.size() == breaks + indent &&
        text.find_first_not_of(' ', breaks) == std::string_view::npos) {
      return false;
    }
  }
  std::size_t line_breaks = 0;
  int nodes = 0;
  for (xmlNode* n = first; n != next; n = n->next) {
    const std::string_view text = view(n->content);
    line_breaks += static_cast<std::size_t>(std::count(text.begin(), text.end(), '\n'));
    ++nodes;
  }
  const std::string wanted = break_and_indent(line_breaks, depth);
  if (nodes == 1 && view(first->content) == wanted) return false;
  if (!apply) return true;
  if (nodes == 0) {
    xmlNode* gap = xmlNewDocTextLen(parent->doc, reinterpret_cast<const xmlChar*>(wanted.data()),
                                    static_cast<int>(wanted.size()));
    if (gap == nullptr) throw std::bad_alloc();
    // Neither neighbour is text, so nothing merges the new node away.
    if ((next ? xmlAddPrevSibling(next, gap) : xmlAddChild(parent, gap)) == nullptr) {
      xmlFreeNode(gap);
      throw std::bad_alloc();
    }
    return true;
  }
  xmlNodeSetContentLen(first, reinterpret_cast<const xmlChar*>(wanted.data()),
                       static_cast<int>(wanted.size()));
  for (xmlNode* n = first->next; n != next;) {
    xmlNode* following = n->next;
    xmlUnlinkNode(n);
    xmlFreeNode(n);
    n = following;
  }
  return true;
}

bool lay_out_element(xmlNode* element, int depth, bool preserve, bool apply) {
  if (depth >= kDeepest) return false;
  switch (space_of(element)) {
    case Space::Preserve:
      preserve = true;
      break;
    case Space::Default:
      preserve = false;
      break;
    case Space::Inherit:
      break;
  }
  bool changed = false;
  if (preserve) {
    // Only an xml:space="default" further down gives the layout back.
    for (xmlNode* child = element->children; child != nullptr; child = child->next) {
      if (child->type == XML_ELEMENT_NODE)
        changed |= lay_out_element(child, depth + 1, true, apply);
      if (changed && !apply) return true;
    }
    return changed;
  }
  if (!element_only(element)) return false;
  xmlNode* gap = nullptr;  // the first white space text before the next node
  for (xmlNode* child = element->children; child != nullptr;) {
    xmlNode* next = child->next;
    if (is_blank_text(child)) {
      if (gap == nullptr) gap = child;
    } else {
      changed |= set_gap(element, gap ? gap : child, child, depth + 1, apply);
      gap = nullptr;
      if (child->type == XML_ELEMENT_NODE) {
        changed |= lay_out_element(child, depth + 1, preserve, apply);
      }
      if (changed && !apply) return true;
    }
    child = next;
  }
  changed |= set_gap(element, gap, nullptr, depth, apply);
  return changed;
}

}  // namespace

bool lay_out(xmlDoc& doc) {
  xmlNode* root = xmlDocGetRootElement(&doc);
  return root != nullptr && lay_out_element(root, 0, false, true);
}

bool is_laid_out(const xmlDoc& doc) {
  xmlNode* root = xmlDocGetRootElement(&doc);
  return root == nullptr || !lay_out_element(root, 0, false, false);
}

}  // namespace tw::host
