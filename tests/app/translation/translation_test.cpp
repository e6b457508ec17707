#include "app/translation/translation.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <array>
#include <string>
#include <vector>

#include "common/resource_text.h"

namespace quorvane {
namespace {

constexpr std::array<const wchar_t*, 8> kLanguages = {L"ko", L"en", L"ja", L"zh", L"ru", L"it", L"fr", L"ar"};

// The interface texts in each language, in the order of kLanguages.
const std::vector<std::array<std::wstring, 8>> kRows = {
    {L"\uCC98\uC74C\uD654\uBA74", L"Home", L"\u30DB\u30FC\u30E0", L"\u4E3B\u9875",
     L"\u0413\u043B\u0430\u0432\u043D\u0430\u044F", L"Home", L"Accueil",
     L"\u0627\u0644\u0631\u0626\u064A\u0633\u064A\u0629"},
    {L"Quorvane", L"Quorvane", L"Quorvane", L"Quorvane", L"Quorvane", L"Quorvane", L"Quorvane", L"Quorvane"},
    {L"\uC0AC\uC6A9\uD568", L"Enable", L"\u6709\u52B9\u5316", L"\u542F\u7528",
     L"\u0412\u043A\u043B\u044E\u0447\u0438\u0442\u044C", L"Abilita", L"Activer", L"\u062A\u0641\u0639\u064A\u0644"},
    {L"\uC0AC\uC6A9\uC548\uD568", L"Disable", L"\u7121\u52B9\u5316", L"\u7981\u7528",
     L"\u041E\u0442\u043A\u043B\u044E\u0447\u0438\u0442\u044C", L"Disabilita", L"D\u00E9sactiver",
     L"\u062A\u0639\u0637\u064A\u0644"},
    {L"\uD504\uB85C\uADF8\uB7A8 \uC774\uB984", L"Program", L"\u30D7\u30ED\u30B0\u30E9\u30E0", L"\u7A0B\u5E8F",
     L"\u041F\u0440\u043E\u0433\u0440\u0430\u043C\u043C\u0430", L"Programma", L"Programme",
     L"\u0628\u0631\u0646\u0627\u0645\u062C"},
    {L"\uCD9C\uCC98", L"Loc", L"\u5834\u6240", L"\u4F4D", L"\u041C\u0435\u0441\u0442", L"Pos", L"Loc",
     L"\u0645\u0648\u0642\u0639"},
    {L"\uD30C\uC77C \uC800\uC7A5", L"Save", L"\u30D5\u30A1\u30A4\u30EB\u4FDD\u5B58", L"\u6587\u4EF6\u4FDD\u5B58",
     L"\u0421\u043E\u0445\u0440\u0430\u043D\u0438\u0442\u044C \u0444\u0430\u0439\u043B", L"Salva file",
     L"Enregistrer fichier", L"\u062D\u0641\u0638 \u0627\u0644\u0645\u0644\u0641"},
    {L"\uD14D\uC2A4\uD2B8 \uD30C\uC77C", L"Text", L"\u30C6\u30AD\u30B9\u30C8\u30D5\u30A1\u30A4\u30EB",
     L"\u6587\u672C\u6587\u4EF6", L"\u0422\u0435\u043A\u0441\u0442\u043E\u0432\u044B\u0439 \u0444\u0430\u0439\u043B",
     L"File di testo", L"Fichier texte", L"\u0645\u0644\u0641 \u0646\u0635\u064A"},
    {L"\uBAA8\uB4E0 \uD30C\uC77C", L"All", L"\u3059\u3079\u3066\u306E\u30D5\u30A1\u30A4\u30EB",
     L"\u6240\u6709\u6587\u4EF6", L"\u0412\u0441\u0435 \u0444\u0430\u0439\u043B\u044B", L"Tutti i file",
     L"Tous les fichiers", L"\u062C\u0645\u064A\u0639 \u0627\u0644\u0645\u0644\u0641\u0627\u062A"},
    {L"\uC804\uCCB4\uBAA9\uB85D", L"All Programs", L"\u5168\u30D7\u30ED\u30B0\u30E9\u30E0", L"\u6240\u6709\u7A0B\u5E8F",
     L"\u0412\u0441\u0435 \u043F\u0440\u043E\u0433\u0440\u0430\u043C\u043C\u044B", L"Tutti i programmi",
     L"Tous les programmes", L"\u062C\u0645\u064A\u0639 \u0627\u0644\u0628\u0631\u0627\u0645\u062C"},
};

class ProgramTable : public testing::Test {
 protected:
  void SetUp() override { InitTranslation(); }
  void TearDown() override { ReleaseTranslation(); }
};

TEST_F(ProgramTable, HoldsTenBlocksOfEightLanguagesInOrder) {
  const std::vector<std::wstring>& lines = TranslateTable().Lines();
  ASSERT_EQ(lines.size(), kRows.size() * 9 - 1);
  for (std::size_t row = 0; row < kRows.size(); ++row) {
    for (std::size_t language = 0; language < kLanguages.size(); ++language) {
      EXPECT_EQ(lines[row * 9 + language], kLanguages[language] + (L"=" + kRows[row][language]));
    }
    if (row + 1 < kRows.size()) {
      EXPECT_EQ(lines[row * 9 + 8], L"");
    }
  }
}

TEST_F(ProgramTable, TranslatesEveryRowIntoEveryLanguageAndBackToItself) {
  for (const auto& row : kRows) {
    for (std::size_t language = 0; language < kLanguages.size(); ++language) {
      const std::wstring translated = TranslateTable().Translate(row[0], kLanguages[language]);
      EXPECT_EQ(translated, row[language]);
      // The window walk translates menu items twice; the second time must change nothing.
      EXPECT_EQ(TranslateTable().Translate(translated, kLanguages[language]), translated);
    }
  }
}

struct ProgramLookup {
  std::wstring source;
  std::wstring language;
  std::wstring translation;
};

void PrintTo(const ProgramLookup& c, std::ostream* out) {
  *out << testing::PrintToString(c.source) << " in " << testing::PrintToString(c.language);
}

class ProgramLookups : public testing::TestWithParam<ProgramLookup> {
 protected:
  void SetUp() override { InitTranslation(); }
  void TearDown() override { ReleaseTranslation(); }
};

TEST_P(ProgramLookups, Translate) {
  EXPECT_EQ(TranslateTable().Translate(GetParam().source, GetParam().language), GetParam().translation);
}

INSTANTIATE_TEST_SUITE_P(
    Examples, ProgramLookups,
    testing::Values(ProgramLookup{L"\uCC98\uC74C\uD654\uBA74", L"ja", L"\u30DB\u30FC\u30E0"},
                    ProgramLookup{L"\uC804\uCCB4\uBAA9\uB85D", L"ja", L"\u5168\u30D7\u30ED\u30B0\u30E9\u30E0"},
                    ProgramLookup{L"\uC0AC\uC6A9\uD568", L"de", L"Enable"},
                    ProgramLookup{L"Home", L"ko", L"\uCC98\uC74C\uD654\uBA74"},
                    ProgramLookup{L"home", L"ko", L"\uCC98\uC74C\uD654\uBA74"},
                    ProgramLookup{L"Loc", L"ru", L"\u041C\u0435\u0441\u0442"},
                    ProgramLookup{L"\uCC98\uC74C\uD654\uBA74", L"KO", L"Home"},
                    ProgramLookup{L"\uBAA9\uB85D \uC800\uC7A5", L"en", L"\uBAA9\uB85D \uC800\uC7A5"},
                    ProgramLookup{L"", L"ja", L""},
                    ProgramLookup{L"\uD30C\uC77C\\n\uC800\uC7A5", L"en", L"\uD30C\uC77C\r\uC800\uC7A5"}));

TEST(TranslateResource, IsUtf8WithMixedLineEnds) {
  const auto bytes = ReadRcData(GetModuleHandleW(nullptr), L"translate");
  ASSERT_TRUE(bytes);
  EXPECT_TRUE(bytes->starts_with("\xEF\xBB\xBF"));
  EXPECT_NE(bytes->find("\r\n"), std::string::npos);
  bool loneLineFeed = false;
  for (std::size_t i = 0; i < bytes->size(); ++i)
    loneLineFeed |= (*bytes)[i] == '\n' && (i == 0 || (*bytes)[i - 1] != '\r');
  EXPECT_TRUE(loneLineFeed);
  EXPECT_TRUE(bytes->ends_with("\n"));
  EXPECT_FALSE(bytes->ends_with("\n\n") || bytes->ends_with("\n\r\n"));
}

TEST(Translation, UsesTheProgramsTableInTheUsersLanguage) {
  InitTranslation();
  const std::wstring language = CurrentLanguage();
  EXPECT_EQ(language, InterfaceLanguage(GetUserLanguage()));
  EXPECT_FALSE(language.empty());
  EXPECT_LE(language.size(), 2u);
  for (const auto& row : kRows) EXPECT_EQ(Translate(row[0]), TranslateTable().Translate(row[0], language));
  ReleaseTranslation();
  EXPECT_EQ(CurrentLanguage(), L"");
  EXPECT_TRUE(TranslateTable().Lines().empty());
  EXPECT_EQ(Translate(L"\uCC98\uC74C\uD654\uBA74"), L"\uCC98\uC74C\uD654\uBA74");
}

TEST(Translation, WithoutTheResourceTextsStayKoreanAndTheLanguageIsStillChosen) {
  // kernel32 carries no "translate" resource.
  InitTranslation(GetModuleHandleW(L"kernel32.dll"));
  EXPECT_TRUE(TranslateTable().Lines().empty());
  EXPECT_EQ(CurrentLanguage(), InterfaceLanguage(GetUserLanguage()));
  EXPECT_EQ(Translate(L"\uCC98\uC74C\uD654\uBA74"), L"\uCC98\uC74C\uD654\uBA74");
  EXPECT_EQ(Translate(L"a\\nb"), L"a\rb");
  ReleaseTranslation();
}

TEST(GetUserLanguage, IsTheLowerCaseIsoNameOfTheUsersLanguage) {
  const std::wstring language = GetUserLanguage();
  EXPECT_THAT(language.size(), testing::AllOf(testing::Ge(2u), testing::Le(3u)));
  for (const wchar_t c : language) EXPECT_TRUE(c >= L'a' && c <= L'z') << language;
}

}  // namespace
}  // namespace quorvane
