#include "events.h"

namespace tw::server {

namespace {

// How often a waiting request looks at the file: another program's change
// is told within a second.
constexpr std::chrono::milliseconds kLookEvery{400};

}  // namespace

bool changed_outside(const std::filesystem::path& file, const platform::FileStamp& seen) {
  try {
    return platform::stamp_of(platform::write_target(file)) != seen;
  } catch (const std::exception&) {
    return true;  // it cannot be examined any more: not the file that was read
  }
}

void ItemEvents::changed(const std::string& item, std::uint64_t version,
                         const std::filesystem::path& file, const platform::FileStamp& seen) {
  {
    std::lock_guard lock(mutex_);
    items_[item] = {version, file, seen};
  }
  moved_.notify_all();
}

void ItemEvents::closed(const std::string& item) {
  {
    std::lock_guard lock(mutex_);
    items_.erase(item);
  }
  moved_.notify_all();
}

ItemEvents::Answer ItemEvents::wait(const std::string& item, std::uint64_t version,
                                    bool outside_known, std::chrono::milliseconds patience) {
  std::unique_lock lock(mutex_);
  if (stopped_ || waiting_ >= most_waiting_) return {};
  ++waiting_;
  const auto deadline = std::chrono::steady_clock::now() + patience;
  Answer answer;
  answer.waited = true;
  for (;;) {
    const auto found = items_.find(item);
    answer.open = found != items_.end();
    if (!answer.open || stopped_) break;
    answer.version = found->second.version;
    if (answer.version != version) break;
    const std::filesystem::path file = found->second.file;
    const platform::FileStamp seen = found->second.seen;
    lock.unlock();
    const bool outside = !outside_known && changed_outside(file, seen);
    lock.lock();
    if (outside) {
      answer.outside = true;
      break;
    }
    if (std::chrono::steady_clock::now() >= deadline) break;
    moved_.wait_for(lock, kLookEvery);
  }
  --waiting_;
  return answer;
}

void ItemEvents::stop() {
  {
    std::lock_guard lock(mutex_);
    stopped_ = true;
  }
  moved_.notify_all();
}

}  // namespace tw::server
