// What the check-in's tests in real windows share: the server on 127.0.0.1, the probe that the
// opened addresses go to, the main window, and another thread that watches for the update
// dialog, reads it as the user sees it and answers it.
#pragma once

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <commctrl.h>

#include <atomic>
#include <functional>
#include <memory>
#include <thread>

#include "app/translation/translation.h"
#include "ui/application.h"
#include "ui/controls.h"
#include "ui/dpi.h"
#include "ui/form.h"
#include "checkin/check_update.h"
#include "checkin/checkin_settings.h"
#include "checkin/update_notice.h"
#include "common/text.h"
#include "support/checkin_server.h"
#include "support/client_identity.h"
#include "support/url_probe.h"

namespace quorvane::test {

inline constexpr wchar_t kMessage[] =
    L"This program has been updated.\r\rIt is recommended to download and execute new for stable use.\r\r"
    L"Do you want to download it?";
inline constexpr RetryWait kShortWait{5, 10};

// Handles the main thread's messages until done says so; false after the timeout.
inline bool ProcessMessagesUntil(const std::function<bool()>& done, DWORD timeoutMilliseconds) {
  const ULONGLONG deadline = GetTickCount64() + timeoutMilliseconds;
  while (!done()) {
    if (GetTickCount64() >= deadline) return false;
    MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
    ui::application::ProcessMessages();
  }
  return true;
}

inline std::wstring ClassOf(HWND window) {
  wchar_t name[64] = {};
  GetClassNameW(window, name, 64);
  return name;
}

inline std::wstring TextOf(HWND window) {
  std::wstring text(static_cast<std::size_t>(GetWindowTextLengthW(window)) + 1, L'\0');
  text.resize(static_cast<std::size_t>(GetWindowTextW(window, text.data(), static_cast<int>(text.size()))));
  return text;
}

// A control of the dialog as another thread sees it: its place in the dialog's client area.
struct SeenControl {
  HWND handle;
  std::wstring className;
  std::wstring text;
  DWORD style;
  RECT rect;
  int Width() const { return rect.right - rect.left; }
  int Height() const { return rect.bottom - rect.top; }
};

struct SeenDialog {
  HWND handle = nullptr;
  std::wstring caption;
  RECT window{};
  DWORD exStyle = 0;
  HWND owner = nullptr;
  LRESULT smallIcon = 0;
  LRESULT classIcon = 0;
  COLORREF background = CLR_INVALID;
  std::vector<SeenControl> controls;

  int Height() const { return window.bottom - window.top; }
  int Width() const { return window.right - window.left; }
  // The controls of that window class whose text is text, or of any text when text is null.
  std::vector<SeenControl> Find(const wchar_t* className, const wchar_t* text = nullptr) const {
    std::vector<SeenControl> found;
    for (const SeenControl& control : controls) {
      if (EqualsIgnoreAsciiCase(control.className, className) && (!text || control.text == text))
        found.push_back(control);
    }
    return found;
  }
  // The one control of that class and text; a failed expectation when there is not exactly one.
  SeenControl One(const wchar_t* className, const wchar_t* text = nullptr) const {
    const std::vector<SeenControl> found = Find(className, text);
    EXPECT_EQ(found.size(), 1u) << ToUtf8(className) << " " << (text ? ToUtf8(text) : "");
    return found.empty() ? SeenControl{} : found.front();
  }
  // The separator: a strip one pixel high of the program's own window class.
  std::vector<SeenControl> Separators() const {
    std::vector<SeenControl> found;
    for (const SeenControl& control : Find(L"QuorvaneWindow")) {
      if (control.Height() == 1) found.push_back(control);
    }
    return found;
  }
};

inline BOOL CALLBACK CollectControl(HWND child, LPARAM seen) noexcept {
  auto& dialog = *reinterpret_cast<SeenDialog*>(seen);
  RECT rect{};
  GetWindowRect(child, &rect);
  MapWindowPoints(nullptr, dialog.handle, reinterpret_cast<POINT*>(&rect), 2);
  dialog.controls.push_back(
      {child, ClassOf(child), TextOf(child), static_cast<DWORD>(GetWindowLongPtrW(child, GWL_STYLE)), rect});
  return TRUE;
}

inline COLORREF ClientPixel(HWND window, int x, int y) {
  const HDC screen = GetDC(window);
  const HDC memory = CreateCompatibleDC(screen);
  RECT client{};
  GetClientRect(window, &client);
  const HBITMAP bitmap = CreateCompatibleBitmap(screen, client.right, client.bottom);
  const HGDIOBJ previous = SelectObject(memory, bitmap);
  SendMessageW(window, WM_PRINT, reinterpret_cast<WPARAM>(memory), PRF_CLIENT | PRF_ERASEBKGND);
  const COLORREF color = GetPixel(memory, x, y);
  SelectObject(memory, previous);
  DeleteObject(bitmap);
  DeleteDC(memory);
  ReleaseDC(window, screen);
  return color;
}

inline SeenDialog Inspect(HWND dialog) {
  SeenDialog seen;
  seen.handle = dialog;
  seen.caption = TextOf(dialog);
  GetWindowRect(dialog, &seen.window);
  seen.exStyle = static_cast<DWORD>(GetWindowLongPtrW(dialog, GWL_EXSTYLE));
  seen.owner = GetWindow(dialog, GW_OWNER);
  seen.smallIcon = SendMessageW(dialog, WM_GETICON, ICON_SMALL, 0);
  seen.classIcon = static_cast<LRESULT>(GetClassLongPtrW(dialog, GCLP_HICON));
  seen.background = ClientPixel(dialog, 1, 1);
  EnumChildWindows(dialog, CollectControl, reinterpret_cast<LPARAM>(&seen));
  return seen;
}

struct FoundDialog {
  HWND window = nullptr;
};

// The update dialog: a visible window of this process with a Yes button.
inline BOOL CALLBACK FindUpdateDialog(HWND window, LPARAM found) noexcept {
  DWORD process = 0;
  GetWindowThreadProcessId(window, &process);
  if (process != GetCurrentProcessId() || !IsWindowVisible(window) || ClassOf(window) != L"QuorvaneWindow") return TRUE;
  if (!FindWindowExW(window, nullptr, L"Button", L"Yes")) return TRUE;
  reinterpret_cast<FoundDialog*>(found)->window = window;
  return FALSE;
}

inline HWND ButtonOf(const SeenDialog& dialog, const wchar_t* caption) {
  return FindWindowExW(dialog.handle, nullptr, L"Button", caption);
}

enum class Answer { Yes, No, Enter, Escape, CloseBox };

inline void Give(const SeenDialog& dialog, Answer answer) {
  const HWND yes = ButtonOf(dialog, L"Yes");
  switch (answer) {
    case Answer::Yes:
      PostMessageW(yes, BM_CLICK, 0, 0);
      break;
    case Answer::No:
      PostMessageW(ButtonOf(dialog, L"No"), BM_CLICK, 0, 0);
      break;
    case Answer::Enter:
      PostMessageW(dialog.handle, WM_KEYDOWN, VK_RETURN, 0);
      break;
    case Answer::Escape:
      PostMessageW(yes, WM_KEYDOWN, VK_ESCAPE, 0);
      break;
    case Answer::CloseBox:
      PostMessageW(dialog.handle, WM_CLOSE, 0, 0);
      break;
  }
}

// Plays the user of the update dialog, from a thread of its own: waits for the dialog, records
// what it shows, works on it with act, then gives the answer. A dialog that a test does not
// expect is answered all the same, so that no test hangs on it.
class DialogUser {
 public:
  explicit DialogUser(Answer answer, std::function<void(const SeenDialog&)> act = {})
      : thread_([this, answer, act] { Run(answer, act); }) {}
  ~DialogUser() { Stop(); }

  // Stops watching; what was seen, if a dialog came.
  const std::vector<SeenDialog>& Stop() {
    stopping_ = true;
    if (thread_.joinable()) thread_.join();
    return seen_;
  }

 private:
  void Run(Answer answer, const std::function<void(const SeenDialog&)>& act) {
    while (!stopping_) {
      FoundDialog found;
      EnumWindows(FindUpdateDialog, reinterpret_cast<LPARAM>(&found));
      if (found.window) {
        seen_.push_back(Inspect(found.window));
        if (act) act(seen_.back());
        Give(seen_.back(), answer);
        while (IsWindow(found.window) && IsWindowVisible(found.window) && !stopping_) Sleep(10);
      }
      Sleep(10);
    }
  }

  std::atomic<bool> stopping_{false};
  std::vector<SeenDialog> seen_;
  std::thread thread_;
};

class CheckInRun : public testing::Test {
 protected:
  static void SetUpTestSuite() {
    ui::application::Initialize();
    ui::application::SetTitle(L"Quorvane");
    InitTranslation();
  }

  void SetUp() override { SetCheckInSettings(server.Url(), 10); }
  void TearDown() override { ui::application::SetMainForm(nullptr); }

  // What the completion callback received, and on which thread.
  struct Completion {
    int calls = 0;
    bool accepted = false;
    std::wstring reply;
    DWORD thread = 0;
  };
  CheckInCallback Recording() {
    return [this](bool accepted, const std::wstring& reply) {
      ++completion.calls;
      completion.accepted = accepted;
      completion.reply = reply;
      completion.thread = GetCurrentThreadId();
    };
  }
  bool WaitForCompletion(DWORD timeoutMilliseconds = 20000) {
    return ProcessMessagesUntil([this] { return completion.calls > 0; }, timeoutMilliseconds);
  }

  // The main window, with one control that fills it; shown only when a test needs it on
  // screen, since hiding a window again is slow without a window manager.
  ui::Form& MakeMainForm(bool shown = false) {
    mainForm = std::make_unique<ui::Form>();
    mainForm->SetClientSize(412, 432);
    content = &ui::Component::Create<ui::Panel>(*mainForm, *mainForm);
    content->SetAlign(ui::Align::Client);
    ui::application::SetMainForm(mainForm.get());
    if (shown) mainForm->Show();
    return *mainForm;
  }
  ui::StatusBar* StatusBarOf(const ui::Form& form) const {
    return dynamic_cast<ui::StatusBar*>(form.FindComponent(L"StatusBar"));
  }

  test::ClientIdentityGuard identity;
  test::CheckInServer server;
  test::UrlProbe probe;
  Completion completion;
  std::unique_ptr<ui::Form> mainForm;
  ui::Panel* content = nullptr;
};

inline std::string Json(const std::string& members) { return "{" + members + "}"; }

}  // namespace quorvane::test
