// The tool's command line: NUL-separated arguments. Parsing reads and writes
// nothing and either gives a command or a usage error; the edits of a
// command that names a page class are checked against that page's form and,
// when accepted, made on it, and the page is then printed both ways.

#include "pages.h"
#include "support.h"
#include "tidewise/com/error.h"
#include "tidewise/host/session.h"
#include "tool.h"

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  tw::fuzz::quiet_private_home();
  try {
    tw::fuzz::register_host_pages();
  } catch (const tw::com::Error& error) {
    tw::fuzz::broken("cannot register the host's pages", error.what());
  }
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace tw;
  std::vector<std::string> args = fuzz::split(data, size, 32);
  if (args.size() == 1 && args[0].empty()) args.clear();
  cli::CommandLine line;
  try {
    line = cli::parse_command_line(args);
  } catch (const cli::UsageError& e) {
    if (std::string_view(e.what()).empty()) fuzz::broken("a usage error says nothing");
    return 0;
  }
  if (line.command == cli::CommandLine::Command::Help && line.help.empty()) {
    fuzz::broken("help without text");
  }
  if (line.command != cli::CommandLine::Command::Edit &&
      line.command != cli::CommandLine::Command::Show) {
    return 0;
  }
  if (line.options.item.empty()) fuzz::broken("a page command without an item");
  fuzz::Page page = fuzz::create_page(line.options.page_class.value_or(line.options.unique_name));
  if (!page.page) return 0;
  try {
    host::validate_edits(*page.form, line.options.edits);
  } catch (const host::InvalidEdit&) {
    return 0;
  }
  for (const host::Edit& edit : line.options.edits) {
    try {
      host::apply_edit(*page.form, edit);
    } catch (const com::Error&) {
      // A control may refuse what the user does (a disabled box).
    }
  }
  host::controls_json(*page.form).dump(-1, ' ', false, nlohmann::json::error_handler_t::strict);
  host::controls_text(*page.form);
  return 0;
}
