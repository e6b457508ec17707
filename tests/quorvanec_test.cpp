// The console companion as a script meets it: a separate process, its output, its exit status.
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <shlobj.h>

#include <nlohmann/json.hpp>

#include "catalogue/autorun.h"
#include "catalogue/saved_list.h"
#include "common/scoped.h"
#include "common/shell.h"
#include "common/text.h"
#include "support/autorun_locations.h"
#include "support/test_support.h"

namespace quorvane {
namespace {

using test::kApprovedFolder;
using test::kApprovedRun;
using test::kApprovedRun32;
using test::kRun32Key;
using test::kRunKey;
using testing::ElementsAre;
using testing::HasSubstr;
using testing::IsEmpty;
using testing::StartsWith;

const std::vector<BYTE> kSwitchedOff = {3, 0, 0, 0, 1, 2, 3, 4, 5, 6, 7, 8};

test::ProcessResult Quorvanec(const std::wstring& arguments) {
  return test::RunProcess(L"\"" + test::ProgramBesideTest(L"quorvanec.exe") + L"\" " + arguments);
}

class QuorvanecTest : public testing::Test {
 protected:
  static void SetUpTestSuite() { InitFolderPlaceholders(); }
  static void TearDownTestSuite() { ReleaseFolderPlaceholders(); }
  void SetUp() override { test::ResetAutorunLocations(); }
  void TearDown() override { test::ResetAutorunLocations(); }

  // A known set of entries, one of each kind of place; values are added in name order, so that
  // any registry lists them in the same order.
  void Seed() {
    test::WriteFileBytes(common_ + L"\\Shared Tool.lnk", "x");
    test::WriteFileBytes(user_ + L"\\\uB3C4\uAD6C.exe", "x");
    test::SetBinaryValue(HKEY_CURRENT_USER, kApprovedFolder, L"\uB3C4\uAD6C.exe", kSwitchedOff);
    test::SetStringValue(HKEY_LOCAL_MACHINE, kRunKey, L"Agent", L"\"%ProgramFiles%\\Vendor\\agent.exe\" /tray", REG_EXPAND_SZ);
    test::SetStringValue(HKEY_LOCAL_MACHINE, kRunKey, L"Helper", L"rundll32.exe C:\\Vendor\\helper.dll,Start");
    test::SetBinaryValue(HKEY_LOCAL_MACHINE, kApprovedRun, L"Helper", kSwitchedOff);
    test::SetStringValue(HKEY_LOCAL_MACHINE, kRun32Key, L"Old", L"C:\\Old\\old.exe");
    test::SetBinaryValue(HKEY_LOCAL_MACHINE, kApprovedRun32, L"Old", kSwitchedOff);
    test::SetStringValue(HKEY_CURRENT_USER, kRunKey, L"Sync|Me", L"\\??\\C:\\Sync\\sync.exe -q");
  }

  const std::wstring common_ = test::CommonStartupFolder();
  const std::wstring user_ = test::UserStartupFolder();
};

TEST_F(QuorvanecTest, ListJsonPrintsExactlyTheSeededEntries) {
  Seed();
  const test::ProcessResult result = Quorvanec(L"list --json");
  ASSERT_EQ(result.exitCode, 0u) << result.errors;
  EXPECT_THAT(result.errors, IsEmpty());

  const std::string programFiles = ToUtf8(GetSpecialFolderPath(CSIDL_PROGRAM_FILES));
  const std::string common = ToUtf8(common_);
  const std::string user = ToUtf8(user_);
  const std::string run = "Software\\Microsoft\\Windows\\CurrentVersion\\Run\\";
  const auto expected = nlohmann::ordered_json::array({
      {{"from", "FILE"}, {"caption", "Shared Tool"}, {"target", common + "\\Shared Tool.lnk"},
       {"fileName", common + "\\Shared Tool.lnk"}, {"rawData", ""}, {"enabled", true}},
      {{"from", "FILE"}, {"caption", "\xEB\x8F\x84\xEA\xB5\xAC"}, {"target", user + "\\\xEB\x8F\x84\xEA\xB5\xAC.exe"},
       {"fileName", user + "\\\xEB\x8F\x84\xEA\xB5\xAC.exe"}, {"rawData", ""}, {"enabled", false}},
      {{"from", "HKLM"}, {"caption", "Agent"}, {"target", "HKLM\\" + run + "Agent"},
       {"fileName", programFiles + "\\Vendor\\agent.exe"}, {"rawData", "\"%ProgramFiles%\\Vendor\\agent.exe\" /tray"},
       {"enabled", true}},
      {{"from", "HKLM"}, {"caption", "Helper"}, {"target", "HKLM\\" + run + "Helper"},
       {"fileName", "C:\\Vendor\\helper.dll"}, {"rawData", "rundll32.exe C:\\Vendor\\helper.dll,Start"},
       {"enabled", false}},
      {{"from", "HKLM"}, {"caption", "Old"}, {"target", "HKLM\\Software\\Wow6432Node\\Microsoft\\Windows\\CurrentVersion\\Run\\Old"},
       {"fileName", "C:\\Old\\old.exe"}, {"rawData", "C:\\Old\\old.exe"}, {"enabled", false}},
      {{"from", "HKCU"}, {"caption", "Sync|Me"}, {"target", "HKCU\\" + run + "Sync|Me"},
       {"fileName", "C:\\Sync\\sync.exe"}, {"rawData", "\\??\\C:\\Sync\\sync.exe -q"}, {"enabled", true}},
  });
  EXPECT_EQ(nlohmann::ordered_json::parse(result.output), expected) << result.output;
}

TEST_F(QuorvanecTest, ListPrintsATableInCatalogueOrderAsUtf8WhenRedirected) {
  Seed();
  const test::ProcessResult result = Quorvanec(L"list");
  ASSERT_EQ(result.exitCode, 0u) << result.errors;
  const std::wstring table = FromUtf8(result.output);
  EXPECT_THAT(table, StartsWith(L"State  Source  Caption      Target\r\n"));
  EXPECT_THAT(table, HasSubstr(L"\r\noff    FILE    \uB3C4\uAD6C         " + user_ + L"\\\uB3C4\uAD6C.exe\r\n"));
  EXPECT_THAT(table, HasSubstr(L"\r\non     HKCU    Sync|Me      HKCU\\Software\\"));
  EXPECT_EQ(std::count(table.begin(), table.end(), L'\n'), 7);
}

TEST_F(QuorvanecTest, SaveWritesTheSavedListFileOfAFreshRefresh) {
  Seed();
  test::TempFolder folder;
  const std::wstring path = folder.File(L"\uBAA9\uB85D list.txt");
  const test::ProcessResult result = Quorvanec(L"save \"" + path + L"\"");
  ASSERT_EQ(result.exitCode, 0u) << result.errors;
  EXPECT_THAT(result.output, IsEmpty());

  AutorunList catalogue;
  RefreshAutorunList(catalogue);
  ASSERT_EQ(catalogue.size(), 6u);
  EXPECT_EQ(test::ReadFileBytes(path), FormatSavedList(catalogue));
}

TEST_F(QuorvanecTest, SaveReportsAFileThatCannotBeWritten) {
  test::TempFolder folder;
  const std::wstring path = folder.File(L"missing\\list.txt");
  const test::ProcessResult result = Quorvanec(L"save \"" + path + L"\"");
  EXPECT_EQ(result.exitCode, 1u);
  EXPECT_THAT(result.output, IsEmpty());
  EXPECT_THAT(result.errors, StartsWith("quorvanec: "));
  EXPECT_THAT(result.errors, HasSubstr(ToUtf8(path)));
  EXPECT_EQ(std::count(result.errors.begin(), result.errors.end(), '\n'), 1) << result.errors;
}

// In a console the table goes through the console's own Unicode output: what the screen shows
// is the Korean caption itself, not its UTF-8 bytes read in some code page.
TEST_F(QuorvanecTest, ListWritesUnicodeTextToAConsole) {
  Seed();
  FreeConsole();
  ASSERT_TRUE(AllocConsole());
  const ScopedFile screen(CreateFileW(L"CONOUT$", GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                      nullptr, OPEN_EXISTING, 0, nullptr));
  ASSERT_TRUE(screen);
  CONSOLE_SCREEN_BUFFER_INFO info{};
  ASSERT_TRUE(GetConsoleScreenBufferInfo(screen.Get(), &info));

  const DWORD status = test::RunProcessInConsole(L"\"" + test::ProgramBesideTest(L"quorvanec.exe") + L"\" list");

  std::wstring shown(static_cast<std::size_t>(info.dwSize.X) * info.dwSize.Y, L' ');
  DWORD read = 0;
  ASSERT_TRUE(ReadConsoleOutputCharacterW(screen.Get(), shown.data(), static_cast<DWORD>(shown.size()), {0, 0}, &read));
  FreeConsole();
  EXPECT_EQ(status, 0u);
  EXPECT_THAT(shown, HasSubstr(L"State  Source  Caption"));
  EXPECT_THAT(shown, HasSubstr(L"off    FILE    \uB3C4\uAD6C"));
}

class QuorvanecUsage : public testing::TestWithParam<const wchar_t*> {};

TEST_P(QuorvanecUsage, AWrongCommandLineGetsTheUsageAndStatusTwo) {
  const test::ProcessResult result = Quorvanec(GetParam());
  EXPECT_EQ(result.exitCode, 2u);
  EXPECT_THAT(result.output, IsEmpty());
  EXPECT_EQ(result.errors, "usage: quorvanec list [--json] | quorvanec save FILE\r\n");
}

INSTANTIATE_TEST_SUITE_P(WrongCommandLines, QuorvanecUsage,
                         testing::Values(L"", L"lst", L"LIST", L"list --xml", L"list --json extra", L"--json list",
                                         L"save", L"save \"\"", L"save a b", L"list save x"));

}  // namespace
}  // namespace quorvane
