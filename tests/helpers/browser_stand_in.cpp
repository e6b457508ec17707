// Stands in for the browser in the tests that open web addresses: the tests make it the
// program that opens http and https addresses. Appends its command line's arguments, as one
// UTF-8 line, to "<its own path>.log".
#include <windows.h>

#include <string>

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR arguments, int) noexcept {
  wchar_t path[MAX_PATH + 1] = {};
  GetModuleFileNameW(nullptr, path, MAX_PATH + 1);
  const std::wstring log = std::wstring(path) + L".log";
  const std::wstring line = std::wstring(arguments) + L"\n";
  const int size =
      WideCharToMultiByte(CP_UTF8, 0, line.c_str(), static_cast<int>(line.size()), nullptr, 0, nullptr, nullptr);
  std::string bytes(static_cast<std::size_t>(size), '\0');
  WideCharToMultiByte(CP_UTF8, 0, line.c_str(), static_cast<int>(line.size()), bytes.data(), size, nullptr, nullptr);
  // Several probes may end at once: each waits until no other one writes, however long a busy
  // machine keeps that one. The test may read meanwhile; it takes only whole lines.
  for (const ULONGLONG deadline = GetTickCount64() + 60000; GetTickCount64() < deadline;) {
    const HANDLE file = CreateFileW(log.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ, nullptr, OPEN_ALWAYS,
                                    FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file != INVALID_HANDLE_VALUE) {
      DWORD written = 0;
      WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
      CloseHandle(file);
      return 0;
    }
    Sleep(10);
  }
  return 1;
}
