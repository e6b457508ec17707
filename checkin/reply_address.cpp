#include "checkin/reply_address.h"

#include "common/text.h"

namespace quorvane {

namespace {

constexpr std::wstring_view kWebSchemes[] = {L"http://", L"https://"};

bool IsAddressCharacter(wchar_t c) {
  if (c <= 32 || c == 127) return false;
  if (c >= 0x80 && c < 0xA0) return false;
  return std::wstring_view(L"\"<>\\^`{|}").find(c) == std::wstring_view::npos;
}

// The address after its scheme must start with a host, not with the path, query or fragment.
bool StartsWithHost(std::wstring_view rest) {
  return !rest.empty() && std::wstring_view(L"/?#").find(rest.front()) == std::wstring_view::npos;
}

}  // namespace

bool IsWebAddress(std::wstring_view text) {
  for (const wchar_t c : text) {
    if (!IsAddressCharacter(c)) return false;
  }
  for (const std::wstring_view scheme : kWebSchemes) {
    if (StartsWithIgnoreAsciiCase(text, scheme)) return StartsWithHost(text.substr(scheme.size()));
  }
  return false;
}

std::wstring ReplyAddress(std::wstring_view value) { return IsWebAddress(value) ? std::wstring(value) : std::wstring(); }

}  // namespace quorvane
