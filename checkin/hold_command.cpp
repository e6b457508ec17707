#include "checkin/hold_command.h"

#include <string>
#include <thread>

#include "checkin/request_headers.h"
#include "checkin/server_request.h"

namespace quorvane {

namespace {

void SendHoldCommand() {
  std::wstring ignored;
  GetServerText(HoldCommandHeaders(), ignored);
}

}  // namespace

void StartHoldCommand() {
  std::thread([]() noexcept {
    // Nothing on this thread may end the program; a failure only means the command was not sent.
    try {
      SendHoldCommand();
    } catch (...) {
    }
  }).detach();
}

}  // namespace quorvane
