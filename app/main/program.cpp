// The program block: the modules start in their order, one instance per logon session gets a
// window, and the modules end in the opposite order.
#include <windows.h>

#include <exception>

#include "app/main/main_window.h"
#include "app/style/tesmora_button_styles.h"
#include "app/translation/translation.h"
#include "ui/application.h"
#include "ui/button_styles.h"
#include "common/debug_switch.h"
#include "common/shell.h"

namespace quorvane {
namespace {

constexpr wchar_t kMutexName[] = L"QuorvaneMutex";

// The program runs elevated: a DLL that it loads later must come from the system folder, not
// from its own folder or the current one, where anybody may have put one.
void RestrictDllSearchToSystemFolder() {
  using SetDirectoriesFunction = BOOL(WINAPI*)(DWORD);
  const auto setDefaultDllDirectories = reinterpret_cast<SetDirectoriesFunction>(
      reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"kernel32.dll"), "SetDefaultDllDirectories")));
  constexpr DWORD kSearchSystem32 = 0x00000800;  // LOAD_LIBRARY_SEARCH_SYSTEM32
  if (!setDefaultDllDirectories || !setDefaultDllDirectories(kSearchSystem32)) {
    // Systems without that call (Vista and 7 without their update) can at least leave out the
    // current folder.
    SetDllDirectoryW(L"");
  }
}

// True when this process is the first of the logon session. Creating the mutex and asking
// whether it existed is one step, so two programs started at once cannot both be first. The
// handle stays open until the process ends.
bool IsFirstInstance() {
  const HANDLE mutex = CreateMutexW(nullptr, TRUE, kMutexName);
  const DWORD error = GetLastError();
  if (!mutex) return error != ERROR_ACCESS_DENIED;  // denied: it exists, made by another instance
  return error != ERROR_ALREADY_EXISTS;
}

void RunProgram() {
  SetDebugSwitch(true);
  if (!IsFirstInstance()) return;
  ui::application::Initialize();
  TFrmQuorvane window;
  ui::application::SetMainForm(&window);
  window.CenterOnScreen();
  window.Show();
  ui::application::Run();
}

}  // namespace
}  // namespace quorvane

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) noexcept {
  quorvane::RestrictDllSearchToSystemFolder();
  // An error that the event loop's handlers did not take, such as a window that cannot be
  // made, is shown as theirs are, and ends the program.
  try {
    quorvane::RegisterTesmoraButtonStyles();
    quorvane::InitTranslation();
    quorvane::InitFolderPlaceholders();

    quorvane::RunProgram();

    quorvane::ReleaseFolderPlaceholders();
    quorvane::ReleaseTranslation();
    quorvane::ui::UnregisterButtonStyleFamilies();
    return 0;
  } catch (...) {
    quorvane::ui::application::HandleException(std::current_exception());
    return 1;
  }
}
