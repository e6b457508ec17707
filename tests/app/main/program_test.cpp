// Quorvane.exe itself, on the test run's virtual display, in the test prefix seeded with known
// entries, checking in with the stand-in service of scripts/checkin-server.
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <windows.h>

#include <commctrl.h>

#include <optional>
#include <stdexcept>

#include "common/scoped.h"
#include "common/text.h"
#include "support/autorun_locations.h"
#include "support/fake_task_scheduler.h"
#include "support/test_support.h"
#include "support/url_probe.h"
#include "support/window_capture.h"

namespace quorvane {
namespace {

using testing::Contains;
using testing::Not;

// The stand-in's folder, which ctest's fixture brings up, as this program sees it.
const std::wstring kStandIn = QUORVANE_CHECKIN_STAND_IN_DIR;

std::wstring ReadText(const std::wstring& path) {
  return test::FileExists(path) ? FromUtf8(test::ReadFileBytes(path)) : L"";
}

void WriteText(const std::wstring& path, const std::string& text) { test::WriteFileBytes(path, text); }

struct WindowSearch {
  DWORD process;
  std::wstring className;
  std::wstring caption;  // empty: any
  HWND found = nullptr;
};

BOOL CALLBACK MatchWindow(HWND window, LPARAM context) noexcept {
  auto& search = *reinterpret_cast<WindowSearch*>(context);
  DWORD process = 0;
  GetWindowThreadProcessId(window, &process);
  wchar_t className[64] = {};
  GetClassNameW(window, className, 64);
  wchar_t caption[256] = {};
  GetWindowTextW(window, caption, 256);
  if (process == search.process && IsWindowVisible(window) && search.className == className &&
      (search.caption.empty() || search.caption == caption)) {
    search.found = window;
    return FALSE;
  }
  return TRUE;
}

HWND FindTopWindow(DWORD process, const std::wstring& className, const std::wstring& caption = L"") {
  WindowSearch search{process, className, caption};
  EnumWindows(MatchWindow, reinterpret_cast<LPARAM>(&search));
  return search.found;
}

HWND FindChild(HWND parent, const std::wstring& className, const std::wstring& caption = L"") {
  DWORD process = 0;
  GetWindowThreadProcessId(parent, &process);
  WindowSearch search{process, className, caption};
  EnumChildWindows(parent, MatchWindow, reinterpret_cast<LPARAM>(&search));
  return search.found;
}

BOOL CALLBACK MatchCheckBox(HWND window, LPARAM found) noexcept {
  wchar_t className[16] = {};
  GetClassNameW(window, className, 16);
  if (std::wstring(className) != L"Button" || (GetWindowLongPtrW(window, GWL_STYLE) & BS_TYPEMASK) != BS_AUTOCHECKBOX) {
    return TRUE;
  }
  *reinterpret_cast<HWND*>(found) = window;
  return FALSE;
}

HWND FindCheckBox(HWND parent) {
  HWND found = nullptr;
  EnumChildWindows(parent, MatchCheckBox, reinterpret_cast<LPARAM>(&found));
  return found;
}

// The texts of the first column of another process's list view: the item structure and the
// text buffer live in that process, where the list view writes.
std::vector<std::wstring> RowTexts(HWND list) {
  DWORD processId = 0;
  GetWindowThreadProcessId(list, &processId);
  const ScopedHandle process(OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE, FALSE, processId));
  constexpr int kTextChars = 512;
  auto* remote = static_cast<BYTE*>(VirtualAllocEx(
      process.Get(), nullptr, sizeof(LVITEMW) + kTextChars * sizeof(wchar_t), MEM_COMMIT, PAGE_READWRITE));
  std::vector<std::wstring> rows;
  const auto count = static_cast<int>(SendMessageW(list, LVM_GETITEMCOUNT, 0, 0));
  for (int row = 0; row < count; ++row) {
    LVITEMW item{};
    item.pszText = reinterpret_cast<wchar_t*>(remote + sizeof(LVITEMW));
    item.cchTextMax = kTextChars;
    WriteProcessMemory(process.Get(), remote, &item, sizeof item, nullptr);
    SendMessageW(list, LVM_GETITEMTEXTW, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(remote));
    wchar_t text[kTextChars] = {};
    ReadProcessMemory(process.Get(), remote + sizeof(LVITEMW), text, sizeof text - sizeof(wchar_t), nullptr);
    rows.emplace_back(text);
  }
  VirtualFreeEx(process.Get(), remote, 0, MEM_RELEASE);
  return rows;
}

// One run of the program; ended by force if it is still running when the test is done.
class Quorvane {
 public:
  Quorvane() {
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    started_ = test::StartProcess(L"\"" + test::ProgramBesideTest(L"Quorvane.exe") + L"\"", startup, false, 0);
  }
  ~Quorvane() {
    if (WaitForSingleObject(Handle(), 0) == WAIT_TIMEOUT) TerminateProcess(Handle(), 1);
    WaitForSingleObject(Handle(), 5000);
  }
  Quorvane(const Quorvane&) = delete;
  Quorvane& operator=(const Quorvane&) = delete;

  DWORD Id() const { return started_.id; }
  HWND WaitForMainWindow() const {
    HWND window = nullptr;
    test::WaitUntil([&] { return (window = FindTopWindow(Id(), L"QuorvaneWindow", L"Quorvane")) != nullptr; }, 60000);
    return window;
  }
  std::optional<DWORD> WaitForExit(DWORD milliseconds) const {
    if (WaitForSingleObject(Handle(), milliseconds) != WAIT_OBJECT_0) return std::nullopt;
    DWORD code = 0;
    GetExitCodeProcess(Handle(), &code);
    return code;
  }

 private:
  HANDLE Handle() const { return started_.process.Get(); }

  test::StartedProcess started_;
};

class ProgramTest : public testing::Test {
 protected:
  void SetUp() override {
    test::ResetAutorunLocations();
    test::SetStringValue(HKEY_CURRENT_USER, test::kRunKey, L"HiddenByReply", L"C:\\Hidden\\hidden.exe");
    test::SetStringValue(HKEY_CURRENT_USER, test::kRunKey, L"ShownTool", L"C:\\Shown\\shown.exe");
    DeleteFileW((kStandIn + L"\\delay").c_str());
    DeleteFileW((kStandIn + L"\\hang-up").c_str());
    DeleteFileW((kStandIn + L"\\requests.log").c_str());
    const test::ProcessResult pointed =
        test::RunProcess(L"\"" + test::ProgramBesideTest(L"use_checkin_server.exe") + L"\" " +
                         ReadText(kStandIn + L"\\port") + L" \"" + kStandIn + L"\\authority.der\"");
    ASSERT_EQ(pointed.exitCode, 0u) << pointed.errors;
  }
  void TearDown() override {
    DeleteFileW((kStandIn + L"\\hang-up").c_str());
    test::RunProcess(L"\"" + test::ProgramBesideTest(L"use_checkin_server.exe") + L"\" none");
    test::DeleteRawTree(HKEY_CURRENT_USER, L"Software\\Tesmora");
    test::ResetAutorunLocations();
  }

  static void Reply(const std::string& body) { WriteText(kStandIn + L"\\reply.json", body); }
  // The check-in's requests that reached the stand-in.
  static std::size_t Attempts() {
    const std::wstring requests = ReadText(kStandIn + L"\\requests.log");
    std::size_t count = 0;
    for (std::size_t at = requests.find(L"User-Union:"); at != std::wstring::npos;
         at = requests.find(L"User-Union:", at + 1)) {
      ++count;
    }
    return count;
  }

  static std::vector<std::wstring> LoadedRows(HWND window) {
    const HWND list = FindChild(window, L"SysListView32");
    std::vector<std::wstring> rows;
    test::WaitUntil([&] { return !(rows = RowTexts(list)).empty(); }, 30000);
    return rows;
  }
};

TEST_F(ProgramTest, TheListLoadsOnlyAfterTheReplyWithTheNamesThatTheReplyHides) {
  Reply(R"({"name_white":["HiddenByReply"]})");
  WriteText(kStandIn + L"\\delay", "4");
  Quorvane program;
  const HWND window = program.WaitForMainWindow();
  ASSERT_NE(window, nullptr);
  EXPECT_THAT(RowTexts(FindChild(window, L"SysListView32")), testing::IsEmpty());

  const std::vector<std::wstring> rows = LoadedRows(window);
  EXPECT_THAT(rows, Contains(L"ShownTool"));
  EXPECT_THAT(rows, Not(Contains(L"HiddenByReply")));
  const std::wstring requests = ReadText(kStandIn + L"\\requests.log");
  EXPECT_THAT(requests, testing::HasSubstr(L"User-Version: 1.0.2.0"));
  EXPECT_THAT(requests, testing::HasSubstr(L"User-Debug: true"));
  // No notice in the reply: no status bar.
  EXPECT_EQ(FindChild(window, STATUSCLASSNAMEW), nullptr);
}

class UselessReply : public ProgramTest, public testing::WithParamInterface<const char*> {};

TEST_P(UselessReply, StillLoadsTheListWithTheBuiltInListsAlone) {
  Reply(GetParam());
  Quorvane program;
  const HWND window = program.WaitForMainWindow();
  ASSERT_NE(window, nullptr);
  const std::vector<std::wstring> rows = LoadedRows(window);
  EXPECT_THAT(rows, Contains(L"ShownTool"));
  EXPECT_THAT(rows, Contains(L"HiddenByReply"));
}

INSTANTIATE_TEST_SUITE_P(Replies, UselessReply,
                         testing::Values(R"(["name_white",["HiddenByReply"]])",
                                         "<html><body>502 Bad Gateway</body></html>", ""));

TEST_F(ProgramTest, ANoticeInTheReplyPutsTheStatusBarOnTheWindow) {
  Reply(R"({"notify":"https://www.tesmora.com/quorvane/news"})");
  Quorvane program;
  const HWND window = program.WaitForMainWindow();
  ASSERT_NE(window, nullptr);
  LoadedRows(window);
  const HWND statusBar = FindChild(window, STATUSCLASSNAMEW);
  ASSERT_NE(statusBar, nullptr);
  RECT bar{};
  GetWindowRect(statusBar, &bar);
  EXPECT_EQ(bar.bottom - bar.top, 28);
  RECT client{};
  GetClientRect(window, &client);
  EXPECT_EQ(client.bottom, 432 + 28);  // the design height, then the bar
}

TEST_F(ProgramTest, TakingAnOfferedUpdateOpensItAndEndsTheProgramWithoutLoadingTheList) {
  test::UrlProbe browser;
  Reply(R"({"update":"https://update.tesmora.com/download/quorvane-setup.exe"})");
  Quorvane program;
  const HWND window = program.WaitForMainWindow();
  ASSERT_NE(window, nullptr);
  HWND dialog = nullptr;
  const auto dialogShown = [&] {
    dialog = FindTopWindow(program.Id(), L"QuorvaneWindow", L"Quorvane");
    return dialog != window && dialog != nullptr;
  };
  ASSERT_TRUE(test::WaitUntil(dialogShown, 30000));
  EXPECT_THAT(RowTexts(FindChild(window, L"SysListView32")), testing::IsEmpty());
  const HWND yes = FindChild(dialog, L"Button", L"Yes");
  ASSERT_NE(yes, nullptr);
  PostMessageW(yes, BM_CLICK, 0, 0);

  EXPECT_EQ(program.WaitForExit(20000), std::optional<DWORD>(0));
  EXPECT_THAT(browser.WaitForOpened(1, 10000),
              testing::ElementsAre("https://update.tesmora.com/download/quorvane-setup.exe"));
}

TEST_F(ProgramTest, ASecondStartEndsAtOnceWithoutAWindow) {
  Reply("{}");
  Quorvane first;
  ASSERT_NE(first.WaitForMainWindow(), nullptr);
  Quorvane second;
  EXPECT_EQ(second.WaitForExit(20000), std::optional<DWORD>(0));
  EXPECT_EQ(FindTopWindow(second.Id(), L"QuorvaneWindow"), nullptr);
  EXPECT_EQ(first.WaitForExit(0), std::nullopt);
}

// The Task Scheduler cannot be reached: the first load ends with that error, which the program
// shows in a message box; it goes on running, with the list as it was.
TEST_F(ProgramTest, AnErrorOfTheListLoadIsShownAndTheProgramGoesOn) {
  test::FakeTaskScheduler scheduler;
  scheduler.FailAt(L"Connect", E_ACCESSDENIED);
  Reply("{}");
  Quorvane program;
  const HWND window = program.WaitForMainWindow();
  ASSERT_NE(window, nullptr);
  HWND message = nullptr;
  ASSERT_TRUE(test::WaitUntil([&] { return (message = FindTopWindow(program.Id(), L"#32770")) != nullptr; }, 30000));
  wchar_t text[512] = {};
  GetDlgItemTextW(message, 0xFFFF, text, 512);
  EXPECT_THAT(std::wstring(text), testing::Not(testing::IsEmpty()));
  PostMessageW(message, WM_COMMAND, IDOK, 0);

  EXPECT_TRUE(test::WaitUntil([&] { return !IsWindow(message); }, 10000));
  EXPECT_EQ(program.WaitForExit(1000), std::nullopt);
  EXPECT_THAT(RowTexts(FindChild(window, L"SysListView32")), testing::IsEmpty());
}

// The list's area below its header, where the rows are, in the window's client coordinates.
RECT RowsArea(HWND window, HWND list) {
  RECT area{};
  GetClientRect(list, &area);
  RECT header{};
  GetWindowRect(reinterpret_cast<HWND>(SendMessageW(list, LVM_GETHEADER, 0, 0)), &header);
  area.top = header.bottom - header.top;
  MapWindowPoints(list, window, reinterpret_cast<POINT*>(&area), 2);
  return area;
}

// The window's picture, taken whole: another process's child windows cannot be copied alone.
test::ColourSeen GreyTextIn(HWND window, const RECT& area) {
  return test::FindColour(test::CaptureWindow(window), GetSysColor(COLOR_GRAYTEXT), area);
}

// Where the list draws anything but its background colour.
test::ColourSeen InkIn(HWND window, HWND list, const RECT& area) {
  const auto background = static_cast<COLORREF>(SendMessageW(list, LVM_GETBKCOLOR, 0, 0));
  return test::FindInk(test::CaptureWindow(window), background, area);
}

std::wstring ScreenshotPath(const std::wstring& name) {
  wchar_t language[16] = {};
  GetLocaleInfoW(GetUserDefaultLCID(), LOCALE_SISO639LANGNAME, language, 16);
  CreateDirectoryW(QUORVANE_SCREENSHOT_DIR, nullptr);
  return std::wstring(QUORVANE_SCREENSHOT_DIR) + L"\\" + name + L"-" + language + L".bmp";
}

// While the check-in tries again, the empty list says in its middle that it is loading; once
// an attempt is answered, the rows take its place. Leaves the picture of the waiting window.
TEST_F(ProgramTest, ScreenshotWhileTheCheckInTriesAgainShowsThatTheListIsLoading) {
  Reply("{}");
  WriteText(kStandIn + L"\\hang-up", "");
  Quorvane program;
  const HWND window = program.WaitForMainWindow();
  ASSERT_NE(window, nullptr);
  const HWND list = FindChild(window, L"SysListView32");
  ASSERT_NE(list, nullptr);
  ASSERT_TRUE(test::WaitUntil([] { return Attempts() >= 1; }, 30000)) << "no request reached the stand-in";

  const RECT rows = RowsArea(window, list);
  test::ColourSeen line;
  ASSERT_TRUE(test::WaitUntil([&] { return (line = InkIn(window, list, rows)).count > 0; }, 10000));
  EXPECT_GT(GreyTextIn(window, line.bounds).count, 0);
  EXPECT_LT(line.bounds.bottom - line.bounds.top, 30) << "one line";
  EXPECT_THAT(RowTexts(list), testing::IsEmpty());
  // Centred: its ink may stop a few pixels short of the text's last advance.
  EXPECT_NEAR((line.bounds.left + line.bounds.right) / 2, (rows.left + rows.right) / 2, 8);
  EXPECT_NEAR((line.bounds.top + line.bounds.bottom) / 2, (rows.top + rows.bottom) / 2, 10);
  const std::wstring path = ScreenshotPath(L"quorvane-loading");
  test::SaveWindowImage(window, path);
  EXPECT_TRUE(test::FileExists(path));

  // The next attempt is answered.
  DeleteFileW((kStandIn + L"\\hang-up").c_str());
  EXPECT_THAT(LoadedRows(window), Contains(L"ShownTool"));
  EXPECT_GE(Attempts(), 2u);
  EXPECT_TRUE(test::WaitUntil([&] { return GreyTextIn(window, line.bounds).count == 0; }, 5000))
      << "the line is still there";
}

// Leaves a picture of the loaded window in the interface language of the test's locale, which
// ctest sets (English, and Korean in a second run).
TEST_F(ProgramTest, ScreenshotOfTheLoadedWindow) {
  Reply(R"({"notify":"https://www.tesmora.com/quorvane/news"})");
  test::SetStringValue(HKEY_CURRENT_USER, test::kRunKey, L"\uCE74\uCE74\uC624\uD1A1",
                       L"\"C:\\Program Files (x86)\\Kakao\\KakaoTalk\\KakaoTalk.exe\" -bystartup");
  test::SetBinaryValue(HKEY_CURRENT_USER, test::kApprovedRun, L"ShownTool", {3, 0, 0, 0, 1, 2, 3, 4, 5, 6, 7, 8});
  Quorvane program;
  const HWND window = program.WaitForMainWindow();
  ASSERT_NE(window, nullptr);
  const std::size_t shown = LoadedRows(window).size();
  SendMessageW(FindCheckBox(window), BM_CLICK, 0, 0);  // "All Programs": the greyed row too
  EXPECT_TRUE(test::WaitUntil([&] { return RowTexts(FindChild(window, L"SysListView32")).size() > shown; }, 10000));
  Sleep(500);

  const std::wstring path = ScreenshotPath(L"quorvane");
  test::SaveWindowImage(window, path);
  EXPECT_TRUE(test::FileExists(path));
}

}  // namespace
}  // namespace quorvane
