#pragma once
// Process limits that make file operations fail on purpose, even for root:
// a file size limit makes writes fail. It is lifted again when the guard goes.

#include <sys/resource.h>

#include <csignal>
#include <stdexcept>

namespace tw::test {

class ResourceLimit {
 public:
  ResourceLimit(int resource, rlim_t soft) : resource_(resource) {
    if (::getrlimit(resource_, &old_) != 0) throw std::runtime_error("getrlimit failed");
    rlimit lowered = old_;
    lowered.rlim_cur = soft;
    if (::setrlimit(resource_, &lowered) != 0) throw std::runtime_error("setrlimit failed");
  }
  ~ResourceLimit() { ::setrlimit(resource_, &old_); }
  ResourceLimit(const ResourceLimit&) = delete;
  ResourceLimit& operator=(const ResourceLimit&) = delete;

 private:
  int resource_;
  rlimit old_{};
};

// Writes past `bytes` fail with EFBIG instead of stopping the process.
class FileSizeLimit {
 public:
  explicit FileSizeLimit(rlim_t bytes)
      : previous_(std::signal(SIGXFSZ, SIG_IGN)), limit_(RLIMIT_FSIZE, bytes) {}
  ~FileSizeLimit() { std::signal(SIGXFSZ, previous_); }
  FileSizeLimit(const FileSizeLimit&) = delete;
  FileSizeLimit& operator=(const FileSizeLimit&) = delete;

 private:
  void (*previous_)(int);
  ResourceLimit limit_;
};

}  // namespace tw::test
