#include "checkin/update_text.h"

#include <array>

namespace quorvane {

namespace {

struct LanguageTexts {
  std::wstring_view language;
  std::wstring_view statusCaption;
  std::wstring_view yes;
  std::wstring_view no;
  std::array<std::wstring_view, 3> paragraphs;
};

// The last row, with no language of its own, is English, for every other code.
constexpr LanguageTexts kUpdateTexts[] = {
    {L"ko",
     L"\uC5C5\uB370\uC774\uD2B8 \uAC00\uB2A5",
     L"\uC608",
     L"\uC544\uB2C8\uC624",
     {L"\uC5C5\uB370\uC774\uD2B8 \uC815\uBCF4\uAC00 \uC788\uC2B5\uB2C8\uB2E4.",
      L"\uC548\uC815\uC801\uC73C\uB85C \uC0AC\uC6A9\uD558\uAE30 \uC704\uD574 \uC5C5\uB370\uC774\uD2B8\uB97C "
      L"\uD558\uC2DC\uAE38 \uAD8C\uC7A5\uD569\uB2C8\uB2E4.",
      L"\uB2E4\uC6B4\uB85C\uB4DC \uBC1B\uC73C\uC2DC\uACA0\uC2B5\uB2C8\uAE4C?"}},
    {L"ja",
     L"\u30A2\u30C3\u30D7\u30C7\u30FC\u30C8\u53EF",
     L"\u306F\u3044",
     L"\u3044\u3044\u3048",
     {L"\u3053\u306E\u30D7\u30ED\u30B0\u30E9\u30E0\u304C\u30A2\u30C3\u30D7\u30C7\u30FC\u30C8\u3055\u308C\u307E"
      L"\u3057\u305F\u3002",
      L"\u5B89\u5B9A\u7684\u306B\u4F7F\u7528\u3059\u308B\u305F\u3081\u306B\u65B0\u3057\u304F\u30C0\u30A6\u30F3"
      L"\u30ED\u30FC\u30C9\u00B7\u5B9F\u884C\u3059\u308B\u3053\u3068\u3092\u304A\u52E7\u3081\u3057\u307E\u3059\u3002",
      L"\u30C0\u30A6\u30F3\u30ED\u30FC\u30C9\u3057\u307E\u3059\u304B\u3002"}},
    {L"zh",
     L"\u53EF\u66F4\u65B0",
     L"\u662F",
     L"\u5426",
     {L"\u8BE5\u7A0B\u5E8F\u5DF2\u66F4\u65B0\u3002",
      L"\u5EFA\u8BAE\u4E0B\u8F7D\u5E76\u6267\u884C\u65B0\u7A0B\u5E8F\u4EE5\u7A33\u5B9A\u4F7F\u7528\u3002",
      L"\u60A8\u8981\u4E0B\u8F7D\u5417\uFF1F"}},
    {L"de",
     L"Update m\u00F6glich",
     L"Ja",
     L"Nein",
     {L"Dieses Programm ist aktualisiert worden.",
      L"Es wird empfohlen, es herunterzuladen und neu auszuf\u00FChren, um es stabil zu verwenden.",
      L"M\u00F6chten Sie es herunterladen?"}},
    {L"ru",
     L"\u041E\u0431\u043D\u043E\u0432\u043B\u0435\u043D\u0438\u0435",
     L"\u0414\u0430",
     L"\u041D\u0435\u0442",
     {L"\u0414\u0430\u043D\u043D\u0430\u044F \u043F\u0440\u043E\u0433\u0440\u0430\u043C\u043C\u0430 "
      L"\u0431\u044B\u043B\u0430 \u043E\u0431\u043D\u043E\u0432\u043B\u0435\u043D\u0430.",
      L"\u0420\u0435\u043A\u043E\u043C\u0435\u043D\u0434\u0443\u0435\u0442\u0441\u044F \u0441\u043A\u0430\u0447"
      L"\u0430\u0442\u044C \u0438 \u0432\u044B\u043F\u043E\u043B\u043D\u0438\u0442\u044C \u043D\u043E\u0432\u043E"
      L"\u0435 \u0434\u043B\u044F \u0441\u0442\u0430\u0431\u0438\u043B\u044C\u043D\u043E\u0433\u043E "
      L"\u0438\u0441\u043F\u043E\u043B\u044C\u0437\u043E\u0432\u0430\u043D\u0438\u044F.",
      L"\u0412\u044B \u0445\u043E\u0442\u0438\u0442\u0435 \u0437\u0430\u0433\u0440\u0443\u0437\u0438\u0442\u044C "
      L"\u0435\u0435?"}},
    {L"it",
     L"Aggiornabile",
     L"S\u00EC",
     L"No",
     {L"\u00C8 disponibile una nuova versione del programma.",
      L"Ti suggeriamo di scaricare ed aggiornare il programma.", L"Vuoi scaricare la nuova versione del programma?"}},
    {L"fr",
     L"Maj dispo",
     L"Oui",
     L"Non",
     {L"Ce programme a \u00E9t\u00E9 mis \u00E0 jour.",
      L"Il est recommand\u00E9 de t\u00E9l\u00E9charger et d'ex\u00E9cuter la nouvelle version pour une "
      L"utilisation stable.",
      L"Voulez-vous le t\u00E9l\u00E9charger?"}},
    {L"",
     L"Update available",
     L"Yes",
     L"No",
     {L"This program has been updated.", L"It is recommended to download and execute new for stable use.",
      L"Do you want to download it?"}},
};

const LanguageTexts& TextsFor(std::wstring_view language) {
  for (const LanguageTexts& texts : kUpdateTexts) {
    if (texts.language == language) return texts;
  }
  return std::end(kUpdateTexts)[-1];
}

std::wstring JoinParagraphs(const std::array<std::wstring_view, 3>& paragraphs) {
  std::wstring message;
  for (const std::wstring_view paragraph : paragraphs) {
    if (!message.empty()) message += L"\r\r";
    message += paragraph;
  }
  return message;
}

}  // namespace

std::wstring UpdateText(UpdateTextKind kind, std::wstring_view language) {
  const LanguageTexts& texts = TextsFor(language);
  switch (kind) {
    case UpdateTextKind::Message:
      return JoinParagraphs(texts.paragraphs);
    case UpdateTextKind::StatusCaption:
      return std::wstring(texts.statusCaption);
    case UpdateTextKind::Yes:
      return std::wstring(texts.yes);
    case UpdateTextKind::No:
      return std::wstring(texts.no);
  }
  return {};
}

}  // namespace quorvane
