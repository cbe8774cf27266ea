#include "tidewise/host/document.h"

#include <algorithm>
#include <array>
#include <atomic>
#include <charconv>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <memory>
#include <unordered_map>
#include <unordered_set>
#include <vector>

#include "tidewise/com/error.h"
#include "tidewise/host/layout.h"
#include "tidewise/host/session.h"
#include "tidewise/host/trace.h"
#include "tidewise/platform.h"

namespace tw::host {

namespace fs = std::filesystem;
using com::DISP_E_TYPEMISMATCH;
using com::E_INVALIDARG;
using com::raise;
using com::VarType;
using nlohmann::json;

using Steps = XmlMetadataDocument::Steps;

namespace {

constexpr std::string_view kRootName = "metadata";

const xmlChar* x(const char* s) {
  return reinterpret_cast<const xmlChar*>(s);
}
std::string_view view(const xmlChar* s) {
  return s ? reinterpret_cast<const char*>(s) : "";
}

using platform::shown;

// ---- Paths

// The steps of a path, or the reason it is not a path (then empty). A step
// is an element name, optionally with a position counted from 1 among the
// children of that name ("keyword[2]").
Steps split_path(std::string_view path, std::string& why) {
  Steps steps;
  if (path.empty()) {
    why = "the path is empty";
    return {};
  }
  for (std::size_t start = 0;;) {
    const std::size_t slash = path.find('/', start);
    std::string_view step =
        path.substr(start, slash == std::string_view::npos ? path.npos : slash - start);
    if (step.empty()) {
      why = "path \"" + shown(path) + "\" has an empty step";
      return {};
    }
    std::size_t position = 0;
    if (const std::size_t open = step.find('['); open != std::string_view::npos) {
      const std::string_view digits = step.substr(open + 1, step.size() - open - 2);
      const auto [end, error] =
          std::from_chars(digits.data(), digits.data() + digits.size(), position);
      if (!step.ends_with(']') || digits.empty() || digits.front() == '0' || error != std::errc() ||
          end != digits.data() + digits.size()) {
        why = "step \"" + shown(step) + "\" has no position from 1 in brackets";
        return {};
      }
      step = step.substr(0, open);
    }
    if (!xml::is_ncname(step)) {
      why = "element name \"" + shown(step) + "\" is not a valid XML name";
      return {};
    }
    steps.push_back({step, position});
    if (slash == std::string_view::npos) return steps;
    start = slash + 1;
  }
}

Steps steps_or_raise(std::string_view path) {
  std::string why;
  Steps steps = split_path(path, why);
  if (steps.empty()) raise(E_INVALIDARG, why);
  return steps;
}

// The host's elements are in no namespace. Elements in one, named with a
// prefix or under a default namespace declaration alike, belong to another
// vocabulary: kept as written, reached by no path. Reads and writes thus
// agree on what a path names, and a written element is found again after a
// save and a load.
bool is_host_element(const xmlNode* node) {
  return node->type == XML_ELEMENT_NODE && node->ns == nullptr;
}

bool matches(const xmlNode* node, std::string_view step) {
  return is_host_element(node) && view(node->name) == step;
}

// Below this many children a walk is as quick as an index.
constexpr int kIndexFrom = 16;

// Revisions are drawn from one counter for every document, so that two
// documents with the same revision hold the same content.
std::atomic<std::uint64_t> last_revision{0};

}  // namespace

// The host's children of an element by name, for elements with many
// children, built at the first path that passes through the element: without
// it every step walks all siblings, so that one read under a root of 100,000
// elements compares 100,000 names, and each element created under a parent
// compares all those created before. It holds element pointers only, so it
// stays right while texts and attributes change (set_own_text touches no
// element); elements are only ever added, at the end of their parent
// (reach_or_create), which adds them here too, or taken back by an undo, the
// last first; a new content starts a new index. Copies that share a content
// share its index: a write to a shared content copies it first, with an
// index of its own.
struct XmlMetadataDocument::ChildIndex {
  using Named = std::unordered_map<std::string_view, std::vector<xmlNode*>>;
  std::unordered_map<const xmlNode*, Named> parents;

  // The index of `parent`, or nothing when it has few children.
  Named* of(xmlNode* parent) {
    if (const auto found = parents.find(parent); found != parents.end()) return &found->second;
    int count = 0;
    for (const xmlNode* child = parent->children; child != nullptr && count < kIndexFrom;
         child = child->next) {
      ++count;
    }
    if (count < kIndexFrom) return nullptr;
    Named& named = parents[parent];
    for (xmlNode* child = parent->children; child != nullptr; child = child->next) {
      if (is_host_element(child)) {
        named[view(child->name)].push_back(child);
      } else if (child->type == XML_ELEMENT_NODE && child->ns->prefix == nullptr) {
        unprefixed.insert(parent);
      }
    }
    return &named;
  }
  // Parents with children in a namespace named without a prefix: a review
  // counts them among the host's children of the same name.
  std::unordered_set<const xmlNode*> unprefixed;

  // Calls `found` with each child that `step` names, in document order.
  template <class Found>
  void children(xmlNode* parent, std::string_view step, Found&& found) {
    if (Named* named = of(parent)) {
      if (const auto it = named->find(step); it != named->end()) {
        for (xmlNode* child : it->second) found(child);
      }
      return;
    }
    for (xmlNode* child = parent->children; child != nullptr; child = child->next) {
      if (matches(child, step)) found(child);
    }
  }

  xmlNode* first_child(xmlNode* parent, std::string_view step) {
    if (Named* named = of(parent)) {
      const auto it = named->find(step);
      return it == named->end() || it->second.empty() ? nullptr : it->second.front();
    }
    xmlNode* child = parent->children;
    while (child != nullptr && !matches(child, step)) child = child->next;
    return child;
  }

  // `child`, the last of its name under its parent, is taken away.
  void removed(xmlNode* child) {
    parents.erase(child);
    unprefixed.erase(child);
    if (const auto found = parents.find(child->parent); found != parents.end()) {
      const auto same = found->second.find(view(child->name));
      if (same == found->second.end()) return;
      std::vector<xmlNode*>& children = same->second;
      if (const auto at = std::find(children.rbegin(), children.rend(), child);
          at != children.rend()) {
        children.erase(std::next(at).base());
      }
      // The name may be the removed element's own text, gone with it.
      if (children.empty()) found->second.erase(same);
    }
  }

  // `child` was appended to `parent`. Should the index not take it, it is
  // dropped, to be built again from the children as they are.
  void appended(xmlNode* parent, xmlNode* child) {
    if (const auto found = parents.find(parent); found != parents.end()) {
      try {
        found->second[view(child->name)].push_back(child);
      } catch (...) {
        parents.erase(found);
        throw;
      }
    }
  }
};

// What takes the document back to where start_undo() found it: steps that
// each take back one change, in the order made, until the content had to be
// kept whole; then that content, and only the steps before it.
struct XmlMetadataDocument::Undo {
  // Declared first, so that it goes last: the steps' nodes belong to it.
  std::shared_ptr<xmlDoc> content;
  struct Step {
    xmlNode* element = nullptr;
    enum class Kind { Text, Attribute, Created } kind = Kind::Text;
    std::vector<xmlNode*> children;    // Text: the children as they were
    std::string name;                  // Attribute: its name
    std::optional<std::string> value;  // Attribute: its value, none when it was not there
  };
  std::vector<Step> steps;
  std::uint64_t revision = 0;
  bool modified = false;
  bool update_flag = false;

  ~Undo() {
    // Kept changes: the texts they replaced go.
    for (Step& step : steps) free_replaced(step);
  }
  static void free_replaced(Step& step) {
    for (xmlNode* node : step.children) {
      if (node->parent == nullptr) xmlFreeNode(node);
    }
    step.children.clear();
  }
  bool recording() const { return content == nullptr; }
};

// Every element the path reaches, in document order: the children of
// elements in document order are themselves in document order.
std::vector<xmlNode*> XmlMetadataDocument::reach_all(const Steps& steps) {
  std::vector<xmlNode*> current{xmlDocGetRootElement(doc_.get())};
  std::vector<xmlNode*> next;
  for (const Step& step : steps) {
    next.clear();
    for (xmlNode* parent : current) {
      std::size_t seen = 0;
      index_->children(parent, step.name, [&](xmlNode* child) {
        if (step.position == 0 || ++seen == step.position) next.push_back(child);
      });
    }
    current.swap(next);
    if (current.empty()) break;
  }
  return current;
}

xmlNode* XmlMetadataDocument::append_element(xmlNode* parent, std::string_view name) {
  // In no namespace, as its parent is: the host's own element.
  xmlNode* child = xmlNewDocNode(doc_.get(), nullptr, x(std::string(name).c_str()), nullptr);
  if (child == nullptr) throw std::bad_alloc();
  if (xmlAddChild(parent, child) == nullptr) {
    xmlFreeNode(child);
    throw std::bad_alloc();
  }
  index_->appended(parent, child);
  if (Undo* undo = recording_undo()) {
    try {
      undo->steps.push_back({child, Undo::Step::Kind::Created, {}, {}, {}});
    } catch (...) {
      xmlUnlinkNode(child);
      xmlFreeNode(child);
      index_ = std::make_unique<ChildIndex>();
      throw;
    }
  }
  revised();
  return child;
}

// The element a write reaches, or null where it would have to create one.
xmlNode* XmlMetadataDocument::reach_first(const Steps& steps) {
  xmlNode* node = xmlDocGetRootElement(doc_.get());
  for (const Step& step : steps) {
    xmlNode* child = nullptr;
    std::size_t seen = 0;
    index_->children(node, step.name, [&](xmlNode* found) {
      if (++seen == std::max<std::size_t>(step.position, 1)) child = found;
    });
    if (child == nullptr) return nullptr;
    node = child;
  }
  return node;
}

// Follows the first match (or the one at the step's position) at each step
// and appends what is missing: the elements before a position too.
xmlNode* XmlMetadataDocument::reach_or_create(const Steps& steps) {
  xmlNode* node = xmlDocGetRootElement(doc_.get());
  for (const Step& step : steps) {
    xmlNode* child = nullptr;
    if (step.position <= 1) {
      child = index_->first_child(node, step.name);
      if (child == nullptr) child = append_element(node, step.name);
    } else {
      std::size_t seen = 0;
      index_->children(node, step.name, [&](xmlNode* found) {
        if (++seen == step.position) child = found;
      });
      for (; child == nullptr && seen < step.position; ++seen) {
        xmlNode* added = append_element(node, step.name);
        if (seen + 1 == step.position) child = added;
      }
    }
    node = child;
  }
  return node;
}

namespace {

// ---- Texts

bool is_text(const xmlNode* node) {
  return node->type == XML_TEXT_NODE || node->type == XML_CDATA_SECTION_NODE;
}

// The element's own text: its text and CDATA children, not its descendants'.
// Beside child elements, text made only of white space is the file's layout
// (layout.h), not a value: the review counts it so too.
std::string own_text(const xmlNode* element) {
  std::string text;
  bool has_elements = false;
  for (const xmlNode* child = element->children; child != nullptr; child = child->next) {
    if (is_text(child)) text += view(child->content);
    has_elements = has_elements || child->type == XML_ELEMENT_NODE;
  }
  if (has_elements && text.find_first_not_of(" \t\r\n") == std::string::npos) return {};
  return text;
}

// Replaces the element's own text, leaving child elements, comments and
// attributes alone. Returns whether anything changed.
// `children`, when given, takes the children as they were, and the text
// nodes replaced are then unlinked but not freed (an undo links them again).
bool set_own_text(xmlNode* element, std::string_view text,
                  std::vector<xmlNode*>* children = nullptr) {
  if (own_text(element) == text) return false;
  if (children != nullptr) {
    for (xmlNode* child = element->children; child != nullptr; child = child->next) {
      children->push_back(child);
    }
  }
  xmlNode* first_text = element->children;
  while (first_text != nullptr && !is_text(first_text)) first_text = first_text->next;
  // The new text takes the place of the first old one, else comes first.
  xmlNode* before = first_text ? first_text->next : element->children;
  while (before != nullptr && is_text(before)) before = before->next;
  for (xmlNode* child = element->children; child != nullptr;) {
    xmlNode* next = child->next;
    if (is_text(child)) {
      xmlUnlinkNode(child);
      if (children == nullptr) xmlFreeNode(child);
    }
    child = next;
  }
  // Also an empty text node: the element is then written "<a></a>".
  xmlNode* node = xmlNewDocTextLen(element->doc, x(text.data()), static_cast<int>(text.size()));
  if (node == nullptr) throw std::bad_alloc();
  // No text neighbours are left, so nothing merges the new node away.
  if ((before ? xmlAddPrevSibling(before, node) : xmlAddChild(element, node)) == nullptr) {
    xmlFreeNode(node);
    throw std::bad_alloc();
  }
  return true;
}

const xmlAttr* find_attribute(const xmlNode* element, std::string_view name) {
  // Only attributes written on the element; no defaults from a DTD.
  for (const xmlAttr* a = element->properties; a != nullptr; a = a->next) {
    if (a->ns == nullptr && view(a->name) == name) return a;
  }
  return nullptr;
}

std::string attribute_text(const xmlAttr* attribute) {
  std::string text;
  for (const xmlNode* child = attribute->children; child != nullptr; child = child->next) {
    if (child->type == XML_TEXT_NODE) text += view(child->content);
  }
  return text;
}

// "xmlns" is refused: written as a plain attribute it would change the
// element's namespace the next time the file is read.
void check_attribute_name(const std::string& name) {
  if (!xml::is_ncname(name) || name == "xmlns") {
    raise(E_INVALIDARG, "attribute name \"" + shown(name) + "\" is not a valid XML name");
  }
}

std::string format_double(double value) {
  // The lexical forms of XML Schema for what has no digits.
  if (std::isnan(value)) return "NaN";
  if (std::isinf(value)) return value > 0 ? "INF" : "-INF";
  std::array<char, 32> buffer{};
  const auto result = std::to_chars(buffer.data(), buffer.data() + buffer.size(), value);
  return {buffer.data(), result.ptr};
}

// ISO 8601. The platform counts days from 1899-12-30; the fraction is the
// time of day, also for days before then (-1.25 is 1899-12-29 06:00).
std::string format_date(double days) {
  if (!std::isfinite(days) || std::fabs(days) > 3e6)
    raise(E_INVALIDARG, "the date is out of range");
  using namespace std::chrono;
  auto day = static_cast<long long>(std::trunc(days));
  long long seconds = std::llround(std::fabs(days - std::trunc(days)) * 86400.0);
  if (seconds >= 86400) {
    seconds -= 86400;
    ++day;
  }
  const year_month_day date{sys_days{1899y / December / 30} + std::chrono::days{day}};
  std::array<char, 40> buffer{};
  int n =
      std::snprintf(buffer.data(), buffer.size(), "%04d-%02u-%02u", static_cast<int>(date.year()),
                    static_cast<unsigned>(date.month()), static_cast<unsigned>(date.day()));
  if (seconds != 0) {
    n += std::snprintf(buffer.data() + n, buffer.size() - static_cast<std::size_t>(n),
                       "T%02lld:%02lld:%02lld", seconds / 3600, seconds / 60 % 60, seconds % 60);
  }
  return {buffer.data(), static_cast<std::size_t>(n)};
}

// What a value is written as.
std::string value_text(const com::Variant& value) {
  std::string text;
  switch (value.type()) {
    case VarType::Empty:
    case VarType::Null:
      break;
    case VarType::BStr:
      text = *value.as_string();
      break;
    case VarType::I2:
      text = std::to_string(*value.as_i2());
      break;
    case VarType::I4:
      text = std::to_string(*value.as_i4());
      break;
    case VarType::R8:
      text = format_double(*value.as_r8());
      break;
    case VarType::Bool:
      text = *value.as_bool() ? "true" : "false";
      break;
    case VarType::Date:
      text = format_date(value.as_date()->days);
      break;
    case VarType::Unknown:
    case VarType::Array:
      raise(DISP_E_TYPEMISMATCH,
            "a value of type " + com::to_string(value.type()) + " cannot be written as text");
  }
  if (text.size() > xml::kMaxDocumentBytes) raise(E_INVALIDARG, "the value is larger than 64 MiB");
  // Text XML cannot hold would make the saved file unreadable.
  xml::check_text(text);
  return text;
}

// An item is the host's metadata: its root element is "metadata" in no
// namespace (see is_host_element). Anything else, an ISO 19139 document say,
// is refused rather than edited as a metadata item it is not.
xml::DocPtr checked_item(xml::DocPtr doc, std::string_view label) {
  const xmlNode* root = xmlDocGetRootElement(doc.get());
  if (root->ns == nullptr && view(root->name) == kRootName) return doc;
  std::string name(view(root->name));
  if (root->ns != nullptr && root->ns->prefix != nullptr) {
    name = std::string(view(root->ns->prefix)) + ":" + name;
  }
  std::string what = "the root element is \"" + shown(name) + "\"";
  if (root->ns != nullptr) what += " in the namespace \"" + shown(view(root->ns->href)) + "\"";
  raise(E_INVALIDARG, std::string(label) + ": " + what +
                          "; an item's root element is \"metadata\" in no namespace");
}

}  // namespace

XmlMetadataDocument::XmlMetadataDocument()
    : doc_(xml::new_document(kRootName)), index_(std::make_unique<ChildIndex>()) {
  revised();
}

void XmlMetadataDocument::revised(bool keeps_layout) {
  const bool laid_out = laid_out_at_ == revision_;
  revision_ = ++last_revision;
  if (keeps_layout && laid_out) laid_out_at_ = revision_;
}

void XmlMetadataDocument::start_undo() {
  auto undo = std::make_unique<Undo>();
  undo->revision = revision_;
  undo->modified = modified_;
  undo->update_flag = update_flag_;
  undos_.push_back(std::move(undo));
}

XmlMetadataDocument::Undo* XmlMetadataDocument::recording_undo() const {
  return !undos_.empty() && undos_.back()->recording() ? undos_.back().get() : nullptr;
}

void XmlMetadataDocument::keep_content_for_undo() {
  // Shared, the content is never written to again: a write copies it first.
  if (Undo* undo = recording_undo()) undo->content = doc_;
}

void XmlMetadataDocument::keep_changes() {
  if (undos_.empty()) return;
  std::unique_ptr<Undo> inner = std::move(undos_.back());
  undos_.pop_back();
  if (undos_.empty()) return;
  // The outer record takes them back with its own: its steps stand in the
  // content the inner one kept, if it kept one, as the inner steps do.
  Undo& outer = *undos_.back();
  if (!outer.recording()) return;
  outer.steps.reserve(outer.steps.size() + inner->steps.size());
  for (Undo::Step& step : inner->steps) outer.steps.push_back(std::move(step));
  inner->steps.clear();
  outer.content = std::move(inner->content);
}

namespace {

// Takes back, newest first, changes recorded in the content they were made
// in: each step finds the content as its change left it.
// `removed` hears of each element taken away, before it goes.
template <class Step, class Removed>
void take_back_steps(std::vector<Step>& steps, Removed&& removed) {
  for (auto step = steps.rbegin(); step != steps.rend(); ++step) {
    xmlNode* element = step->element;
    switch (step->kind) {
      case Step::Kind::Created:
        removed(element);
        xmlUnlinkNode(element);
        xmlFreeNode(element);
        break;
      case Step::Kind::Attribute:
        if (step->value) {
          xmlSetNsProp(element, nullptr, x(step->name.c_str()), x(step->value->c_str()));
        } else {
          xmlUnsetNsProp(element, nullptr, x(step->name.c_str()));
        }
        break;
      case Step::Kind::Text: {
        // The new text goes; the children as they were are linked again, in
        // their order, by hand: xmlAddChild would merge neighbouring texts.
        for (xmlNode* child = element->children; child != nullptr;) {
          xmlNode* next = child->next;
          if (is_text(child)) {
            xmlUnlinkNode(child);
            xmlFreeNode(child);
          }
          child = next;
        }
        xmlNode* previous = nullptr;
        element->children = nullptr;
        for (xmlNode* child : step->children) {
          child->parent = element;
          child->prev = previous;
          child->next = nullptr;
          if (previous != nullptr) {
            previous->next = child;
          } else {
            element->children = child;
          }
          previous = child;
        }
        element->last = previous;
        step->children.clear();
        break;
      }
    }
  }
  steps.clear();
}

}  // namespace

void XmlMetadataDocument::take_back_changes() {
  if (undos_.empty()) return;
  const std::unique_ptr<Undo> undo = std::move(undos_.back());
  undos_.pop_back();
  if (undo->content) {
    doc_ = undo->content;
    take_back_steps(undo->steps, [](xmlNode*) {});
    index_ = std::make_unique<ChildIndex>();
  } else {
    // The index is kept: a large element's children are not looked up anew
    // after every page that was only looked at.
    take_back_steps(undo->steps, [this](xmlNode* element) { index_->removed(element); });
  }
  // A layout made while the record was open may have been taken back with
  // it (a layout keeps the content whole); a record that holds nothing
  // changed nothing.
  if (undo->content || !undo->steps.empty()) laid_out_at_ = 0;
  revision_ = undo->revision;
  modified_ = undo->modified;
  update_flag_ = undo->update_flag;
}

std::string XmlMetadataDocument::path_of(xmlNode* element, std::string_view attribute) const {
  std::vector<PathStep> steps;
  const xmlNode* root = xmlDocGetRootElement(doc_.get());
  for (xmlNode* node = element; node != root && node != nullptr; node = node->parent) {
    xmlNode* parent = node->parent;
    std::size_t count = 0;
    std::size_t number = 0;
    const ChildIndex::Named* named = index_->of(parent);
    if (named != nullptr && !index_->unprefixed.contains(parent)) {
      const std::vector<xmlNode*>& same = named->at(view(node->name));
      count = same.size();
      number =
          static_cast<std::size_t>(std::find(same.begin(), same.end(), node) - same.begin()) + 1;
    } else {
      // As a review names them: by local name, in no namespace or one
      // without a prefix.
      for (const xmlNode* child = parent->children; child != nullptr; child = child->next) {
        if (child->type != XML_ELEMENT_NODE || view(child->name) != view(node->name) ||
            (child->ns != nullptr && child->ns->prefix != nullptr)) {
          continue;
        }
        ++count;
        if (child == node) number = count;
      }
    }
    steps.push_back({{}, view(node->name), count > 1 ? number : 0});
  }
  std::reverse(steps.begin(), steps.end());
  return spell_path({}, steps, attribute);
}

std::optional<std::vector<std::string>> XmlMetadataDocument::recorded_paths() const {
  if (undos_.empty()) return std::vector<std::string>{};
  const Undo& undo = *undos_.back();
  if (!undo.recording()) return std::nullopt;
  std::vector<std::string> paths;
  paths.reserve(undo.steps.size());
  for (const Undo::Step& step : undo.steps) {
    paths.push_back(
        path_of(step.element, step.kind == Undo::Step::Kind::Attribute ? step.name : ""));
  }
  return paths;
}

com::ComPtr<XmlMetadataDocument> XmlMetadataDocument::keep_changes_giving_before() {
  auto before = com::make_object<XmlMetadataDocument>();
  before->doc_ = doc_;
  before->revision_ = revision_;
  if (undos_.empty()) return before;
  const std::unique_ptr<Undo> undo = std::move(undos_.back());
  undos_.pop_back();
  if (undo->recording()) {
    // The steps point into this content: it is taken back where it is, and
    // this document goes on with a copy of what it had.
    xml::DocPtr after(xmlCopyDoc(doc_.get(), 1));
    if (!after) throw std::bad_alloc();
    take_back_steps(undo->steps, [](xmlNode*) {});
    doc_ = std::move(after);
    index_ = std::make_unique<ChildIndex>();
  } else {
    // The content kept is the record's alone: taken back where it is.
    take_back_steps(undo->steps, [](xmlNode*) {});
    before->doc_ = undo->content;
  }
  before->revision_ = undo->revision;
  return before;
}

XmlMetadataDocument::~XmlMetadataDocument() = default;

void XmlMetadataDocument::set_document(xml::DocPtr doc) {
  keep_content_for_undo();
  auto index = std::make_unique<ChildIndex>();
  doc_ = std::move(doc);
  index_ = std::move(index);
}

com::ComPtr<XmlMetadataDocument> XmlMetadataDocument::copy() const {
  auto copy = com::make_object<XmlMetadataDocument>();
  // A record that holds steps takes them back in this very content: a copy
  // that shared it would change with it. Below a record that kept its
  // content, steps stand in that content, not in this one.
  bool steps_here = false;
  for (auto undo = undos_.rbegin(); undo != undos_.rend() && (*undo)->recording(); ++undo) {
    steps_here = steps_here || !(*undo)->steps.empty();
  }
  if (steps_here) {
    xml::DocPtr own(xmlCopyDoc(doc_.get(), 1));
    if (!own) throw std::bad_alloc();
    copy->doc_ = std::move(own);
  } else {
    copy->doc_ = doc_;
    copy->index_ = index_;
  }
  copy->revision_ = revision_;
  return copy;
}

void XmlMetadataDocument::take_content(const XmlMetadataDocument& other) {
  if (&other == this) return;
  keep_content_for_undo();
  doc_ = other.doc_;
  index_ = other.index_;  // the old one points into the content given up
  revision_ = other.revision_;
  laid_out_at_ = 0;
  modified_ = false;
  update_flag_ = false;
}

void XmlMetadataDocument::replace(xml::DocPtr doc) {
  set_document(std::move(doc));
  revised();
  modified_ = false;
  update_flag_ = false;
}

xmlDoc* XmlMetadataDocument::writable() {
  // Documents are apartment objects: no other thread holds a share.
  if (doc_.use_count() > 1) {
    keep_content_for_undo();
    xml::DocPtr own(xmlCopyDoc(doc_.get(), 1));
    if (!own) throw std::bad_alloc();
    // The index points into the shared content.
    set_document(std::move(own));
  }
  return doc_.get();
}

void XmlMetadataDocument::load_file(const fs::path& file,
                                    const std::function<void(std::string_view)>& each_piece) {
  std::error_code ec;
  if (fs::status(file, ec).type() == fs::file_type::not_found) {
    replace(xml::new_document(kRootName));
    return;
  }
  replace(checked_item(xml::parse_file(file, each_piece), "\"" + file.string() + "\""));
}

void XmlMetadataDocument::load_text(std::string_view xml) {
  replace(checked_item(xml::parse_text(xml), "XML text"));
}

std::string XmlMetadataDocument::xml() const {
  return xml::serialize(*doc_);
}

void XmlMetadataDocument::write_xml(const std::function<void(std::string_view)>& sink) const {
  xml::serialize(*doc_, sink);
}

platform::FileStamp XmlMetadataDocument::write_file(
    const fs::path& file, platform::WriteOptions options,
    const std::function<void(std::string_view)>& each_piece) const {
  const char* encoding = doc_->encoding ? reinterpret_cast<const char*>(doc_->encoding) : nullptr;
  // UTF-8 is what the serializer and the parser agree on by construction;
  // every other encoding goes through converters that may not read back
  // what they wrote, so the file is read as the next load would read it.
  const bool utf8 = encoding == nullptr || xmlStrcasecmp(x(encoding), x("UTF-8")) == 0 ||
                    xmlStrcasecmp(x(encoding), x("UTF8")) == 0;
  if (!utf8) {
    options.check_written = [this, encoding, file,
                             then = std::move(options.check_written)](const fs::path& written) {
      XmlMetadataDocument read_back;
      try {
        read_back.load_file(written);
      } catch (const com::Error& e) {
        raise(com::E_FAIL, "\"" + shown(file.string()) +
                               "\" was not saved: written in its encoding, " + shown(encoding) +
                               ", it would not read back (" + e.what() + ")");
      }
      if (!compare_documents(*doc_, read_back.doc(), 1).changes.empty()) {
        raise(com::E_FAIL, "\"" + shown(file.string()) +
                               "\" was not saved: written in its encoding, " + shown(encoding) +
                               ", it would read back with other values");
      }
      if (then) then(written);
    };
  }
  return platform::write_file_atomically(
      file,
      [&](const platform::ContentWriter& write) {
        xml::serialize(*doc_, [&](std::string_view piece) {
          write(piece);
          if (each_piece) each_piece(piece);
        });
      },
      options);
}

void XmlMetadataDocument::lay_out() {
  // Looking costs a walk over the whole content: a large item saved again
  // after a few values were typed is not walked again.
  if (laid_out_at_ == revision_) return;
  if (!is_laid_out(*doc_)) {
    keep_content_for_undo();
    host::lay_out(*writable());
  }
  laid_out_at_ = revision_;
}

HRESULT XmlMetadataDocument::ReadValues(const std::string& path, Variant* values) noexcept {
  return com::boundary("IMetadataValues.ReadValues", [&] {
    trace("IMetadataValues.ReadValues", [&] { return json::array({path}); });
    Variant& out = com::out_param(values);
    std::string why;
    const Steps steps = split_path(path, why);
    if (steps.empty()) return;
    const std::vector<xmlNode*> found = reach_all(steps);
    if (found.empty()) return;
    std::vector<Variant> texts;
    texts.reserve(found.size());
    for (const xmlNode* node : found) texts.push_back(Variant::str(own_text(node)));
    out = Variant::array(0, std::move(texts));
  });
}

// Text outside a document's encoding is written as character references, but
// a name cannot be: an element or attribute named beyond ASCII in a document
// that is not in a Unicode encoding would be saved as a file nobody can read.
void XmlMetadataDocument::check_names_encodable(const Steps& steps,
                                                std::string_view attribute) const {
  const char* encoding = doc_->encoding ? reinterpret_cast<const char*>(doc_->encoding) : nullptr;
  if (encoding == nullptr || xmlStrncasecmp(x(encoding), x("UTF-"), 4) == 0) return;
  const auto ascii = [](std::string_view name) {
    return std::all_of(name.begin(), name.end(),
                       [](char ch) { return static_cast<unsigned char>(ch) < 0x80; });
  };
  for (const Step& step : steps) {
    const std::string_view name = step.name;
    if (!ascii(name)) {
      raise(E_INVALIDARG, "element name \"" + shown(name) +
                              "\" cannot be written in this "
                              "document's encoding, " +
                              encoding);
    }
  }
  if (!ascii(attribute)) {
    raise(E_INVALIDARG, "attribute name \"" + shown(attribute) +
                            "\" cannot be written in this "
                            "document's encoding, " +
                            encoding);
  }
}

HRESULT XmlMetadataDocument::WriteValue(const std::string& path, const Variant& value) noexcept {
  return com::boundary("IMetadataValues.WriteValue", [&] {
    trace("IMetadataValues.WriteValue", [&] { return json::array({path, to_json(value)}); });
    const Steps steps = steps_or_raise(path);
    check_names_encodable(steps, {});
    const std::string text = value_text(value);
    // What is there already is not written again: a content shared with a
    // copy (a snapshot, a probe) is then not copied. It still counts as
    // written.
    if (const xmlNode* there = reach_first(steps); there != nullptr && own_text(there) == text) {
      modified_ = true;
      return;
    }
    writable();
    xmlNode* element = reach_or_create(steps);
    // The text of an element without elements inside is no part of the
    // layout; that of one with elements inside takes the place of its gaps.
    const auto leaf = [element] {
      for (const xmlNode* child = element->children; child != nullptr; child = child->next) {
        if (child->type == XML_ELEMENT_NODE) return false;
      }
      return true;
    };
    if (Undo* undo = recording_undo()) {
      Undo::Step step{element, Undo::Step::Kind::Text, {}, {}, {}};
      undo->steps.reserve(undo->steps.size() + 1);
      if (set_own_text(element, text, &step.children)) {
        undo->steps.push_back(std::move(step));
        revised(leaf());
      }
    } else if (set_own_text(element, text)) {
      revised(leaf());
    }
    modified_ = true;
  });
}

HRESULT XmlMetadataDocument::WriteAttribute(const std::string& path, const std::string& name,
                                            const Variant& value, std::int32_t mode) noexcept {
  return com::boundary("IMetadataXml.WriteAttribute", [&] {
    if (tracing())
      trace("IMetadataXml.WriteAttribute", [&] {
        return json::array({path, name, to_json(value), mode});
      });
    // Mode 1 tags an element, mode 2 sets a code element's attribute; both
    // come down to the same change.
    if (mode != 1 && mode != 2) {
      raise(E_INVALIDARG, "mode " + std::to_string(mode) + " is neither 1 nor 2");
    }
    const Steps steps = steps_or_raise(path);
    check_attribute_name(name);
    check_names_encodable(steps, name);
    const std::string text = value_text(value);
    if (const xmlNode* there = reach_first(steps)) {
      const xmlAttr* old = find_attribute(there, name);
      if (old != nullptr && attribute_text(old) == text) {
        modified_ = true;
        return;
      }
    }
    writable();
    xmlNode* element = reach_or_create(steps);
    const xmlAttr* old = find_attribute(element, name);
    if (old == nullptr || attribute_text(old) != text) {
      if (Undo* undo = recording_undo()) {
        undo->steps.push_back({element,
                               Undo::Step::Kind::Attribute,
                               {},
                               name,
                               old ? std::optional(attribute_text(old)) : std::nullopt});
      }
      if (xmlSetNsProp(element, nullptr, x(name.c_str()), x(text.c_str())) == nullptr) {
        throw std::bad_alloc();
      }
      revised(true);  // attributes are no part of the layout
    }
    modified_ = true;
  });
}

HRESULT XmlMetadataDocument::ReadAttribute(const std::string& path, const std::string& name,
                                           Variant* values) noexcept {
  return com::boundary("IMetadataXml.ReadAttribute", [&] {
    trace("IMetadataXml.ReadAttribute", [&] { return json::array({path, name}); });
    Variant& out = com::out_param(values);
    std::string why;
    const Steps steps = split_path(path, why);
    if (steps.empty() || !xml::is_ncname(name)) return;
    std::vector<Variant> texts;
    for (const xmlNode* node : reach_all(steps)) {
      if (const xmlAttr* attribute = find_attribute(node, name)) {
        texts.push_back(Variant::str(attribute_text(attribute)));
      }
    }
    if (!texts.empty()) out = Variant::array(0, std::move(texts));
  });
}

HRESULT XmlMetadataDocument::CountElements(const std::string& path, std::int32_t* count) noexcept {
  return com::boundary("IMetadataElements.CountElements", [&] {
    trace("IMetadataElements.CountElements", [&] { return json::array({path}); });
    std::int32_t& out = com::out_param(count);
    out = static_cast<std::int32_t>(reach_all(steps_or_raise(path)).size());
  });
}

namespace {

// The positions an arrangement names, each checked against what is there.
std::vector<std::size_t> arrangement(const Variant& order, std::size_t existing) {
  std::vector<std::size_t> positions;
  if (order.is_empty()) return positions;
  const com::SafeArray* array = order.as_array();
  if (array == nullptr) {
    raise(DISP_E_TYPEMISMATCH,
          "the order is a " + com::to_string(order.type()) + ", not an array of positions");
  }
  std::vector<bool> taken(existing + 1, false);
  for (const Variant& value : array->elements) {
    long long position = -1;
    if (const std::int16_t* i2 = value.as_i2()) position = *i2;
    if (const std::int32_t* i4 = value.as_i4()) position = *i4;
    if (position < 0 || static_cast<unsigned long long>(position) > existing) {
      raise(E_INVALIDARG, "the order names no position " +
                              (position < 0 ? std::string("that is not a whole number")
                                            : std::to_string(position)) +
                              " of " + std::to_string(existing));
    }
    const auto at = static_cast<std::size_t>(position);
    if (at != 0 && taken[at]) {
      raise(E_INVALIDARG, "the order names position " + std::to_string(at) + " twice");
    }
    taken[at] = at != 0;
    positions.push_back(at);
  }
  return positions;
}

}  // namespace

HRESULT XmlMetadataDocument::ArrangeElements(const std::string& path,
                                             const Variant& order) noexcept {
  return com::boundary("IMetadataElements.ArrangeElements", [&] {
    trace("IMetadataElements.ArrangeElements", [&] { return json::array({path, to_json(order)}); });
    Steps steps = steps_or_raise(path);
    const Step last = steps.back();
    if (last.position != 0) {
      raise(E_INVALIDARG, "the last step of \"" + shown(path) + "\" names a position");
    }
    steps.pop_back();
    check_names_encodable(steps, {});
    check_names_encodable({last}, {});
    // Everything is checked before anything changes.
    std::vector<xmlNode*> old;
    if (xmlNode* parent = reach_first(steps)) {
      index_->children(parent, last.name, [&](xmlNode* child) { old.push_back(child); });
    }
    const std::vector<std::size_t> positions = arrangement(order, old.size());
    if (old.empty() && positions.empty()) return;
    // Every element where it stands: a write, but no change.
    bool kept = positions.size() == old.size();
    for (std::size_t i = 0; kept && i < positions.size(); ++i) kept = positions[i] == i + 1;
    if (kept) {
      modified_ = true;
      return;
    }

    // Elements move wholesale: an undo keeps the content as it was, and the
    // arrangement is made on a copy.
    keep_content_for_undo();
    writable();  // a copy of a shared content: the elements are found again in it
    xmlNode* parent = reach_or_create(steps);
    old.clear();
    index_->children(parent, last.name, [&](xmlNode* child) { old.push_back(child); });
    std::vector<xmlNode*> arranged;
    arranged.reserve(positions.size());
    for (const std::size_t at : positions) {
      if (at != 0) {
        arranged.push_back(old[at - 1]);
        continue;
      }
      xmlNode* made =
          xmlNewDocNode(doc_.get(), nullptr, x(std::string(last.name).c_str()), nullptr);
      if (made == nullptr) {
        for (xmlNode* node : arranged) {
          if (node->parent == nullptr) xmlFreeNode(node);
        }
        throw std::bad_alloc();
      }
      arranged.push_back(made);
    }
    // A placeholder at each old place keeps the places while the elements move.
    std::vector<xmlNode*> places;
    for (xmlNode* node : old) {
      xmlNode* place = xmlNewDocComment(doc_.get(), x(""));
      if (place == nullptr || xmlAddPrevSibling(node, place) == nullptr) throw std::bad_alloc();
      places.push_back(place);
    }
    for (xmlNode* node : old) xmlUnlinkNode(node);
    xmlNode* after = places.empty() ? nullptr : places.back();
    for (std::size_t i = 0; i < arranged.size(); ++i) {
      if (i < places.size()) {
        xmlAddPrevSibling(places[i], arranged[i]);
      } else if (after != nullptr) {
        after = xmlAddNextSibling(after, arranged[i]);
      } else {
        xmlAddChild(parent, arranged[i]);
      }
    }
    for (xmlNode* place : places) {
      xmlUnlinkNode(place);
      xmlFreeNode(place);
    }
    for (xmlNode* node : old) {
      if (node->parent == nullptr) xmlFreeNode(node);
    }
    // Elements moved and went: the index is built again as paths need it.
    index_ = std::make_unique<ChildIndex>();
    revised();
    modified_ = true;
  });
}

HRESULT XmlMetadataDocument::SetUpdateFlag(VARIANT_BOOL updated) noexcept {
  return com::boundary("IMetadataXml.SetUpdateFlag", [&] {
    if (tracing())
      trace("IMetadataXml.SetUpdateFlag",
            [&] { return json::array({com::from_variant_bool(updated)}); });
    update_flag_ = com::from_variant_bool(updated);
  });
}

HRESULT XmlMetadataDocument::LoadXmlText(const std::string& xml) noexcept {
  return com::boundary("IMetadataXml.LoadXmlText", [&] {
    trace("IMetadataXml.LoadXmlText", [&] { return json::array({xml}); });
    set_document(checked_item(xml::parse_text(xml), "XML text"));
    revised();
    modified_ = true;
  });
}

HRESULT XmlMetadataDocument::TransformToFile(const std::string& stylesheet,
                                             const std::string& parameters, VARIANT_BOOL flag,
                                             const std::string& destination) noexcept {
  return com::boundary("IMetadataXml.TransformToFile", [&] {
    if (tracing())
      trace("IMetadataXml.TransformToFile", [&] {
        return json::array({stylesheet, parameters, com::from_variant_bool(flag), destination});
      });
    if (destination.empty()) raise(E_INVALIDARG, "no destination file");
    const xml::StylesheetPtr sheet = xml::load_stylesheet(platform::file_path(stylesheet));
    // Written as it is serialized: a large result is never held whole.
    platform::write_file_atomically(platform::file_path(destination),
                                    [&](const platform::ContentWriter& write) {
                                      xml::transform(*sheet, *doc_, write, stylesheet_parameters_);
                                    });
  });
}

}  // namespace tw::host
