// The batch runner: the tool run once per file in child processes, as many
// at once as there are cores, with a progress bar on a terminal.

#include "batch.h"

#include <fcntl.h>
#include <poll.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstring>
#include <iostream>
#include <list>
#include <set>
#include <sstream>
#include <thread>

#include "tidewise/com/error.h"
#include "tidewise/platform.h"

extern char** environ;

namespace tw::cli {

namespace {

// One file converted by a child process: the tool run on that one file.
struct Child {
  pid_t pid = -1;
  int output = -1;  // the child's standard output and error
  std::size_t index = 0;
  std::string text;
};

Child spawn_child(const std::vector<std::string>& args, std::size_t index) {
  int fds[2];
  if (::pipe2(fds, O_CLOEXEC) != 0) {
    throw com::Error(com::E_FAIL, std::string("cannot create a pipe: ") + std::strerror(errno));
  }
  posix_spawn_file_actions_t actions;
  ::posix_spawn_file_actions_init(&actions);
  ::posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
  ::posix_spawn_file_actions_adddup2(&actions, fds[1], 1);
  ::posix_spawn_file_actions_adddup2(&actions, fds[1], 2);
  std::vector<char*> argv;
  argv.reserve(args.size() + 1);
  for (const std::string& arg : args) argv.push_back(const_cast<char*>(arg.c_str()));
  argv.push_back(nullptr);
  // The child takes signals whatever the parent holds back meanwhile.
  posix_spawnattr_t attributes;
  ::posix_spawnattr_init(&attributes);
  sigset_t none;
  sigemptyset(&none);
  ::posix_spawnattr_setsigmask(&attributes, &none);
  ::posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETSIGMASK);
  Child child;
  child.index = index;
  const int error = ::posix_spawn(&child.pid, argv[0], &actions, &attributes, argv.data(), environ);
  ::posix_spawnattr_destroy(&attributes);
  ::posix_spawn_file_actions_destroy(&actions);
  ::close(fds[1]);
  if (error != 0) {
    ::close(fds[0]);
    throw com::Error(com::E_FAIL, "cannot start " + args[0] + ": " + std::strerror(error));
  }
  child.output = fds[0];
  return child;
}

// Ctrl-C and the like wait while it lives, then take their course.
class SignalsHeldBack {
 public:
  SignalsHeldBack() {
    sigset_t stops;
    sigemptyset(&stops);
    for (const int signal : {SIGINT, SIGTERM, SIGHUP}) sigaddset(&stops, signal);
    ::sigprocmask(SIG_BLOCK, &stops, &previous_);
  }
  ~SignalsHeldBack() { ::sigprocmask(SIG_SETMASK, &previous_, nullptr); }
  SignalsHeldBack(const SignalsHeldBack&) = delete;
  SignalsHeldBack& operator=(const SignalsHeldBack&) = delete;

 private:
  sigset_t previous_;
};

// Reads what is there; false at the end of the child's output.
bool read_some(Child& child) {
  char buffer[4096];
  const ssize_t n = ::read(child.output, buffer, sizeof buffer);
  if (n < 0) return errno == EINTR || errno == EAGAIN;
  if (n == 0) return false;
  // A child says little; a runaway one is cut short rather than held.
  if (child.text.size() < 65536) child.text.append(buffer, static_cast<std::size_t>(n));
  return true;
}

int wait_for(pid_t pid) {
  int status = 0;
  while (::waitpid(pid, &status, 0) < 0 && errno == EINTR) {
  }
  return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
}

std::string trimmed(std::string text) {
  while (!text.empty() && (text.back() == '\n' || text.back() == ' ')) text.pop_back();
  return text;
}

// The child's message without the tool's own prefix, on one line.
std::string reason(const std::string& output, int status) {
  std::string text = trimmed(output);
  if (text.starts_with("tidewise: ")) text.erase(0, 10);
  std::replace(text.begin(), text.end(), '\n', ' ');
  return text.empty() ? "exit status " + std::to_string(status) : text;
}

// A bar on standard error, drawn only on a terminal: how many files were
// converted of how many, and how many failed.
class Progress {
 public:
  Progress(std::size_t total, std::string_view verb)
      : total_(total), verb_(verb), shown_(::isatty(STDERR_FILENO) == 1) {}
  ~Progress() { clear(); }
  Progress(const Progress&) = delete;
  Progress& operator=(const Progress&) = delete;

  void advance(bool converted) {
    ++(converted ? converted_ : failed_);
    draw();
  }
  // A line of its own, with the bar redrawn below it.
  void say(const std::string& line) {
    clear();
    std::cerr << line << '\n';
    draw();
  }

 private:
  void draw() {
    if (!shown_) return;
    constexpr std::size_t kWidth = 30;
    const std::size_t done = converted_ + failed_;
    const std::size_t filled = total_ == 0 ? kWidth : done * kWidth / total_;
    std::cerr << "\r[" << std::string(filled, '#') << std::string(kWidth - filled, '.') << "] "
              << converted_ << '/' << total_ << ' ' << verb_;
    if (failed_ > 0) std::cerr << ", " << failed_ << " failed";
    std::cerr << std::flush;
    drawn_ = true;
  }
  void clear() {
    if (!drawn_) return;
    std::cerr << "\r\033[K" << std::flush;
    drawn_ = false;
  }

  std::size_t total_;
  std::size_t converted_ = 0;
  std::size_t failed_ = 0;
  std::string verb_;
  bool shown_;
  bool drawn_ = false;
};

}  // namespace

std::size_t run_children(const std::vector<BatchFile>& files, std::string_view verb) {
  const std::size_t workers =
      std::max<std::size_t>(1, std::min<std::size_t>(std::thread::hardware_concurrency(), 8));
  Progress progress(files.size(), verb);
  // A signal that stops the batch stops its children, which remove their
  // temporary and lock files as they go.
  std::list<std::pair<Child, platform::StoppedWithUs>> running;
  std::set<std::string> notes;  // what succeeding children said (the components' messages)
  std::size_t next = 0, failed = 0;
  const auto fail = [&](const std::string& name, const std::string& why) {
    ++failed;
    progress.say("tidewise: " + platform::shown(name) + ": " + platform::shown(why));
    progress.advance(false);
  };
  while (next < files.size() || !running.empty()) {
    while (running.size() < workers && next < files.size()) {
      const BatchFile& file = files[next];
      if (file.refused) {
        fail(file.name, *file.refused);
      } else {
        // A signal waits until the child is named, so that none is left
        // running unseen.
        const SignalsHeldBack held;
        Child child = spawn_child(file.args, next);
        running.emplace_back(std::piecewise_construct, std::forward_as_tuple(child),
                             std::forward_as_tuple(child.pid));
      }
      ++next;
    }
    if (running.empty()) continue;
    std::vector<pollfd> polls;
    for (const auto& [child, stopped] : running) polls.push_back({child.output, POLLIN, 0});
    if (::poll(polls.data(), polls.size(), -1) < 0 && errno != EINTR) {
      throw com::Error(com::E_FAIL, std::string("cannot wait: ") + std::strerror(errno));
    }
    auto it = running.begin();
    for (const pollfd& poll : polls) {
      Child& child = it->first;
      if (poll.revents == 0 || read_some(child)) {
        ++it;
        continue;
      }
      ::close(child.output);
      const int status = wait_for(child.pid);
      if (status == 0) {
        std::istringstream lines(trimmed(child.text));
        for (std::string line; std::getline(lines, line);) {
          if (!line.empty() && notes.insert(line).second) progress.say(platform::shown(line));
        }
        progress.advance(true);
      } else {
        fail(files[child.index].name, reason(child.text, status));
      }
      it = running.erase(it);
    }
  }
  if (failed > 0) {
    progress.say("tidewise: " + std::to_string(failed) + " of " + std::to_string(files.size()) +
                 " files could not be " + std::string(verb));
  }
  return failed;
}

}  // namespace tw::cli
