#include "listview/loading_text.h"

#include <array>
#include <utility>

namespace quorvane {

namespace {

constexpr std::wstring_view kEnglish = L"Loading\u2026";

// Each ends with the ellipsis. The Arabic one ends with a right-to-left mark as well, so that
// the ellipsis stays at the left end of the right-to-left line, where Arabic readers expect it.
constexpr std::array<std::pair<std::wstring_view, std::wstring_view>, 8> kLoadingTexts{{
    {L"ko", L"\uBD88\uB7EC\uC624\uB294 \uC911\u2026"},  // 불러오는 중…
    {L"en", kEnglish},
    {L"ja", L"\u8AAD\u307F\u8FBC\u307F\u4E2D\u2026"},                    // 読み込み中…
    {L"zh", L"\u6B63\u5728\u52A0\u8F7D\u2026"},                          // 正在加载…
    {L"ru", L"\u0417\u0430\u0433\u0440\u0443\u0437\u043A\u0430\u2026"},  // Загрузка…
    {L"it", L"Caricamento\u2026"},
    {L"fr", L"Chargement\u2026"},
    // جارٍ التحميل…
    {L"ar", L"\u062C\u0627\u0631\u064D \u0627\u0644\u062A\u062D\u0645\u064A\u0644\u2026\u200F"},
}};

}  // namespace

std::wstring LoadingText(std::wstring_view language) {
  for (const auto& [code, text] : kLoadingTexts) {
    if (code == language) return std::wstring(text);
  }
  return std::wstring(kEnglish);
}

}  // namespace quorvane
