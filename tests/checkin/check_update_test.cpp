// The check-in as the user meets it, in real windows on the test run's virtual display: the
// worker and its retries against a server on 127.0.0.1 and the reply handling. Addresses that
// the program opens go to a probe instead of a browser. This test program has no version
// resource.
#include "checkin/check_update.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "common/error.h"
#include "support/checkin_run.h"

namespace quorvane {
namespace {

using namespace test;  // the shared check-in fixture and its helpers
using testing::ElementsAre;
using testing::IsEmpty;

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
  server.SetStandingAnswer(
      test::Reply(200, Json(R"("update":"https://example.com/get.exe","notify":"https://example.com/news")"), 300));
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
  CheckUpdate(
      server.Url(), [](bool, const std::wstring&) { throw Error(L"The Task Scheduler service is not running."); }, 10,
      kShortWait);
  EXPECT_TRUE(ProcessMessagesUntil([&] { return closed.load(); }, 20000));
  user.join();
  EXPECT_EQ(shown, L"The Task Scheduler service is not running.");
}

// ----- The reply handling

struct ReplyCase {
  const char* what;
  std::wstring reply;
  Answer answer;
  int dialogs;  // update dialogs shown
  bool accepted;
  std::vector<std::string> opened;
  std::wstring notice;  // the status bar's address; empty for no status bar
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
        ReplyCase{"yes opens the update",
                  L"{\"update\":\"" + kUpdateUrl + L"\"}",
                  Answer::Yes,
                  1,
                  true,
                  {"https://example.com/quorvane-setup.exe"},
                  L""},
        ReplyCase{"enter is yes",
                  L"{\"update\":\"" + kUpdateUrl + L"\"}",
                  Answer::Enter,
                  1,
                  true,
                  {"https://example.com/quorvane-setup.exe"},
                  L""},
        ReplyCase{"no opens nothing", L"{\"update\":\"" + kUpdateUrl + L"\"}", Answer::No, 1, false, {}, L""},
        ReplyCase{"escape is no", L"{\"update\":\"" + kUpdateUrl + L"\"}", Answer::Escape, 1, false, {}, L""},
        ReplyCase{"closing is no", L"{\"update\":\"" + kUpdateUrl + L"\"}", Answer::CloseBox, 1, false, {}, L""},
        ReplyCase{"declined, the notice stays",
                  L"{\"update\":\"" + kUpdateUrl + L"\",\"notify\":\"http://example.com/news\"}",
                  Answer::No,
                  1,
                  false,
                  {},
                  L"http://example.com/news"},
        ReplyCase{"accepted, the notice too",
                  L"{\"notify\":\"http://example.com/news\",\"update\":\"" + kUpdateUrl + L"\"}",
                  Answer::Yes,
                  1,
                  true,
                  {"https://example.com/quorvane-setup.exe"},
                  L"http://example.com/news"},
        ReplyCase{"notice alone",
                  L"{\"notify\":\"https://example.com/news\"}",
                  Answer::No,
                  0,
                  false,
                  {},
                  L"https://example.com/news"},
        ReplyCase{"both empty", L"{\"update\":\"\",\"notify\":\"\"}", Answer::Yes, 0, false, {}, L""},
        ReplyCase{"empty reply", L"", Answer::Yes, 0, false, {}, L""},
        ReplyCase{"an error page", L"<html><body>502 Bad Gateway</body></html>", Answer::Yes, 0, false, {}, L""},
        ReplyCase{"escaped address",
                  L"{\"UPDATE\":\"https:\\/\\/example.com\\/q.exe\"}",
                  Answer::Yes,
                  1,
                  true,
                  {"https://example.com/q.exe"},
                  L""},
        ReplyCase{"blank before the value", L"{\"update\": \"" + kUpdateUrl + L"\"}", Answer::Yes, 0, false, {}, L""},
        ReplyCase{"broken escape",
                  L"{\"update\":\"https://example.com/\\u12\"}",
                  Answer::Yes,
                  1,
                  true,
                  {"https://example.com/12"},
                  L""},
        // An escaped backslash at the end makes the value run on to the next quote: it is no
        // address any more. The notice is found on its own.
        ReplyCase{"value ending in an escaped backslash",
                  L"{\"update\":\"https://example.com/a\\\\\",\"notify\":\"https://example.com/n\"}",
                  Answer::Yes,
                  0,
                  false,
                  {},
                  L"https://example.com/n"},
        ReplyCase{
            "quote inside the value", L"{\"update\":\"https://example.com/a\\\"b\"}", Answer::Yes, 0, false, {}, L""},
        ReplyCase{"the first occurrence wins",
                  L"{\"x\":{\"notify\":\"https://example.com/first\"},\"notify\":\"https://example.com/second\"}",
                  Answer::Yes,
                  0,
                  false,
                  {},
                  L"https://example.com/first"},
        ReplyCase{"1 MB",
                  L"{\"notify\":\"https://example.com/n\",\"pad\":\"" + std::wstring(1 << 20, L'x') + L"\"}",
                  Answer::Yes,
                  0,
                  false,
                  {},
                  L"https://example.com/n"},
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

}  // namespace
}  // namespace quorvane
