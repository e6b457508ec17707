// The translation table and its lookup. Pure text functions: no Windows headers.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace quorvane {

// Lines of the form language code, "=", text. A run of non-empty lines is a block that holds
// one text in several languages; empty lines separate the blocks. A line without "=" has an
// empty language code and an empty text.
class TranslationTable {
 public:
  TranslationTable() = default;
  explicit TranslationTable(std::vector<std::wstring> lines);

  // The text of source in the language, else in English. Source is found as the text of any
  // line in any language, ASCII letters without regard to case, other characters exactly; the
  // first such line decides the block. Language codes are compared exactly. A source that the
  // table does not know, or whose block has neither language, comes back unchanged. Every
  // backslash-and-"n" pair, in source or in the text found, becomes a carriage return.
  std::wstring Translate(std::wstring_view source, std::wstring_view language) const;

  const std::vector<std::wstring>& Lines() const { return lines_; }

 private:
  std::size_t BlockStart(std::size_t line) const;
  std::optional<std::wstring_view> TextInBlock(std::size_t blockStart, std::wstring_view language) const;

  std::vector<std::wstring> lines_;
};

// Replaces every backslash followed by "n" with a carriage return.
std::wstring ReplaceLineBreakEscapes(std::wstring_view text);

// The two-letter interface language for the ISO 639 name of the user's language: its first
// two letters (a three-letter name is cut), or "en" when the name is empty, so that the
// language can never pick the empty code of a line without "=".
std::wstring InterfaceLanguage(std::wstring_view isoLanguageName);

}  // namespace quorvane
