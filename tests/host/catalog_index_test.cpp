// The catalog's index: which files are items, keeping in step with the
// folder, sorting, searching (also with text that looks like query syntax),
// and surviving a damaged or unusable database and a second process.

#include "tidewise/host/catalog_index.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sqlite3.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <thread>

#include "support/files.h"
#include "tidewise/com/error.h"

namespace tw::host {
namespace {

namespace fs = std::filesystem;

std::string item_xml(std::string_view title, std::string_view abstract = {},
                     const std::vector<std::string>& keywords = {}) {
  std::string xml = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<metadata><dataIdInfo>";
  if (!title.empty())
    xml += "<idCitation><resTitle>" + std::string(title) + "</resTitle></idCitation>";
  if (!abstract.empty()) xml += "<idAbs>" + std::string(abstract) + "</idAbs>";
  for (const std::string& keyword : keywords) {
    xml += "<searchKeys><keyword>" + keyword + "</keyword></searchKeys>";
  }
  return xml + "</dataIdInfo></metadata>\n";
}

CatalogIndex::Options at(const fs::path& database) {
  CatalogIndex::Options options;
  options.database = database;
  return options;
}

std::vector<std::string> paths(const CatalogPage& page) {
  std::vector<std::string> result;
  for (const CatalogEntry& entry : page.entries) result.push_back(entry.path);
  return result;
}

// Lets the kernel's coarse clock pass the files just written, so that the
// index takes their stamps as settled.
void let_the_clock_tick() {
  timespec resolution{};
  ::clock_getres(CLOCK_REALTIME_COARSE, &resolution);
  std::this_thread::sleep_for(std::chrono::nanoseconds(2 * resolution.tv_nsec) +
                              std::chrono::milliseconds(2));
}

void set_mtime(const fs::path& file, std::int64_t seconds) {
  const timespec times[2] = {{seconds, 0}, {seconds, 0}};
  ASSERT_EQ(::utimensat(AT_FDCWD, file.c_str(), times, 0), 0) << file;
}

// "ok" for a sound database and full-text index, else what is wrong.
std::string integrity(const fs::path& database) {
  sqlite3* db = nullptr;
  std::string result;
  sqlite3_open_v2(database.c_str(), &db, SQLITE_OPEN_READWRITE, nullptr);
  sqlite3_exec(
      db, "PRAGMA integrity_check",
      [](void* out, int, char** values, char**) {
        *static_cast<std::string*>(out) += values[0];
        return 0;
      },
      &result, nullptr);
  if (sqlite3_exec(db, "INSERT INTO item_text(item_text) VALUES('integrity-check')", nullptr,
                   nullptr, nullptr) != SQLITE_OK) {
    result += std::string(" fts: ") + sqlite3_errmsg(db);
  }
  sqlite3_close(db);
  return result;
}

class CatalogIndexTest : public ::testing::Test {
 protected:
  void SetUp() override { fs::create_directories(catalog_); }

  void put(const std::string& relative, std::string_view content) {
    fs::create_directories((catalog_ / relative).parent_path());
    test::write_file(catalog_ / relative, content);
  }

  test::TempHome home_;
  fs::path catalog_ = home_ / "catalog";
};

TEST_F(CatalogIndexTest, HoldsTheFolderItemsAndFollowsTheirChanges) {
  put("a.xml", item_xml("Alpha", "An abstract", {"tides", "gauges"}));
  put("sub/b.xml", item_xml("Beta"));
  put("sub/deeper/c.xml", item_xml("Gamma"));
  put("broken.xml", "<metadata><dataIdInfo>");
  put("foreign.xml", "<MD_Metadata/>");
  // None of these is an item.
  put(".hidden.xml", item_xml("Hidden"));
  put(".trash/d.xml", item_xml("Trashed"));
  put("notes.txt", "text");
  put("1/2/3/4/5/6/7/8/deep.xml", item_xml("Too deep"));
  put("1/2/3/4/5/6/7/ok.xml", item_xml("Deep enough"));
  put("back\\slash.xml", item_xml("Backslash"));
  const fs::path outside = home_ / "outside";
  fs::create_directories(outside);
  test::write_file(outside / "o.xml", item_xml("Outside"));
  fs::create_symlink(outside / "o.xml", catalog_ / "link-out.xml");
  fs::create_symlink(outside, catalog_ / "linked-folder");
  fs::create_symlink("a.xml", catalog_ / "link-in.xml");
  fs::create_symlink("missing.xml", catalog_ / "dangling.xml");
  const std::vector<std::string> files = test::names_in(catalog_);

  CatalogIndex index(catalog_);
  let_the_clock_tick();
  CatalogChanges changes = index.refresh();
  EXPECT_EQ(changes.read, 7u);
  EXPECT_EQ(paths(index.list()),
            (std::vector<std::string>{"1/2/3/4/5/6/7/ok.xml", "a.xml", "broken.xml", "foreign.xml",
                                      "link-in.xml", "sub/b.xml", "sub/deeper/c.xml"}));

  const auto a = index.find("a.xml");
  ASSERT_TRUE(a);
  EXPECT_EQ(a->entry.title, "Alpha");
  EXPECT_EQ(a->abstract, "An abstract");
  EXPECT_EQ(a->keywords, (std::vector<std::string>{"tides", "gauges"}));
  EXPECT_EQ(a->entry.size, fs::file_size(catalog_ / "a.xml"));
  EXPECT_EQ(a->entry.error, "");
  for (const char* unreadable : {"broken.xml", "foreign.xml"}) {
    const auto entry = index.find(unreadable);
    ASSERT_TRUE(entry) << unreadable;
    EXPECT_EQ(entry->entry.title, "");
    EXPECT_NE(entry->entry.error.find(unreadable), std::string::npos) << entry->entry.error;
  }
  EXPECT_FALSE(index.find(".hidden.xml"));

  // Stamps unchanged: nothing is read again.
  changes = index.refresh();
  EXPECT_EQ(changes.read, 0u);
  EXPECT_EQ(changes.unchanged, 7u);

  put("a.xml", item_xml("Alpha, second edition"));
  fs::remove(catalog_ / "sub/b.xml");
  put("new.xml", item_xml("Newcomer"));
  let_the_clock_tick();
  changes = index.refresh();
  EXPECT_EQ(changes.read, 3u);  // a.xml, its link, new.xml
  EXPECT_EQ(changes.removed, 1u);
  EXPECT_EQ(changes.unchanged, 4u);
  EXPECT_EQ(index.find("a.xml")->entry.title, "Alpha, second edition");
  EXPECT_EQ(index.find("a.xml")->keywords, std::vector<std::string>{});
  EXPECT_FALSE(index.find("sub/b.xml"));
  EXPECT_EQ(index.list().total, 7u);

  // The index never writes into the catalog.
  std::vector<std::string> now = test::names_in(catalog_);
  std::vector<std::string> expected = files;
  expected.emplace_back("new.xml");
  std::sort(expected.begin(), expected.end());
  EXPECT_EQ(now, expected);
  EXPECT_EQ(index.database().parent_path(), home_ / "catalogs");
  EXPECT_EQ(test::mode_of(home_ / "catalogs"), 0700u);
}

TEST_F(CatalogIndexTest, AFileChangedWithinTheClockTickIsReadAgain) {
  put("a.xml", item_xml("Alpha"));
  // A modification time not yet past: a second change could keep it.
  const auto future = std::chrono::duration_cast<std::chrono::seconds>(
                          std::chrono::system_clock::now().time_since_epoch())
                          .count() +
                      60;
  set_mtime(catalog_ / "a.xml", future);
  CatalogIndex index(catalog_);
  EXPECT_EQ(index.refresh().read, 1u);
  EXPECT_EQ(index.refresh().read, 1u);
  set_mtime(catalog_ / "a.xml", 1'000'000'000);
  let_the_clock_tick();
  EXPECT_EQ(index.refresh().read, 1u);
  EXPECT_EQ(index.refresh().read, 0u);
}

TEST_F(CatalogIndexTest, SortsByEachColumnBothWaysAndPages) {
  // path, title, modification time
  const std::vector<std::tuple<std::string, std::string, std::int64_t>> items = {
      {"b/zulu.xml", "charlie", 3'000'000'000},
      {"a.xml", "Bravo", 1'000'000'000},
      {"c.xml", "", 2'000'000'000},
      {"b/alpha.xml", "alpha", 4'000'000'000},
  };
  for (const auto& [path, title, time] : items) {
    put(path, item_xml(title));
    set_mtime(catalog_ / path, time);
  }
  CatalogIndex index(catalog_);
  index.refresh();
  struct Case {
    CatalogSort sort;
    bool descending;
    std::vector<std::string> order;
  };
  const Case cases[] = {
      {CatalogSort::Path, false, {"a.xml", "b/alpha.xml", "b/zulu.xml", "c.xml"}},
      {CatalogSort::Path, true, {"c.xml", "b/zulu.xml", "b/alpha.xml", "a.xml"}},
      {CatalogSort::FileName, false, {"a.xml", "b/alpha.xml", "c.xml", "b/zulu.xml"}},
      {CatalogSort::FileName, true, {"b/zulu.xml", "c.xml", "b/alpha.xml", "a.xml"}},
      // Without regard to case; the untitled item after the others.
      {CatalogSort::Title, false, {"b/alpha.xml", "a.xml", "b/zulu.xml", "c.xml"}},
      {CatalogSort::Title, true, {"c.xml", "b/zulu.xml", "a.xml", "b/alpha.xml"}},
      {CatalogSort::Saved, false, {"a.xml", "c.xml", "b/zulu.xml", "b/alpha.xml"}},
      {CatalogSort::Saved, true, {"b/alpha.xml", "b/zulu.xml", "c.xml", "a.xml"}},
      {CatalogSort::Relevance, false, {"a.xml", "b/alpha.xml", "b/zulu.xml", "c.xml"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << static_cast<int>(c.sort) << (c.descending ? " desc" : ""));
    EXPECT_EQ(paths(index.list({c.sort, c.descending})), c.order);
    const CatalogPage middle = index.list({c.sort, c.descending, 1, 2});
    EXPECT_EQ(paths(middle), (std::vector<std::string>{c.order[1], c.order[2]}));
    EXPECT_EQ(middle.total, 4u);
  }
  const CatalogPage past_the_end = index.list({CatalogSort::Path, false, 10, 5});
  EXPECT_TRUE(past_the_end.entries.empty());
  EXPECT_EQ(past_the_end.total, 4u);
  EXPECT_EQ(index.list().entries.front().saved_ns, 1'000'000'000'000'000'000);
  EXPECT_EQ(index.list().entries[1].file_name(), "alpha.xml");
}

TEST_F(CatalogIndexTest, SearchesTitlesAbstractsAndKeywordsWordByWord) {
  put("shore.xml", item_xml("Shoreline survey", "Cliff retreat at Kestrel Bay", {"erosion"}));
  put("tide.xml", item_xml("Tide gauge records", "Hourly sea levels", {"tides", "São Vicente"}));
  put("bathy.xml", item_xml("Bathymetry", "Depths of the shoreline shelf", {"sonar"}));
  put("quote.xml", item_xml("The \"quoted\" title", "NEAR OR AND title: x*"));
  CatalogIndex index(catalog_);
  index.refresh();
  struct Case {
    std::string text;
    std::vector<std::string> found;  // by relevance, then path
  };
  const std::vector<Case> cases = {
      {"SHORELINE", {"shore.xml", "bathy.xml"}},  // the title's match first
      {"shore cliff", {"shore.xml"}},
      {"  kestrel\tbay  ", {"shore.xml"}},
      {"erosion", {"shore.xml"}},
      {"sao vicente", {"tide.xml"}},
      {"são", {"tide.xml"}},
      {"shore sonar", {"bathy.xml"}},
      {"nothing-like-it", {}},
      {"hore", {}},  // words are matched from their start
      // Query syntax is taken as words.
      {"\"quoted\"", {"quote.xml"}},
      {"title:", {"quote.xml"}},
      {"shore OR tide", {}},
      {"NEAR(shore tide)", {}},
      {"x*", {"quote.xml"}},
      {"-sonar ^bathy", {"bathy.xml"}},
      {"\"", {"bathy.xml", "quote.xml", "shore.xml", "tide.xml"}},
      {"", {"bathy.xml", "quote.xml", "shore.xml", "tide.xml"}},
      {"— ¿ \xff", {"bathy.xml", "quote.xml", "shore.xml", "tide.xml"}},
      {"shore\xc3", {"shore.xml", "bathy.xml"}},  // a broken character is passed by
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    const CatalogPage page = index.search(c.text);
    EXPECT_EQ(paths(page), c.found);
    EXPECT_EQ(page.total, c.found.size());
  }
  EXPECT_EQ(paths(index.search("shoreline", {CatalogSort::Path, true})),
            (std::vector<std::string>{"shore.xml", "bathy.xml"}));
  EXPECT_EQ(paths(index.search("shoreline", {CatalogSort::Title, false, 1, 1})),
            std::vector<std::string>{"shore.xml"});
}

TEST_F(CatalogIndexTest, RebuildsAMissingDamagedOrForeignIndex) {
  put("a.xml", item_xml("Alpha"));
  put("b.xml", item_xml("Beta"));
  const fs::path other_catalog = home_ / "other";
  fs::create_directories(other_catalog);
  test::write_file(other_catalog / "z.xml", item_xml("Zeta"));
  fs::path database;
  {
    CatalogIndex index(catalog_);
    index.refresh();
    database = index.database();
  }
  ASSERT_TRUE(fs::exists(database));
  const std::function<void()> damages[] = {
      [&] { fs::remove(database); },
      [&] { test::write_file(database, "this is not a database"); },
      [&] { fs::resize_file(database, fs::file_size(database) / 2); },
      [&] {
        std::string content = test::read_file(database);
        for (std::size_t i = 4096; i < content.size(); i += 7) content[i] = '\x5a';
        test::write_file(database, content);
      },
      [&] {
        sqlite3* db = nullptr;
        sqlite3_open(database.c_str(), &db);
        sqlite3_exec(db, "PRAGMA user_version=77; CREATE TABLE mine(x)", nullptr, nullptr, nullptr);
        sqlite3_close(db);
      },
      [&] {  // another folder's index under this name
        CatalogIndex other(other_catalog, at(database));
        other.refresh();
      },
  };
  int round = 0;
  for (const auto& damage : damages) {
    SCOPED_TRACE(round++);
    fs::remove(database.string() + "-wal");
    fs::remove(database.string() + "-shm");
    damage();
    CatalogIndex index(catalog_);
    index.refresh();
    EXPECT_EQ(paths(index.list()), (std::vector<std::string>{"a.xml", "b.xml"}));
    EXPECT_EQ(paths(index.search("beta")), std::vector<std::string>{"b.xml"});
    EXPECT_EQ(index.database(), database);
    EXPECT_EQ(integrity(database), "ok");
  }

  // Damage under an index that is open: it notices at its next use.
  CatalogIndex index(catalog_);
  index.refresh();
  test::write_file(database, "this is not a database");
  fs::remove(database.string() + "-wal");
  EXPECT_EQ(paths(index.search("alpha")), std::vector<std::string>{"a.xml"});
  EXPECT_EQ(index.list().total, 2u);
  // Removed under it: the next refresh makes it again.
  for (const char* suffix : {"", "-wal", "-shm"}) fs::remove(database.string() + suffix);
  index.refresh();
  EXPECT_TRUE(fs::exists(database));
  EXPECT_EQ(CatalogIndex(catalog_).list().total, 2u);
}

TEST_F(CatalogIndexTest, LivesInMemoryWhenNoDatabaseFileCanBeUsed) {
  put("a.xml", item_xml("Alpha"));
  test::write_file(home_ / "catalogs", "a file where the folder of indexes would be");
  CatalogIndex index(catalog_);
  EXPECT_EQ(index.database(), fs::path());
  EXPECT_EQ(index.refresh().read, 1u);
  EXPECT_EQ(paths(index.search("alp")), std::vector<std::string>{"a.xml"});

  CatalogIndex elsewhere(catalog_, at(home_ / "no-such-folder" / "index.sqlite"));
  elsewhere.refresh();
  EXPECT_EQ(elsewhere.database(), fs::path());
  EXPECT_EQ(elsewhere.list().total, 1u);

  EXPECT_THROW(CatalogIndex(home_ / "no-such-catalog"), com::Error);
  EXPECT_THROW(CatalogIndex(home_ / "catalogs"), com::Error);
}

TEST_F(CatalogIndexTest, ChangesTheHostMadeAreSeenWithoutARefresh) {
  put("a.xml", item_xml("Alpha"));
  CatalogIndex index(catalog_);
  index.refresh();

  put("b.xml", item_xml("Beta"));
  index.note_changed("b.xml");
  EXPECT_EQ(index.find("b.xml")->entry.title, "Beta");

  fs::rename(catalog_ / "a.xml", catalog_ / "renamed.xml");
  index.note_changed("a.xml");
  index.note_changed("renamed.xml");
  EXPECT_EQ(paths(index.list()), (std::vector<std::string>{"b.xml", "renamed.xml"}));
  EXPECT_EQ(paths(index.search("alpha")), std::vector<std::string>{"renamed.xml"});

  // Paths that name no item are passed by.
  put(".trash/b.xml", item_xml("Trashed"));
  put("sub/.hidden.xml", item_xml("Hidden"));
  fs::create_symlink(home_.path(), catalog_ / "home");
  fs::create_directories(home_ / "h");
  test::write_file(home_ / "h" / "x.xml", item_xml("Through a link"));
  for (const char* path : {".trash/b.xml", "sub/.hidden.xml", "../catalog/b.xml", "/etc/x.xml",
                           "sub/../b.xml", "home/h/x.xml", ""}) {
    index.note_changed(path);
  }
  EXPECT_EQ(paths(index.list()), (std::vector<std::string>{"b.xml", "renamed.xml"}));

  fs::remove(catalog_ / "b.xml");
  index.note_changed("b.xml");
  EXPECT_EQ(paths(index.list()), std::vector<std::string>{"renamed.xml"});
}

TEST_F(CatalogIndexTest, DescribesItemsForTheHostAndRereadsThemForANewDescription) {
  put("a.xml", item_xml("Alpha"));
  put("b.xml", "<broken");
  int described = 0;
  const auto options = [&](std::string version) {
    CatalogIndex::Options options;
    options.describe_version = std::move(version);
    options.describe = [&](const std::string& path, XmlMetadataDocument&) {
      ++described;
      return "{\"described\":\"" + path + "\"}";
    };
    return options;
  };
  let_the_clock_tick();
  {
    CatalogIndex index(catalog_, options("1"));
    index.refresh();
    EXPECT_EQ(index.find("a.xml")->entry.extra, "{\"described\":\"a.xml\"}");
    EXPECT_EQ(index.find("b.xml")->entry.extra, "");  // unreadable: not described
  }
  EXPECT_EQ(described, 1);
  CatalogIndex same(catalog_, options("1"));
  EXPECT_EQ(same.refresh().read, 0u);
  CatalogIndex next(catalog_, options("2"));
  EXPECT_EQ(next.refresh().read, 2u);
  EXPECT_EQ(described, 2);
}

TEST_F(CatalogIndexTest, TwoProcessesShareOneIndexWithoutDamagingIt) {
  for (int i = 0; i < 40; ++i) put("shared-" + std::to_string(i) + ".xml", item_xml("Shared"));
  std::vector<pid_t> children;
  for (int child = 0; child < 2; ++child) {
    const pid_t pid = ::fork();
    ASSERT_GE(pid, 0);
    if (pid == 0) {
      int status = 0;
      try {
        CatalogIndex index(catalog_);
        for (int round = 0; round < 25 && status == 0; ++round) {
          const std::string mine = "child" + std::to_string(child) + "-" + std::to_string(round);
          put(mine + ".xml", item_xml(mine));
          if (round % 2) {
            index.note_changed(mine + ".xml");
          } else {
            index.refresh();
          }
          if (index.search(mine).total != 1 || index.list().total < 41) status = 1;
          if (index.database().empty()) status = 3;  // gave up sharing the file
        }
      } catch (...) {
        status = 2;
      }
      ::_exit(status);
    }
    children.push_back(pid);
  }
  for (const pid_t pid : children) {
    int status = 0;
    ASSERT_EQ(::waitpid(pid, &status, 0), pid);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status;
  }
  CatalogIndex index(catalog_);
  ASSERT_NE(index.database(), fs::path());
  index.refresh();
  EXPECT_EQ(index.list().total, 90u);
  EXPECT_EQ(index.search("shared").total, 40u);
  EXPECT_EQ(integrity(index.database()), "ok");
}

}  // namespace
}  // namespace tw::host
