#pragma once
// A catalog item: an XML metadata file and the document that holds it while
// the host works on it. Import and export reach the document through
// IMetadataHolder.

#include <chrono>
#include <cstddef>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>

#include "tidewise/com/object.h"
#include "tidewise/host/document.h"
#include "tidewise/host/interfaces.h"
#include "tidewise/platform.h"

namespace tw::host {

// The lock every host process takes on an item before it reads the item to
// change it and keeps until it has written it back, so that two of them
// never work on the same version: an advisory lock on the file ".NAME.lock"
// beside the item's file (beside the end of its links). The holder removes
// the lock file as it lets go; whoever waited on the removed file tries
// again on the new one. A lock file found whose holder is gone (killed
// before it could remove it) is taken over, and the temporary copies of the
// item that holder left are removed.
class ItemLock {
 public:
  // Waits for the holder before us, if any, or for `patience` at most: then
  // ItemInUse says who holds it. Throws com::Error when the lock file cannot
  // be created or locked.
  explicit ItemLock(const std::filesystem::path& item,
                    std::optional<std::chrono::milliseconds> patience = std::nullopt);
  ~ItemLock();
  ItemLock(const ItemLock&) = delete;
  ItemLock& operator=(const ItemLock&) = delete;

  static std::filesystem::path lock_file(const std::filesystem::path& item);

 private:
  std::filesystem::path file_;
  int fd_ = -1;
  std::optional<platform::Leftover> leftover_;  // removed if a signal stops us holding it
};

// The item's lock is held by another process, which did not let it go in
// time. `holder` is its process number where the system tells it, else 0.
class ItemInUse : public com::Error {
 public:
  ItemInUse(const std::string& description, int holder)
      : com::Error(com::E_FAIL, description), holder_(holder) {}
  int holder() const { return holder_; }

 private:
  int holder_;
};

// A save refused because the item's file was changed by another program
// since the item read it.
class ItemChanged : public com::Error {
 public:
  explicit ItemChanged(const std::string& description) : com::Error(com::E_FAIL, description) {}
};

// How long a save of an item opened for reading waits for another process
// that holds the item's lock: it must not hold up whoever waits for it.
inline constexpr std::chrono::milliseconds kSaveLockPatience{1500};

class CatalogItem final : public com::Object<CatalogItem, IMetadataHolder> {
 public:
  // Edit holds the item's lock from before the file is read until the item
  // is released, so that edits of other processes wait and then read what
  // this one saved; one process must not open an item for editing twice.
  // Read takes the lock only while saving, waiting for it no longer than
  // kSaveLockPatience (then ItemInUse), and a save over a file that changed
  // since it was read is refused in either case.
  enum class Access { Read, Edit };

  // Reads the item's file; an item without a file holds an empty document.
  static com::ComPtr<CatalogItem> open(const std::filesystem::path& file,
                                       Access access = Access::Read);
  explicit CatalogItem(std::filesystem::path path, Access access = Access::Read);

  // Records as "IMetadataHolder.Metadata".
  HRESULT get_Metadata(IUnknown** document) noexcept override;
  // Records as "IMetadataHolder.put_Metadata". Takes a copy of the
  // document's content (shared until either side writes, not serialized):
  // later changes the caller makes to its own document do not reach the item.
  HRESULT put_Metadata(IMetadataValues* document) noexcept override;

  const std::filesystem::path& path() const { return path_; }
  const com::ComPtr<XmlMetadataDocument>& document() const { return document_; }
  // Whether the item's metadata was written to since it was opened.
  bool modified() const;
  // Writes the document to the item's file atomically, unless the file was
  // changed since the item read (or last saved) it: then nothing is written
  // and ItemChanged (E_FAIL) says so.
  void save();
  // Takes the file as it is now for the one this item last read or wrote:
  // the next save replaces another program's change. For a user who chose
  // to overwrite it.
  void take_file_as_read();

  // A file as it was read or written: its stamp and a hash of its bytes.
  struct Seen {
    platform::FileStamp stamp;
    std::size_t content_hash = 0;
    friend bool operator==(const Seen&, const Seen&) = default;
  };
  // What the item's file was when this item last read or wrote it.
  const Seen& file_as_read() const { return seen_; }
  // Loads `file` into `document`, hashing the bytes as the parser reads
  // them. The stamp is the one from before it was read: a file changed
  // meanwhile has another one afterwards.
  static Seen read(const std::filesystem::path& file, XmlMetadataDocument& document);

 private:
  static Seen see(const std::filesystem::path& file);
  void check_unchanged(const std::filesystem::path& target) const;

  std::filesystem::path path_;
  std::unique_ptr<ItemLock> lock_;  // before the document: taken before it is read
  com::ComPtr<XmlMetadataDocument> document_;
  Seen seen_;
  bool replaced_ = false;  // put_Metadata gave the item a new document
};

// An identifier no other record has: a random UUID ("1b4e28ba-2fa1-4d3b-
// a9b2-...").
std::string new_record_identifier();
// Gives a copy of an item a record identifier of its own: two records of a
// catalog with one identifier are told apart by nobody that reads them.
// Returns the new identifier; a document without one is left as it is.
std::optional<std::string> renew_record_identifier(XmlMetadataDocument& document);

}  // namespace tw::host
