#include "catalogue/entry_backup.h"

#include <shlobj.h>

#include <climits>
#include <cstdio>
#include <cstring>
#include <optional>

#include "common/error.h"
#include "common/native_path.h"
#include "common/scoped.h"
#include "common/shell.h"
#include "common/text.h"

namespace quorvane {

namespace {

// regedit wraps hex data so that no line is longer than 80 characters.
constexpr std::size_t kRegLineWidth = 80;
// Value names may be 16,383 characters long; a file name needs only enough to be recognised.
constexpr std::size_t kMaxNameChars = 80;
constexpr int kMaxNameAttempts = 1000;
// A value may change size between the size query and the read; give up after a few rounds.
constexpr int kQueryAttempts = 8;

const wchar_t* KeyPath(const std::wstring& key) { return key.c_str() + (key.starts_with(L'\\') ? 1 : 0); }

// The value's type and bytes in the 64-bit view; false when the value or its key is missing.
bool ReadRawValue(HKEY rootKey, const std::wstring& key, const std::wstring& name, DWORD& type, TReg::Bytes& data) {
  const std::wstring action = L"Cannot read the value " + name + L" to back it up";
  RegKey handle;
  LONG status = handle.Open(rootKey, key, KEY_QUERY_VALUE);
  if (status == ERROR_FILE_NOT_FOUND) return false;
  if (status != ERROR_SUCCESS) throw WinError(static_cast<unsigned long>(status), action);
  data.clear();
  for (int attempt = 0; attempt < kQueryAttempts; ++attempt) {
    DWORD size = static_cast<DWORD>(data.size());
    status = RegQueryValueExW(handle.Get(), name.c_str(), nullptr, &type, data.empty() ? nullptr : data.data(), &size);
    if (status == ERROR_FILE_NOT_FOUND) return false;
    if (status == ERROR_SUCCESS && size <= data.size()) {
      data.resize(size);
      return true;
    }
    if (status != ERROR_SUCCESS && status != ERROR_MORE_DATA)
      throw WinError(static_cast<unsigned long>(status), action);
    data.resize(size);
  }
  throw Error(action + L": it keeps changing");
}

std::wstring Escaped(const std::wstring& text) {
  std::wstring escaped;
  for (wchar_t c : text) {
    if (c == L'\\' || c == L'"') escaped += L'\\';
    escaped += c;
  }
  return escaped;
}

// The text of string data that the quoted form gives back exactly: one terminating NUL, no
// other, no line break. Anything else is written as hex bytes.
std::optional<std::wstring> QuotableText(const TReg::Bytes& data) {
  if (data.size() < sizeof(wchar_t) || data.size() % sizeof(wchar_t) != 0) return std::nullopt;
  std::wstring text(data.size() / sizeof(wchar_t), L'\0');
  std::memcpy(text.data(), data.data(), data.size());
  if (text.back() != L'\0') return std::nullopt;
  text.pop_back();
  if (text.find_first_of(std::wstring(L"\r\n\0", 3)) != std::wstring::npos) return std::nullopt;
  return text;
}

std::wstring Hex(unsigned long number, int digits) {
  wchar_t buffer[16] = {};
  std::swprintf(buffer, std::size(buffer), L"%0*lx", digits, number);
  return buffer;
}

// Appends the bytes as "xx,xx,...", continuing long lines the way regedit does: a backslash
// at the end, two spaces at the start of the next.
void AppendHexBytes(std::wstring& text, const TReg::Bytes& data) {
  std::size_t lineStart = text.rfind(L'\n') + 1;
  for (std::size_t i = 0; i < data.size(); ++i) {
    text += Hex(data[i], 2);
    if (i + 1 == data.size()) break;
    text += L',';
    if (text.size() - lineStart + 3 >= kRegLineWidth) {
      text += L"\\\r\n  ";
      lineStart = text.size() - 2;
    }
  }
}

void AppendData(std::wstring& text, DWORD type, const TReg::Bytes& data) {
  if (type == REG_SZ) {
    if (const std::optional<std::wstring> quotable = QuotableText(data)) {
      text += L'"' + Escaped(*quotable) + L'"';
      return;
    }
  }
  if (type == REG_DWORD && data.size() == sizeof(DWORD)) {
    DWORD number = 0;
    std::memcpy(&number, data.data(), sizeof number);
    text += L"dword:" + Hex(number, 8);
    return;
  }
  text += type == REG_BINARY ? std::wstring(L"hex:") : L"hex(" + Hex(type, 1) + L"):";
  AppendHexBytes(text, data);
}

std::wstring Stamp() {
  SYSTEMTIME now{};
  GetLocalTime(&now);
  wchar_t buffer[32] = {};
  std::swprintf(buffer, std::size(buffer), L"%04u%02u%02u-%02u%02u%02u", now.wYear, now.wMonth, now.wDay, now.wHour,
                now.wMinute, now.wSecond);
  return buffer;
}

// A value name made fit for a file name: characters that file names cannot hold become "_".
std::wstring FileNameFor(const std::wstring& valueName) {
  if (valueName.empty()) return L"(Default)";
  std::wstring name = valueName.substr(0, kMaxNameChars);
  for (wchar_t& c : name) {
    if (c < L' ' || std::wstring_view(L"<>:\"/\\|?*").find(c) != std::wstring_view::npos) c = L'_';
  }
  return name;
}

// Puts something into the backup folder under the first free name of the form
// "<stamp> <name>", "<stamp> (2) <name>", ...: place(path) creates it there without replacing
// anything, and gives ERROR_SUCCESS, ERROR_FILE_EXISTS or ERROR_ALREADY_EXISTS when the name is
// taken, or the error that stopped it.
template <typename Place>
std::wstring PlaceUnderFreeName(const std::wstring& name, const std::wstring& action, Place place) {
  const std::wstring folder = BackupFolder();
  const std::wstring stamp = Stamp();
  for (int number = 1; number <= kMaxNameAttempts; ++number) {
    const std::wstring counter = number == 1 ? L"" : L" (" + std::to_wstring(number) + L")";
    const std::wstring path = folder + L'\\' + stamp + counter + L' ' + name;
    const DWORD error = place(path);
    if (error == ERROR_SUCCESS) return path;
    if (error != ERROR_FILE_EXISTS && error != ERROR_ALREADY_EXISTS) throw WinError(error, action);
  }
  throw Error(action + L": no free name in " + folder);
}

DWORD WriteNewFile(const std::wstring& path, const std::string& bytes) {
  ScopedFile file(CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file) return GetLastError();
  DWORD written = 0;
  const bool complete = bytes.size() <= INT_MAX &&
                        WriteFile(file.Get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) &&
                        written == bytes.size() && FlushFileBuffers(file.Get());
  if (complete) return ERROR_SUCCESS;
  const DWORD error = GetLastError() == ERROR_SUCCESS ? ERROR_WRITE_FAULT : GetLastError();
  file.Reset();
  DeleteFileW(path.c_str());
  return error;
}

void CreateFolder(const std::wstring& path) {
  if (!CreateDirectoryW(path.c_str(), nullptr) && GetLastError() != ERROR_ALREADY_EXISTS) {
    throw WinError(GetLastError(), L"Cannot create the backup folder " + path);
  }
}

}  // namespace

std::wstring BackupFolder() {
  const std::wstring appData = GetSpecialFolderPath(CSIDL_COMMON_APPDATA);
  if (appData.empty()) throw Error(L"Cannot find the folder for backups");
  const std::wstring program = appData + L"\\Quorvane";
  const std::wstring backup = program + L"\\Backup";
  CreateFolder(program);
  CreateFolder(backup);
  return backup;
}

std::wstring FormatRegFile(HKEY rootKey, const std::wstring& key, const std::wstring& name, DWORD type,
                           const TReg::Bytes& data) {
  if (name.find_first_of(L"\r\n") != std::wstring::npos) {
    throw Error(L"The value name " + name + L" cannot be written to a .reg file");
  }
  std::wstring text = L"Windows Registry Editor Version 5.00\r\n\r\n";
  text += L'[' + RootKeyToName(rootKey, false) + L'\\' + KeyPath(key) + L"]\r\n";
  text += name.empty() ? std::wstring(L"@=") : L'"' + Escaped(name) + L"\"=";
  AppendData(text, type, data);
  text += L"\r\n\r\n";
  return text;
}

std::string EncodeRegFile(const std::wstring& text) {
  static_assert(sizeof(wchar_t) == 2, "Windows' wide characters are UTF-16 code units");
  std::string bytes = "\xFF\xFE";
  bytes.append(reinterpret_cast<const char*>(text.data()), text.size() * sizeof(wchar_t));
  return bytes;
}

std::wstring BackUpRegistryValue(HKEY rootKey, const std::wstring& key, const std::wstring& name) {
  DWORD type = REG_NONE;
  TReg::Bytes data;
  if (!ReadRawValue(rootKey, key, name, type, data)) return {};
  const std::string file = EncodeRegFile(FormatRegFile(rootKey, key, name, type, data));
  const std::wstring fileName = RootKeyToName(rootKey, true) + L' ' + FileNameFor(name) + L".reg";
  return PlaceUnderFreeName(fileName, L"Cannot back up the value " + name,
                            [&file](const std::wstring& path) { return WriteNewFile(path, file); });
}

std::wstring MoveFileToBackup(const std::wstring& path) {
  const std::wstring source = NativePath(path);
  return PlaceUnderFreeName(FileNamePart(path), L"Cannot move " + path + L" to the backup folder",
                            [&source](const std::wstring& backup) -> DWORD {
                              return MoveFileExW(source.c_str(), backup.c_str(),
                                                 MOVEFILE_COPY_ALLOWED | MOVEFILE_WRITE_THROUGH)
                                         ? ERROR_SUCCESS
                                         : GetLastError();
                            });
}

}  // namespace quorvane
