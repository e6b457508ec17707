#include "common/version_info.h"

#include <windows.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <cwchar>
#include <optional>

#include "common/files.h"
#include "common/native_path.h"

namespace quorvane {

namespace {

// The first translation of the table as the eight hexadecimal digits that name its string
// table, language first: 041204B0. A table too short for one translation gives nothing.
std::optional<std::wstring> FirstTranslation(const void* versionInfo) {
  void* table = nullptr;
  UINT length = 0;
  if (!VerQueryValueW(versionInfo, L"\\VarFileInfo\\Translation\\", &table, &length) || table == nullptr) {
    return std::nullopt;
  }
  std::uint16_t languageAndCodePage[2];
  if (length < sizeof languageAndCodePage) return std::nullopt;
  std::memcpy(languageAndCodePage, table, sizeof languageAndCodePage);
  wchar_t text[9] = {};
  std::swprintf(text, 9, L"%04X%04X", static_cast<unsigned>(languageAndCodePage[0]),
                static_cast<unsigned>(languageAndCodePage[1]));
  return text;
}

// The text of a string value: up to its terminating NUL, and never beyond the length that the
// query gives, since a broken resource need not hold the NUL.
std::optional<std::wstring> StringValue(const void* versionInfo, const std::wstring& subBlock) {
  void* value = nullptr;
  UINT length = 0;
  if (!VerQueryValueW(versionInfo, subBlock.c_str(), &value, &length)) return std::nullopt;
  if (value == nullptr || length == 0) return std::wstring();
  const auto* text = static_cast<const wchar_t*>(value);
  return std::wstring(text, std::find(text, text + length, L'\0'));
}

}  // namespace

int GetVersionStrings(const std::wstring& fileName, const std::vector<std::wstring>& names, VersionValues& values) {
  const std::wstring path = NativePath(fileName);
  if (!FileExists(path)) return 0;
  DWORD ignored = 0;
  const DWORD size = GetFileVersionInfoSizeW(path.c_str(), &ignored);
  if (size == 0) return 0;
  std::vector<std::uint8_t> versionInfo(size);
  if (!GetFileVersionInfoW(path.c_str(), 0, size, versionInfo.data())) return 0;
  const std::optional<std::wstring> translation = FirstTranslation(versionInfo.data());
  if (!translation) return 0;
  for (const std::wstring& name : names) {
    if (std::optional<std::wstring> value =
            StringValue(versionInfo.data(), L"\\StringFileInfo\\" + *translation + L'\\' + name)) {
      values.emplace(name, std::move(*value));
    }
  }
  return static_cast<int>(values.size());
}

std::wstring GetAppVersion(std::wstring_view format) {
  wchar_t path[MAX_PATH + 1] = {};
  const DWORD length = GetModuleFileNameW(nullptr, path, MAX_PATH + 1);
  if (length == 0 || length > MAX_PATH) return L"0.0.0.0";
  DWORD ignored = 0;
  const DWORD size = GetFileVersionInfoSizeW(path, &ignored);
  if (size == 0) return L"0.0.0.0";
  std::vector<BYTE> data(size);
  VS_FIXEDFILEINFO* fixed = nullptr;
  UINT fixedSize = 0;
  if (!GetFileVersionInfoW(path, 0, size, data.data()) ||
      !VerQueryValueW(data.data(), L"\\", reinterpret_cast<void**>(&fixed), &fixedSize) || fixedSize < sizeof *fixed) {
    return L"0.0.0.0";
  }
  const DWORD numbers[] = {HIWORD(fixed->dwFileVersionMS), LOWORD(fixed->dwFileVersionMS),
                           HIWORD(fixed->dwFileVersionLS), LOWORD(fixed->dwFileVersionLS)};
  // Only "%d" is understood, so that no format can make the program read beyond its numbers.
  std::wstring version;
  std::size_t next = 0;
  for (std::size_t i = 0; i < format.size(); ++i) {
    if (format.substr(i, 2) == L"%d" && next < std::size(numbers)) {
      version += std::to_wstring(numbers[next++]);
      ++i;
    } else {
      version += format[i];
    }
  }
  return version;
}

}  // namespace quorvane
