// Keeps the test prefix's desktop open for the whole test run. Wine's desktop process closes
// the desktop shortly after the last program with windows ends; a program that starts in that
// moment gets windows on no desktop and shows nothing. With this program's hidden window always
// there, the desktop never closes between tests.
//
// desktop_keeper READY_FILE: creates its window, draws text once (so that a new prefix has built
// its font cache before the first test needs it), then creates READY_FILE and waits for the
// end of the prefix.
#include <windows.h>

#include <string>

namespace {

LRESULT CALLBACK KeeperProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) noexcept {
  if (message == WM_DESTROY) PostQuitMessage(0);
  return DefWindowProcW(window, message, wParam, lParam);
}

HWND CreateKeeperWindow(HINSTANCE instance) {
  WNDCLASSW windowClass{};
  windowClass.lpfnWndProc = KeeperProcedure;
  windowClass.hInstance = instance;
  windowClass.lpszClassName = L"QuorvaneDesktopKeeper";
  if (!RegisterClassW(&windowClass)) return nullptr;
  return CreateWindowExW(0, windowClass.lpszClassName, L"Quorvane desktop keeper", WS_OVERLAPPEDWINDOW, 0, 0, 200, 100,
                         nullptr, nullptr, instance, nullptr);
}

void DrawTextOnce(HWND window) {
  const HDC context = GetDC(window);
  const HGDIOBJ previous = SelectObject(context, GetStockObject(DEFAULT_GUI_FONT));
  RECT area{0, 0, 200, 100};
  DrawTextW(context, L"Quorvane", -1, &area, DT_CALCRECT);
  SelectObject(context, previous);
  ReleaseDC(window, context);
}

bool CreateReadyFile(const wchar_t* path) {
  const HANDLE file = CreateFileW(path, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  CloseHandle(file);
  return true;
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR readyFile, int) noexcept {
  const HWND window = CreateKeeperWindow(instance);
  if (!window) return 1;
  DrawTextOnce(window);
  if (!CreateReadyFile(readyFile)) return 1;
  MSG message;
  while (GetMessageW(&message, nullptr, 0, 0) > 0) DispatchMessageW(&message);
  return 0;
}
