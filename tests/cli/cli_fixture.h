#pragma once
// Runs the built tidewise tool on a copy of the example item, with a
// temporary TIDEWISE_HOME, and reads what it printed and traced.

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <map>
#include <nlohmann/json.hpp>
#include <optional>
#include <sstream>

#include "support/files.h"
#include "support/page_json.h"

namespace tw::cli {

namespace fs = std::filesystem;
using nlohmann::json;
using test::control;

struct Outcome {
  int status = -1;
  std::string out;
  std::string err;
};

class CliTest : public ::testing::Test {
 protected:
  void SetUp() override {
    item_ = home_.path() / "coastal.xml";
    fs::copy_file(fs::path(TIDEWISE_SOURCE_DIR) / "examples" / "coastal-dataset.xml", item_);
  }

  Outcome run(const std::vector<std::string>& args) const {
    return run_program(std::string(TIDEWISE_BIN_DIR) + "/tidewise", args);
  }

  // Runs any program with the environment of env_ applied.
  Outcome run_program(const std::string& program, const std::vector<std::string>& args) const {
    return finish(spawn_program(program, args));
  }

  // Starts the tool with its output going to files named after `tag`.
  pid_t spawn(const std::vector<std::string>& args, const std::string& tag = "std") const {
    return spawn_program(std::string(TIDEWISE_BIN_DIR) + "/tidewise", args, tag);
  }

  pid_t spawn_program(const std::string& program, const std::vector<std::string>& args,
                      const std::string& tag = "std") const {
    const fs::path out = home_.path() / (tag + "out.txt");
    const fs::path err = home_.path() / (tag + "err.txt");
    std::vector<char*> argv;
    argv.push_back(const_cast<char*>(program.c_str()));
    for (const std::string& arg : args) argv.push_back(const_cast<char*>(arg.c_str()));
    argv.push_back(nullptr);

    const pid_t child = ::fork();
    if (child == 0) {
      const int out_fd = ::open(out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
      const int err_fd = ::open(err.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
      ::dup2(out_fd, 1);
      ::dup2(err_fd, 2);
      apply_environment();
      ::execv(program.c_str(), argv.data());
      ::_exit(127);
    }
    return child;
  }

  // Waits for a child that spawn started and takes what it printed.
  Outcome finish(pid_t child, const std::string& tag = "std") const {
    const fs::path out = home_.path() / (tag + "out.txt");
    const fs::path err = home_.path() / (tag + "err.txt");
    int status = 0;
    ::waitpid(child, &status, 0);
    Outcome result;
    result.status = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    result.out = test::read_file(out);
    result.err = test::read_file(err);
    fs::remove(out);
    fs::remove(err);
    return result;
  }

  json run_json(const std::vector<std::string>& args) const {
    const Outcome r = run(args);
    EXPECT_EQ(r.status, 0) << r.err;
    try {
      return json::parse(r.out);
    } catch (const json::exception& e) {
      ADD_FAILURE() << "not JSON: " << e.what() << "\n" << r.out;
      return {};
    }
  }

  std::vector<json> read_trace(const fs::path& file) const {
    std::vector<json> lines;
    std::istringstream in(test::read_file(file));
    for (std::string line; std::getline(in, line);) lines.push_back(json::parse(line));
    return lines;
  }

  static std::vector<json> calls_named(const std::vector<json>& trace, std::string_view call) {
    std::vector<json> found;
    for (const json& line : trace) {
      if (line.at("call") == call) found.push_back(line);
    }
    return found;
  }

  // In a child, before it runs its program.
  void apply_environment() const {
    for (const auto& [name, value] : env_) {
      if (value) {
        ::setenv(name.c_str(), value->c_str(), 1);
      } else {
        ::unsetenv(name.c_str());
      }
    }
  }

  test::TempHome home_;
  fs::path item_;
  // Set, or cleared where nothing is given, in the programs run. The
  // stylesheet folder is cleared unless a test sets it.
  std::map<std::string, std::optional<std::string>> env_{{"TIDEWISE_STYLESHEETS", std::nullopt}};
};

}  // namespace tw::cli
