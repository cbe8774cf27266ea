#include "tidewise/host/item.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <random>
#include <sstream>
#include <thread>
#include <utility>

#include "tidewise/com/error.h"
#include "tidewise/host/trace.h"

namespace tw::host {

namespace fs = std::filesystem;
using com::ComPtr;
using platform::shown;

namespace {

[[noreturn]] void fail(std::string_view what, const fs::path& file, int error) {
  com::raise(
      error == EACCES || error == EPERM || error == EROFS ? com::E_ACCESSDENIED : com::E_FAIL,
      "cannot " + std::string(what) + " \"" + shown(file.string()) + "\": " + std::strerror(error));
}

// A hash of the file as it is read, eight bytes a step, the same whatever the
// pieces the bytes come in: what is compared is the item's file with itself a
// moment later, not anything an adversary chose.
class ContentHash {
 public:
  void add(const char* data, std::size_t size) {
    while (size > 0 && filled_ > 0) {
      take(*data++);
      --size;
    }
    for (; size >= 8; data += 8, size -= 8) {
      std::uint64_t word;
      std::memcpy(&word, data, 8);
      mix(word);
    }
    while (size-- > 0) take(*data++);
  }
  std::size_t value() const {
    std::uint64_t last = 0;
    std::memcpy(&last, pending_, filled_);
    std::uint64_t value = value_;
    value = (value ^ last ^ (bytes_ + filled_)) * kMultiplier;
    return static_cast<std::size_t>(value ^ (value >> 32));
  }

 private:
  static constexpr std::uint64_t kMultiplier = 0x9E3779B97F4A7C15ULL;
  void take(char c) {
    pending_[filled_++] = c;
    if (filled_ == 8) {
      std::uint64_t word;
      std::memcpy(&word, pending_, 8);
      filled_ = 0;
      mix(word);
    }
  }
  void mix(std::uint64_t word) {
    value_ = (value_ ^ word) * kMultiplier;
    value_ ^= value_ >> 29;
    bytes_ += 8;
  }

  std::uint64_t value_ = 0xCBF29CE484222325ULL;
  std::uint64_t bytes_ = 0;
  char pending_[8] = {};
  std::size_t filled_ = 0;
};

}  // namespace

// ---- The lock

fs::path ItemLock::lock_file(const fs::path& item) {
  const fs::path target = platform::write_target(item);
  return target.parent_path() / ("." + target.filename().string() + ".lock");
}

namespace {

// Who holds a flock() lock on the file open as `fd`, from /proc/locks: its
// process number, or 0 where the system does not say.
int lock_holder(int fd) {
  struct stat st {};
  if (::fstat(fd, &st) != 0) return 0;
  char wanted[64];
  std::snprintf(wanted, sizeof wanted, "%02x:%02x:%llu", ::major(st.st_dev), ::minor(st.st_dev),
                static_cast<unsigned long long>(st.st_ino));
  std::ifstream locks("/proc/locks");
  for (std::string line; std::getline(locks, line);) {
    // "1: FLOCK  ADVISORY  WRITE 1234 08:02:131090 0 EOF"; waiters have "->".
    std::istringstream fields(line);
    std::string number, kind, mode, access, device;
    int pid = 0;
    if (!(fields >> number >> kind) || kind != "FLOCK") continue;
    if (fields >> mode >> access >> pid >> device && device == wanted) return pid;
  }
  return 0;
}

// "process 1234 (flock)", as much as the system tells of it.
std::string described(int pid) {
  if (pid <= 0) return "another program";
  std::ifstream comm("/proc/" + std::to_string(pid) + "/comm");
  std::string name;
  std::getline(comm, name);
  return "another program (process " + std::to_string(pid) +
         (name.empty() ? std::string() : ", " + shown(name)) + ")";
}

}  // namespace

ItemLock::ItemLock(const fs::path& item, std::optional<std::chrono::milliseconds> patience)
    : file_(lock_file(item)) {
  using Clock = std::chrono::steady_clock;
  const auto deadline = patience ? Clock::now() + *patience : Clock::time_point::max();
  for (;;) {
    // Created as the user's files are, honouring the umask; never through a
    // link somebody placed there. A file that was there already is either
    // held, or was left by a holder that could not remove it.
    bool found = false;
    fd_ = ::open(file_.c_str(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC | O_NOFOLLOW, 0666);
    if (fd_ < 0 && errno == EEXIST) {
      found = true;
      fd_ = ::open(file_.c_str(), O_RDWR | O_CLOEXEC | O_NOFOLLOW);
      if (fd_ < 0 && errno == ENOENT) continue;  // its holder just removed it
    }
    if (fd_ < 0) fail("create the lock file", file_, errno);
    // Named before the lock is taken, and removed by a signal only if the
    // lock is ours by then: no moment is left in which a stopped run would
    // leave the file behind.
    leftover_.emplace(file_, fd_);
    const auto give_up = [&] {
      leftover_.reset();
      ::close(std::exchange(fd_, -1));
    };
    struct stat held {};
    if (::fstat(fd_, &held) != 0 || !S_ISREG(held.st_mode)) {
      give_up();
      com::raise(com::E_FAIL, "cannot lock \"" + shown(item.string()) + "\": \"" +
                                  shown(file_.string()) + "\" is not a regular file");
    }
    // Without patience, waits in flock(); with it, tries again now and then
    // so that the waiting ends in time.
    for (;;) {
      if (::flock(fd_, patience ? LOCK_EX | LOCK_NB : LOCK_EX) == 0) break;
      const int error = errno;
      if (error == EINTR) continue;
      if (error == EWOULDBLOCK && patience) {
        if (Clock::now() < deadline) {
          std::this_thread::sleep_for(std::chrono::milliseconds(20));
          continue;
        }
        const int holder = lock_holder(fd_);
        give_up();
        throw ItemInUse("\"" + shown(item.string()) + "\" is in use by " + described(holder) +
                            ", which holds its lock \"" + shown(file_.string()) + "\"",
                        holder);
      }
      give_up();
      fail("lock", file_, error);
    }
    // The holder before us removes the file as it lets go: the lock we got
    // is only ours if the file is still the one under that name.
    struct stat named {};
    if (::stat(file_.c_str(), &named) == 0 && named.st_dev == held.st_dev &&
        named.st_ino == held.st_ino) {
      // Nobody removed it: its last holder was stopped before it could, and
      // may have left a copy of the item it was writing.
      if (found) platform::remove_abandoned_temporaries(item);
      return;
    }
    give_up();
  }
}

ItemLock::~ItemLock() {
  if (fd_ < 0) return;
  // Removed while still held, so that nobody locks it after us; a file of
  // that name with content is not ours to remove. Forgotten as a leftover
  // only then: a signal meanwhile finds the name gone and leaves it alone.
  struct stat st {};
  if (::fstat(fd_, &st) == 0 && st.st_size == 0) ::unlink(file_.c_str());
  leftover_.reset();
  ::close(fd_);
}

// ---- The item

CatalogItem::CatalogItem(fs::path path, Access access) : path_(std::move(path)) {
  if (path_.empty() || !path_.has_filename()) {
    com::raise(com::E_INVALIDARG, "\"" + shown(path_.string()) + "\" does not name a file");
  }
  if (access == Access::Edit) lock_ = std::make_unique<ItemLock>(path_);
  auto document = com::make_object<XmlMetadataDocument>();
  const Seen read_as = read(path_, *document.get());
  if (platform::stamp_of(path_) != read_as.stamp) {
    com::raise(com::E_FAIL, "\"" + shown(path_.string()) +
                                "\" was changed by another program while it was read");
  }
  seen_ = read_as;
  document_ = std::move(document);
}

CatalogItem::Seen CatalogItem::read(const fs::path& file, XmlMetadataDocument& document) {
  // The hash is taken from the bytes the parser reads: the file is read once.
  const platform::FileStamp before = platform::stamp_of(file);
  ContentHash hash;
  document.load_file(
      file, [&hash](std::string_view piece) noexcept { hash.add(piece.data(), piece.size()); });
  return {before, before.exists ? hash.value() : 0};
}

ComPtr<CatalogItem> CatalogItem::open(const fs::path& file, Access access) {
  return com::make_object<CatalogItem>(file, access);
}

CatalogItem::Seen CatalogItem::see(const fs::path& file) {
  Seen seen;
  const int fd = ::open(file.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) {
    if (errno == ENOENT) return seen;
    fail("read", file, errno);
  }
  struct Closer {
    int fd;
    ~Closer() { ::close(fd); }
  } closer{fd};
  seen.stamp = platform::stamp_of(fd, file);
  ContentHash hash;
  char buffer[1 << 16];
  for (;;) {
    const ssize_t n = ::read(fd, buffer, sizeof buffer);
    if (n == 0) break;
    if (n < 0) {
      if (errno == EINTR) continue;
      fail("read", file, errno);
    }
    hash.add(buffer, static_cast<std::size_t>(n));
  }
  seen.content_hash = hash.value();
  return seen;
}

void CatalogItem::check_unchanged(const fs::path& target) const {
  const Seen now = see(target);
  if (now.stamp == seen_.stamp && now.content_hash == seen_.content_hash) return;
  throw ItemChanged("\"" + shown(path_.string()) +
                    "\" was changed by another program since it was read: the changes made "
                    "here were not saved");
}

HRESULT CatalogItem::get_Metadata(IUnknown** document) noexcept {
  trace("IMetadataHolder.Metadata", [&] { return nlohmann::json::array(); });
  return com::boundary("IMetadataHolder.Metadata", [&] {
    IUnknown*& out = com::out_param(document);
    ComPtr<IMetadataValues>(document_).as<IUnknown>().copy_to(&out);
  });
}

HRESULT CatalogItem::put_Metadata(IMetadataValues* document) noexcept {
  trace("IMetadataHolder.put_Metadata", [&] {
    return nlohmann::json::array({document ? nlohmann::json("<object>") : nlohmann::json()});
  });
  return com::boundary("IMetadataHolder.put_Metadata", [&] {
    if (document == nullptr) com::raise(com::E_POINTER, "null document");
    const auto xml = ComPtr<IMetadataValues>(document).try_as<IMetadataXml>();
    if (!xml) com::raise(com::E_NOINTERFACE, "the document does not offer IMetadataXml");
    // Only a document of the host's own can be taken over: the item must be
    // able to write it to its file.
    const auto* ours = dynamic_cast<const XmlMetadataDocument*>(xml.get());
    if (ours == nullptr) {
      com::raise(com::E_INVALIDARG, "the document is not one of the host's metadata documents");
    }
    document_ = ours->copy();
    replaced_ = true;
  });
}

bool CatalogItem::modified() const {
  return replaced_ || document_->modified();
}

void CatalogItem::take_file_as_read() {
  seen_ = see(platform::write_target(path_));
}

void CatalogItem::save() {
  // An item opened for reading takes the lock for the write alone: between
  // the check and the rename no other host process may write.
  std::unique_ptr<ItemLock> held;
  if (!lock_) held = std::make_unique<ItemLock>(path_, kSaveLockPatience);
  platform::WriteOptions options;
  options.before_replace = [this](const fs::path& target) { check_unchanged(target); };
  // One element a line, so that a diff of two versions shows what changed.
  document_->lay_out();
  // Written and hashed as it is serialized: a large item is never held twice.
  ContentHash hash;
  const platform::FileStamp written = document_->write_file(
      path_, options, [&](std::string_view piece) { hash.add(piece.data(), piece.size()); });
  seen_ = {written, hash.value()};
}

}  // namespace tw::host

namespace tw::host {

std::string new_record_identifier() {
  std::random_device device;
  std::array<std::uint8_t, 16> bytes{};
  for (std::size_t i = 0; i < bytes.size(); i += 4) {
    const std::uint32_t word = device();
    for (std::size_t j = 0; j < 4; ++j) bytes[i + j] = static_cast<std::uint8_t>(word >> (8 * j));
  }
  bytes[6] = static_cast<std::uint8_t>((bytes[6] & 0x0F) | 0x40);  // random, version 4
  bytes[8] = static_cast<std::uint8_t>((bytes[8] & 0x3F) | 0x80);  // the usual variant
  static constexpr char kDigits[] = "0123456789abcdef";
  std::string id;
  for (std::size_t i = 0; i < bytes.size(); ++i) {
    if (i == 4 || i == 6 || i == 8 || i == 10) id += '-';
    id += kDigits[bytes[i] >> 4];
    id += kDigits[bytes[i] & 0x0F];
  }
  return id;
}

std::optional<std::string> renew_record_identifier(XmlMetadataDocument& document) {
  const xmlNode* root = xmlDocGetRootElement(&document.doc());
  bool held = false;
  for (const xmlNode* child = root ? root->children : nullptr; child; child = child->next) {
    if (child->type != XML_ELEMENT_NODE || child->ns != nullptr ||
        std::strcmp(reinterpret_cast<const char*>(child->name), "mdFileID") != 0) {
      continue;
    }
    xmlChar* text = xmlNodeGetContent(child);
    held = text != nullptr && text[0] != '\0';
    xmlFree(text);
    break;
  }
  if (!held) return std::nullopt;
  std::string id = new_record_identifier();
  const HRESULT hr = document.WriteValue("mdFileID", Variant::str(id));
  if (com::failed(hr)) com::raise(hr, "cannot give the copy an identifier of its own");
  return id;
}

}  // namespace tw::host
