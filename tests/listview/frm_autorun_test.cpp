// The startup list frame in a real window, on the test run's virtual display, over a test
// prefix seeded with known entries: Startup-folder files, Run values, a task of the Task
// Scheduler double, and services. What the list shows is read back from the list view.
#include "listview/frm_autorun.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <dlgs.h>

#include <cwchar>
#include <thread>

#include "app/style/tesmora_button_styles.h"
#include "app/translation/translation.h"
#include "ui/application.h"
#include "ui/dpi.h"
#include "ui/form.h"
#include "catalogue/autorun_state.h"
#include "catalogue/saved_list.h"
#include "common/error.h"
#include "common/scoped.h"
#include "common/shell.h"
#include "common/text.h"
#include "listview/loading_text.h"
#include "support/autorun_locations.h"
#include "support/fake_task_scheduler.h"
#include "support/test_support.h"
#include "support/window_capture.h"

namespace quorvane {
namespace {

using test::kApprovedRun;
using test::kRunKey;
using testing::AllOf;
using testing::Contains;
using testing::ElementsAre;
using testing::Field;
using testing::Ge;
using testing::Not;

// ---- What the list view shows ------------------------------------------------------------------

struct ShownRow {
  std::wstring name;
  std::wstring source;
  int image = -1;
};

void PrintTo(const ShownRow& row, std::ostream* out) {
  *out << testing::PrintToString(row.name) << " " << testing::PrintToString(row.source) << " image " << row.image;
}

testing::Matcher<const ShownRow&> Shown(const std::wstring& name, const std::wstring& source,
                                        testing::Matcher<int> image) {
  return AllOf(Field("name", &ShownRow::name, name), Field("source", &ShownRow::source, source),
               Field("image", &ShownRow::image, image));
}

std::wstring CellText(HWND list, int row, int column) {
  wchar_t text[260] = {};
  LVITEMW item{};
  item.iSubItem = column;
  item.pszText = text;
  item.cchTextMax = 260;
  SendMessageW(list, LVM_GETITEMTEXTW, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&item));
  return text;
}

std::vector<ShownRow> ShownRows(const ui::ListView& list) {
  std::vector<ShownRow> rows;
  const auto count = static_cast<int>(SendMessageW(list.Handle(), LVM_GETITEMCOUNT, 0, 0));
  for (int row = 0; row < count; ++row) {
    LVITEMW item{};
    item.mask = LVIF_IMAGE;
    item.iItem = row;
    SendMessageW(list.Handle(), LVM_GETITEMW, 0, reinterpret_cast<LPARAM>(&item));
    rows.push_back({CellText(list.Handle(), row, 0), CellText(list.Handle(), row, 1), item.iImage});
  }
  return rows;
}

// The rows of every source but the services, which the prefix has many of.
std::vector<ShownRow> SeededRows(const ui::ListView& list) {
  std::vector<ShownRow> rows = ShownRows(list);
  std::erase_if(rows, [](const ShownRow& row) { return row.source == L"SERV"; });
  return rows;
}

std::vector<std::wstring> ShownNames(const ui::ListView& list) {
  std::vector<std::wstring> names;
  for (const ShownRow& row : ShownRows(list)) names.push_back(row.name);
  return names;
}

RECT RowRect(const ui::ListView& list, std::size_t row) {
  RECT rect{};
  rect.left = LVIR_BOUNDS;
  SendMessageW(list.Handle(), LVM_GETITEMRECT, row, reinterpret_cast<LPARAM>(&rect));
  return rect;
}

RECT RectInParent(const ui::Control& control) {
  RECT rect{};
  GetWindowRect(control.Handle(), &rect);
  MapWindowPoints(nullptr, GetParent(control.Handle()), reinterpret_cast<POINT*>(&rect), 2);
  return rect;
}

testing::Matcher<RECT> IsRect(LONG left, LONG top, LONG right, LONG bottom) {
  return AllOf(Field("left", &RECT::left, left), Field("top", &RECT::top, top), Field("right", &RECT::right, right),
               Field("bottom", &RECT::bottom, bottom));
}

// The list's area below its header, where the rows are.
RECT RowsArea(const ui::ListView& list) {
  RECT header{};
  GetWindowRect(reinterpret_cast<HWND>(SendMessageW(list.Handle(), LVM_GETHEADER, 0, 0)), &header);
  RECT area = list.ClientRect();
  area.top = header.bottom - header.top;
  return area;
}

// What the list shows in its rows' area, drawn anew.
test::WindowImage ShownList(const ui::ListView& list) {
  RedrawWindow(list.Handle(), nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
  ui::application::ProcessMessages();
  return test::CaptureWindow(list.Handle());
}

// Where the list draws anything but its background colour in its rows' area.
test::ColourSeen InkShown(const ui::ListView& list) {
  const auto background = static_cast<COLORREF>(SendMessageW(list.Handle(), LVM_GETBKCOLOR, 0, 0));
  return test::FindInk(ShownList(list), background, RowsArea(list));
}

// The rectangle of a popup menu that this process shows, waited for; the menu is then closed.
class PopupMenuSeen {
 public:
  PopupMenuSeen() : thread_([this] { Watch(); }) {}
  std::optional<RECT> Place() {
    thread_.join();
    return place_;
  }

 private:
  static BOOL CALLBACK FindMenu(HWND window, LPARAM found) noexcept {
    DWORD process = 0;
    GetWindowThreadProcessId(window, &process);
    wchar_t className[16] = {};
    GetClassNameW(window, className, 16);
    if (process != GetCurrentProcessId() || std::wcscmp(className, L"#32768") != 0 || !IsWindowVisible(window)) {
      return TRUE;
    }
    *reinterpret_cast<HWND*>(found) = window;
    return FALSE;
  }
  void Watch() {
    for (int attempt = 0; attempt < 400; ++attempt) {
      HWND menu = nullptr;
      EnumWindows(FindMenu, reinterpret_cast<LPARAM>(&menu));
      if (menu) {
        RECT rect{};
        GetWindowRect(menu, &rect);
        place_ = rect;
        PostMessageW(menu, WM_KEYDOWN, VK_ESCAPE, 0);
        return;
      }
      Sleep(25);
    }
  }

  std::optional<RECT> place_;
  std::thread thread_;
};

// ---- Finding and answering the dialogs of this process ---------------------------------------

struct DialogSearch {
  HWND owner;
  HWND found;
};

BOOL CALLBACK FindDialog(HWND window, LPARAM search) noexcept {
  auto* wanted = reinterpret_cast<DialogSearch*>(search);
  DWORD process = 0;
  GetWindowThreadProcessId(window, &process);
  wchar_t className[16] = {};
  GetClassNameW(window, className, 16);
  if (process != GetCurrentProcessId() || std::wstring(className) != L"#32770" || !IsWindowVisible(window)) return TRUE;
  if (wanted->owner && GetWindow(window, GW_OWNER) != wanted->owner) return TRUE;
  wanted->found = window;
  return FALSE;
}

// A visible dialog of this process (owned by the given window, if one is given), waited for.
HWND WaitForDialog(HWND owner = nullptr) {
  for (int attempt = 0; attempt < 800; ++attempt) {
    DialogSearch search{owner, nullptr};
    EnumWindows(FindDialog, reinterpret_cast<LPARAM>(&search));
    if (search.found) return search.found;
    Sleep(25);
  }
  return nullptr;
}

// The text of a message box.
std::wstring MessageText(HWND box) {
  wchar_t text[512] = {};
  GetDlgItemTextW(box, 0xFFFF, text, 512);
  return text;
}

std::wstring WindowText(HWND window) {
  wchar_t text[512] = {};
  GetWindowTextW(window, text, 512);
  return text;
}

// What the save dialog showed, and how it was answered.
struct SaveDialogSeen {
  HWND dialog = nullptr;
  std::wstring title;
  std::vector<std::wstring> fileTypes;
  std::wstring prompt;  // the text of the question whether to replace a file, if one came
};

// Answers the save dialog from another thread: types the name and presses Save (or Cancel
// when the name is empty), and answers Yes to the question whether to replace a file.
class SaveDialogAnswer {
 public:
  explicit SaveDialogAnswer(std::wstring fileName) : thread_([this, fileName] { Answer(fileName); }) {}
  SaveDialogSeen Seen() {
    thread_.join();
    return seen_;
  }

 private:
  void Answer(const std::wstring& fileName) {
    const HWND dialog = WaitForDialog();
    if (!dialog) return;
    seen_.dialog = dialog;
    seen_.title = WindowText(dialog);
    const HWND types = GetDlgItem(dialog, cmb1);
    const auto count = static_cast<int>(SendMessageW(types, CB_GETCOUNT, 0, 0));
    for (int i = 0; i < count; ++i) {
      wchar_t text[256] = {};
      SendMessageW(types, CB_GETLBTEXT, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(text));
      seen_.fileTypes.push_back(text);
    }
    if (fileName.empty()) {
      PostMessageW(dialog, WM_COMMAND, IDCANCEL, 0);
      return;
    }
    HWND name = GetDlgItem(dialog, cmb13);
    if (!name) name = GetDlgItem(dialog, edt1);
    SetWindowTextW(name, fileName.c_str());
    PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(dialog, IDOK)));
    // A question whether to replace the file is a dialog of its own, owned by this one.
    for (int attempt = 0; attempt < 200 && IsWindowVisible(dialog); ++attempt) {
      DialogSearch search{dialog, nullptr};
      EnumWindows(FindDialog, reinterpret_cast<LPARAM>(&search));
      if (search.found) {
        seen_.prompt = MessageText(search.found);
        PostMessageW(search.found, WM_COMMAND, IDYES, 0);
        return;
      }
      Sleep(25);
    }
  }

  SaveDialogSeen seen_;
  std::thread thread_;
};

// ---- The frame over the seeded prefix ------------------------------------------------------

constexpr wchar_t kStartupFile[] = L"My Tool.exe";

class FrmAutorunTest : public testing::Test {
 protected:
  static void SetUpTestSuite() {
    ui::application::Initialize();
    InitFolderPlaceholders();
    InitTranslation();
    RegisterTesmoraButtonStyles();
  }
  static void TearDownTestSuite() {
    ui::UnregisterButtonStyleFamilies();
    ReleaseTranslation();
    ReleaseFolderPlaceholders();
  }

  void SetUp() override {
    test::ResetAutorunLocations();
    // A Run value of the seed and one of Wine's own services.
    nameWhite_.Add(L"HiddenTool");
    nameWhite_.Add(L"PlugPlay");
    frame_.SetFileWhite(&fileWhite_);
    frame_.SetNameWhite(&nameWhite_);
    frame_.SetNameBlack(&nameBlack_);
    // The size of the main window's page.
    form_.SetClientSize(396, 382);
    form_.Show();
  }
  void TearDown() override { test::ResetAutorunLocations(); }

  // A file in the user's Startup folder, Run values of the user and of the machine, one of
  // them switched off, one hidden by the name list, one without a name, a task, and two
  // services, one of them disabled. Wine lists a key's values in name order, Windows in the
  // order they were made: the names keep both the same.
  void Seed() {
    const std::wstring fixtures = test::ProgramBesideTest(L"");
    ASSERT_TRUE(CopyFileW((fixtures + L"fixture_one_translation.exe").c_str(), StartupPath().c_str(), FALSE));
    test::SetStringValue(HKEY_CURRENT_USER, kRunKey, L"", fixtures + L"fixture_plain.exe");
    test::SetStringValue(HKEY_CURRENT_USER, kRunKey, L"HiddenTool", fixtures + L"fixture_plain.exe");
    test::SetStringValue(HKEY_CURRENT_USER, kRunKey, L"MissingFile", L"C:\\Nowhere\\missing.exe");
    test::SetStringValue(HKEY_CURRENT_USER, kRunKey, L"NoProduct",
                         L"\"" + fixtures + L"fixture_no_product.exe\" --tray");
    test::SetStringValue(HKEY_LOCAL_MACHINE, kRunKey, L"TwoTranslations", fixtures + L"fixture_two_translations.exe");
    test::SetBinaryValue(HKEY_LOCAL_MACHINE, kApprovedRun, L"TwoTranslations", {3, 0, 0, 0, 1, 2, 3, 4, 5, 6, 7, 8});
    scheduler_.SetTasks({{L"\\Nightly Backup", true, false}});
  }

  static std::wstring StartupPath() { return test::UserStartupFolder() + L'\\' + kStartupFile; }
  static std::wstring RunTarget(const std::wstring& root, const std::wstring& name) {
    return root + L"\\" + kRunKey + L"\\" + name;
  }

  std::size_t RowOf(const std::wstring& target, const std::wstring& from) const {
    const std::optional<std::size_t> row = frame_.FindRow(target, from);
    EXPECT_TRUE(row) << testing::PrintToString(target);
    return row.value_or(0);
  }

  void ClickRow(std::size_t row, UINT down = WM_LBUTTONDOWN) const {
    const RECT rect = RowRect(frame_.ListAutorun, row);
    const LPARAM point = MAKELPARAM(rect.left + 40, (rect.top + rect.bottom) / 2);
    SendMessageW(frame_.ListAutorun.Handle(), down, MK_LBUTTON, point);
    SendMessageW(frame_.ListAutorun.Handle(), WM_LBUTTONUP, 0, point);
    ui::application::ProcessMessages();
  }
  void PressF5() const {
    SetFocus(frame_.ListAutorun.Handle());
    SendMessageW(frame_.ListAutorun.Handle(), WM_KEYDOWN, VK_F5, 0);
  }
  void Click(const ui::Control& control) const {
    SendMessageW(control.Handle(), BM_CLICK, 0, 0);
    ui::application::ProcessMessages();
  }

  // The colour and the font that the custom-draw handler sets for one cell.
  struct CellLook {
    LRESULT result = 0;
    COLORREF textColor = CLR_INVALID;
    LOGFONTW font{};
  };
  CellLook DrawCell(std::size_t row, int column) const {
    static constexpr COLORREF kListColour = RGB(1, 2, 3);
    const HDC dc = CreateCompatibleDC(nullptr);
    NMLVCUSTOMDRAW draw{};
    draw.nmcd.hdr.hwndFrom = frame_.ListAutorun.Handle();
    draw.nmcd.hdr.idFrom = static_cast<UINT_PTR>(GetDlgCtrlID(frame_.ListAutorun.Handle()));
    draw.nmcd.hdr.code = NM_CUSTOMDRAW;
    draw.nmcd.dwDrawStage = CDDS_ITEMPREPAINT | CDDS_SUBITEM;
    draw.nmcd.hdc = dc;
    draw.nmcd.dwItemSpec = row;
    draw.iSubItem = column;
    draw.clrText = kListColour;
    CellLook look;
    look.result = SendMessageW(frame_.Handle(), WM_NOTIFY, draw.nmcd.hdr.idFrom, reinterpret_cast<LPARAM>(&draw));
    look.textColor = draw.clrText == kListColour ? CLR_INVALID : draw.clrText;
    GetObjectW(GetCurrentObject(dc, OBJ_FONT), sizeof look.font, &look.font);
    DeleteDC(dc);
    return look;
  }

  test::FakeTaskScheduler scheduler_;
  test::TestService service_{SERVICE_AUTO_START, L"C:\\Vendor\\service.exe"};
  test::TestService disabledService_{SERVICE_DISABLED, L"C:\\Vendor\\disabled.exe"};
  NameList fileWhite_;
  NameList nameWhite_;
  NameList nameBlack_;
  ui::Form form_;
  TFrmAutorun& frame_ = ui::Component::Create<TFrmAutorun>(form_, form_);
};

TEST_F(FrmAutorunTest, IsLaidOutAsDesignedWithItsTranslatedTexts) {
  ASSERT_EQ(form_.Dpi(), 96);
  EXPECT_THAT(RectInParent(frame_), IsRect(0, 0, 396, 382));
  EXPECT_THAT(RectInParent(frame_.ListAutorun), IsRect(0, 0, 396, 333));
  EXPECT_THAT(RectInParent(frame_.PnlAutorun), IsRect(0, 333, 396, 382));
  EXPECT_THAT(RectInParent(frame_.ChkAllList), IsRect(2, 16, 137, 33));
  EXPECT_THAT(RectInParent(frame_.BtnAutorun), IsRect(312, 8, 396, 41));

  EXPECT_EQ(frame_.ChkAllList.Caption(), Translate(L"\uC804\uCCB4\uBAA9\uB85D"));
  EXPECT_FALSE(frame_.ChkAllList.Checked());
  EXPECT_EQ(frame_.BtnAutorun.Caption(), Translate(L"\uC0AC\uC6A9\uC548\uD568"));
  EXPECT_FALSE(frame_.BtnAutorun.Down());
  EXPECT_TRUE(frame_.BtnAutorun.Enabled());
  EXPECT_EQ(frame_.BtnAutorun.StyleFamily(), L"Tesmora");
  EXPECT_EQ(frame_.BtnAutorun.StyleAppearance(), L"Outline");
  ASSERT_EQ(frame_.Menu.Items().ItemCount(), 1u);
  EXPECT_EQ(&frame_.Menu.Items().Item(0), &frame_.BtnSave);
  EXPECT_EQ(frame_.BtnSave.Caption(), Translate(L"\uBAA9\uB85D \uC800\uC7A5"));

  // The name column takes what the source column leaves of the list's width.
  const HWND list = frame_.ListAutorun.Handle();
  const auto nameWidth = static_cast<LONG>(SendMessageW(list, LVM_GETCOLUMNWIDTH, 0, 0));
  const auto sourceWidth = static_cast<LONG>(SendMessageW(list, LVM_GETCOLUMNWIDTH, 1, 0));
  EXPECT_EQ(nameWidth + sourceWidth, frame_.ListAutorun.ClientRect().right);
  EXPECT_EQ(sourceWidth, 64);
  wchar_t header[64] = {};
  LVCOLUMNW column{};
  column.mask = LVCF_TEXT;
  column.pszText = header;
  column.cchTextMax = 64;
  SendMessageW(list, LVM_GETCOLUMNW, 0, reinterpret_cast<LPARAM>(&column));
  EXPECT_EQ(std::wstring(header), Translate(L"\uD504\uB85C\uADF8\uB7A8 \uC774\uB984"));
  SendMessageW(list, LVM_GETCOLUMNW, 1, reinterpret_cast<LPARAM>(&column));
  EXPECT_EQ(std::wstring(header), Translate(L"\uCD9C\uCC98"));

  // No rows before the first load; the four built-in images are there.
  EXPECT_EQ(SendMessageW(list, LVM_GETITEMCOUNT, 0, 0), 0);
  ASSERT_EQ(frame_.DataIcon.Count(), 4u);
  for (std::size_t i = 0; i < 4; ++i) EXPECT_TRUE(ui::LoadIconFromIconFile(frame_.DataIcon.IconData(i), 16, 16)) << i;
  EXPECT_EQ(ImageList_GetImageCount(frame_.ListIcon.Handle()), 4);
  EXPECT_EQ(reinterpret_cast<HIMAGELIST>(SendMessageW(list, LVM_GETIMAGELIST, LVSIL_SMALL, 0)),
            frame_.ListIcon.Handle());
}

TEST_F(FrmAutorunTest, SaysThatItIsLoadingInItsMiddleUntilTheFirstLoadFillsIt) {
  Seed();
  EXPECT_EQ(frame_.ListAutorun.EmptyText(), LoadingText(CurrentLanguage()));
  EXPECT_EQ(SendMessageW(frame_.ListAutorun.Handle(), LVM_GETITEMCOUNT, 0, 0), 0);

  // One line of the text's size, in the middle of the rows' area.
  const test::ColourSeen line = InkShown(frame_.ListAutorun);
  ASSERT_GT(line.count, 0);
  // In the grey of disabled text.
  EXPECT_GT(test::FindColour(ShownList(frame_.ListAutorun), GetSysColor(COLOR_GRAYTEXT), line.bounds).count, 0);
  SIZE extent{};
  {
    const ui::WindowDC dc(frame_.ListAutorun.Handle());
    const ui::SelectedObject font(dc.Get(), frame_.ListAutorun.Font());
    const std::wstring text = frame_.ListAutorun.EmptyText();
    GetTextExtentPoint32W(dc.Get(), text.c_str(), static_cast<int>(text.size()), &extent);
  }
  // Its ink starts where the centred text does, and a glyph's ink may stop short of its advance.
  const RECT rows = RowsArea(frame_.ListAutorun);
  EXPECT_NEAR(line.bounds.left, (rows.left + rows.right - extent.cx) / 2, 3);
  EXPECT_LE(line.bounds.right - line.bounds.left, extent.cx + 1);
  EXPECT_GE(line.bounds.right - line.bounds.left, extent.cx * 2 / 3);
  EXPECT_LE(line.bounds.bottom - line.bounds.top, extent.cy);
  EXPECT_NEAR((line.bounds.top + line.bounds.bottom) / 2, (rows.top + rows.bottom) / 2, extent.cy / 2 + 1);

  // The first load fills the list, and the line is gone.
  frame_.LoadAutorun();
  EXPECT_THAT(SeededRows(frame_.ListAutorun), Contains(Shown(L"Fixture One Product", L"FILE", Ge(4))));
  EXPECT_EQ(frame_.ListAutorun.EmptyText(), L"");
}

TEST_F(FrmAutorunTest, AFailedFirstLoadEndsTheWaitToo) {
  scheduler_.FailAt(L"Connect", E_ACCESSDENIED);
  EXPECT_THROW(frame_.LoadAutorun(), Error);
  EXPECT_EQ(SendMessageW(frame_.ListAutorun.Handle(), LVM_GETITEMCOUNT, 0, 0), 0);
  EXPECT_EQ(frame_.ListAutorun.EmptyText(), L"");
  EXPECT_EQ(InkShown(frame_.ListAutorun).count, 0);
}

TEST_F(FrmAutorunTest, FollowsTheWindowsDpi) {
  Seed();
  frame_.LoadAutorun();
  // What Windows sends when the window moves to a screen of 144 dpi.
  RECT suggested{0, 0, 0, 0};
  GetWindowRect(form_.Handle(), &suggested);
  suggested.right = suggested.left + 594;
  suggested.bottom = suggested.top + 573;
  SendMessageW(form_.Handle(), ui::kDpiChangedMessage, MAKEWPARAM(144, 144), reinterpret_cast<LPARAM>(&suggested));
  ASSERT_EQ(frame_.Dpi(), 144);

  const LONG width = frame_.ClientRect().right;
  const LONG height = frame_.ClientRect().bottom;
  EXPECT_THAT(RectInParent(frame_.PnlAutorun), IsRect(0, height - 74, width, height));
  EXPECT_THAT(RectInParent(frame_.ChkAllList), IsRect(3, 24, 3 + 203, 24 + 26));
  EXPECT_THAT(RectInParent(frame_.BtnAutorun), IsRect(width - 126, 12, width, 74 - 12));
  const RECT row = RowRect(frame_.ListAutorun, 0);
  EXPECT_EQ(row.bottom - row.top, 36);
  EXPECT_EQ(frame_.ListIcon.PictureSize(), 24);
  EXPECT_EQ(SendMessageW(frame_.ListAutorun.Handle(), LVM_GETCOLUMNWIDTH, 1, 0), 96);
  // The source column's face keeps the list's new size.
  LOGFONTW listFont{};
  GetObjectW(frame_.ListAutorun.Font(), sizeof listFont, &listFont);
  EXPECT_EQ(DrawCell(0, 1).font.lfHeight, listFont.lfHeight);
}

TEST_F(FrmAutorunTest, ShowsTheSeededEntriesWithTheirFilesNamesAndIcons) {
  Seed();
  frame_.LoadAutorun();

  EXPECT_THAT(
      SeededRows(frame_.ListAutorun),
      ElementsAre(Shown(L"Fixture One Product", L"FILE", Ge(4)), Shown(L"MissingFile", L"HKCU", kBlankDocumentImage),
                  Shown(L"NoProduct", L"HKCU", Ge(4)), Shown(L"Nightly Backup", L"SCHE", kClockImage)));
  EXPECT_THAT(ShownRows(frame_.ListAutorun), Contains(Shown(service_.DisplayName(), L"SERV", kGearImage)));
  EXPECT_THAT(ShownNames(frame_.ListAutorun), Not(Contains(disabledService_.DisplayName())));
  // What the name list names stays hidden.
  EXPECT_THAT(ShownNames(frame_.ListAutorun), Not(Contains(L"HiddenTool")));
  EXPECT_THAT(ShownNames(frame_.ListAutorun), Not(Contains(L"Plug and Play Service")));

  // The extracted icons are the files' own: each file's first icon.
  const std::size_t fileImage = static_cast<std::size_t>(ShownRows(frame_.ListAutorun)[0].image);
  EXPECT_EQ(frame_.DataIcon.Name(fileImage), StartupPath());
  const HMODULE fixture = LoadLibraryExW(StartupPath().c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
  const ui::ScopedIcon gear(static_cast<HICON>(LoadImageW(fixture, MAKEINTRESOURCEW(1), IMAGE_ICON, 32, 32, 0)));
  FreeLibrary(fixture);
  EXPECT_EQ(test::DrawnIcon(ui::LoadIconFromIconFile(frame_.DataIcon.IconData(fileImage), 32, 32).Get(), 32),
            test::DrawnIcon(gear.Get(), 32));
  EXPECT_EQ(ImageList_GetImageCount(frame_.ListIcon.Handle()), static_cast<int>(frame_.DataIcon.Count()));

  // Rows are 24 pixels high at 96 dpi.
  const RECT first = RowRect(frame_.ListAutorun, 0);
  EXPECT_EQ(first.bottom - first.top, ui::ScaleToDpi(24, frame_.Dpi()));
}

TEST_F(FrmAutorunTest, AReloadKeepsTheRowsInPlaceAndExtractsNoIconAgain) {
  Seed();
  frame_.LoadAutorun();
  const std::vector<ShownRow> first = ShownRows(frame_.ListAutorun);
  const std::size_t images = frame_.DataIcon.Count();
  frame_.LoadAutorun();
  std::vector<std::wstring> firstNames;
  for (const ShownRow& row : first) firstNames.push_back(row.name);
  EXPECT_EQ(ShownNames(frame_.ListAutorun), firstNames);
  EXPECT_EQ(frame_.DataIcon.Count(), images);

  // A new entry is added at the end; a row whose entry has gone is deleted.
  test::SetStringValue(HKEY_CURRENT_USER, kRunKey, L"Zulu", L"C:\\added.exe");
  RegDeleteKeyValueW(HKEY_CURRENT_USER, kRunKey, L"NoProduct");
  frame_.LoadAutorun();
  std::vector<std::wstring> names = ShownNames(frame_.ListAutorun);
  EXPECT_EQ(names.back(), L"Zulu");
  EXPECT_THAT(names, Not(Contains(L"NoProduct")));
  EXPECT_EQ(names.size(), first.size());

  // F5 puts every row in the catalogue's order, still without extracting any icon again.
  PressF5();
  EXPECT_THAT(SeededRows(frame_.ListAutorun),
              ElementsAre(Shown(L"Fixture One Product", L"FILE", Ge(4)), Shown(L"MissingFile", L"HKCU", 0),
                          Shown(L"Zulu", L"HKCU", 0), Shown(L"Nightly Backup", L"SCHE", kClockImage)));
  EXPECT_EQ(frame_.DataIcon.Count(), images);
}

TEST_F(FrmAutorunTest, TheButtonFollowsTheClickedRowAndSwitchesItsEntry) {
  Seed();
  frame_.LoadAutorun();
  const std::wstring target = RunTarget(L"HKCU", L"NoProduct");
  const std::size_t row = RowOf(target, L"HKCU");

  ClickRow(row);
  EXPECT_EQ(frame_.ListAutorun.FocusedRow(), row);
  EXPECT_FALSE(frame_.BtnAutorun.Down());
  EXPECT_EQ(frame_.BtnAutorun.Caption(), Translate(L"\uC0AC\uC6A9\uC548\uD568"));

  Click(frame_.BtnAutorun);
  test::ExpectApprovedValue(HKEY_CURRENT_USER, kApprovedRun, L"NoProduct", test::kOff);
  EXPECT_TRUE(frame_.BtnAutorun.Down());
  EXPECT_EQ(frame_.BtnAutorun.Caption(), Translate(L"\uC0AC\uC6A9\uD568"));
  EXPECT_TRUE(frame_.BtnAutorun.Enabled());
  // The row stays where it was, now switched off.
  EXPECT_EQ(frame_.FindRow(target, L"HKCU"), row);
  EXPECT_FALSE(frame_.Rows()[row].Enabled);

  // Clicking another row and coming back shows each row's state.
  ClickRow(0);
  EXPECT_FALSE(frame_.BtnAutorun.Down());
  ClickRow(row);
  EXPECT_TRUE(frame_.BtnAutorun.Down());
  EXPECT_EQ(frame_.BtnAutorun.Caption(), Translate(L"\uC0AC\uC6A9\uD568"));

  // Switched on again from the same row.
  Click(frame_.BtnAutorun);
  test::ExpectApprovedValue(HKEY_CURRENT_USER, kApprovedRun, L"NoProduct", test::kOn);
  EXPECT_FALSE(frame_.BtnAutorun.Down());
  EXPECT_EQ(frame_.BtnAutorun.Caption(), Translate(L"\uC0AC\uC6A9\uC548\uD568"));
  EXPECT_TRUE(frame_.Rows()[row].Enabled);
}

TEST_F(FrmAutorunTest, TheButtonWithoutASelectedRowSwitchesNothingButReloads) {
  Seed();
  frame_.LoadAutorun();
  ASSERT_EQ(frame_.ListAutorun.FirstSelectedRow(), std::nullopt);
  test::SetStringValue(HKEY_CURRENT_USER, kRunKey, L"Added", L"C:\\added.exe");
  Click(frame_.BtnAutorun);
  EXPECT_FALSE(test::RawKeyExists(HKEY_CURRENT_USER, kApprovedRun));
  EXPECT_EQ(ShownNames(frame_.ListAutorun).back(), L"Added");
  EXPECT_TRUE(frame_.BtnAutorun.Enabled());
}

TEST_F(FrmAutorunTest, TheCheckBoxRebuildsTheRowsWithOrWithoutSwitchedOffEntries) {
  Seed();
  frame_.LoadAutorun();
  EXPECT_THAT(ShownNames(frame_.ListAutorun), Not(Contains(L"Fixture Two Korean")));

  Click(frame_.ChkAllList);
  ASSERT_TRUE(frame_.ChkAllList.Checked());
  EXPECT_THAT(SeededRows(frame_.ListAutorun),
              ElementsAre(Shown(L"Fixture One Product", L"FILE", Ge(4)), Shown(L"Fixture Two Korean", L"HKLM", Ge(4)),
                          Shown(L"MissingFile", L"HKCU", 0), Shown(L"NoProduct", L"HKCU", Ge(4)),
                          Shown(L"Nightly Backup", L"SCHE", kClockImage)));
  EXPECT_THAT(ShownNames(frame_.ListAutorun), Contains(disabledService_.DisplayName()));
  EXPECT_FALSE(frame_.Rows()[RowOf(RunTarget(L"HKLM", L"TwoTranslations"), L"HKLM")].Enabled);

  Click(frame_.ChkAllList);
  EXPECT_THAT(ShownNames(frame_.ListAutorun), Not(Contains(L"Fixture Two Korean")));
  EXPECT_THAT(ShownNames(frame_.ListAutorun), Not(Contains(disabledService_.DisplayName())));
}

TEST_F(FrmAutorunTest, F5RebuildsTheRowsWhateverModifierKeysAreHeld) {
  Seed();
  frame_.LoadAutorun();
  const std::wstring target = RunTarget(L"HKCU", L"MissingFile");
  BYTE saved[256] = {};
  GetKeyboardState(saved);
  for (const BYTE modifier : {BYTE{0}, BYTE{VK_SHIFT}, BYTE{VK_CONTROL}, BYTE{VK_MENU}}) {
    SCOPED_TRACE(testing::Message() << "modifier " << static_cast<int>(modifier));
    // Switched off, the row stays until the rows are rebuilt.
    SetAutorunState(target, L"HKCU", false);
    frame_.LoadAutorun();
    ASSERT_TRUE(frame_.FindRow(target, L"HKCU"));

    BYTE keys[256] = {};
    std::copy(std::begin(saved), std::end(saved), keys);
    if (modifier != 0) keys[modifier] = 0x80;
    SetKeyboardState(keys);
    SetFocus(frame_.ListAutorun.Handle());
    if (modifier == VK_MENU) {
      SendMessageW(frame_.ListAutorun.Handle(), WM_SYSKEYDOWN, VK_F5, LPARAM{1} << 29);
    } else {
      SendMessageW(frame_.ListAutorun.Handle(), WM_KEYDOWN, VK_F5, 0);
    }
    SetKeyboardState(saved);
    EXPECT_FALSE(frame_.FindRow(target, L"HKCU"));

    SetAutorunState(target, L"HKCU", true);
    frame_.LoadAutorun();
  }
  // Other keys keep the list's own handling.
  ClickRow(0);
  SendMessageW(frame_.ListAutorun.Handle(), WM_KEYDOWN, VK_DOWN, 0);
  EXPECT_EQ(frame_.ListAutorun.FocusedRow(), 1u);
}

TEST_F(FrmAutorunTest, SwitchedOffRowsAreGreyInBothColumnsAndSourcesAreInConsolas) {
  Seed();
  Click(frame_.ChkAllList);
  const std::size_t off = RowOf(RunTarget(L"HKLM", L"TwoTranslations"), L"HKLM");
  const std::size_t on = RowOf(RunTarget(L"HKCU", L"NoProduct"), L"HKCU");
  LOGFONTW listFont{};
  GetObjectW(frame_.ListAutorun.Font(), sizeof listFont, &listFont);

  for (int column : {0, 1}) {
    SCOPED_TRACE(testing::Message() << "column " << column);
    const CellLook grey = DrawCell(off, column);
    const CellLook normal = DrawCell(on, column);
    EXPECT_EQ(grey.textColor, GetSysColor(COLOR_GRAYTEXT));
    EXPECT_EQ(normal.textColor, CLR_INVALID) << "left as the list has it";
    for (const CellLook& look : {grey, normal}) {
      EXPECT_EQ(look.result, CDRF_NEWFONT);
      EXPECT_STREQ(look.font.lfFaceName, column == 1 ? L"Consolas" : listFont.lfFaceName);
      EXPECT_EQ(look.font.lfHeight, listFont.lfHeight);
      EXPECT_EQ(look.font.lfWeight, listFont.lfWeight);
      EXPECT_EQ(look.font.lfItalic, listFont.lfItalic);
    }
  }
}

TEST_F(FrmAutorunTest, ADoubleClickOpensTheEntrysInformationPage) {
  Seed();
  frame_.LoadAutorun();
  // The shell hands https addresses to a probe that notes what it was given.
  const std::wstring command = L"Software\\Classes\\https\\shell\\open\\command";
  const std::vector<BYTE> browser = test::RawValueBytes(HKEY_LOCAL_MACHINE, command, L"");
  test::TempFolder folder;
  const std::wstring probe = folder.File(L"probe.exe");
  ASSERT_TRUE(CopyFileW(test::ProgramBesideTest(L"open_probe.exe").c_str(), probe.c_str(), FALSE));
  test::SetStringValue(HKEY_LOCAL_MACHINE, command, L"", L"\"" + probe + L"\" \"%1\"");

  const struct {
    std::wstring target;
    std::wstring from;
    std::wstring page;
  } cases[] = {
      {StartupPath(), L"FILE", L"https://info.tesmora.com/entry/file/my tool.exe"},
      {RunTarget(L"HKCU", L"NoProduct"), L"HKCU", L"https://info.tesmora.com/entry/hkcu/noproduct"},
      {service_.Name(), L"SERV", L"https://info.tesmora.com/entry/serv/" + AsciiLower(service_.Name())},
  };
  const std::wstring marker = probe + L".opened";
  for (const auto& entry : cases) {
    DeleteFileW(marker.c_str());
    const std::size_t row = RowOf(entry.target, entry.from);
    ClickRow(row);
    ClickRow(row, WM_LBUTTONDBLCLK);
    const std::string bytes = test::WaitForFileBytes(marker, 30000).value_or("");
    const std::wstring commandLine(reinterpret_cast<const wchar_t*>(bytes.data()), bytes.size() / sizeof(wchar_t));
    EXPECT_THAT(commandLine, testing::EndsWith(L"\"" + entry.page + L"\"")) << testing::PrintToString(entry.target);
  }
  test::SetRawValue(HKEY_LOCAL_MACHINE, command, L"", REG_SZ, browser.data(), browser.size());
  for (int i = 0; i < 100 && !DeleteFileW(probe.c_str()); ++i) Sleep(50);
}

TEST_F(FrmAutorunTest, ThePopupMenuSavesTheWholeCatalogue) {
  test::TempFolder folder;
  const auto saveThroughMenu = [&](const std::wstring& fileName) {
    SaveDialogAnswer answer(fileName);
    // The menu's own loop reads the keys that wait: the first item, then Enter.
    for (WPARAM key : {VK_DOWN, VK_RETURN}) PostMessageW(form_.Handle(), WM_KEYDOWN, key, 0);
    SendMessageW(frame_.ListAutorun.Handle(), WM_CONTEXTMENU, reinterpret_cast<WPARAM>(frame_.ListAutorun.Handle()),
                 MAKELPARAM(20, 20));
    return answer.Seen();
  };

  // Before the first load the file holds the byte order mark alone.
  const SaveDialogSeen seen = saveThroughMenu(folder.File(L"empty"));
  EXPECT_EQ(seen.title, Translate(L"\uD30C\uC77C \uC800\uC7A5"));
  EXPECT_THAT(seen.fileTypes, ElementsAre(Translate(L"\uD14D\uC2A4\uD2B8 \uD30C\uC77C") + L" (*.txt)",
                                          Translate(L"\uBAA8\uB4E0 \uD30C\uC77C") + L" (*.*)"));
  EXPECT_EQ(test::ReadFileBytes(folder.File(L"empty.txt")), "\xEF\xBB\xBF");

  // After a load: every entry of the catalogue, those that the list hides too.
  Seed();
  frame_.LoadAutorun();
  const std::wstring saved = folder.File(L"saved.txt");
  EXPECT_TRUE(saveThroughMenu(saved).prompt.empty());
  const std::string bytes = test::ReadFileBytes(saved);
  EXPECT_EQ(bytes, FormatSavedList(frame_.ListAutoObj));
  EXPECT_THAT(bytes, testing::HasSubstr(
                         "HKCU|HiddenTool|HKCU\\Software\\Microsoft\\Windows\\CurrentVersion\\Run\\HiddenTool\r\n"));
  EXPECT_THAT(bytes, testing::HasSubstr("HKCU||HKCU\\Software\\Microsoft\\Windows\\CurrentVersion\\Run\\\r\n"));
  EXPECT_THAT(bytes, testing::HasSubstr("|TwoTranslations|"));

  // Saving over it asks first, and replaces it.
  test::SetStringValue(HKEY_CURRENT_USER, kRunKey, L"Added", L"C:\\added.exe");
  frame_.LoadAutorun();
  EXPECT_FALSE(saveThroughMenu(saved).prompt.empty());
  EXPECT_EQ(test::ReadFileBytes(saved), FormatSavedList(frame_.ListAutoObj));

  // Cancelling writes nothing.
  saveThroughMenu(L"");
  EXPECT_THAT(test::FolderEntries(folder.Path()), testing::UnorderedElementsAre(L"empty.txt", L"saved.txt"));
}

TEST_F(FrmAutorunTest, TheMenuKeyAndShiftF10OpenThePopupMenuBelowTheSelectedRow) {
  Seed();
  frame_.LoadAutorun();
  const HWND list = frame_.ListAutorun.Handle();
  const auto menuPlace = [&](const auto& press) {
    PopupMenuSeen seen;
    press();
    ui::application::ProcessMessages();
    const std::optional<RECT> place = seen.Place();
    return place ? std::optional<POINT>(POINT{place->left, place->top}) : std::nullopt;
  };
  const auto menuKey = [&] {
    SetFocus(list);
    SendMessageW(list, WM_KEYDOWN, VK_APPS, 1);
    SendMessageW(list, WM_KEYUP, VK_APPS, 1 | (LPARAM{3} << 30));
  };
  const auto shiftF10 = [&] {
    BYTE saved[256] = {};
    GetKeyboardState(saved);
    BYTE keys[256] = {};
    std::copy(std::begin(saved), std::end(saved), keys);
    keys[VK_SHIFT] = 0x80;
    SetKeyboardState(keys);
    SetFocus(list);
    SendMessageW(list, WM_SYSKEYDOWN, VK_F10, 1);
    SetKeyboardState(saved);
  };
  // What Windows sends for either, with -1 widened to the parameter in both ways it may come.
  const auto fromKeyboard = [&](LPARAM minusOne) {
    return [=] { SendMessageW(list, WM_CONTEXTMENU, reinterpret_cast<WPARAM>(list), minusOne); };
  };
  const auto atScreen = [&](POINT point) {
    ClientToScreen(list, &point);
    return std::optional<POINT>(point);
  };
  const auto samePoint = [](const std::optional<POINT>& a, const std::optional<POINT>& b) {
    return a && b && a->x == b->x && a->y == b->y;
  };

  // Nothing selected: at the list's corner.
  ASSERT_EQ(frame_.ListAutorun.FirstSelectedRow(), std::nullopt);
  EXPECT_TRUE(samePoint(menuPlace(menuKey), atScreen({0, 0})));

  ClickRow(2);
  ASSERT_EQ(frame_.ListAutorun.FirstSelectedRow(), 2u);
  const RECT row = RowRect(frame_.ListAutorun, 2);
  const std::optional<POINT> belowRow = atScreen({row.left, row.bottom});
  EXPECT_TRUE(samePoint(menuPlace(menuKey), belowRow)) << "menu key";
  EXPECT_TRUE(samePoint(menuPlace(shiftF10), belowRow)) << "Shift+F10";
  EXPECT_TRUE(samePoint(menuPlace(fromKeyboard(-1)), belowRow)) << "-1";
  EXPECT_TRUE(samePoint(menuPlace(fromKeyboard(MAKELPARAM(-1, -1))), belowRow)) << "0xFFFFFFFF";
  // A click opens it where the mouse is.
  EXPECT_TRUE(samePoint(menuPlace(fromKeyboard(MAKELPARAM(30, 40))), std::optional<POINT>(POINT{30, 40})));
}

TEST_F(FrmAutorunTest, AFileThatCannotBeReplacedKeepsItsContentAndTheErrorIsShown) {
  Seed();
  frame_.LoadAutorun();
  test::TempFolder folder;
  const std::wstring path = folder.File(L"held.txt");
  test::WriteFileBytes(path, "old content");
  // Held open without leave to delete it, the file cannot be replaced.
  const ScopedFile held(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr));
  ASSERT_TRUE(held);

  std::wstring error;
  std::thread answer([&] {
    SaveDialogAnswer save(path);
    const HWND dialog = save.Seen().dialog;
    for (int i = 0; i < 200 && IsWindowVisible(dialog); ++i) Sleep(25);
    // The error's message box comes after the save dialog has gone.
    const HWND box = WaitForDialog();
    error = MessageText(box);
    PostMessageW(box, WM_COMMAND, IDOK, 0);
  });
  for (WPARAM key : {VK_DOWN, VK_RETURN}) PostMessageW(form_.Handle(), WM_KEYDOWN, key, 0);
  SendMessageW(frame_.ListAutorun.Handle(), WM_CONTEXTMENU, reinterpret_cast<WPARAM>(frame_.ListAutorun.Handle()),
               MAKELPARAM(20, 20));
  answer.join();

  EXPECT_THAT(error, testing::HasSubstr(path));
  EXPECT_EQ(test::ReadFileBytes(path), "old content");
  EXPECT_THAT(test::FolderEntries(folder.Path()), ElementsAre(L"held.txt"));
}

// The picture of the frame over the seeded prefix, with the switched-off entries shown: the
// test run leaves it beside the build as autorun_frame.bmp.
TEST_F(FrmAutorunTest, TakesAScreenshotShowingIconsGreyRowsAndTheSourceColumn) {
  Seed();
  Click(frame_.ChkAllList);
  ClickRow(RowOf(RunTarget(L"HKCU", L"NoProduct"), L"HKCU"));
  RedrawWindow(form_.Handle(), nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
  ui::application::ProcessMessages();
  const std::wstring path = QUORVANE_SCREENSHOT_FILE;
  test::SaveWindowImage(form_.Handle(), path);
  ASSERT_TRUE(test::FileExists(path));

  // The grey of switched-off rows is on the screen, in both columns of such a row, and in no
  // column of a row that is switched on.
  const auto greyPixels = [&](std::size_t row, int column) {
    const RECT rowRect = RowRect(frame_.ListAutorun, row);
    const auto nameWidth = static_cast<int>(SendMessageW(frame_.ListAutorun.Handle(), LVM_GETCOLUMNWIDTH, 0, 0));
    const int left = column == 0 ? rowRect.left : rowRect.left + nameWidth;
    const int right = column == 0 ? rowRect.left + nameWidth : rowRect.right;
    const ui::WindowDC dc(frame_.ListAutorun.Handle());
    int count = 0;
    for (int y = rowRect.top; y < rowRect.bottom; ++y) {
      for (int x = left; x < right; ++x) count += GetPixel(dc.Get(), x, y) == GetSysColor(COLOR_GRAYTEXT);
    }
    return count;
  };
  const std::size_t off = RowOf(RunTarget(L"HKLM", L"TwoTranslations"), L"HKLM");
  const std::size_t on = RowOf(StartupPath(), L"FILE");
  EXPECT_GT(greyPixels(off, 0), 0);
  EXPECT_GT(greyPixels(off, 1), 0);
  EXPECT_EQ(greyPixels(on, 0), 0);
  EXPECT_EQ(greyPixels(on, 1), 0);
}

}  // namespace
}  // namespace quorvane
