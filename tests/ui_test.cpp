// The window layer in real windows, on the test run's virtual display.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <atomic>
#include <thread>

#include "ui/application.h"
#include "ui/controls.h"
#include "ui/form.h"
#include "ui/image.h"
#include "ui/images.h"
#include "ui/list_view.h"
#include "ui/menu.h"
#include "ui/styled_button.h"
#include "common/error.h"
#include "common/scoped.h"
#include "support/window_capture.h"

namespace quorvane::ui {
namespace {

using testing::ElementsAre;

class UiTest : public testing::Test {
 protected:
  static void SetUpTestSuite() { application::Initialize(); }
};

RECT RectInParent(const Control& control) {
  RECT rect{};
  GetWindowRect(control.Handle(), &rect);
  MapWindowPoints(nullptr, GetParent(control.Handle()), reinterpret_cast<POINT*>(&rect), 2);
  return rect;
}

testing::Matcher<RECT> IsRect(LONG left, LONG top, LONG right, LONG bottom) {
  return testing::AllOf(testing::Field("left", &RECT::left, left), testing::Field("top", &RECT::top, top),
                        testing::Field("right", &RECT::right, right), testing::Field("bottom", &RECT::bottom, bottom));
}

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

// Records, in its owner's log, the moment it ends.
class Recorder : public Component {
 public:
  Recorder(Component& owner, std::wstring name, std::vector<std::wstring>& log) : Component(owner), log_(log) {
    SetName(std::move(name));
  }
  ~Recorder() override { log_.push_back(Name()); }

 private:
  std::vector<std::wstring>& log_;
};

// An owner ends its components after its own destructor has run, the last created first.
TEST_F(UiTest, OwnersFindTheirComponentsByNameAndEndThemLastCreatedFirst) {
  std::vector<std::wstring> ended;
  {
    Form form;
    Recorder& first = Component::Create<Recorder>(form, L"first", ended);
    Component::Create<Recorder>(first, L"inner", ended);
    Component::Create<Recorder>(form, L"second", ended);
    EXPECT_EQ(form.FindComponent(L"second"), &form.Owned(1));
    EXPECT_EQ(form.FindComponent(L"inner"), nullptr);
    EXPECT_EQ(form.OwnedCount(), 2u);
  }
  EXPECT_THAT(ended, ElementsAre(L"second", L"first", L"inner"));
}

TEST_F(UiTest, EndingAFormEndsTheWindowsOfEverythingItOwns) {
  auto form = std::make_unique<Form>();
  Panel& panel = Component::Create<Panel>(*form, *form);
  Label& label = Component::Create<Label>(*form, panel, L"text");
  const HWND formWindow = form->Handle();
  const HWND labelWindow = label.Handle();
  form.reset();
  EXPECT_FALSE(IsWindow(labelWindow));
  EXPECT_FALSE(IsWindow(formWindow));
}

TEST_F(UiTest, AlignedControlsShareTheAreaTopBottomLeftRightThenClient) {
  Form form;
  form.SetClientSize(412, 432);
  Panel& head = Component::Create<Panel>(form, form);
  head.SetAlign(Align::Top);
  head.SetHeight(50);
  Panel& logo = Component::Create<Panel>(form, head);
  logo.SetAlign(Align::Right);
  logo.SetWidth(120);
  Panel& main = Component::Create<Panel>(form, form);
  main.SetAlign(Align::Client);
  main.SetPadding({8, 0, 8, 0});
  Panel& status = Component::Create<Panel>(form, form);
  status.SetAlign(Align::Bottom);
  status.SetHeight(28);
  Panel& page = Component::Create<Panel>(form, main);
  page.SetAlign(Align::Client);
  Label& placed = Component::Create<Label>(form, page, L"x");
  placed.SetBounds(2, 16, 135, 17);
  Panel& spaced = Component::Create<Panel>(form, head);
  spaced.SetAlign(Align::Client);
  spaced.SetMargins({10, 10, 10, 10});

  ASSERT_EQ(form.Dpi(), 96);
  EXPECT_THAT(RectInParent(head), IsRect(0, 0, 412, 50));
  EXPECT_THAT(RectInParent(logo), IsRect(292, 0, 412, 50));
  EXPECT_THAT(RectInParent(spaced), IsRect(10, 10, 282, 40));
  EXPECT_THAT(RectInParent(status), IsRect(0, 404, 412, 432));
  EXPECT_THAT(RectInParent(main), IsRect(0, 50, 412, 404));
  EXPECT_THAT(RectInParent(page), IsRect(8, 0, 404, 354));
  EXPECT_THAT(RectInParent(placed), IsRect(2, 16, 137, 33));

  // A strip put first among the top-aligned controls pushes the others down.
  Shape& line = Component::Create<Shape>(form, form);
  line.SetAlign(Align::Top);
  line.SetHeight(2);
  line.MoveToFirst();
  EXPECT_THAT(RectInParent(line), IsRect(0, 0, 412, 2));
  EXPECT_THAT(RectInParent(head), IsRect(0, 2, 412, 52));

  // Hidden controls take no room; growing the form grows the client-aligned control.
  status.SetVisible(false);
  EXPECT_THAT(RectInParent(main), IsRect(0, 52, 412, 432));
  form.SetClientSize(500, 432);
  EXPECT_THAT(RectInParent(main), IsRect(0, 52, 500, 432));
}

TEST_F(UiTest, CardPanelsShowOnePageAtATime) {
  Form form;
  CardPanel& cards = Component::Create<CardPanel>(form, form);
  cards.SetAlign(Align::Client);
  Panel& first = cards.AddCard(form);
  Panel& second = cards.AddCard(form);
  EXPECT_TRUE(IsWindowVisible(first.Handle()) || !IsWindowVisible(form.Handle()));
  EXPECT_TRUE(first.Visible());
  EXPECT_FALSE(second.Visible());
  cards.SetActiveCard(1);
  EXPECT_FALSE(first.Visible());
  EXPECT_TRUE(second.Visible());
  EXPECT_EQ(RectInParent(second).right, cards.ClientRect().right);
}

TEST_F(UiTest, CaptionsOwnedComponentsAndMenusAreWhatTheTranslationWalkSees) {
  Form form;
  Panel& panel = Component::Create<Panel>(form, form);
  Label& label = Component::Create<Label>(form, panel, L"\uCD9C\uCC98");
  PopupMenu& menu = Component::Create<PopupMenu>(form);
  MenuItem& save = menu.Items().Add(L"\uBAA9\uB85D \uC800\uC7A5");

  Component& window = form;
  ASSERT_EQ(window.OwnedCount(), 3u);
  EXPECT_FALSE(window.Owned(0).HasCaption());
  EXPECT_TRUE(window.Owned(1).HasCaption());
  EXPECT_EQ(window.Owned(1).Caption(), L"\uCD9C\uCC98");
  // The panel owns nothing (the label's owner is the form); the menu owns its top item, which
  // shows no caption of its own and owns the items.
  EXPECT_EQ(window.Owned(0).OwnedCount(), 0u);
  ASSERT_EQ(window.Owned(2).OwnedCount(), 1u);
  Component& top = window.Owned(2).Owned(0);
  EXPECT_EQ(&top, static_cast<Component*>(&menu.Items()));
  EXPECT_EQ(top.Caption(), L"");
  ASSERT_EQ(top.OwnedCount(), 1u);
  EXPECT_EQ(&top.Owned(0), static_cast<Component*>(&save));
  EXPECT_TRUE(save.HasCaption());

  window.Owned(1).SetCaption(L"Loc");
  wchar_t text[16] = {};
  GetWindowTextW(label.Handle(), text, 16);
  EXPECT_STREQ(text, L"Loc");
  window.SetCaption(L"Quorvane");
  EXPECT_EQ(form.Caption(), L"Quorvane");
}

TEST_F(UiTest, NotificationsComeBackToTheControlThatSentThem) {
  Form form;
  CheckBox& box = Component::Create<CheckBox>(form, form, L"all");
  box.SetBounds(0, 0, 100, 20);
  Label& link = Component::Create<Label>(form, form, L"link");
  link.SetBounds(0, 30, 50, 20);
  std::vector<Control*> clicked;
  box.OnClick = [&](Control& sender) { clicked.push_back(&sender); };
  link.OnClick = [&](Control& sender) { clicked.push_back(&sender); };

  SendMessageW(box.Handle(), BM_CLICK, 0, 0);
  EXPECT_TRUE(box.Checked());
  SendMessageW(link.Handle(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(2, 2));
  SendMessageW(link.Handle(), WM_LBUTTONUP, 0, MAKELPARAM(2, 2));
  EXPECT_THAT(clicked, ElementsAre(&box, &link));
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

TEST_F(UiTest, ShowModalReturnsTheModalResultAndKeepsTheMainWindowFromInput) {
  Form mainForm;
  application::SetMainForm(&mainForm);
  Form& dialog = Component::Create<Form>(mainForm);
  CheckBox& yes = Component::Create<CheckBox>(dialog, dialog, L"yes");
  yes.SetBounds(0, 0, 100, 20);
  bool mainWindowTookInput = true;
  yes.OnClick = [&](Control&) {
    mainWindowTookInput = IsWindowEnabled(mainForm.Handle()) != FALSE;
    dialog.SetModalResult(IDYES);
  };

  PostMessageW(yes.Handle(), BM_CLICK, 0, 0);
  EXPECT_EQ(dialog.ShowModal(), IDYES);
  EXPECT_FALSE(mainWindowTookInput);
  EXPECT_TRUE(IsWindowEnabled(mainForm.Handle()));
  EXPECT_FALSE(IsWindowVisible(dialog.Handle()));

  PostMessageW(dialog.Handle(), WM_CLOSE, 0, 0);
  EXPECT_EQ(dialog.ShowModal(), IDCANCEL);
  EXPECT_TRUE(IsWindow(dialog.Handle()));
  application::SetMainForm(nullptr);
}

TEST_F(UiTest, APopupMenuRunsTheChosenItemsClick) {
  Form form;
  form.Show();
  PopupMenu& menu = Component::Create<PopupMenu>(form);
  MenuItem& first = menu.Items().Add(L"first");
  MenuItem& second = menu.Items().Add(L"A & B");
  std::vector<MenuItem*> chosen;
  first.OnClick = [&](MenuItem& sender) { chosen.push_back(&sender); };
  second.OnClick = [&](MenuItem& sender) { chosen.push_back(&sender); };

  // The menu's own loop reads the keys that wait in the queue: down twice, then Enter.
  for (WPARAM key : {VK_DOWN, VK_DOWN, VK_RETURN}) PostMessageW(form.Handle(), WM_KEYDOWN, key, 0);
  menu.Popup(form.Handle(), {10, 10});
  EXPECT_THAT(chosen, ElementsAre(&second));
}

// A family whose states differ only in their fill colour, so that a drawn button shows which
// state it was drawn in.
class ProbeFamily : public ButtonStyleFamily {
 public:
  static constexpr COLORREF kNormal = RGB(10, 20, 30);
  static constexpr COLORREF kPressed = RGB(200, 0, 0);
  static constexpr COLORREF kSelected = RGB(0, 0, 200);
  static constexpr COLORREF kHot = RGB(0, 200, 0);
  static constexpr COLORREF kDisabled = RGB(100, 100, 100);

  void StateAttributes(const std::wstring&, const std::wstring&, const std::wstring&,
                       StateAttributesSet& attributes) const override {
    ButtonAttributes base;
    base.drawType = DrawType::Rect;
    base.borderWidth = 0;
    for (auto [state, color] : {std::pair{&attributes.normal, kNormal}, {&attributes.pressed, kPressed},
                                {&attributes.selected, kSelected}, {&attributes.hot, kHot},
                                {&attributes.disabled, kDisabled}}) {
      *state = base;
      state->buttonColor = color;
    }
  }
  std::wstring FamilyName() const override { return L"Probe"; }
  std::vector<std::wstring> ButtonClasses() const override { return {L"Primary"}; }
  std::vector<std::wstring> ButtonAppearances() const override { return {L"Normal"}; }
  void ModalResultStyle(int, std::wstring& styleClass, std::wstring& appearance) const override {
    styleClass = L"Primary";
    appearance = L"Normal";
  }
};

TEST_F(UiTest, StyledButtonsAreDrawnWithTheirFamilysAttributesForEachState) {
  RegisterButtonStyleFamily(std::make_unique<ProbeFamily>());
  Form form;
  form.Show();
  StyledButton& button = Component::Create<StyledButton>(form, form, L"Disable");
  button.SetBounds(10, 10, 84, 30);
  button.SetStyle(L"PROBE", L"Primary", L"Normal");

  EXPECT_EQ(button.State(), ButtonState::Normal);
  EXPECT_EQ(test::DrawnPixel(button, 42, 3), ProbeFamily::kNormal);
  button.SetDown(true);
  EXPECT_EQ(button.State(), ButtonState::Pressed);
  EXPECT_EQ(test::DrawnPixel(button, 42, 3), ProbeFamily::kPressed);
  button.SetDown(false);
  SendMessageW(button.Handle(), WM_MOUSEMOVE, 0, MAKELPARAM(5, 5));
  EXPECT_EQ(test::DrawnPixel(button, 42, 3), ProbeFamily::kHot);
  SendMessageW(button.Handle(), WM_MOUSELEAVE, 0, 0);
  SetFocus(button.Handle());
  EXPECT_EQ(test::DrawnPixel(button, 42, 3), ProbeFamily::kSelected);
  button.SetEnabled(false);
  EXPECT_EQ(test::DrawnPixel(button, 42, 3), ProbeFamily::kDisabled);

  // A family that nobody registered leaves the plain look.
  button.SetStyle(L"Unknown", L"Primary", L"Normal");
  EXPECT_EQ(button.Attributes().normal, ButtonAttributes());
  UnregisterButtonStyleFamilies();
  EXPECT_EQ(FindButtonStyleFamily(L"Probe"), nullptr);
}

TEST_F(UiTest, AToolBarLaysItsButtonsOutInARowAfterItsIndent) {
  Form form;
  StyledToolBar& bar = Component::Create<StyledToolBar>(form, form);
  bar.SetBounds(0, 0, 272, 30);
  bar.SetButtonSize(70, 30);
  bar.SetIndent(10);
  bar.SetButtonStyle(L"Probe", L"Header", DrawType::RoundRect, 4);
  StyledButton& home = bar.AddButton(form, L"Home");
  StyledButton& second = bar.AddButton(form, L"Second");
  EXPECT_THAT(RectInParent(home), IsRect(10, 0, 80, 30));
  EXPECT_THAT(RectInParent(second), IsRect(80, 0, 150, 30));
  EXPECT_EQ(second.StyleAppearance(), L"Header");
}

TEST(ChooseDpiStep, TakesTheStepMadeForTheDpiOrTheNextLargerOne) {
  const std::map<int, std::wstring> steps = {{96, L"A_96"}, {144, L"A_144"}, {192, L"A_192"}};
  EXPECT_EQ(ChooseDpiStep(steps, 96), 96);
  EXPECT_EQ(ChooseDpiStep(steps, 120), 144);
  EXPECT_EQ(ChooseDpiStep(steps, 72), 96);
  EXPECT_EQ(ChooseDpiStep(steps, 288), 192);
  EXPECT_EQ(ChooseDpiStep({}, 96), 0);
}

// The logo carried by this test program is the program's own, rendered at build time.
TEST_F(UiTest, AnImageDrawsTheRenderingForItsDpiOnItsParentsBackground) {
  Form form;
  form.SetColor(RGB(255, 255, 255));
  Image& logo = Component::Create<Image>(form, form, L"LOGO");
  logo.SetBounds(3, 0, 112, 50);
  EXPECT_EQ(logo.ShownStep(), 96);
  EXPECT_EQ(test::DrawnPixel(logo, 8, 25), RGB(0x3D, 0x84, 0xDD));  // the mark's blue disc
  EXPECT_EQ(test::DrawnPixel(logo, 1, 1), RGB(255, 255, 255));       // transparent: the background

  int clicks = 0;
  logo.OnClick = [&](Control&) { ++clicks; };
  SendMessageW(logo.Handle(), WM_LBUTTONUP, 0, MAKELPARAM(5, 5));
  EXPECT_EQ(clicks, 1);

  Image& missing = Component::Create<Image>(form, form, L"NO_SUCH_PICTURE");
  missing.SetBounds(0, 60, 20, 20);
  EXPECT_EQ(missing.ShownStep(), 0);
  EXPECT_EQ(test::DrawnPixel(missing, 5, 5), RGB(255, 255, 255));
}

// ---- List views and image lists ------------------------------------------------------------

void SelectRow(const ListView& list, std::size_t row) {
  LVITEMW item{};
  item.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
  item.state = LVIS_SELECTED | LVIS_FOCUSED;
  SendMessageW(list.Handle(), LVM_SETITEMSTATE, row, reinterpret_cast<LPARAM>(&item));
}

TEST_F(UiTest, ListRowsKeepTheirSelectionWhenRowsBeforeThemGoOrRowsAreAdded) {
  Form form;
  ListView& list = Component::Create<ListView>(form, form);
  list.SetAlign(Align::Client);
  list.AddColumn(L"name", 100);
  list.SetRowCount(5);
  SelectRow(list, 3);
  list.DeleteRow(1);
  EXPECT_EQ(list.RowCount(), 4u);
  EXPECT_EQ(list.FirstSelectedRow(), 2u);
  EXPECT_EQ(list.FocusedRow(), 2u);
  list.SetRowCount(9);
  EXPECT_EQ(list.FirstSelectedRow(), 2u);
  list.DeleteRow(2);
  EXPECT_EQ(list.FirstSelectedRow(), std::nullopt);
  list.DeleteAllRows();
  EXPECT_EQ(list.RowCount(), 0u);
}

TEST_F(UiTest, ListCellsComeFromTheOwnerAndRowsTakeTheMeasuredHeight) {
  Form form;
  ListView& list = Component::Create<ListView>(form, form);
  list.SetAlign(Align::Client);
  list.AddColumn(L"name", 100);
  list.AddColumn(L"source", 50);
  list.OnGetText = [](std::size_t row, int column) { return L"r" + std::to_wstring(row) + L"c" + std::to_wstring(column); };
  list.OnGetImageIndex = [](std::size_t row, int column) { return column == 0 ? static_cast<int>(row) : -1; };
  list.OnMeasureRow = [] { return 31; };
  ImageCollection& images = Component::Create<ImageCollection>(form);
  images.Add(L"blank", "");
  ImageList& imageList = Component::Create<ImageList>(form, images);
  list.SetImages(&imageList);
  list.SetRowCount(3);

  wchar_t text[16] = {};
  LVITEMW item{};
  item.iSubItem = 1;
  item.pszText = text;
  item.cchTextMax = 16;
  SendMessageW(list.Handle(), LVM_GETITEMTEXTW, 2, reinterpret_cast<LPARAM>(&item));
  EXPECT_STREQ(text, L"r2c1");
  item = {};
  item.mask = LVIF_IMAGE;
  item.iItem = 2;
  SendMessageW(list.Handle(), LVM_GETITEMW, 0, reinterpret_cast<LPARAM>(&item));
  EXPECT_EQ(item.iImage, 2);

  RECT row{};
  row.left = LVIR_BOUNDS;
  SendMessageW(list.Handle(), LVM_GETITEMRECT, 1, reinterpret_cast<LPARAM>(&row));
  EXPECT_EQ(row.bottom - row.top, 31);
  // The pictures stay square in their taller cells.
  EXPECT_EQ(imageList.PictureSize(), 16);
  int width = 0;
  int height = 0;
  ImageList_GetIconSize(imageList.Handle(), &width, &height);
  EXPECT_EQ(width, 16);
  EXPECT_LT(height, 31);
  EXPECT_GE(height, 16);
}

TEST_F(UiTest, AnImageListTakesUpTheCollectionsImagesAtTheirIndexesAlsoWhenOneIsUnreadable) {
  Form form;
  ImageCollection& images = Component::Create<ImageCollection>(form);
  ImageList& list = Component::Create<ImageList>(form, images);
  images.Add(L"broken", "not an icon");
  EXPECT_EQ(ImageList_GetImageCount(list.Handle()), 0) << "until the collection says it changed";
  images.Change();
  EXPECT_EQ(ImageList_GetImageCount(list.Handle()), 1);
  list.SetSize(24, 30);
  EXPECT_EQ(ImageList_GetImageCount(list.Handle()), 1);
  int width = 0;
  int height = 0;
  ImageList_GetIconSize(list.Handle(), &width, &height);
  EXPECT_EQ(width, 24);
  EXPECT_EQ(height, 30);
}

}  // namespace
}  // namespace quorvane::ui
