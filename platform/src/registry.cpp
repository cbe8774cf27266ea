#include "tidewise/com/registry.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <ctime>
#include <mutex>
#include <nlohmann/json.hpp>

#include "tidewise/com/error.h"
#include "tidewise/platform.h"

namespace tw::com {

namespace fs = std::filesystem;

namespace {

fs::path home_path() {
  if (std::string value = platform::Environ("TIDEWISE_HOME"); !value.empty()) return value;
  if (std::string xdg = platform::Environ("XDG_DATA_HOME"); !xdg.empty()) {
    return fs::path(xdg) / "tidewise";
  }
  std::string user_home = platform::Environ("HOME");
  return fs::path(user_home.empty() ? "." : user_home) / ".local" / "share" / "tidewise";
}

[[noreturn]] void unreadable(const fs::path& file, int error) {
  raise(E_FAIL, "cannot read the registry \"" + file.string() + "\": " + std::strerror(error));
}

// What tells one state of the file from another: a replacement by rename has
// another inode, a change in place another size or time.
struct Stamp {
  dev_t device;
  ino_t inode;
  off_t size;
  timespec modified;
  timespec changed;

  explicit Stamp(const struct stat& info)
      : device(info.st_dev),
        inode(info.st_ino),
        size(info.st_size),
        modified(info.st_mtim),
        changed(info.st_ctim) {}
  bool operator==(const Stamp& other) const {
    return device == other.device && inode == other.inode && size == other.size &&
           modified.tv_sec == other.modified.tv_sec && modified.tv_nsec == other.modified.tv_nsec &&
           changed.tv_sec == other.changed.tv_sec && changed.tv_nsec == other.changed.tv_nsec;
  }
};

// The last reading of a registry file, kept while the file is unchanged:
// creating a class, and every page the editor's start-up adds, looks the
// registry up.
struct Cache {
  std::mutex mutex;
  fs::path file;
  std::optional<Stamp> stamp;
  std::shared_ptr<const Registry> registry;
};
Cache& cache() {
  static Cache instance;
  return instance;
}

std::string read_whole(int fd, const fs::path& file, std::size_t expected) {
  std::string content;
  content.resize(expected);
  std::size_t used = 0;
  for (;;) {
    if (used == content.size()) content.resize(content.size() + 4096);
    const ssize_t n = ::read(fd, content.data() + used, content.size() - used);
    if (n < 0) {
      if (errno == EINTR) continue;
      unreadable(file, errno);
    }
    if (n == 0) break;
    used += static_cast<std::size_t>(n);
  }
  content.resize(used);
  return content;
}

}  // namespace

fs::path tidewise_home() {
  fs::path home = home_path();
  std::error_code ec;
  fs::create_directories(home, ec);
  if (ec) raise(E_FAIL, "cannot create the folder \"" + home.string() + "\": " + ec.message());
  return home;
}

fs::path registry_path() {
  return tidewise_home() / "registry.json";
}

Registry Registry::open() {
  return open(registry_path());
}

Registry Registry::open(const fs::path& file) {
  Registry registry = *current(file);
  registry.file_ = file;
  return registry;
}

std::shared_ptr<const Registry> Registry::current() {
  return current(home_path() / "registry.json");
}

std::shared_ptr<const Registry> Registry::current(const fs::path& file) {
  Cache& cached = cache();
  std::lock_guard lock(cached.mutex);
  struct stat info {};
  if (::stat(file.c_str(), &info) != 0) {
    const int error = errno;
    // Only a registry that does not exist yet reads as empty: one that cannot
    // be read would otherwise lose every registration at the next save.
    if (error != ENOENT && error != ENOTDIR) unreadable(file, error);
    auto empty = std::make_shared<Registry>();
    empty->file_ = file;
    return empty;
  }
  if (cached.registry && cached.file == file && cached.stamp == Stamp(info)) {
    return cached.registry;
  }

  const int fd = ::open(file.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) unreadable(file, errno);
  struct Closer {
    int fd;
    ~Closer() { ::close(fd); }
  } closer{fd};
  // The stamp of what is read, not of what stat saw a moment before.
  if (::fstat(fd, &info) != 0) unreadable(file, errno);
  if (S_ISDIR(info.st_mode)) unreadable(file, EISDIR);
  const std::string content = read_whole(fd, file, static_cast<std::size_t>(info.st_size));

  auto registry = std::make_shared<Registry>();
  registry->file_ = file;
  const auto damaged = [&](std::string_view why) {
    raise(E_FAIL, "the registry \"" + file.string() + "\" is damaged: " + std::string(why));
  };
  try {
    const nlohmann::json json = nlohmann::json::parse(content);
    if (!json.is_object()) damaged("it is not an object of keys");
    for (const auto& [key, values] : json.items()) {
      if (!values.is_object()) damaged("the key \"" + key + "\" holds no values");
      Values& target = registry->keys_[key];
      for (const auto& [name, value] : values.items()) target[name] = value.get<std::string>();
    }
  } catch (const nlohmann::json::exception& e) {
    damaged(e.what());
  }
  // File times come from the kernel's coarse clock: a change in place made
  // within the tick of the last one gives the same stamp. A reading from that
  // tick is not kept; the next call reads again.
  timespec now{};
  ::clock_gettime(CLOCK_REALTIME_COARSE, &now);
  const auto before_now = [&](const timespec& t) {
    return t.tv_sec < now.tv_sec || (t.tv_sec == now.tv_sec && t.tv_nsec < now.tv_nsec);
  };
  if (before_now(info.st_mtim) && before_now(info.st_ctim)) {
    cached.file = file;
    cached.stamp = Stamp(info);
    cached.registry = registry;
  }
  return registry;
}

std::optional<std::string> Registry::get(std::string_view key, std::string_view name) const {
  const auto k = keys_.find(std::string(key));
  if (k == keys_.end()) return std::nullopt;
  const auto v = k->second.find(std::string(name));
  if (v == k->second.end()) return std::nullopt;
  return v->second;
}

bool Registry::has_key(std::string_view key) const {
  return keys_.contains(std::string(key));
}

void Registry::set(std::string_view key, std::string_view name, std::string_view value) {
  keys_[std::string(key)][std::string(name)] = std::string(value);
}

void Registry::remove_tree(std::string_view key) {
  const std::string prefix = std::string(key) + '\\';
  for (auto it = keys_.begin(); it != keys_.end();) {
    if (it->first == key || it->first.starts_with(prefix)) {
      it = keys_.erase(it);
    } else {
      ++it;
    }
  }
}

void Registry::save() const {
  nlohmann::json json = nlohmann::json::object();
  for (const auto& [key, values] : keys_) json[key] = values;
  // It names the code every tidewise run loads: the user's alone.
  platform::WriteOptions options;
  options.new_file_mode = 0600;
  platform::write_file_atomically(file_, json.dump(2) + "\n", options);
  // The next reading takes the file as written, whatever its stamp says.
  Cache& cached = cache();
  std::lock_guard lock(cached.mutex);
  cached.registry.reset();
}

}  // namespace tw::com
