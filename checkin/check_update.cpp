#include "checkin/check_update.h"

#include <exception>
#include <memory>

#include "ui/application.h"
#include "checkin/reply_address.h"
#include "checkin/reply_text.h"
#include "checkin/server_request.h"
#include "checkin/update_notice.h"
#include "common/error.h"
#include "common/scoped.h"
#include "common/shell.h"

namespace quorvane {

namespace {

struct CheckInWork {
  CheckInCallback proc;
  RetryWait wait;
};

// False when the program started ending during the wait.
bool WaitUnlessEnding(const RetryWait& wait) {
  for (int sleep = 0; sleep < wait.sleeps; ++sleep) {
    if (ui::application::Terminated()) return false;
    Sleep(wait.sleepMilliseconds);
  }
  return true;
}

// Errors of the reply handling, the caller's callback included, go to the program's general
// error handling on the main thread, as errors of any event handler do.
void HandleReplyOnMainThread(const std::wstring& reply, const CheckInCallback& proc) {
  ui::application::Synchronize([&] {
    try {
      HandleCheckReply(reply, proc);
    } catch (...) {
      ui::application::HandleException(std::current_exception());
    }
  });
}

void RunCheckIn(const CheckInWork& work) {
  const HeaderList headers = CheckInHeaders();
  std::wstring reply;
  for (int attempt = 0; attempt < kCheckInAttempts; ++attempt) {
    if (GetServerText(headers, reply)) break;
    if (!WaitUnlessEnding(work.wait)) return;
  }
  HandleReplyOnMainThread(reply, work.proc);
}

DWORD WINAPI CheckInThread(void* parameter) noexcept {
  const std::unique_ptr<CheckInWork> work(static_cast<CheckInWork*>(parameter));
  // Nothing may leave a thread's function. What can still fail here (memory, or a main thread
  // that no longer takes calls while the program ends) has nobody left to tell.
  try {
    RunCheckIn(*work);
  } catch (...) {
  }
  return 0;
}

}  // namespace

void CheckUpdate(const std::wstring& url, CheckInCallback proc, int offset, RetryWait wait) {
  SetCheckInSettings(url, offset);
  const bool waitForWorker = !proc;
  auto work = std::make_unique<CheckInWork>(CheckInWork{std::move(proc), wait});
  ScopedHandle thread(CreateThread(nullptr, 0, CheckInThread, work.get(), 0, nullptr));
  if (!thread) throw WinError(GetLastError(), L"Cannot start the check-in");
  work.release();
  if (waitForWorker) ui::application::WaitWhileProcessing(thread.Get());
}

void HandleCheckReply(const std::wstring& reply, const CheckInCallback& proc) {
  bool accepted = false;
  const std::wstring updateUrl = ReplyAddress(ReplyString(reply, L"update"));
  if (!updateUrl.empty() && UpdateDialog(reply)) {
    ShellOpen(updateUrl);
    accepted = true;
  }
  const std::wstring noticeUrl = ReplyAddress(ReplyString(reply, L"notify"));
  if (!noticeUrl.empty()) ShowUpdateStatus(noticeUrl);
  if (proc) proc(accepted, reply);
}

}  // namespace quorvane
