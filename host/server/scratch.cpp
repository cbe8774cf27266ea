#include "scratch.h"

#include <cctype>

namespace tw::server {

namespace fs = std::filesystem;

ScratchFile::~ScratchFile() {
  std::error_code ec;
  if (!path_.empty()) fs::remove(path_, ec);
}

ScratchFile ScratchFolder::file(const std::string& file_name) {
  std::string safe;
  for (const char c : fs::path(file_name).filename().string()) {
    safe +=
        std::isalnum(static_cast<unsigned char>(c)) || c == '.' || c == '-' || c == '_' ? c : '_';
  }
  if (safe.empty() || safe.front() == '.') safe = "record" + safe;
  return ScratchFile(folder_ / (std::to_string(++files_) + "-" + safe));
}

}  // namespace tw::server
