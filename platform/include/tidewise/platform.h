#pragma once
// The platform services the components call besides the component runtime:
// the modal message box, the process environment and atomic file writes.

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

// Writes the whole file or nothing: the old file stays intact on failure.
// Throws tw::com::Error (E_FAIL or E_ACCESSDENIED) naming the file.
void write_file_atomically(const std::filesystem::path& file, std::string_view content);

}  // namespace tw::platform
