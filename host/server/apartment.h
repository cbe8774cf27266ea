#pragma once
// The apartment: the one thread on which every component object is created,
// called and released. The HTTP server's threads hand it tasks and wait.
//
// A component may show a message box in the middle of a task. The task then
// waits inside the box while the thread that submitted it returns the box to
// the browser; the browser's answer resumes the task, and whoever answers
// waits for the rest of the task's result (or the next box). A box nobody
// answers is answered with its default button after a while, and the result
// says so.

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <exception>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <nlohmann/json.hpp>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "tidewise/platform.h"

namespace tw::server {

using Json = nlohmann::ordered_json;

// The platform's message box flags and answers.
struct DialogButton {
  std::string label;
  int answer;
};
// The buttons a box with these flags shows, in order, and the answer of its
// default button.
std::vector<DialogButton> dialog_buttons(int flags);
int default_answer(int flags);

struct Dialog {
  std::uint64_t call = 0;  // the task that waits for the answer
  std::uint64_t id = 0;    // this box; a task may show several
  std::string prompt;
  std::string title;
  int flags = 0;
  std::chrono::milliseconds timeout{0};
  Json json() const;
};

// clang-tidy 14 looks into json's noexcept destructor and takes what it finds
// there for a throw from the implicit members.
struct Outcome {  // NOLINT(bugprone-exception-escape)
  enum class State {
    Done,    // the task finished: result or error
    Asking,  // the task waits for the answer to `dialog`
    Busy,    // another task waits for the answer to `dialog`; this one was not run
  };
  State state = State::Done;
  Json result;
  std::exception_ptr error;
  std::optional<Dialog> dialog;
  std::vector<std::string> notes;  // boxes answered by the editor itself
};

class Apartment {
 public:
  using Task = std::function<Json()>;

  explicit Apartment(std::chrono::milliseconds dialog_timeout = std::chrono::minutes(2));
  // Ends the process if the thread cannot be joined: it would go on using a
  // freed apartment.
  ~Apartment();  // NOLINT(bugprone-exception-escape)
  Apartment(const Apartment&) = delete;
  Apartment& operator=(const Apartment&) = delete;

  // Runs the task on the apartment's thread, after the tasks before it, and
  // waits until it finishes or asks. While another task waits for an answer
  // the task is not run: the outcome is Busy with that box.
  Outcome run(Task task);
  // Answers box `dialog` of task `call` and waits as run() does. A box that
  // was answered meanwhile (by its timeout) is not answered again: the
  // outcome is then where the task stands. Throws std::out_of_range for a
  // task that is unknown or whose result was already handed out.
  Outcome answer(std::uint64_t call, std::uint64_t dialog, int answer);
  // The box a task waits on, if any.
  std::optional<Dialog> pending() const;

  // Lets the running task finish (its boxes get their default answer),
  // refuses the queued ones and every later one, then runs `last` (which
  // releases what the tasks made) and ends the thread.
  void stop(Task last = nullptr);
  std::thread::id thread_id() const { return thread_.get_id(); }

 private:
  struct Call;
  using CallPtr = std::shared_ptr<Call>;

  void work();
  int ask(std::string_view prompt, int flags, std::string_view title);
  Outcome wait(std::unique_lock<std::mutex>& lock, const CallPtr& call);
  void forget_stale(std::chrono::steady_clock::time_point now);

  const std::chrono::milliseconds dialog_timeout_;
  mutable std::mutex mutex_;
  std::condition_variable changed_;
  std::deque<CallPtr> queue_;
  CallPtr current_;
  std::map<std::uint64_t, CallPtr> unclaimed_;  // tasks whose submitter took a box home
  std::uint64_t next_call_ = 1;
  std::uint64_t next_dialog_ = 1;
  bool stopping_ = false;
  platform::MsgBoxHandler previous_handler_;
  std::thread thread_;
};

}  // namespace tw::server
