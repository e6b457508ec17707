// Started by the shell in the tests of opening a path or an address: leaves "<its own
// path>.opened" behind, holding the command line it was started with, as UTF-16.
#include <windows.h>

#include <cwchar>
#include <string>

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
  wchar_t path[MAX_PATH + 1] = {};
  GetModuleFileNameW(nullptr, path, MAX_PATH + 1);
  const std::wstring marker = std::wstring(path) + L".opened";
  HANDLE file = CreateFileW(marker.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return 1;
  const wchar_t* commandLine = GetCommandLineW();
  DWORD written = 0;
  WriteFile(file, commandLine, static_cast<DWORD>(std::wcslen(commandLine) * sizeof(wchar_t)), &written, nullptr);
  CloseHandle(file);
  return 0;
}
