#include "tidewise/host/rendering.h"

#include <iomanip>
#include <sstream>

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

}  // namespace

Json controls_json(const forms::Form& form) {
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
