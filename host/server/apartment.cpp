#include "apartment.h"

#include <stdexcept>

namespace tw::server {

using Clock = std::chrono::steady_clock;

namespace {

// Finished tasks whose result nobody came back for are dropped after this.
constexpr auto kUnclaimedLifetime = std::chrono::minutes(10);

}  // namespace

std::vector<DialogButton> dialog_buttons(int flags) {
  switch (flags & 0x7) {
    case 1:
      return {{"OK", 1}, {"Cancel", 2}};
    case 2:
      return {{"Abort", 3}, {"Retry", 4}, {"Ignore", 5}};
    case 3:
      return {{"Yes", 6}, {"No", 7}, {"Cancel", 2}};
    case 4:
      return {{"Yes", 6}, {"No", 7}};
    case 5:
      return {{"Retry", 4}, {"Cancel", 2}};
    default:
      return {{"OK", 1}};
  }
}

int default_answer(int flags) {
  const auto buttons = dialog_buttons(flags);
  const auto which = static_cast<std::size_t>((flags >> 8) & 0x3);
  return buttons[which < buttons.size() ? which : 0].answer;
}

Json Dialog::json() const {
  Json buttons = Json::array();
  for (const DialogButton& button : dialog_buttons(flags)) {
    buttons.push_back({{"label", button.label}, {"answer", button.answer}});
  }
  return {{"call", call},
          {"id", id},
          {"prompt", prompt},
          {"title", title},
          {"buttons", buttons},
          {"defaultAnswer", default_answer(flags)},
          {"timeoutSeconds", std::chrono::duration<double>(timeout).count()}};
}

struct Apartment::Call {
  enum class State { Queued, Running, Asking, Done, Refused };
  std::uint64_t id = 0;
  Task task;
  State state = State::Queued;
  Json result;
  std::exception_ptr error;
  std::optional<Dialog> dialog;
  std::optional<int> answer;
  std::uint64_t handed_out = 0;  // the box last given to a submitter
  std::vector<std::string> notes;
  Clock::time_point finished{};
};

Apartment::Apartment(std::chrono::milliseconds dialog_timeout)
    : dialog_timeout_(dialog_timeout),
      previous_handler_(platform::set_msgbox_handler(
          [this](std::string_view prompt, int flags, std::string_view title) {
            if (std::this_thread::get_id() == thread_.get_id()) return ask(prompt, flags, title);
            // Not a component of ours: shown as the platform shows it.
            std::fprintf(stderr, "%.*s: %.*s\n", static_cast<int>(title.size()), title.data(),
                         static_cast<int>(prompt.size()), prompt.data());
            return default_answer(flags);
          })),
      thread_([this] { work(); }) {}

Apartment::~Apartment() {  // NOLINT(bugprone-exception-escape): see the declaration
  stop();
  thread_.join();
  platform::set_msgbox_handler(std::move(previous_handler_));
}

void Apartment::stop(Task last) {
  std::lock_guard lock(mutex_);
  if (!stopping_) {
    stopping_ = true;
    for (const CallPtr& call : queue_) call->state = Call::State::Refused;
    queue_.clear();
  }
  if (last) {
    auto call = std::make_shared<Call>();
    call->id = next_call_++;
    call->task = std::move(last);
    queue_.push_back(std::move(call));
  }
  changed_.notify_all();
}

void Apartment::work() {
  for (;;) {
    CallPtr call;
    {
      std::unique_lock lock(mutex_);
      changed_.wait(lock, [&] { return stopping_ || !queue_.empty(); });
      if (queue_.empty()) return;
      call = std::move(queue_.front());
      queue_.pop_front();
      call->state = Call::State::Running;
      current_ = call;
    }
    Json result;
    std::exception_ptr error;
    try {
      result = call->task();
    } catch (...) {
      error = std::current_exception();
    }
    std::lock_guard lock(mutex_);
    call->result = std::move(result);
    call->error = error;
    call->state = Call::State::Done;
    call->finished = Clock::now();
    call->task = nullptr;
    current_.reset();
    changed_.notify_all();
  }
}

int Apartment::ask(std::string_view prompt, int flags, std::string_view title) {
  std::unique_lock lock(mutex_);
  const CallPtr call = current_;
  if (!call || stopping_) return default_answer(flags);
  Dialog dialog{call->id,           next_dialog_++, std::string(prompt),
                std::string(title), flags,          dialog_timeout_};
  call->dialog = dialog;
  call->answer.reset();
  call->state = Call::State::Asking;
  changed_.notify_all();
  const bool answered = changed_.wait_for(lock, dialog_timeout_,
                                          [&] { return call->answer.has_value() || stopping_; });
  int answer = default_answer(flags);
  if (answered && call->answer) {
    answer = *call->answer;
  } else {
    std::string label;
    for (const DialogButton& button : dialog_buttons(flags)) {
      if (button.answer == answer) label = button.label;
    }
    call->notes.push_back(
        "The message box \"" + std::string(prompt) + "\" was not answered " +
        (stopping_
             ? "before the editor stopped"
             : "within " +
                   std::to_string(
                       std::chrono::duration_cast<std::chrono::seconds>(dialog_timeout_).count()) +
                   " s") +
        "; the editor answered " + label + ".");
  }
  call->dialog.reset();
  call->answer.reset();
  call->state = Call::State::Running;
  changed_.notify_all();
  return answer;
}

Outcome Apartment::wait(std::unique_lock<std::mutex>& lock, const CallPtr& call) {
  const auto asking_elsewhere = [&] {
    return current_ && current_ != call && current_->state == Call::State::Asking;
  };
  // Once the editor stops, nobody waits for a task still running: it may
  // run long, and the editor stops without it.
  changed_.wait(lock, [&] {
    return call->state == Call::State::Done || call->state == Call::State::Refused ||
           (call->state == Call::State::Asking && call->dialog->id != call->handed_out) ||
           (call->state == Call::State::Queued && asking_elsewhere()) ||
           (call->state == Call::State::Running && stopping_);
  });
  Outcome outcome;
  switch (call->state) {
    case Call::State::Done:
      unclaimed_.erase(call->id);
      outcome.result = std::move(call->result);
      outcome.error = call->error;
      outcome.notes = std::move(call->notes);
      return outcome;
    case Call::State::Refused:
      unclaimed_.erase(call->id);
      outcome.error = std::make_exception_ptr(std::runtime_error("the editor is stopping"));
      return outcome;
    case Call::State::Asking:
      call->handed_out = call->dialog->id;
      unclaimed_[call->id] = call;
      outcome.state = Outcome::State::Asking;
      outcome.dialog = call->dialog;
      return outcome;
    case Call::State::Running:
      outcome.error = std::make_exception_ptr(std::runtime_error("the editor is stopping"));
      return outcome;
    case Call::State::Queued:
      break;
  }
  // Queued behind a task that waits for an answer: withdrawn, so that the
  // answer can still reach the server.
  std::erase(queue_, call);
  call->state = Call::State::Refused;
  outcome.state = Outcome::State::Busy;
  outcome.dialog = current_->dialog;
  return outcome;
}

void Apartment::forget_stale(Clock::time_point now) {
  std::erase_if(unclaimed_, [&](const auto& entry) {
    const Call& call = *entry.second;
    return call.state == Call::State::Done && now - call.finished > kUnclaimedLifetime;
  });
}

Outcome Apartment::run(Task task) {
  std::unique_lock lock(mutex_);
  forget_stale(Clock::now());
  auto call = std::make_shared<Call>();
  call->id = next_call_++;
  call->task = std::move(task);
  if (stopping_) {
    Outcome outcome;
    outcome.error = std::make_exception_ptr(std::runtime_error("the editor is stopping"));
    return outcome;
  }
  queue_.push_back(call);
  changed_.notify_all();
  return wait(lock, call);
}

Outcome Apartment::answer(std::uint64_t call_id, std::uint64_t dialog, int answer) {
  std::unique_lock lock(mutex_);
  const auto found = unclaimed_.find(call_id);
  if (found == unclaimed_.end()) {
    throw std::out_of_range("no task " + std::to_string(call_id) + " waits for an answer");
  }
  const CallPtr call = found->second;
  if (call->state == Call::State::Asking && call->dialog->id == dialog) {
    call->answer = answer;
    changed_.notify_all();
  }
  return wait(lock, call);
}

std::optional<Dialog> Apartment::pending() const {
  std::lock_guard lock(mutex_);
  if (current_ && current_->state == Call::State::Asking) return current_->dialog;
  return std::nullopt;
}

}  // namespace tw::server
