#pragma once
// The author's unsaved edits of an item, on disk as they are made, so that an
// editor that is stopped or killed loses none of them. One file per item and
// editor process, TIDEWISE_HOME/journal/<hash of the item's file>-<pid>.jsonl:
// a first line naming the item, then one line per step (the edits made on a
// page, or a record imported), each appended and synced before the request
// that made it is answered. A save, a revert or a discard removes it; one
// left by a process that is gone is offered when the item is opened again.

#include <filesystem>
#include <nlohmann/json.hpp>
#include <optional>
#include <string>
#include <vector>

namespace tw::host {

using Json = nlohmann::ordered_json;

class Journal {
 public:
  // The journal of `item_file` (an absolute path) for this process; nothing
  // is written until the first step.
  explicit Journal(std::filesystem::path item_file, std::string shown_name);
  ~Journal();
  Journal(const Journal&) = delete;
  Journal& operator=(const Journal&) = delete;

  static std::filesystem::path folder();

  const std::filesystem::path& path() const { return path_; }
  // Appends one step and syncs it to the disk. Throws std::runtime_error
  // when it cannot: the step must not be answered as kept.
  void append(const Json& step);
  // Forgets the steps: the file goes.
  void clear();
  std::size_t steps() const { return steps_; }
  // The steps kept, in order.
  std::vector<Json> read() const;

  // A journal a process that is gone left for this item, if any (the
  // latest).
  struct Left {
    std::filesystem::path path;
    std::vector<Json> steps;  // whole lines only: a line cut short by a kill is not one
    std::string written;      // when it was last written, ISO 8601 UTC
  };
  static std::optional<Left> left_for(const std::filesystem::path& item_file);
  // The items of this process's journals: those with unsaved edits, by the
  // names the editor showed.
  static std::vector<std::string> items_of_this_process();

 private:
  std::filesystem::path item_file_;
  std::string shown_name_;
  std::filesystem::path path_;
  int fd_ = -1;
  std::size_t steps_ = 0;
};

}  // namespace tw::host
