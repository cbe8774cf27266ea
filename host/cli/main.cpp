// tidewise: the host's metadata editor driven from the command line.
// Exit status 0 on success, 1 when a member failed, 2 on a usage error.

#include <iostream>

#include "tidewise/com/error.h"
#include "tidewise/platform.h"
#include "tool.h"

namespace tw::cli {

namespace {

int run(int argc, char** argv) {
  const CommandLine line = parse_command_line(std::vector<std::string>(argv + 1, argv + argc));
  switch (line.command) {
    case CommandLine::Command::Help:
      std::cout << line.help;
      break;
    case CommandLine::Command::Register:
      register_all(true);
      break;
    case CommandLine::Command::Unregister:
      unregister_all(true);
      break;
    case CommandLine::Command::Tree:
      run_tree(line.options);
      break;
    case CommandLine::Command::Show:
      run_show(line.options);
      break;
    case CommandLine::Command::Edit:
      run_edit(line.options);
      break;
    case CommandLine::Command::Import:
      return run_import(line.convert);
    case CommandLine::Command::Export:
      return run_export(line.convert);
    case CommandLine::Command::Serve:
      run_serve(line.serve);
      break;
    case CommandLine::Command::Check:
      return run_check(line.options);
  }
  return 0;
}

}  // namespace

}  // namespace tw::cli

int main(int argc, char** argv) {
  using namespace tw;
  // Every message passes here: whatever name or byte it quotes, it reaches
  // the terminal as one line of visible text.
  const auto report = [](std::string_view message) {
    std::cerr << "tidewise: " << platform::shown(message) << '\n';
  };
  // What a run holds for a moment (lock files, temporary copies) goes with
  // it when Ctrl-C or a signal stops it.
  platform::remove_leftovers_on_signals();
  try {
    return cli::run(argc, argv);
  } catch (const cli::UsageError& e) {
    report(e.what());
    return 2;
  } catch (const host::InvalidRequest& e) {
    report(e.what());
    return 2;
  } catch (const com::Error& e) {
    report(e.message());
    return 1;
  } catch (const std::exception& e) {
    report(e.what());
    return 1;
  }
}
