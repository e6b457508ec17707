#include "app/console/console_stream.h"

#include <string>

#include "common/text.h"

namespace quorvane {

namespace {

// Consoles have taken at most a few tens of kilobytes per call on older Windows.
constexpr std::size_t kConsoleChunkChars = 8192;

bool IsHighSurrogate(wchar_t c) { return c >= 0xD800 && c <= 0xDBFF; }

}  // namespace

ConsoleStream::ConsoleStream(DWORD standardHandle) : handle_(GetStdHandle(standardHandle)) {
  DWORD mode = 0;
  isConsole_ = handle_ != nullptr && handle_ != INVALID_HANDLE_VALUE && GetConsoleMode(handle_, &mode);
}

bool ConsoleStream::Write(std::wstring_view text) {
  if (handle_ == nullptr || handle_ == INVALID_HANDLE_VALUE) return false;
  return isConsole_ ? WriteToConsole(text) : WriteBytes(ToUtf8(text));
}

bool ConsoleStream::WriteToConsole(std::wstring_view text) {
  while (!text.empty()) {
    std::size_t chunk = std::min(text.size(), kConsoleChunkChars);
    // Keep a surrogate pair within one call.
    if (chunk < text.size() && chunk > 1 && IsHighSurrogate(text[chunk - 1])) --chunk;
    DWORD written = 0;
    if (!WriteConsoleW(handle_, text.data(), static_cast<DWORD>(chunk), &written, nullptr) || written == 0)
      return false;
    text.remove_prefix(written);
  }
  return true;
}

bool ConsoleStream::WriteBytes(std::string_view bytes) {
  while (!bytes.empty()) {
    DWORD written = 0;
    const DWORD chunk = static_cast<DWORD>(std::min<std::size_t>(bytes.size(), 1u << 20));
    if (!WriteFile(handle_, bytes.data(), chunk, &written, nullptr) || written == 0) return false;
    bytes.remove_prefix(written);
  }
  return true;
}

}  // namespace quorvane
