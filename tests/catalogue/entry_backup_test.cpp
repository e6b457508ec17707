// The backups that switching off on Windows before 10 leaves: .reg files that regedit imports
// back to the very bytes, and files moved instead of deleted, all under names of their own.
#include "catalogue/entry_backup.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "common/error.h"
#include "common/text.h"
#include "support/autorun_locations.h"
#include "support/test_support.h"

namespace quorvane {
namespace {

using testing::ElementsAre;
using testing::HasSubstr;
using testing::StartsWith;
using Bytes = std::vector<BYTE>;

Bytes TextBytes(const std::wstring& text, bool terminated = true) {
  const std::size_t count = text.size() + (terminated ? 1 : 0);
  const auto* first = reinterpret_cast<const BYTE*>(text.c_str());
  return Bytes(first, first + count * sizeof(wchar_t));
}

std::vector<std::wstring> Backups() { return test::FolderEntries(test::BackupFolder()); }

// The tests of the backup folder start and end with it empty.
class BackupTest : public testing::Test {
 protected:
  void SetUp() override { test::ResetAutorunLocations(); }
  void TearDown() override { test::ResetAutorunLocations(); }
};

void Import(const std::wstring& regFile) {
  const test::ProcessResult result = test::RunProcess(L"regedit.exe /S \"" + regFile + L"\"");
  ASSERT_EQ(result.exitCode, 0u) << result.errors;
}

struct ValueCase {
  const char* label;
  std::wstring name;
  DWORD type;
  Bytes data;
};

void PrintTo(const ValueCase& c, std::ostream* out) { *out << c.label; }

class RegFileRoundTrip : public testing::TestWithParam<ValueCase> {};

TEST_P(RegFileRoundTrip, RegeditPutsBackTheValueByteForByte) {
  const ValueCase& value = GetParam();
  test::ScratchKey scratch;
  test::SetRawValue(scratch.Root(), scratch.Path(), value.name, value.type, value.data.data(), value.data.size());
  const std::wstring text = FormatRegFile(scratch.Root(), L"\\" + scratch.Path(), value.name, value.type, value.data);

  test::TempFolder folder;
  const std::wstring file = folder.File(L"value.reg");
  test::WriteFileBytes(file, EncodeRegFile(text));
  test::DeleteRawTree(scratch.Root(), scratch.Path());
  Import(file);

  DWORD type = REG_NONE;
  const Bytes restored = test::RawValueBytes(scratch.Root(), scratch.Path(), value.name, &type);
  ASSERT_TRUE(test::RawValueExists(scratch.Root(), scratch.Path(), value.name)) << ToUtf8(text);
  EXPECT_EQ(type, value.type) << ToUtf8(text);
  EXPECT_EQ(restored, value.data) << ToUtf8(text);
}

const DWORD kNumber = 0x8001F00D;
const ULONGLONG kWide = 0x0102030405060708ULL;

Bytes Sequence(std::size_t length) {
  Bytes bytes(length);
  for (std::size_t i = 0; i < length; ++i) bytes[i] = static_cast<BYTE>(i * 7 + 3);
  return bytes;
}

INSTANTIATE_TEST_SUITE_P(
    EveryKindOfValue, RegFileRoundTrip,
    testing::Values(
        ValueCase{"Plain", L"Updater", REG_SZ, TextBytes(L"\"C:\\Program Files\\Vendor\\up.exe\" /bg")},
        ValueCase{"DefaultValue", L"", REG_SZ, TextBytes(L"C:\\a.exe")},
        ValueCase{"QuotesAndBackslashesInTheName", L"We\"ird\\Na=me", REG_SZ, TextBytes(L"x")},
        ValueCase{"Korean", L"\uCE74\uCE74\uC624\uD1A1", REG_SZ,
                  TextBytes(L"C:\\\uCE74\uCE74\uC624\\talk.exe -bystartup")},
        ValueCase{"EmptyString", L"Empty", REG_SZ, TextBytes(L"")}, ValueCase{"NoData", L"NoData", REG_SZ, {}},
        ValueCase{"InnerNul", L"InnerNul", REG_SZ, TextBytes(std::wstring(L"a\0b", 3))},
        ValueCase{"LineBreak", L"LineBreak", REG_SZ, TextBytes(L"first\r\nsecond")},
        ValueCase{"Long", L"Long", REG_SZ, TextBytes(L"C:\\big.exe " + std::wstring(3000, L'a'))},
        ValueCase{"Expandable", L"Expandable", REG_EXPAND_SZ, TextBytes(L"%ProgramFiles%\\Vendor\\tray.exe")},
        ValueCase{"Multi", L"Multi", REG_MULTI_SZ, TextBytes(std::wstring(L"a.exe\0b.exe\0", 12))},
        ValueCase{"Dword", L"Dword", REG_DWORD,
                  Bytes(reinterpret_cast<const BYTE*>(&kNumber), reinterpret_cast<const BYTE*>(&kNumber) + 4)},
        ValueCase{"ShortDword", L"ShortDword", REG_DWORD, {1, 2, 3}},
        ValueCase{"Qword", L"Qword", REG_QWORD,
                  Bytes(reinterpret_cast<const BYTE*>(&kWide), reinterpret_cast<const BYTE*>(&kWide) + 8)},
        ValueCase{"Binary", L"Binary", REG_BINARY, {3, 0, 0, 0, 0x10, 0x20, 0x30, 0x40, 0x50, 0x60, 0x70, 0x01}},
        ValueCase{"EmptyBinary", L"EmptyBinary", REG_BINARY, {}},
        ValueCase{"LongBinary", L"LongBinary", REG_BINARY, Sequence(1000)},
        ValueCase{"None", L"None", REG_NONE, {0xFF, 0x00, 0xFE}},
        ValueCase{"UnknownType", L"UnknownType", 0x2A, Sequence(40)}),
    [](const testing::TestParamInfo<ValueCase>& c) { return c.param.label; });

TEST(FormatRegFile, WritesRegeditsOwnFormWithPlainStringsQuoted) {
  const std::wstring text = FormatRegFile(HKEY_LOCAL_MACHINE, L"\\Software\\Microsoft\\Windows\\CurrentVersion\\Run",
                                          L"Up\"date\\r", REG_SZ, TextBytes(L"\"C:\\up.exe\" /x"));
  EXPECT_EQ(text,
            L"Windows Registry Editor Version 5.00\r\n\r\n"
            L"[HKEY_LOCAL_MACHINE\\Software\\Microsoft\\Windows\\CurrentVersion\\Run]\r\n"
            L"\"Up\\\"date\\\\r\"=\"\\\"C:\\\\up.exe\\\" /x\"\r\n\r\n");
  EXPECT_THAT(FormatRegFile(HKEY_CURRENT_USER, L"Software\\Run", L"", REG_DWORD, {0x78, 0x56, 0x34, 0x12}),
              HasSubstr(L"[HKEY_CURRENT_USER\\Software\\Run]\r\n@=dword:12345678\r\n"));
  EXPECT_THAT(FormatRegFile(HKEY_CURRENT_USER, L"Software\\Run", L"X", REG_EXPAND_SZ, TextBytes(L"%a%")),
              HasSubstr(L"\"X\"=hex(2):25,00,61,00,25,00,00,00\r\n"));
}

TEST(FormatRegFile, WrapsHexDataAsRegeditDoes) {
  const std::wstring text = FormatRegFile(HKEY_CURRENT_USER, L"Software\\Run", L"Binary", REG_BINARY, Bytes(100, 0xAB));
  std::size_t lines = 0;
  for (std::size_t start = 0, end; (end = text.find(L"\r\n", start)) != std::wstring::npos; start = end + 2, ++lines) {
    const std::wstring line = text.substr(start, end - start);
    EXPECT_LE(line.size(), 80u) << ToUtf8(line);
    if (lines > 3 && !line.empty() && line.find(L"hex:") == std::wstring::npos) {
      EXPECT_THAT(line, StartsWith(L"  ab,"));
    }
  }
  EXPECT_GT(lines, 6u);
}

// String data that lacks its terminating NUL, or has an odd length, cannot be given to
// regedit in any other form: the file holds its exact bytes as hex(1). (RegSetValueEx, through
// which every import goes, adds a missing terminator to string data on Windows and on Wine.)
TEST(FormatRegFile, WritesMalformedStringDataAsItsExactBytes) {
  EXPECT_THAT(FormatRegFile(HKEY_CURRENT_USER, L"Software\\Run", L"X", REG_SZ, TextBytes(L"ab", false)),
              HasSubstr(L"\"X\"=hex(1):61,00,62,00\r\n"));
  EXPECT_THAT(FormatRegFile(HKEY_CURRENT_USER, L"Software\\Run", L"X", REG_SZ, {'a', 0, 'b'}),
              HasSubstr(L"\"X\"=hex(1):61,00,62\r\n"));
}

TEST(FormatRegFile, IsEncodedAsUtf16WithAByteOrderMark) {
  EXPECT_EQ(EncodeRegFile(L"W\uAC00"), std::string("\xFF\xFE"
                                                   "W\0\x00\xAC",
                                                   6));
}

TEST(FormatRegFile, RefusesANameWithALineBreak) {
  EXPECT_THROW(FormatRegFile(HKEY_CURRENT_USER, L"Software\\Run", L"two\nlines", REG_SZ, TextBytes(L"x")), Error);
}

// ---- Backups in the backup folder ---------------------------------------------------------------

TEST_F(BackupTest, TheFolderIsTheProgramsOwnInTheAllUsersApplicationData) {
  EXPECT_EQ(BackupFolder(), L"C:\\ProgramData\\Quorvane\\Backup");
  EXPECT_EQ(GetFileAttributesW(BackupFolder().c_str()) & FILE_ATTRIBUTE_DIRECTORY,
            static_cast<DWORD>(FILE_ATTRIBUTE_DIRECTORY));
}

TEST_F(BackupTest, EachValueBackupGetsAFileOfItsOwnThatRestoresTheValue) {
  test::ScratchKey scratch;
  const std::wstring name = L"Tool <1>: a/b|c?*";
  test::SetStringValue(scratch.Root(), scratch.Path(), name, L"C:\\first.exe");
  const std::wstring first = BackUpRegistryValue(scratch.Root(), scratch.Path(), name);
  test::SetStringValue(scratch.Root(), scratch.Path(), name, L"C:\\second.exe");
  const std::wstring second = BackUpRegistryValue(scratch.Root(), scratch.Path(), name);
  EXPECT_NE(first, second);
  EXPECT_THAT(Backups(), testing::UnorderedElementsAre(FileNamePart(first), FileNamePart(second)));
  EXPECT_THAT(ToUtf8(FileNamePart(first)),
              testing::MatchesRegex("\\d\\d\\d\\d\\d\\d\\d\\d-\\d\\d\\d\\d\\d\\d HKCU Tool _1__ a_b_c__\\.reg"));

  test::DeleteRawTree(scratch.Root(), scratch.Path());
  Import(first);
  EXPECT_EQ(test::RawValueBytes(scratch.Root(), scratch.Path(), name), TextBytes(L"C:\\first.exe"));
}

TEST_F(BackupTest, AMissingValueLeavesNoFile) {
  test::ScratchKey scratch;
  EXPECT_EQ(BackUpRegistryValue(scratch.Root(), scratch.Path(), L"absent"), L"");
  EXPECT_EQ(BackUpRegistryValue(scratch.Root(), scratch.Below(L"missing"), L"absent"), L"");
  EXPECT_THAT(Backups(), testing::IsEmpty());
}

TEST_F(BackupTest, AMovedFileArrivesWholeAndNeverOntoAnother) {
  test::TempFolder folder;
  const std::wstring path = folder.File(L"Tool.lnk");
  test::WriteFileBytes(path, "first");
  const std::wstring first = MoveFileToBackup(path);
  test::WriteFileBytes(path, "second");
  const std::wstring second = MoveFileToBackup(path);

  EXPECT_FALSE(test::FileExists(path));
  EXPECT_NE(first, second);
  EXPECT_THAT(FileNamePart(first), testing::EndsWith(L" Tool.lnk"));
  EXPECT_EQ(test::ReadFileBytes(first), "first");
  EXPECT_EQ(test::ReadFileBytes(second), "second");
  EXPECT_EQ(Backups().size(), 2u);
}

TEST_F(BackupTest, AFileThatCannotBeMovedGivesTheSystemsReason) {
  test::TempFolder folder;
  try {
    MoveFileToBackup(folder.File(L"missing.lnk"));
    ADD_FAILURE() << "no error";
  } catch (const WinError& error) {
    EXPECT_EQ(error.Code(), static_cast<unsigned long>(ERROR_FILE_NOT_FOUND));
    EXPECT_THAT(error.Message(),
                StartsWith(L"Cannot move " + folder.File(L"missing.lnk") + L" to the backup folder: "));
    EXPECT_EQ(error.Message().find(L'\n'), std::wstring::npos);
  }
}

}  // namespace
}  // namespace quorvane
