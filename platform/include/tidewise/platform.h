#pragma once
// The platform services the components call besides the component runtime:
// the modal message box, the process environment and atomic file writes.

#include <cstdint>
#include <filesystem>
#include <functional>
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

}  // namespace tw::platform
