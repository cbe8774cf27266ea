// The catalog's index as a whole process, for bench/catalog.sh to set beside
// `ls` and `grep -l` over the same folder:
//   catalog_query list FOLDER [--sort path|name|title|saved] [--desc] [--limit N] [--fresh]
//   catalog_query search FOLDER WORD... [--limit N] [--fresh]
// Each brings the index in step with the folder first, then prints one line
// an item: path, modification time in ns, title. --fresh removes the
// folder's index before anything else, so that the run builds it anew.
//   catalog_query time FOLDER WORD ROUNDS
// times, in one process with the index open, medians of ROUNDS: a refresh
// with nothing changed, a page of 100 by title, the whole listing by path, a
// search, and the note of one changed item.

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "tidewise/host/catalog_index.h"

namespace {

namespace fs = std::filesystem;
using tw::host::CatalogIndex;
using tw::host::CatalogPage;
using tw::host::CatalogQuery;
using tw::host::CatalogSort;

int usage() {
  std::fprintf(stderr,
               "usage: catalog_query list FOLDER [--sort path|name|title|saved] [--desc] "
               "[--limit N] [--fresh]\n"
               "       catalog_query search FOLDER WORD... [--limit N] [--fresh]\n"
               "       catalog_query time FOLDER WORD ROUNDS\n");
  return 2;
}

void print(const CatalogPage& page) {
  std::string out;
  for (const auto& entry : page.entries) {
    out += entry.path;
    out += '\t';
    out += std::to_string(entry.saved_ns);
    out += '\t';
    out += entry.title;
    out += '\n';
  }
  std::fwrite(out.data(), 1, out.size(), stdout);
}

double cpu_ms() {
  timespec t{};
  ::clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
  return static_cast<double>(t.tv_sec) * 1e3 + static_cast<double>(t.tv_nsec) / 1e6;
}

// Prints the medians of CPU and wall time of `rounds` runs of `body`.
template <class Body>
void time(const char* name, int rounds, Body&& body) {
  std::vector<double> cpu, wall;
  for (int i = 0; i < rounds; ++i) {
    const double cpu_start = cpu_ms();
    const auto start = std::chrono::steady_clock::now();
    body();
    wall.push_back(
        std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start)
            .count());
    cpu.push_back(cpu_ms() - cpu_start);
  }
  std::sort(cpu.begin(), cpu.end());
  std::sort(wall.begin(), wall.end());
  std::printf("%-16s %9.3f %9.3f\n", name, cpu[cpu.size() / 2], wall[wall.size() / 2]);
}

int time_operations(const fs::path& folder, const std::string& word, int rounds) {
  CatalogIndex index(folder);
  index.refresh();
  const CatalogPage all = index.list();
  if (all.entries.empty()) return 1;
  const std::string some_item = all.entries[all.entries.size() / 2].path;
  std::size_t seen = 0;
  time("refresh", rounds, [&] { seen += index.refresh().unchanged; });
  time("list_page_title", rounds, [&] {
    seen += index.list({CatalogSort::Title, false, 0, 100}).entries.size();
  });
  time("list_all_path", rounds, [&] { seen += index.list().entries.size(); });
  time("search", rounds, [&] { seen += index.search(word).total; });
  time("search_page", rounds, [&] {
    seen += index.search(word, {CatalogSort::Relevance, false, 0, 100}).entries.size();
  });
  time("note_changed", rounds, [&] { index.note_changed(some_item); });
  return seen > 0 ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 3) return usage();
  const std::string_view command = argv[1];
  const fs::path folder = argv[2];
  if (command == "time") {
    if (argc != 5) return usage();
    return time_operations(folder, argv[3], std::atoi(argv[4]));
  }
  CatalogQuery query;
  std::string words;
  bool fresh = false;
  for (int i = 3; i < argc; ++i) {
    const std::string_view arg = argv[i];
    if (arg == "--fresh") {
      fresh = true;
    } else if (arg == "--desc") {
      query.descending = true;
    } else if (arg == "--limit" && i + 1 < argc) {
      query.limit = std::strtoul(argv[++i], nullptr, 10);
    } else if (arg == "--sort" && i + 1 < argc) {
      const std::string_view sort = argv[++i];
      query.sort = sort == "name"    ? CatalogSort::FileName
                   : sort == "title" ? CatalogSort::Title
                   : sort == "saved" ? CatalogSort::Saved
                                     : CatalogSort::Path;
    } else if (command == "search") {
      words += std::string(arg) + " ";
    } else {
      return usage();
    }
  }
  if (command != "list" && command != "search") return usage();
  if (fresh) {
    const fs::path database = CatalogIndex::default_database(folder);
    for (const char* suffix : {"", "-wal", "-shm"}) fs::remove(database.string() + suffix);
  }
  CatalogIndex index(folder);
  index.refresh();
  if (command == "search") {
    query.sort = CatalogSort::Relevance;
    print(index.search(words, query));
  } else {
    print(index.list(query));
  }
  return 0;
}
