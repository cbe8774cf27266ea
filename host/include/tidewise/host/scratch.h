#pragma once
// Files the host hands to a component for one step and reads back or drops
// after it: a record to import, an export to send on, an item with no file
// of its own. They live in a folder this process made for itself and go
// when the step's object goes, also when the step throws.

#include <atomic>
#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>
#include <utility>

namespace tw::host {

// A file of a scratch folder, removed when it goes.
class ScratchFile {
 public:
  explicit ScratchFile(std::filesystem::path path) : path_(std::move(path)) {}
  ~ScratchFile();
  ScratchFile(ScratchFile&& other) noexcept : path_(std::exchange(other.path_, {})) {}
  ScratchFile& operator=(ScratchFile&&) = delete;
  const std::filesystem::path& path() const { return path_; }

 private:
  std::filesystem::path path_;
};

class ScratchFolder {
 public:
  // Makes a new folder "PREFIX-XXXXXX" in `parent` (by default the
  // temporary folder), open to this user alone; com::Error when it cannot.
  explicit ScratchFolder(std::string_view prefix, const std::filesystem::path& parent =
                                                      std::filesystem::temp_directory_path());
  // Removes the folder with whatever is left in it.
  ~ScratchFolder() { remove(); }
  ScratchFolder(const ScratchFolder&) = delete;
  ScratchFolder& operator=(const ScratchFolder&) = delete;

  const std::filesystem::path& path() const { return path_; }
  // Removes the folder now, for a process that ends without unwinding.
  void remove() const noexcept;

  // A new name in the folder after `name` as a person or a browser gave it:
  // its last part only, letters, digits, ".", "-" and "_" kept, anything
  // else "_", never hidden, and a number of its own before it, so that no
  // two meet, whichever thread asks. Nothing is created.
  ScratchFile file(std::string_view name);
  // The same, holding `content`; com::Error when it cannot be written, and
  // then nothing is left.
  ScratchFile file(std::string_view name, std::string_view content);

 private:
  std::filesystem::path path_;
  std::atomic<std::uint64_t> files_{0};
};

}  // namespace tw::host
