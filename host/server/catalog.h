#pragma once
// The catalog the browser editor serves: a folder of item files, or one item
// file, and the rules item paths in requests must keep.

#include <filesystem>
#include <nlohmann/json.hpp>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

namespace tw::server {

using Json = nlohmann::ordered_json;

// A request the editor refuses or cannot carry out: the HTTP status, a
// message for the person, and what else the answer carries.
class ApiError : public std::runtime_error {
 public:
  ApiError(int status, const std::string& message, Json extra = Json::object())
      : std::runtime_error(message), status_(status), extra_(std::move(extra)) {}
  int status() const { return status_; }
  const Json& extra() const { return extra_; }

 private:
  int status_;
  Json extra_;
};

// The folder of items, or one item file, that the editor serves. Item paths
// in requests are relative to the folder and never leave it.
class Catalog {
 public:
  // Throws ApiError when the path is neither a folder nor an item file.
  explicit Catalog(const std::filesystem::path& path);

  const std::filesystem::path& folder() const { return folder_; }
  // One item file alone: no items can be created.
  bool single_item() const { return single_.has_value(); }

  // The item file a request names: relative, without "." or ".." steps or
  // hidden names, ending in ".xml", and inside the folder once symbolic
  // links are followed. Throws ApiError 400 for a path that breaks these
  // rules and 404 for an item that is not there when `must_exist`.
  std::filesystem::path resolve(const std::string& relative, bool must_exist) const;
  // The item files, as relative paths in order.
  std::vector<std::string> items() const;

 private:
  std::filesystem::path folder_;  // canonical
  std::optional<std::string> single_;
};

}  // namespace tw::server
