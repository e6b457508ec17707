// The client identifier: its form, and its rules in the test prefix's registry.
#include "checkin/client_id.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cwchar>
#include <optional>
#include <string_view>

#include "common/text.h"
#include "support/client_identity.h"
#include "support/test_support.h"

namespace quorvane {
namespace {

bool IsUpperHex(std::wstring_view text) {
  return std::all_of(text.begin(), text.end(),
                     [](wchar_t c) { return (c >= L'0' && c <= L'9') || (c >= L'A' && c <= L'F'); });
}

bool IsDigits(std::wstring_view text) {
  return std::all_of(text.begin(), text.end(), [](wchar_t c) { return c >= L'0' && c <= L'9'; });
}

std::wstring Stamp(const wchar_t* format, int a, int b, int c) {
  wchar_t text[16] = {};
  std::swprintf(text, std::size(text), format, a % 100, b, c);
  return text;
}

TEST(NewClientID, IsRandomHexDateRandomHexTimeRandomHex) {
  SYSTEMTIME before{};
  GetLocalTime(&before);
  const std::wstring identifier = NewClientID();
  SYSTEMTIME after{};
  GetLocalTime(&after);

  ASSERT_EQ(identifier.size(), 32u);
  EXPECT_TRUE(IsUpperHex(identifier.substr(0, 8))) << ToUtf8(identifier);
  EXPECT_TRUE(IsUpperHex(identifier.substr(14, 4))) << ToUtf8(identifier);
  EXPECT_TRUE(IsUpperHex(identifier.substr(24, 8))) << ToUtf8(identifier);
  EXPECT_LE(std::stoul(identifier.substr(0, 8), nullptr, 16), 2147483646ul);
  EXPECT_LE(std::stoul(identifier.substr(24, 8), nullptr, 16), 2147483646ul);
  EXPECT_NE(identifier.substr(14, 4), L"FFFF");
  EXPECT_THAT(identifier.substr(8, 6), testing::AnyOf(Stamp(L"%02d%02d%02d", before.wYear, before.wMonth, before.wDay),
                                                      Stamp(L"%02d%02d%02d", after.wYear, after.wMonth, after.wDay)));
  EXPECT_TRUE(IsDigits(identifier.substr(18, 6)));
  EXPECT_THAT(identifier.substr(18, 6),
              testing::AnyOf(Stamp(L"%02d%02d%02d", before.wHour, before.wMinute, before.wSecond),
                             Stamp(L"%02d%02d%02d", after.wHour, after.wMinute, after.wSecond)));
  EXPECT_NE(NewClientID().substr(0, 8) + NewClientID().substr(24), identifier.substr(0, 8) + identifier.substr(24));
}

// The identifier's rules on a scratch key of the test's own, with the registry's own write or
// one that fails after leaving a broken value behind.
class ClientIdentifier : public testing::Test {
 protected:
  std::wstring Read(const ClientIdStore& store) { return ReadOrCreateClientID(key.Root(), key.Path(), store); }
  std::optional<std::wstring> Stored(DWORD* type = nullptr) const {
    if (!test::RawValueExists(key.Root(), key.Path(), L"TUID")) return std::nullopt;
    const std::vector<BYTE> bytes = test::RawValueBytes(key.Root(), key.Path(), L"TUID", type);
    return std::wstring(reinterpret_cast<const wchar_t*>(bytes.data()), bytes.size() / sizeof(wchar_t)).c_str();
  }

  static bool RegistryWrite(HKEY handle, const std::wstring& identifier) {
    return RegSetValueExW(handle, L"TUID", 0, REG_SZ, reinterpret_cast<const BYTE*>(identifier.c_str()),
                          static_cast<DWORD>((identifier.size() + 1) * sizeof(wchar_t))) == ERROR_SUCCESS;
  }
  // Fails after writing the first half, as a write that breaks off would.
  static bool BrokenWrite(HKEY handle, const std::wstring& identifier) {
    const std::wstring half = identifier.substr(0, identifier.size() / 2);
    RegSetValueExW(handle, L"TUID", 0, REG_SZ, reinterpret_cast<const BYTE*>(half.c_str()),
                   static_cast<DWORD>(half.size() * sizeof(wchar_t)));
    return false;
  }

  test::ScratchKey key;
};

TEST_F(ClientIdentifier, IsMadeOnceAndThenReused) {
  test::DeleteRawTree(key.Root(), key.Path());
  const std::wstring made = Read(RegistryWrite);
  ASSERT_EQ(made.size(), 32u);
  EXPECT_EQ(Stored(), made);
  EXPECT_EQ(Read(RegistryWrite), made);
}

TEST_F(ClientIdentifier, KeepsAStoredTextWhateverItsLength) {
  for (const std::wstring& stored : {std::wstring(L"short"), std::wstring(1000, L'A')}) {
    test::SetStringValue(key.Root(), key.Path(), L"TUID", stored);
    EXPECT_EQ(Read(RegistryWrite), stored);
    EXPECT_EQ(Stored(), stored);
  }
}

TEST_F(ClientIdentifier, LeavesAValueOfAnotherTypeAloneAndGivesTheEmptyText) {
  const DWORD number = 7;
  test::SetRawValue(key.Root(), key.Path(), L"TUID", REG_DWORD, &number, sizeof number);
  EXPECT_EQ(Read(RegistryWrite), L"");
  DWORD type = 0;
  test::RawValueBytes(key.Root(), key.Path(), L"TUID", &type);
  EXPECT_EQ(type, static_cast<DWORD>(REG_DWORD));
}

// An empty identifier would be sent for good: it is replaced like a missing one.
TEST_F(ClientIdentifier, ReplacesAnEmptyText) {
  test::SetStringValue(key.Root(), key.Path(), L"TUID", L"");
  const std::wstring made = Read(RegistryWrite);
  EXPECT_EQ(made.size(), 32u);
  EXPECT_EQ(Stored(), made);
}

TEST_F(ClientIdentifier, LeavesNothingBehindWhenStoringFails) {
  EXPECT_EQ(Read(BrokenWrite), L"");
  EXPECT_EQ(Stored(), std::nullopt);

  test::SetStringValue(key.Root(), key.Path(), L"TUID", L"");
  EXPECT_EQ(Read(BrokenWrite), L"");
  EXPECT_EQ(Stored(), std::nullopt);
  // The next start tries again.
  EXPECT_EQ(Read(RegistryWrite).size(), 32u);
}

TEST(GetClientID, StoresTheIdentifierUnderTheUsersTesmoraKey) {
  const test::ClientIdentityGuard identity;
  test::ClientIdentityGuard::Forget();
  const std::wstring made = GetClientID();
  ASSERT_EQ(made.size(), 32u);
  DWORD type = 0;
  const std::vector<BYTE> stored =
      test::RawValueBytes(HKEY_CURRENT_USER, test::kClientIdKey, test::kClientIdValue, &type);
  EXPECT_EQ(type, static_cast<DWORD>(REG_SZ));
  EXPECT_EQ(std::wstring(reinterpret_cast<const wchar_t*>(stored.data())), made);
  EXPECT_EQ(GetClientID(), made);
}

}  // namespace
}  // namespace quorvane
