#include "common/error.h"

#include <windows.h>

#include <utility>

#include "common/text.h"

namespace quorvane {

Error::Error(std::wstring message) : message_(std::move(message)), utf8Message_(ToUtf8(message_)) {}

WinError::WinError(unsigned long code, const std::wstring& action)
    : Error(action + L": " + SystemMessage(code)), code_(code) {}

std::wstring SystemMessage(unsigned long code) {
  wchar_t* buffer = nullptr;
  const DWORD length =
      FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
                     nullptr, code, 0, reinterpret_cast<wchar_t*>(&buffer), 0, nullptr);
  std::wstring message = length == 0 ? L"error " + std::to_wstring(code) : Trim(std::wstring(buffer, length));
  LocalFree(buffer);
  for (wchar_t& c : message) {
    if (c == L'\r' || c == L'\n') c = L' ';
  }
  return message;
}

}  // namespace quorvane
