#pragma once
// A page's controls as the fronts show them: JSON and text.

#include <nlohmann/json.hpp>
#include <string>

#include "tidewise/forms/forms.h"

namespace tw::host {

using Json = nlohmann::ordered_json;

// {"name", "kind", "caption"?, "text"?, "items"?, "value"?, "checked"?,
// "links"?, "enabled"?, "left", "top", "width", "height", "tabIndex"?,
// "container"?} for every control, in order.
Json controls_json(const forms::Form& form);
std::string controls_text(const forms::Form& form);

}  // namespace tw::host
