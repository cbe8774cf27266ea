// A page's controls as the tool prints them, and the edits a user makes on them.

#include <algorithm>
#include <iomanip>
#include <sstream>

#include "tidewise/com/error.h"
#include "tidewise/platform.h"
#include "tidewise/xml/xml.h"
#include "tool.h"

namespace tw::cli {

using forms::Control;
using forms::Kind;

namespace {

bool has_caption(Kind kind) {
  return kind == Kind::Label || kind == Kind::Frame || kind == Kind::CheckBox ||
         kind == Kind::OptionButton;
}

// Quoted, and with whatever would not show on a terminal escaped: texts
// come from the item and the command line.
std::string in_quotes(std::string_view text) {
  std::ostringstream out;
  out << std::quoted(platform::shown(text));
  return out.str();
}
// A name in a message.
std::string named(std::string_view name) {
  return "\"" + platform::shown(name) + "\"";
}

std::string_view option_name(Edit::Kind kind) {
  switch (kind) {
    case Edit::Kind::Type:
      return "--type";
    case Edit::Kind::Pick:
      return "--pick";
    case Edit::Kind::Check:
      return "--check";
    case Edit::Kind::Uncheck:
      return "--uncheck";
    case Edit::Kind::Choose:
      return "--choose";
  }
  return "--edit";
}

[[noreturn]] void refuse(const Edit& edit, const Control& control, std::string_view why) {
  throw UsageError(std::string(option_name(edit.kind)) + ": " + named(control.name()) + " is a " +
                   std::string(forms::to_string(control.kind())) + std::string(why));
}

}  // namespace

Json controls_json(const forms::Form& form) {
  Json controls = Json::array();
  for (const auto& c : form.controls()) {
    Json control = {{"name", c->name()}, {"kind", forms::to_string(c->kind())}};
    if (has_caption(c->kind())) control["caption"] = c->caption();
    if (c->has_text()) control["text"] = c->text();
    if (c->kind() == Kind::ComboBox) control["items"] = c->items();
    if (c->kind() == Kind::CheckBox) control["value"] = c->value();
    if (c->kind() == Kind::OptionButton) control["value"] = c->value() != 0;
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
    if (c->tab_index()) out << " tab " << *c->tab_index();
    if (!c->container().empty()) out << " in " << c->container();
    out << '\n';
    if (c->kind() == Kind::ComboBox && !c->items().empty()) {
      out << "  " << std::string(22, ' ') << "items:";
      for (const std::string& item : c->items()) out << ' ' << in_quotes(item);
      out << '\n';
    }
  }
  return out.str();
}

void validate_edits(const forms::Form& form, const std::vector<Edit>& edits) {
  for (const Edit& edit : edits) {
    const Control* control = form.find(edit.control);
    if (control == nullptr) {
      throw UsageError(std::string(option_name(edit.kind)) + ": the page has no control " +
                       named(edit.control));
    }
    switch (edit.kind) {
      case Edit::Kind::Type:
        if (!control->has_text()) refuse(edit, *control, ", which takes no typing");
        // The page would store it, and the item could not be saved.
        try {
          xml::check_text(edit.value);
        } catch (const com::Error& e) {
          throw UsageError("--type: the text for " + named(edit.control) +
                           " cannot be kept in an XML file: " + e.what());
        }
        break;
      case Edit::Kind::Pick: {
        if (control->kind() != Kind::ComboBox) refuse(edit, *control, ", which has no list");
        const auto& items = control->items();
        if (std::find(items.begin(), items.end(), edit.value) == items.end()) {
          throw UsageError("--pick: " + named(edit.value) + " is not an item of the list of " +
                           named(edit.control));
        }
        break;
      }
      case Edit::Kind::Check:
      case Edit::Kind::Uncheck:
        if (control->kind() != Kind::CheckBox) refuse(edit, *control, ", not a check box");
        break;
      case Edit::Kind::Choose:
        if (control->kind() != Kind::OptionButton) refuse(edit, *control, ", not an option button");
        break;
    }
  }
}

void apply_edit(forms::Form& form, const Edit& edit) {
  Control& control = form.get(edit.control);
  switch (edit.kind) {
    case Edit::Kind::Type:
      control.type(edit.value);
      break;
    case Edit::Kind::Pick:
      control.pick(edit.value);
      break;
    case Edit::Kind::Check:
    case Edit::Kind::Uncheck: {
      // A user clicks until the box shows what they want: a greyed box
      // (value 2) takes one click to check and two to clear.
      const int wanted = edit.kind == Edit::Kind::Check ? 1 : 0;
      for (int clicks = 0; control.value() != wanted && clicks < 2; ++clicks) control.click();
      break;
    }
    case Edit::Kind::Choose:
      control.click();
      break;
  }
}

}  // namespace tw::cli
