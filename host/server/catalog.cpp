#include "catalog.h"

#include <algorithm>

#include "tidewise/platform.h"

namespace tw::server {

namespace fs = std::filesystem;

namespace {

constexpr std::size_t kMaxNameBytes = 255;  // NAME_MAX
constexpr int kMaxFolderDepth = 8;
constexpr std::size_t kMaxItems = 5000;

// A name in a message, quoted and shown as the tool shows names.
std::string in_quotes(std::string_view name) {
  return "\"" + platform::shown(name) + "\"";
}

bool inside(const fs::path& folder, const fs::path& path) {
  const auto [end, _] = std::mismatch(folder.begin(), folder.end(), path.begin(), path.end());
  return end == folder.end();
}

}  // namespace

Catalog::Catalog(const fs::path& path) {
  std::error_code ec;
  const fs::path canonical = fs::canonical(path, ec);
  if (ec) throw ApiError(400, in_quotes(path.string()) + " cannot be opened: " + ec.message());
  if (fs::is_directory(canonical, ec)) {
    folder_ = canonical;
  } else if (fs::is_regular_file(canonical, ec)) {
    folder_ = canonical.parent_path();
    single_ = canonical.filename().string();
  } else {
    throw ApiError(400, in_quotes(path.string()) + " is neither a folder nor an item file");
  }
}

fs::path Catalog::resolve(const std::string& relative, bool must_exist) const {
  const auto refuse = [&](const std::string& why) -> fs::path {
    // Quoted as every message quotes names: a NUL or a control character
    // in it would otherwise cut the message short or reach a terminal.
    throw ApiError(400, "item path " + in_quotes(relative.substr(0, 300)) +
                            (relative.size() > 300 ? "…" : "") + " " + why);
  };
  if (relative.empty()) return refuse("is empty");
  if (relative.size() > 1024) return refuse("is too long");
  if (relative.find('\0') != std::string::npos || relative.find('\\') != std::string::npos) {
    return refuse("holds a character item paths do not use");
  }
  const fs::path path(relative);
  if (path.is_absolute()) return refuse("is absolute; item paths are relative to the catalog");
  if (relative.back() == '/') return refuse("ends in \"/\"; an item is a file");
  if (relative.find("//") != std::string::npos) return refuse("has an empty step (\"//\")");
  int depth = 0;
  for (const fs::path& step : path) {
    const std::string name = step.string();
    if (name.empty()) return refuse("has an empty step (\"//\")");
    if (name == "." || name == "..") return refuse("has a \".\" or \"..\" step");
    if (name.front() == '.') return refuse("names a hidden file or folder");
    if (name.size() > kMaxNameBytes) {
      return refuse("holds a name longer than " + std::to_string(kMaxNameBytes) +
                    " bytes, more than a file name may have");
    }
    if (++depth > kMaxFolderDepth) return refuse("is nested too deeply");
  }
  if (path.extension() != ".xml") return refuse("does not end in \".xml\"");
  if (single_ && relative != *single_) {
    throw ApiError(404, "this editor serves the one item \"" + *single_ + "\"");
  }

  fs::path joined = folder_ / path;
  std::error_code ec;
  // The folder the item lies in must be inside, whether the item exists or not.
  const fs::path parent = fs::canonical(joined.parent_path(), ec);
  if (ec || !inside(folder_, parent)) return refuse("names a folder that is not in the catalog");
  const fs::file_status link_status = fs::symlink_status(joined, ec);
  if (fs::exists(link_status)) {
    const fs::path real = fs::canonical(joined, ec);
    if (ec || !inside(folder_, real)) return refuse("leads outside the catalog");
    if (!fs::is_regular_file(real, ec)) return refuse("is not a file");
    return joined;
  }
  if (fs::is_symlink(link_status)) return refuse("leads outside the catalog");
  if (must_exist) throw ApiError(404, "there is no item " + in_quotes(relative));
  return joined;
}

std::vector<std::string> Catalog::items() const {
  std::vector<std::string> items;
  if (single_) {
    items.push_back(*single_);
    return items;
  }
  std::error_code ec;
  fs::recursive_directory_iterator it(folder_, fs::directory_options::skip_permission_denied, ec);
  for (; !ec && it != fs::recursive_directory_iterator(); it.increment(ec)) {
    const fs::path& path = it->path();
    const std::string name = path.filename().string();
    std::error_code kind_ec;
    const bool directory = it->is_directory(kind_ec);
    if (name.empty() || name.front() == '.') {
      if (directory) it.disable_recursion_pending();
      continue;
    }
    if (directory) {
      if (it.depth() + 1 >= kMaxFolderDepth) it.disable_recursion_pending();
      continue;
    }
    if (path.extension() != ".xml") continue;
    const std::string relative = path.lexically_relative(folder_).string();
    try {
      resolve(relative, true);
    } catch (const ApiError&) {
      continue;  // a link that leads outside is no item of this catalog
    }
    items.push_back(relative);
    if (items.size() >= kMaxItems) break;
  }
  std::sort(items.begin(), items.end());
  return items;
}

}  // namespace tw::server
