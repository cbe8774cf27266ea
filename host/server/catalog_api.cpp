// Managing the catalog's items from the editor: rename, duplicate, delete
// into a trash folder inside the catalog (hidden, so neither the listing nor
// the index shows it) and restore from there, and search through the
// catalog's index. An item open for editing is neither renamed nor deleted:
// its session would go on writing the old name.

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <iterator>

#include "editor.h"
#include "request_fields.h"
#include "tidewise/host/item.h"

namespace tw::server {

namespace fs = std::filesystem;

namespace {

constexpr const char* kTrash = ".trash";

std::string read_file(const fs::path& file) {
  std::ifstream in(file, std::ios::binary);
  if (!in) throw ApiError(500, "cannot read " + in_quotes(file.filename().string()));
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// Moves `from` to `to` unless `to` exists: never over another file.
void move_new(const fs::path& from, const fs::path& to, const std::string& shown_to) {
  if (::renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE) == 0) return;
  const int error = errno;
  if (error == EEXIST) throw ApiError(409, in_quotes(shown_to) + " exists already");
  throw ApiError(500,
                 "cannot move the item to " + in_quotes(shown_to) + ": " + std::strerror(error));
}

// A trash entry's folder name: when it was deleted, unique in the trash.
std::string trash_stamp() {
  static unsigned counter = 0;
  const auto now = std::chrono::system_clock::now().time_since_epoch();
  return std::to_string(std::chrono::duration_cast<std::chrono::nanoseconds>(now).count()) + "-" +
         std::to_string(::getpid()) + "-" + std::to_string(++counter);
}

// The steps of a relative path that may name an item's place: no empty,
// ".", ".." or hidden step.
bool plain_steps(const fs::path& path) {
  if (path.empty() || path.is_absolute()) return false;
  for (const fs::path& step : path) {
    const std::string name = step.string();
    if (name.empty() || name.front() == '.') return false;
  }
  return true;
}

}  // namespace

host::CatalogIndex& Editor::index() {
  if (!index_) index_ = std::make_unique<host::CatalogIndex>(catalog_.folder());
  return *index_;
}

void Editor::note_changed(const std::string& relative) {
  // Without an index yet there is nothing to keep in step: it reads the
  // folder when it is made.
  if (!index_) return;
  try {
    index_->note_changed(relative);
  } catch (const std::exception&) {
    // The next search refreshes the index from the folder.
  }
}

Json Editor::rename_item(const Json& request) {
  if (catalog_.single_item())
    throw ApiError(400, "this editor serves one item; it cannot be renamed");
  const std::string& from_name = text_field(request, "item");
  const std::string& to_name = text_field(request, "to");
  const fs::path from = catalog_.resolve(from_name, true);
  const fs::path to = catalog_.resolve(to_name, false);
  if (sessions_.contains(from_name)) {
    throw ApiError(409, in_quotes(from_name) + " is open for editing: close it before renaming it");
  }
  {
    // Not while another program writes it.
    const host::ItemLock lock(from, std::chrono::milliseconds(0));
    move_new(from, to, to_name);
  }
  std::error_code ec;
  fs::remove(host::ItemLock::lock_file(from), ec);
  note_changed(from_name);
  note_changed(to_name);
  Json answer = catalog(request);
  answer["renamed"] = to_name;
  return answer;
}

Json Editor::duplicate_item(const Json& request) {
  if (catalog_.single_item())
    throw ApiError(400, "this editor serves one item; open a folder to create items");
  const std::string& from_name = text_field(request, "item");
  const std::string& to_name = text_field(request, "to");
  const fs::path from = catalog_.resolve(from_name, true);
  const fs::path to = catalog_.resolve(to_name, false);
  // The saved file: an open item's unsaved edits stay with it.
  const std::string content = read_file(from);
  const fs::path temp =
      to.parent_path() / ("." + to.filename().string() + ".new-" + std::to_string(::getpid()));
  const platform::Leftover leftover(temp);
  // The copy is another record: it gets an identifier of its own. A file
  // that cannot be read as an item is copied as it is.
  const auto copy = com::make_object<host::XmlMetadataDocument>();
  std::optional<std::string> identifier;
  try {
    copy->load_text(content);
    identifier = host::renew_record_identifier(*copy.get());
  } catch (const com::Error&) {
    identifier.reset();
  }
  if (identifier) {
    copy->write_file(temp);
  } else {
    platform::write_file_atomically(temp, content);
  }
  try {
    move_new(temp, to, to_name);
  } catch (...) {
    std::error_code ec;
    fs::remove(temp, ec);
    throw;
  }
  note_changed(to_name);
  Json answer = catalog(request);
  answer["created"] = to_name;
  if (identifier) answer["identifier"] = *identifier;
  return answer;
}

Json Editor::delete_item(const Json& request) {
  if (catalog_.single_item())
    throw ApiError(400, "this editor serves one item; it cannot be deleted");
  const std::string& name = text_field(request, "item");
  const fs::path file = catalog_.resolve(name, true);
  if (sessions_.contains(name)) {
    throw ApiError(409, in_quotes(name) + " is open for editing: close it before deleting it");
  }
  const std::string stamp = trash_stamp();
  const fs::path place = catalog_.folder() / kTrash / stamp / name;
  std::error_code ec;
  fs::create_directories(place.parent_path(), ec);
  if (ec) throw ApiError(500, "cannot make the trash folder: " + ec.message());
  {
    const host::ItemLock lock(file, std::chrono::milliseconds(0));
    move_new(file, place, name);
  }
  fs::remove(host::ItemLock::lock_file(file), ec);
  note_changed(name);
  Json answer = catalog(request);
  answer["deleted"] = name;
  answer["trashEntry"] = stamp + "/" + name;
  return answer;
}

Json Editor::trash(const Json&) {
  Json entries = Json::array();
  const fs::path folder = catalog_.folder() / kTrash;
  std::error_code ec;
  if (catalog_.single_item() || !fs::is_directory(fs::symlink_status(folder, ec))) {
    return {{"entries", entries}};
  }
  for (const fs::directory_entry& stamp : fs::directory_iterator(folder, ec)) {
    if (!stamp.is_directory(ec) || stamp.is_symlink(ec)) continue;
    fs::recursive_directory_iterator it(stamp.path(), ec);
    for (; !ec && it != fs::recursive_directory_iterator(); it.increment(ec)) {
      if (it->is_symlink(ec) || !it->is_regular_file(ec)) continue;
      if (it->path().extension() != ".xml") continue;
      const std::string path = it->path().lexically_relative(stamp.path()).string();
      const std::string stamp_name = stamp.path().filename().string();
      entries.push_back({{"entry", stamp_name + "/" + path},
                         {"path", path},
                         {"deletedNs", std::strtoll(stamp_name.c_str(), nullptr, 10)}});
    }
    ec.clear();
  }
  std::sort(entries.begin(), entries.end(), [](const Json& a, const Json& b) {
    return a["deletedNs"].get<long long>() > b["deletedNs"].get<long long>();
  });
  return {{"entries", entries}};
}

Json Editor::restore_item(const Json& request) {
  if (catalog_.single_item()) throw ApiError(400, "this editor serves one item; it has no trash");
  const std::string& entry = text_field(request, "entry");
  const fs::path entry_path(entry);
  const auto first = entry_path.begin();
  if (!plain_steps(entry_path) || first == entry_path.end() ||
      std::next(first) == entry_path.end()) {
    throw ApiError(400, "there is no trash entry " + in_quotes(entry));
  }
  fs::path relative;
  for (auto step = std::next(first); step != entry_path.end(); ++step) relative /= *step;
  const fs::path source = catalog_.folder() / kTrash / entry_path;
  std::error_code ec;
  if (!fs::is_regular_file(fs::symlink_status(source, ec))) {
    throw ApiError(404, "there is no trash entry " + in_quotes(entry));
  }
  // The folder it was in may be gone since: made again, inside the catalog.
  fs::create_directories(catalog_.folder() / relative.parent_path(), ec);
  const fs::path target = catalog_.resolve(relative.string(), false);
  move_new(source, target, relative.string());
  // The entry's folders, now empty.
  for (fs::path left = source.parent_path(); left != catalog_.folder() / kTrash;
       left = left.parent_path()) {
    if (!fs::remove(left, ec)) break;
  }
  note_changed(relative.string());
  Json answer = catalog(request);
  answer["restored"] = relative.string();
  return answer;
}

Json Editor::empty_trash(const Json& request) {
  if (catalog_.single_item()) throw ApiError(400, "this editor serves one item; it has no trash");
  const std::size_t count = trash(request)["entries"].size();
  std::error_code ec;
  const fs::path folder = catalog_.folder() / kTrash;
  if (fs::is_directory(fs::symlink_status(folder, ec))) fs::remove_all(folder, ec);
  if (ec) throw ApiError(500, "the trash could not be emptied: " + ec.message());
  return {{"emptied", count}};
}

Json Editor::search_items(const Json& request) {
  const std::string& text = text_field(request, "text");
  if (text.size() > 4096) throw ApiError(400, "the search text is longer than 4,096 bytes");
  Json matches = Json::array();
  try {
    host::CatalogIndex& found = index();
    found.refresh();
    const host::CatalogPage page = found.search(text);
    const std::vector<std::string> items =
        catalog_.single_item() ? catalog_.items() : std::vector<std::string>{};
    for (const host::CatalogEntry& entry : page.entries) {
      if (catalog_.single_item() && entry.path != items.front()) continue;
      matches.push_back(entry.path);
    }
  } catch (const com::Error& error) {
    throw ApiError(500, std::string("the catalog cannot be searched: ") + error.what());
  }
  return {{"text", text}, {"matches", matches}};
}

}  // namespace tw::server
