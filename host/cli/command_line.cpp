// The tool's command line: what each command takes, and what a mistake in it
// is told as (exit status 2, before anything is read or written).

#include <CLI/CLI.hpp>
#include <algorithm>
#include <map>

#include "tidewise/host/records.h"
#include "tidewise/platform.h"
#include "tool.h"

namespace tw::cli {

using platform::shown;

namespace {

std::pair<std::string, std::string> split_assignment(const std::string& text,
                                                     std::string_view option) {
  const auto equals = text.find('=');
  if (equals == std::string::npos || equals == 0) {
    throw UsageError(std::string(option) + ": expected CONTROL=TEXT, got \"" + shown(text) + "\"");
  }
  return {text.substr(0, equals), text.substr(equals + 1)};
}

// The edit options in one list, in the order they stand on the command line:
// the user's edits interact (a pick after a type overwrites it), and each
// option keeps only its own order.
struct EditOptions {
  static constexpr int kCount = 7;
  std::vector<std::string> values[kCount];
  CLI::Option* options[kCount] = {};

  void add_to(CLI::App& command) {
    const struct {
      const char* name;
      const char* type;
      const char* help;
    } kOptions[] = {
        {"--type", "CONTROL=TEXT", "type TEXT into a text or combo box (raises Change)"},
        {"--pick", "CONTROL=ITEM", "pick ITEM from a combo box's list (raises Click only)"},
        {"--check", "CONTROL[=ITEM]",
         "check a check box (clicks it if unchecked), or an item of a list with check marks"},
        {"--uncheck", "CONTROL[=ITEM]",
         "clear a check box (clicks it if checked), or an item of a list with check marks"},
        {"--choose", "OPTION", "click an option button"},
        {"--select", "LIST=N", "select the item at position N (from 0) of a list box"},
        {"--click", "BUTTON", "click a command button"},
    };
    for (int i = 0; i < kCount; ++i) {
      options[i] = command.add_option(kOptions[i].name, values[i], kOptions[i].help)
                       ->type_name(kOptions[i].type)
                       ->allow_extra_args(false);
    }
  }

  std::vector<Edit> in_order(const CLI::App& command) const {
    constexpr Edit::Kind kKinds[kCount] = {
        Edit::Kind::Type,   Edit::Kind::Pick,   Edit::Kind::Check, Edit::Kind::Uncheck,
        Edit::Kind::Choose, Edit::Kind::Select, Edit::Kind::Click};
    std::map<const CLI::Option*, int> which;
    for (int i = 0; i < kCount; ++i) which[options[i]] = i;
    std::size_t taken[kCount] = {};
    std::vector<Edit> edits;
    for (const CLI::Option* option : command.parse_order()) {
      const auto found = which.find(option);
      if (found == which.end()) continue;
      const int i = found->second;
      const std::string& value = values[i].at(taken[i]++);
      Edit edit{kKinds[i], value, {}};
      const Edit::Kind kind = kKinds[i];
      // A control's name holds no "=": after a check's "=" comes an item of its list.
      const bool assigns = kind == Edit::Kind::Type || kind == Edit::Kind::Pick ||
                           kind == Edit::Kind::Select ||
                           ((kind == Edit::Kind::Check || kind == Edit::Kind::Uncheck) &&
                            value.find('=') != std::string::npos);
      if (assigns) {
        std::tie(edit.control, edit.value) = split_assignment(value, option->get_name());
      }
      edits.push_back(std::move(edit));
    }
    return edits;
  }
};

constexpr const char* kCommands[] = {"register", "unregister", "tree",  "show", "edit",
                                     "import",   "export",     "serve", "check"};

}  // namespace

CommandLine parse_command_line(const std::vector<std::string>& args) {
  CLI::App app{
      "tidewise: the host's metadata editor, with the Tidewise pages, on the command line"};
  app.require_subcommand(1);
  CommandLine line;
  Options& options = line.options;
  std::string trace_file, item, page_class;

  CLI::App* reg = app.add_subcommand("register", "register the component libraries and the host");
  CLI::App* unreg = app.add_subcommand("unregister", "remove them from the registry again");

  CLI::App* tree = app.add_subcommand("tree", "load the pages into the editor's tree and print it");
  tree->add_flag("--json", options.json, "print JSON");
  CLI::Option* tree_trace =
      tree->add_option("--trace", trace_file, "record the calls on host objects to FILE")
          ->type_name("FILE");

  CLI::App* show = app.add_subcommand("show", "open a page on an item and print it");
  CLI::App* edit = app.add_subcommand("edit", "open a page, edit it as a user would, and leave it");
  EditOptions edit_options;
  std::vector<CLI::Option*> traces{tree_trace};
  std::vector<CLI::Option*> classes;
  for (CLI::App* command : {show, edit}) {
    command->add_option("ITEM", item, "the item's metadata file")->required();
    command->add_option("UNIQUE_NAME", options.unique_name, "the page's unique name")->required();
    classes.push_back(
        command->add_option("--class", page_class, "open TidewiseCustomPage.CLASS instead")
            ->type_name("CLASS"));
    command->add_flag("--json", options.json, "print JSON");
    traces.push_back(
        command->add_option("--trace", trace_file, "record the calls on host objects to FILE")
            ->type_name("FILE"));
  }
  edit_options.add_to(*edit);

  ConvertOptions& convert = line.convert;
  std::string stylesheets, from, to, split;
  std::size_t record = 0;
  CLI::App* import = app.add_subcommand(
      "import", "import a file in the project's model into an item, through its stylesheet");
  CLI::App* export_ = app.add_subcommand(
      "export", "export an item to a file in the project's model, through its stylesheet");
  for (CLI::App* command : {import, export_}) {
    const bool importing = command == import;
    command
        ->add_option(importing ? "SOURCE" : "ITEM", from,
                     importing ? "the file to import (with --batch: a folder of them)"
                               : "the item's metadata file (with --batch: a folder of items)")
        ->required();
    command
        ->add_option(importing ? "ITEM" : "DESTINATION", to,
                     importing ? "the item's metadata file (with --batch: a folder of items)"
                               : "the file to write (with --batch: a folder)")
        ->required(!importing);
    command->add_flag("--batch", convert.batch, "convert every .xml file of the folder FROM");
    if (importing) {
      command
          ->add_option("--record", record,
                       "of a file holding several records, import record N (from 1)")
          ->type_name("N")
          ->check(CLI::PositiveNumber);
      command
          ->add_option("--split", split,
                       "import each record of the file into an item of its own in FOLDER")
          ->type_name("FOLDER");
    }
    if (!importing) {
      command
          ->add_option("--format", convert.format,
                       "the standard to write: iso19139 (the default) or iso19115-3")
          ->type_name("FORMAT");
    }
    command
        ->add_option("--stylesheets", stylesheets,
                     "the stylesheet folder, instead of TIDEWISE_STYLESHEETS")
        ->type_name("DIR");
    traces.push_back(
        command->add_option("--trace", trace_file, "record the calls on host objects to FILE")
            ->type_name("FILE"));
  }

  CLI::App* serve = app.add_subcommand("serve", "start the browser editor on a catalog");
  ServeOptions& serve_options = line.serve;
  std::string catalog;
  int dialog_seconds = 120;
  serve->add_option("PATH", catalog, "a folder of item files, or one item file")->required();
  serve->add_option("--port", serve_options.port, "the port on 127.0.0.1 (0: any free one)")
      ->type_name("N")
      ->check(CLI::Range(0, 65535));
  serve
      ->add_option("--stylesheets", stylesheets,
                   "the import and export stylesheets' folder (else TIDEWISE_STYLESHEETS, "
                   "else the bundled ones)")
      ->type_name("DIR");
  serve
      ->add_option("--dialog-timeout", dialog_seconds,
                   "seconds a message box waits for an answer before taking its default")
      ->type_name("SECONDS")
      ->check(CLI::Range(1, 86400));

  CLI::App* check = app.add_subcommand(
      "check", "list what is wrong with an item: its values, ISO's obligations, its export");
  check->add_option("ITEM", item, "the item's metadata file")->required();
  check->add_flag("--json", options.json, "print JSON");
  check
      ->add_option("--stylesheets", stylesheets,
                   "the export stylesheets' folder (else TIDEWISE_STYLESHEETS, else the bundled "
                   "ones)")
      ->type_name("DIR");
  check
      ->add_option("--format", options.format,
                   "the standard the export is checked in: iso19139 (the default) or iso19115-3")
      ->type_name("FORMAT");

  // CLI11 would call a misspelt command an unexpected argument.
  if (!args.empty() && !args.front().starts_with('-') &&
      std::find(std::begin(kCommands), std::end(kCommands), args.front()) == std::end(kCommands)) {
    throw UsageError(
        "unknown command '" + shown(args.front()) +
        "' (commands: register, unregister, tree, show, edit, import, export, serve, check)");
  }
  std::vector<const char*> argv{"tidewise"};
  for (const std::string& arg : args) argv.push_back(arg.c_str());
  try {
    app.parse(static_cast<int>(argv.size()), argv.data());
  } catch (const CLI::CallForHelp&) {
    line.command = CommandLine::Command::Help;
    line.help = app.help();  // the command's own, when one was named
    return line;
  } catch (const CLI::CallForAllHelp&) {
    line.command = CommandLine::Command::Help;
    line.help = app.help("", CLI::AppFormatMode::All);
    return line;
  } catch (const CLI::ParseError& e) {
    if (args.empty())
      throw UsageError(
          "no command given (register, unregister, tree, show, edit, import, export, serve, "
          "check)");
    throw UsageError(e.what());
  }

  const auto given = [](const std::vector<CLI::Option*>& any) {
    return std::any_of(any.begin(), any.end(), [](const CLI::Option* o) { return o->count() > 0; });
  };
  if (given(traces)) {
    if (trace_file.empty()) throw UsageError("--trace: the file name is empty");
    options.trace_file = trace_file;
  }
  if (given(classes)) {
    if (page_class.empty()) throw UsageError("--class: the class name is empty");
    options.page_class = page_class;
  }

  if (reg->parsed()) {
    line.command = CommandLine::Command::Register;
  } else if (unreg->parsed()) {
    line.command = CommandLine::Command::Unregister;
  } else if (tree->parsed()) {
    line.command = CommandLine::Command::Tree;
  } else if (serve->parsed()) {
    line.command = CommandLine::Command::Serve;
    if (catalog.empty()) throw UsageError("the catalog path is empty");
    serve_options.catalog = catalog;
    if (serve->count("--stylesheets") > 0) {
      if (stylesheets.empty()) throw UsageError("--stylesheets: the folder name is empty");
      serve_options.stylesheets = stylesheets;
    }
    serve_options.dialog_timeout = std::chrono::seconds(dialog_seconds);
  } else if (check->parsed()) {
    line.command = CommandLine::Command::Check;
    if (item.empty()) throw UsageError("the item path is empty");
    options.item = item;
    if (check->count("--stylesheets") > 0) {
      if (stylesheets.empty()) throw UsageError("--stylesheets: the folder name is empty");
      options.stylesheets = stylesheets;
    }
    if (!host::record_format(options.format)) {
      throw UsageError("--format: '" + shown(options.format) + "' is not a standard the export " +
                       "writes (" + host::format_names() + ")");
    }
  } else if (import->parsed() || export_->parsed()) {
    CLI::App* command = import->parsed() ? import : export_;
    line.command = import->parsed() ? CommandLine::Command::Import : CommandLine::Command::Export;
    convert.trace_file = options.trace_file;
    if (command->count("--stylesheets") > 0) convert.stylesheets = stylesheets;
    if (import->parsed() && import->count("--split") > 0) {
      if (split.empty()) throw UsageError("--split: the folder name is empty");
      if (import->count("ITEM") > 0) {
        throw UsageError("--split: the items are named from the records; give no ITEM");
      }
      convert.split = split;
      to = split;
    } else if (import->parsed() && import->count("ITEM") == 0) {
      throw UsageError("import: ITEM is required (or --split FOLDER)");
    }
    if (import->parsed() && import->count("--record") > 0) {
      if (convert.split) throw UsageError("--record and --split: choose one");
      convert.record = record;
    }
    if (convert.batch && (convert.record || convert.split)) {
      throw UsageError("--batch takes every file whole: no --record or --split");
    }
    if (convert.split && convert.trace_file) {
      throw UsageError("--trace: the imports of --split cannot be traced");
    }
    if (!host::record_format(convert.format)) {
      throw UsageError("--format: '" + shown(convert.format) + "' is not a standard the export " +
                       "writes (" + host::format_names() + ")");
    }
    if (from.empty() || to.empty()) throw UsageError("a file or folder name is empty");
    convert.from = from;
    convert.to = to;
  } else {
    if (item.empty()) throw UsageError("the item path is empty");
    options.item = item;
    if (show->parsed()) {
      line.command = CommandLine::Command::Show;
    } else {
      line.command = CommandLine::Command::Edit;
      options.edits = edit_options.in_order(*edit);
    }
  }
  return line;
}

}  // namespace tw::cli
