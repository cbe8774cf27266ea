#include <dlfcn.h>
#include <elf.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <cstring>
#include <vector>

#include "tidewise/com/error.h"
#include "tidewise/com/factory.h"

namespace tw::com {

namespace fs = std::filesystem;

namespace {

// The ELF class of the libraries this process can load.
#if UINTPTR_MAX == UINT64_MAX
using Header = Elf64_Ehdr;
using ProgramHeader = Elf64_Phdr;
constexpr unsigned char kClass = ELFCLASS64;
#else
using Header = Elf32_Ehdr;
using ProgramHeader = Elf32_Phdr;
constexpr unsigned char kClass = ELFCLASS32;
#endif

[[noreturn]] void refuse(const fs::path& file, const std::string& why) {
  raise(CO_E_DLLNOTFOUND, "cannot load \"" + file.string() + "\": " + why);
}

bool read_at(int fd, void* buffer, std::size_t size, std::uint64_t offset) {
  auto* out = static_cast<char*>(buffer);
  while (size > 0) {
    const ssize_t n = ::pread(fd, out, size, static_cast<off_t>(offset));
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    out += n;
    size -= static_cast<std::size_t>(n);
    offset += static_cast<std::uint64_t>(n);
  }
  return true;
}

// Whether [offset, offset + count * size) lies within `length` bytes.
bool within(std::uint64_t offset, std::uint64_t count, std::uint64_t size, std::uint64_t length) {
  if (size != 0 && count > (UINT64_MAX - offset) / size) return false;
  return offset + count * size <= length;
}

// dlopen maps the segments the program headers name; one that runs past the
// end of a cut-short file is mapped all the same, and the process dies of
// SIGBUS as soon as the loader touches the missing part. So the file must be
// an ELF shared object of this process's class that holds every byte its
// headers describe.
void check_library_file(const fs::path& file) {
  const int fd = ::open(file.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) refuse(file, std::strerror(errno));
  struct Closer {
    int fd;
    ~Closer() { ::close(fd); }
  } closer{fd};
  struct stat info {};
  if (::fstat(fd, &info) != 0) refuse(file, std::strerror(errno));
  if (!S_ISREG(info.st_mode)) refuse(file, "it is not a regular file");
  const auto length = static_cast<std::uint64_t>(info.st_size);

  Header header{};
  if (length < sizeof header || !read_at(fd, &header, sizeof header, 0) ||
      std::memcmp(header.e_ident, ELFMAG, SELFMAG) != 0) {
    refuse(file, "it is not a shared library (no ELF header)");
  }
  if (header.e_ident[EI_CLASS] != kClass) {
    refuse(file, "it is a library of another word size than this program's");
  }
  if (header.e_type != ET_DYN) refuse(file, "it is an ELF file but not a shared library");
  if (header.e_phnum == 0 || header.e_phentsize != sizeof(ProgramHeader)) {
    refuse(file, "its ELF header describes no usable program headers");
  }
  const auto cut_short = [&](std::uint64_t needed) {
    refuse(file, "the file is cut short: its headers describe " + std::to_string(needed) +
                     " bytes, it has " + std::to_string(length));
  };
  if (!within(header.e_phoff, header.e_phnum, header.e_phentsize, length)) {
    cut_short(header.e_phoff + std::uint64_t{header.e_phnum} * header.e_phentsize);
  }
  if (header.e_shnum != 0 && !within(header.e_shoff, header.e_shnum, header.e_shentsize, length)) {
    cut_short(header.e_shoff + std::uint64_t{header.e_shnum} * header.e_shentsize);
  }
  std::vector<ProgramHeader> segments(header.e_phnum);
  if (!read_at(fd, segments.data(), segments.size() * sizeof(ProgramHeader), header.e_phoff)) {
    refuse(file, "its program headers cannot be read");
  }
  for (const ProgramHeader& segment : segments) {
    if (segment.p_filesz != 0 && !within(segment.p_offset, 1, segment.p_filesz, length)) {
      cut_short(std::uint64_t{segment.p_offset} + segment.p_filesz);
    }
  }
}

}  // namespace

void* load_library(const fs::path& file) {
  check_library_file(file);
  void* handle = ::dlopen(file.c_str(), RTLD_NOW | RTLD_LOCAL);
  if (handle == nullptr) {
    const char* why = ::dlerror();
    refuse(file, why ? why : "unknown error");
  }
  return handle;
}

}  // namespace tw::com
