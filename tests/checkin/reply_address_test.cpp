#include "checkin/reply_address.h"

#include <gtest/gtest.h>

#include "common/text.h"

namespace quorvane {
namespace {

struct AddressCase {
  std::wstring text;
  bool web;
};

void PrintTo(const AddressCase& c, std::ostream* out) { *out << testing::PrintToString(ToUtf8(c.text)); }

class ReplyAddresses : public testing::TestWithParam<AddressCase> {};

TEST_P(ReplyAddresses, PassOnlyWhenTheyAreWebAddresses) {
  const AddressCase& c = GetParam();
  EXPECT_EQ(IsWebAddress(c.text), c.web);
  EXPECT_EQ(ReplyAddress(c.text), c.web ? c.text : L"");
}

INSTANTIATE_TEST_SUITE_P(
    Values, ReplyAddresses,
    testing::Values(
        AddressCase{L"https://update.example.com/quorvane/setup.exe", true}, AddressCase{L"http://example.com", true},
        AddressCase{L"HTTPS://Example.com/Path?q=1&r=%20#top", true},
        AddressCase{L"https://user@example.com:8443/a;b,c(d)*+=$!'~[]", true},
        AddressCase{L"https://\uC5C5\uB370\uC774\uD2B8.example/\uB2E4\uC6B4", true}, AddressCase{L"", false},
        AddressCase{L"https://", false}, AddressCase{L"https:///path", false}, AddressCase{L"https://?q", false},
        AddressCase{L"http:/example.com", false}, AddressCase{L" https://example.com", false},
        AddressCase{L"https://example.com/a b", false}, AddressCase{L"https://example.com/a\tb", false},
        AddressCase{L"https://example.com/\r\n", false}, AddressCase{L"https://example.com/\x85", false},
        AddressCase{L"https://example.com/a\" --new-window \"file:///C:/", false},
        AddressCase{L"https://example.com/<script>", false}, AddressCase{L"https://example.com\\..\\a", false},
        AddressCase{L"https://example.com/{a}|^`", false}, AddressCase{L"ftp://example.com/setup.exe", false},
        AddressCase{L"file:///C:/Windows/System32/calc.exe", false},
        AddressCase{L"C:\\Windows\\System32\\calc.exe", false}, AddressCase{L"\\\\server\\share\\setup.exe", false},
        AddressCase{L"calc.exe", false}, AddressCase{L"javascript:alert(1)", false},
        AddressCase{L"mailto:someone@example.com", false}, AddressCase{L"shell:startup", false}));

}  // namespace
}  // namespace quorvane
