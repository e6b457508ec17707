// The check-in as the user meets it, in real windows on the test run's virtual display: the
// worker and its retries against a server on 127.0.0.1, the reply handling, the update dialog
// and the update status bar. Addresses that the program opens go to a probe instead of a
// browser. This test program has no version resource.
#include "checkin/check_update.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <commctrl.h>

#include <atomic>
#include <functional>
#include <thread>

#include "app/translation/translation.h"
#include "ui/application.h"
#include "ui/controls.h"
#include "ui/dpi.h"
#include "ui/form.h"
#include "checkin/server_request.h"
#include "checkin/update_notice.h"
#include "common/error.h"
#include "common/text.h"
#include "support/checkin_server.h"
#include "support/client_identity.h"
#include "support/url_probe.h"

namespace quorvane {
namespace {

using testing::ElementsAre;
using testing::IsEmpty;

constexpr wchar_t kMessage[] =
    L"This program has been updated.\r\rIt is recommended to download and execute new for stable use.\r\r"
    L"Do you want to download it?";
constexpr RetryWait kShortWait{5, 10};

// Handles the main thread's messages until done says so; false after the timeout.
bool ProcessMessagesUntil(const std::function<bool()>& done, DWORD timeoutMilliseconds) {
  const ULONGLONG deadline = GetTickCount64() + timeoutMilliseconds;
  while (!done()) {
    if (GetTickCount64() >= deadline) return false;
    MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
    ui::application::ProcessMessages();
  }
  return true;
}

std::wstring ClassOf(HWND window) {
  wchar_t name[64] = {};
  GetClassNameW(window, name, 64);
  return name;
}

std::wstring TextOf(HWND window) {
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
      if (EqualsIgnoreAsciiCase(control.className, className) && (!text || control.text == text)) found.push_back(control);
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

BOOL CALLBACK CollectControl(HWND child, LPARAM seen) noexcept {
  auto& dialog = *reinterpret_cast<SeenDialog*>(seen);
  RECT rect{};
  GetWindowRect(child, &rect);
  MapWindowPoints(nullptr, dialog.handle, reinterpret_cast<POINT*>(&rect), 2);
  dialog.controls.push_back(
      {child, ClassOf(child), TextOf(child), static_cast<DWORD>(GetWindowLongPtrW(child, GWL_STYLE)), rect});
  return TRUE;
}

COLORREF ClientPixel(HWND window, int x, int y) {
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

SeenDialog Inspect(HWND dialog) {
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
BOOL CALLBACK FindUpdateDialog(HWND window, LPARAM found) noexcept {
  DWORD process = 0;
  GetWindowThreadProcessId(window, &process);
  if (process != GetCurrentProcessId() || !IsWindowVisible(window) || ClassOf(window) != L"QuorvaneWindow") return TRUE;
  if (!FindWindowExW(window, nullptr, L"Button", L"Yes")) return TRUE;
  reinterpret_cast<FoundDialog*>(found)->window = window;
  return FALSE;
}

HWND ButtonOf(const SeenDialog& dialog, const wchar_t* caption) {
  return FindWindowExW(dialog.handle, nullptr, L"Button", caption);
}

enum class Answer { Yes, No, Enter, Escape, CloseBox };

void Give(const SeenDialog& dialog, Answer answer) {
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

std::string Json(const std::string& members) { return "{" + members + "}"; }

// ----- The worker: attempts, waits and the hand-over

TEST_F(CheckInRun, HandsTheReplyToTheCallbackOnTheMainThreadWithoutWaitingForIt) {
  const std::string reply = Json(R"("update":"","notify":"","name_white":["A\u00e9"],"x":"\"q\"")");
  server.SetStandingAnswer(test::Reply(200, reply, 500));
  const ULONGLONG started = GetTickCount64();
  CheckUpdate(server.Url(), Recording(), 10, kShortWait);
  EXPECT_LT(GetTickCount64() - started, 300u);
  EXPECT_EQ(completion.calls, 0);

  ASSERT_TRUE(WaitForCompletion());
  EXPECT_EQ(completion.calls, 1);
  EXPECT_EQ(completion.thread, GetCurrentThreadId());
  EXPECT_FALSE(completion.accepted);
  // Exactly the text received: no escape is decoded.
  EXPECT_EQ(completion.reply, FromUtf8(reply));
  const std::vector<test::ReceivedRequest> requests = server.Requests();
  ASSERT_EQ(requests.size(), 1u);
  EXPECT_THAT(requests[0].NamesStartingWith("User-"),
              ElementsAre("User-Version", "User-Language", "User-Debug", "User-Union"));
  EXPECT_EQ(requests[0].Header("User-Version"), "0.0.0.0");
  EXPECT_EQ(requests[0].Header("User-Union").size(), 32u);
  EXPECT_THAT(probe.Opened(), IsEmpty());
}

TEST_F(CheckInRun, GivesFalseAndTheEmptyTextAfterSixFailedAttemptsEachFollowedByItsWait) {
  constexpr RetryWait kWait{20, 10};
  for (const bool refused : {false, true}) {
    completion = {};
    server.SetStandingAnswer(test::ResetConnection());
    const test::RefusingAddress refusing;
    const std::wstring url = refused ? refusing.Url() : server.Url();
    const ULONGLONG started = GetTickCount64();
    CheckUpdate(url, Recording(), 10, kWait);
    ASSERT_TRUE(WaitForCompletion());
    EXPECT_GE(GetTickCount64() - started, 6u * 20 * 10) << "refused: " << refused;
    EXPECT_FALSE(completion.accepted);
    EXPECT_EQ(completion.reply, L"");
    EXPECT_EQ(completion.calls, 1);
  }
  // The six attempts that reached the server, each with the same headers.
  const std::vector<test::ReceivedRequest> requests = server.Requests();
  ASSERT_EQ(requests.size(), 6u);
  for (const test::ReceivedRequest& request : requests) {
    EXPECT_EQ(request.Header("User-Union"), requests[0].Header("User-Union"));
  }
}

TEST_F(CheckInRun, StopsAtTheFirstAnswerAndAnErrorPageIsAnAnswer) {
  server.QueueAnswers({test::ResetConnection(), test::ResetConnection()});
  server.SetStandingAnswer(test::Reply(500, "<html>down for maintenance</html>"));
  CheckUpdate(server.Url(), Recording(), 10, kShortWait);
  ASSERT_TRUE(WaitForCompletion());
  EXPECT_EQ(completion.reply, L"<html>down for maintenance</html>");
  EXPECT_FALSE(completion.accepted);
  EXPECT_EQ(server.Requests().size(), 3u);
}

// Without a callback the caller waits, while the main thread goes on with the reply handling
// that the worker hands it: here an update dialog, answered while the caller waits.
TEST_F(CheckInRun, WithoutCallbackReturnsOnlyWhenTheReplyHasBeenHandled) {
  ui::Form& main = MakeMainForm();
  server.SetStandingAnswer(test::Reply(
      200, Json(R"("update":"https://example.com/get.exe","notify":"https://example.com/news")"), 300));
  DialogUser user(Answer::No);
  CheckUpdate(server.Url(), {}, 10, kShortWait);
  EXPECT_EQ(user.Stop().size(), 1u);
  ui::StatusBar* bar = StatusBarOf(main);
  ASSERT_NE(bar, nullptr);
  EXPECT_EQ(bar->Hint(), L"https://example.com/news");
  EXPECT_THAT(probe.Opened(), IsEmpty());
}

BOOL CALLBACK FindMessageBox(HWND window, LPARAM found) noexcept {
  DWORD process = 0;
  GetWindowThreadProcessId(window, &process);
  if (process != GetCurrentProcessId() || ClassOf(window) != L"#32770" || !IsWindowVisible(window)) return TRUE;
  *reinterpret_cast<HWND*>(found) = window;
  return FALSE;
}

// Waits for a message box of this process, closes it, and gives its text.
std::wstring CloseMessageBox() {
  for (int attempt = 0; attempt < 1000; ++attempt) {
    HWND found = nullptr;
    EnumWindows(FindMessageBox, reinterpret_cast<LPARAM>(&found));
    if (found) {
      wchar_t text[256] = {};
      GetDlgItemTextW(found, 0xFFFF, text, 256);
      PostMessageW(found, WM_COMMAND, IDOK, 0);
      return text;
    }
    Sleep(20);
  }
  return L"(no message box)";
}

// An error of the callback, such as one of loading the list, is an error of the program like
// any that escapes an event handler: it is shown, and the program goes on.
TEST_F(CheckInRun, AnErrorOfTheCallbackGoesToTheProgramsErrorHandling) {
  server.SetStandingAnswer(test::Reply(200, "{}"));
  std::atomic<bool> closed{false};
  std::wstring shown;
  std::thread user([&] {
    shown = CloseMessageBox();
    closed = true;
  });
  CheckUpdate(server.Url(), [](bool, const std::wstring&) { throw Error(L"The Task Scheduler service is not running."); },
              10, kShortWait);
  EXPECT_TRUE(ProcessMessagesUntil([&] { return closed.load(); }, 20000));
  user.join();
  EXPECT_EQ(shown, L"The Task Scheduler service is not running.");
}

// ----- The reply handling

struct ReplyCase {
  const char* what;
  std::wstring reply;
  Answer answer;
  int dialogs;            // update dialogs shown
  bool accepted;
  std::vector<std::string> opened;
  std::wstring notice;    // the status bar's address; empty for no status bar
};

void PrintTo(const ReplyCase& c, std::ostream* out) { *out << c.what; }

class ReplyHandling : public CheckInRun, public testing::WithParamInterface<ReplyCase> {};

TEST_P(ReplyHandling, OffersTheUpdateThenShowsTheNoticeThenCallsBack) {
  const ReplyCase& c = GetParam();
  ui::Form& main = MakeMainForm();
  DialogUser user(c.answer);
  HandleCheckReply(c.reply, Recording());
  EXPECT_EQ(user.Stop().size(), static_cast<std::size_t>(c.dialogs));
  EXPECT_EQ(completion.calls, 1);
  EXPECT_EQ(completion.accepted, c.accepted);
  EXPECT_EQ(completion.reply, c.reply);
  EXPECT_EQ(probe.WaitForOpened(c.opened.size(), 10000), c.opened);
  ui::StatusBar* bar = StatusBarOf(main);
  if (c.notice.empty()) {
    EXPECT_EQ(bar, nullptr);
  } else {
    ASSERT_NE(bar, nullptr);
    EXPECT_EQ(bar->Hint(), c.notice);
  }
}

const std::wstring kUpdateUrl = L"https://example.com/quorvane-setup.exe";

// Control characters, a lone surrogate and a NUL around an update offer.
std::wstring BinaryReply() {
  constexpr wchar_t kText[] = L"\x01\x7F\xFFFD\xD800\0{\"update\":\"https://example.com/b\"}\x02";
  return std::wstring(kText, std::size(kText) - 1);
}

INSTANTIATE_TEST_SUITE_P(
    Replies, ReplyHandling,
    testing::Values(
        ReplyCase{"yes opens the update", L"{\"update\":\"" + kUpdateUrl + L"\"}", Answer::Yes, 1, true,
                  {"https://example.com/quorvane-setup.exe"}, L""},
        ReplyCase{"enter is yes", L"{\"update\":\"" + kUpdateUrl + L"\"}", Answer::Enter, 1, true,
                  {"https://example.com/quorvane-setup.exe"}, L""},
        ReplyCase{"no opens nothing", L"{\"update\":\"" + kUpdateUrl + L"\"}", Answer::No, 1, false, {}, L""},
        ReplyCase{"escape is no", L"{\"update\":\"" + kUpdateUrl + L"\"}", Answer::Escape, 1, false, {}, L""},
        ReplyCase{"closing is no", L"{\"update\":\"" + kUpdateUrl + L"\"}", Answer::CloseBox, 1, false, {}, L""},
        ReplyCase{"declined, the notice stays",
                  L"{\"update\":\"" + kUpdateUrl + L"\",\"notify\":\"http://example.com/news\"}", Answer::No, 1,
                  false, {}, L"http://example.com/news"},
        ReplyCase{"accepted, the notice too",
                  L"{\"notify\":\"http://example.com/news\",\"update\":\"" + kUpdateUrl + L"\"}", Answer::Yes, 1,
                  true, {"https://example.com/quorvane-setup.exe"}, L"http://example.com/news"},
        ReplyCase{"notice alone", L"{\"notify\":\"https://example.com/news\"}", Answer::No, 0, false, {},
                  L"https://example.com/news"},
        ReplyCase{"both empty", L"{\"update\":\"\",\"notify\":\"\"}", Answer::Yes, 0, false, {}, L""},
        ReplyCase{"empty reply", L"", Answer::Yes, 0, false, {}, L""},
        ReplyCase{"an error page", L"<html><body>502 Bad Gateway</body></html>", Answer::Yes, 0, false, {}, L""},
        ReplyCase{"escaped address", L"{\"UPDATE\":\"https:\\/\\/example.com\\/q.exe\"}", Answer::Yes, 1, true,
                  {"https://example.com/q.exe"}, L""},
        ReplyCase{"blank before the value", L"{\"update\": \"" + kUpdateUrl + L"\"}", Answer::Yes, 0, false, {},
                  L""},
        ReplyCase{"broken escape", L"{\"update\":\"https://example.com/\\u12\"}", Answer::Yes, 1, true,
                  {"https://example.com/12"}, L""},
        // An escaped backslash at the end makes the value run on to the next quote: it is no
        // address any more. The notice is found on its own.
        ReplyCase{"value ending in an escaped backslash",
                  L"{\"update\":\"https://example.com/a\\\\\",\"notify\":\"https://example.com/n\"}", Answer::Yes, 0,
                  false, {}, L"https://example.com/n"},
        ReplyCase{"quote inside the value", L"{\"update\":\"https://example.com/a\\\"b\"}", Answer::Yes, 0, false,
                  {}, L""},
        ReplyCase{"the first occurrence wins",
                  L"{\"x\":{\"notify\":\"https://example.com/first\"},\"notify\":\"https://example.com/second\"}",
                  Answer::Yes, 0, false, {}, L"https://example.com/first"},
        ReplyCase{"1 MB", L"{\"notify\":\"https://example.com/n\",\"pad\":\"" + std::wstring(1 << 20, L'x') + L"\"}",
                  Answer::Yes, 0, false, {}, L"https://example.com/n"},
        ReplyCase{"binary", BinaryReply(), Answer::No, 1, false, {}, L""}));

// The program runs elevated: a reply must not make it start a program or open a file. Such
// values count as absent: no dialog, no status bar, nothing opened.
TEST_F(CheckInRun, OpensNothingButWebAddressesFromAReply) {
  ui::Form& main = MakeMainForm();
  test::TempFolder folder;
  const std::wstring program = folder.File(L"update.exe");
  ASSERT_TRUE(CopyFileW(test::ProgramBesideTest(L"open_probe.exe").c_str(), program.c_str(), TRUE));
  std::wstring escapedProgram;
  for (const wchar_t c : program) escapedProgram += c == L'\\' ? std::wstring(L"\\\\") : std::wstring(1, c);
  for (const std::wstring& value :
       {escapedProgram, L"file:///" + escapedProgram, std::wstring(L"\\\\\\\\server\\\\share\\\\setup.exe"),
        std::wstring(L"calc.exe"), std::wstring(L"javascript:alert(1)"), std::wstring(L"http:/example.com"),
        std::wstring(L"https://example.com/a\\\" --new-window \\\"file:///C:/"), std::wstring(L"https://")}) {
    completion = {};
    DialogUser user(Answer::Yes);
    HandleCheckReply(L"{\"update\":\"" + value + L"\",\"notify\":\"" + value + L"\"}", Recording());
    EXPECT_THAT(user.Stop(), IsEmpty()) << ToUtf8(value);
    EXPECT_EQ(completion.calls, 1);
    EXPECT_FALSE(completion.accepted);
  }
  EXPECT_EQ(StatusBarOf(main), nullptr);
  Sleep(500);
  EXPECT_FALSE(test::FileExists(program + L".opened"));
  EXPECT_THAT(probe.Opened(), IsEmpty());
  for (int attempt = 0; attempt < 100 && !DeleteFileW(program.c_str()); ++attempt) Sleep(50);
}

TEST_F(CheckInRun, HandlesAReplyWithoutACallback) {
  ui::Form& main = MakeMainForm();
  HandleCheckReply(L"{\"notify\":\"https://example.com/news\"}", {});
  EXPECT_NE(StatusBarOf(main), nullptr);
}

// ----- The update dialog

// Shows the update dialog for the reply and answers it; what the dialog showed, and its result.
struct DialogRun {
  SeenDialog seen;
  bool result = false;
};

DialogRun RunUpdateDialog(const std::wstring& reply, Answer answer, std::function<void(const SeenDialog&)> act = {}) {
  DialogUser user(answer, std::move(act));
  DialogRun run;
  run.result = UpdateDialog(reply);
  const std::vector<SeenDialog>& seen = user.Stop();
  EXPECT_EQ(seen.size(), 1u);
  if (!seen.empty()) run.seen = seen.front();
  return run;
}

std::wstring UpdateReply(const std::wstring& info) {
  return L"{\"update\":\"https://example.com/setup.exe\"" + (info.empty() ? L"" : L",\"info\":{" + info + L"}") + L"}";
}

// The dialog without extras, seen once for all the tests that compare with it.
const SeenDialog& PlainDialog() {
  static const SeenDialog plain = RunUpdateDialog(UpdateReply(L""), Answer::No).seen;
  return plain;
}

TEST_F(CheckInRun, TheUpdateDialogIsAWhiteWarningWithYesAsItsDefault) {
  const SeenDialog& dialog = PlainDialog();
  ASSERT_EQ(ui::DpiOfWindow(dialog.handle), 96);
  EXPECT_EQ(dialog.caption, L"Quorvane");
  EXPECT_EQ(dialog.background, RGB(255, 255, 255));
  const SeenControl message = dialog.One(L"Static", kMessage);
  const SeenControl yes = dialog.One(L"Button", L"Yes");
  const SeenControl no = dialog.One(L"Button", L"No");
  EXPECT_EQ(yes.style & BS_TYPEMASK, static_cast<DWORD>(BS_DEFPUSHBUTTON));
  EXPECT_EQ(no.style & BS_TYPEMASK, static_cast<DWORD>(BS_PUSHBUTTON));
  // The icon, left of the message; the buttons side by side below both.
  const std::vector<SeenControl> icons = dialog.Find(L"QuorvaneWindow");
  ASSERT_EQ(icons.size(), 1u);
  EXPECT_EQ(icons[0].Width(), 32);
  EXPECT_EQ(icons[0].Height(), 32);
  EXPECT_LT(icons[0].rect.right, message.rect.left);
  EXPECT_GT(message.Height(), 4 * (yes.Height() / 2));  // five lines: three paragraphs, two empty
  EXPECT_EQ(yes.rect.top, no.rect.top);
  EXPECT_LT(yes.rect.right, no.rect.left);
  EXPECT_GT(yes.rect.top, std::max(message.rect.bottom, icons[0].rect.bottom));
  EXPECT_TRUE(dialog.Separators().empty());
  EXPECT_EQ(dialog.exStyle & WS_EX_TOPMOST, 0u);
}

struct StyleCase {
  const char* what;
  std::wstring info;
  bool grows;              // the dialog grows and shows its separator
  std::wstring holdBox;    // the check box's caption; empty for no check box
  std::wstring noteLink;   // the link's caption; empty for no link
};

void PrintTo(const StyleCase& c, std::ostream* out) { *out << c.what; }

class DialogStyles : public CheckInRun, public testing::WithParamInterface<StyleCase> {};

// With the layout offset v = 10: the dialog grows by 40 - v, the separator's top is the new
// height less 76 - v, and the check box or link sits at the new height less 66 - v.
TEST_P(DialogStyles, ShowTheirExtrasWhereTheLayoutPutsThem) {
  const StyleCase& c = GetParam();
  const SeenDialog& plain = PlainDialog();
  const SeenDialog dialog = RunUpdateDialog(UpdateReply(c.info), Answer::No).seen;
  const int height = dialog.Height();
  EXPECT_EQ(height, plain.Height() + (c.grows ? 30 : 0));
  EXPECT_EQ(dialog.Width(), plain.Width());
  const std::vector<SeenControl> separators = dialog.Separators();
  if (c.grows) {
    ASSERT_EQ(separators.size(), 1u);
    EXPECT_EQ(separators[0].rect.top, height - 66);
    EXPECT_EQ(separators[0].rect.left, 0);
    EXPECT_EQ(separators[0].Width(), dialog.Width());
  } else {
    EXPECT_TRUE(separators.empty());
  }
  std::size_t extras = separators.size();
  if (!c.holdBox.empty()) {
    const SeenControl box = dialog.One(L"Button", c.holdBox.c_str());
    EXPECT_EQ(box.style & BS_TYPEMASK, static_cast<DWORD>(BS_AUTOCHECKBOX));
    EXPECT_EQ(box.rect.left, 10);
    EXPECT_EQ(box.rect.top, height - 56);
    EXPECT_EQ(box.Width(), dialog.Width());
    ++extras;
  }
  if (!c.noteLink.empty()) {
    const SeenControl link = dialog.One(L"Static", c.noteLink.c_str());
    EXPECT_EQ(link.rect.left, 10);
    EXPECT_EQ(link.rect.top, height - 56);
    EXPECT_GT(link.Width(), 0);
    ++extras;
  }
  EXPECT_EQ(dialog.controls.size(), plain.controls.size() + extras);
}

INSTANTIATE_TEST_SUITE_P(
    Styles, DialogStyles,
    testing::Values(
        StyleCase{"hold", L"\"style\":\"hold\",\"text\":\"Remind me later\"", true, L"Remind me later", L""},
        StyleCase{"note", L"\"style\":\"note\",\"text\":\"Release notes\",\"url\":\"https://example.com/n\"", true,
                  L"", L"Release notes"},
        StyleCase{"another style", L"\"style\":\"plain\",\"text\":\"Remind me later\"", true, L"", L""},
        StyleCase{"HOLD", L"\"style\":\"HOLD\",\"text\":\"Remind me later\"", true, L"", L""},
        StyleCase{"Note", L"\"style\":\"Note\",\"text\":\"Release notes\"", true, L"", L""},
        StyleCase{"empty style", L"\"style\":\"\",\"text\":\"Remind me later\"", false, L"", L""},
        StyleCase{"keys in capitals", L"\"STYLE\":\"hold\",\"Text\":\"Remind me later\"", true, L"Remind me later",
                  L""},
        // The info object ends at the first brace: the style after it is not found.
        StyleCase{"text cut at a brace", L"\"text\":\"Remind me}\",\"style\":\"hold\"", false, L"", L""},
        StyleCase{"escaped quotes in the text", L"\"style\":\"hold\",\"text\":\"Remind me \\\"later\\\"\"", true,
                  L"Remind me \"later\"", L""}));

struct HoldCase {
  Answer answer;
  bool tick;
  bool result;
};

class HoldCommand : public CheckInRun, public testing::WithParamInterface<HoldCase> {};

// The "hold" command goes out when the box is ticked, whatever the answer, and only then.
TEST_P(HoldCommand, IsSentWhenTheBoxIsTicked) {
  const HoldCase& c = GetParam();
  const DialogRun run = RunUpdateDialog(UpdateReply(L"\"style\":\"hold\",\"text\":\"Remind me later\""), c.answer,
                                        [&](const SeenDialog& dialog) {
                                          if (c.tick) SendMessageW(dialog.One(L"Button", L"Remind me later").handle, BM_CLICK, 0, 0);
                                        });
  EXPECT_EQ(run.result, c.result);
  if (c.tick) {
    ASSERT_TRUE(server.WaitForRequests(1, 10000));
    const test::ReceivedRequest request = server.Requests().at(0);
    EXPECT_THAT(request.NamesStartingWith("User-"), ElementsAre("User-Version", "User-Command"));
    EXPECT_EQ(request.Header("User-Version"), "0.0.0.0");
    EXPECT_EQ(request.Header("User-Command"), "hold");
  } else {
    EXPECT_FALSE(server.WaitForRequests(1, 1000));
  }
  EXPECT_THAT(probe.Opened(), IsEmpty());
}

INSTANTIATE_TEST_SUITE_P(Answers, HoldCommand,
                         testing::Values(HoldCase{Answer::No, true, false}, HoldCase{Answer::Yes, true, true},
                                         HoldCase{Answer::No, false, false}));

// A click on the link opens its address and leaves the dialog open for the user's answer.
TEST_F(CheckInRun, TheNoteLinkOpensItsAddressAndTheDialogStays) {
  bool stayedOpen = false;
  std::vector<std::string> openedMeanwhile;
  const DialogRun run = RunUpdateDialog(
      UpdateReply(L"\"style\":\"note\",\"text\":\"Release notes\",\"url\":\"https:\\/\\/example.com\\/notes?v=2\""),
      Answer::Yes, [&](const SeenDialog& dialog) {
        const HWND link = dialog.One(L"Static", L"Release notes").handle;
        SendMessageW(link, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(2, 2));
        SendMessageW(link, WM_LBUTTONUP, 0, MAKELPARAM(2, 2));
        openedMeanwhile = probe.WaitForOpened(1, 10000);
        stayedOpen = IsWindowVisible(dialog.handle) != FALSE;
      });
  EXPECT_THAT(openedMeanwhile, ElementsAre("https://example.com/notes?v=2"));
  EXPECT_TRUE(stayedOpen);
  EXPECT_TRUE(run.result);
  EXPECT_EQ(probe.Opened().size(), 1u);
}

TEST_F(CheckInRun, ANoteLinkToSomethingElseThanAWebAddressOpensNothing) {
  const DialogRun run = RunUpdateDialog(
      UpdateReply(L"\"style\":\"note\",\"text\":\"Release notes\",\"url\":\"C:\\\\Windows\\\\notepad.exe\""),
      Answer::No, [&](const SeenDialog& dialog) {
        const HWND link = dialog.One(L"Static", L"Release notes").handle;
        SendMessageW(link, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(2, 2));
        SendMessageW(link, WM_LBUTTONUP, 0, MAKELPARAM(2, 2));
      });
  EXPECT_FALSE(run.result);
  Sleep(500);
  EXPECT_THAT(probe.Opened(), IsEmpty());
}

// With the main window on screen the dialog only stays on top; without it, the dialog also
// takes the program's icon and has no owner.
TEST_F(CheckInRun, StayOnTopKeepsTheDialogAboveAllWindows) {
  const std::wstring reply = UpdateReply(L"\"flag\":\"x,stayontop,y\"");
  ui::Form& main = MakeMainForm(true);
  const SeenDialog withMain = RunUpdateDialog(reply, Answer::No).seen;
  EXPECT_NE(withMain.exStyle & WS_EX_TOPMOST, 0u);
  EXPECT_EQ(withMain.owner, main.Handle());
  EXPECT_EQ(withMain.smallIcon, 0);

  main.SetVisible(false);
  ShowWindow(main.Handle(), SW_HIDE);
  const SeenDialog withoutMain = RunUpdateDialog(reply, Answer::No).seen;
  EXPECT_NE(withoutMain.exStyle & WS_EX_TOPMOST, 0u);
  EXPECT_EQ(withoutMain.owner, nullptr);
  EXPECT_NE(withoutMain.smallIcon, 0);
  EXPECT_EQ(withoutMain.smallIcon, withoutMain.classIcon);

  // The flag is compared exactly.
  EXPECT_EQ(RunUpdateDialog(UpdateReply(L"\"flag\":\"StayOnTop\""), Answer::No).seen.exStyle & WS_EX_TOPMOST, 0u);
}

// ----- The update status bar

TEST_F(CheckInRun, TheStatusBarSitsAtTheBottomAndTheWindowGrowsByIt) {
  ui::Form& main = MakeMainForm();
  RECT before{};
  GetClientRect(main.Handle(), &before);
  const RECT contentBefore = content->ClientRect();

  ShowUpdateStatus(L"https://example.com/news");
  ui::StatusBar* bar = StatusBarOf(main);
  ASSERT_NE(bar, nullptr);
  RECT after{};
  GetClientRect(main.Handle(), &after);
  EXPECT_EQ(after.bottom, before.bottom + 28);
  EXPECT_EQ(content->ClientRect().bottom, contentBefore.bottom);
  RECT barRect{};
  GetWindowRect(bar->Handle(), &barRect);
  MapWindowPoints(nullptr, main.Handle(), reinterpret_cast<POINT*>(&barRect), 2);
  EXPECT_EQ(barRect.top, after.bottom - 28);
  EXPECT_EQ(barRect.bottom, after.bottom);
  EXPECT_EQ(barRect.right - barRect.left, after.right);
  ASSERT_EQ(bar->PanelCount(), 1u);
  EXPECT_EQ(bar->Panel(0).text, L"Update available");
  EXPECT_TRUE(bar->Panel(0).ownerDraw);
  EXPECT_EQ(bar->Hint(), L"https://example.com/news");
  EXPECT_EQ(SendMessageW(main.ToolTipWindow(), TTM_GETTOOLCOUNT, 0, 0), 1);
  SendMessageW(bar->Handle(), WM_SETCURSOR, reinterpret_cast<WPARAM>(bar->Handle()), MAKELPARAM(HTCLIENT, WM_MOUSEMOVE));
  EXPECT_EQ(GetCursor(), LoadCursorW(nullptr, IDC_HAND));

  // A second notice reuses the bar: one bar, no further growth, the new address.
  ShowUpdateStatus(L"https://example.com/other");
  EXPECT_EQ(StatusBarOf(main), bar);
  EXPECT_EQ(main.OwnedCount(), 2u);
  RECT again{};
  GetClientRect(main.Handle(), &again);
  EXPECT_EQ(again.bottom, after.bottom);
  EXPECT_EQ(bar->Hint(), L"https://example.com/other");
  EXPECT_EQ(SendMessageW(main.ToolTipWindow(), TTM_GETTOOLCOUNT, 0, 0), 1);
}

TEST_F(CheckInRun, TheStatusBarNeedsAMainWindow) {
  ShowUpdateStatus(L"https://example.com/news");
  EXPECT_EQ(ui::application::MainForm(), nullptr);
}

// The bar's one panel, drawn into a bitmap: the caption in bold red, centred on the bar's own
// background.
TEST_F(CheckInRun, TheStatusBarDrawsItsCaptionCentredInBoldRed) {
  ui::Form& main = MakeMainForm(true);
  ShowUpdateStatus(L"https://example.com/news");
  ui::StatusBar& bar = *StatusBarOf(main);
  const RECT client = bar.ClientRect();
  const HDC screen = GetDC(bar.Handle());
  const HDC memory = CreateCompatibleDC(screen);
  const HBITMAP bitmap = CreateCompatibleBitmap(screen, client.right, client.bottom);
  const HGDIOBJ previous = SelectObject(memory, bitmap);
  SendMessageW(bar.Handle(), WM_PRINTCLIENT, reinterpret_cast<WPARAM>(memory), PRF_CLIENT | PRF_ERASEBKGND);
  RECT red{client.right, client.bottom, 0, 0};
  for (int y = 0; y < client.bottom; ++y) {
    for (int x = 0; x < client.right; ++x) {
      if (GetPixel(memory, x, y) != RGB(255, 0, 0)) continue;
      red = {std::min<LONG>(red.left, x), std::min<LONG>(red.top, y), std::max<LONG>(red.right, x + 1),
             std::max<LONG>(red.bottom, y + 1)};
    }
  }
  const COLORREF corner = GetPixel(memory, 4, client.bottom / 2);
  SelectObject(memory, previous);
  DeleteObject(bitmap);
  DeleteDC(memory);
  ReleaseDC(bar.Handle(), screen);

  ASSERT_LT(red.left, red.right) << "no red text drawn";
  EXPECT_NEAR((red.left + red.right) / 2.0, client.right / 2.0, 3);
  EXPECT_NEAR((red.top + red.bottom) / 2.0, client.bottom / 2.0, 3);
  EXPECT_EQ(corner, GetSysColor(COLOR_BTNFACE));
  // Bold: wider than the caption in the plain font.
  const HDC measure = GetDC(bar.Handle());
  const HGDIOBJ plainFont = SelectObject(measure, main.Font());
  SIZE plain{};
  GetTextExtentPoint32W(measure, L"Update available", 16, &plain);
  SelectObject(measure, plainFont);
  ReleaseDC(bar.Handle(), measure);
  EXPECT_GT(red.right - red.left, plain.cx);
}

TEST_F(CheckInRun, AClickAnywhereOnTheStatusBarOpensTheNotice) {
  ui::Form& main = MakeMainForm();
  ShowUpdateStatus(L"https://example.com/news?id=7");
  const HWND bar = StatusBarOf(main)->Handle();
  RECT client{};
  GetClientRect(bar, &client);
  for (const POINT point : {POINT{2, 2}, POINT{client.right - 3, client.bottom - 3}}) {
    SendMessageW(bar, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(point.x, point.y));
    SendMessageW(bar, WM_LBUTTONUP, 0, MAKELPARAM(point.x, point.y));
  }
  EXPECT_THAT(probe.WaitForOpened(2, 10000), ElementsAre("https://example.com/news?id=7", "https://example.com/news?id=7"));
}

}  // namespace
}  // namespace quorvane
