#pragma once
// A page's controls as the fronts show them: JSON and text.

#include <map>
#include <nlohmann/json.hpp>
#include <span>
#include <string>
#include <string_view>

#include "tidewise/forms/forms.h"

namespace tw::host {

using Json = nlohmann::ordered_json;

// {"name", "kind", "caption"?, "text"?, "items"?, "value"?, "checked"?,
// "links"?, "enabled"?, "left", "top", "width", "height", "tabIndex"?,
// "container"?, "label"?} for every control, in order; "label" names the
// label control that names a field on screen.
Json controls_json(const forms::Form& form);
std::string controls_text(const forms::Form& form);

// The label each field (text, combo and list box, map) has on screen: the
// nearest label on its left overlapping its rows, or above it overlapping
// its columns. Fields with none are left out. The fronts name a field by it,
// to a screen reader and in a review alike.
std::map<std::string, const forms::Control*> field_labels(const forms::Form& form);
// A label's caption as a field's name: one line, without a closing colon.
std::string label_words(std::string_view caption);
// The names of the fields whose values the page wrote at `paths` (as a
// review gives them: "dataIdInfo/searchKeys/keyword[2]", ".../RestrictCd@value"),
// by where each control was last written; a path no labelled field wrote
// is left out.
std::map<std::string, std::string> fields_of_paths(const forms::Form& form,
                                                   std::span<const std::string> paths);

}  // namespace tw::host
