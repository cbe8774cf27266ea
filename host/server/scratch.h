#pragma once
// The files import and export exchange with the components, in the editor's
// private scratch folder.

#include <cstdint>
#include <filesystem>
#include <string>
#include <utility>

namespace tw::server {

// A file of the scratch folder, removed when it goes.
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
  explicit ScratchFolder(std::filesystem::path folder) : folder_(std::move(folder)) {}

  // A new file named after `file_name` as the browser sent it: its last
  // part only, letters, digits, ".", "-" and "_" kept, anything else "_",
  // never hidden, and a number of its own before it so that no two meet.
  ScratchFile file(const std::string& file_name);

 private:
  std::filesystem::path folder_;
  std::uint64_t files_ = 0;
};

}  // namespace tw::server
