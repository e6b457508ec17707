#include "support/checkin_server.h"

#include <ws2tcpip.h>

#include <algorithm>
#include <chrono>
#include <stdexcept>

namespace quorvane::test {

namespace {

constexpr std::size_t kMaxRequestBytes = 1 << 20;

struct WinsockUser {
  WinsockUser() {
    WSADATA data{};
    if (WSAStartup(MAKEWORD(2, 2), &data) != 0) throw std::runtime_error("cannot start Winsock");
  }
  ~WinsockUser() { WSACleanup(); }
};

void UseWinsock() { static WinsockUser user; }

std::string Lower(std::string text) {
  std::transform(text.begin(), text.end(), text.begin(),
                 [](char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; });
  return text;
}

std::string Trimmed(const std::string& text) {
  const auto first = text.find_first_not_of(" \t");
  if (first == std::string::npos) return {};
  return text.substr(first, text.find_last_not_of(" \t") - first + 1);
}

// A socket bound to 127.0.0.1 at a port that the system chooses, and that port.
SOCKET BoundLoopbackSocket(int& port) {
  UseWinsock();
  const SOCKET socket = ::socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
  if (socket == INVALID_SOCKET) throw std::runtime_error("cannot make a socket");
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  address.sin_port = 0;
  int length = sizeof address;
  if (bind(socket, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
      getsockname(socket, reinterpret_cast<sockaddr*>(&address), &length) != 0) {
    closesocket(socket);
    throw std::runtime_error("cannot bind a socket to 127.0.0.1");
  }
  port = ntohs(address.sin_port);
  return socket;
}

std::wstring LoopbackUrl(int port) { return L"http://127.0.0.1:" + std::to_wstring(port) + L"/api.init.php"; }

// The request's head, up to the empty line; empty when the connection ends before it.
std::string ReadRequestHead(SOCKET connection) {
  std::string received;
  char buffer[4096];
  while (received.find("\r\n\r\n") == std::string::npos && received.size() < kMaxRequestBytes) {
    const int count = recv(connection, buffer, sizeof buffer, 0);
    if (count <= 0) return {};
    received.append(buffer, static_cast<std::size_t>(count));
  }
  return received.substr(0, received.find("\r\n\r\n"));
}

ReceivedRequest ParseRequest(const std::string& head) {
  ReceivedRequest request;
  std::size_t start = 0;
  bool first = true;
  while (start <= head.size()) {
    std::size_t end = head.find("\r\n", start);
    if (end == std::string::npos) end = head.size();
    const std::string line = head.substr(start, end - start);
    if (first) {
      request.requestLine = line;
      first = false;
    } else if (const auto colon = line.find(':'); colon != std::string::npos) {
      request.headers.emplace_back(line.substr(0, colon), Trimmed(line.substr(colon + 1)));
    }
    start = end + 2;
  }
  return request;
}

std::string ReasonPhrase(int status) {
  switch (status) {
    case 200:
      return "OK";
    case 404:
      return "Not Found";
    case 500:
      return "Internal Server Error";
    default:
      return "Status";
  }
}

void SendAll(SOCKET connection, const std::string& bytes) {
  std::size_t sent = 0;
  while (sent < bytes.size()) {
    const int count =
        send(connection, bytes.data() + sent, static_cast<int>(std::min<std::size_t>(bytes.size() - sent, 1 << 16)), 0);
    if (count <= 0) return;
    sent += static_cast<std::size_t>(count);
  }
}

}  // namespace

ServerAnswer Reply(int status, std::string body, DWORD delayMilliseconds) {
  ServerAnswer answer;
  answer.status = status;
  answer.body = std::move(body);
  answer.delayMilliseconds = delayMilliseconds;
  return answer;
}

ServerAnswer ResetConnection() {
  ServerAnswer answer;
  answer.reset = true;
  return answer;
}

std::string ReceivedRequest::Header(const std::string& name) const {
  for (const auto& [headerName, value] : headers) {
    if (Lower(headerName) == Lower(name)) return value;
  }
  return {};
}

std::vector<std::string> ReceivedRequest::NamesStartingWith(const std::string& prefix) const {
  std::vector<std::string> names;
  for (const auto& [name, value] : headers) {
    if (Lower(name).starts_with(Lower(prefix))) names.push_back(name);
  }
  return names;
}

CheckInServer::CheckInServer() {
  listener_ = BoundLoopbackSocket(port_);
  if (listen(listener_, SOMAXCONN) != 0) {
    closesocket(listener_);
    throw std::runtime_error("cannot listen on 127.0.0.1");
  }
  thread_ = std::thread([this] { Serve(); });
}

CheckInServer::~CheckInServer() {
  {
    const std::lock_guard lock(mutex_);
    stopping_ = true;
  }
  closesocket(listener_);
  thread_.join();
}

std::wstring CheckInServer::Url() const { return LoopbackUrl(port_); }

RefusingAddress::RefusingAddress() : socket_(BoundLoopbackSocket(port_)) {}

RefusingAddress::~RefusingAddress() { closesocket(socket_); }

std::wstring RefusingAddress::Url() const { return LoopbackUrl(port_); }

void CheckInServer::QueueAnswers(std::vector<ServerAnswer> answers) {
  const std::lock_guard lock(mutex_);
  queued_.insert(queued_.end(), answers.begin(), answers.end());
}

void CheckInServer::SetStandingAnswer(ServerAnswer answer) {
  const std::lock_guard lock(mutex_);
  standing_ = std::move(answer);
}

std::vector<ReceivedRequest> CheckInServer::Requests() const {
  const std::lock_guard lock(mutex_);
  return requests_;
}

bool CheckInServer::WaitForRequests(std::size_t count, DWORD timeoutMilliseconds) const {
  std::unique_lock lock(mutex_);
  return received_.wait_for(lock, std::chrono::milliseconds(timeoutMilliseconds),
                            [&] { return requests_.size() >= count; });
}

ServerAnswer CheckInServer::NextAnswer() {
  const std::lock_guard lock(mutex_);
  if (queued_.empty()) return standing_;
  ServerAnswer answer = std::move(queued_.front());
  queued_.pop_front();
  return answer;
}

void CheckInServer::Serve() {
  for (;;) {
    const SOCKET connection = accept(listener_, nullptr, nullptr);
    if (connection == INVALID_SOCKET) {
      const std::lock_guard lock(mutex_);
      if (stopping_) return;
      continue;
    }
    HandleConnection(connection);
  }
}

void CheckInServer::HandleConnection(SOCKET connection) {
  const std::string head = ReadRequestHead(connection);
  if (!head.empty()) {
    {
      const std::lock_guard lock(mutex_);
      requests_.push_back(ParseRequest(head));
    }
    received_.notify_all();
    const ServerAnswer answer = NextAnswer();
    if (answer.reset) {
      const linger abort{1, 0};
      setsockopt(connection, SOL_SOCKET, SO_LINGER, reinterpret_cast<const char*>(&abort), sizeof abort);
    } else {
      Sleep(answer.delayMilliseconds);
      SendAll(connection, "HTTP/1.1 " + std::to_string(answer.status) + " " + ReasonPhrase(answer.status) +
                              "\r\nContent-Type: application/json\r\nContent-Length: " +
                              std::to_string(answer.body.size()) + "\r\nConnection: close\r\n\r\n" + answer.body);
      shutdown(connection, SD_SEND);
    }
  }
  closesocket(connection);
}

}  // namespace quorvane::test
