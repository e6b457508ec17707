#include "ui/control.h"

#include <commctrl.h>

#include <algorithm>
#include <exception>
#include <utility>

#include "ui/application.h"
#include "ui/dpi.h"
#include "ui/form.h"

namespace quorvane::ui {

namespace {

constexpr wchar_t kControlProperty[] = L"Quorvane.Control";

// Each control window gets an identifier of its own, by which WM_MEASUREITEM names it.
UINT_PTR NextControlId() {
  static UINT_PTR next = 1000;
  return next++;
}

int Width(const RECT& rect) { return rect.right - rect.left; }
int Height(const RECT& rect) { return rect.bottom - rect.top; }

// The control window that a parent notification comes from.
HWND NotifyingWindow(HWND parent, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_COMMAND:
      return reinterpret_cast<HWND>(lParam);
    case WM_NOTIFY:
      return reinterpret_cast<const NMHDR*>(lParam)->hwndFrom;
    case WM_DRAWITEM:
      return reinterpret_cast<const DRAWITEMSTRUCT*>(lParam)->hwndItem;
    case WM_MEASUREITEM:
      return GetDlgItem(parent, static_cast<int>(wParam));
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLORBTN:
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORLISTBOX:
      return reinterpret_cast<HWND>(lParam);
    default:
      return nullptr;
  }
}

}  // namespace

const wchar_t* Control::OwnWindowClass() {
  static const wchar_t* const name = [] {
    WNDCLASSEXW windowClass{};
    windowClass.cbSize = sizeof windowClass;
    windowClass.style = CS_HREDRAW | CS_VREDRAW | CS_DBLCLKS;
    windowClass.lpfnWndProc = DefWindowProcW;
    windowClass.hInstance = GetModuleHandleW(nullptr);
    windowClass.hIcon = LoadIconW(windowClass.hInstance, MAKEINTRESOURCEW(1));
    if (!windowClass.hIcon) windowClass.hIcon = LoadIconW(nullptr, IDI_APPLICATION);
    windowClass.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    windowClass.lpszClassName = L"QuorvaneWindow";
    RegisterClassExW(&windowClass);
    return windowClass.lpszClassName;
  }();
  return name;
}

Control::Control() = default;

Control::Control(Component& owner, Control* parent) : Component(owner), parent_(parent) {}

Control::~Control() {
  // Owned components go first: they may be children that still refer to this control.
  DestroyOwned();
  for (Control* child : children_) child->parent_ = nullptr;
  if (parent_) std::erase(parent_->children_, this);
  if (handle_) DestroyWindow(handle_);
}

const Form& Control::TopForm() const {
  const Control* control = this;
  while (control->parent_) control = control->parent_;
  return static_cast<const Form&>(*control);
}

Form& Control::TopForm() { return const_cast<Form&>(std::as_const(*this).TopForm()); }

void Control::CreateHandle(const wchar_t* className, DWORD style, DWORD exStyle) {
  const HWND window =
      CreateWindowExW(exStyle, className, L"", style | WS_CHILD | WS_CLIPSIBLINGS, 0, 0, 0, 0, parent_->Handle(),
                      reinterpret_cast<HMENU>(NextControlId()), GetModuleHandleW(nullptr), nullptr);
  AttachHandle(window);
  parent_->children_.push_back(this);
  SendMessageW(handle_, WM_SETFONT, reinterpret_cast<WPARAM>(Font()), FALSE);
}

void Control::AttachHandle(HWND window) {
  handle_ = window;
  SetPropW(window, kControlProperty, this);
  SetWindowSubclass(window, SubclassProc, 0, reinterpret_cast<DWORD_PTR>(this));
}

Control* Control::FromHandle(HWND window) {
  return window ? static_cast<Control*>(GetPropW(window, kControlProperty)) : nullptr;
}

LRESULT CALLBACK Control::SubclassProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR,
                                       DWORD_PTR self) noexcept {
  auto* control = reinterpret_cast<Control*>(self);
  if (message == WM_NCDESTROY) {
    RemoveWindowSubclass(window, SubclassProc, 0);
    RemovePropW(window, kControlProperty);
    control->handle_ = nullptr;
    return DefSubclassProc(window, message, wParam, lParam);
  }
  // An error that escapes an event handler is shown to the user here, once for all handlers;
  // the message then counts as handled and the program goes on.
  try {
    if (const std::optional<LRESULT> result = control->OnMessage(message, wParam, lParam)) return *result;
  } catch (...) {
    application::HandleException(std::current_exception());
    return 0;
  }
  return DefSubclassProc(window, message, wParam, lParam);
}

LRESULT Control::DefaultProc(UINT message, WPARAM wParam, LPARAM lParam) {
  return DefSubclassProc(handle_, message, wParam, lParam);
}

std::optional<LRESULT> Control::OnMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_COMMAND:
    case WM_NOTIFY:
    case WM_DRAWITEM:
    case WM_MEASUREITEM:
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLORBTN:
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORLISTBOX:
      return ReflectToChild(message, wParam, lParam);
    case WM_SIZE:
      Realign();
      return std::nullopt;
    case WM_SETCURSOR:
      if (cursor_ && LOWORD(lParam) == HTCLIENT) {
        ::SetCursor(cursor_);
        return TRUE;
      }
      return std::nullopt;
    default:
      return std::nullopt;
  }
}

std::optional<LRESULT> Control::ReflectToChild(UINT message, WPARAM wParam, LPARAM lParam) {
  Control* child = FromHandle(NotifyingWindow(handle_, message, wParam, lParam));
  if (!child || child == this) return std::nullopt;
  return child->OnParentNotify(message, wParam, lParam);
}

std::optional<LRESULT> Control::OnParentNotify(UINT message, WPARAM wParam, LPARAM) {
  switch (message) {
    case WM_COMMAND:
      if ((HIWORD(wParam) == BN_CLICKED || HIWORD(wParam) == STN_CLICKED) && OnClick) {
        OnClick(*this);
        return 0;
      }
      return std::nullopt;
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLORBTN: {
      const auto dc = reinterpret_cast<HDC>(wParam);
      SetBkColor(dc, Color());
      SetTextColor(dc, fontColor_ != CLR_INVALID ? fontColor_ : GetSysColor(COLOR_WINDOWTEXT));
      return reinterpret_cast<LRESULT>(BackgroundBrush());
    }
    default:
      return std::nullopt;
  }
}

void Control::SetBounds(int left, int top, int width, int height) {
  bounds_ = {left, top, left + width, top + height};
  if (parent_) parent_->Realign();
}

void Control::SetScalesWithDpi(bool scales) {
  scalesWithDpi_ = scales;
  if (parent_) parent_->Realign();
}

void Control::SetAlign(Align align) {
  align_ = align;
  if (parent_) parent_->Realign();
}

void Control::SetMargins(Edges margins) {
  margins_ = margins;
  if (parent_) parent_->Realign();
}

void Control::SetPadding(Edges padding) {
  padding_ = padding;
  Realign();
}

void Control::MoveToFirst() {
  if (!parent_) return;
  auto& siblings = parent_->children_;
  const auto self = std::find(siblings.begin(), siblings.end(), this);
  std::rotate(siblings.begin(), self, self + 1);
  parent_->Realign();
}

// Aligned children take their strip of the area in the order top, bottom, left, right, and
// the client-aligned ones the rest; within each kind, in sibling order.
void Control::Realign() {
  if (!handle_) return;
  RECT area = ClientRect();
  area.left += Scale(padding_.left);
  area.top += Scale(padding_.top);
  area.right -= Scale(padding_.right);
  area.bottom -= Scale(padding_.bottom);
  for (Align pass : {Align::Top, Align::Bottom, Align::Left, Align::Right, Align::Client, Align::None}) {
    for (Control* child : children_) {
      if (child->visible_ && child->align_ == pass) child->PlaceIn(area);
    }
  }
}

void Control::PlaceIn(RECT& area) {
  const int left = Scale(margins_.left);
  const int top = Scale(margins_.top);
  const int right = Scale(margins_.right);
  const int bottom = Scale(margins_.bottom);
  const int width = Scale(Width(bounds_));
  const int height = Scale(Height(bounds_));
  RECT placed{};
  switch (align_) {
    case Align::Top:
      placed = {area.left + left, area.top + top, area.right - right, area.top + top + height};
      area.top = placed.bottom + bottom;
      break;
    case Align::Bottom:
      placed = {area.left + left, area.bottom - bottom - height, area.right - right, area.bottom - bottom};
      area.bottom = placed.top - top;
      break;
    case Align::Left:
      placed = {area.left + left, area.top + top, area.left + left + width, area.bottom - bottom};
      area.left = placed.right + right;
      break;
    case Align::Right:
      placed = {area.right - right - width, area.top + top, area.right - right, area.bottom - bottom};
      area.right = placed.left - left;
      break;
    case Align::Client:
      placed = {area.left + left, area.top + top, area.right - right, area.bottom - bottom};
      break;
    case Align::None:
      placed = {Scale(bounds_.left), Scale(bounds_.top), Scale(bounds_.left) + width, Scale(bounds_.top) + height};
      break;
  }
  // A moved control paints itself anew: the pixels that moving would copy along are not always
  // what it shows at its new place.
  SetWindowPos(handle_, nullptr, placed.left, placed.top, std::max(0, Width(placed)), std::max(0, Height(placed)),
               SWP_NOZORDER | SWP_NOACTIVATE | SWP_NOCOPYBITS);
}

void Control::SetVisible(bool visible) {
  visible_ = visible;
  ShowWindow(handle_, visible ? SW_SHOWNA : SW_HIDE);
  if (parent_) parent_->Realign();
}

void Control::SetEnabled(bool enabled) { EnableWindow(handle_, enabled); }

bool Control::Enabled() const { return IsWindowEnabled(handle_) != FALSE; }

std::wstring Control::Caption() const {
  std::wstring text(static_cast<std::size_t>(GetWindowTextLengthW(handle_)) + 1, L'\0');
  text.resize(static_cast<std::size_t>(GetWindowTextW(handle_, text.data(), static_cast<int>(text.size()))));
  return text;
}

void Control::SetCaption(const std::wstring& caption) {
  SetWindowTextW(handle_, caption.c_str());
  Invalidate();
}

void Control::SetColor(COLORREF color) {
  color_ = color;
  Invalidate();
}

COLORREF Control::Color() const {
  if (color_ != CLR_INVALID) return color_;
  return parent_ ? parent_->Color() : GetSysColor(COLOR_BTNFACE);
}

HBRUSH Control::BackgroundBrush() const {
  const COLORREF color = Color();
  if (!backgroundBrush_ || backgroundBrushColor_ != color) {
    backgroundBrush_.Reset(CreateSolidBrush(color));
    backgroundBrushColor_ = color;
  }
  return backgroundBrush_.Get();
}

void Control::PaintBackground(HDC dc) const {
  const RECT client = ClientRect();
  FillRect(dc, &client, BackgroundBrush());
}

void Control::SetFontColor(COLORREF color) {
  fontColor_ = color;
  Invalidate();
}

void Control::SetFontStyle(bool bold, bool underline) {
  bold_ = bold;
  underline_ = underline;
  UpdateFont();
}

HFONT Control::Font() const {
  if (ownFont_) return ownFont_.Get();
  return parent_ ? parent_->Font() : nullptr;
}

void Control::UpdateFont() {
  if (bold_ || underline_) {
    LOGFONTW font = TopForm().BaseLogFont();
    if (bold_) font.lfWeight = FW_BOLD;
    font.lfUnderline = underline_;
    ownFont_.Reset(CreateFontIndirectW(&font));
  } else {
    ownFont_.Reset();
  }
  if (parent_) SendMessageW(handle_, WM_SETFONT, reinterpret_cast<WPARAM>(Font()), TRUE);
  for (Control* child : children_) child->UpdateFont();
}

void Control::NotifyDpiChanged() {
  OnDpiChanged();
  for (Control* child : children_) child->NotifyDpiChanged();
}

void Control::SetHint(std::wstring hint) {
  hint_ = std::move(hint);
  UpdateToolTip();
}

void Control::SetShowHint(bool show) {
  showHint_ = show;
  UpdateToolTip();
}

void Control::UpdateToolTip() {
  const HWND toolTip = TopForm().ToolTipWindow();
  TTTOOLINFOW tool{};
  tool.cbSize = sizeof tool;
  tool.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
  tool.hwnd = TopForm().Handle();
  tool.uId = reinterpret_cast<UINT_PTR>(handle_);
  tool.lpszText = hint_.data();
  SendMessageW(toolTip, TTM_DELTOOLW, 0, reinterpret_cast<LPARAM>(&tool));
  if (showHint_ && !hint_.empty()) SendMessageW(toolTip, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&tool));
}

int Control::Dpi() const { return parent_ ? parent_->Dpi() : kDesignDpi; }

int Control::Scale(int designPixels) const { return scalesWithDpi_ ? ScaleToDpi(designPixels, Dpi()) : designPixels; }

RECT Control::ClientRect() const {
  RECT client{};
  GetClientRect(handle_, &client);
  return client;
}

void Control::Invalidate() const {
  if (handle_) InvalidateRect(handle_, nullptr, TRUE);
}

}  // namespace quorvane::ui
