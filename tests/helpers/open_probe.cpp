// Started by the shell in the tests of opening a path or an address: leaves "<its own
// path>.opened" behind, holding the process that started it and its command line. The file
// appears only once it is complete.
#include <windows.h>
#include <tlhelp32.h>

#include <string>

namespace {

DWORD ParentProcessId() {
  const HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
  PROCESSENTRY32W entry{};
  entry.dwSize = sizeof entry;
  DWORD parent = 0;
  for (BOOL more = Process32FirstW(snapshot, &entry); more; more = Process32NextW(snapshot, &entry)) {
    if (entry.th32ProcessID == GetCurrentProcessId()) parent = entry.th32ParentProcessID;
  }
  CloseHandle(snapshot);
  return parent;
}

}  // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR commandLine, int) noexcept {
  wchar_t path[MAX_PATH + 1] = {};
  GetModuleFileNameW(nullptr, path, MAX_PATH + 1);
  const std::wstring marker = std::wstring(path) + L".opened";
  // parent process id, a line break, then the command line after the program's name
  const std::wstring report = std::to_wstring(ParentProcessId()) + L"\n" + commandLine;
  // Written beside the marker and then renamed, so that the marker appears whole.
  const std::wstring partial = marker + L".partial";
  HANDLE file = CreateFileW(partial.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return 1;
  DWORD written = 0;
  const DWORD size = static_cast<DWORD>(report.size() * sizeof(wchar_t));
  const bool complete = WriteFile(file, report.data(), size, &written, nullptr) && written == size;
  CloseHandle(file);
  return complete && MoveFileExW(partial.c_str(), marker.c_str(), MOVEFILE_REPLACE_EXISTING) ? 0 : 1;
}
