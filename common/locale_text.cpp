#include "common/locale_text.h"

#include <windows.h>

#include <climits>
#include <cstddef>

namespace quorvane {

namespace {

int ClampedLength(std::wstring_view text) {
  return text.size() > static_cast<std::size_t>(INT_MAX) ? INT_MAX : static_cast<int>(text.size());
}

}  // namespace

int CompareTextUserLocale(std::wstring_view a, std::wstring_view b) {
  const int result =
      CompareStringW(LOCALE_USER_DEFAULT, NORM_IGNORECASE, a.data(), ClampedLength(a), b.data(), ClampedLength(b));
  // CSTR_LESS_THAN, CSTR_EQUAL and CSTR_GREATER_THAN are 1, 2 and 3. A failure (0) can only
  // come from arguments the call refuses; the ordinal order then still gives a definite answer.
  if (result == 0) return a.compare(b);
  return result - CSTR_EQUAL;
}

bool SameTextUserLocale(std::wstring_view a, std::wstring_view b) { return CompareTextUserLocale(a, b) == 0; }

std::wstring UpperCaseUnicode(std::wstring_view text) {
  std::wstring result(text);
  if (!result.empty()) CharUpperBuffW(result.data(), static_cast<DWORD>(result.size()));
  return result;
}

}  // namespace quorvane
