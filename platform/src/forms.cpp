#include "tidewise/forms/forms.h"

#include <algorithm>

#include "tidewise/com/error.h"

namespace tw::forms {

std::string_view to_string(Kind kind) {
  switch (kind) {
    case Kind::Label:
      return "Label";
    case Kind::TextBox:
      return "TextBox";
    case Kind::ComboBox:
      return "ComboBox";
    case Kind::CheckBox:
      return "CheckBox";
    case Kind::OptionButton:
      return "OptionButton";
    case Kind::Frame:
      return "Frame";
    case Kind::Shape:
      return "Shape";
    case Kind::ListBox:
      return "ListBox";
    case Kind::CommandButton:
      return "CommandButton";
    case Kind::Map:
      return "Map";
  }
  return "Control";
}

Control::Control(Form& form, const ControlSpec& design)
    : form_(form),
      name_(design.name),
      kind_(design.kind),
      container_(design.container),
      left_(design.left),
      top_(design.top),
      width_(design.width),
      height_(design.height),
      items_(design.items.begin(), design.items.end()),
      value_type_(design.value_type),
      links_(design.links.begin(), design.links.end()),
      value_(design.selected ? 1 : 0),
      check_marks_(design.kind == Kind::ListBox && design.check_marks) {
  if (design.tab_index >= 0) tab_index_ = design.tab_index;
  if (kind_ == Kind::ListBox || kind_ == Kind::Map) {
    value_ = -1;
    if (kind_ == Kind::ListBox) back_color_ = kWhite;
  }
  if (check_marks_) checked_.assign(items_.size(), false);
  if (has_text()) {
    text_ = design.caption;
    back_color_ = kWhite;
  } else {
    caption_ = design.caption;
  }
  switch (design.look) {
    case Look::Plain:
      break;
    case Look::Heading:
      font_ = {"Arial", 12, true};
      fore_color_ = kWhite;
      back_color_ = kTeal;
      break;
    case Look::HeadingBand:
      fore_color_ = kTeal;
      back_color_ = kTeal;
      break;
    case Look::RequiredMark:
      fore_color_ = kRed;
      break;
  }
}

void Control::require_text(std::string_view action) const {
  if (!has_text()) {
    com::raise(com::E_INVALIDARG, "cannot " + std::string(action) + " the " +
                                      std::string(to_string(kind_)) + " \"" + name_ + "\"");
  }
}

void Control::require_enabled(std::string_view action) const {
  if (!enabled_) {
    com::raise(com::E_INVALIDARG, "cannot " + std::string(action) + " the " +
                                      std::string(to_string(kind_)) + " \"" + name_ +
                                      "\": it is disabled");
  }
}

void Control::set_items(std::vector<std::string> items) {
  if (kind_ != Kind::ComboBox && kind_ != Kind::ListBox && kind_ != Kind::Map) {
    com::raise(com::E_INVALIDARG,
               "the " + std::string(to_string(kind_)) + " \"" + name_ + "\" has no list of items");
  }
  items_ = std::move(items);
  if (check_marks_) checked_.resize(items_.size(), false);
  if (kind_ != Kind::ComboBox && value_ >= static_cast<int>(items_.size())) value_ = -1;
}

void Control::select(int index) {
  if (kind_ != Kind::ListBox && kind_ != Kind::Map) {
    com::raise(com::E_INVALIDARG, "the " + std::string(to_string(kind_)) + " \"" + name_ +
                                      "\" has no items to select");
  }
  if (index < -1 || index >= static_cast<int>(items_.size())) {
    com::raise(com::E_INVALIDARG, "\"" + name_ + "\" has no item " + std::to_string(index) +
                                      " (it has " + std::to_string(items_.size()) + ")");
  }
  value_ = index;
  raise(on_click_);
}

void Control::set_checked(std::size_t index, bool checked) {
  if (!check_marks_) {
    com::raise(com::E_INVALIDARG, "\"" + name_ + "\" has no check marks");
  }
  if (index >= items_.size()) {
    com::raise(com::E_INVALIDARG, "\"" + name_ + "\" has no item " + std::to_string(index));
  }
  checked_[index] = checked;
  raise(on_click_);
}

void Control::set_text(std::string text) {
  require_text("set the text of");
  text_ = std::move(text);
  raise(on_change_);
}

void Control::type(std::string text) {
  require_text("type into");
  require_enabled("type into");
  set_text(std::move(text));
}

void Control::pick(std::string_view item) {
  if (kind_ != Kind::ComboBox) {
    com::raise(com::E_INVALIDARG, "\"" + name_ + "\" has no list to pick from");
  }
  require_enabled("pick from");
  if (std::find(items_.begin(), items_.end(), item) == items_.end()) {
    com::raise(com::E_INVALIDARG,
               "\"" + std::string(item) + "\" is not an item of the list of \"" + name_ + "\"");
  }
  text_ = item;
  raise(on_click_);
}

void Control::set_value(int value) {
  switch (kind_) {
    case Kind::CheckBox:
      if (value < 0 || value > 2) {
        com::raise(com::E_INVALIDARG, "a check box value is 0, 1 or 2");
      }
      value_ = value;
      break;
    case Kind::OptionButton:
      value_ = value != 0 ? 1 : 0;
      if (value_ == 1) {
        for (const auto& other : form_.controls()) {
          if (other.get() != this && other->kind_ == Kind::OptionButton &&
              other->container_ == container_) {
            other->value_ = 0;
          }
        }
      }
      break;
    default:
      com::raise(com::E_INVALIDARG,
                 "the " + std::string(to_string(kind_)) + " \"" + name_ + "\" has no value");
  }
  raise(on_click_);
}

void Control::click() {
  require_enabled("click");
  if (kind_ == Kind::CommandButton) {
    raise(on_click_);
  } else if (kind_ == Kind::CheckBox) {
    set_value(value_ == 1 ? 0 : 1);
  } else if (kind_ == Kind::OptionButton) {
    set_value(1);
  } else {
    com::raise(com::E_INVALIDARG,
               "the " + std::string(to_string(kind_)) + " \"" + name_ + "\" cannot be clicked");
  }
}

Control& Form::add(const ControlSpec& design) {
  if (find(design.name) != nullptr) {
    com::raise(com::E_INVALIDARG, "a control named \"" + std::string(design.name) + "\" exists");
  }
  controls_.push_back(std::make_unique<Control>(*this, design));
  Control& control = *controls_.back();
  // A group shows one selected option, even when a declaration names two.
  if (control.kind() == Kind::OptionButton && control.value() == 1) control.set_value(1);
  return control;
}

void Form::add(std::span<const ControlSpec> designs) {
  for (const ControlSpec& design : designs) add(design);
}

Control* Form::find(std::string_view name) {
  return const_cast<Control*>(std::as_const(*this).find(name));
}

const Control* Form::find(std::string_view name) const {
  for (const auto& control : controls_) {
    if (control->name() == name) return control.get();
  }
  return nullptr;
}

Control& Form::get(std::string_view name) {
  return const_cast<Control&>(std::as_const(*this).get(name));
}

const Control& Form::get(std::string_view name) const {
  if (const Control* control = find(name)) return *control;
  com::raise(com::E_INVALIDARG, "the page has no control \"" + std::string(name) + "\"");
}

}  // namespace tw::forms
