#include "tidewise/platform.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <iostream>
#include <random>

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

std::filesystem::path file_path(std::string_view path) {
  std::string native(path);
  std::replace(native.begin(), native.end(), '\\', '/');
  return native;
}

void write_file_atomically(const std::filesystem::path& file, std::string_view content) {
  namespace fs = std::filesystem;
  const auto fail = [&](std::string_view what) {
    const int error = errno;
    com::raise(
        error == EACCES || error == EPERM ? com::E_ACCESSDENIED : com::E_FAIL,
        "cannot " + std::string(what) + " \"" + file.string() + "\": " + std::strerror(error));
  };
  const fs::path directory = file.has_parent_path() ? file.parent_path() : fs::path(".");
  std::string temp = (directory / ("." + file.filename().string() + ".XXXXXX")).string();
  const int fd = ::mkstemp(temp.data());
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

  for (std::size_t written = 0; written < content.size();) {
    const ssize_t n = ::write(fd, content.data() + written, content.size() - written);
    if (n < 0) {
      if (errno == EINTR) continue;
      fail("write");
    }
    written += static_cast<std::size_t>(n);
  }
  // Keep the permissions of the file being replaced; new files get the usual ones.
  struct stat old_stat {};
  const mode_t mode = ::stat(file.c_str(), &old_stat) == 0 ? (old_stat.st_mode & 07777) : 0644;
  if (::fchmod(fd, mode) != 0) fail("set the permissions of");
  if (::fsync(fd) != 0) fail("flush");
  if (::close(std::exchange(cleanup.fd, -1)) != 0) fail("close");
  if (::rename(temp.c_str(), file.c_str()) != 0) fail("replace");
  cleanup.done = true;
  // Make the rename itself durable.
  if (const int dir = ::open(directory.c_str(), O_RDONLY | O_DIRECTORY); dir >= 0) {
    ::fsync(dir);
    ::close(dir);
  }
}

}  // namespace tw::platform
