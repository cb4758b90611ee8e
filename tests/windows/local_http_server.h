// A scripted HTTP server on 127.0.0.1 for the Windows tests: every connection gets the same canned
// answer. Runs on its own thread, never longer than its time limit.
#pragma once

#include <winsock2.h>

#include <atomic>
#include <chrono>
#include <cstdint>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace korvan::testing {

class LocalHttpServer {
 public:
  // stall: read the request and then send nothing until the server stops.
  // port 0 takes any free port.
  // reset: after the answer and a short pause, end the connection with a TCP reset instead of an
  // orderly close, as a server that dies halfway does.
  explicit LocalHttpServer(std::string answer,
                           bool stall = false,
                           std::uint16_t port = 0,
                           std::chrono::seconds limit = std::chrono::seconds(60),
                           bool reset = false);
  ~LocalHttpServer();
  LocalHttpServer(const LocalHttpServer&) = delete;
  LocalHttpServer& operator=(const LocalHttpServer&) = delete;

  bool Listening() const { return listener_ != INVALID_SOCKET; }
  std::uint16_t Port() const { return port_; }
  std::string Url(const std::string& path) const;
  // The request heads received so far, up to and including the blank line.
  std::vector<std::string> Requests();

 private:
  void Serve();
  void Answer(SOCKET connection);

  std::string answer_;
  bool stall_;
  bool reset_;
  std::chrono::steady_clock::time_point deadline_;
  SOCKET listener_ = INVALID_SOCKET;
  std::uint16_t port_ = 0;
  std::atomic<bool> stop_{false};
  std::mutex mutex_;
  std::vector<std::string> requests_;
  std::thread thread_;
};

// A port on 127.0.0.1 that nothing listens on (taken and released at once).
std::uint16_t ClosedLocalPort();

}  // namespace korvan::testing
