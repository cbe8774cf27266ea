#include "tidewise/host/journal.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <ctime>
#include <fstream>
#include <stdexcept>

#include "tidewise/com/registry.h"
#include "tidewise/platform.h"

namespace tw::host {

namespace fs = std::filesystem;

namespace {

std::string key_of(const fs::path& item_file) {
  std::uint64_t hash = 14695981039346656037ull;
  for (const char c : item_file.string()) {
    hash ^= static_cast<unsigned char>(c);
    hash *= 1099511628211ull;
  }
  static constexpr char kDigits[] = "0123456789abcdef";
  std::string text(16, '0');
  for (int i = 15; i >= 0; --i, hash >>= 4) text[static_cast<std::size_t>(i)] = kDigits[hash & 0xF];
  return text;
}

void write_whole(int fd, std::string_view text, const fs::path& file) {
  while (!text.empty()) {
    const ssize_t n = ::write(fd, text.data(), text.size());
    if (n < 0) {
      if (errno == EINTR) continue;
      throw std::runtime_error("cannot write the journal \"" + file.string() +
                               "\": " + std::strerror(errno));
    }
    text.remove_prefix(static_cast<std::size_t>(n));
  }
}

void sync_folder(const fs::path& folder) {
  const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) return;
  ::fsync(fd);
  ::close(fd);
}

// The process number a journal's name ends in, or 0.
int pid_of(const std::string& name) {
  const auto dash = name.rfind('-');
  const auto dot = name.rfind(".jsonl");
  if (dash == std::string::npos || dot == std::string::npos || dot <= dash + 1) return 0;
  try {
    return std::stoi(name.substr(dash + 1, dot - dash - 1));
  } catch (const std::exception&) {
    return 0;
  }
}

// The whole lines of a journal, parsed; the first is its header.
std::vector<Json> lines_of(const fs::path& file) {
  std::ifstream in(file, std::ios::binary);
  std::string text{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
  std::vector<Json> lines;
  std::size_t start = 0;
  for (std::size_t end; (end = text.find('\n', start)) != std::string::npos; start = end + 1) {
    Json line = Json::parse(text.begin() + static_cast<std::ptrdiff_t>(start),
                            text.begin() + static_cast<std::ptrdiff_t>(end), nullptr, false);
    if (line.is_discarded() || !line.is_object()) break;
    lines.push_back(std::move(line));
  }
  return lines;
}

std::string iso_time_of(const fs::path& file) {
  struct stat st {};
  if (::stat(file.c_str(), &st) != 0) return {};
  std::tm utc{};
  gmtime_r(&st.st_mtime, &utc);
  char text[32];
  std::strftime(text, sizeof text, "%Y-%m-%dT%H:%M:%SZ", &utc);
  return text;
}

}  // namespace

fs::path Journal::folder() {
  return com::tidewise_home() / "journal";
}

Journal::Journal(fs::path item_file, std::string shown_name)
    : item_file_(std::move(item_file)),
      shown_name_(std::move(shown_name)),
      path_(folder() / (key_of(item_file_) + "-" + std::to_string(::getpid()) + ".jsonl")) {}

Journal::~Journal() {
  // The file stays: what it holds is unsaved.
  if (fd_ >= 0) ::close(fd_);
}

void Journal::append(const Json& step) {
  if (fd_ < 0) {
    std::error_code ec;
    fs::create_directories(folder(), ec);
    ::chmod(folder().c_str(), 0700);
    fd_ = ::open(path_.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_APPEND | O_CLOEXEC, 0600);
    if (fd_ < 0) {
      throw std::runtime_error("cannot create the journal \"" + path_.string() +
                               "\": " + std::strerror(errno));
    }
    const Json header = {{"item", item_file_.string()}, {"name", shown_name_}, {"pid", ::getpid()}};
    write_whole(fd_, header.dump(-1, ' ', false, Json::error_handler_t::replace) + "\n", path_);
    sync_folder(folder());
  }
  write_whole(fd_, step.dump(-1, ' ', false, Json::error_handler_t::replace) + "\n", path_);
  if (::fdatasync(fd_) != 0) {
    throw std::runtime_error("cannot sync the journal \"" + path_.string() +
                             "\": " + std::strerror(errno));
  }
  ++steps_;
}

void Journal::clear() {
  if (fd_ >= 0) {
    ::close(fd_);
    fd_ = -1;
  }
  ::unlink(path_.c_str());
  steps_ = 0;
}

std::vector<Json> Journal::read() const {
  if (fd_ < 0) return {};
  std::vector<Json> lines = lines_of(path_);
  if (!lines.empty()) lines.erase(lines.begin());
  return lines;
}

std::optional<Journal::Left> Journal::left_for(const fs::path& item_file) {
  const std::string prefix = key_of(item_file) + "-";
  std::optional<Left> latest;
  fs::file_time_type latest_time;
  std::error_code ec;
  for (fs::directory_iterator it(folder(), ec), end; !ec && it != end; it.increment(ec)) {
    const std::string name = it->path().filename().string();
    if (!name.starts_with(prefix) || !name.ends_with(".jsonl")) continue;
    const int pid = pid_of(name);
    if (pid <= 0 || pid == ::getpid() || platform::process_exists(pid)) continue;
    std::vector<Json> lines = lines_of(it->path());
    if (lines.empty() || lines.front().value("item", "") != item_file.string()) continue;
    std::error_code time_ec;
    const auto time = fs::last_write_time(it->path(), time_ec);
    if (latest && time < latest_time) continue;
    lines.erase(lines.begin());
    latest = Left{it->path(), std::move(lines), iso_time_of(it->path())};
    latest_time = time;
  }
  return latest;
}

std::vector<std::string> Journal::items_of_this_process() {
  const std::string suffix = "-" + std::to_string(::getpid()) + ".jsonl";
  std::vector<std::string> items;
  std::error_code ec;
  for (fs::directory_iterator it(folder(), ec), end; !ec && it != end; it.increment(ec)) {
    const std::string name = it->path().filename().string();
    if (!name.ends_with(suffix)) continue;
    const std::vector<Json> lines = lines_of(it->path());
    if (lines.size() > 1) items.push_back(lines.front().value("name", it->path().string()));
  }
  return items;
}

}  // namespace tw::host
