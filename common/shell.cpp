#include "common/shell.h"

#include <windows.h>
#include <exdisp.h>
#include <shellapi.h>
#include <shldisp.h>
#include <shlguid.h>
#include <shlobj.h>

#include "common/scoped.h"
#include "common/text.h"

namespace quorvane {

namespace {

PlaceholderMap& ProgramPlaceholders() {
  static PlaceholderMap placeholders;
  return placeholders;
}

bool NativeSystemIsX64() {
  SYSTEM_INFO info{};
  GetNativeSystemInfo(&info);
  return info.wProcessorArchitecture == PROCESSOR_ARCHITECTURE_AMD64;
}

// The desktop shell's automation object, reached through the desktop window's view: what the
// shell opens through it runs with the rights of the logged-on user, not with this program's.
ComPtr<IShellDispatch2> DesktopShell() {
  ComPtr<IShellWindows> windows;
  if (FAILED(CoCreateInstance(CLSID_ShellWindows, nullptr, CLSCTX_LOCAL_SERVER, IID_IShellWindows,
                              reinterpret_cast<void**>(windows.Put())))) {
    return {};
  }
  VARIANT location;
  VariantInit(&location);
  long desktopWindow = 0;
  ComPtr<IDispatch> desktop;
  if (windows->FindWindowSW(&location, &location, SWC_DESKTOP, &desktopWindow, SWFO_NEEDDISPATCH, desktop.Put()) !=
      S_OK) {
    return {};
  }
  ComPtr<IServiceProvider> services;
  ComPtr<IShellBrowser> browser;
  ComPtr<IShellView> view;
  ComPtr<IDispatch> background;
  ComPtr<IShellFolderViewDual> folderView;
  ComPtr<IDispatch> application;
  ComPtr<IShellDispatch2> shell;
  if (FAILED(desktop->QueryInterface(IID_IServiceProvider, reinterpret_cast<void**>(services.Put()))) ||
      FAILED(
          services->QueryService(SID_STopLevelBrowser, IID_IShellBrowser, reinterpret_cast<void**>(browser.Put()))) ||
      FAILED(browser->QueryActiveShellView(view.Put())) ||
      FAILED(view->GetItemObject(SVGIO_BACKGROUND, IID_IDispatch, reinterpret_cast<void**>(background.Put()))) ||
      FAILED(background->QueryInterface(IID_IShellFolderViewDual, reinterpret_cast<void**>(folderView.Put()))) ||
      FAILED(folderView->get_Application(application.Put())) ||
      FAILED(application->QueryInterface(IID_IShellDispatch2, reinterpret_cast<void**>(shell.Put())))) {
    return {};
  }
  return shell;
}

bool OpenThroughDesktopShell(const std::wstring& address) {
  const ScopedComInit com;
  if (!com) return false;
  const ComPtr<IShellDispatch2> shell = DesktopShell();
  if (!shell) return false;
  const ScopedBstr file(SysAllocString(address.c_str()));
  const ScopedBstr verb(SysAllocString(L"open"));
  VARIANT none;
  VariantInit(&none);
  VARIANT verbArgument;
  VariantInit(&verbArgument);
  verbArgument.vt = VT_BSTR;
  verbArgument.bstrVal = verb.Get();
  VARIANT show;
  VariantInit(&show);
  show.vt = VT_I4;
  show.lVal = SW_SHOWNORMAL;
  return file && verb && SUCCEEDED(shell->ShellExecute(file.Get(), none, none, verbArgument, show));
}

}  // namespace

std::wstring GetSpecialFolderPath(int csidl) {
  wchar_t buffer[MAX_PATH + 1] = {};
  if (SHGetFolderPathW(nullptr, csidl, nullptr, SHGFP_TYPE_CURRENT, buffer) != S_OK) return {};
  std::wstring path(buffer);
  if (!path.empty() && path.back() == L'\\') path.pop_back();
  return path;
}

const PlaceholderMap& FolderPlaceholders() { return ProgramPlaceholders(); }

void InitFolderPlaceholders() {
  ProgramPlaceholders() = BuildFolderPlaceholders(NativeSystemIsX64(), GetSpecialFolderPath);
}

void ReleaseFolderPlaceholders() { PlaceholderMap().swap(ProgramPlaceholders()); }

std::wstring ExpandPlaceholder(std::wstring_view text) { return ExpandPlaceholder(text, FolderPlaceholders()); }

std::wstring ResolveTarget(std::wstring_view commandLine) { return ResolveTarget(commandLine, FolderPlaceholders()); }

void ShellOpen(const std::wstring& target) {
  // The program runs elevated: a browser that it started itself would run as administrator.
  if (IsWebAddress(target) && OpenThroughDesktopShell(target)) return;
  ShellExecuteW(nullptr, L"open", target.c_str(), nullptr, nullptr, SW_SHOWNORMAL);
}

}  // namespace quorvane
