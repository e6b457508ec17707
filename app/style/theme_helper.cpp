#include "app/style/theme_helper.h"

#include <commctrl.h>

#include <exception>
#include <string>

#include "ui/application.h"
#include "common/error.h"

namespace quorvane {

namespace {

constexpr DWORD kUseImmersiveDarkMode = 20;  // DWMWA_USE_IMMERSIVE_DARK_MODE
constexpr int kLineHeight = 2;

ui::Form& FormOf(ui::Component& owner) {
  auto* form = dynamic_cast<ui::Form*>(&owner);
  if (!form) throw Error(L"TThemeHelper Owner must be a TForm");
  return *form;
}

// Asks the desktop window manager for a dark frame. dwmapi.dll is loaded on demand, and the
// answer is ignored: systems without dark frames keep their usual one.
void RequestDarkFrame(HWND window) {
  using SetAttributeFunction = HRESULT(WINAPI*)(HWND, DWORD, LPCVOID, DWORD);
  wchar_t system[MAX_PATH] = {};
  const UINT length = GetSystemDirectoryW(system, MAX_PATH);
  if (length == 0 || length >= MAX_PATH) return;
  const HMODULE dwm = LoadLibraryW((std::wstring(system) + L"\\dwmapi.dll").c_str());
  if (!dwm) return;
  if (const auto setAttribute = reinterpret_cast<SetAttributeFunction>(
          reinterpret_cast<void*>(GetProcAddress(dwm, "DwmSetWindowAttribute")))) {
    const LONG enabled = -1;
    setAttribute(window, kUseImmersiveDarkMode, &enabled, sizeof enabled);
  }
  FreeLibrary(dwm);
}

}  // namespace

TThemeHelper::TThemeHelper(ui::Component& owner) : Component(owner), FForm(&FormOf(owner)) {
  RequestDarkFrame(FForm->Handle());

  FShape = &Create<ui::Shape>(*FForm, *FForm);
  FShape->SetBounds(0, 0, FForm->DesignClientSize().cx, kLineHeight);
  FShape->SetBrushColor(FActiveColor);
  FShape->SetPenColor(FActiveColor);
  FShape->SetAlign(ui::Align::Top);
  FShape->MoveToFirst();

  SetWindowSubclass(FForm->Handle(), NewWindowProc, reinterpret_cast<UINT_PTR>(this),
                    reinterpret_cast<DWORD_PTR>(this));
  UpdateShape();
}

TThemeHelper::~TThemeHelper() {
  if (FForm && FForm->Handle()) RemoveWindowSubclass(FForm->Handle(), NewWindowProc, reinterpret_cast<UINT_PTR>(this));
}

void TThemeHelper::UpdateShape() {
  const COLORREF colour = FIsActive ? FActiveColor : GetSysColor(COLOR_GRAYTEXT);
  FShape->SetBrushColor(colour);
  FShape->SetPenColor(colour);
  FShape->SetVisible(FForm->HasBorder());
}

// Runs before the window's own handling, so that the line is updated first.
LRESULT CALLBACK TThemeHelper::NewWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR,
                                             DWORD_PTR self) noexcept {
  auto* helper = reinterpret_cast<TThemeHelper*>(self);
  try {
    if (message == WM_SIZE) helper->UpdateShape();
    if (message == WM_ACTIVATE) {
      helper->FIsActive = LOWORD(wParam) != WA_INACTIVE;
      helper->UpdateShape();
    }
  } catch (...) {
    // As for the window's own handlers: the error is shown, and the window goes on.
    ui::application::HandleException(std::current_exception());
  }
  return DefSubclassProc(window, message, wParam, lParam);
}

}  // namespace quorvane
