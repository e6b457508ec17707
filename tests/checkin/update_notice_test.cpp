// The update dialog and the update status bar, in real windows on the test run's virtual
// display, shown by the check-in's reply handling as the user meets them. Addresses that the
// program opens go to a probe instead of a browser.
#include "checkin/update_notice.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "support/checkin_run.h"

namespace quorvane {
namespace {

using namespace test;  // the shared check-in fixture and its helpers
using testing::ElementsAre;
using testing::IsEmpty;

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
  bool grows;             // the dialog grows and shows its separator
  std::wstring holdBox;   // the check box's caption; empty for no check box
  std::wstring noteLink;  // the link's caption; empty for no link
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
        StyleCase{"note", L"\"style\":\"note\",\"text\":\"Release notes\",\"url\":\"https://example.com/n\"", true, L"",
                  L"Release notes"},
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
  const DialogRun run = RunUpdateDialog(
      UpdateReply(L"\"style\":\"hold\",\"text\":\"Remind me later\""), c.answer, [&](const SeenDialog& dialog) {
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
  SendMessageW(bar->Handle(), WM_SETCURSOR, reinterpret_cast<WPARAM>(bar->Handle()),
               MAKELPARAM(HTCLIENT, WM_MOUSEMOVE));
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
  EXPECT_THAT(probe.WaitForOpened(2, 10000),
              ElementsAre("https://example.com/news?id=7", "https://example.com/news?id=7"));
}

}  // namespace
}  // namespace quorvane
