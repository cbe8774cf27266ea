// TidewiseEditor.so: the browser editor, loaded by `tidewise serve` alone.
// The HTTP library brings OpenSSL with it, whose start-up costs every process
// that links it several milliseconds; in a module of its own only the editor
// pays that, not each show, edit, import or export.
//
// The module holds its own copy of the host's objects, hidden from the tool's:
// the tool hands over the options and waits, and every exception stays on
// this side of the entry point.

#include <signal.h>

#include <iostream>
#include <string>

#include "server.h"
#include "tidewise/com/error.h"
#include "tidewise/host/session.h"

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
    pthread_sigmask(SIG_BLOCK, &stop_signals, nullptr);

    server::EditorServer server(options);
    server.start();
    std::cout << "Tidewise editor on "
              << std::filesystem::absolute(options.catalog).lexically_normal().string() << "\nOpen "
              << server.address() << "\nPress Ctrl-C to stop.\n"
              << std::flush;
    int signal = 0;
    sigwait(&stop_signals, &signal);
    server.stop();
    std::cout << "Stopped.\n";
    return 0;
  } catch (const com::Error& e) {
    failure = std::string(e.what()) + " (" + com::hresult_hex(e.code()) + ")";
  } catch (const std::exception& e) {
    failure = e.what();
  } catch (...) {
    failure = "the editor stopped on an unknown exception";
  }
  return 1;
}
