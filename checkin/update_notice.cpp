#include "checkin/update_notice.h"

#include "app/translation/translation.h"
#include "ui/application.h"
#include "ui/dpi.h"
#include "ui/message_dialog.h"
#include "checkin/reply_address.h"
#include "checkin/reply_text.h"
#include "checkin/server_request.h"
#include "common/shell.h"

namespace quorvane {

namespace {

constexpr COLORREF kWhite = RGB(255, 255, 255);
constexpr COLORREF kSeparatorColor = RGB(204, 204, 204);
constexpr COLORREF kLinkColor = RGB(0, 0, 255);
constexpr COLORREF kStatusColor = RGB(255, 0, 0);
constexpr int kStatusBarHeight = 28;  // screen pixels, whatever the dpi

// What the reply's "info" object adds to the dialog.
struct DialogExtras {
  std::wstring style;
  std::wstring text;
  std::wstring flag;
  std::wstring url;
};

DialogExtras ReadExtras(const std::wstring& reply) {
  const std::wstring info = ReplyObject(reply, L"info");
  return {ReplyString(info, L"style"), ReplyString(info, L"text"), ReplyString(info, L"flag"),
          ReplyAddress(ReplyString(info, L"url"))};
}

SIZE WindowSize(const ui::Form& form) {
  RECT window{};
  GetWindowRect(form.Handle(), &window);
  return {window.right - window.left, window.bottom - window.top};
}

int ToDesign(const ui::Control& control, int pixels) { return MulDiv(pixels, ui::kDesignDpi, control.Dpi()); }

void KeepOnTop(ui::Form& dialog) {
  SetWindowPos(dialog.Handle(), HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
  const ui::Form* mainForm = ui::application::MainForm();
  if (mainForm && IsWindowVisible(mainForm->Handle())) return;
  // With no main window on screen the dialog stands for the program: it shows the program's
  // icon, and without an owner it gets a taskbar button of its own.
  const auto icon = static_cast<LPARAM>(GetClassLongPtrW(dialog.Handle(), GCLP_HICON));
  SendMessageW(dialog.Handle(), WM_SETICON, ICON_SMALL, icon);
  SetWindowLongPtrW(dialog.Handle(), GWLP_HWNDPARENT, 0);
}

// The extras go below the buttons, in room that the dialog grows by; their places follow from
// the dialog's outer height, less the layout offset.
void GrowForExtras(ui::Form& dialog, int offset) {
  const SIZE client = dialog.DesignClientSize();
  dialog.SetClientSize(client.cx, client.cy + (40 - offset));
}

// One screen pixel high at any dpi, and placed in screen pixels as well.
void PlaceSeparator(ui::Form& dialog, int offset) {
  const SIZE window = WindowSize(dialog);
  ui::Shape& separator = ui::Component::Create<ui::Shape>(dialog, dialog);
  separator.SetScalesWithDpi(false);
  separator.SetBounds(0, window.cy - dialog.Scale(76 - offset), window.cx, 1);
  separator.SetPenColor(kSeparatorColor);
}

int ExtraTop(const ui::Form& dialog, int offset) { return ToDesign(dialog, WindowSize(dialog).cy) - (66 - offset); }

ui::CheckBox& PlaceHoldBox(ui::Form& dialog, const std::wstring& caption, int offset) {
  ui::CheckBox& box = ui::Component::Create<ui::CheckBox>(dialog, dialog, caption);
  box.SetBounds(10, ExtraTop(dialog, offset), ToDesign(dialog, WindowSize(dialog).cx), 17);
  return box;
}

void PlaceNoteLink(ui::Form& dialog, const std::wstring& caption, const std::wstring& url, int offset) {
  ui::Label& link = ui::Component::Create<ui::Label>(dialog, dialog, caption);
  link.SetFontColor(kLinkColor);
  link.SetFontStyle(false, true);
  link.SetCursor(LoadCursorW(nullptr, IDC_HAND));
  link.SetHint(url);
  link.OnClick = TFormHelper::OpenURL;
  link.SetBounds(10, ExtraTop(dialog, offset), 0, 0);
  link.FitToText();
}

// Only web addresses are opened: a hint or reply value that is anything else opens nothing.
void OpenWebAddress(const std::wstring& address) {
  const std::wstring url = ReplyAddress(address);
  if (!url.empty()) ShellOpen(url);
}

ui::StatusBar& CreateUpdateStatusBar(ui::Form& mainForm) {
  ui::StatusBar& bar = ui::Component::Create<ui::StatusBar>(mainForm, mainForm);
  bar.SetName(L"StatusBar");
  bar.SetScalesWithDpi(false);
  bar.SetHeight(kStatusBarHeight);
  bar.SetAlign(ui::Align::Bottom);
  bar.SetDoubleBuffered(true);
  bar.SetCursor(LoadCursorW(nullptr, IDC_HAND));
  bar.SetFontStyle(true, false);
  bar.SetFontColor(kStatusColor);
  bar.AddPanel({L"", ui::PanelAlignment::Center, true});
  // The window grows by the bar, so that the controls above it keep their size.
  const SIZE client = mainForm.DesignClientSize();
  mainForm.SetClientSize(client.cx, client.cy + ToDesign(mainForm, kStatusBarHeight));
  mainForm.Realign();
  return bar;
}

}  // namespace

std::wstring GetUpdateText(UpdateTextKind kind) { return UpdateText(kind, CurrentLanguage()); }

bool UpdateDialog(const std::wstring& reply) {
  ui::MessageDialog dialog(GetUpdateText(UpdateTextKind::Message), ui::DialogIcon::Warning, {IDYES, IDNO}, IDYES, IDNO);
  const DialogExtras extras = ReadExtras(reply);
  dialog.SetCaption(Translate(ui::application::Title()));
  dialog.SetColor(kWhite);
  if (extras.flag.find(L"stayontop") != std::wstring::npos) KeepOnTop(dialog);
  dialog.FindButton(IDYES)->SetCaption(GetUpdateText(UpdateTextKind::Yes));
  dialog.FindButton(IDNO)->SetCaption(GetUpdateText(UpdateTextKind::No));

  ui::CheckBox* holdBox = nullptr;
  if (!extras.style.empty()) {
    const int offset = CheckInLayoutOffset();
    GrowForExtras(dialog, offset);
    PlaceSeparator(dialog, offset);
    if (extras.style == L"hold") holdBox = &PlaceHoldBox(dialog, extras.text, offset);
    if (extras.style == L"note") PlaceNoteLink(dialog, extras.text, extras.url, offset);
  }
  dialog.CenterOnScreen();
  const bool accepted = dialog.ShowModal() == IDYES;
  if (holdBox && holdBox->Checked()) StartHoldCommand();
  return accepted;
}

void ShowUpdateStatus(const std::wstring& url) {
  ui::Form* mainForm = ui::application::MainForm();
  if (!mainForm) return;
  ui::Component* existing = mainForm->FindComponent(L"StatusBar");
  auto* bar = dynamic_cast<ui::StatusBar*>(existing);
  if (existing && !bar) return;
  if (!bar) bar = &CreateUpdateStatusBar(*mainForm);
  bar->SetPanelText(0, GetUpdateText(UpdateTextKind::StatusCaption));
  bar->SetHint(url);
  bar->SetShowHint(true);
  bar->OnDrawPanel = TUpdateHelper::DrawUpdateStatus;
  bar->OnClick = TUpdateHelper::StatusClick;
  bar->Invalidate();
}

void TUpdateHelper::DrawUpdateStatus(ui::StatusBar& statusBar, HDC dc, const ui::StatusPanel& panel, const RECT& rect) {
  const ui::ScopedBrush background(CreateSolidBrush(statusBar.Color()));
  FillRect(dc, &rect, background.Get());
  const ui::SelectedObject font(dc, statusBar.Font());
  SetTextColor(dc, statusBar.FontColor());
  SetBkMode(dc, TRANSPARENT);
  std::wstring text = panel.text;
  RECT area = rect;
  DrawTextW(dc, text.data(), static_cast<int>(text.size()), &area, DT_SINGLELINE | DT_VCENTER | DT_CENTER);
}

void TUpdateHelper::StatusClick(ui::Control& sender) {
  if (dynamic_cast<ui::StatusBar*>(&sender)) OpenWebAddress(sender.Hint());
}

void TFormHelper::OpenURL(ui::Control& sender) { OpenWebAddress(sender.Hint()); }

}  // namespace quorvane
