// TidewiseEditor.so: the browser editor, loaded by `tidewise serve` alone.
// The HTTP library brings OpenSSL with it, whose start-up costs every process
// that links it several milliseconds; in a module of its own only the editor
// pays that, not each show, edit, import or export.
//
// The module holds its own copy of the host's objects, hidden from the tool's:
// the tool hands over the options and waits, and every exception stays on
// this side of the entry point.

#include <chrono>
#include <condition_variable>
#include <csignal>
#include <cstdlib>
#include <iostream>
#include <mutex>
#include <string>
#include <thread>

#include "server.h"
#include "tidewise/com/error.h"
#include "tidewise/host/journal.h"
#include "tidewise/host/session.h"
#include "tidewise/platform.h"

namespace {

// How long a stop waits for the request in progress: the editor stops within
// two seconds of Ctrl-C whatever it is doing.
constexpr std::chrono::milliseconds kStopWithin{1500};

// Says which items had edits that were not saved: they stay in their
// journals, offered when the item is opened again.
void tell_unsaved() {
  const std::vector<std::string> items = tw::host::Journal::items_of_this_process();
  if (items.empty()) return;
  std::cout << "Unsaved edits were kept of:\n";
  for (const std::string& item : items) std::cout << "  " << tw::platform::shown(item) << "\n";
  std::cout << "Open each item in the editor again to restore them or discard them.\n";
}

}  // namespace

extern "C" __attribute__((visibility("default"))) int tidewise_serve(
    const tw::server::ServerOptions& options, std::string& failure) noexcept {
  using namespace tw;
  try {
    host::ComponentHost components;

    // Ctrl-C and SIGTERM are taken by this thread alone, after the server's
    // threads (which inherit the mask) were started.
    sigset_t stop_signals;
    sigemptyset(&stop_signals);
    sigaddset(&stop_signals, SIGINT);
    sigaddset(&stop_signals, SIGTERM);
    sigaddset(&stop_signals, SIGHUP);
    pthread_sigmask(SIG_BLOCK, &stop_signals, nullptr);

    server::EditorServer server(options);
    server.start();
    std::cout << "Tidewise editor on "
              << std::filesystem::absolute(options.catalog).lexically_normal().string() << "\nOpen "
              << server.address() << "\nPress Ctrl-C to stop.\n"
              << std::flush;
    int signal = 0;
    sigwait(&stop_signals, &signal);
    // From here on no file is replaced: a save that has not reached its
    // rename is abandoned whole.
    platform::stop_writing();
    // The work in progress has a moment to end; past it, the process ends
    // without it, and what it held (temporary files, locks) goes first.
    std::mutex mutex;
    std::condition_variable stopped;
    bool done = false;
    std::thread stopper([&] {
      server.stop();
      std::lock_guard lock(mutex);
      done = true;
      stopped.notify_all();
    });
    std::unique_lock lock(mutex);
    if (!stopped.wait_for(lock, kStopWithin, [&] { return done; })) {
      platform::remove_leftovers();
      server.abandon();
      std::cout << "Stopped; the request in progress was abandoned.\n";
      tell_unsaved();
      std::cout << std::flush;
      std::_Exit(0);
    }
    lock.unlock();
    stopper.join();
    std::cout << "Stopped.\n";
    tell_unsaved();
    return 0;
  } catch (const com::Error& e) {
    failure = e.message();
  } catch (const std::exception& e) {
    failure = e.what();
  } catch (...) {
    failure = "the editor stopped on an unknown exception";
  }
  return 1;
}
