#pragma once
// The platform services the components call besides the component runtime:
// the modal message box, the process environment, the settings the host
// gives and atomic file writes.

#include <cstdint>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

namespace tw::platform {

// Buttons and answers of the message box, as the platform numbers them.
inline constexpr int kOkOnly = 0;
inline constexpr int kAnswerOk = 1;

// Shows a modal message box; returns the button the user chose. The host
// decides how it is shown by installing a handler; without one the prompt is
// written to standard error as "title: prompt".
int MsgBox(std::string_view prompt, int buttons, std::string_view title);

using MsgBoxHandler =
    std::function<int(std::string_view prompt, int buttons, std::string_view title)>;
// Returns the handler that was installed before.
MsgBoxHandler set_msgbox_handler(MsgBoxHandler handler);

// A variable that is not set reads as empty text.
std::string Environ(std::string_view name);

// ---- Settings the host hands the components

// The folder of the importer's and exporter's stylesheets.
inline constexpr std::string_view kStylesheetFolder = "TIDEWISE_STYLESHEETS";

// A setting reads as the value the host gave it, else as the environment
// variable of that name: the variable stays the user's way to set it for a
// host that gives none, and a host gives one without touching its
// environment, which its child processes and other threads share.
std::string Setting(std::string_view name);

// Gives a setting a value for as long as it lives; what was given before
// (or nothing, the environment then read again) comes back when it goes.
// Without a value it gives nothing and changes nothing.
class HostSetting {
 public:
  HostSetting(std::string_view name, std::optional<std::string> value);
  ~HostSetting();
  HostSetting(const HostSetting&) = delete;
  HostSetting& operator=(const HostSetting&) = delete;

 private:
  std::string name_;
  bool given_ = false;
  std::optional<std::string> previous_;
};

// The file a path names. The platform's file access takes "\\" as a folder
// separator as well as "/": components build paths as "folder\\file.xslt".
std::filesystem::path file_path(std::string_view path);

// Text as a message shows it: control characters, invisible direction
// marks and bytes that are not UTF-8 are written as \xNN (or \u{NNNN}), so
// that a name cannot forge or hide part of a message or drive the terminal.
std::string shown(std::string_view text);

// What tells one state of a file from another: a file replaced, rewritten in
// place or touched since has another stamp (content changes that keep size
// and time need a comparison of the content as well).
struct FileStamp {
  bool exists = false;
  std::uint64_t device = 0;
  std::uint64_t inode = 0;
  std::uint64_t size = 0;
  std::int64_t mtime_ns = 0;
  friend bool operator==(const FileStamp&, const FileStamp&) = default;
};
// Follows symbolic links; a file that is not there has exists == false.
// Throws tw::com::Error when the file cannot be examined for another reason.
FileStamp stamp_of(const std::filesystem::path& file);
// The stamp of an open file; `file` names it in the error.
FileStamp stamp_of(int fd, const std::filesystem::path& file);

// The file that writing to `file` replaces: `file` itself, or the end of the
// chain of symbolic links it starts (which need not exist yet).
std::filesystem::path write_target(const std::filesystem::path& file);

struct WriteOptions {
  // The permissions of a file created anew, which the umask then narrows. A
  // file that is replaced keeps its own permissions, owner and group.
  unsigned new_file_mode = 0666;
  // Called with the file about to be replaced once the new content is safely
  // on disk, just before it takes the file's place. Throwing abandons the
  // write: the file stays as it was.
  std::function<void(const std::filesystem::path& target)> before_replace;
  // Called with the temporary file once the new content is on disk, before
  // before_replace: it may read the file to see that it is what was meant.
  // Throwing abandons the write.
  std::function<void(const std::filesystem::path& written)> check_written;
};

// Writes the whole file or nothing: the old file stays intact on failure.
// A symbolic link stays a link: the file at its end is replaced, in that
// file's own folder. A file without write permission for the user (for root:
// without any write bit) is refused, as is a target that is not a regular
// file. Returns the stamp of the file written.
// Throws tw::com::Error (E_FAIL or E_ACCESSDENIED) naming the file.
FileStamp write_file_atomically(const std::filesystem::path& file, std::string_view content,
                                const WriteOptions& options = {});
// As above, for content made as it is written: `produce` hands it piece by
// piece to the writer it is given. An exception from `produce` abandons the
// write and is passed on; the file stays as it was.
using ContentWriter = std::function<void(std::string_view piece)>;
FileStamp write_file_atomically(const std::filesystem::path& file,
                                const std::function<void(const ContentWriter& write)>& produce,
                                const WriteOptions& options = {});

// ---- What a stopped process would leave behind

// A file a process holds for a moment (a temporary file, a lock file it
// holds), removed should SIGINT, SIGTERM or SIGHUP stop the process while it
// is named here, once the program asked for that with
// remove_leftovers_on_signals(). A handler cannot unwind the stack, so such
// files are named while they exist.
class Leftover {
 public:
  explicit Leftover(const std::filesystem::path& file) noexcept;
  // A lock file, open as `lock_fd`: removed only if this process holds its
  // flock() lock (or can take it as it stops) and the name still leads to
  // it, so that it may be named before the lock is taken.
  Leftover(const std::filesystem::path& file, int lock_fd) noexcept;
  ~Leftover();
  Leftover(const Leftover&) = delete;
  Leftover& operator=(const Leftover&) = delete;

 private:
  int slot_ = -1;
};

// A child process that such a signal stops as well (SIGTERM), so that it
// removes its own leftovers.
class StoppedWithUs {
 public:
  explicit StoppedWithUs(int pid) noexcept;
  ~StoppedWithUs();
  StoppedWithUs(const StoppedWithUs&) = delete;
  StoppedWithUs& operator=(const StoppedWithUs&) = delete;

 private:
  int slot_ = -1;
};

// Installs the handlers: on SIGINT, SIGTERM or SIGHUP the files named are
// removed and the children named stopped, then the signal takes its usual
// course. For programs that do not take those signals themselves.
void remove_leftovers_on_signals();
// Removes the files named and stops the children now, as those handlers do:
// for a program that takes the signals itself and must leave at once.
void remove_leftovers() noexcept;

// Removes the temporary files a write of `file` left when its process was
// killed before it could: those of processes that are no longer running.
void remove_abandoned_temporaries(const std::filesystem::path& file);

// From now on no write_file_atomically() of this process replaces a file:
// a program that is stopping abandons its writes whole (E_ABORT).
void stop_writing() noexcept;

// Whether a process of that number is running (a process of another user
// counts as running).
bool process_exists(int pid) noexcept;

}  // namespace tw::platform
