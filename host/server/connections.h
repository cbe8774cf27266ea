#pragma once
// How the editor's HTTP server takes its connections. The HTTP library gives
// each connection a worker thread from accept to close, and a worker waits as
// long as a client takes to send: eight clients sending a header line a
// second held every worker, and idle connections kept them waiting for
// minutes. Here one thread receives the request line and headers of every
// connection at once, within a time limit, and a worker is given only a
// request whose headers are all there; requests that carry the editor's token
// go first. A connection that sends nothing for a while is closed, one that
// sends its headers too slowly gets 408, and past the number of connections
// the editor keeps open, the one that has waited longest without a request
// is let go.

#include <httplib.h>

#include <chrono>
#include <condition_variable>
#include <cstddef>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

namespace tw::server {

struct ConnectionLimits {
  // Nothing received for this long, before a request or between two: closed.
  std::chrono::milliseconds idle{5000};
  // From its first byte, a request's line and headers arrive within this.
  std::chrono::milliseconds head{10000};
  // From its headers, its body arrives within this.
  std::chrono::milliseconds body{30000};
  std::size_t head_bytes = std::size_t{64} << 10;
  std::size_t connections = 512;  // kept open at once
  std::size_t workers = 8;
  std::size_t requests_per_connection = 100;
};

class GuardedServer final : public httplib::Server {
 public:
  // `trusted` tells from a request's line and headers whether it carries
  // the editor's token; it only decides which request is answered first.
  GuardedServer(ConnectionLimits limits, std::function<bool(std::string_view head)> trusted);
  ~GuardedServer() override;
  GuardedServer(const GuardedServer&) = delete;
  GuardedServer& operator=(const GuardedServer&) = delete;

  // Once bound: room for a burst of connections in the listening queue (the
  // library asks for five).
  void widen_backlog();
  // Stops listening, closes the connections it holds and waits for the
  // workers, which finish the request each one is answering.
  void shut();

  struct Connection;

 private:
  bool process_and_close_socket(socket_t sock) override;
  void receive();
  void work();
  // From the reception: a connection whose request's headers are all there.
  void ready(std::unique_ptr<Connection> connection);
  // Into the reception: a new connection, or one after its answer.
  void wait_for_request(std::unique_ptr<Connection> connection);
  void wake();

  const ConnectionLimits limits_;
  const std::function<bool(std::string_view)> trusted_;
  int wake_fd_ = -1;

  std::mutex mutex_;
  std::condition_variable work_ready_;
  std::vector<std::unique_ptr<Connection>> arriving_;  // for the reception
  std::deque<std::unique_ptr<Connection>> trusted_queue_, other_queue_;
  std::size_t open_ = 0;  // every connection held, wherever it is
  bool shutting_ = false;

  std::thread reception_;
  std::vector<std::thread> workers_;
};

}  // namespace tw::server
