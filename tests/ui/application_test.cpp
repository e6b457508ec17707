// The application's message loop and error handling in real windows, on the test run's virtual display.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <atomic>
#include <thread>

#include "ui/application.h"
#include "ui/controls.h"
#include "ui/form.h"
#include "common/error.h"
#include "support/ui_fixture.h"

namespace quorvane::ui {
namespace {

BOOL CALLBACK FindOwnMessageBox(HWND window, LPARAM found) noexcept {
  DWORD process = 0;
  GetWindowThreadProcessId(window, &process);
  wchar_t className[16] = {};
  GetClassNameW(window, className, 16);
  if (process != GetCurrentProcessId() || std::wstring(className) != L"#32770" || !IsWindowVisible(window)) return TRUE;
  *reinterpret_cast<HWND*>(found) = window;
  return FALSE;
}

// Finds a message box of this process and gives its text; closes it with its OK button.
std::wstring CloseMessageBox() {
  for (int attempt = 0; attempt < 400; ++attempt) {
    HWND found = nullptr;
    EnumWindows(FindOwnMessageBox, reinterpret_cast<LPARAM>(&found));
    if (found) {
      wchar_t text[256] = {};
      GetDlgItemTextW(found, 0xFFFF, text, 256);
      PostMessageW(found, WM_COMMAND, IDOK, 0);
      return text;
    }
    Sleep(25);
  }
  return L"(no message box)";
}

TEST_F(UiTest, AnErrorEscapingAHandlerIsShownInAMessageBoxAndTheProgramGoesOn) {
  Form form;
  CheckBox& box = Component::Create<CheckBox>(form, form, L"fails");
  box.SetBounds(0, 0, 100, 20);
  int calls = 0;
  box.OnClick = [&](Control&) {
    ++calls;
    throw Error(L"The Task Scheduler service is not running.");
  };
  std::wstring shown;
  std::thread closer([&] { shown = CloseMessageBox(); });
  SendMessageW(box.Handle(), BM_CLICK, 0, 0);
  closer.join();
  EXPECT_EQ(shown, L"The Task Scheduler service is not running.");

  std::thread secondCloser([] { CloseMessageBox(); });
  SendMessageW(box.Handle(), BM_CLICK, 0, 0);
  secondCloser.join();
  EXPECT_EQ(calls, 2);
}

TEST_F(UiTest, SynchronizeRunsOnTheMainThreadAndCarriesErrorsBack) {
  const DWORD mainThread = GetCurrentThreadId();
  DWORD ranOn = 0;
  std::wstring error;
  const ScopedHandle done(CreateEventW(nullptr, TRUE, FALSE, nullptr));
  std::thread worker([&] {
    application::Synchronize([&] { ranOn = GetCurrentThreadId(); });
    try {
      application::Synchronize([] { throw Error(L"from the main thread"); });
    } catch (const Error& raised) {
      error = raised.Message();
    }
    SetEvent(done.Get());
  });
  application::WaitWhileProcessing(done.Get());
  worker.join();
  EXPECT_EQ(ranOn, mainThread);
  EXPECT_EQ(error, L"from the main thread");
}

}  // namespace
}  // namespace quorvane::ui
