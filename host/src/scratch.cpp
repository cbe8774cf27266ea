#include "tidewise/host/scratch.h"

#include <cctype>
#include <cerrno>
#include <cstdlib>
#include <cstring>

#include "tidewise/com/error.h"
#include "tidewise/platform.h"

namespace tw::host {

namespace fs = std::filesystem;

ScratchFile::~ScratchFile() {
  std::error_code ec;
  if (!path_.empty()) fs::remove(path_, ec);
}

ScratchFolder::ScratchFolder(std::string_view prefix, const fs::path& parent) {
  // mkdtemp makes the folder 0700 and never reuses one that exists, so that
  // nobody else can place or read a file in it.
  std::string pattern = (parent / (std::string(prefix) + "-XXXXXX")).string();
  if (::mkdtemp(pattern.data()) == nullptr) {
    throw com::Error(com::E_FAIL, "cannot create a scratch folder in \"" + parent.string() +
                                      "\": " + std::strerror(errno));
  }
  path_ = pattern;
}

void ScratchFolder::remove() const noexcept {
  std::error_code ec;
  fs::remove_all(path_, ec);
}

ScratchFile ScratchFolder::file(std::string_view name) {
  std::string safe;
  for (const char c : fs::path(name).filename().string()) {
    safe +=
        std::isalnum(static_cast<unsigned char>(c)) || c == '.' || c == '-' || c == '_' ? c : '_';
  }
  if (safe.empty() || safe.front() == '.') safe = "record" + safe;
  return ScratchFile(path_ / (std::to_string(++files_) + "-" + safe));
}

ScratchFile ScratchFolder::file(std::string_view name, std::string_view content) {
  ScratchFile file = this->file(name);
  platform::write_file_atomically(file.path(), content);
  return file;
}

}  // namespace tw::host
