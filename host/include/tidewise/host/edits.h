#pragma once
// The edits a user makes on a page's controls, checked and made as a user
// would make them.

#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "tidewise/forms/forms.h"
#include "tidewise/host/failures.h"

namespace tw::host {

struct Edit {
  enum class Kind { Type, Pick, Check, Uncheck, Choose, Select, Click };
  Kind kind;
  std::string control;
  // The text typed, the item picked, the position selected (from 0), or the
  // item of a list box whose check mark is set or cleared.
  std::string value;
};
// "type", "pick", "check", "uncheck", "choose", "select", "click".
std::string_view to_string(Edit::Kind kind);
std::optional<Edit::Kind> edit_kind(std::string_view name);

// An edit the page cannot take. The message says why without naming the
// edit, so that each front names it its own way.
class InvalidEdit : public InvalidRequest {
 public:
  InvalidEdit(Edit::Kind kind, const std::string& why) : InvalidRequest(why), kind_(kind) {}
  Edit::Kind kind() const { return kind_; }

 private:
  Edit::Kind kind_;
};

// Checks every edit against the form before any is made, so that a list of
// edits with a mistake changes nothing. Throws InvalidEdit. What an earlier
// edit may change (a list's length, whether a control is enabled) is checked
// as each edit is made.
void validate_edits(const forms::Form& form, std::span<const Edit> edits);
// As a user: typing raises Change, picking raises Click only, checking and
// choosing click, selecting a list's item and clicking a button raise Click.
// Throws InvalidEdit for a position the list does not have or a control
// that is disabled.
void apply_edit(forms::Form& form, const Edit& edit);

}  // namespace tw::host
