// Runs commands in turn, interleaved, and prints for each the median CPU time
// (user + system), wall time and peak resident memory of its process, the
// same maximum resident set size that /usr/bin/time -v reports.
//   process_bench RUNS LABEL=COMMAND... (a COMMAND is split at spaces)
// Output, one line per command: LABEL CPU_MS WALL_MS MAXRSS_KB

#include <fcntl.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <sstream>
#include <string>
#include <vector>

namespace {

struct Command {
  std::string label;
  std::vector<std::string> argv;
  std::vector<double> cpu, wall, rss;
};

double median(std::vector<double> values) {
  std::sort(values.begin(), values.end());
  const std::size_t n = values.size();
  return n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

bool run(Command& command) {
  const auto start = std::chrono::steady_clock::now();
  const pid_t pid = ::fork();
  if (pid < 0) return false;
  if (pid == 0) {
    const int null = ::open("/dev/null", O_WRONLY);
    ::dup2(null, STDOUT_FILENO);
    std::vector<char*> args;
    for (std::string& arg : command.argv) args.push_back(arg.data());
    args.push_back(nullptr);
    ::execvp(args[0], args.data());
    ::_exit(127);
  }
  int status = 0;
  rusage usage{};
  if (::wait4(pid, &status, 0, &usage) != pid) return false;
  const auto end = std::chrono::steady_clock::now();
  if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) {
    std::fprintf(stderr, "process_bench: %s failed (status %d)\n", command.label.c_str(), status);
    return false;
  }
  const auto ms = [](const timeval& t) {
    return static_cast<double>(t.tv_sec) * 1e3 + static_cast<double>(t.tv_usec) / 1e3;
  };
  command.cpu.push_back(ms(usage.ru_utime) + ms(usage.ru_stime));
  command.wall.push_back(std::chrono::duration<double, std::milli>(end - start).count());
  command.rss.push_back(static_cast<double>(usage.ru_maxrss));
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 3) {
    std::fprintf(stderr, "usage: process_bench RUNS LABEL=COMMAND...\n");
    return 2;
  }
  const int runs = std::atoi(argv[1]);
  std::vector<Command> commands;
  for (int i = 2; i < argc; ++i) {
    const std::string argument = argv[i];
    const auto equals = argument.find('=');
    if (equals == std::string::npos) {
      std::fprintf(stderr, "process_bench: expected LABEL=COMMAND, got %s\n", argv[i]);
      return 2;
    }
    Command command{argument.substr(0, equals), {}, {}, {}, {}};
    std::istringstream words(argument.substr(equals + 1));
    for (std::string word; words >> word;) command.argv.push_back(word);
    commands.push_back(std::move(command));
  }
  // One unmeasured round warms the page cache, then the rounds interleave.
  for (Command& command : commands) {
    if (!run(command)) return 1;
    command.cpu.clear();
    command.wall.clear();
    command.rss.clear();
  }
  for (int round = 0; round < runs; ++round) {
    for (Command& command : commands) {
      if (!run(command)) return 1;
    }
  }
  for (const Command& command : commands) {
    std::printf("%s %.2f %.2f %.0f\n", command.label.c_str(), median(command.cpu),
                median(command.wall), median(command.rss));
  }
  return 0;
}
