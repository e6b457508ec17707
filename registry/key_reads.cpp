#include "registry/key_reads.h"

#include <array>
#include <cstring>

namespace quorvane {

namespace {

// Holds the command lines that Run keys usually hold; a longer value takes a second read.
constexpr DWORD kFirstReadBytes = 1024;

}  // namespace

RegKey OpenKeyForReading(HKEY rootKey, const std::wstring& path) {
  RegKey key;
  key.Open(rootKey, path, KEY_READ);
  return key;
}

std::wstring TextOfValueData(const std::uint8_t* data, std::size_t size) {
  std::wstring text(size / sizeof(wchar_t), L'\0');
  if (!text.empty()) std::memcpy(text.data(), data, text.size() * sizeof(wchar_t));
  const auto nul = text.find(L'\0');
  if (nul != std::wstring::npos) text.resize(nul);
  return text;
}

std::wstring ReadStringValue(const RegKey& key, const std::wstring& name) {
  if (!key) return {};
  std::array<std::uint8_t, kFirstReadBytes> buffer;
  DWORD type = REG_NONE;
  DWORD size = kFirstReadBytes;
  const LONG status = RegQueryValueExW(key.Get(), name.c_str(), nullptr, &type, buffer.data(), &size);
  // Values of other types, REG_MULTI_SZ included, do not name a command: they read as empty.
  const auto text = [&type](const std::uint8_t* data, std::size_t length) {
    return type == REG_SZ || type == REG_EXPAND_SZ ? TextOfValueData(data, length) : std::wstring();
  };
  if (status == ERROR_SUCCESS) return text(buffer.data(), size);
  RegKey::Bytes data;
  if (status != ERROR_MORE_DATA || key.Query(name, type, data) != ERROR_SUCCESS) return {};
  return text(data.data(), data.size());
}

std::optional<RegKey::Bytes> ReadSmallValue(const RegKey& key, const std::wstring& name, std::size_t maxSize) {
  if (!key) return std::nullopt;
  RegKey::Bytes data(maxSize);
  auto size = static_cast<DWORD>(maxSize);
  // A value larger than the buffer gives ERROR_MORE_DATA, and is not wanted.
  if (RegQueryValueExW(key.Get(), name.c_str(), nullptr, nullptr, data.data(), &size) != ERROR_SUCCESS) {
    return std::nullopt;
  }
  data.resize(size);
  return data;
}

}  // namespace quorvane
