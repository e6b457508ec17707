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

std::wstring_view TextOfLine(std::wstring_view line) {
  const auto equals = line.find(L'=');
  return equals == std::wstring_view::npos ? std::wstring_view() : line.substr(equals + 1);
}

bool TableHolds(const TranslationTable& table, std::wstring_view source) {
  return std::any_of(table.Lines().begin(), table.Lines().end(),
                     [source](const std::wstring& line) { return EqualsIgnoreAsciiCase(TextOfLine(line), source); });
}

bool IsSomeLinesText(const TranslationTable& table, std::wstring_view result) {
  return std::any_of(table.Lines().begin(), table.Lines().end(), [result](const std::wstring& line) {
    return ReplaceLineBreakEscapes(TextOfLine(line)) == result;
  });
}

void CheckLookup(const TranslationTable& table, const std::wstring& source, const std::wstring& language) {
  const std::wstring result = table.Translate(source, language);
  const std::wstring unchanged = ReplaceLineBreakEscapes(source);
  Require(result.find(L"\\n") == std::wstring::npos, "no line break escape is left", {source, language, result});
  if (source.empty()) Require(result.empty(), "the empty text stays empty", {language, result});
  if (!TableHolds(table, source)) {
    Require(result == unchanged, "a text the table does not hold stays as it is", {source, language, result});
    return;
  }
  if (result == unchanged) return;
  Require(IsSomeLinesText(table, result), "a translation is the text of a line", {source, language, result});
  Require(table.Translate(AsciiUpper(source), language) == result && table.Translate(AsciiLower(source), language) == result,
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
  if (!isoName.empty()) Require(isoName.starts_with(language), "the interface language begins the name", {isoName, language});
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
