#pragma once
// The fields of a request's JSON body, and names as messages show them:
// shared by the editor's request handlers in every file.

#include <string>
#include <string_view>

#include "editor.h"
#include "tidewise/platform.h"

namespace tw::server {

// A name in a message, quoted and shown as the tool shows names.
inline std::string in_quotes(std::string_view name) {
  return "\"" + platform::shown(name) + "\"";
}

inline const std::string& text_field(const Json& request, const char* name) {
  const auto found = request.find(name);
  if (found == request.end() || !found->is_string()) {
    throw ApiError(400, std::string("the request needs \"") + name + "\" as a text");
  }
  return found->get_ref<const std::string&>();
}

inline bool flag_field(const Json& request, const char* name) {
  const auto found = request.find(name);
  if (found == request.end() || found->is_null()) return false;
  if (!found->is_boolean()) {
    throw ApiError(400, std::string("\"") + name + "\" must be true or false");
  }
  return found->get<bool>();
}

}  // namespace tw::server
