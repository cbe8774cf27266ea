// The editor keeps answering while other connections dawdle: clients that
// send their headers a line a second, connections that send nothing, and a
// burst of requests all at once. None of them needs the token.

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>

#include <atomic>
#include <chrono>
#include <thread>

#include "server/server_fixture.h"

namespace tw::server {
namespace {

using Clock = std::chrono::steady_clock;

class ConnectionsTest : public ServerTest {
 protected:
  // A connection to the server, not yet sending anything.
  int connect_raw() const {
    const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(static_cast<std::uint16_t>(server_->port()));
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    EXPECT_EQ(::connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
    return fd;
  }

  std::string request_text(const std::string& body) const {
    return "POST /api/catalog HTTP/1.1\r\nHost: " + local_host() +
           "\r\nX-Tidewise-Token: " + kToken +
           "\r\nContent-Type: application/json\r\nConnection: close\r\nContent-Length: " +
           std::to_string(body.size()) + "\r\n\r\n" + body;
  }

  // The catalog as the page asks for it, on a connection of its own; the
  // status, or 0 when no answer came within `patience`.
  int ask_catalog(std::chrono::seconds patience) const {
    httplib::Client client("127.0.0.1", server_->port());
    client.set_connection_timeout(patience);
    client.set_read_timeout(patience);
    const auto result =
        client.Post("/api/catalog", {{"X-Tidewise-Token", kToken}, {"Host", local_host()}}, "{}",
                    "application/json");
    return result ? result->status : 0;
  }
};

// Sixteen clients each send a header line a second and never finish: the
// requests of the page are answered meanwhile, and the dawdlers are cut off
// with 408 once their time is up.
TEST_F(ConnectionsTest, ClientsThatSendSlowlyHoldUpNoRequest) {
  start();
  std::atomic<bool> done{false};
  std::vector<int> slow;
  slow.reserve(16);
  for (int i = 0; i < 16; ++i) slow.push_back(connect_raw());
  std::thread drip([&] {
    const std::string start = "POST /api/catalog HTTP/1.1\r\n";
    for (const int fd : slow) ::send(fd, start.data(), start.size(), MSG_NOSIGNAL);
    for (int line = 0; !done && line < 40; ++line) {
      const std::string header = "X-Line-" + std::to_string(line) + ": dripping\r\n";
      for (const int fd : slow) ::send(fd, header.data(), header.size(), MSG_NOSIGNAL);
      std::this_thread::sleep_for(std::chrono::seconds(1));
    }
  });
  std::this_thread::sleep_for(std::chrono::milliseconds(300));
  for (int i = 0; i < 5; ++i) EXPECT_EQ(ask_catalog(std::chrono::seconds(20)), 200) << i;

  // Cut off, with a word: their headers did not arrive in time.
  std::string answer;
  char buffer[4096];
  pollfd p{slow.front(), POLLIN, 0};
  while (::poll(&p, 1, 30'000) > 0) {
    const ssize_t n = ::recv(slow.front(), buffer, sizeof buffer, 0);
    if (n <= 0) break;
    answer.append(buffer, static_cast<std::size_t>(n));
  }
  EXPECT_EQ(answer.rfind("HTTP/1.1 408 ", 0), 0u) << answer;
  EXPECT_NE(answer.find("did not arrive in time"), std::string::npos) << answer;
  done = true;
  drip.join();
  for (const int fd : slow) ::close(fd);
}

// Five hundred connections that send nothing: the page's request is answered
// meanwhile. Then five hundred requests sent at once: each is answered, none
// reset.
TEST_F(ConnectionsTest, IdleConnectionsAndABurstOfRequestsAreAllServed) {
  start();
  std::vector<int> idle;
  idle.reserve(500);
  for (int i = 0; i < 500; ++i) idle.push_back(connect_raw());
  std::this_thread::sleep_for(std::chrono::milliseconds(300));
  EXPECT_EQ(ask_catalog(std::chrono::seconds(20)), 200);
  for (const int fd : idle) ::close(fd);

  const std::string text = request_text("{}");
  std::vector<int> burst;
  burst.reserve(500);
  for (int i = 0; i < 500; ++i) burst.push_back(connect_raw());
  for (const int fd : burst) ::send(fd, text.data(), text.size(), MSG_NOSIGNAL);
  int answered = 0, reset = 0;
  for (const int fd : burst) {
    std::string answer;
    char buffer[16384];
    pollfd p{fd, POLLIN, 0};
    for (ssize_t n = 1; n > 0 && ::poll(&p, 1, 60'000) > 0;) {
      n = ::recv(fd, buffer, sizeof buffer, 0);
      if (n > 0) answer.append(buffer, static_cast<std::size_t>(n));
      reset += n < 0 ? 1 : 0;
    }
    answered += answer.rfind("HTTP/1.1 200 ", 0) == 0 ? 1 : 0;
    ::close(fd);
  }
  EXPECT_EQ(reset, 0);
  EXPECT_EQ(answered, 500);
}

// A request refused before its body is read (no token), its body's length
// given or sent in chunks as Node.js sends it: on the same connection, the
// next request is read as itself, not from that body.
TEST_F(ConnectionsTest, ARefusedRequestsBodyIsNotReadAsTheNextRequest) {
  start();
  const std::string value = std::string(10'000, 'x');
  const std::string head = "POST /api/open-item HTTP/1.1\r\nHost: " + local_host() +
                           "\r\nContent-Type: application/json\r\n";
  const std::string body = R"({"item":")" + value + R"("})";
  char size[16];
  std::snprintf(size, sizeof size, "%zx", body.size());
  for (const std::string& refused :
       {head + "Content-Length: " + std::to_string(body.size()) + "\r\n\r\n" + body,
        head + "Transfer-Encoding: chunked\r\n\r\n" + size + "\r\n" + body + "\r\n0\r\n\r\n"}) {
    const int fd = connect_raw();
    const std::string text = refused + request_text("{}");
    ASSERT_EQ(::send(fd, text.data(), text.size(), MSG_NOSIGNAL),
              static_cast<ssize_t>(text.size()));
    std::string answers;
    char buffer[16384];
    pollfd p{fd, POLLIN, 0};
    for (ssize_t n = 1; n > 0 && ::poll(&p, 1, 20'000) > 0;) {
      n = ::recv(fd, buffer, sizeof buffer, 0);
      if (n > 0) answers.append(buffer, static_cast<std::size_t>(n));
    }
    ::close(fd);
    EXPECT_EQ(answers.rfind("HTTP/1.1 403 ", 0), 0u) << answers.substr(0, 200);
    EXPECT_NE(answers.find("HTTP/1.1 200 ", 1), std::string::npos) << answers.substr(0, 400);
  }
}

// What the HTTP library refuses on its own is said as the editor says things.
TEST_F(ConnectionsTest, ARequestTooLargeIsToldSo) {
  start();
  const std::string body(50u << 20, ' ');
  const Reply reply = send("POST", "/api/catalog", body);
  EXPECT_EQ(reply.status, 413);
  EXPECT_EQ(reply.body["error"], "the request is larger than 48 MiB, the most the editor takes");
}

}  // namespace
}  // namespace tw::server
