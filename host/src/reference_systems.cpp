#include "tidewise/host/reference_systems.h"

#include <sqlite3.h>

#include <algorithm>
#include <cstdlib>
#include <memory>

#include "tidewise/com/error.h"
#include "tidewise/host/trace.h"

namespace tw::host {

namespace fs = std::filesystem;

fs::path epsg_database() {
  if (const char* named = std::getenv("TIDEWISE_PROJ_DB"); named != nullptr && *named != '\0') {
    return named;
  }
  return "/usr/share/proj/proj.db";
}

namespace {

struct CloseDatabase {
  void operator()(sqlite3* db) const { sqlite3_close(db); }
};
struct FinalizeStatement {
  void operator()(sqlite3_stmt* statement) const { sqlite3_finalize(statement); }
};

[[noreturn]] void fail(sqlite3* db, const std::string& what) {
  com::raise(com::E_FAIL, what + ": " + (db ? sqlite3_errmsg(db) : "out of memory"));
}

// A name that holds the text, in SQL's LIKE with "\" as the escape.
std::string like_pattern(const std::string& text) {
  std::string pattern = "%";
  for (const char c : text) {
    if (c == '%' || c == '_' || c == '\\') pattern += '\\';
    pattern += c;
  }
  return pattern + "%";
}

}  // namespace

std::vector<ReferenceSystem> find_reference_systems(const fs::path& database,
                                                    const std::string& text, int limit) {
  std::vector<ReferenceSystem> found;
  std::string wanted = text;
  wanted.erase(0, wanted.find_first_not_of(" \t"));
  wanted.erase(wanted.find_last_not_of(" \t") + 1);
  // "EPSG:4326" is the code 4326.
  if (wanted.size() > 5 && (wanted.starts_with("EPSG:") || wanted.starts_with("epsg:"))) {
    wanted.erase(0, 5);
  }
  if (wanted.empty() || limit <= 0) return found;

  sqlite3* raw = nullptr;
  // Read only, and never created: a missing file is an error, not a new database.
  const int opened =
      sqlite3_open_v2(database.c_str(), &raw, SQLITE_OPEN_READONLY | SQLITE_OPEN_NOMUTEX, nullptr);
  const std::unique_ptr<sqlite3, CloseDatabase> db(raw);
  if (opened != SQLITE_OK) fail(raw, "cannot open the EPSG registry " + database.string());

  static constexpr const char* kQuery =
      "SELECT code, name FROM crs_view WHERE auth_name = 'EPSG' AND "
      "(code = ?1 OR name LIKE ?2 ESCAPE '\\') "
      "ORDER BY code = ?1 DESC, lower(name) = lower(?3) DESC, deprecated, length(name), name "
      "LIMIT ?4";
  sqlite3_stmt* raw_statement = nullptr;
  if (sqlite3_prepare_v2(db.get(), kQuery, -1, &raw_statement, nullptr) != SQLITE_OK) {
    fail(db.get(), "the EPSG registry " + database.string() + " has no table of systems");
  }
  const std::unique_ptr<sqlite3_stmt, FinalizeStatement> statement(raw_statement);
  const std::string pattern = like_pattern(wanted);
  sqlite3_bind_text(statement.get(), 1, wanted.c_str(), -1, SQLITE_TRANSIENT);
  sqlite3_bind_text(statement.get(), 2, pattern.c_str(), -1, SQLITE_TRANSIENT);
  sqlite3_bind_text(statement.get(), 3, wanted.c_str(), -1, SQLITE_TRANSIENT);
  sqlite3_bind_int(statement.get(), 4, std::min(limit, 1000));
  for (;;) {
    const int step = sqlite3_step(statement.get());
    if (step == SQLITE_DONE) break;
    if (step != SQLITE_ROW) fail(db.get(), "cannot read the EPSG registry");
    const auto column = [&](int i) {
      const unsigned char* value = sqlite3_column_text(statement.get(), i);
      return value ? std::string(reinterpret_cast<const char*>(value)) : std::string();
    };
    found.push_back({column(0), column(1)});
  }
  return found;
}

HRESULT ReferenceSystems::Find(const std::string& text, std::int32_t limit,
                               Variant* found) noexcept {
  return com::boundary("IReferenceSystems.Find", [&] {
    trace("IReferenceSystems.Find", [&] { return nlohmann::json::array({text, limit}); });
    Variant& out = com::out_param(found);
    std::vector<Variant> systems;
    for (const ReferenceSystem& system : find_reference_systems(epsg_database(), text, limit)) {
      systems.push_back(Variant::str(system.code + "\t" + system.name));
    }
    if (!systems.empty()) out = Variant::array(0, std::move(systems));
  });
}

}  // namespace tw::host
