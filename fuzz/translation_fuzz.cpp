// The translation lookup, over a table made of the input and over the program's own table.
// The input is the interface language, a line feed, the source text, a line feed, and the
// table's text, split into lines as the program splits its resource.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <fstream>
#include <iterator>
#include <string>
#include <string_view>
#include <vector>

#include "app/translation/translation_table.h"
#include "common/text.h"
#include "fuzz_text.h"

namespace quorvane::fuzz {
namespace {

// The program's table, read from its resource file the way the program reads the resource.
const TranslationTable& ProgramTable() {
  static const TranslationTable table = [] {
    std::ifstream file(QUORVANE_TRANSLATION_TABLE, std::ios::binary);
    std::string bytes{std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
    if (bytes.empty()) Fail("cannot read the program's translation table " QUORVANE_TRANSLATION_TABLE, {});
    if (bytes.starts_with("\xEF\xBB\xBF")) bytes.erase(0, 3);
    return TranslationTable(SplitLines(FromUtf8(bytes)));
  }();
  return table;
}

std::wstring_view LanguageOfLine(std::wstring_view line) {
  const auto equals = line.find(L'=');
  return equals == std::wstring_view::npos ? std::wstring_view() : line.substr(0, equals);
}

std::wstring_view TextOfLine(std::wstring_view line) {
  const auto equals = line.find(L'=');
  return equals == std::wstring_view::npos ? std::wstring_view() : line.substr(equals + 1);
}

bool IsTextOf(std::wstring_view line, std::wstring_view source) {
  return EqualsIgnoreAsciiCase(TextOfLine(line), source);
}

// Each backslash followed by "n" becomes a carriage return, read from left to right.
std::wstring WithLineBreaks(std::wstring_view text) {
  std::wstring result;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] == L'\\' && i + 1 < text.size() && text[i + 1] == L'n') {
      result += L'\r';
      ++i;
    } else {
      result += text[i];
    }
  }
  return result;
}

// The lookup worked out another way: the table cut into its blocks first, then the first block
// that holds the source, then its line in the language, else its English line.
std::wstring ReferenceTranslation(const std::vector<std::wstring>& lines, std::wstring_view source,
                                  std::wstring_view language) {
  const std::wstring unchanged = WithLineBreaks(source);
  if (source.empty()) return unchanged;
  std::vector<std::vector<std::wstring_view>> blocks(1);
  for (const std::wstring& line : lines) {
    if (line.empty()) {
      blocks.emplace_back();
    } else {
      blocks.back().push_back(line);
    }
  }
  const auto holdsSource = [source](const std::vector<std::wstring_view>& block) {
    return std::any_of(block.begin(), block.end(), [source](std::wstring_view line) { return IsTextOf(line, source); });
  };
  const auto block = std::find_if(blocks.begin(), blocks.end(), holdsSource);
  if (block == blocks.end()) return unchanged;
  for (const std::wstring_view wanted : {language, std::wstring_view(L"en")}) {
    for (const std::wstring_view line : *block) {
      if (LanguageOfLine(line) == wanted) return WithLineBreaks(TextOfLine(line));
    }
  }
  return unchanged;
}

void CheckLookup(const TranslationTable& table, const std::wstring& source, const std::wstring& language) {
  const std::wstring result = table.Translate(source, language);
  const std::wstring unchanged = WithLineBreaks(source);
  Require(ReplaceLineBreakEscapes(source) == unchanged, "every backslash and \"n\" becomes a carriage return",
          {source, ReplaceLineBreakEscapes(source)});
  Require(result.find(L"\\n") == std::wstring::npos, "no line break escape is left", {source, language, result});
  if (source.empty()) Require(result.empty(), "the empty text stays empty", {language, result});
  const std::wstring expected = ReferenceTranslation(table.Lines(), source, language);
  Require(result == expected, "the lookup finds what the blocks of the table say",
          {source, language, result, expected});
  if (result == unchanged) return;
  Require(table.Translate(AsciiUpper(source), language) == result &&
              table.Translate(AsciiLower(source), language) == result,
          "the ASCII letter case of the source does not matter", {source, language, result});
}

// Every text of the program's table leads back to its own block, so translating twice
// changes nothing.
void CheckProgramTable(const std::wstring& source, const std::wstring& language) {
  const TranslationTable& table = ProgramTable();
  CheckLookup(table, source, language);
  const std::wstring once = table.Translate(source, language);
  const std::wstring twice = table.Translate(once, language);
  Require(twice == once, "translating with the program's table twice changes nothing", {source, language, once, twice});
}

void CheckInterfaceLanguage(const std::wstring& isoName) {
  const std::wstring language = InterfaceLanguage(isoName);
  Require(!language.empty() && language.size() <= 2, "the interface language has one or two characters",
          {isoName, language});
  if (!isoName.empty())
    Require(isoName.starts_with(language), "the interface language begins the name", {isoName, language});
}

}  // namespace
}  // namespace quorvane::fuzz

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace quorvane::fuzz;
  const std::wstring input = CodeUnits(data, size);
  NoExceptionEscapes(input, [&] {
    std::wstring_view rest = input;
    const std::wstring language(TakeLine(rest));
    const std::wstring source(TakeLine(rest));
    const quorvane::TranslationTable table(quorvane::SplitLines(rest));
    CheckLookup(table, source, language);
    CheckProgramTable(source, language);
    CheckInterfaceLanguage(language);
  });
  return 0;
}
