#include "common/files.h"

#include <windows.h>

#include <climits>

#include "common/error.h"
#include "common/scoped.h"

namespace quorvane {

namespace {

// A name for the temporary file in the target's own folder, so that the final move stays on
// one volume and replaces the target in one step.
std::wstring TemporaryNameBeside(const std::wstring& path) {
  return path + L"." + std::to_wstring(GetCurrentProcessId()) + L"-" + std::to_wstring(GetTickCount64()) + L".tmp";
}

void WriteAll(HANDLE file, const std::wstring& path, std::string_view bytes) {
  while (!bytes.empty()) {
    const DWORD chunk = bytes.size() > INT_MAX ? INT_MAX : static_cast<DWORD>(bytes.size());
    DWORD written = 0;
    if (!WriteFile(file, bytes.data(), chunk, &written, nullptr))
      throw WinError(GetLastError(), L"Cannot write " + path);
    bytes.remove_prefix(written);
  }
}

}  // namespace

void WriteFileAtomically(const std::wstring& path, std::string_view bytes) {
  const std::wstring temporary = TemporaryNameBeside(path);
  ScopedFile file(
      CreateFileW(temporary.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file) throw WinError(GetLastError(), L"Cannot write " + path);
  try {
    WriteAll(file.Get(), path, bytes);
    if (!FlushFileBuffers(file.Get())) throw WinError(GetLastError(), L"Cannot write " + path);
    file.Reset();
    if (!MoveFileExW(temporary.c_str(), path.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
      throw WinError(GetLastError(), L"Cannot replace " + path);
    }
  } catch (...) {
    file.Reset();
    DeleteFileW(temporary.c_str());
    throw;
  }
}

bool FolderExists(const std::wstring& path) {
  const DWORD attributes = GetFileAttributesW(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

bool FileExists(const std::wstring& path) {
  const DWORD attributes = GetFileAttributesW(path.c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_DIRECTORY)) return false;
  if (!(attributes & FILE_ATTRIBUTE_REPARSE_POINT)) return true;
  // The attributes are the link's own: opening it reaches its target, if there is one.
  const ScopedFile target(CreateFileW(path.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                      OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
  BY_HANDLE_FILE_INFORMATION information{};
  return target && GetFileInformationByHandle(target.Get(), &information) &&
         !(information.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY);
}

}  // namespace quorvane
