#include "checkin/reply_text.h"

#include <optional>

#include "common/text.h"

namespace quorvane {

namespace {

// Hides every quote that a backslash escapes by turning it into a second backslash, so that
// positions stay those of source. Pairs are read from source, not from the masked copy:
// in `\""` only the first quote is escaped.
void MaskEscapedQuotes(std::wstring& searched, std::wstring_view source, wchar_t quote) {
  for (std::size_t i = 0; i + 1 < source.size(); ++i) {
    if (source[i] == L'\\' && source[i + 1] == quote) searched[i + 1] = L'\\';
  }
}

std::optional<int> HexDigitValue(wchar_t c) {
  if (c >= L'0' && c <= L'9') return c - L'0';
  if (c >= L'a' && c <= L'f') return c - L'a' + 10;
  if (c >= L'A' && c <= L'F') return c - L'A' + 10;
  return std::nullopt;
}

// The code unit that four hexadecimal digits at the start of text give, if they are there.
std::optional<wchar_t> HexCodeUnit(std::wstring_view text) {
  if (text.size() < 4) return std::nullopt;
  unsigned int unit = 0;
  for (const wchar_t c : text.substr(0, 4)) {
    const std::optional<int> digit = HexDigitValue(c);
    if (!digit) return std::nullopt;
    unit = unit * 16 + static_cast<unsigned int>(*digit);
  }
  return static_cast<wchar_t>(unit);
}

std::optional<wchar_t> SingleCharacterEscape(wchar_t c) {
  switch (c) {
    case L'"':
    case L'\'':
    case L'/':
    case L'\\':
      return c;
    case L'b':
      return L'\b';
    case L'f':
      return L'\f';
    case L'n':
      return L'\n';
    case L'r':
      return L'\r';
    case L't':
      return L'\t';
    default:
      return std::nullopt;
  }
}

}  // namespace

std::wstring ExtractBetween(std::wstring_view source, std::wstring_view startTag, std::wstring_view endTag) {
  std::wstring searched = AsciiUpper(source);
  if (endTag == L"\"" || endTag == L"'") MaskEscapedQuotes(searched, source, endTag.front());
  std::size_t valueStart = 0;
  if (!startTag.empty()) {
    const auto found = searched.find(AsciiUpper(startTag));
    if (found == std::wstring::npos) return {};
    valueStart = found + startTag.size();
  }
  std::size_t valueEnd = source.size();
  if (!endTag.empty()) {
    valueEnd = searched.find(AsciiUpper(endTag), valueStart);
    if (valueEnd == std::wstring::npos) return {};
  }
  return std::wstring(source.substr(valueStart, valueEnd - valueStart));
}

std::wstring JsonUnescape(std::wstring_view value) {
  std::wstring result;
  result.reserve(value.size());
  std::size_t i = 0;
  while (i < value.size()) {
    const wchar_t c = value[i++];
    if (c != L'\\') {
      result += c;
      continue;
    }
    if (i == value.size()) break;
    const wchar_t escaped = value[i++];
    if (const std::optional<wchar_t> single = SingleCharacterEscape(escaped)) {
      result += *single;
    } else if (escaped == L'u') {
      if (const std::optional<wchar_t> unit = HexCodeUnit(value.substr(i))) {
        result += *unit;
        i += 4;
      }
    }
  }
  return result;
}

std::wstring ReplyString(std::wstring_view source, std::wstring_view key) {
  return JsonUnescape(ExtractBetween(source, L"\"" + std::wstring(key) + L"\":\"", L"\""));
}

std::wstring ReplyObject(std::wstring_view source, std::wstring_view key) {
  return ExtractBetween(source, L"\"" + std::wstring(key) + L"\":{", L"}");
}

}  // namespace quorvane
