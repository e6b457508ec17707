#include "common/text.h"

#include <algorithm>
#include <cstdint>

namespace quorvane {

namespace {

bool IsTrimmed(wchar_t c) { return static_cast<std::uint32_t>(c) <= 32; }

wchar_t AsciiUpperChar(wchar_t c) { return (c >= L'a' && c <= L'z') ? static_cast<wchar_t>(c - L'a' + L'A') : c; }
wchar_t AsciiLowerChar(wchar_t c) { return (c >= L'A' && c <= L'Z') ? static_cast<wchar_t>(c - L'A' + L'a') : c; }

bool SameIgnoringAsciiCase(wchar_t a, wchar_t b) { return AsciiUpperChar(a) == AsciiUpperChar(b); }

constexpr char32_t kReplacement = 0xFFFD;

bool IsHighSurrogate(char32_t c) { return c >= 0xD800 && c <= 0xDBFF; }
bool IsLowSurrogate(char32_t c) { return c >= 0xDC00 && c <= 0xDFFF; }

void AppendUtf8(std::string& out, char32_t c) {
  if (c < 0x80) {
    out += static_cast<char>(c);
  } else if (c < 0x800) {
    out += static_cast<char>(0xC0 | (c >> 6));
    out += static_cast<char>(0x80 | (c & 0x3F));
  } else if (c < 0x10000) {
    out += static_cast<char>(0xE0 | (c >> 12));
    out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (c & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | (c >> 18));
    out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
    out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (c & 0x3F));
  }
}

void AppendWide(std::wstring& out, char32_t c) {
  if constexpr (sizeof(wchar_t) == 2) {
    if (c >= 0x10000) {
      c -= 0x10000;
      out += static_cast<wchar_t>(0xD800 + (c >> 10));
      out += static_cast<wchar_t>(0xDC00 + (c & 0x3FF));
      return;
    }
  }
  out += static_cast<wchar_t>(c);
}

// Decodes one UTF-8 sequence at bytes[pos] and advances pos past it. A broken sequence gives
// U+FFFD and consumes only its longest well-formed start, as Unicode recommends.
char32_t DecodeUtf8(std::string_view bytes, std::size_t& pos) {
  const auto lead = static_cast<unsigned char>(bytes[pos++]);
  if (lead < 0x80) return lead;
  int continuations = 0;
  unsigned char secondLow = 0x80;
  unsigned char secondHigh = 0xBF;
  if (lead >= 0xC2 && lead <= 0xDF) {
    continuations = 1;
  } else if (lead >= 0xE0 && lead <= 0xEF) {
    continuations = 2;
    if (lead == 0xE0) secondLow = 0xA0;   // no overlong forms
    if (lead == 0xED) secondHigh = 0x9F;  // no surrogates
  } else if (lead >= 0xF0 && lead <= 0xF4) {
    continuations = 3;
    if (lead == 0xF0) secondLow = 0x90;   // no overlong forms
    if (lead == 0xF4) secondHigh = 0x8F;  // nothing beyond U+10FFFF
  } else {
    return kReplacement;
  }
  char32_t c = lead & (0x3F >> continuations);
  for (int i = 0; i < continuations; ++i) {
    if (pos >= bytes.size()) return kReplacement;
    const auto next = static_cast<unsigned char>(bytes[pos]);
    const unsigned char low = i == 0 ? secondLow : 0x80;
    const unsigned char high = i == 0 ? secondHigh : 0xBF;
    if (next < low || next > high) return kReplacement;
    c = (c << 6) | (next & 0x3F);
    ++pos;
  }
  return c;
}

bool IsAddressCharacter(wchar_t c) {
  if (c <= 32 || c == 127) return false;
  if (c >= 0x80 && c < 0xA0) return false;
  return std::wstring_view(L"\"<>\\^`{|}").find(c) == std::wstring_view::npos;
}

// The address after its scheme must start with a host, not with the path, query or fragment.
bool StartsWithHost(std::wstring_view rest) {
  return !rest.empty() && std::wstring_view(L"/?#").find(rest.front()) == std::wstring_view::npos;
}

}  // namespace

std::wstring Trim(std::wstring_view text) {
  std::size_t first = 0;
  std::size_t last = text.size();
  while (first < last && IsTrimmed(text[first])) ++first;
  while (last > first && IsTrimmed(text[last - 1])) --last;
  return std::wstring(text.substr(first, last - first));
}

std::wstring FileNamePart(std::wstring_view path) {
  const auto separator = path.find_last_of(L"\\:");
  return std::wstring(separator == std::wstring_view::npos ? path : path.substr(separator + 1));
}

std::wstring AsciiUpper(std::wstring_view text) {
  std::wstring result(text);
  std::transform(result.begin(), result.end(), result.begin(), AsciiUpperChar);
  return result;
}

std::wstring AsciiLower(std::wstring_view text) {
  std::wstring result(text);
  std::transform(result.begin(), result.end(), result.begin(), AsciiLowerChar);
  return result;
}

bool EqualsIgnoreAsciiCase(std::wstring_view a, std::wstring_view b) {
  return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), SameIgnoringAsciiCase);
}

bool StartsWithIgnoreAsciiCase(std::wstring_view text, std::wstring_view prefix) {
  return text.size() >= prefix.size() && EqualsIgnoreAsciiCase(text.substr(0, prefix.size()), prefix);
}

std::wstring_view::size_type FindIgnoreAsciiCase(std::wstring_view text, std::wstring_view needle) {
  const auto found = std::search(text.begin(), text.end(), needle.begin(), needle.end(), SameIgnoringAsciiCase);
  if (found == text.end() && !needle.empty()) return std::wstring_view::npos;
  return static_cast<std::wstring_view::size_type>(found - text.begin());
}

bool ContainsIgnoreAsciiCase(std::wstring_view text, std::wstring_view needle) {
  return FindIgnoreAsciiCase(text, needle) != std::wstring_view::npos;
}

std::vector<std::wstring> SplitLines(std::wstring_view text) {
  std::vector<std::wstring> lines;
  std::size_t start = 0;
  while (start < text.size()) {
    const auto end = std::min(text.find_first_of(L"\r\n", start), text.size());
    lines.emplace_back(text.substr(start, end - start));
    if (end == text.size()) break;
    const bool crLf = text[end] == L'\r' && end + 1 < text.size() && text[end + 1] == L'\n';
    start = end + (crLf ? 2 : 1);
  }
  return lines;
}

bool IsWebAddress(std::wstring_view text) {
  for (const wchar_t c : text) {
    if (!IsAddressCharacter(c)) return false;
  }
  for (const std::wstring_view scheme : {std::wstring_view(L"http://"), std::wstring_view(L"https://")}) {
    if (StartsWithIgnoreAsciiCase(text, scheme)) return StartsWithHost(text.substr(scheme.size()));
  }
  return false;
}

std::string ToUtf8(std::wstring_view text) {
  std::string out;
  out.reserve(text.size());
  for (std::size_t i = 0; i < text.size(); ++i) {
    char32_t c = static_cast<std::uint32_t>(text[i]);
    if constexpr (sizeof(wchar_t) == 2) {
      if (IsHighSurrogate(c) && i + 1 < text.size() && IsLowSurrogate(static_cast<std::uint32_t>(text[i + 1]))) {
        c = 0x10000 + ((c - 0xD800) << 10) + (static_cast<std::uint32_t>(text[++i]) - 0xDC00);
      }
    }
    if (IsHighSurrogate(c) || IsLowSurrogate(c) || c > 0x10FFFF) c = kReplacement;
    AppendUtf8(out, c);
  }
  return out;
}

std::wstring FromUtf8(std::string_view bytes) {
  std::wstring out;
  out.reserve(bytes.size());
  std::size_t pos = 0;
  while (pos < bytes.size()) AppendWide(out, DecodeUtf8(bytes, pos));
  return out;
}

}  // namespace quorvane
