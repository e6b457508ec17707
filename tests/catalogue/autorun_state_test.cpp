// Switching Run and Startup-folder entries: on Windows 10 in this process (the test prefix is
// Windows 10), on Windows 7 in a helper process that Wine runs as Windows 7.
#include "catalogue/autorun_state.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "catalogue/autorun.h"
#include "catalogue/sources.h"
#include "common/error.h"
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
using testing::Contains;
using testing::ElementsAre;
using testing::HasSubstr;
using testing::IsEmpty;
using testing::SizeIs;
using testing::StartsWith;
using Bytes = std::vector<BYTE>;

using test::kOff;
using test::kOn;

bool NoStartupApprovedValues() {
  for (HKEY root : {HKEY_LOCAL_MACHINE, HKEY_CURRENT_USER}) {
    for (const wchar_t* key : {kApprovedRun, kApprovedRun32, kApprovedFolder}) {
      if (test::RawKeyExists(root, key)) return false;
    }
  }
  return true;
}

class AutorunStateTest : public test::AutorunLocationsTest {
 protected:
  static AutorunList Listed() {
    AutorunList list;
    AddStartupFolders(list);
    AddRunKeys(list);
    return list;
  }
};

// ---- Windows 10 -----------------------------------------------------------------------------

TEST_F(AutorunStateTest, TheTestsRunAsWindows10AndAHelperCanRunAsWindows7) {
  ASSERT_TRUE(IsWindows10OrLater());
  for (const auto& [version, seen] : {std::pair{L"win7", "earlier\r\n"}, std::pair{L"win10", "windows10\r\n"}}) {
    const test::ProgramAsWindowsVersion helper(L"set_autorun_state.exe", version);
    const test::ProcessResult result = test::RunProcess(L"\"" + helper.Path() + L"\" SERV QuorvaneNoSuchService off");
    EXPECT_EQ(result.exitCode, 0u) << result.errors;
    EXPECT_EQ(result.output, seen);
  }
}

struct RunCase {
  const char* label;
  HKEY root;
  const wchar_t* runKey;
  std::wstring name;
  std::wstring target;  // as the switch is given it
  const wchar_t* approvedKey;
};

void PrintTo(const RunCase& c, std::ostream* out) { *out << c.label; }

class RunEntrySwitch : public AutorunStateTest, public testing::WithParamInterface<RunCase> {};

TEST_P(RunEntrySwitch, WritesTheStartupApprovedValueAndLeavesTheRunValue) {
  const RunCase& entry = GetParam();
  test::SetStringValue(entry.root, entry.runKey, entry.name, L"C:\\Vendor\\up.exe /bg");
  const Bytes seeded = test::RawValueBytes(entry.root, entry.runKey, entry.name);

  SetAutorunState(entry.target, RootKeyToName(entry.root, true), false);
  test::ExpectApprovedValue(entry.root, entry.approvedKey, entry.name, kOff);
  EXPECT_THAT(Listed(), ElementsAre(testing::Field(&TAutorunInfo::Enabled, false)));

  SetAutorunState(entry.target, RootKeyToName(entry.root, true), true);
  test::ExpectApprovedValue(entry.root, entry.approvedKey, entry.name, kOn);
  EXPECT_THAT(Listed(), ElementsAre(testing::Field(&TAutorunInfo::Enabled, true)));
  EXPECT_EQ(test::RawValueBytes(entry.root, entry.runKey, entry.name), seeded);
  // Only the one value is written.
  for (HKEY root : {HKEY_LOCAL_MACHINE, HKEY_CURRENT_USER}) {
    for (const wchar_t* key : {kApprovedRun, kApprovedRun32, kApprovedFolder}) {
      std::vector<std::wstring> names;
      TReg::ReadValueNames(root, key, names);
      if (root == entry.root && std::wstring(key) == entry.approvedKey) {
        EXPECT_THAT(names, ElementsAre(entry.name));
      } else {
        EXPECT_THAT(names, IsEmpty());
      }
    }
  }
}

const std::wstring kRun = L"\\Software\\Microsoft\\Windows\\CurrentVersion\\Run\\";
const std::wstring kRun32 = L"\\Software\\Wow6432Node\\Microsoft\\Windows\\CurrentVersion\\Run\\";

INSTANTIATE_TEST_SUITE_P(
    EachRunKey, RunEntrySwitch,
    testing::Values(
        RunCase{"Machine", HKEY_LOCAL_MACHINE, kRunKey, L"Updater", L"HKLM" + kRun + L"Updater", kApprovedRun},
        RunCase{"Machine32", HKEY_LOCAL_MACHINE, kRun32Key, L"Updater", L"HKLM" + kRun32 + L"Updater", kApprovedRun32},
        RunCase{"User", HKEY_CURRENT_USER, kRunKey, L"Updater", L"HKCU" + kRun + L"Updater", kApprovedRun},
        RunCase{"LowerCase", HKEY_LOCAL_MACHINE, kRun32Key, L"Updater",
                L"hklm\\software\\wow6432node\\microsoft\\windows\\currentversion\\run\\Updater", kApprovedRun32},
        // A value name may hold backslashes: the whole of it names the StartupApproved value.
        RunCase{"BackslashInName", HKEY_CURRENT_USER, kRunKey, L"Vendor\\Updater", L"HKCU" + kRun + L"Vendor\\Updater",
                kApprovedRun},
        RunCase{"Korean", HKEY_CURRENT_USER, kRunKey, L"\uCE74\uCE74\uC624\uD1A1",
                L"HKCU" + kRun + L"\uCE74\uCE74\uC624\uD1A1", kApprovedRun}),
    [](const testing::TestParamInfo<RunCase>& c) { return c.param.label; });

TEST_F(AutorunStateTest, StartupFilesAreSwitchedUnderTheRootOfTheirFolderByTheirWholeName) {
  test::WriteFileBytes(common_ + L"\\Tool.LNK", "common");
  test::WriteFileBytes(user_ + L"\\Tool.LNK", "user");

  SetAutorunState(common_ + L"\\Tool.LNK", L"FILE", false);
  test::ExpectApprovedValue(HKEY_LOCAL_MACHINE, kApprovedFolder, L"Tool.LNK", kOff);
  EXPECT_FALSE(test::RawKeyExists(HKEY_CURRENT_USER, kApprovedFolder));
  SetAutorunState(user_ + L"\\Tool.LNK", L"FILE", false);
  test::ExpectApprovedValue(HKEY_CURRENT_USER, kApprovedFolder, L"Tool.LNK", kOff);
  EXPECT_THAT(Listed(), ElementsAre(testing::Field(&TAutorunInfo::Enabled, false),
                                    testing::Field(&TAutorunInfo::Enabled, false)));

  SetAutorunState(common_ + L"\\Tool.LNK", L"FILE", true);
  test::ExpectApprovedValue(HKEY_LOCAL_MACHINE, kApprovedFolder, L"Tool.LNK", kOn);
  EXPECT_THAT(Listed(),
              ElementsAre(testing::Field(&TAutorunInfo::Enabled, true), testing::Field(&TAutorunInfo::Enabled, false)));
  EXPECT_EQ(test::ReadFileBytes(common_ + L"\\Tool.LNK"), "common");
  EXPECT_EQ(test::ReadFileBytes(user_ + L"\\Tool.LNK"), "user");
}

// ---- What the switch is given, whatever it is -----------------------------------------------------

struct OddInput {
  const char* label;
  std::wstring from;
  std::wstring target;
  HKEY writtenRoot;  // nullptr: nothing is written
  const wchar_t* writtenKey;
  std::wstring writtenName;
  bool throws;
};

void PrintTo(const OddInput& c, std::ostream* out) { *out << c.label; }

class OddSwitchInput : public AutorunStateTest, public testing::WithParamInterface<OddInput> {};

TEST_P(OddSwitchInput, DoesWhatItsKindSaysWithoutCrashing) {
  const OddInput& input = GetParam();
  // "<user>" stands for the user's Startup folder.
  const std::wstring target = input.target.starts_with(L"<user>") ? user_ + input.target.substr(6) : input.target;
  if (input.throws) {
    EXPECT_THROW(SetAutorunState(target, input.from, false), Error);
  } else {
    EXPECT_NO_THROW(SetAutorunState(target, input.from, false));
  }
  if (input.writtenRoot) {
    test::ExpectApprovedValue(input.writtenRoot, input.writtenKey, input.writtenName, kOff);
  } else {
    EXPECT_TRUE(NoStartupApprovedValues());
  }
}

INSTANTIATE_TEST_SUITE_P(
    Windows10, OddSwitchInput,
    testing::Values(OddInput{"TwoParts", L"HKLM", L"HKLM\\Run", nullptr, nullptr, L"", false},
                    OddInput{"OnePart", L"HKCU", L"Updater", nullptr, nullptr, L"", false},
                    OddInput{"Empty", L"HKCU", L"", nullptr, nullptr, L"", false},
                    OddInput{"UnknownRoot", L"HKCU", L"HKXX\\Software\\Run\\Updater", nullptr, nullptr, L"", false},
                    OddInput{"FilePathAsRunEntry", L"HKCU", L"C:\\Startup\\Tool.lnk", nullptr, nullptr, L"", false},
                    OddInput{"UnknownTagIsARunEntry", L"XYZ", L"HKCU" + kRun + L"Tool", HKEY_CURRENT_USER, kApprovedRun,
                             L"Tool", false},
                    OddInput{"LowerCaseFile", L"file", L"<user>\\Tool.lnk", HKEY_CURRENT_USER, kApprovedFolder,
                             L"Tool.lnk", false},
                    OddInput{"FolderOfNeitherStartup", L"FILE", L"C:\\Elsewhere\\Tool.lnk", HKEY_CURRENT_USER,
                             kApprovedFolder, L"Tool.lnk", false},
                    OddInput{"CommonFolderInOtherCase", L"FILE",
                             L"C:\\PROGRAMDATA\\Microsoft\\Windows\\Start Menu\\Programs\\StartUp\\Tool.lnk",
                             HKEY_CURRENT_USER, kApprovedFolder, L"Tool.lnk", false},
                    OddInput{"AngleBrackets", L"FILE", L"<user>\\Bad<Name>.lnk", nullptr, nullptr, L"", true},
                    OddInput{"Quote", L"FILE", L"C:\\a\\b\"c.lnk", nullptr, nullptr, L"", true},
                    OddInput{"Wildcard", L"FILE", L"C:\\a\\*.lnk", nullptr, nullptr, L"", true},
                    OddInput{"ControlCharacter", L"FILE", L"C:\\a\\tab\tname.lnk", nullptr, nullptr, L"", true}),
    [](const testing::TestParamInfo<OddInput>& c) { return c.param.label; });

// ---- Windows 7, in a helper process ------------------------------------------------------------------

class Windows7Switch : public AutorunStateTest {
 protected:
  test::ProcessResult Switch(const std::wstring& from, const std::wstring& target, bool enable) {
    const test::ProcessResult result =
        test::RunProcess(test::QuotedArgument(helper_.Path()) + L" " + test::QuotedArgument(from) + L" " +
                         test::QuotedArgument(target) + (enable ? L" on" : L" off"));
    EXPECT_EQ(result.output, "earlier\r\n");
    return result;
  }
  static std::vector<std::wstring> Backups() { return test::FolderEntries(test::BackupFolder()); }

  test::ProgramAsWindowsVersion helper_{L"set_autorun_state.exe", L"win7"};
};

TEST_F(Windows7Switch, SwitchingARunValueOffKeepsItInARegFileThatPutsItBack) {
  struct Seeded {
    HKEY root;
    const wchar_t* key;
    std::wstring target;
  };
  const Seeded entries[] = {{HKEY_LOCAL_MACHINE, kRunKey, L"HKLM" + kRun + L"Up date"},
                            {HKEY_LOCAL_MACHINE, kRun32Key, L"HKLM" + kRun32 + L"Up date"},
                            {HKEY_CURRENT_USER, kRunKey, L"HKCU" + kRun + L"Up date"}};
  const std::wstring command = L"\"%ProgramFiles%\\Vendor\\up.exe\" /tray \"quoted\"";
  for (const Seeded& entry : entries) {
    SCOPED_TRACE(ToUtf8(entry.target));
    test::ResetAutorunLocations();
    test::SetStringValue(entry.root, entry.key, L"Up date", command, REG_EXPAND_SZ);
    const Bytes original = test::RawValueBytes(entry.root, entry.key, L"Up date");

    const test::ProcessResult off = Switch(RootKeyToName(entry.root, true), entry.target, false);
    EXPECT_EQ(off.exitCode, 0u) << off.errors;
    EXPECT_FALSE(test::RawValueExists(entry.root, entry.key, L"Up date"));
    EXPECT_THAT(Listed(), IsEmpty());
    EXPECT_TRUE(NoStartupApprovedValues());

    // Switching on does nothing on Windows 7: the value comes back only from its backup.
    EXPECT_EQ(Switch(RootKeyToName(entry.root, true), entry.target, true).exitCode, 0u);
    EXPECT_FALSE(test::RawValueExists(entry.root, entry.key, L"Up date"));

    const std::vector<std::wstring> backups = Backups();
    ASSERT_THAT(backups, SizeIs(1));
    EXPECT_THAT(backups[0], testing::EndsWith(L" " + RootKeyToName(entry.root, true) + L" Up date.reg"));
    const test::ProcessResult imported =
        test::RunProcess(L"regedit.exe /S \"" + test::BackupFolder() + L"\\" + backups[0] + L"\"");
    ASSERT_EQ(imported.exitCode, 0u);
    DWORD type = REG_NONE;
    EXPECT_EQ(test::RawValueBytes(entry.root, entry.key, L"Up date", &type), original);
    EXPECT_EQ(type, static_cast<DWORD>(REG_EXPAND_SZ));
  }
}

// The catalogue lists values only; a subkey that happens to share the name is not the entry.
TEST_F(Windows7Switch, ASubkeyOfTheValuesNameIsLeftWhole) {
  test::SetStringValue(HKEY_CURRENT_USER, kRunKey, L"Tool", L"C:\\tool.exe");
  test::SetStringValue(HKEY_CURRENT_USER, std::wstring(kRunKey) + L"\\Tool", L"Inside", L"kept");
  EXPECT_EQ(Switch(L"HKCU", L"HKCU" + kRun + L"Tool", false).exitCode, 0u);
  EXPECT_FALSE(test::RawValueExists(HKEY_CURRENT_USER, kRunKey, L"Tool"));
  EXPECT_TRUE(test::RawValueExists(HKEY_CURRENT_USER, std::wstring(kRunKey) + L"\\Tool", L"Inside"));
}

TEST_F(Windows7Switch, SwitchingAStartupFileOffMovesItToTheBackupFolder) {
  test::WriteFileBytes(common_ + L"\\Shared Tool.lnk", "common bytes");
  test::WriteFileBytes(user_ + L"\\\uB3C4\uAD6C.exe", "user bytes");

  EXPECT_EQ(Switch(L"FILE", common_ + L"\\Shared Tool.lnk", false).exitCode, 0u);
  EXPECT_EQ(Switch(L"file", user_ + L"\\\uB3C4\uAD6C.exe", false).exitCode, 0u);
  EXPECT_THAT(Listed(), IsEmpty());
  EXPECT_TRUE(NoStartupApprovedValues());

  const std::vector<std::wstring> backups = Backups();
  ASSERT_THAT(backups, SizeIs(2));
  for (const std::wstring& name : backups) {
    const std::string bytes = test::ReadFileBytes(test::BackupFolder() + L"\\" + name);
    EXPECT_EQ(bytes, name.ends_with(L" Shared Tool.lnk") ? "common bytes" : "user bytes") << ToUtf8(name);
  }

  test::WriteFileBytes(user_ + L"\\Back.lnk", "x");
  EXPECT_EQ(Switch(L"FILE", user_ + L"\\Back.lnk", true).exitCode, 0u);
  EXPECT_TRUE(test::FileExists(user_ + L"\\Back.lnk"));
  EXPECT_TRUE(NoStartupApprovedValues());
}

TEST_F(Windows7Switch, OnlyFilesOfTheStartupFoldersAreMoved) {
  test::TempFolder elsewhere;
  test::WriteFileBytes(elsewhere.File(L"Tool.lnk"), "x");
  ASSERT_TRUE(CreateDirectoryW((user_ + L"\\Folder.lnk").c_str(), nullptr));
  for (const std::wstring& target : {elsewhere.File(L"Tool.lnk"), user_ + L"\\Folder.lnk", user_ + L"\\",
                                     user_ + L"\\.", user_ + L"\\..\\Startup\\..", user_}) {
    SCOPED_TRACE(ToUtf8(target));
    const test::ProcessResult result = Switch(L"FILE", target, false);
    EXPECT_EQ(result.exitCode, 0u) << result.errors;
  }
  EXPECT_TRUE(test::FileExists(elsewhere.File(L"Tool.lnk")));
  EXPECT_NE(GetFileAttributesW((user_ + L"\\Folder.lnk").c_str()), INVALID_FILE_ATTRIBUTES);
  EXPECT_NE(GetFileAttributesW(user_.c_str()), INVALID_FILE_ATTRIBUTES);
  EXPECT_THAT(Backups(), IsEmpty());
}

TEST_F(Windows7Switch, AFileThatCannotBeMovedIsAnErrorWithTheSystemsText) {
  const test::ProcessResult missing = Switch(L"FILE", user_ + L"\\Missing.lnk", false);
  EXPECT_EQ(missing.exitCode, 1u);
  EXPECT_THAT(missing.errors, StartsWith(ToUtf8(L"Cannot move " + user_ + L"\\Missing.lnk to the backup folder: ")));
  EXPECT_GT(missing.errors.size(), ToUtf8(L"Cannot move " + user_ + L"\\Missing.lnk to the backup folder: ").size());

  const test::ProcessResult invalid = Switch(L"FILE", user_ + L"\\Bad|Name.lnk", false);
  EXPECT_EQ(invalid.exitCode, 1u);
  EXPECT_THAT(invalid.errors, HasSubstr("Not a valid path"));
}

TEST_F(Windows7Switch, ValuesOutsideTheRunKeysAreLeftAlone) {
  test::ScratchKey scratch;
  test::SetStringValue(scratch.Root(), scratch.Path(), L"Name", L"kept");
  for (const std::wstring& target :
       {L"HKCU\\" + scratch.Path() + L"\\Name", std::wstring(L"HKCU\\Run"), std::wstring(L"")}) {
    EXPECT_EQ(Switch(L"HKCU", target, false).exitCode, 0u);
  }
  EXPECT_TRUE(test::RawValueExists(scratch.Root(), scratch.Path(), L"Name"));
  EXPECT_THAT(Backups(), IsEmpty());
}

// The version is asked at the call: the same program on the same entry writes the
// StartupApproved value as Windows 10 and takes the value away as Windows 7.
TEST_F(Windows7Switch, TheSameProgramAsWindows10RecordsTheStateInstead) {
  test::SetStringValue(HKEY_CURRENT_USER, kRunKey, L"Tool", L"C:\\tool.exe");
  const test::ProgramAsWindowsVersion windows10(L"set_autorun_state.exe", L"win10");
  const test::ProcessResult result =
      test::RunProcess(L"\"" + windows10.Path() + L"\" HKCU \"HKCU" + kRun + L"Tool\" off");
  EXPECT_EQ(result.output, "windows10\r\n");
  test::ExpectApprovedValue(HKEY_CURRENT_USER, kApprovedRun, L"Tool", kOff);
  EXPECT_TRUE(test::RawValueExists(HKEY_CURRENT_USER, kRunKey, L"Tool"));
  EXPECT_THAT(Backups(), IsEmpty());
}

}  // namespace
}  // namespace quorvane
