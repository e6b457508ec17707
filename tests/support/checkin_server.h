// A check-in service for the tests: an HTTP server on 127.0.0.1, at a port that the system
// chooses, run by a thread of the test process. It records what each request carried and
// answers as the test tells it: a status and a body, after a delay if asked, or by resetting
// the connection.
#pragma once

#include <winsock2.h>
#include <windows.h>

#include <condition_variable>
#include <deque>
#include <mutex>
#include <string>
#include <thread>
#include <utility>
#include <vector>

namespace quorvane::test {

struct ServerAnswer {
  int status = 200;
  std::string body;  // bytes, sent as they are
  DWORD delayMilliseconds = 0;
  bool reset = false;  // reset the connection instead of answering
};

// An answer with that status and body, sent after the delay.
ServerAnswer Reply(int status, std::string body, DWORD delayMilliseconds = 0);
// No answer: the connection is reset.
ServerAnswer ResetConnection();

struct ReceivedRequest {
  std::string requestLine;
  std::vector<std::pair<std::string, std::string>> headers;  // in the order received
  // The value of the first header of that name (compared without regard to case); empty when
  // there is none.
  std::string Header(const std::string& name) const;
  // The names of the headers, in the order received, that start with prefix.
  std::vector<std::string> NamesStartingWith(const std::string& prefix) const;
};

// A check-in address at which nothing listens, so that connecting is refused: its port stays
// bound, without listening, for as long as the object lives, so that no other server of the
// machine can take it meanwhile.
class RefusingAddress {
 public:
  RefusingAddress();
  ~RefusingAddress();
  RefusingAddress(const RefusingAddress&) = delete;
  RefusingAddress& operator=(const RefusingAddress&) = delete;

  std::wstring Url() const;

 private:
  SOCKET socket_ = INVALID_SOCKET;
  int port_ = 0;
};

class CheckInServer {
 public:
  CheckInServer();
  ~CheckInServer();
  CheckInServer(const CheckInServer&) = delete;
  CheckInServer& operator=(const CheckInServer&) = delete;

  // The check-in address of this server.
  std::wstring Url() const;

  // Answers the next requests with these answers, one each, in order; after them, requests
  // get the standing answer.
  void QueueAnswers(std::vector<ServerAnswer> answers);
  void SetStandingAnswer(ServerAnswer answer);

  std::vector<ReceivedRequest> Requests() const;
  // Waits until the server has received count requests in all; false after the timeout.
  bool WaitForRequests(std::size_t count, DWORD timeoutMilliseconds) const;

 private:
  void Serve();
  void HandleConnection(SOCKET connection);
  ServerAnswer NextAnswer();

  SOCKET listener_ = INVALID_SOCKET;
  int port_ = 0;
  mutable std::mutex mutex_;
  mutable std::condition_variable received_;
  std::vector<ReceivedRequest> requests_;
  std::deque<ServerAnswer> queued_;
  ServerAnswer standing_;
  bool stopping_ = false;
  std::thread thread_;
};

}  // namespace quorvane::test
