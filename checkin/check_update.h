// The check-in at start-up: a worker thread sends the check-in request, retries it on a fixed
// schedule, and hands the reply to the main thread, which acts on it and calls the caller back.
#pragma once

#include <windows.h>

#include <functional>
#include <string>

namespace quorvane {

// Called once, on the main thread, after the reply has been acted on: accepted is true when
// the user took an offered update and its address went to the shell; reply is the body as
// received, or empty when every attempt failed.
using CheckInCallback = std::function<void(bool accepted, const std::wstring& reply)>;

inline constexpr int kCheckInAttempts = 6;
// After each failed attempt, the worker waits this many sleeps of this many milliseconds,
// looking before each sleep whether the program is ending.
inline constexpr int kRetryWaitSleeps = 1000;
inline constexpr DWORD kRetrySleepMilliseconds = 10;

// The wait after a failed attempt. The program always uses the defaults; tests shorten it.
struct RetryWait {
  int sleeps = kRetryWaitSleeps;
  DWORD sleepMilliseconds = kRetrySleepMilliseconds;
};

// Called on the main thread. Stores the endpoint and the update dialog's layout offset, and
// starts the worker. With a callback it returns at once; without one, it returns when the
// worker has ended, handling meanwhile the window messages and what the worker hands over.
// The callback never comes when the program ends during a wait between attempts.
void CheckUpdate(const std::wstring& url, CheckInCallback proc, int offset, RetryWait wait = {});

// Acts on a reply, on the main thread: offers the update ("update") in the update dialog and
// opens its address when the user takes it, shows the notice ("notify") in the status bar,
// then calls proc when there is one. Only web addresses from the reply are ever opened; any
// other value counts as absent.
void HandleCheckReply(const std::wstring& reply, const CheckInCallback& proc);

}  // namespace quorvane
