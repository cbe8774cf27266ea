#include "tidewise/host/catalog_index.h"

#include <dirent.h>
#include <fcntl.h>
#include <sqlite3.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cctype>
#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <map>
#include <stdexcept>
#include <unordered_map>
#include <utility>

#include "tidewise/com/error.h"
#include "tidewise/com/registry.h"
#include "tidewise/host/document.h"
#include "tidewise/platform.h"

namespace tw::host {

namespace fs = std::filesystem;

namespace {

// Part of the database's name: another layout gets a file of its own rather
// than fighting over one with an older or newer tool.
constexpr int kSchemaVersion = 1;
// Items read before each write transaction: a cold start of a large catalog
// keeps what it did if it is stopped, and never holds the write lock long.
constexpr std::size_t kBatch = 256;
constexpr int kBusyTimeoutMs = 5000;
// What an item may put in the index, so that a hostile file cannot make it
// huge: words beyond these are not found.
constexpr std::size_t kMaxTitleBytes = 4096;
constexpr std::size_t kMaxTextBytes = std::size_t{64} * 1024;
constexpr std::size_t kMaxErrorBytes = 4096;
constexpr std::size_t kMaxSearchWords = 32;
constexpr std::size_t kMaxSearchWordBytes = 256;
// Longer paths are no item paths of the editor's.
constexpr std::size_t kMaxPathBytes = 1024;
constexpr char kKeywordSeparator = '\x1f';  // XML text cannot hold it

// ---- SQLite

class DbError : public std::runtime_error {
 public:
  DbError(int code, const std::string& message) : std::runtime_error(message), code_(code) {}
  int code() const { return code_; }

 private:
  int code_;
};

void check(int rc, sqlite3* db) {
  if (rc == SQLITE_OK || rc == SQLITE_ROW || rc == SQLITE_DONE) return;
  throw DbError(rc & 0xff, db ? sqlite3_errmsg(db) : sqlite3_errstr(rc));
}

class Statement {
 public:
  Statement(sqlite3* db, const std::string& sql) : db_(db) {
    check(sqlite3_prepare_v3(db, sql.c_str(), static_cast<int>(sql.size()),
                             SQLITE_PREPARE_PERSISTENT, &statement_, nullptr),
          db);
  }
  ~Statement() { sqlite3_finalize(statement_); }
  Statement(const Statement&) = delete;
  Statement& operator=(const Statement&) = delete;

  sqlite3_stmt* get() const { return statement_; }
  sqlite3* db() const { return db_; }

 private:
  sqlite3* db_;
  sqlite3_stmt* statement_ = nullptr;
};

// One use of a prepared statement: bindings in, rows out, reset at the end.
class Use {
 public:
  explicit Use(Statement& statement) : s_(statement.get()), db_(statement.db()) {}
  ~Use() {
    sqlite3_reset(s_);
    sqlite3_clear_bindings(s_);
  }
  Use(const Use&) = delete;
  Use& operator=(const Use&) = delete;

  Use& bind(int index, std::int64_t value) {
    check(sqlite3_bind_int64(s_, index, value), db_);
    return *this;
  }
  Use& bind(int index, std::string_view text) {
    check(sqlite3_bind_text64(s_, index, text.data(), text.size(), SQLITE_TRANSIENT, SQLITE_UTF8),
          db_);
    return *this;
  }
  // True while there is a row.
  bool step() {
    const int rc = sqlite3_step(s_);
    check(rc, db_);
    return rc == SQLITE_ROW;
  }
  void run() {
    while (step()) {
    }
  }
  std::int64_t integer(int column) const { return sqlite3_column_int64(s_, column); }
  std::string text(int column) const {
    const auto* data = reinterpret_cast<const char*>(sqlite3_column_text(s_, column));
    return data ? std::string(data, static_cast<std::size_t>(sqlite3_column_bytes(s_, column)))
                : std::string();
  }

 private:
  sqlite3_stmt* s_;
  sqlite3* db_;
};

class Database {
 public:
  Database(const std::string& file, int flags) {
    const int rc = sqlite3_open_v2(file.c_str(), &db_, flags, nullptr);
    if (rc != SQLITE_OK) {
      const DbError error(rc & 0xff, db_ ? sqlite3_errmsg(db_) : sqlite3_errstr(rc));
      sqlite3_close_v2(db_);
      throw error;
    }
  }
  ~Database() {
    statements_.clear();
    sqlite3_close_v2(db_);
  }
  Database(const Database&) = delete;
  Database& operator=(const Database&) = delete;

  sqlite3* get() const { return db_; }
  void exec(const char* sql) { check(sqlite3_exec(db_, sql, nullptr, nullptr, nullptr), db_); }
  Statement& statement(const std::string& sql) {
    auto& slot = statements_[sql];
    if (!slot) slot = std::make_unique<Statement>(db_, sql);
    return *slot;
  }
  std::int64_t scalar(const std::string& sql) {
    Use use(statement(sql));
    return use.step() ? use.integer(0) : 0;
  }

 private:
  sqlite3* db_ = nullptr;
  std::map<std::string, std::unique_ptr<Statement>> statements_;
};

// A write transaction, taken at once so that two processes never both wait
// to turn a read into a write; rolled back unless committed.
class Transaction {
 public:
  explicit Transaction(Database& db, const char* begin = "BEGIN IMMEDIATE") : db_(db) {
    db_.exec(begin);
  }
  ~Transaction() {
    if (!done_) sqlite3_exec(db_.get(), "ROLLBACK", nullptr, nullptr, nullptr);
  }
  Transaction(const Transaction&) = delete;
  Transaction& operator=(const Transaction&) = delete;
  void commit() {
    db_.exec("COMMIT");
    done_ = true;
  }

 private:
  Database& db_;
  bool done_ = false;
};

const char* const kSchema = R"(
CREATE TABLE meta(key TEXT PRIMARY KEY, value TEXT NOT NULL) WITHOUT ROWID;
CREATE TABLE items(
  id INTEGER PRIMARY KEY,
  path TEXT NOT NULL UNIQUE,
  file_name TEXT NOT NULL,
  size INTEGER NOT NULL,
  mtime_ns INTEGER NOT NULL,
  ctime_ns INTEGER NOT NULL,
  inode INTEGER NOT NULL,
  fresh INTEGER NOT NULL,
  title TEXT NOT NULL,
  error TEXT NOT NULL,
  extra TEXT NOT NULL);
CREATE INDEX items_by_name ON items(file_name, path);
CREATE INDEX items_by_title ON items(title = '', title COLLATE NOCASE, path);
CREATE INDEX items_by_saved ON items(mtime_ns, path);
CREATE VIRTUAL TABLE item_text USING fts5(title, abstract, keywords,
  tokenize = 'unicode61 remove_diacritics 2');
)";

// ---- Files

// What tells one state of an item's file from another.
struct Stamp {
  std::int64_t size = 0;
  std::int64_t mtime_ns = 0;
  std::int64_t ctime_ns = 0;
  std::int64_t inode = 0;
  friend bool operator==(const Stamp&, const Stamp&) = default;
};

Stamp stamp_of(const struct stat& info) {
  const auto ns = [](const timespec& t) {
    return static_cast<std::int64_t>(t.tv_sec) * 1'000'000'000 + t.tv_nsec;
  };
  return {static_cast<std::int64_t>(info.st_size), ns(info.st_mtim), ns(info.st_ctim),
          static_cast<std::int64_t>(info.st_ino)};
}

// File times come from the kernel's coarse clock: a second change within the
// tick of a file's last change would leave its stamp as it was. An item read
// in that tick is read again at the next refresh.
bool settled(const Stamp& stamp) {
  timespec now{};
  ::clock_gettime(CLOCK_REALTIME_COARSE, &now);
  const std::int64_t now_ns = static_cast<std::int64_t>(now.tv_sec) * 1'000'000'000 + now.tv_nsec;
  return stamp.mtime_ns < now_ns && stamp.ctime_ns < now_ns;
}

std::optional<Stamp> regular_file_stamp(const fs::path& file) {
  struct stat info {};
  if (::stat(file.c_str(), &info) != 0 || !S_ISREG(info.st_mode)) return std::nullopt;
  return stamp_of(info);
}

bool is_item_name(std::string_view name) {
  return !name.empty() && name.front() != '.' && name.size() > 4 && name.ends_with(".xml");
}

// The item paths the editor accepts, less what only the folder can tell.
bool item_path_ok(std::string_view path, int max_depth) {
  if (path.empty() || path.size() > kMaxPathBytes || path.front() == '/') return false;
  if (path.find('\0') != std::string_view::npos || path.find('\\') != std::string_view::npos) {
    return false;
  }
  int depth = 0;
  std::size_t start = 0;
  while (true) {
    const std::size_t end = std::min(path.find('/', start), path.size());
    const std::string_view step = path.substr(start, end - start);
    if (step.empty() || step.front() == '.') return false;  // also "." and ".."
    if (++depth > max_depth) return false;
    if (end == path.size()) return is_item_name(step);
    start = end + 1;
  }
}

bool inside(const std::string& folder, const std::string& path) {
  if (folder == "/") return path.size() > 1 && path.front() == '/';
  return path.size() > folder.size() && path.compare(0, folder.size(), folder) == 0 &&
         path[folder.size()] == '/';
}

std::string real_path(const fs::path& path) {
  char* real = ::realpath(path.c_str(), nullptr);
  if (real == nullptr) return {};
  std::string result(real);
  std::free(real);
  return result;
}

struct DirCloser {
  void operator()(DIR* dir) const { ::closedir(dir); }
};

struct Found {
  std::string path;
  Stamp stamp;
};

struct Scan {
  std::vector<Found> found;
  bool truncated = false;
};

// ---- Items

void clip(std::string& text, std::size_t max) {
  if (text.size() <= max) return;
  std::size_t end = max;
  while (end > 0 && (static_cast<unsigned char>(text[end]) & 0xC0) == 0x80) --end;
  text.resize(end);
}

std::vector<std::string> values_at(XmlMetadataDocument& document, const char* path) {
  com::Variant values;
  if (com::failed(document.ReadValues(path, &values))) {
    com::ClearErrorInfo();
    return {};
  }
  std::vector<std::string> texts;
  if (const auto* array = values.as_array()) {
    for (const com::Variant& value : array->elements) {
      if (const std::string* text = value.as_string(); text && !text->empty()) {
        texts.push_back(*text);
      }
    }
  }
  return texts;
}

// What the index keeps of one item.
struct Summary {
  std::string path;
  Stamp stamp;
  bool fresh = false;
  std::string title;
  std::string abstract;
  std::string keywords;  // separated by kKeywordSeparator
  std::string error;
  std::string extra;
};

std::string file_name_of(std::string_view path) {
  const std::size_t slash = path.rfind('/');
  return std::string(slash == std::string_view::npos ? path : path.substr(slash + 1));
}

// ---- Search words

// Whether a word holds a letter or digit, which the full-text tokenizer
// keeps; a word of punctuation alone would match nothing, and with it no
// search would find anything.
bool has_word_character(std::string_view word) {
  for (std::size_t i = 0; i < word.size();) {
    const auto byte = static_cast<unsigned char>(word[i]);
    if (byte < 0x80) {
      if (std::isalnum(byte)) return true;
      ++i;
      continue;
    }
    // Decode enough of UTF-8 to leave out the punctuation and symbol blocks.
    const std::size_t length = byte >= 0xF0 ? 4 : byte >= 0xE0 ? 3 : byte >= 0xC0 ? 2 : 1;
    std::uint32_t code = length == 1 ? byte : byte & (0x7F >> length);
    for (std::size_t k = 1; k < length && i + k < word.size(); ++k) {
      code = (code << 6) | (static_cast<unsigned char>(word[i + k]) & 0x3F);
    }
    i += length;
    const bool symbol = code < 0xC0 || code == 0xD7 || code == 0xF7 ||
                        (code >= 0x2000 && code <= 0x2BFF) || (code >= 0x3000 && code <= 0x303F) ||
                        (code >= 0xFE30 && code <= 0xFE4F) || (code >= 0xFF00 && code <= 0xFF0F);
    if (!symbol) return true;
  }
  return false;
}

// `text` as a full-text query: each word a quoted prefix term, all of them
// required. Empty when `text` holds no word.
std::string match_expression(std::string_view text) {
  std::string expression;
  std::size_t words = 0;
  std::size_t i = 0;
  const auto space = [](char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r'; };
  while (i < text.size() && words < kMaxSearchWords) {
    while (i < text.size() && space(text[i])) ++i;
    const std::size_t start = i;
    while (i < text.size() && !space(text[i])) ++i;
    std::string word(text.substr(start, i - start));
    clip(word, kMaxSearchWordBytes);
    if (word.empty() || !has_word_character(word)) continue;
    // A quoted string is one term whatever it holds; a quote inside is doubled.
    if (!expression.empty()) expression += ' ';
    expression += '"';
    for (const char c : word) {
      if (c == '"') expression += '"';
      expression += c;
    }
    expression += "\"*";
    ++words;
  }
  return expression;
}

}  // namespace

std::string CatalogEntry::file_name() const {
  return file_name_of(path);
}

// ---- The index

struct CatalogIndex::Impl {
  enum class Mode { Open, Reset, Memory };

  fs::path folder;
  std::string folder_text;
  Options options;
  fs::path file;  // empty: no file can be used
  std::unique_ptr<Database> db;
  bool in_memory = false;
  Stamp opened;  // the database file as it was when opened
  // Set when a failure had the database opened again: it is brought in step
  // before it answers.
  bool recovered = false;

  // ---- Connection

  void connect(Mode mode) {
    db.reset();
    if (mode == Mode::Memory || file.empty()) {
      db = std::make_unique<Database>(":memory:", SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE);
      in_memory = true;
      set_up_schema();
      return;
    }
    db = std::make_unique<Database>(file.string(), SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE |
                                                       SQLITE_OPEN_NOFOLLOW | SQLITE_OPEN_NOMUTEX);
    sqlite3_busy_timeout(db->get(), kBusyTimeoutMs);
    // Closing the last connection must not remove the write-ahead log by
    // name: if the database was replaced meanwhile, the name is the new one's.
    int persist = 1;
    sqlite3_file_control(db->get(), "main", SQLITE_FCNTL_PERSIST_WAL, &persist);
    if (mode == Mode::Reset) reset();
    db->exec("PRAGMA journal_mode=WAL");
    db->exec("PRAGMA synchronous=NORMAL");
    // The log kept between uses stays small, and no scratch file of what
    // the items say is left in the system's temporary folder.
    db->exec("PRAGMA journal_size_limit=1048576");
    db->exec("PRAGMA temp_store=MEMORY");
    db->exec("PRAGMA cache_size=-8192");
    bool foreign = false;
    {
      // Both looks in one snapshot: a schema another process is creating is
      // either whole or not there.
      Transaction snapshot(*db, "BEGIN");
      const std::int64_t version = db->scalar("PRAGMA user_version");
      foreign = version != kSchemaVersion &&
                (version != 0 || db->scalar("SELECT count(*) FROM sqlite_master") != 0);
    }
    if (foreign) reset();
    set_up_schema();
    struct stat info {};
    opened = ::stat(file.c_str(), &info) == 0 ? stamp_of(info) : Stamp{};
  }

  // Empties the database in place, even a damaged one, under its locks, so
  // that other processes using it see an empty one rather than a file that
  // vanished under them.
  void reset() {
    sqlite3_table_column_metadata(db->get(), nullptr, "items", "path", nullptr, nullptr, nullptr,
                                  nullptr, nullptr);
    sqlite3_db_config(db->get(), SQLITE_DBCONFIG_RESET_DATABASE, 1, nullptr);
    const int rc = sqlite3_exec(db->get(), "VACUUM", nullptr, nullptr, nullptr);
    sqlite3_db_config(db->get(), SQLITE_DBCONFIG_RESET_DATABASE, 0, nullptr);
    check(rc, db->get());
  }

  void set_up_schema() {
    Transaction transaction(*db);
    if (db->scalar("PRAGMA user_version") != kSchemaVersion) {
      check(sqlite3_exec(db->get(), kSchema, nullptr, nullptr, nullptr), db->get());
      db->exec(("PRAGMA user_version=" + std::to_string(kSchemaVersion)).c_str());
    }
    const std::string seen_folder = meta("folder");
    if (seen_folder != folder_text) {
      // Another folder's index under this name: nothing in it is ours.
      db->exec("DELETE FROM items");
      db->exec("DELETE FROM item_text");
      set_meta("folder", folder_text);
    }
    if (meta("describe") != options.describe_version) {
      db->exec("UPDATE items SET fresh = 0");
      set_meta("describe", options.describe_version);
    }
    transaction.commit();
  }

  std::string meta(const char* key) {
    Use use(db->statement("SELECT value FROM meta WHERE key = ?1"));
    use.bind(1, key);
    return use.step() ? use.text(0) : std::string();
  }
  void set_meta(const char* key, const std::string& value) {
    Use use(db->statement("INSERT OR REPLACE INTO meta(key, value) VALUES(?1, ?2)"));
    use.bind(1, key).bind(2, value).run();
  }

  // Runs `body` on the database. A failure has the database opened again,
  // then emptied, then kept in memory, and the index brought in step each
  // time before `body` runs again; only a failure in memory is the caller's.
  template <class Body>
  auto guarded(Body&& body) {
    for (int attempt = 0;; ++attempt) {
      try {
        if (!db) {
          connect(in_memory || attempt >= 3 ? Mode::Memory
                  : attempt == 2            ? Mode::Reset
                                            : Mode::Open);
        }
        if (recovered) {
          recovered = false;
          refresh_now();
        }
        return body();
      } catch (const DbError& e) {
        db.reset();
        recovered = true;
        if ((in_memory && attempt >= 1) || attempt >= 3) {
          com::raise(com::E_FAIL, "the catalog's index cannot be kept: " + std::string(e.what()));
        }
      }
    }
  }

  // The database file was removed or replaced by another: open what is
  // there now, or create it.
  void follow_file() {
    if (in_memory || file.empty() || !db) return;
    struct stat info {};
    if (::stat(file.c_str(), &info) != 0 || stamp_of(info).inode != opened.inode) {
      connect(Mode::Open);
    }
  }

  // ---- The folder

  void walk(int dir_fd, const std::string& prefix, int depth, Scan& scan) const {
    const std::unique_ptr<DIR, DirCloser> dir(::fdopendir(dir_fd));
    if (!dir) {
      ::close(dir_fd);
      return;
    }
    while (const dirent* entry = ::readdir(dir.get())) {
      const std::string_view name = entry->d_name;
      if (name.empty() || name.front() == '.') continue;
      unsigned char type = entry->d_type;
      struct stat info {};
      if (type == DT_UNKNOWN) {
        if (::fstatat(::dirfd(dir.get()), entry->d_name, &info, AT_SYMLINK_NOFOLLOW) != 0) continue;
        type = S_ISDIR(info.st_mode)   ? DT_DIR
               : S_ISLNK(info.st_mode) ? DT_LNK
               : S_ISREG(info.st_mode) ? DT_REG
                                       : DT_UNKNOWN;
      }
      const std::string relative = prefix + entry->d_name;
      if (type == DT_DIR) {
        if (depth + 1 < options.max_depth) {
          const int child = ::openat(::dirfd(dir.get()), entry->d_name,
                                     O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
          if (child >= 0) walk(child, relative + "/", depth + 1, scan);
          if (scan.truncated) return;
        }
        continue;
      }
      if ((type != DT_REG && type != DT_LNK) || !item_path_ok(relative, options.max_depth)) {
        continue;
      }
      if (::fstatat(::dirfd(dir.get()), entry->d_name, &info, 0) != 0 || !S_ISREG(info.st_mode)) {
        continue;
      }
      if (type == DT_LNK && !inside(folder_text, real_path(folder / relative))) continue;
      if (scan.found.size() >= options.max_items) {
        scan.truncated = true;
        return;
      }
      scan.found.push_back({relative, stamp_of(info)});
    }
  }

  Scan scan() const {
    Scan scan;
    const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd >= 0) walk(fd, "", 0, scan);
    return scan;
  }

  // Whether `path` names an item of the folder now, as the walk would find it.
  bool is_item(const std::string& path) const {
    if (!item_path_ok(path, options.max_depth)) return false;
    const fs::path file_path = folder / path;
    const fs::path parent = file_path.parent_path();
    if (real_path(parent) != parent.string()) return false;  // through a link to a folder
    struct stat info {};
    if (::lstat(file_path.c_str(), &info) != 0) return false;
    if (S_ISLNK(info.st_mode)) return inside(folder_text, real_path(file_path));
    return S_ISREG(info.st_mode);
  }

  // Reads an item's file; nothing when it is no longer there.
  std::optional<Summary> read(const std::string& path) const {
    const fs::path file_path = folder / path;
    const std::optional<Stamp> before = regular_file_stamp(file_path);
    if (!before) return std::nullopt;
    Summary summary;
    summary.path = path;
    const auto document = com::make_object<XmlMetadataDocument>();
    bool loaded = false;
    try {
      document->load_file(file_path);
      loaded = true;
    } catch (const com::Error& e) {
      summary.error = e.what();
      clip(summary.error, kMaxErrorBytes);
    }
    if (loaded) {
      const auto titles = values_at(*document.get(), "dataIdInfo/idCitation/resTitle");
      if (!titles.empty()) summary.title = titles.front();
      const auto abstracts = values_at(*document.get(), "dataIdInfo/idAbs");
      if (!abstracts.empty()) summary.abstract = abstracts.front();
      for (const std::string& keyword :
           values_at(*document.get(), "dataIdInfo/searchKeys/keyword")) {
        if (!summary.keywords.empty()) summary.keywords += kKeywordSeparator;
        summary.keywords += keyword;
      }
      clip(summary.title, kMaxTitleBytes);
      clip(summary.abstract, kMaxTextBytes);
      clip(summary.keywords, kMaxTextBytes);
      if (options.describe) summary.extra = options.describe(path, *document.get());
    }
    const std::optional<Stamp> after = regular_file_stamp(file_path);
    if (!after) return std::nullopt;
    summary.stamp = *after;
    summary.fresh = *after == *before && settled(*after);
    return summary;
  }

  // ---- Writing

  void store(const Summary& item) {
    std::int64_t id = 0;
    {
      Use use(db->statement(
          "INSERT INTO items(path, file_name, size, mtime_ns, ctime_ns, inode, fresh, title, "
          "error, extra) VALUES(?1, ?2, ?3, ?4, ?5, ?6, ?7, ?8, ?9, ?10) "
          "ON CONFLICT(path) DO UPDATE SET size = excluded.size, mtime_ns = excluded.mtime_ns, "
          "ctime_ns = excluded.ctime_ns, inode = excluded.inode, fresh = excluded.fresh, "
          "title = excluded.title, error = excluded.error, extra = excluded.extra RETURNING id"));
      use.bind(1, item.path)
          .bind(2, file_name_of(item.path))
          .bind(3, item.stamp.size)
          .bind(4, item.stamp.mtime_ns)
          .bind(5, item.stamp.ctime_ns)
          .bind(6, item.stamp.inode)
          .bind(7, item.fresh ? 1 : 0)
          .bind(8, item.title)
          .bind(9, item.error)
          .bind(10, item.extra);
      if (use.step()) id = use.integer(0);
      use.run();
    }
    Use(db->statement("DELETE FROM item_text WHERE rowid = ?1")).bind(1, id).run();
    Use(db->statement(
            "INSERT INTO item_text(rowid, title, abstract, keywords) VALUES(?1, ?2, ?3, ?4)"))
        .bind(1, id)
        .bind(2, item.title)
        .bind(3, item.abstract)
        .bind(4, item.keywords)
        .run();
  }

  void drop(const std::string& path) {
    std::optional<std::int64_t> id;
    {
      Use use(db->statement("DELETE FROM items WHERE path = ?1 RETURNING id"));
      use.bind(1, path);
      if (use.step()) id = use.integer(0);
      use.run();
    }
    if (id) Use(db->statement("DELETE FROM item_text WHERE rowid = ?1")).bind(1, *id).run();
  }

  CatalogChanges refresh_now() {
    follow_file();
    const Scan scan = this->scan();
    struct Known {
      Stamp stamp;
      bool fresh;
    };
    std::unordered_map<std::string, Known> known;
    {
      Transaction snapshot(*db, "BEGIN");
      Use use(db->statement("SELECT path, size, mtime_ns, ctime_ns, inode, fresh FROM items"));
      while (use.step()) {
        known.emplace(use.text(0),
                      Known{{use.integer(1), use.integer(2), use.integer(3), use.integer(4)},
                            use.integer(5) != 0});
      }
    }
    CatalogChanges changes;
    changes.truncated = scan.truncated;
    std::vector<const Found*> to_read;
    for (const Found& found : scan.found) {
      const auto it = known.find(found.path);
      if (it != known.end() && it->second.fresh && it->second.stamp == found.stamp) {
        ++changes.unchanged;
      } else {
        to_read.push_back(&found);
      }
      if (it != known.end()) known.erase(it);
    }
    if (!known.empty()) {
      Transaction transaction(*db);
      for (const auto& [path, _] : known) drop(path);
      transaction.commit();
      changes.removed = known.size();
    }
    for (std::size_t start = 0; start < to_read.size(); start += kBatch) {
      std::vector<Summary> batch;
      std::vector<std::string> gone;
      for (std::size_t i = start; i < std::min(start + kBatch, to_read.size()); ++i) {
        if (auto summary = read(to_read[i]->path)) {
          batch.push_back(std::move(*summary));
        } else {
          gone.push_back(to_read[i]->path);
        }
      }
      Transaction transaction(*db);
      for (const Summary& item : batch) store(item);
      for (const std::string& path : gone) drop(path);
      transaction.commit();
      changes.read += batch.size();
      changes.removed += gone.size();
    }
    return changes;
  }

  // ---- Reading

  static std::string order_by(const CatalogQuery& query, bool search) {
    const std::string dir = query.descending ? " DESC" : "";
    switch (query.sort) {
      case CatalogSort::Path:
        break;
      case CatalogSort::FileName:
        return "i.file_name" + dir + ", i.path" + dir;
      case CatalogSort::Title:
        return "i.title = ''" + dir + ", i.title COLLATE NOCASE" + dir + ", i.path" + dir;
      case CatalogSort::Saved:
        return "i.mtime_ns" + dir + ", i.path" + dir;
      case CatalogSort::Relevance:
        // Words in the title weigh most, then keywords, then the abstract.
        if (search) return "bm25(item_text, 10.0, 1.0, 4.0)" + dir + ", i.path" + dir;
        break;
    }
    return "i.path" + dir;
  }

  CatalogPage page(const std::string& match, const CatalogQuery& query) {
    const bool search = !match.empty();
    const std::string from = search ? " FROM item_text JOIN items i ON i.id = item_text.rowid "
                                      "WHERE item_text MATCH ?1"
                                    : " FROM items i";
    const std::string sql = "SELECT i.path, i.title, i.size, i.mtime_ns, i.error, i.extra" + from +
                            " ORDER BY " + order_by(query, search) + " LIMIT ?2 OFFSET ?3";
    const auto clamp = [](std::size_t n) {
      return static_cast<std::int64_t>(std::min<std::size_t>(n, INT64_MAX));
    };
    CatalogPage page;
    Transaction snapshot(*db, "BEGIN");
    {
      Use use(db->statement(sql));
      if (search) use.bind(1, match);
      use.bind(2, query.limit == 0 ? std::int64_t{-1} : clamp(query.limit))
          .bind(3, clamp(query.offset));
      while (use.step()) page.entries.push_back(entry(use));
    }
    Use count(db->statement(search ? "SELECT count(*) FROM item_text WHERE item_text MATCH ?1"
                                   : "SELECT count(*) FROM items"));
    if (search) count.bind(1, match);
    if (count.step()) page.total = static_cast<std::size_t>(count.integer(0));
    return page;
  }

  static CatalogEntry entry(const Use& row) {
    return {row.text(0),    row.text(1), static_cast<std::uint64_t>(row.integer(2)),
            row.integer(3), row.text(4), row.text(5)};
  }
};

CatalogIndex::CatalogIndex(const fs::path& folder) : CatalogIndex(folder, Options{}) {}

CatalogIndex::CatalogIndex(const fs::path& folder, Options options)
    : impl_(std::make_unique<Impl>()) {
  std::error_code ec;
  impl_->folder = fs::canonical(folder, ec);
  if (ec || !fs::is_directory(impl_->folder, ec)) {
    com::raise(com::E_INVALIDARG,
               "\"" + platform::shown(folder.string()) + "\" is not a folder of items");
  }
  impl_->folder_text = impl_->folder.string();
  if (options.max_depth < 1) options.max_depth = 1;
  impl_->options = std::move(options);
  impl_->file = impl_->options.database;
  if (impl_->file.empty()) {
    try {
      impl_->file = default_database(impl_->folder);
    } catch (const com::Error&) {
      // No home for the index: it lives in memory.
    }
  }
  impl_->guarded([] {});
}

CatalogIndex::~CatalogIndex() = default;

fs::path CatalogIndex::default_database(const fs::path& folder) {
  std::error_code ec;
  fs::path canonical = fs::canonical(folder, ec);
  if (ec) canonical = fs::absolute(folder).lexically_normal();
  // FNV-1a of the folder's path; the database records the folder it indexes,
  // so that a clash of names costs a rebuild, never a wrong listing.
  std::uint64_t hash = 0xcbf29ce484222325ULL;
  for (const unsigned char c : canonical.string()) {
    hash = (hash ^ c) * 0x100000001b3ULL;
  }
  std::string name;
  for (const char c : canonical.filename().string()) {
    if (name.size() >= 32) break;
    name += std::isalnum(static_cast<unsigned char>(c)) || c == '-' || c == '_' ? c : '_';
  }
  char hex[17];
  std::snprintf(hex, sizeof hex, "%016llx", static_cast<unsigned long long>(hash));
  const fs::path catalogs = com::tidewise_home() / "catalogs";
  // The index holds what the items say: for its owner's eyes only.
  if (::mkdir(catalogs.c_str(), 0700) != 0 && (errno != EEXIST || !fs::is_directory(catalogs))) {
    com::raise(com::E_FAIL, "cannot create the folder \"" + platform::shown(catalogs.string()) +
                                "\": " + std::strerror(errno));
  }
  return catalogs / ((name.empty() ? "" : name + "-") + hex + "-v" +
                     std::to_string(kSchemaVersion) + ".sqlite");
}

const fs::path& CatalogIndex::folder() const {
  return impl_->folder;
}

fs::path CatalogIndex::database() const {
  return impl_->in_memory ? fs::path() : impl_->file;
}

CatalogChanges CatalogIndex::refresh() {
  return impl_->guarded([&] { return impl_->refresh_now(); });
}

CatalogPage CatalogIndex::list(const CatalogQuery& query) {
  return impl_->guarded([&] { return impl_->page({}, query); });
}

CatalogPage CatalogIndex::search(std::string_view text, const CatalogQuery& query) {
  const std::string match = match_expression(text);
  return impl_->guarded([&] { return impl_->page(match, query); });
}

std::optional<CatalogDetails> CatalogIndex::find(std::string_view path) {
  return impl_->guarded([&]() -> std::optional<CatalogDetails> {
    Use use(impl_->db->statement(
        "SELECT i.path, i.title, i.size, i.mtime_ns, i.error, i.extra, t.abstract, t.keywords "
        "FROM items i LEFT JOIN item_text t ON t.rowid = i.id WHERE i.path = ?1"));
    use.bind(1, path);
    if (!use.step()) return std::nullopt;
    CatalogDetails details{Impl::entry(use), use.text(6), {}};
    const std::string keywords = use.text(7);
    for (std::size_t start = 0; start < keywords.size();) {
      const std::size_t end = std::min(keywords.find(kKeywordSeparator, start), keywords.size());
      details.keywords.push_back(keywords.substr(start, end - start));
      start = end + 1;
    }
    return details;
  });
}

void CatalogIndex::note_changed(std::string_view path) {
  const std::string relative(path);
  if (!item_path_ok(relative, impl_->options.max_depth)) return;
  impl_->guarded([&] {
    std::optional<Summary> summary;
    if (impl_->is_item(relative)) summary = impl_->read(relative);
    Transaction transaction(*impl_->db);
    if (summary) {
      impl_->store(*summary);
    } else {
      impl_->drop(relative);
    }
    transaction.commit();
  });
}

}  // namespace tw::host
