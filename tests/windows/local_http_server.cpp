#include "local_http_server.h"

#include <ws2tcpip.h>

namespace korvan::testing {
namespace {

struct WinsockUser {
  WinsockUser() {
    WSADATA data{};
    ::WSAStartup(MAKEWORD(2, 2), &data);
  }
  ~WinsockUser() { ::WSACleanup(); }
};

void EnsureWinsock() { static const WinsockUser user; }

SOCKET ListenOnLoopback(std::uint16_t port, std::uint16_t& boundPort) {
  EnsureWinsock();
  SOCKET listener = ::socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
  if (listener == INVALID_SOCKET) return INVALID_SOCKET;
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  address.sin_port = htons(port);
  int addressSize = sizeof(address);
  if (::bind(listener, reinterpret_cast<sockaddr*>(&address), sizeof(address)) != 0 || ::listen(listener, 8) != 0 ||
      ::getsockname(listener, reinterpret_cast<sockaddr*>(&address), &addressSize) != 0) {
    ::closesocket(listener);
    return INVALID_SOCKET;
  }
  boundPort = ntohs(address.sin_port);
  return listener;
}

// Waits at most the given time for the socket to become readable.
bool Readable(SOCKET socket, int milliseconds) {
  fd_set set;
  FD_ZERO(&set);
  FD_SET(socket, &set);
  timeval wait{milliseconds / 1000, (milliseconds % 1000) * 1000};
  return ::select(0, &set, nullptr, nullptr, &wait) == 1;
}

}  // namespace

LocalHttpServer::LocalHttpServer(std::string answer,
                                 bool stall,
                                 std::uint16_t port,
                                 std::chrono::seconds limit,
                                 bool reset)
    : answer_(std::move(answer)), stall_(stall), reset_(reset), deadline_(std::chrono::steady_clock::now() + limit) {
  listener_ = ListenOnLoopback(port, port_);
  if (listener_ != INVALID_SOCKET) thread_ = std::thread([this] { Serve(); });
}

LocalHttpServer::~LocalHttpServer() {
  stop_ = true;
  if (thread_.joinable()) thread_.join();
  if (listener_ != INVALID_SOCKET) ::closesocket(listener_);
}

std::string LocalHttpServer::Url(const std::string& path) const {
  return "http://127.0.0.1:" + std::to_string(port_) + path;
}

std::vector<std::string> LocalHttpServer::Requests() {
  const std::lock_guard<std::mutex> lock(mutex_);
  return requests_;
}

void LocalHttpServer::Serve() {
  while (!stop_ && std::chrono::steady_clock::now() < deadline_) {
    if (!Readable(listener_, 100)) continue;
    const SOCKET connection = ::accept(listener_, nullptr, nullptr);
    if (connection == INVALID_SOCKET) continue;
    Answer(connection);
    ::closesocket(connection);
  }
}

void LocalHttpServer::Answer(SOCKET connection) {
  std::string head;
  char buffer[4096];
  while (head.find("\r\n\r\n") == std::string::npos && !stop_ && std::chrono::steady_clock::now() < deadline_) {
    if (!Readable(connection, 100)) continue;
    const int received = ::recv(connection, buffer, sizeof(buffer), 0);
    if (received <= 0) break;
    head.append(buffer, static_cast<std::size_t>(received));
  }
  {
    const std::lock_guard<std::mutex> lock(mutex_);
    requests_.push_back(head);
  }
  if (stall_) {
    while (!stop_ && std::chrono::steady_clock::now() < deadline_)
      ::Sleep(50);
    return;
  }
  std::size_t sent = 0;
  while (sent < answer_.size()) {
    const int piece = ::send(connection, answer_.data() + sent, static_cast<int>(answer_.size() - sent), 0);
    if (piece <= 0) break;
    sent += static_cast<std::size_t>(piece);
  }
  if (reset_) {
    // The client takes in what came; then linger 0 makes the close a reset.
    ::Sleep(300);
    const linger abort{1, 0};
    ::setsockopt(connection, SOL_SOCKET, SO_LINGER, reinterpret_cast<const char*>(&abort), sizeof(abort));
    return;
  }
  ::shutdown(connection, SD_SEND);
  // Let the client read to the end before the socket goes away.
  while (Readable(connection, 2000) && ::recv(connection, buffer, sizeof(buffer), 0) > 0) {
  }
}

std::uint16_t ClosedLocalPort() {
  std::uint16_t port = 0;
  const SOCKET probe = ListenOnLoopback(0, port);
  if (probe != INVALID_SOCKET) ::closesocket(probe);
  return port;
}

}  // namespace korvan::testing
