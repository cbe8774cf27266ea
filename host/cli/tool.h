#pragma once
// The pieces of the tidewise tool: registration of the components, the
// commands, and the view of a page.

#include <chrono>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <nlohmann/json.hpp>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "tidewise/com/factory.h"
#include "tidewise/com/hresult.h"
#include "tidewise/forms/forms.h"
#include "tidewise/host/classes.h"
#include "tidewise/host/interfaces.h"
#include "tidewise/host/session.h"
#include "tidewise/host/trace.h"
#include "tidewise/platform.h"

namespace tw::cli {

using Json = nlohmann::ordered_json;

// The command line asked for something that does not exist: exit status 2.
class UsageError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// ---- Registration

std::filesystem::path executable_path();
// Whether two names reach the same file, also a file that does not exist yet
// and one reached through links or hard links.
bool same_file(const std::filesystem::path& a, const std::filesystem::path& b);
// A folder of the tool's files (the editor's page, the schemas): in
// share/tidewise beside bin/, in the build tree and once installed.
std::filesystem::path shared_folder(std::string_view name);
// The importer's and exporter's stylesheet folder for the editor and the
// check: `given` (--stylesheets), else TIDEWISE_STYLESHEETS, else the bundled
// stylesheets; nothing when there is none. The command gives it to the
// components as the platform's setting.
std::optional<std::string> stylesheet_folder(const std::optional<std::filesystem::path>& given);
// A library of ours, beside the tool in the build or in ../lib/tidewise once
// installed.
std::optional<std::filesystem::path> find_library(std::string_view file);
// Registers every component library found beside the tool, and the host's
// classes; fails naming the libraries that were not found.
void register_all(bool verbose);
void unregister_all(bool verbose);
// The component libraries found beside the tool.
std::vector<std::filesystem::path> component_libraries();
// Registers whatever is missing from the registry or registered at a path
// other than the libraries beside this tool.
void ensure_registered();

// ---- What every command that runs a component shares

// Message boxes are shown on standard error, as the tool has no windows,
// and recorded in the trace like a call on the host.
class MessageBoxes {
 public:
  MessageBoxes()
      : previous_(platform::set_msgbox_handler([](std::string_view prompt, int buttons,
                                                  std::string_view title) {
          host::trace("MsgBox", [&] { return nlohmann::json::array({prompt, buttons, title}); });
          std::cerr << platform::shown(title) << ": " << platform::shown(prompt) << '\n';
          return platform::kAnswerOk;
        })) {}
  ~MessageBoxes() { platform::set_msgbox_handler(std::move(previous_)); }
  MessageBoxes(const MessageBoxes&) = delete;
  MessageBoxes& operator=(const MessageBoxes&) = delete;

 private:
  platform::MsgBoxHandler previous_;
};

// The trace file. It is opened (and truncated) when recording first starts,
// after the item was read; a trace that could not be written is reported by
// finish(), once the command's work is done.
class TraceFile final : public host::Recording {
 public:
  explicit TraceFile(std::optional<std::filesystem::path> file) : file_(std::move(file)) {}
  ~TraceFile();
  TraceFile(const TraceFile&) = delete;
  TraceFile& operator=(const TraceFile&) = delete;

  void start() override;
  void stop() override;
  // Throws com::Error if any of the trace was lost.
  void finish();

 private:
  void open();
  void flush();

  std::optional<std::filesystem::path> file_;
  int fd_ = -1;
  int error_ = 0;  // the first failure; what follows it is not written
  std::string buffer_;
  bool started_ = false;
};

// A trace written over the files a command works with would destroy them:
// refuses (UsageError) a trace that is one of `theirs` (what each one is, and
// its path), the registry, the settings file, the tool or a component library.
void refuse_trace_over(const std::optional<std::filesystem::path>& trace,
                       std::vector<std::pair<std::string, std::filesystem::path>> theirs);

// What every command that runs a component needs first.
class Session {
 public:
  Session() { ensure_registered(); }

 private:
  host::ComponentHost components_;
  MessageBoxes boxes_;
};

// Creates a component's class through the registry, as the host does.
using host::create;

// ---- Commands

using host::Edit;

struct Options {
  bool json = false;
  std::optional<std::filesystem::path> trace_file;
  std::filesystem::path item;
  std::string unique_name;
  std::optional<std::string> page_class;
  std::vector<Edit> edits;                           // in the order given on the command line
  std::optional<std::filesystem::path> stylesheets;  // check: the export's stylesheet folder
  std::string format = "iso19139";                   // check: the standard the export writes
};

struct ServeOptions {
  std::filesystem::path catalog;  // a folder of items or one item file
  int port = 0;
  std::optional<std::filesystem::path> stylesheets;
  std::chrono::milliseconds dialog_timeout = std::chrono::minutes(2);
};

void run_tree(const Options& options);
void run_show(const Options& options);
void run_edit(const Options& options);
void run_serve(const ServeOptions& options);
// Returns the exit status: 1 when the item has problems.
int run_check(const Options& options);

// import and export: one file, or with --batch every .xml file of a folder.
// An import of a file that holds several records (a catalogue's response)
// takes one with --record N, or each into an item of its own with --split.
struct ConvertOptions {
  bool batch = false;
  std::optional<std::size_t> record;           // --record N, from 1
  std::optional<std::filesystem::path> split;  // --split FOLDER (then there is no ITEM)
  std::optional<std::filesystem::path> trace_file;
  std::optional<std::string> stylesheets;  // the folder, instead of TIDEWISE_STYLESHEETS
  std::filesystem::path from;              // SOURCE, ITEM, SOURCE_DIR or ITEM_DIR
  std::filesystem::path to;                // ITEM, DESTINATION, ITEM_DIR or DEST_DIR
  std::string format = "iso19139";         // export: the standard written (--format)
};
// Return the exit status: 1 when a file of a batch failed.
int run_import(const ConvertOptions& options);
int run_export(const ConvertOptions& options);

struct CommandLine {
  enum class Command { Help, Register, Unregister, Tree, Show, Edit, Import, Export, Serve, Check };
  Command command = Command::Help;
  Options options;
  ConvertOptions convert;  // for Import and Export
  ServeOptions serve;      // for Serve
  std::string help;        // for Help
};
// The arguments after the program's name. Throws UsageError; reads and
// writes nothing.
CommandLine parse_command_line(const std::vector<std::string>& args);

}  // namespace tw::cli
