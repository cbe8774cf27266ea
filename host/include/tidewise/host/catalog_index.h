#pragma once
// An index of a catalog folder, so that listing and searching thousands of
// items reads one small database instead of every file: for each item its
// path, its file's stamp, title, abstract and keywords (the last three in a
// full-text index), and what the host adds to its line of the listing.
//
// The index is a cache of the files, never the other way round. It lives in
// TIDEWISE_HOME/catalogs, one SQLite database per catalog folder, named
// after the folder's canonical path: never inside the catalog, which may be
// read-only, shared, or under version control, and whose every file a person
// may see. It is kept in step by comparing the stamps of the files (size,
// modification and change times, inode) with the stamps it read them at; a
// missing, damaged or foreign database is rebuilt, and when no database file
// can be used at all the index lives in memory for as long as the object.
// Several processes may use one catalog's index at once.
//
// One object is used by one thread at a time.

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tw::host {

class XmlMetadataDocument;

enum class CatalogSort {
  Path,       // the relative path, byte by byte
  FileName,   // the last step, then the path
  Title,      // the title, ASCII letters without case; items without one after the others
  Saved,      // the file's modification time, then the path
  Relevance,  // the best matches first (searches only; a listing sorts by path)
};

// Descending is the ascending order reversed.
struct CatalogQuery {
  CatalogSort sort = CatalogSort::Path;
  bool descending = false;
  std::size_t offset = 0;
  std::size_t limit = 0;  // 0: every item from `offset` on
};

struct CatalogEntry {
  std::string path;  // relative to the catalog folder, steps separated by '/'
  std::string title;
  std::uint64_t size = 0;
  std::int64_t saved_ns = 0;  // the file's modification time, ns since the epoch
  std::string error;          // why the file could not be read; empty when it was
  std::string extra;          // what Options::describe returned for it

  std::string file_name() const;
};

struct CatalogDetails {
  CatalogEntry entry;
  std::string abstract;
  std::vector<std::string> keywords;
};

struct CatalogPage {
  std::vector<CatalogEntry> entries;
  std::size_t total = 0;  // items (or matches) in all, not only on this page
};

struct CatalogChanges {
  std::size_t read = 0;  // items read anew: new, changed, or not read whole before
  std::size_t removed = 0;
  std::size_t unchanged = 0;
  bool truncated = false;  // more items than Options::max_items: the rest are left out
};

class CatalogIndex {
 public:
  // What the host adds to an item's line of the listing (JSON text, say),
  // made from the document each time the item is read.
  using Describe =
      std::function<std::string(const std::string& path, XmlMetadataDocument& document)>;

  struct Options {
    // Empty: default_database(folder).
    std::filesystem::path database;
    // Items lie at most this many steps deep: "a.xml" is one step.
    int max_depth = 8;
    std::size_t max_items = 100000;
    Describe describe;
    // Names what `describe` makes: an index made with another version has
    // every item read again.
    std::string describe_version;
  };

  // Opens the folder's index, creating it when missing (refresh() brings
  // it in step).
  // Throws com::Error (E_INVALIDARG) when `folder` is not a folder.
  explicit CatalogIndex(const std::filesystem::path& folder);
  CatalogIndex(const std::filesystem::path& folder, Options options);
  ~CatalogIndex();
  CatalogIndex(const CatalogIndex&) = delete;
  CatalogIndex& operator=(const CatalogIndex&) = delete;

  // TIDEWISE_HOME/catalogs/<hash of the canonical folder>.sqlite.
  static std::filesystem::path default_database(const std::filesystem::path& folder);

  const std::filesystem::path& folder() const;  // canonical
  // The database file in use; empty while the index lives in memory.
  std::filesystem::path database() const;

  // Brings the index in step with the folder: items that are new or whose
  // stamp changed are read, those gone are dropped, the others cost a stat.
  // Items are files ending in ".xml", without hidden steps, not deeper than
  // max_depth, and inside the folder once symbolic links are followed (links
  // to folders are not followed).
  CatalogChanges refresh();

  // The items as the index holds them (refresh first to see the folder's
  // latest state).
  CatalogPage list(const CatalogQuery& query = {});
  // The items whose title, abstract or keywords hold every word of `text`,
  // each word as a word or the start of one, without regard to case or
  // accents ("shore" finds "Shoreline"). Words are never read as query
  // syntax. Text without a word lists every item, sorted as asked.
  CatalogPage search(std::string_view text, const CatalogQuery& query = {CatalogSort::Relevance});
  std::optional<CatalogDetails> find(std::string_view path);

  // The host itself wrote, created or removed the item at `path` (for a
  // rename, call it with both paths): it is read again or dropped now, so
  // that no refresh is needed to see it. A path that cannot name an item is
  // ignored.
  void note_changed(std::string_view path);

 private:
  struct Impl;
  std::unique_ptr<Impl> impl_;
};

}  // namespace tw::host
