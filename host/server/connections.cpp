#include "connections.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/eventfd.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstdlib>
#include <optional>
#include <utility>

namespace tw::server {

using Clock = std::chrono::steady_clock;

namespace {

// How long one wait for the other side to take or give bytes may last.
constexpr std::chrono::milliseconds kStreamWait{5000};

int millis_until(Clock::time_point when) {
  const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(when - Clock::now());
  return static_cast<int>(std::clamp<std::int64_t>(left.count(), 0, 60'000));
}

// An answer the reception gives itself before closing: the connection never
// reached the editor.
void answer_and_close(int fd, int status, std::string_view reason, std::string_view message) {
  const std::string body = "{\"error\":\"" + std::string(message) + "\"}";
  const std::string text = "HTTP/1.1 " + std::to_string(status) + " " + std::string(reason) +
                           "\r\nContent-Type: application/json; charset=utf-8\r\n"
                           "Cache-Control: no-store\r\nConnection: close\r\nContent-Length: " +
                           std::to_string(body.size()) + "\r\n\r\n" + body;
  // Best effort: the socket does not wait, and whatever does not fit is lost.
  (void)::send(fd, text.data(), text.size(), MSG_NOSIGNAL | MSG_DONTWAIT);
  ::shutdown(fd, SHUT_RDWR);
  ::close(fd);
}

void address_of(int fd, bool peer, std::string& ip, int& port) {
  sockaddr_storage address{};
  socklen_t length = sizeof address;
  const int got = peer ? ::getpeername(fd, reinterpret_cast<sockaddr*>(&address), &length)
                       : ::getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length);
  if (got != 0) return;
  char text[INET6_ADDRSTRLEN] = {};
  if (address.ss_family == AF_INET) {
    const auto* in = reinterpret_cast<const sockaddr_in*>(&address);
    ::inet_ntop(AF_INET, &in->sin_addr, text, sizeof text);
    port = ntohs(in->sin_port);
  } else if (address.ss_family == AF_INET6) {
    const auto* in = reinterpret_cast<const sockaddr_in6*>(&address);
    ::inet_ntop(AF_INET6, &in->sin6_addr, text, sizeof text);
    port = ntohs(in->sin6_port);
  }
  ip = text;
}

}  // namespace

struct GuardedServer::Connection {
  int fd = -1;
  std::string received;  // bytes not yet handed to the parser, from `taken` on
  std::size_t taken = 0;
  Clock::time_point waiting_since;  // for this request
  Clock::time_point first_byte;
  bool has_bytes = false;
  std::size_t answered = 0;
  // The bytes the request now answered takes: its headers, and its body when
  // its length is given (not chunked).
  std::size_t head_bytes = 0;
  std::size_t body_bytes = 0;
  bool chunked = false;

  std::string_view pending() const { return std::string_view(received).substr(taken); }
  // Where the request's headers end, if they are all there.
  std::size_t head_end() const { return pending().find("\r\n\r\n"); }
  void forget_taken() {
    received.erase(0, taken);
    taken = 0;
  }
  ~Connection() {
    if (fd >= 0) {
      ::shutdown(fd, SHUT_RDWR);
      ::close(fd);
    }
  }
};

namespace {

// The value of header `name` in a request's headers, if it is there.
std::optional<std::string_view> header_value(std::string_view head, std::string_view name) {
  for (std::size_t line = head.find("\r\n"); line != std::string_view::npos;) {
    const std::size_t start = line + 2;
    const std::size_t end = std::min(head.size(), head.find("\r\n", start));
    const std::string_view field = head.substr(start, end - start);
    const auto colon = field.find(':');
    if (colon == name.size() &&
        std::equal(name.begin(), name.end(), field.begin(), [](char a, char b) {
          return std::tolower(static_cast<unsigned char>(a)) ==
                 std::tolower(static_cast<unsigned char>(b));
        })) {
      std::string_view value = field.substr(colon + 1);
      while (!value.empty() && (value.front() == ' ' || value.front() == '\t'))
        value.remove_prefix(1);
      while (!value.empty() && (value.back() == ' ' || value.back() == '\t'))
        value.remove_suffix(1);
      return value;
    }
    line = end == head.size() ? std::string_view::npos : end;
  }
  return std::nullopt;
}

// The length of a request's body from its headers; nothing when the
// headers give none that can be read.
std::optional<std::size_t> body_length(std::string_view head) {
  const auto value = header_value(head, "Content-Length");
  if (!value) return 0;
  if (value->empty() || value->size() > 12 ||
      value->find_first_not_of("0123456789") != std::string_view::npos) {
    return std::nullopt;
  }
  return static_cast<std::size_t>(std::stoull(std::string(*value)));
}

// The most of a body left unread (a request refused before its body was
// read) that is read and dropped to keep the connection: past it, the
// connection is closed instead.
constexpr std::size_t kMostDropped = std::size_t{4} << 20;

// The stream the library parses a request from and writes its answer to:
// first what the reception received, then the socket, each wait bounded, and
// the whole request by its deadline.
class ConnectionStream final : public httplib::Stream {
 public:
  ConnectionStream(GuardedServer::Connection& connection, Clock::time_point deadline)
      : connection_(connection), deadline_(deadline) {}

  bool is_readable() const override {
    return !connection_.pending().empty() || wait(POLLIN, deadline_);
  }
  bool is_writable() const override { return wait(POLLOUT, Clock::now() + kStreamWait); }

  ssize_t read(char* ptr, size_t size) override {
    if (const std::string_view pending = connection_.pending(); !pending.empty()) {
      const std::size_t n = std::min(size, pending.size());
      std::copy_n(pending.data(), n, ptr);
      connection_.taken += n;
      read_ += n;
      return static_cast<ssize_t>(n);
    }
    for (;;) {
      if (!wait(POLLIN, deadline_)) return -1;
      const ssize_t n = ::recv(connection_.fd, ptr, size, 0);
      if (n < 0 && (errno == EINTR || errno == EAGAIN)) continue;
      if (n > 0) read_ += static_cast<std::size_t>(n);
      return n;
    }
  }

  // The bytes of the connection read through this stream.
  std::size_t bytes_read() const { return read_; }

  ssize_t write(const char* ptr, size_t size) override {
    for (;;) {
      if (!wait(POLLOUT, Clock::now() + kStreamWait)) return -1;
      const ssize_t n = ::send(connection_.fd, ptr, size, MSG_NOSIGNAL);
      if (n < 0 && (errno == EINTR || errno == EAGAIN)) continue;
      return n;
    }
  }

  void get_remote_ip_and_port(std::string& ip, int& port) const override {
    address_of(connection_.fd, true, ip, port);
  }
  void get_local_ip_and_port(std::string& ip, int& port) const override {
    address_of(connection_.fd, false, ip, port);
  }
  socket_t socket() const override { return connection_.fd; }

 private:
  // Whether the socket is ready before `until` (and within one wait).
  bool wait(short events, Clock::time_point until) const {
    until = std::min(until, Clock::now() + kStreamWait);
    for (;;) {
      pollfd p{connection_.fd, events, 0};
      const int n = ::poll(&p, 1, millis_until(until));
      if (n < 0 && errno == EINTR) continue;
      return n > 0 && (p.revents & (events | POLLHUP | POLLERR)) != 0;
    }
  }

  GuardedServer::Connection& connection_;
  Clock::time_point deadline_;
  std::size_t read_ = 0;
};

// Reads and drops `count` bytes of the stream; false past kMostDropped or
// when they do not come.
bool drop(ConnectionStream& stream, std::size_t count) {
  if (count > kMostDropped) return false;
  char dropped[8192];
  while (count > 0) {
    const ssize_t got = stream.read(dropped, std::min(count, sizeof dropped));
    if (got <= 0) return false;
    count -= static_cast<std::size_t>(got);
  }
  return true;
}

// Reads and drops a chunked body, its last chunk and trailers included.
bool drop_chunks(ConnectionStream& stream) {
  std::size_t total = 0;
  const auto line = [&](std::string& text) {
    text.clear();
    for (char c = 0; text.size() < 1024;) {
      if (stream.read(&c, 1) != 1) return false;
      if (c == '\n') return true;
      if (c != '\r') text += c;
    }
    return false;
  };
  std::string text;
  for (;;) {
    if (!line(text)) return false;
    const std::size_t size = std::strtoull(text.c_str(), nullptr, 16);
    if (size == 0) break;
    total += size;
    if (total > kMostDropped || !drop(stream, size) || !line(text) || !text.empty()) return false;
  }
  do {
    if (!line(text)) return false;  // trailers, up to the empty line
  } while (!text.empty());
  return true;
}

// The library's accept loop hands each connection to its task queue: here
// it is handed on at once, to the reception.
class HandOver final : public httplib::TaskQueue {
 public:
  void enqueue(std::function<void()> fn) override { fn(); }
  void shutdown() override {}
};

}  // namespace

GuardedServer::GuardedServer(ConnectionLimits limits, std::function<bool(std::string_view)> trusted)
    : limits_(limits), trusted_(std::move(trusted)) {
  wake_fd_ = ::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
  if (wake_fd_ < 0) throw std::runtime_error("cannot create the editor's event descriptor");
  new_task_queue = [] { return new HandOver; };
  reception_ = std::thread([this] { receive(); });
  for (std::size_t i = 0; i < std::max<std::size_t>(1, limits_.workers); ++i) {
    workers_.emplace_back([this] { work(); });
  }
}

GuardedServer::~GuardedServer() {
  shut();
  ::close(wake_fd_);
}

void GuardedServer::widen_backlog() {
  if (const socket_t sock = svr_sock_; sock != INVALID_SOCKET) ::listen(sock, SOMAXCONN);
}

void GuardedServer::shut() {
  stop();
  {
    std::lock_guard lock(mutex_);
    shutting_ = true;
  }
  wake();
  work_ready_.notify_all();
  if (reception_.joinable()) reception_.join();
  for (std::thread& worker : workers_) {
    if (worker.joinable()) worker.join();
  }
  std::lock_guard lock(mutex_);
  arriving_.clear();
  trusted_queue_.clear();
  other_queue_.clear();
}

void GuardedServer::wake() {
  const std::uint64_t one = 1;
  (void)::write(wake_fd_, &one, sizeof one);
}

bool GuardedServer::process_and_close_socket(socket_t sock) {
  ::fcntl(sock, F_SETFL, ::fcntl(sock, F_GETFL) | O_NONBLOCK);
  auto connection = std::make_unique<Connection>();
  connection->fd = sock;
  connection->waiting_since = Clock::now();
  {
    std::lock_guard lock(mutex_);
    if (shutting_) return false;  // closed by the connection going
    ++open_;
  }
  wait_for_request(std::move(connection));
  return true;
}

void GuardedServer::wait_for_request(std::unique_ptr<Connection> connection) {
  {
    std::lock_guard lock(mutex_);
    arriving_.push_back(std::move(connection));
  }
  wake();
}

void GuardedServer::ready(std::unique_ptr<Connection> connection) {
  const std::string_view head = connection->pending().substr(0, connection->head_end());
  const bool trusted = trusted_(head);
  connection->head_bytes = head.size() + 4;
  connection->chunked = header_value(head, "Transfer-Encoding").has_value();
  // A length that cannot be read: the connection is not used again.
  connection->body_bytes = body_length(head).value_or(kMostDropped + 1);
  {
    std::lock_guard lock(mutex_);
    (trusted ? trusted_queue_ : other_queue_).push_back(std::move(connection));
  }
  work_ready_.notify_one();
}

void GuardedServer::receive() {
  std::vector<std::unique_ptr<Connection>> waiting;
  const auto close = [&](std::size_t i) {
    waiting.erase(waiting.begin() + static_cast<std::ptrdiff_t>(i));
    std::lock_guard lock(mutex_);
    --open_;
  };
  for (;;) {
    {
      std::unique_lock lock(mutex_);
      if (shutting_) {
        open_ -= waiting.size();
        return;  // the connections close as they go
      }
      for (auto& connection : arriving_) waiting.push_back(std::move(connection));
      arriving_.clear();
      // Past the limit, the connections that waited longest without sending
      // a request make room: first those that sent nothing.
      while (open_ > limits_.connections && !waiting.empty()) {
        const auto oldest =
            std::min_element(waiting.begin(), waiting.end(), [](const auto& a, const auto& b) {
              return std::make_pair(a->has_bytes, a->waiting_since) <
                     std::make_pair(b->has_bytes, b->waiting_since);
            });
        if ((*oldest)->has_bytes) {
          answer_and_close(std::exchange((*oldest)->fd, -1), 503, "Service Unavailable",
                           "the editor has too many connections open");
        }
        waiting.erase(oldest);
        --open_;
      }
    }
    // A returned connection may hold its next request already.
    for (std::size_t i = waiting.size(); i-- > 0;) {
      if (waiting[i]->head_end() != std::string_view::npos) {
        ready(std::move(waiting[i]));
        waiting.erase(waiting.begin() + static_cast<std::ptrdiff_t>(i));
      }
    }

    const Clock::time_point now = Clock::now();
    Clock::time_point next = now + std::chrono::seconds(1);
    for (std::size_t i = waiting.size(); i-- > 0;) {
      Connection& c = *waiting[i];
      const Clock::time_point limit =
          c.has_bytes ? c.first_byte + limits_.head : c.waiting_since + limits_.idle;
      if (now < limit) {
        next = std::min(next, limit);
        continue;
      }
      // An idle connection is let go quietly, as browsers expect; a request
      // that did not arrive in time is told so.
      if (c.has_bytes) {
        answer_and_close(std::exchange(c.fd, -1), 408, "Request Timeout",
                         "the request's headers did not arrive in time");
      }
      close(i);
    }

    std::vector<pollfd> polls{{wake_fd_, POLLIN, 0}};
    for (const auto& c : waiting) polls.push_back({c->fd, POLLIN, 0});
    if (::poll(polls.data(), polls.size(), millis_until(next)) < 0 && errno != EINTR) {
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
      continue;
    }
    if (polls[0].revents != 0) {
      std::uint64_t count = 0;
      (void)::read(wake_fd_, &count, sizeof count);
    }
    for (std::size_t i = polls.size() - 1; i >= 1; --i) {
      if (polls[i].revents == 0) continue;
      Connection& c = *waiting[i - 1];
      char buffer[8192];
      const ssize_t n = ::recv(c.fd, buffer, sizeof buffer, 0);
      if (n < 0 && (errno == EAGAIN || errno == EINTR)) continue;
      if (n <= 0) {
        close(i - 1);
        continue;
      }
      if (!c.has_bytes) {
        c.has_bytes = true;
        c.first_byte = Clock::now();
      }
      c.forget_taken();
      c.received.append(buffer, static_cast<std::size_t>(n));
      if (c.head_end() != std::string_view::npos) {
        ready(std::move(waiting[i - 1]));
        waiting.erase(waiting.begin() + static_cast<std::ptrdiff_t>(i - 1));
      } else if (c.received.size() > limits_.head_bytes) {
        answer_and_close(std::exchange(c.fd, -1), 431, "Request Header Fields Too Large",
                         "the request's headers are too large");
        close(i - 1);
      }
    }
  }
}

void GuardedServer::work() {
  for (;;) {
    std::unique_ptr<Connection> connection;
    {
      std::unique_lock lock(mutex_);
      work_ready_.wait(
          lock, [&] { return shutting_ || !trusted_queue_.empty() || !other_queue_.empty(); });
      if (shutting_) return;
      auto& queue = trusted_queue_.empty() ? other_queue_ : trusted_queue_;
      connection = std::move(queue.front());
      queue.pop_front();
    }
    ConnectionStream stream(*connection, Clock::now() + limits_.body);
    const bool last = ++connection->answered >= limits_.requests_per_connection;
    bool closed = false;
    const bool answered = process_request(stream, last, closed, nullptr);
    bool keep = answered && !closed && !last;
    // A body the editor did not read (a request refused before it) would be
    // read as the next request: it is dropped, or the connection closed.
    if (keep && stream.bytes_read() == connection->head_bytes) {
      keep = connection->chunked ? drop_chunks(stream) : drop(stream, connection->body_bytes);
    } else if (keep && !connection->chunked) {
      const std::size_t read = stream.bytes_read() - connection->head_bytes;
      keep = read <= connection->body_bytes && drop(stream, connection->body_bytes - read);
    }
    {
      std::lock_guard lock(mutex_);
      if (shutting_) keep = false;
      if (!keep) --open_;
    }
    if (!keep) continue;  // the connection closes as it goes
    connection->forget_taken();
    connection->has_bytes = !connection->received.empty();
    connection->waiting_since = connection->first_byte = Clock::now();
    wait_for_request(std::move(connection));
  }
}

}  // namespace tw::server
