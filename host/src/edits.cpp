#include "tidewise/host/edits.h"

#include <algorithm>
#include <charconv>

#include "tidewise/com/error.h"
#include "tidewise/platform.h"
#include "tidewise/xml/xml.h"

namespace tw::host {

using forms::Control;
using forms::Kind;

namespace {

constexpr std::pair<Edit::Kind, std::string_view> kEditNames[] = {
    {Edit::Kind::Type, "type"},     {Edit::Kind::Pick, "pick"},
    {Edit::Kind::Check, "check"},   {Edit::Kind::Uncheck, "uncheck"},
    {Edit::Kind::Choose, "choose"}, {Edit::Kind::Select, "select"},
    {Edit::Kind::Click, "click"},
};

// The position a select names: decimal digits, from 0.
std::optional<int> list_position(std::string_view text) {
  int position = 0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), position);
  if (text.empty() || error != std::errc() || end != text.data() + text.size() || position < 0) {
    return std::nullopt;
  }
  return position;
}

// A name in a message.
std::string named(std::string_view name) {
  return "\"" + platform::shown(name) + "\"";
}

[[noreturn]] void refuse(const Edit& edit, const Control& control, std::string_view why) {
  throw InvalidEdit(edit.kind, named(control.name()) + " is a " +
                                   std::string(forms::to_string(control.kind())) +
                                   std::string(why));
}

}  // namespace

std::string_view to_string(Edit::Kind kind) {
  for (const auto& [k, name] : kEditNames) {
    if (k == kind) return name;
  }
  return "edit";
}

std::optional<Edit::Kind> edit_kind(std::string_view name) {
  for (const auto& [kind, n] : kEditNames) {
    if (n == name) return kind;
  }
  return std::nullopt;
}

void validate_edits(const forms::Form& form, std::span<const Edit> edits) {
  for (const Edit& edit : edits) {
    const Control* control = form.find(edit.control);
    if (control == nullptr) {
      throw InvalidEdit(edit.kind, "the page has no control " + named(edit.control));
    }
    switch (edit.kind) {
      case Edit::Kind::Type:
        if (!control->has_text()) refuse(edit, *control, ", which takes no typing");
        // The page would store it, and the item could not be saved.
        try {
          xml::check_text(edit.value);
        } catch (const com::Error& e) {
          throw InvalidEdit(edit.kind, "the text for " + named(edit.control) +
                                           " cannot be kept in an XML file: " + e.what());
        }
        break;
      case Edit::Kind::Pick: {
        if (control->kind() != Kind::ComboBox) refuse(edit, *control, ", which has no list");
        const auto& items = control->items();
        if (std::find(items.begin(), items.end(), edit.value) == items.end()) {
          throw InvalidEdit(edit.kind, named(edit.value) + " is not an item of the list of " +
                                           named(edit.control));
        }
        break;
      }
      case Edit::Kind::Check:
      case Edit::Kind::Uncheck:
        if (control->check_marks()) {
          const auto& items = control->items();
          if (std::find(items.begin(), items.end(), edit.value) == items.end()) {
            throw InvalidEdit(edit.kind, named(edit.value) + " is not an item of the list of " +
                                             named(edit.control));
          }
        } else if (control->kind() != Kind::CheckBox) {
          refuse(edit, *control, ", not a check box or a list with check marks");
        } else if (!edit.value.empty()) {
          refuse(edit, *control, ", which has no items to check");
        }
        break;
      case Edit::Kind::Choose:
        if (control->kind() != Kind::OptionButton) refuse(edit, *control, ", not an option button");
        break;
      case Edit::Kind::Select:
        if (control->kind() != Kind::ListBox) refuse(edit, *control, ", not a list box");
        if (!list_position(edit.value)) {
          throw InvalidEdit(edit.kind, named(edit.value) + " is not a position in the list of " +
                                           named(edit.control) + " (0 is the first)");
        }
        break;
      case Edit::Kind::Click:
        if (control->kind() != Kind::CommandButton) refuse(edit, *control, ", not a button");
        break;
    }
  }
}

void apply_edit(forms::Form& form, const Edit& edit) {
  Control& control = form.get(edit.control);
  if (!control.enabled()) refuse(edit, control, " that is disabled now");
  switch (edit.kind) {
    case Edit::Kind::Type:
      control.type(edit.value);
      break;
    case Edit::Kind::Pick:
      control.pick(edit.value);
      break;
    case Edit::Kind::Check:
    case Edit::Kind::Uncheck: {
      if (control.check_marks()) {
        const auto& items = control.items();
        const auto found = std::find(items.begin(), items.end(), edit.value);
        if (found == items.end()) {
          throw InvalidEdit(edit.kind, named(edit.value) + " is no longer an item of the list of " +
                                           named(edit.control));
        }
        control.set_checked(static_cast<std::size_t>(found - items.begin()),
                            edit.kind == Edit::Kind::Check);
        break;
      }
      // A user clicks until the box shows what they want: a greyed box
      // (value 2) takes one click to check and two to clear.
      const int wanted = edit.kind == Edit::Kind::Check ? 1 : 0;
      for (int clicks = 0; control.value() != wanted && clicks < 2; ++clicks) control.click();
      break;
    }
    case Edit::Kind::Choose:
    case Edit::Kind::Click:
      control.click();
      break;
    case Edit::Kind::Select: {
      const int position = list_position(edit.value).value_or(-1);
      if (position < 0 || position >= static_cast<int>(control.items().size())) {
        throw InvalidEdit(edit.kind, named(edit.control) + " has no item " + edit.value +
                                         " (it has " + std::to_string(control.items().size()) +
                                         ")");
      }
      control.select(position);
      break;
    }
  }
}

}  // namespace tw::host
