#include "tidewise/host/rendering.h"

#include <iomanip>
#include <optional>
#include <sstream>
#include <vector>

#include "tidewise/platform.h"

namespace tw::host {

using forms::Kind;

namespace {

bool has_caption(Kind kind) {
  return kind == Kind::Label || kind == Kind::Frame || kind == Kind::CheckBox ||
         kind == Kind::OptionButton || kind == Kind::CommandButton;
}

bool has_items(Kind kind) {
  return kind == Kind::ComboBox || kind == Kind::ListBox || kind == Kind::Map;
}

// Quoted, and with whatever would not show on a terminal escaped: texts
// come from the item and from the user.
std::string in_quotes(std::string_view text) {
  std::ostringstream out;
  out << std::quoted(platform::shown(text));
  return out.str();
}

bool is_field(Kind kind) {
  return kind == Kind::TextBox || kind == Kind::ComboBox || kind == Kind::ListBox ||
         kind == Kind::Map;
}

// How far a label may lie from its field, in twips: beside it on the left,
// or above it; and how much the two may overlap and still be beside.
constexpr int kBesideTwips = 4000;
constexpr int kAboveTwips = 700;
constexpr int kSlackTwips = 60;

struct Box {
  int left, top, right, bottom;
};

// Without its indices: the page writes "dataIdInfo[1]/idPurp" where a
// review reads "dataIdInfo/idPurp", and one field shows every entry of a list.
std::string without_indices(std::string_view path) {
  std::string out;
  out.reserve(path.size());
  for (std::size_t i = 0; i < path.size(); ++i) {
    if (path[i] == '[') {
      const std::size_t close = path.find(']', i);
      if (close != std::string_view::npos) {
        i = close;
        continue;
      }
    }
    out += path[i];
  }
  return out;
}

// Whether `within` is `outer` or lies below it (an element, or an attribute).
bool lies_in(std::string_view within, std::string_view outer) {
  if (outer.empty() || !within.starts_with(outer)) return false;
  return within.size() == outer.size() || within[outer.size()] == '/' ||
         within[outer.size()] == '@';
}

}  // namespace

std::map<std::string, const forms::Control*> field_labels(const forms::Form& form) {
  std::map<std::string, const forms::Control*> by_name;
  for (const auto& c : form.controls()) by_name.emplace(c->name(), c.get());
  // Positions are kept within containers: the page's are their sums.
  std::map<const forms::Control*, Box> boxes;
  const auto box_of = [&](const forms::Control& control) {
    int left = control.left(), top = control.top();
    const forms::Control* outer = &control;
    for (int depth = 0; depth < 16 && !outer->container().empty(); ++depth) {
      const auto found = by_name.find(outer->container());
      if (found == by_name.end()) break;
      outer = found->second;
      left += outer->left();
      top += outer->top();
    }
    return Box{left, top, left + control.width(), top + control.height()};
  };
  std::vector<std::pair<const forms::Control*, Box>> labels;
  for (const auto& c : form.controls()) {
    const bool blank = c->caption().find_first_not_of(" \t\r\n") == std::string::npos;
    // The page's heading names the page, not a field below it.
    if (c->kind() == Kind::Label && c->name() != "lblHeading" && !blank) {
      labels.emplace_back(c.get(), box_of(*c));
    }
  }
  std::map<std::string, const forms::Control*> found;
  for (const auto& field : form.controls()) {
    if (!is_field(field->kind())) continue;
    const Box f = box_of(*field);
    const forms::Control* best = nullptr;
    int best_distance = 0;
    for (const auto& [label, l] : labels) {
      std::optional<int> distance;
      if (l.right <= f.left + kSlackTwips && l.top < f.bottom && l.bottom > f.top) {
        if (f.left - l.right <= kBesideTwips) distance = f.left - l.right;
      } else if (l.bottom <= f.top + kSlackTwips && l.left < f.right && l.right > f.left) {
        // A label beside wins over one as far above.
        if (f.top - l.bottom <= kAboveTwips) distance = (f.top - l.bottom) * 2;
      }
      if (distance && (!best || *distance < best_distance)) {
        best = label;
        best_distance = *distance;
      }
    }
    if (best) found.emplace(field->name(), best);
  }
  return found;
}

std::string label_words(std::string_view caption) {
  std::string words;
  bool space = false;
  for (const char c : caption) {
    if (c == ' ' || c == '\t' || c == '\r' || c == '\n') {
      space = !words.empty();
      continue;
    }
    if (space) words += ' ';
    space = false;
    words += c;
  }
  while (!words.empty() && (words.back() == ':' || words.back() == ' ')) words.pop_back();
  return words;
}

std::map<std::string, std::string> fields_of_paths(const forms::Form& form,
                                                   std::span<const std::string> paths) {
  const auto labels = field_labels(form);
  std::vector<std::pair<std::string, std::string>> written;  // binding, words
  for (const auto& c : form.controls()) {
    if (c->binding().empty()) continue;
    const auto label = labels.find(c->name());
    if (label == labels.end()) continue;
    written.emplace_back(without_indices(c->binding()), label_words(label->second->caption()));
  }
  std::map<std::string, std::string> names;
  for (const std::string& path : paths) {
    const std::string bare = without_indices(path);
    // The deepest binding wins: a field of a list entry over the list's.
    const std::pair<std::string, std::string>* best = nullptr;
    for (const auto& w : written) {
      if (lies_in(bare, w.first) && (!best || w.first.size() > best->first.size())) best = &w;
    }
    if (best && !best->second.empty()) names.emplace(path, best->second);
  }
  return names;
}

Json controls_json(const forms::Form& form) {
  const auto labels = field_labels(form);
  Json controls = Json::array();
  for (const auto& c : form.controls()) {
    Json control = {{"name", c->name()}, {"kind", forms::to_string(c->kind())}};
    if (has_caption(c->kind())) control["caption"] = c->caption();
    if (c->has_text()) control["text"] = c->text();
    if (has_items(c->kind())) control["items"] = c->items();
    if (c->kind() == Kind::CheckBox) control["value"] = c->value();
    if (c->kind() == Kind::OptionButton) control["value"] = c->value() != 0;
    if (c->kind() == Kind::ListBox || c->kind() == Kind::Map) control["value"] = c->list_index();
    if (c->check_marks()) {
      Json checked = Json::array();
      for (std::size_t i = 0; i < c->items().size(); ++i) checked.push_back(c->checked(i));
      control["checked"] = std::move(checked);
    }
    if (c->kind() == Kind::Map) control["links"] = c->links();
    if (!c->enabled()) control["enabled"] = false;
    control["left"] = c->left();
    control["top"] = c->top();
    control["width"] = c->width();
    control["height"] = c->height();
    if (c->tab_index()) control["tabIndex"] = *c->tab_index();
    if (!c->container().empty()) control["container"] = c->container();
    if (const auto label = labels.find(c->name()); label != labels.end()) {
      control["label"] = label->second->name();
    }
    controls.push_back(std::move(control));
  }
  return controls;
}

std::string controls_text(const forms::Form& form) {
  std::ostringstream out;
  for (const auto& c : form.controls()) {
    out << "  " << std::left << std::setw(22) << c->name() << std::setw(13)
        << forms::to_string(c->kind());
    if (has_caption(c->kind())) out << ' ' << in_quotes(c->caption());
    if (c->has_text()) out << " text " << in_quotes(c->text());
    if (c->kind() == Kind::CheckBox) out << (c->value() == 1 ? " [x]" : " [ ]");
    if (c->kind() == Kind::OptionButton) out << (c->value() != 0 ? " (o)" : " ( )");
    if (c->kind() == Kind::ListBox || c->kind() == Kind::Map)
      out << " selected " << c->list_index();
    if (!c->enabled()) out << " disabled";
    if (c->tab_index()) out << " tab " << *c->tab_index();
    if (!c->container().empty()) out << " in " << c->container();
    out << '\n';
    if (has_items(c->kind()) && !c->items().empty()) {
      out << "  " << std::string(22, ' ') << "items:";
      for (std::size_t i = 0; i < c->items().size(); ++i) {
        if (c->check_marks()) out << (c->checked(i) ? " [x]" : " [ ]");
        out << ' ' << in_quotes(c->items()[i]);
      }
      out << '\n';
    }
  }
  return out.str();
}

}  // namespace tw::host
