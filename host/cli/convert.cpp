// import and export: the importer and exporter components driven as the host
// drives them, on one file or on every .xml file of a folder.

#include <algorithm>
#include <optional>
#include <set>

#include "batch.h"
#include "tidewise/host/item.h"
#include "tidewise/host/records.h"
#include "tidewise/host/scratch.h"
#include "tool.h"

namespace tw::cli {

namespace fs = std::filesystem;

namespace {

enum class Direction { Import, Export };

std::string_view command_name(Direction direction) {
  return direction == Direction::Import ? "import" : "export";
}

std::string quoted(const fs::path& path) {
  return "\"" + platform::shown(path.string()) + "\"";
}

// The file the components open for a name the tool hands them: the
// platform's file access reads "\\" as a folder separator, which the host,
// opening items as they are written, does not. Whether two names reach the
// same file, or a name stays in its folder, is asked of these.
fs::path as_components_open(const fs::path& name) {
  return platform::file_path(name.string());
}

// The two names of one conversion as they are opened: the item by the host,
// the other file (the source read or the destination written) by a
// component.
struct Opened {
  fs::path item;
  fs::path other;
};
Opened opened(Direction direction, const fs::path& from, const fs::path& to) {
  return direction == Direction::Import ? Opened{to, as_components_open(from)}
                                        : Opened{from, as_components_open(to)};
}

void import_file(const fs::path& source, const fs::path& item_file, TraceFile& trace) {
  // Importing a file into itself would replace the file being read.
  if (const Opened files = opened(Direction::Import, source, item_file);
      same_file(files.other, files.item)) {
    throw UsageError("the item " + quoted(item_file) + " is the file to import");
  }
  // Held from before the item is read until it is saved, as an edit does.
  const auto item = host::CatalogItem::open(item_file, host::CatalogItem::Access::Edit);
  // Nothing changed (the stylesheet folder was not set): nothing is written,
  // and an item that did not exist is not created.
  if (host::import_record(*item.get(), source, &trace)) item->save();
}

// ---- Files of several records

// The import of one ITEM from SOURCE: the file itself, or with --record the
// record it names. A file of several records needs --record or --split.
void import_source(const ConvertOptions& options, TraceFile& trace) {
  std::optional<host::RecordFile> read;
  try {
    // The file the importer would read.
    read.emplace(as_components_open(options.from));
  } catch (const com::Error&) {
    // A file the host cannot read is the importer's to report, as ever.
    if (!options.record) {
      import_file(options.from, options.to, trace);
      return;
    }
    throw;
  }
  const host::RecordFile& records = *read;
  const std::size_t count = records.count();
  if (!options.record) {
    host::refuse_several_records(records, quoted(options.from),
                                 "import one with --record N (1 to " + std::to_string(count) +
                                     "), or each into an item of its own with --split FOLDER");
    import_file(options.from, options.to, trace);
    return;
  }
  if (*options.record > count) {
    throw UsageError("--record " + std::to_string(*options.record) + ": " + quoted(options.from) +
                     " holds " + std::to_string(count) + " record" + (count == 1 ? "" : "s"));
  }
  if (!records.wrapped()) {
    import_file(options.from, options.to, trace);
    return;
  }
  // The record alone, in a file of its own for the importer to read.
  host::ScratchFolder scratch("tidewise-record");
  const host::ScratchFile record = scratch.file("record.xml", records.record(*options.record));
  if (const Opened files = opened(Direction::Import, options.from, options.to);
      same_file(files.other, files.item)) {
    throw UsageError("the item " + quoted(options.to) + " is the file to import");
  }
  import_file(record.path(), options.to, trace);
}

// --split: every record into an item of FOLDER named from its file
// identifier; the items made are printed, one a line. A record that fails is
// reported while the others are imported.
int import_split(const ConvertOptions& options) {
  const host::RecordFile records(as_components_open(options.from));
  if (records.count() == 0) {
    throw com::Error(com::E_INVALIDARG,
                     quoted(options.from) + " holds no ISO 19139 or ISO 19115-3 record");
  }
  std::error_code ec;
  fs::create_directories(*options.split, ec);
  if (ec) {
    throw com::Error(com::E_FAIL, "cannot create " + quoted(*options.split) + ": " + ec.message());
  }
  std::set<std::string> taken;
  std::size_t failed = 0;
  TraceFile no_trace(std::nullopt);
  host::ScratchFolder scratch("tidewise-record");
  for (std::size_t n = 1; n <= records.count(); ++n) {
    const fs::path item =
        *options.split / host::item_file_name(records.file_identifier(n), n, taken);
    try {
      const host::ScratchFile record = scratch.file("record.xml", records.record(n));
      import_file(record.path(), item, no_trace);
      std::cout << item.string() << '\n';
    } catch (const std::exception& e) {
      ++failed;
      std::cerr << "tidewise: record " << n << " (" << platform::shown(item.filename().string())
                << "): " << platform::shown(e.what()) << '\n';
    }
  }
  std::cout << std::flush;
  return failed == 0 ? 0 : 1;
}

void export_file(const fs::path& item_file, const fs::path& destination, host::RecordFormat format,
                 TraceFile& trace) {
  // An item that does not exist would export as an empty document.
  std::error_code ec;
  if (!fs::is_regular_file(item_file, ec)) {
    throw com::Error(com::E_FAIL, "the item " + quoted(item_file) + " does not exist");
  }
  if (const Opened files = opened(Direction::Export, item_file, destination);
      same_file(files.item, files.other)) {
    throw UsageError("the destination " + quoted(destination) + " is the item itself");
  }
  const auto item = host::CatalogItem::open(item_file);
  host::export_record(*item.get(), destination, format, &trace);
}

// ---- Folders

// The .xml files of a folder, by name.
std::vector<std::string> xml_files(const fs::path& folder) {
  std::error_code ec;
  if (!fs::is_directory(folder, ec)) {
    throw com::Error(com::E_FAIL, "the folder " + quoted(folder) + " does not exist");
  }
  std::vector<std::string> names;
  for (fs::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec)) {
    if (it->path().extension() == ".xml" && it->is_regular_file(ec)) {
      names.push_back(it->path().filename().string());
    }
  }
  if (ec) throw com::Error(com::E_FAIL, "cannot list " + quoted(folder) + ": " + ec.message());
  std::sort(names.begin(), names.end());
  return names;
}

// Why a file of a batch is not handed to a component at all: the components
// read "\\" as a folder separator, so that a name holding one would lead the
// child to a file outside the batch's two folders.
std::optional<std::string> refused_name(const std::string& name) {
  if (name.find('\\') == std::string::npos) return std::nullopt;
  return "the name holds \"\\\", which the components read as a folder separator: the file "
         "would be read or written outside the folders given";
}

// A name as a child's argument: one that begins with "-" would be read as an
// option.
std::string as_argument(const std::string& name) {
  return name.starts_with('-') ? "./" + name : name;
}

int run_batch(Direction direction, const ConvertOptions& options) {
  if (options.trace_file) throw UsageError("--trace: a batch cannot be traced");
  // The folders as the files in them are opened: the items' by the host, the
  // other one by the components.
  const Opened folders = opened(direction, options.from, options.to);
  const fs::path& from = direction == Direction::Import ? folders.other : folders.item;
  const fs::path& to = direction == Direction::Import ? folders.item : folders.other;
  if (same_file(from, to)) {
    throw UsageError("the folders " + quoted(options.from) + " and " + quoted(options.to) +
                     " are the same");
  }
  const std::vector<std::string> names = xml_files(from);
  std::error_code ec;
  fs::create_directories(to, ec);
  if (ec) throw com::Error(com::E_FAIL, "cannot create " + quoted(to) + ": " + ec.message());
  {
    // Registered once here, so that the children find everything in place.
    Session session;
  }

  const std::string program = executable_path().string();
  const std::string stylesheets = platform::Setting(platform::kStylesheetFolder);
  std::vector<BatchFile> files;
  for (const std::string& name : names) {
    BatchFile& file = files.emplace_back(BatchFile{name, {}, refused_name(name)});
    if (file.refused) continue;
    file.args = {program, std::string(command_name(direction)), (from / name).string(),
                 (to / name).string()};
    if (direction == Direction::Export)
      file.args.insert(file.args.end(), {"--format", options.format});
    // Handed on as given, so that a child reads what the batch was given,
    // whatever the environment says.
    if (options.stylesheets || !stylesheets.empty()) {
      file.args.insert(file.args.end(), {"--stylesheets", as_argument(stylesheets)});
    }
  }
  return run_children(files, direction == Direction::Import ? "imported" : "exported") == 0 ? 0 : 1;
}

int run(Direction direction, const ConvertOptions& options) {
  const platform::HostSetting stylesheets(platform::kStylesheetFolder, options.stylesheets);
  if (options.batch) return run_batch(direction, options);
  if (options.split) {
    Session session;
    return import_split(options);
  }
  const Opened files = opened(direction, options.from, options.to);
  refuse_trace_over(
      options.trace_file,
      {{"the item", files.item},
       {direction == Direction::Import ? "the file to import" : "the destination", files.other}});
  TraceFile trace(options.trace_file);
  {
    Session session;
    if (direction == Direction::Import) {
      import_source(options, trace);
    } else {
      export_file(options.from, options.to, *host::record_format(options.format), trace);
    }
  }
  trace.finish();
  return 0;
}

}  // namespace

int run_import(const ConvertOptions& options) {
  return run(Direction::Import, options);
}

int run_export(const ConvertOptions& options) {
  return run(Direction::Export, options);
}

}  // namespace tw::cli
