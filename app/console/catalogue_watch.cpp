#include "app/console/catalogue_watch.h"

#include <exception>
#include <string>
#include <vector>

#include "app/console/catalogue_diff.h"
#include "app/console/console_stream.h"
#include "catalogue/autorun.h"
#include "catalogue/autorun_notices.h"
#include "common/error.h"
#include "common/scoped.h"
#include "common/text.h"

namespace quorvane {

namespace {

// Set by the console's control handler, which runs on a thread of its own.
HANDLE stopEvent = nullptr;

BOOL WINAPI OnConsoleControl(DWORD control) noexcept {
  switch (control) {
    case CTRL_C_EVENT:
    case CTRL_BREAK_EVENT:
    case CTRL_CLOSE_EVENT:
      SetEvent(stopEvent);
      return TRUE;
    default:
      return FALSE;
  }
}

class ConsoleControlHandler {
 public:
  explicit ConsoleControlHandler(HANDLE stop) {
    stopEvent = stop;
    SetConsoleCtrlHandler(OnConsoleControl, TRUE);
  }
  ~ConsoleControlHandler() {
    SetConsoleCtrlHandler(OnConsoleControl, FALSE);
    stopEvent = nullptr;
  }
  ConsoleControlHandler(const ConsoleControlHandler&) = delete;
  ConsoleControlHandler& operator=(const ConsoleControlHandler&) = delete;
};

std::wstring ReasonOf(const std::exception& error) {
  const auto* ownError = dynamic_cast<const Error*>(&error);
  std::wstring reason = ownError ? ownError->Message() : FromUtf8(error.what());
  for (wchar_t& c : reason) {
    if (c == L'\r' || c == L'\n') c = L' ';
  }
  return reason;
}

}  // namespace

void WatchCatalogue(bool json, DWORD pollMilliseconds, ConsoleStream& output, ConsoleStream& errors) {
  const ScopedHandle stop(CreateEventW(nullptr, TRUE, FALSE, nullptr));
  if (!stop) throw WinError(GetLastError(), L"Cannot create an event");
  const ConsoleControlHandler handler(stop.Get());

  AutorunChangeNotices notices;
  AutorunList seen;
  RefreshAutorunList(seen);
  errors.Write(L"quorvanec: watching the catalogue; Ctrl+C ends\r\n");

  std::wstring lastFailure;
  for (;;) {
    std::vector<HANDLE> handles = notices.Handles();
    handles.insert(handles.begin(), stop.Get());
    const DWORD woken =
        WaitForMultipleObjects(static_cast<DWORD>(handles.size()), handles.data(), FALSE, pollMilliseconds);
    if (woken == WAIT_OBJECT_0) return;
    if (woken == WAIT_FAILED) throw WinError(GetLastError(), L"Cannot wait for changes");

    notices.Rearm();
    AutorunList now;
    try {
      RefreshAutorunList(now);
    } catch (const std::exception& error) {
      // Told once until it changes; the next notice or poll tries again.
      const std::wstring reason = ReasonOf(error);
      if (reason != lastFailure) errors.Write(L"quorvanec: " + reason + L"\r\n");
      lastFailure = reason;
      continue;
    }
    lastFailure.clear();
    if (!output.Write(FormatChangeLines(DiffCatalogue(BaselineOf(seen), now), json))) {
      throw Error(L"cannot write the output");
    }
    seen = std::move(now);
  }
}

}  // namespace quorvane
