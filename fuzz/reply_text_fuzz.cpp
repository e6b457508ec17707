// The reply's text rules on their own: ExtractBetween with any tags, JsonUnescape on any text.
// The input is the start tag, a line feed, the end tag, a line feed, and the source.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "checkin/reply_text.h"
#include "common/text.h"
#include "fuzz_text.h"

namespace quorvane::fuzz {
namespace {

// Every quote of the end tag's kind inside a value must be one that a backslash escapes: the
// backslash is the character before it, which for the value's first character is the last
// character of the start tag.
bool OnlyEscapedQuotes(std::wstring_view value, std::wstring_view startTag, wchar_t quote) {
  for (std::size_t i = 0; i < value.size(); ++i) {
    if (value[i] != quote) continue;
    const wchar_t before = i > 0 ? value[i - 1] : (startTag.empty() ? L'\0' : startTag.back());
    if (before != L'\\') return false;
  }
  return true;
}

void CheckExtraction(const std::wstring& source, const std::wstring& startTag, const std::wstring& endTag) {
  const std::wstring value = ExtractBetween(source, startTag, endTag);
  Require(value.size() <= source.size() && source.find(value) != std::wstring::npos,
          "the value is a part of the source", {source, startTag, endTag, value});
  Require(ExtractBetween(AsciiUpper(source), startTag, endTag) == AsciiUpper(value),
          "the ASCII letter case of the source changes only the letter case of the value",
          {source, startTag, endTag, value});
  Require(ExtractBetween(source, AsciiLower(startTag), AsciiUpper(endTag)) == value,
          "the ASCII letter case of the tags does not matter", {source, startTag, endTag, value});
  if (endTag == L"\"" || endTag == L"'") {
    Require(OnlyEscapedQuotes(value, startTag, endTag.front()), "a quote that ends no value is an escaped one",
            {source, startTag, endTag, value});
  }
}

bool IsHexDigit(wchar_t c) { return (c >= L'0' && c <= L'9') || (c >= L'a' && c <= L'f') || (c >= L'A' && c <= L'F'); }

void CheckUnescape(const std::wstring& text) {
  const std::wstring unescaped = JsonUnescape(text);
  Require(unescaped.size() <= text.size(), "unescaping never grows the text", {text, unescaped});
  if (text.find(L'\\') == std::wstring::npos) {
    Require(unescaped == text, "a text without a backslash stays as it is", {text, unescaped});
  }
  const std::wstring escaped = JsonEscape(text);
  const std::wstring roundTrip = JsonUnescape(escaped);
  Require(roundTrip == text, "unescaping undoes JSON's escaping", {text, escaped, roundTrip});

  // A broken \u escape costs its backslash and its "u", never the text after them.
  const std::wstring broken = L"\\u" + text;
  const bool fourHexDigits =
      text.size() >= 4 && IsHexDigit(text[0]) && IsHexDigit(text[1]) && IsHexDigit(text[2]) && IsHexDigit(text[3]);
  if (!fourHexDigits) Require(JsonUnescape(broken) == unescaped, "a broken \\u escape drops two characters", {text});
}

}  // namespace
}  // namespace quorvane::fuzz

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace quorvane::fuzz;
  const std::wstring input = CodeUnits(data, size);
  NoExceptionEscapes(input, [&] {
    std::wstring_view rest = input;
    const std::wstring startTag(TakeLine(rest));
    const std::wstring endTag(TakeLine(rest));
    const std::wstring source(rest);
    CheckExtraction(source, startTag, endTag);
    CheckUnescape(source);
  });
  return 0;
}
