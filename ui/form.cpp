#include "ui/form.h"

#include <commctrl.h>

#include "ui/application.h"
#include "ui/dpi.h"

namespace quorvane::ui {

namespace {

constexpr DWORD kSizeableStyle = WS_OVERLAPPEDWINDOW;
constexpr DWORD kDialogStyle = WS_POPUP | WS_CAPTION | WS_SYSMENU;
constexpr DWORD kBorderStyles =
    WS_CAPTION | WS_THICKFRAME | WS_SYSMENU | WS_MINIMIZEBOX | WS_MAXIMIZEBOX | WS_BORDER | WS_DLGFRAME | WS_POPUP;

RECT WindowRectForClient(HWND window, int width, int height, int dpi) {
  using ForDpiFunction = BOOL(WINAPI*)(LPRECT, DWORD, BOOL, DWORD, UINT);
  static const auto forDpi = reinterpret_cast<ForDpiFunction>(
      reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"user32.dll"), "AdjustWindowRectExForDpi")));
  RECT rect{0, 0, width, height};
  const auto style = static_cast<DWORD>(GetWindowLongPtrW(window, GWL_STYLE));
  const auto exStyle = static_cast<DWORD>(GetWindowLongPtrW(window, GWL_EXSTYLE));
  if (forDpi) {
    forDpi(&rect, style, FALSE, exStyle, static_cast<UINT>(dpi));
  } else {
    AdjustWindowRectEx(&rect, style, FALSE, exStyle);
  }
  return rect;
}

}  // namespace

Form::Form() { CreateFormWindow(nullptr); }

Form::Form(Component& owner) : Control(owner, nullptr) {
  const Form* mainForm = application::MainForm();
  CreateFormWindow(mainForm ? mainForm->Handle() : nullptr);
}

Form::Form(Standalone) {
  const Form* mainForm = application::MainForm();
  CreateFormWindow(mainForm ? mainForm->Handle() : nullptr);
}

Form::~Form() {
  if (application::MainForm() == this) application::SetMainForm(nullptr);
}

void Form::CreateFormWindow(HWND ownerWindow) {
  const HWND window =
      CreateWindowExW(WS_EX_CONTROLPARENT, OwnWindowClass(), L"", kSizeableStyle | WS_CLIPCHILDREN, CW_USEDEFAULT,
                      CW_USEDEFAULT, 0, 0, ownerWindow, nullptr, GetModuleHandleW(nullptr), nullptr);
  AttachHandle(window);
  SetHasCaption(true);
  dpi_ = DpiOfWindow(window);
  ApplyDesktopFont();
  ResizeToClientSize();
}

void Form::ApplyDesktopFont() {
  logFont_ = DesktopFont(dpi_);
  font_.Reset(CreateFontIndirectW(&logFont_));
  UpdateFont();
}

void Form::SetClientSize(int width, int height) {
  clientSize_ = {width, height};
  ResizeToClientSize();
}

void Form::ResizeToClientSize() {
  const RECT rect = WindowRectForClient(Handle(), Scale(clientSize_.cx), Scale(clientSize_.cy), dpi_);
  SetWindowPos(Handle(), nullptr, 0, 0, rect.right - rect.left, rect.bottom - rect.top,
               SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void Form::SetBorderStyle(BorderStyle style) {
  auto windowStyle = static_cast<DWORD>(GetWindowLongPtrW(Handle(), GWL_STYLE)) & ~kBorderStyles;
  if (style == BorderStyle::Sizeable) windowStyle |= kSizeableStyle;
  if (style == BorderStyle::Dialog) windowStyle |= kDialogStyle;
  if (style == BorderStyle::None) windowStyle |= WS_POPUP;
  SetWindowLongPtrW(Handle(), GWL_STYLE, static_cast<LONG_PTR>(windowStyle));
  SetWindowPos(Handle(), nullptr, 0, 0, 0, 0,
               SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_FRAMECHANGED);
  ResizeToClientSize();
}

bool Form::HasBorder() const {
  return (GetWindowLongPtrW(Handle(), GWL_STYLE) & (WS_BORDER | WS_DLGFRAME | WS_THICKFRAME)) != 0;
}

void Form::CenterOnScreen() {
  MONITORINFO monitor{};
  monitor.cbSize = sizeof monitor;
  GetMonitorInfoW(MonitorFromWindow(Handle(), MONITOR_DEFAULTTOPRIMARY), &monitor);
  RECT window{};
  GetWindowRect(Handle(), &window);
  const RECT& work = monitor.rcWork;
  const int width = window.right - window.left;
  const int height = window.bottom - window.top;
  SetWindowPos(Handle(), nullptr, work.left + (work.right - work.left - width) / 2,
               work.top + (work.bottom - work.top - height) / 2, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void Form::Show() {
  ShowWindow(Handle(), SW_SHOW);
  UpdateWindow(Handle());
}

void Form::Close() { PostMessageW(Handle(), WM_CLOSE, 0, 0); }

int Form::ShowModal() {
  Form* mainForm = application::MainForm();
  const HWND disabled =
      (mainForm && mainForm != this && IsWindowEnabled(mainForm->Handle())) ? mainForm->Handle() : nullptr;
  if (disabled) EnableWindow(disabled, FALSE);
  modalResult_ = 0;
  inModalLoop_ = true;
  Show();
  SetForegroundWindow(Handle());
  MSG message;
  while (modalResult_ == 0) {
    const BOOL got = GetMessageW(&message, nullptr, 0, 0);
    if (got <= 0) {
      // The program is ending: leave the quit for the event loop.
      PostQuitMessage(static_cast<int>(message.wParam));
      modalResult_ = IDCANCEL;
      break;
    }
    if (!IsDialogMessageW(Handle(), &message)) {
      TranslateMessage(&message);
      DispatchMessageW(&message);
    }
  }
  inModalLoop_ = false;
  // The owner takes input again before this window goes, so that it becomes the active one.
  if (disabled) EnableWindow(disabled, TRUE);
  ShowWindow(Handle(), SW_HIDE);
  return modalResult_;
}

HWND Form::ToolTipWindow() {
  if (!toolTip_) {
    toolTip_ = CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr, WS_POPUP | TTS_ALWAYSTIP | TTS_NOPREFIX,
                               CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, Handle(), nullptr,
                               GetModuleHandleW(nullptr), nullptr);
  }
  return toolTip_;
}

void Form::ChangeDpi(int dpi, const RECT& suggested) {
  dpi_ = dpi;
  ApplyDesktopFont();
  NotifyDpiChanged();
  SetWindowPos(Handle(), nullptr, suggested.left, suggested.top, suggested.right - suggested.left,
               suggested.bottom - suggested.top, SWP_NOZORDER | SWP_NOACTIVATE);
  Realign();
}

std::optional<LRESULT> Form::OnMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_ERASEBKGND:
      PaintBackground(reinterpret_cast<HDC>(wParam));
      return 1;
    case kDpiChangedMessage:
      ChangeDpi(HIWORD(wParam), *reinterpret_cast<const RECT*>(lParam));
      return 0;
    case WM_SETTINGCHANGE:
      if (wParam == SPI_SETICONTITLELOGFONT || wParam == SPI_SETNONCLIENTMETRICS) {
        ApplyDesktopFont();
        Realign();
      }
      return std::nullopt;
    case WM_CLOSE:
      if (!inModalLoop_) return std::nullopt;
      modalResult_ = IDCANCEL;
      return 0;
    case WM_DESTROY:
      if (application::MainForm() == this) PostQuitMessage(0);
      return std::nullopt;
    default:
      return Control::OnMessage(message, wParam, lParam);
  }
}

}  // namespace quorvane::ui
