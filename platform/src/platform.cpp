#include "tidewise/platform.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <iostream>
#include <map>
#include <mutex>
#include <optional>
#include <random>
#include <utility>

#include "tidewise/com/error.h"

namespace tw::platform {

namespace {
MsgBoxHandler& handler() {
  static MsgBoxHandler installed;
  return installed;
}
}  // namespace

int MsgBox(std::string_view prompt, int buttons, std::string_view title) {
  if (const MsgBoxHandler& h = handler()) return h(prompt, buttons, title);
  std::cerr << title << ": " << prompt << '\n';
  return kAnswerOk;
}

MsgBoxHandler set_msgbox_handler(MsgBoxHandler h) {
  return std::exchange(handler(), std::move(h));
}

std::string Environ(std::string_view name) {
  const char* value = std::getenv(std::string(name).c_str());
  return value ? value : "";
}

namespace {
struct GivenSettings {
  std::mutex mutex;
  std::map<std::string, std::string, std::less<>> values;
};
GivenSettings& given_settings() {
  static GivenSettings settings;
  return settings;
}
}  // namespace

std::string Setting(std::string_view name) {
  {
    GivenSettings& settings = given_settings();
    const std::lock_guard lock(settings.mutex);
    if (const auto it = settings.values.find(name); it != settings.values.end()) return it->second;
  }
  return Environ(name);
}

HostSetting::HostSetting(std::string_view name, std::optional<std::string> value)
    : name_(name), given_(value.has_value()) {
  if (!given_) return;
  GivenSettings& settings = given_settings();
  const std::lock_guard lock(settings.mutex);
  if (const auto it = settings.values.find(name_); it != settings.values.end()) {
    previous_ = std::move(it->second);
  }
  settings.values.insert_or_assign(name_, std::move(*value));
}

HostSetting::~HostSetting() {
  if (!given_) return;
  GivenSettings& settings = given_settings();
  const std::lock_guard lock(settings.mutex);
  if (previous_) {
    settings.values.insert_or_assign(name_, std::move(*previous_));
  } else {
    settings.values.erase(name_);
  }
}

std::filesystem::path file_path(std::string_view path) {
  std::string native(path);
  std::replace(native.begin(), native.end(), '\\', '/');
  return native;
}

namespace {

// The code point of the UTF-8 sequence at `text[i]`, and its length; a
// length of 0 when the bytes there are not well-formed UTF-8.
std::pair<char32_t, std::size_t> decode(std::string_view text, std::size_t i) {
  const auto byte = [&](std::size_t k) { return static_cast<unsigned char>(text[k]); };
  const unsigned char lead = byte(i);
  std::size_t length = 0;
  char32_t code = 0;
  char32_t least = 0;
  if (lead >= 0xC2 && lead <= 0xDF) {
    length = 2, code = lead & 0x1F, least = 0x80;
  } else if (lead >= 0xE0 && lead <= 0xEF) {
    length = 3, code = lead & 0x0F, least = 0x800;
  } else if (lead >= 0xF0 && lead <= 0xF4) {
    length = 4, code = lead & 0x07, least = 0x10000;
  } else {
    return {0, 0};
  }
  if (i + length > text.size()) return {0, 0};
  for (std::size_t k = 1; k < length; ++k) {
    if ((byte(i + k) & 0xC0) != 0x80) return {0, 0};
    code = (code << 6) | (byte(i + k) & 0x3F);
  }
  if (code < least || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF)) return {0, 0};
  return {code, length};
}

// Characters that show nothing yet change what the text around them looks
// like: C1 controls, direction marks and overrides, line separators.
bool invisible(char32_t code) {
  return (code >= 0x80 && code <= 0x9F) || code == 0x061C || code == 0x200E || code == 0x200F ||
         (code >= 0x202A && code <= 0x202E) || (code >= 0x2066 && code <= 0x2069) ||
         code == 0x2028 || code == 0x2029;
}

}  // namespace

std::string shown(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  char escape[16];
  for (std::size_t i = 0; i < text.size();) {
    const auto lead = static_cast<unsigned char>(text[i]);
    if (lead < 0x80) {
      if (lead < 0x20 || lead == 0x7F) {
        std::snprintf(escape, sizeof escape, "\\x%02X", lead);
        out += escape;
      } else {
        out += text[i];
      }
      ++i;
      continue;
    }
    const auto [code, length] = decode(text, i);
    if (length == 0) {
      std::snprintf(escape, sizeof escape, "\\x%02X", lead);
      out += escape;
      ++i;
    } else if (invisible(code)) {
      std::snprintf(escape, sizeof escape, "\\u{%04X}", static_cast<unsigned>(code));
      out += escape;
      i += length;
    } else {
      out.append(text.substr(i, length));
      i += length;
    }
  }
  return out;
}

namespace {

namespace fs = std::filesystem;

[[noreturn]] void fail_errno(int error, std::string_view what, const fs::path& file) {
  com::raise(
      error == EACCES || error == EPERM || error == EROFS ? com::E_ACCESSDENIED : com::E_FAIL,
      "cannot " + std::string(what) + " \"" + shown(file.string()) + "\": " + std::strerror(error));
}

FileStamp stamp(const struct stat& st) {
  return {true, static_cast<std::uint64_t>(st.st_dev), static_cast<std::uint64_t>(st.st_ino),
          static_cast<std::uint64_t>(st.st_size),
          static_cast<std::int64_t>(st.st_mtim.tv_sec) * 1'000'000'000 + st.st_mtim.tv_nsec};
}

// The temporary files of `name` are ".NAME.PID.XXXXXX": the process that
// writes one is named, so that whoever finds one later can tell whether its
// writer is gone.
std::string temporary_prefix(const std::string& name) {
  return "." + name + ".";
}

// A name no other file in the folder has yet; the file is created with
// `mode`, which the umask narrows. The name is a leftover before the file
// exists, so that no moment is left in which a signal would leave it (the
// process's number in it makes it nobody else's).
int create_temporary(const fs::path& directory, const std::string& name, unsigned mode,
                     std::string& created, std::optional<Leftover>& leftover) {
  static thread_local std::mt19937_64 random{std::random_device{}()};
  constexpr char kLetters[] = "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";
  for (int attempt = 0; attempt < 100; ++attempt) {
    std::string suffix(6, 'x');
    for (char& c : suffix) c = kLetters[random() % (sizeof kLetters - 1)];
    created =
        (directory / (temporary_prefix(name) + std::to_string(::getpid()) + "." + suffix)).string();
    leftover.emplace(created);
    const int fd =
        ::open(created.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOFOLLOW, mode);
    if (fd >= 0) return fd;
    const int error = errno;
    leftover.reset();
    if (error != EEXIST) {
      errno = error;
      return -1;
    }
  }
  errno = EEXIST;
  return -1;
}

}  // namespace

FileStamp stamp_of(const fs::path& file) {
  struct stat st {};
  if (::stat(file.c_str(), &st) == 0) return stamp(st);
  if (errno == ENOENT) return {};
  fail_errno(errno, "examine", file);
}

FileStamp stamp_of(int fd, const fs::path& file) {
  struct stat st {};
  if (::fstat(fd, &st) != 0) fail_errno(errno, "examine", file);
  return stamp(st);
}

fs::path write_target(const fs::path& file) {
  fs::path target = file;
  // As many links as the system itself follows in one path.
  for (int hops = 0; hops < 40; ++hops) {
    struct stat st {};
    if (::lstat(target.c_str(), &st) != 0 || !S_ISLNK(st.st_mode)) return target;
    std::error_code ec;
    const fs::path next = fs::read_symlink(target, ec);
    if (ec) fail_errno(ec.value(), "follow the link", target);
    target = next.is_absolute() ? next : target.parent_path() / next;
  }
  fail_errno(ELOOP, "follow the links of", file);
}

void remove_abandoned_temporaries(const fs::path& file) {
  const fs::path target = write_target(file);
  const fs::path directory = target.has_parent_path() ? target.parent_path() : fs::path(".");
  const std::string prefix = temporary_prefix(target.filename().string());
  std::error_code ec;
  for (fs::directory_iterator it(directory, ec), end; !ec && it != end; it.increment(ec)) {
    const std::string name = it->path().filename().string();
    if (!name.starts_with(prefix)) continue;
    // PID, a dot, six letters or digits: nothing else is ours to remove.
    const std::string_view rest = std::string_view(name).substr(prefix.size());
    const auto dot = rest.find('.');
    if (dot == std::string_view::npos || dot == 0 || rest.size() != dot + 7) continue;
    int pid = 0;
    for (const char c : rest.substr(0, dot)) {
      if (c < '0' || c > '9' || pid > 100'000'000) {
        pid = -1;
        break;
      }
      pid = pid * 10 + (c - '0');
    }
    if (pid <= 0 || process_exists(pid)) continue;
    struct stat st {};
    if (::lstat(it->path().c_str(), &st) == 0 && S_ISREG(st.st_mode) && st.st_uid == ::geteuid()) {
      ::unlink(it->path().c_str());
    }
  }
}

FileStamp write_file_atomically(const fs::path& file, std::string_view content,
                                const WriteOptions& options) {
  return write_file_atomically(
      file, [content](const ContentWriter& write) { write(content); }, options);
}

namespace {

std::atomic<bool> writing_stopped{false};

void check_writing(const fs::path& file) {
  if (writing_stopped.load()) {
    com::raise(com::E_ABORT,
               "\"" + shown(file.string()) + "\" was not written: the program is stopping");
  }
}

}  // namespace

void stop_writing() noexcept {
  writing_stopped.store(true);
}

FileStamp write_file_atomically(const fs::path& file,
                                const std::function<void(const ContentWriter& write)>& produce,
                                const WriteOptions& options) {
  check_writing(file);
  // A link stays a link: what it points to is replaced, beside itself.
  const fs::path target = write_target(file);
  const auto fail = [&](std::string_view what) { fail_errno(errno, what, file); };

  struct stat old {};
  const bool replacing = ::stat(target.c_str(), &old) == 0;
  if (!replacing && errno != ENOENT) fail("examine");
  if (replacing) {
    if (!S_ISREG(old.st_mode)) {
      com::raise(com::E_FAIL,
                 "cannot replace \"" + shown(file.string()) + "\": it is not a regular file");
    }
    // Permissions do not bind root, so for root the mode bits alone decide,
    // as they do for an editor: a file nobody may write is not overwritten.
    const bool read_only = ::geteuid() == 0
                               ? (old.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0
                               : ::faccessat(AT_FDCWD, target.c_str(), W_OK, AT_EACCESS) != 0;
    if (read_only) {
      com::raise(com::E_ACCESSDENIED,
                 "cannot replace \"" + shown(file.string()) + "\": the file is read-only");
    }
  }

  const fs::path directory = target.has_parent_path() ? target.parent_path() : fs::path(".");
  std::string temp;
  // Forgotten after the file is removed or renamed (declared before the
  // cleanup, it goes after it).
  std::optional<Leftover> leftover;
  // A file being replaced gets its permissions once it has its owner; until
  // then only its writer may read it.
  const int fd = create_temporary(directory, target.filename().string(),
                                  replacing ? 0600 : options.new_file_mode, temp, leftover);
  if (fd < 0) fail("create a temporary file beside");
  struct Cleanup {
    int fd;
    std::string path;
    bool done = false;
    ~Cleanup() {
      if (fd >= 0) ::close(fd);
      if (!done) ::unlink(path.c_str());
    }
  } cleanup{fd, temp};

  const auto write_out = [&](std::string_view bytes) {
    for (std::size_t written = 0; written < bytes.size();) {
      const ssize_t n = ::write(fd, bytes.data() + written, bytes.size() - written);
      if (n < 0) {
        if (errno == EINTR) continue;
        fail("write");
      }
      written += static_cast<std::size_t>(n);
    }
  };
  // Serializers hand over a few kilobytes at a time: gathered into larger
  // writes, they cost a system call per 64 KiB, not per piece.
  constexpr std::size_t kGathered = std::size_t{1} << 16;
  std::string gathered;
  produce([&](std::string_view piece) {
    if (gathered.size() + piece.size() <= kGathered) {
      if (gathered.capacity() < kGathered) gathered.reserve(kGathered);
      gathered += piece;
      return;
    }
    write_out(gathered);
    gathered.clear();
    if (piece.size() >= kGathered) {
      write_out(piece);
    } else {
      gathered += piece;
    }
  });
  write_out(gathered);
  if (replacing) {
    // Root saving somebody else's file must not take it from them. Whoever
    // may not give the file away keeps at least its group if they can.
    if (::fchown(fd, old.st_uid, old.st_gid) != 0) {
      if (errno != EPERM) fail("set the owner of");
      (void)::fchown(fd, static_cast<uid_t>(-1), old.st_gid);
    }
    // After the owner, which clears set-id bits; those are not carried over
    // to a file that anybody else wrote.
    if (::fchmod(fd, old.st_mode & 0777) != 0) fail("set the permissions of");
  }
  if (::fsync(fd) != 0) fail("flush");
  struct stat written {};
  if (::fstat(fd, &written) != 0) fail("examine");
  if (::close(std::exchange(cleanup.fd, -1)) != 0) fail("close");
  if (options.check_written) options.check_written(temp);
  if (options.before_replace) options.before_replace(target);
  check_writing(file);
  if (::rename(temp.c_str(), target.c_str()) != 0) fail("replace");
  cleanup.done = true;
  // Make the rename itself durable.
  if (const int dir = ::open(directory.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC); dir >= 0) {
    ::fsync(dir);
    ::close(dir);
  }
  return stamp(written);
}

// ---- Leftovers

namespace {

// Slots a signal handler reads: what is taken from a slot is taken by one
// side alone, the handler or the owner, so neither frees what the other uses.
constexpr int kSlots = 256;
struct LeftoverFile {
  char* path;
  int lock_fd;  // -1: not a lock file
};
std::atomic<LeftoverFile*> leftover_files[kSlots];
std::atomic<int> stopped_children[kSlots];

template <class T, class V>
int take_slot(std::atomic<T> (&slots)[kSlots], V value) noexcept {
  for (int i = 0; i < kSlots; ++i) {
    T empty{};
    if (slots[i].compare_exchange_strong(empty, value)) return i;
  }
  return -1;  // too many at once: this one is not removed if stopped
}

int name_slot(const fs::path& file, int lock_fd) noexcept {
  auto* entry = static_cast<LeftoverFile*>(std::malloc(sizeof(LeftoverFile)));
  char* path = ::strdup(file.c_str());
  if (entry == nullptr || path == nullptr) {
    std::free(entry);
    std::free(path);
    return -1;
  }
  *entry = {path, lock_fd};
  const int slot = take_slot(leftover_files, entry);
  if (slot < 0) {
    std::free(path);
    std::free(entry);
  }
  return slot;
}

// Only what is safe in a signal handler.
void remove_leftover(const LeftoverFile& entry) noexcept {
  if (entry.lock_fd >= 0) {
    // Ours if we hold it, or can take it now; and only while the name still
    // leads to it (its last holder may have removed it meanwhile).
    struct stat held {
    }, named{};
    if (::flock(entry.lock_fd, LOCK_EX | LOCK_NB) != 0 || ::fstat(entry.lock_fd, &held) != 0 ||
        ::stat(entry.path, &named) != 0 || held.st_dev != named.st_dev ||
        held.st_ino != named.st_ino || held.st_size != 0) {
      return;
    }
  }
  ::unlink(entry.path);
}

void on_stop_signal(int signal) {
  remove_leftovers();
  // The handler was reset as it was entered; the signal, raised again,
  // takes its usual course once the handler returns.
  ::raise(signal);
}

}  // namespace

Leftover::Leftover(const fs::path& file) noexcept : slot_(name_slot(file, -1)) {}

Leftover::Leftover(const fs::path& file, int lock_fd) noexcept : slot_(name_slot(file, lock_fd)) {}

Leftover::~Leftover() {
  if (slot_ < 0) return;
  if (LeftoverFile* entry = leftover_files[slot_].exchange(nullptr)) {
    std::free(entry->path);
    std::free(entry);
  }
}

StoppedWithUs::StoppedWithUs(int pid) noexcept {
  if (pid > 0) slot_ = take_slot(stopped_children, pid);
}

StoppedWithUs::~StoppedWithUs() {
  if (slot_ >= 0) stopped_children[slot_].store(0);
}

void remove_leftovers() noexcept {
  const int saved = errno;
  for (int i = 0; i < kSlots; ++i) {
    // Not freed: this may run in a signal handler, and the process ends.
    if (const LeftoverFile* entry = leftover_files[i].exchange(nullptr)) remove_leftover(*entry);
    if (const int pid = stopped_children[i].exchange(0); pid > 0) ::kill(pid, SIGTERM);
  }
  errno = saved;
}

void remove_leftovers_on_signals() {
  struct sigaction action {};
  action.sa_handler = on_stop_signal;
  action.sa_flags = SA_RESETHAND;
  // A second signal (Ctrl-C, then the batch's own SIGTERM) waits until the
  // first has removed everything, instead of ending the process midway.
  sigemptyset(&action.sa_mask);
  for (const int signal : {SIGINT, SIGTERM, SIGHUP}) sigaddset(&action.sa_mask, signal);
  for (const int signal : {SIGINT, SIGTERM, SIGHUP}) ::sigaction(signal, &action, nullptr);
}

bool process_exists(int pid) noexcept {
  return pid > 0 && (::kill(pid, 0) == 0 || errno == EPERM);
}

}  // namespace tw::platform
