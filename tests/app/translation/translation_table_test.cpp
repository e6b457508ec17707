#include "app/translation/translation_table.h"

#include <gtest/gtest.h>

#include <string>

#include "common/text.h"

namespace quorvane {
namespace {

// Blocks with the oddities the lookup must survive, with CR LF, lone LF and lone CR mixed.
const TranslationTable kTable(
    SplitLines(L"ko=\uD558\uB098\r\n"
               L"en=One\n"
               L"ja=\u4E00\r"
               L"fr=\u00E9t\u00E9\r\n"
               L"\r\n"
               // No English line.
               L"ko=\uB458\n"
               L"ja=\u4E8C\n"
               L"\n"
               // The text of the first block again: the first block wins.
               L"ko=\uD558\uB098\r\n"
               L"en=Uno\r\n"
               L"\r\n"
               // Language codes that differ only in letter case.
               L"KO=\uC14B\r\n"
               L"ko=\uC14B\uC9F8\r\n"
               L"en=three\r\n"
               L"EN=THREE\r\n"
               L"\r\n"
               // A line without "=", and a text that holds another "=".
               L"no equals sign\n"
               L"ko=\uB137\n"
               L"en=a=b\n"
               L"\n"
               L"ko=\uC904\\n\uBC14\uAFC8\r\n"
               L"en=line\\nbreak\r\n"));

struct LookupCase {
  std::wstring source;
  std::wstring language;
  std::wstring translation;
};

void PrintTo(const LookupCase& c, std::ostream* out) {
  *out << testing::PrintToString(c.source) << " in " << testing::PrintToString(c.language);
}

class TableLookups : public testing::TestWithParam<LookupCase> {};

TEST_P(TableLookups, Translate) {
  EXPECT_EQ(kTable.Translate(GetParam().source, GetParam().language), GetParam().translation);
}

INSTANTIATE_TEST_SUITE_P(
    Oddities, TableLookups,
    testing::Values(LookupCase{L"\uD558\uB098", L"en", L"One"}, LookupCase{L"\uD558\uB098", L"ja", L"\u4E00"},
                    // The source may be the text of any language, the ASCII letters in any case.
                    LookupCase{L"oNE", L"ko", L"\uD558\uB098"}, LookupCase{L"\u00E9t\u00E9", L"en", L"One"},
                    LookupCase{L"\u00C9T\u00C9", L"en", L"\u00C9T\u00C9"},
                    // No line in the language: English; no English line either: the source.
                    LookupCase{L"\uD558\uB098", L"de", L"One"}, LookupCase{L"\uB458", L"ja", L"\u4E8C"},
                    LookupCase{L"\uB458", L"en", L"\uB458"}, LookupCase{L"\uB458", L"de", L"\uB458"},
                    // A text in two blocks: the first block decides, in every language.
                    LookupCase{L"Uno", L"en", L"Uno"}, LookupCase{L"Uno", L"ko", L"\uD558\uB098"},
                    // Language codes compare in their letter case.
                    LookupCase{L"\uC14B", L"ko", L"\uC14B\uC9F8"}, LookupCase{L"\uC14B", L"KO", L"\uC14B"},
                    LookupCase{L"\uC14B", L"Ko", L"three"}, LookupCase{L"THREE", L"en", L"three"},
                    LookupCase{L"three", L"EN", L"THREE"},
                    // A line without "=" belongs to its block but holds no text.
                    LookupCase{L"\uB137", L"en", L"a=b"}, LookupCase{L"A=B", L"ko", L"\uB137"},
                    LookupCase{L"no equals sign", L"en", L"no equals sign"},
                    // Escapes: matched as written (so "\N" finds "\n"), replaced on the way out, also when
                    // nothing is found.
                    LookupCase{L"\uC904\\n\uBC14\uAFC8", L"en", L"line\rbreak"},
                    LookupCase{L"LINE\\NBREAK", L"ko", L"\uC904\r\uBC14\uAFC8"},
                    LookupCase{L"x\\ny\\n", L"en", L"x\ry\r"}, LookupCase{L"", L"en", L""},
                    LookupCase{L"\uBAA9\uB85D \uC800\uC7A5", L"en", L"\uBAA9\uB85D \uC800\uC7A5"}));

TEST(TranslationTable, WithoutLinesEveryTextStays) {
  const TranslationTable empty;
  EXPECT_EQ(empty.Translate(L"\uCC98\uC74C\uD654\uBA74", L"en"), L"\uCC98\uC74C\uD654\uBA74");
  EXPECT_EQ(empty.Translate(L"a\\nb", L"en"), L"a\rb");
}

TEST(TranslationTable, ABlockAtTheVeryStartOrEndIsFound) {
  const TranslationTable table(SplitLines(L"en=first\nko=\uCCAB\n\nen=last\nko=\uB05D"));
  EXPECT_EQ(table.Translate(L"\uCCAB", L"en"), L"first");
  EXPECT_EQ(table.Translate(L"last", L"ko"), L"\uB05D");
}

TEST(ReplaceLineBreakEscapes, ReplacesEachPairOnce) {
  EXPECT_EQ(ReplaceLineBreakEscapes(L"a\\nb\\n"), L"a\rb\r");
  EXPECT_EQ(ReplaceLineBreakEscapes(L"\\\\n"), L"\\\r");
  EXPECT_EQ(ReplaceLineBreakEscapes(L"\\N\\"), L"\\N\\");
}

TEST(InterfaceLanguage, TakesTheFirstTwoLettersOrEnglish) {
  EXPECT_EQ(InterfaceLanguage(L"ja"), L"ja");
  EXPECT_EQ(InterfaceLanguage(L"fil"), L"fi");
  EXPECT_EQ(InterfaceLanguage(L"x"), L"x");
  EXPECT_EQ(InterfaceLanguage(L""), L"en");
}

}  // namespace
}  // namespace quorvane
