#include "registry/reg.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "support/test_support.h"

namespace quorvane {
namespace {

using test::RawKeyExists;
using test::RawValueBytes;
using test::RawValueExists;
using test::ScratchKey;
using testing::ElementsAre;
using testing::IsEmpty;
using testing::UnorderedElementsAre;
using Bytes = TReg::Bytes;

// ---- Paths and root names -------------------------------------------------------------------

struct ParseCase {
  std::wstring text;
  bool parsed;
  HKEY rootKey;
  std::wstring key;
  std::wstring name;
};

void PrintTo(const ParseCase& c, std::ostream* out) { *out << testing::PrintToString(c.text); }

class RegParse : public testing::TestWithParam<ParseCase> {};

TEST_P(RegParse, SplitsRootKeyPathAndName) {
  const ParseCase& c = GetParam();
  const HKEY unset = reinterpret_cast<HKEY>(static_cast<ULONG_PTR>(0x1234));
  HKEY rootKey = unset;
  std::wstring key = L"stale";
  std::wstring name = L"stale";
  EXPECT_EQ(TReg::Parse(c.text, rootKey, key, name), c.parsed);
  EXPECT_EQ(rootKey, c.parsed ? c.rootKey : unset);
  EXPECT_EQ(key, c.key);
  EXPECT_EQ(name, c.name);
}

INSTANTIATE_TEST_SUITE_P(Examples, RegParse,
                         testing::Values(ParseCase{L"HKLM\\Software\\Microsoft\\Windows\\CurrentVersion\\Run\\Updater",
                                                   true, HKEY_LOCAL_MACHINE,
                                                   L"Software\\Microsoft\\Windows\\CurrentVersion\\Run", L"Updater"},
                                         ParseCase{L"HKEY_CURRENT_USER\\Software\\Vendor\\", true, HKEY_CURRENT_USER,
                                                   L"Software\\Vendor", L""},
                                         ParseCase{L"hkcu\\Run\\X", true, HKEY_CURRENT_USER, L"Run", L"X"},
                                         ParseCase{L"HKLM\\Run", false, nullptr, L"", L""},
                                         ParseCase{L"Other\\A\\B", true, nullptr, L"A", L"B"},
                                         ParseCase{L"", false, nullptr, L"", L""},
                                         ParseCase{L"HKLM\\\\X", true, HKEY_LOCAL_MACHINE, L"", L"X"},
                                         ParseCase{L"HKU\\a\\\\b\\c", true, HKEY_USERS, L"a\\\\b", L"c"},
                                         ParseCase{L" HKLM\\a\\b", true, nullptr, L"a", L"b"}));

TEST(RootKeyToName, GivesShortNamesOnlyForTheFourUsualRoots) {
  EXPECT_EQ(RootKeyToName(HKEY_LOCAL_MACHINE, true), L"HKLM");
  EXPECT_EQ(RootKeyToName(HKEY_LOCAL_MACHINE, false), L"HKEY_LOCAL_MACHINE");
  EXPECT_EQ(RootKeyToName(HKEY_CURRENT_USER, true), L"HKCU");
  EXPECT_EQ(RootKeyToName(HKEY_CLASSES_ROOT, true), L"HKCR");
  EXPECT_EQ(RootKeyToName(HKEY_USERS, true), L"HKU");
  EXPECT_EQ(RootKeyToName(HKEY_CURRENT_CONFIG, true), L"HKEY_CURRENT_CONFIG");
  EXPECT_EQ(RootKeyToName(HKEY_PERFORMANCE_DATA, true), L"HKEY_PERFORMANCE_DATA");
  EXPECT_EQ(RootKeyToName(HKEY_DYN_DATA, true), L"HKEY_DYN_DATA");
  EXPECT_EQ(RootKeyToName(nullptr, true), L"");
  EXPECT_EQ(RootKeyToName(reinterpret_cast<HKEY>(static_cast<ULONG_PTR>(0x80000007)), false), L"");
}

TEST(NameToRootKey, MatchesWholeNamesIgnoringAsciiCaseOnly) {
  EXPECT_EQ(NameToRootKey(L"hklm"), HKEY_LOCAL_MACHINE);
  EXPECT_EQ(NameToRootKey(L"Hkey_Local_Machine"), HKEY_LOCAL_MACHINE);
  EXPECT_EQ(NameToRootKey(L"HKCR"), HKEY_CLASSES_ROOT);
  EXPECT_EQ(NameToRootKey(L"HKU"), HKEY_USERS);
  EXPECT_EQ(NameToRootKey(L"HKEY_CURRENT_CONFIG"), HKEY_CURRENT_CONFIG);
  EXPECT_EQ(NameToRootKey(L"HKEY_PERFORMANCE_DATA"), HKEY_PERFORMANCE_DATA);
  EXPECT_EQ(NameToRootKey(L"hkey_dyn_data"), HKEY_DYN_DATA);
  EXPECT_EQ(NameToRootKey(L"HKCC"), nullptr);
  EXPECT_EQ(NameToRootKey(L" HKLM"), nullptr);
  EXPECT_EQ(NameToRootKey(L"HKLM "), nullptr);
  EXPECT_EQ(NameToRootKey(L""), nullptr);
  // The dotless i of Turkish does not count as an ASCII letter.
  EXPECT_EQ(NameToRootKey(L"HKEY_USERS\u0131"), nullptr);
}

// ---- Reads ---------------------------------------------------------------------------------

class RegRead : public testing::Test {
 protected:
  void SetRaw(const std::wstring& name, DWORD type, const void* data, std::size_t size) {
    test::SetRawValue(scratch_.Root(), scratch_.Path(), name, type, data, size);
  }
  void SetText(const std::wstring& name, const std::wstring& text, DWORD type = REG_SZ) {
    test::SetStringValue(scratch_.Root(), scratch_.Path(), name, text, type);
  }
  std::wstring ReadString(const std::wstring& name, const std::wstring& fallback = L"fallback") {
    return TReg::ReadString(scratch_.Root(), scratch_.Path(), name, fallback);
  }
  std::wstring Missing() const { return scratch_.Below(L"missing"); }

  ScratchKey scratch_;
};

TEST_F(RegRead, ReadStringGivesTheDefaultOnlyWhenTheKeyCannotBeOpened) {
  EXPECT_EQ(ReadString(L"absent"), L"");
  EXPECT_EQ(TReg::ReadString(HKEY_CURRENT_USER, Missing(), L"x", L"fallback"), L"fallback");
  EXPECT_EQ(TReg::ReadString(nullptr, L"Software", L"x", L"fallback"), L"fallback");
}

TEST_F(RegRead, ReadStringKeepsEnvironmentReferencesAndStopsAtTheFirstNul) {
  SetText(L"expand", L"%ProgramFiles%\\Vendor\\a.exe", REG_EXPAND_SZ);
  EXPECT_EQ(ReadString(L"expand"), L"%ProgramFiles%\\Vendor\\a.exe");
  const wchar_t twoTexts[] = L"first\0second";
  SetRaw(L"nul", REG_SZ, twoTexts, sizeof twoTexts);
  EXPECT_EQ(ReadString(L"nul"), L"first");
  SetRaw(L"empty", REG_SZ, nullptr, 0);
  EXPECT_EQ(ReadString(L"empty"), L"");
}

// Data as a program may have stored it: never read past what the registry returned.
TEST_F(RegRead, ReadStringTakesMalformedTextDataAsFarAsItGoes) {
  const wchar_t text[] = L"abc";
  SetRaw(L"unterminated", REG_SZ, text, 3 * sizeof(wchar_t));
  EXPECT_EQ(ReadString(L"unterminated"), L"abc");
  SetRaw(L"odd", REG_SZ, text, 3 * sizeof(wchar_t) + 1);
  EXPECT_EQ(ReadString(L"odd"), L"abc");
  SetRaw(L"one byte", REG_EXPAND_SZ, text, 1);
  EXPECT_EQ(ReadString(L"one byte"), L"");
}

TEST_F(RegRead, ReadStringReadsAMegabyteText) {
  std::wstring big(1 << 20, L'x');
  big.replace(0, 3, L"C:\\");
  SetText(L"big", big);
  EXPECT_EQ(ReadString(L"big"), big);
}

TEST_F(RegRead, ReadStringOfAValueThatIsNoTextIsEmpty) {
  const DWORD number = 7;
  SetRaw(L"dword", REG_DWORD, &number, sizeof number);
  const BYTE binary[] = {'C', 0, ':', 0};
  SetRaw(L"binary", REG_BINARY, binary, sizeof binary);
  const wchar_t multi[] = L"a.exe\0b.exe\0";
  SetRaw(L"multi", REG_MULTI_SZ, multi, sizeof multi);
  SetRaw(L"none", REG_NONE, binary, sizeof binary);
  for (const wchar_t* name : {L"dword", L"binary", L"multi", L"none"}) EXPECT_EQ(ReadString(name), L"") << name;
}

TEST_F(RegRead, ReadIntegerAndReadBoolReadOnlyFourByteDwords) {
  const std::int32_t minusTwo = -2;
  SetRaw(L"number", REG_DWORD, &minusTwo, sizeof minusTwo);
  SetRaw(L"short", REG_DWORD, &minusTwo, 2);
  SetText(L"text", L"5");
  const std::int32_t zero = 0;
  SetRaw(L"zero", REG_DWORD, &zero, sizeof zero);

  EXPECT_EQ(TReg::ReadInteger(scratch_.Root(), scratch_.Path(), L"number", 9), -2);
  EXPECT_TRUE(TReg::ReadBool(scratch_.Root(), scratch_.Path(), L"number", false));
  EXPECT_FALSE(TReg::ReadBool(scratch_.Root(), scratch_.Path(), L"zero", true));
  for (const wchar_t* name : {L"short", L"text", L"absent"}) {
    EXPECT_EQ(TReg::ReadInteger(scratch_.Root(), scratch_.Path(), name, 9), 9) << name;
    EXPECT_TRUE(TReg::ReadBool(scratch_.Root(), scratch_.Path(), name, true)) << name;
  }
  EXPECT_EQ(TReg::ReadInteger(scratch_.Root(), Missing(), L"number", 9), 9);
}

TEST_F(RegRead, ReadBinaryGivesExactlyTheStoredBytes) {
  const Bytes twelve = {2, 0, 0, 0, 1, 2, 3, 4, 5, 6, 7, 8};
  SetRaw(L"approved", REG_BINARY, twelve.data(), twelve.size());
  SetRaw(L"empty", REG_BINARY, nullptr, 0);
  EXPECT_EQ(TReg::ReadBinary(scratch_.Root(), scratch_.Path(), L"approved"), twelve);
  EXPECT_THAT(TReg::ReadBinary(scratch_.Root(), scratch_.Path(), L"empty"), IsEmpty());
  EXPECT_THAT(TReg::ReadBinary(scratch_.Root(), scratch_.Path(), L"absent"), IsEmpty());
  EXPECT_THAT(TReg::ReadBinary(scratch_.Root(), Missing(), L"approved"), IsEmpty());
  // The type is not examined: a DWORD gives its four bytes.
  const DWORD number = 0x03020100;
  SetRaw(L"dword", REG_DWORD, &number, sizeof number);
  EXPECT_EQ(TReg::ReadBinary(scratch_.Root(), scratch_.Path(), L"dword"), (Bytes{0, 1, 2, 3}));
}

TEST_F(RegRead, ReadValueNamesListsEveryValueAndTheDefaultAsTheEmptyName) {
  std::vector<std::wstring> names = {L"stale"};
  EXPECT_EQ(TReg::ReadValueNames(scratch_.Root(), scratch_.Path(), names), 0);
  EXPECT_THAT(names, IsEmpty());
  names = {L"stale"};
  EXPECT_EQ(TReg::ReadValueNames(scratch_.Root(), Missing(), names), 0);
  EXPECT_THAT(names, IsEmpty());

  const std::wstring longest(16383, L'n');
  SetText(L"", L"default");
  SetText(L"b", L"1");
  SetText(L"A", L"2");
  SetText(longest, L"3");
  SetText(L"\uC804\uCCB4", L"4");
  EXPECT_EQ(TReg::ReadValueNames(scratch_.Root(), L"\\" + scratch_.Path(), names), 5);
  EXPECT_THAT(names, UnorderedElementsAre(L"", L"A", L"b", longest, L"\uC804\uCCB4"));
}

TEST_F(RegRead, ReadKeyNamesAndIsKey) {
  test::SetStringValue(scratch_.Root(), scratch_.Below(L"one\\deep"), L"v", L"x");
  test::SetStringValue(scratch_.Root(), scratch_.Below(L"two"), L"v", L"x");
  std::vector<std::wstring> names;
  EXPECT_EQ(TReg::ReadKeyNames(scratch_.Root(), scratch_.Path(), names), 2);
  EXPECT_THAT(names, UnorderedElementsAre(L"one", L"two"));

  EXPECT_TRUE(TReg::IsKey(scratch_.Root(), scratch_.Below(L"one\\deep")));
  EXPECT_TRUE(TReg::IsKey(scratch_.Root(), L"\\" + scratch_.Path()));
  EXPECT_FALSE(TReg::IsKey(scratch_.Root(), Missing()));
  EXPECT_FALSE(TReg::IsKey(nullptr, scratch_.Path()));
}

// ---- Writes and deletes --------------------------------------------------------------------

TEST(RegWrite, WriteBinaryCreatesTheMissingKeysInThe64BitView) {
  ScratchKey scratch(HKEY_LOCAL_MACHINE);
  const std::wstring key = scratch.Below(L"Explorer\\StartupApproved\\Run32");
  const Bytes data = {3, 0, 0, 0, 9, 9, 9, 9, 9, 9, 9, 9};
  TReg::WriteBinary(HKEY_LOCAL_MACHINE, L"\\" + key, L"Updater", data);

  DWORD type = REG_NONE;
  EXPECT_EQ(RawValueBytes(HKEY_LOCAL_MACHINE, key, L"Updater", &type), data);
  EXPECT_EQ(type, static_cast<DWORD>(REG_BINARY));

  TReg::WriteBinary(HKEY_LOCAL_MACHINE, key, L"empty", {});
  EXPECT_TRUE(RawValueExists(HKEY_LOCAL_MACHINE, key, L"empty"));
  EXPECT_THAT(RawValueBytes(HKEY_LOCAL_MACHINE, key, L"empty"), IsEmpty());
}

TEST(RegWrite, WriteIntegerAndWriteStringReadBack) {
  ScratchKey scratch;
  TReg::WriteInteger(scratch.Root(), scratch.Path(), L"n", -5);
  TReg::WriteString(scratch.Root(), scratch.Path(), L"s", L"\uC0AC\uC6A9\uD568");
  TReg::WriteString(scratch.Root(), scratch.Path(), L"", L"");
  EXPECT_EQ(TReg::ReadInteger(scratch.Root(), scratch.Path(), L"n", 0), -5);
  EXPECT_EQ(TReg::ReadString(scratch.Root(), scratch.Path(), L"s", L""), L"\uC0AC\uC6A9\uD568");
  EXPECT_TRUE(RawValueExists(scratch.Root(), scratch.Path(), L""));
}

TEST(RegWrite, WritesToAnUnknownRootDoNothing) {
  TReg::WriteString(nullptr, L"Software\\QuorvaneTests\\nowhere", L"s", L"x");
  EXPECT_FALSE(RawKeyExists(HKEY_CURRENT_USER, L"Software\\QuorvaneTests\\nowhere"));
}

TEST(RegDelete, DeleteKeyRemovesTheWholeTree) {
  ScratchKey scratch;
  for (const wchar_t* path : {L"tree\\a\\b\\c", L"tree\\a\\d", L"tree\\e", L"keep"}) {
    test::SetStringValue(scratch.Root(), scratch.Below(path), L"v", L"x");
  }
  TReg::DeleteKey(scratch.Root(), scratch.Path(), L"tree");
  EXPECT_FALSE(RawKeyExists(scratch.Root(), scratch.Below(L"tree")));
  EXPECT_TRUE(RawKeyExists(scratch.Root(), scratch.Below(L"keep")));
}

TEST(RegDelete, DeleteKeyWithoutANameLeavesTheKeyAlone) {
  ScratchKey scratch;
  test::SetStringValue(scratch.Root(), scratch.Below(L"child"), L"v", L"x");
  TReg::DeleteKey(scratch.Root(), scratch.Path(), L"");
  EXPECT_TRUE(RawKeyExists(scratch.Root(), scratch.Below(L"child")));
}

TEST(RegDelete, DeleteValueInAMissingKeyLeavesThatKeyBehindEmpty) {
  ScratchKey scratch;
  TReg::DeleteValue(scratch.Root(), scratch.Below(L"new\\key"), L"v");
  EXPECT_TRUE(RawKeyExists(scratch.Root(), scratch.Below(L"new\\key")));
}

class RegDeletePath : public testing::Test {
 protected:
  std::wstring Path(const std::wstring& relative) const { return L"HKCU\\" + scratch_.Below(relative); }
  ScratchKey scratch_;
};

TEST_F(RegDeletePath, DeletesAValue) {
  test::SetStringValue(scratch_.Root(), scratch_.Below(L"Run"), L"Updater", L"x");
  test::SetStringValue(scratch_.Root(), scratch_.Below(L"Run"), L"Other", L"x");
  TReg::Delete(Path(L"Run\\Updater"));
  EXPECT_FALSE(RawValueExists(scratch_.Root(), scratch_.Below(L"Run"), L"Updater"));
  EXPECT_TRUE(RawValueExists(scratch_.Root(), scratch_.Below(L"Run"), L"Other"));
}

TEST_F(RegDeletePath, DeletesASubkeyOfThatNameWithEverythingBelowIt) {
  test::SetStringValue(scratch_.Root(), scratch_.Below(L"Run\\Updater\\deep"), L"v", L"x");
  test::SetStringValue(scratch_.Root(), scratch_.Below(L"Run"), L"Other", L"x");
  TReg::Delete(Path(L"Run\\Updater"));
  EXPECT_FALSE(RawKeyExists(scratch_.Root(), scratch_.Below(L"Run\\Updater")));
  EXPECT_TRUE(RawValueExists(scratch_.Root(), scratch_.Below(L"Run"), L"Other"));
}

// A path that ends in a backslash names the key's default value: deleting it must not take
// the key and all its values with it.
TEST_F(RegDeletePath, APathEndingInABackslashDeletesOnlyTheDefaultValue) {
  test::SetStringValue(scratch_.Root(), scratch_.Below(L"Run"), L"", L"default");
  test::SetStringValue(scratch_.Root(), scratch_.Below(L"Run"), L"Other", L"x");
  TReg::Delete(Path(L"Run\\"));
  EXPECT_FALSE(RawValueExists(scratch_.Root(), scratch_.Below(L"Run"), L""));
  EXPECT_TRUE(RawValueExists(scratch_.Root(), scratch_.Below(L"Run"), L"Other"));
}

TEST_F(RegDeletePath, ATextThatDoesNotParseDeletesNothing) {
  test::SetStringValue(scratch_.Root(), scratch_.Path(), L"v", L"x");
  TReg::Delete(L"HKCU\\v");
  TReg::Delete(L"");
  EXPECT_TRUE(RawValueExists(scratch_.Root(), scratch_.Path(), L"v"));
}

}  // namespace
}  // namespace quorvane
