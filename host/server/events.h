#pragma once
// What the tabs of an item wait for: its version, which every change in any
// tab moves on, and its file, which another program may change. Shared
// between the apartment, which changes them, and the server's threads, where
// a tab's long-polling request waits without holding up the apartment.

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <filesystem>
#include <map>
#include <mutex>
#include <string>

#include "tidewise/platform.h"

namespace tw::server {

class ItemEvents {
 public:
  // `most_waiting`: requests that may wait at once; the others are answered
  // at once and asked to come back, so that waiting tabs never take every
  // thread of the server.
  explicit ItemEvents(std::size_t most_waiting) : most_waiting_(most_waiting) {}

  // The item moved on to `version`; `seen` is its file as the editor last
  // read or wrote it.
  void changed(const std::string& item, std::uint64_t version, const std::filesystem::path& file,
               const platform::FileStamp& seen);
  void closed(const std::string& item);

  struct Answer {
    bool waited = false;  // false: too many wait already; ask again later
    bool open = false;
    std::uint64_t version = 0;
    bool outside = false;  // the file is not the one the editor last read or wrote
  };
  // Returns as soon as the item's version is not `version`, its file changes,
  // the item is closed or the server stops, or after `patience`.
  // A tab that was told of the file's change already (`outside_known`) is
  // not told again.
  Answer wait(const std::string& item, std::uint64_t version, bool outside_known,
              std::chrono::milliseconds patience);
  // Every wait returns now, and none waits from here on.
  void stop();

 private:
  struct Item {
    std::uint64_t version = 0;
    std::filesystem::path file;
    platform::FileStamp seen;
  };
  std::mutex mutex_;
  std::condition_variable moved_;
  std::map<std::string, Item> items_;
  std::size_t waiting_ = 0;
  std::size_t most_waiting_;
  bool stopped_ = false;
};

// Whether `file` is no longer what the editor last read or wrote.
bool changed_outside(const std::filesystem::path& file, const platform::FileStamp& seen);

}  // namespace tw::server
