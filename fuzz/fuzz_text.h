// What the fuzz targets share: the fuzzer's bytes as the UTF-16 code units that a Windows
// build holds its text in, and a stop with a readable message when an invariant fails.
#pragma once

#include <cstddef>
#include <cstdint>
#include <exception>
#include <initializer_list>
#include <string>
#include <string_view>

namespace quorvane::fuzz {

// The bytes as UTF-16 code units, one code unit per wchar_t even where wchar_t has 32 bits.
// Well-formed UTF-8 decodes as usual, so that seeds are plain text files; a three-byte
// sequence may also name a surrogate half, and a byte that starts no sequence stands for the
// code unit of the same value. Every sequence of code units can thus be reached.
std::wstring CodeUnits(const std::uint8_t* data, std::size_t size);

// Takes the text up to the first line feed off the front of text and returns it; the line
// feed goes too. Without a line feed the whole text is the line.
std::wstring_view TakeLine(std::wstring_view& text);

// JSON's escaping of a string value, written apart from the program's decoder: the short
// escapes where there is one (the slash and the apostrophe too), \uXXXX for braces and every
// other code unit outside printable ASCII, with hexadecimal digits in both letter cases. The
// result holds no quote, apostrophe or brace of its own.
std::wstring JsonEscape(std::wstring_view text);

// Prints the invariant and the texts it concerns (escaped) and aborts, which libFuzzer
// records as a finding together with the input.
[[noreturn]] void Fail(std::string_view invariant, std::initializer_list<std::wstring_view> texts);

inline void Require(bool holds, std::string_view invariant, std::initializer_list<std::wstring_view> texts) {
  if (!holds) Fail(invariant, texts);
}

// Runs check and turns an exception that leaves it into a finding.
template <typename Check>
void NoExceptionEscapes(std::wstring_view input, Check check) {
  try {
    check();
  } catch (const std::exception& error) {
    Fail(std::string("exception escaped: ") + error.what(), {input});
  } catch (...) {
    Fail("exception escaped", {input});
  }
}

}  // namespace quorvane::fuzz
