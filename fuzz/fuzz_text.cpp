#include "fuzz_text.h"

#include <cstdio>
#include <cstdlib>

namespace quorvane::fuzz {

namespace {

bool IsContinuation(std::uint8_t byte) { return (byte & 0xC0) == 0x80; }

// The length of the UTF-8 sequence at data[pos] and its value, or 0 when none starts there.
// Unlike strict UTF-8, three-byte sequences may encode surrogate halves.
std::size_t DecodeSequence(const std::uint8_t* data, std::size_t size, std::size_t pos, char32_t& value) {
  const std::uint8_t lead = data[pos];
  std::size_t length = 0;
  char32_t minimum = 0;
  if (lead >= 0xC2 && lead <= 0xDF) {
    length = 2;
    minimum = 0x80;
    value = lead & 0x1F;
  } else if (lead >= 0xE0 && lead <= 0xEF) {
    length = 3;
    minimum = 0x800;
    value = lead & 0x0F;
  } else if (lead >= 0xF0 && lead <= 0xF4) {
    length = 4;
    minimum = 0x10000;
    value = lead & 0x07;
  } else {
    return 0;
  }
  if (size - pos < length) return 0;
  for (std::size_t i = 1; i < length; ++i) {
    if (!IsContinuation(data[pos + i])) return 0;
    value = (value << 6) | (data[pos + i] & 0x3F);
  }
  return value < minimum || value > 0x10FFFF ? 0 : length;
}

// Pairs of a character and the letter that escapes it after a backslash.
constexpr std::wstring_view kShortEscapes = L"\"\"\\\\//''\bb\ff\nn\rr\tt";

void AppendEscaped(std::string& out, wchar_t unit) {
  const auto code = static_cast<unsigned>(unit);
  if (code == '\\') {
    out += "\\\\";
  } else if (code >= 0x20 && code < 0x7F) {
    out += static_cast<char>(code);
  } else {
    char escape[8];
    std::snprintf(escape, sizeof escape, "\\u%04X", code);
    out += escape;
  }
}

}  // namespace

std::wstring CodeUnits(const std::uint8_t* data, std::size_t size) {
  std::wstring units;
  units.reserve(size);
  std::size_t pos = 0;
  while (pos < size) {
    char32_t value = 0;
    const std::size_t length = DecodeSequence(data, size, pos, value);
    if (length == 0) {
      units += static_cast<wchar_t>(data[pos++]);
      continue;
    }
    pos += length;
    if (value >= 0x10000) {
      value -= 0x10000;
      units += static_cast<wchar_t>(0xD800 + (value >> 10));
      units += static_cast<wchar_t>(0xDC00 + (value & 0x3FF));
    } else {
      units += static_cast<wchar_t>(value);
    }
  }
  return units;
}

std::wstring_view TakeLine(std::wstring_view& text) {
  const auto feed = text.find(L'\n');
  const std::wstring_view line = text.substr(0, feed);
  text.remove_prefix(feed == std::wstring_view::npos ? text.size() : feed + 1);
  return line;
}

std::wstring JsonEscape(std::wstring_view text) {
  static constexpr wchar_t kUpperDigits[] = L"0123456789ABCDEF";
  static constexpr wchar_t kLowerDigits[] = L"0123456789abcdef";
  std::wstring escaped;
  for (std::size_t i = 0; i < text.size(); ++i) {
    const wchar_t c = text[i];
    const auto shortEscape = kShortEscapes.find(c);
    if (shortEscape != std::wstring_view::npos && shortEscape % 2 == 0) {
      escaped += L'\\';
      escaped += kShortEscapes[shortEscape + 1];
    } else if (c >= 0x20 && c < 0x7F && c != L'{' && c != L'}') {
      escaped += c;
    } else {
      const wchar_t* digits = i % 2 == 0 ? kUpperDigits : kLowerDigits;
      const auto unit = static_cast<unsigned>(c);
      escaped += L"\\u";
      for (int shift = 12; shift >= 0; shift -= 4) escaped += digits[(unit >> shift) & 0xF];
    }
  }
  return escaped;
}

void Fail(std::string_view invariant, std::initializer_list<std::wstring_view> texts) {
  std::string message = "invariant broken: ";
  message += invariant;
  message += '\n';
  for (const std::wstring_view text : texts) {
    message += "  \"";
    for (const wchar_t unit : text) AppendEscaped(message, unit);
    message += "\"\n";
  }
  std::fputs(message.c_str(), stderr);
  std::abort();
}

}  // namespace quorvane::fuzz
