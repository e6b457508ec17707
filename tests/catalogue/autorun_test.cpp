#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <shlobj.h>

#include "catalogue/autorun.h"
#include "catalogue/sources.h"
#include "common/error.h"
#include "common/shell.h"
#include "support/autorun_locations.h"
#include "support/fake_task_scheduler.h"
#include "support/test_support.h"

namespace quorvane {
namespace {

using test::kApprovedFolder;
using test::kApprovedRun;
using test::kApprovedRun32;
using test::kRun32Key;
using test::kRunKey;
using testing::AllOf;
using testing::ElementsAre;
using testing::Field;
using testing::IsEmpty;
using testing::UnorderedElementsAre;

using Bytes = std::vector<BYTE>;
const Bytes kApprovedOn = {2, 0, 0, 0, 1, 2, 3, 4, 5, 6, 7, 8};
const Bytes kApprovedOff = {3, 0, 0, 0, 1, 2, 3, 4, 5, 6, 7, 8};

testing::Matcher<const TAutorunInfo&> Entry(const std::wstring& from, const std::wstring& caption,
                                            const std::wstring& target, bool enabled) {
  return AllOf(Field("From", &TAutorunInfo::From, from), Field("Caption", &TAutorunInfo::Caption, caption),
               Field("Target", &TAutorunInfo::Target, target), Field("Enabled", &TAutorunInfo::Enabled, enabled));
}

std::vector<std::wstring> Captions(const AutorunList& list) {
  std::vector<std::wstring> captions;
  for (const TAutorunInfo& entry : list) captions.push_back(entry.Caption);
  return captions;
}

class CatalogueTest : public test::AutorunLocationsTest {
 protected:
  // The entries of the two sources that the tests seed.
  static AutorunList Listed() {
    AutorunList list;
    AddStartupFolders(list);
    AddRunKeys(list);
    return list;
  }
  static void Touch(const std::wstring& folder, const std::wstring& name) {
    test::WriteFileBytes(folder + L'\\' + name, "x");
  }
};

// ---- Run keys ------------------------------------------------------------------------------

TEST_F(CatalogueTest, RunValuesGiveEntriesNamedByRootKeyAndValue) {
  test::SetStringValue(HKEY_LOCAL_MACHINE, kRunKey, L"Updater", L"\"C:\\Program Files\\Vendor\\up.exe\" /bg");
  test::SetStringValue(HKEY_LOCAL_MACHINE, kRun32Key, L"Updater", L"C:\\Vendor32\\up.exe");
  test::SetStringValue(HKEY_CURRENT_USER, kRunKey, L"Updater", L"C:\\Vendor\\up.exe");

  const AutorunList list = Listed();
  ASSERT_THAT(
      list, ElementsAre(
                Entry(L"HKLM", L"Updater", L"HKLM\\Software\\Microsoft\\Windows\\CurrentVersion\\Run\\Updater", true),
                Entry(L"HKLM", L"Updater",
                      L"HKLM\\Software\\Wow6432Node\\Microsoft\\Windows\\CurrentVersion\\Run\\Updater", true),
                Entry(L"HKCU", L"Updater", L"HKCU\\Software\\Microsoft\\Windows\\CurrentVersion\\Run\\Updater", true)));
  EXPECT_EQ(list[0].RawData, L"\"C:\\Program Files\\Vendor\\up.exe\" /bg");
  EXPECT_EQ(list[0].FileName, L"C:\\Program Files\\Vendor\\up.exe");
  EXPECT_EQ(list[1].FileName, L"C:\\Vendor32\\up.exe");
}

TEST_F(CatalogueTest, EachRunKeyReadsItsStateFromItsOwnStartupApprovedKey) {
  for (const wchar_t* key : {kRunKey, kRun32Key}) test::SetStringValue(HKEY_LOCAL_MACHINE, key, L"Updater", L"up.exe");
  test::SetStringValue(HKEY_CURRENT_USER, kRunKey, L"Updater", L"up.exe");

  test::SetBinaryValue(HKEY_LOCAL_MACHINE, kApprovedRun32, L"Updater", kApprovedOff);
  EXPECT_THAT(Listed(), ElementsAre(Field(&TAutorunInfo::Enabled, true), Field(&TAutorunInfo::Enabled, false),
                                    Field(&TAutorunInfo::Enabled, true)));

  test::SetBinaryValue(HKEY_LOCAL_MACHINE, kApprovedRun32, L"Updater", kApprovedOn);
  test::SetBinaryValue(HKEY_LOCAL_MACHINE, kApprovedRun, L"Updater", kApprovedOff);
  EXPECT_THAT(Listed(), ElementsAre(Field(&TAutorunInfo::Enabled, false), Field(&TAutorunInfo::Enabled, true),
                                    Field(&TAutorunInfo::Enabled, true)));

  test::SetBinaryValue(HKEY_LOCAL_MACHINE, kApprovedRun, L"Updater", kApprovedOn);
  test::SetBinaryValue(HKEY_CURRENT_USER, kApprovedRun, L"Updater", kApprovedOff);
  EXPECT_THAT(Listed(), ElementsAre(Field(&TAutorunInfo::Enabled, true), Field(&TAutorunInfo::Enabled, true),
                                    Field(&TAutorunInfo::Enabled, false)));
}

TEST_F(CatalogueTest, ExpandableValuesKeepTheirTextAndResolveKnownPlaceholders) {
  test::SetStringValue(HKEY_CURRENT_USER, kRunKey, L"Tray", L"%ProgramFiles%\\Vendor\\tray.exe --hidden",
                       REG_EXPAND_SZ);
  test::SetStringValue(HKEY_CURRENT_USER, kRunKey, L"Env", L"%USERPROFILE%\\x.exe", REG_EXPAND_SZ);
  const AutorunList list = Listed();
  ASSERT_EQ(list.size(), 2u);
  const auto& env = list[0].Caption == L"Env" ? list[0] : list[1];
  const auto& tray = list[0].Caption == L"Tray" ? list[0] : list[1];
  EXPECT_EQ(tray.RawData, L"%ProgramFiles%\\Vendor\\tray.exe --hidden");
  EXPECT_EQ(tray.FileName, GetSpecialFolderPath(CSIDL_PROGRAM_FILES) + L"\\Vendor\\tray.exe");
  EXPECT_EQ(env.RawData, L"%USERPROFILE%\\x.exe");
  EXPECT_EQ(env.FileName, L"%USERPROFILE%\\x.exe");
}

TEST_F(CatalogueTest, TheDefaultValueGivesAnEntryWithoutCaption) {
  test::SetStringValue(HKEY_CURRENT_USER, kRunKey, L"", L"C:\\a.exe");
  EXPECT_THAT(Listed(),
              ElementsAre(Entry(L"HKCU", L"", L"HKCU\\Software\\Microsoft\\Windows\\CurrentVersion\\Run\\", true)));
}

TEST_F(CatalogueTest, ValuesOfEveryTypeAndShapeStillGiveTheirEntries) {
  const std::wstring key = kRunKey;
  const DWORD number = 1;
  const BYTE binary[] = {'C', 0, ':', 0, '\\', 0};
  const wchar_t multi[] = L"C:\\a.exe\0C:\\b.exe\0";
  const wchar_t text[] = L"C:\\odd.exe";
  const std::wstring longName(16383, L'L');
  const std::wstring big = L"C:\\big.exe " + std::wstring(1 << 20, L'a');
  test::SetRawValue(HKEY_CURRENT_USER, key, L"binary", REG_BINARY, binary, sizeof binary);
  test::SetRawValue(HKEY_CURRENT_USER, key, L"dword", REG_DWORD, &number, sizeof number);
  test::SetRawValue(HKEY_CURRENT_USER, key, L"multi", REG_MULTI_SZ, multi, sizeof multi);
  test::SetRawValue(HKEY_CURRENT_USER, key, L"none", REG_NONE, nullptr, 0);
  test::SetRawValue(HKEY_CURRENT_USER, key, L"odd", REG_SZ, text, 5 * sizeof(wchar_t) + 1);
  test::SetRawValue(HKEY_CURRENT_USER, key, L"unterminated", REG_SZ, text, (sizeof text) - sizeof(wchar_t));
  test::SetStringValue(HKEY_CURRENT_USER, key, L"big", big);
  test::SetStringValue(HKEY_CURRENT_USER, key, longName, L"C:\\long.exe");

  const AutorunList list = Listed();
  EXPECT_THAT(Captions(list),
              UnorderedElementsAre(L"binary", L"dword", L"multi", L"none", L"odd", L"unterminated", L"big", longName));
  for (const TAutorunInfo& entry : list) {
    SCOPED_TRACE(testing::PrintToString(entry.Caption.substr(0, 20)));
    if (entry.Caption == L"odd") {
      EXPECT_EQ(entry.RawData, L"C:\\od");
    } else if (entry.Caption == L"unterminated") {
      EXPECT_EQ(entry.RawData, L"C:\\odd.exe");
    } else if (entry.Caption == L"big") {
      EXPECT_EQ(entry.RawData, big);
      EXPECT_EQ(entry.FileName, L"C:\\big.exe");
    } else if (entry.Caption == longName) {
      EXPECT_EQ(entry.Target, L"HKCU\\" + key + L"\\" + longName);
    } else {
      EXPECT_EQ(entry.RawData, L"");
      EXPECT_EQ(entry.FileName, L"");
    }
  }
}

TEST_F(CatalogueTest, AMissingRunKeyAddsNothingAndTheOthersAreStillRead) {
  test::DeleteRawTree(HKEY_LOCAL_MACHINE, kRun32Key);
  test::SetStringValue(HKEY_LOCAL_MACHINE, kRunKey, L"Machine", L"m.exe");
  test::SetStringValue(HKEY_CURRENT_USER, kRunKey, L"User", L"u.exe");
  EXPECT_THAT(Captions(Listed()), ElementsAre(L"Machine", L"User"));
}

// ---- The StartupApproved value ---------------------------------------------------------------

struct ApprovedCase {
  const char* name;
  DWORD type;
  Bytes data;
  bool enabled;
};

class ApprovedValue : public testing::TestWithParam<ApprovedCase> {};

TEST_P(ApprovedValue, OnlyTwelveBytesWithAFirstByteOtherThanTwoMeanSwitchedOff) {
  test::ScratchKey scratch;
  test::SetRawValue(scratch.Root(), scratch.Path(), L"Entry", GetParam().type, GetParam().data.data(),
                    GetParam().data.size());
  EXPECT_EQ(IsApproved(scratch.Root(), scratch.Path(), L"Entry"), GetParam().enabled);
}

Bytes Twelve(BYTE first) { return {first, 0, 0, 0, 0x10, 0x20, 0x30, 0x40, 0x50, 0x60, 0x70, 0x01}; }

INSTANTIATE_TEST_SUITE_P(ReadRule, ApprovedValue,
                         testing::Values(ApprovedCase{"Length0", REG_BINARY, {}, true},
                                         ApprovedCase{"Length1Off", REG_BINARY, {3}, true},
                                         ApprovedCase{"Length8Off", REG_BINARY, {3, 0, 0, 0, 1, 2, 3, 4}, true},
                                         ApprovedCase{"Length11Off", REG_BINARY, Bytes(11, 3), true},
                                         ApprovedCase{"Length12On", REG_BINARY, Twelve(2), true},
                                         ApprovedCase{"Length12Off", REG_BINARY, Twelve(3), false},
                                         ApprovedCase{"Length12Six", REG_BINARY, Twelve(6), false},
                                         ApprovedCase{"Length12Zero", REG_BINARY, Twelve(0), false},
                                         ApprovedCase{"Length13Off", REG_BINARY, Bytes(13, 3), true},
                                         ApprovedCase{"DwordOff", REG_DWORD, {3, 0, 0, 0}, true},
                                         ApprovedCase{"QwordOff", REG_QWORD, {3, 0, 0, 0, 0, 0, 0, 0}, true},
                                         // The type is not examined: twelve bytes of any type follow the rule.
                                         ApprovedCase{"UntypedTwelveOff", REG_NONE, Twelve(3), false}),
                         [](const testing::TestParamInfo<ApprovedCase>& testCase) { return testCase.param.name; });

TEST(ApprovedValue, AMissingValueOrKeyMeansEnabled) {
  test::ScratchKey scratch;
  EXPECT_TRUE(IsApproved(scratch.Root(), scratch.Path(), L"absent"));
  EXPECT_TRUE(IsApproved(scratch.Root(), scratch.Below(L"missing"), L"absent"));
}

ULONGLONG Now() {
  FILETIME now{};
  GetSystemTimeAsFileTime(&now);
  return (ULONGLONG{now.dwHighDateTime} << 32) | now.dwLowDateTime;
}

TEST(MakeApprovedData, IsTheStateThenThreeZerosThenTheUtcTimeOfWriting) {
  for (bool enable : {true, false}) {
    const ULONGLONG before = Now() / 10000 * 10000;  // the system time is read to the millisecond
    const TReg::Bytes data = MakeApprovedData(enable);
    const ULONGLONG after = Now();
    ASSERT_EQ(data.size(), 12u);
    EXPECT_THAT(std::vector<BYTE>(data.begin(), data.begin() + 4), ElementsAre(enable ? 2 : 3, 0, 0, 0));
    ULONGLONG written = 0;
    for (int i = 11; i >= 4; --i) written = (written << 8) | data[i];
    EXPECT_GE(written, before);
    EXPECT_LE(written, after);
  }
}

// ---- Startup folders -----------------------------------------------------------------------

TEST_F(CatalogueTest, StartupFolderFilesWithTheSixExtensionsGiveEntries) {
  for (const wchar_t* name :
       {L"Tool.LNK", L"Report.pdf", L"desktop.ini", L"Tool.lnk.off", L"Two.Dots.cmd", L".lnk", L"noextension",
        L"\uB3C4\uAD6C.exe", L"\u00DCnic\u00F8de.Url", L"Batch.bat", L"Old.COM", L"Trailing.", L"Hidden.exe"}) {
    Touch(user_, name);
  }
  SetFileAttributesW((user_ + L"\\Hidden.exe").c_str(), FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM);
  CreateDirectoryW((user_ + L"\\Folder.lnk").c_str(), nullptr);
  Touch(user_ + L"\\Folder.lnk", L"Inside.exe");

  const AutorunList list = Listed();
  EXPECT_THAT(Captions(list), UnorderedElementsAre(L"Tool", L"Two.Dots", L"", L"\uB3C4\uAD6C", L"\u00DCnic\u00F8de",
                                                   L"Batch", L"Old", L"Hidden"));
  for (const TAutorunInfo& entry : list) {
    EXPECT_EQ(entry.From, L"FILE");
    EXPECT_EQ(entry.RawData, L"");
    EXPECT_EQ(entry.FileName, entry.Target);
    EXPECT_TRUE(entry.Enabled);
  }
  EXPECT_THAT(list, testing::Contains(Entry(L"FILE", L"Tool", user_ + L"\\Tool.LNK", true)));
}

TEST_F(CatalogueTest, EachFolderReadsItsStateUnderItsOwnRootWithTheWholeFileName) {
  Touch(common_, L"Tool.LNK");
  Touch(user_, L"Tool.LNK");
  test::SetBinaryValue(HKEY_LOCAL_MACHINE, kApprovedFolder, L"Tool.LNK", kApprovedOff);
  test::SetBinaryValue(HKEY_CURRENT_USER, kApprovedFolder, L"Tool", kApprovedOff);
  EXPECT_THAT(Listed(), ElementsAre(Entry(L"FILE", L"Tool", common_ + L"\\Tool.LNK", false),
                                    Entry(L"FILE", L"Tool", user_ + L"\\Tool.LNK", true)));

  test::SetBinaryValue(HKEY_LOCAL_MACHINE, kApprovedFolder, L"Tool.LNK", kApprovedOn);
  test::SetBinaryValue(HKEY_CURRENT_USER, kApprovedFolder, L"tool.lnk", kApprovedOff);
  EXPECT_THAT(Listed(), ElementsAre(Field(&TAutorunInfo::Enabled, true), Field(&TAutorunInfo::Enabled, false)));
}

TEST_F(CatalogueTest, AFolderThatCannotBeListedAddsNothing) {
  AutorunList list;
  AddStartupFolder(L"", list);
  AddStartupFolder(user_ + L"\\missing", list);
  Touch(user_, L"file.lnk");
  AddStartupFolder(user_ + L"\\file.lnk", list);
  EXPECT_THAT(list, IsEmpty());
}

TEST_F(CatalogueTest, AMissingUserStartupFolderLeavesTheOtherSourcesInPlace) {
  Touch(common_, L"Common.lnk");
  test::SetStringValue(HKEY_CURRENT_USER, kRunKey, L"User", L"u.exe");
  ASSERT_TRUE(RemoveDirectoryW(user_.c_str()));
  EXPECT_THAT(Captions(Listed()), ElementsAre(L"Common", L"User"));
}

// ---- The whole refresh -----------------------------------------------------------------------

std::vector<std::wstring> Sources(const AutorunList& list) {
  std::vector<std::wstring> sources;
  for (const TAutorunInfo& entry : list) {
    if (sources.empty() || sources.back() != entry.From) sources.push_back(entry.From);
  }
  return sources;
}

class WholeRefreshTest : public CatalogueTest {
 protected:
  void SeedFoldersAndRunKeys() {
    test::SetStringValue(HKEY_CURRENT_USER, kRunKey, L"UserRun", L"u.exe");
    test::SetStringValue(HKEY_LOCAL_MACHINE, kRun32Key, L"Machine32", L"m32.exe");
    test::SetStringValue(HKEY_LOCAL_MACHINE, kRunKey, L"Machine", L"m.exe");
    Touch(user_, L"UserFile.lnk");
    Touch(common_, L"CommonFile.lnk");
    scheduler_.SetTasks({{L"\\Nightly", true, false}, {L"\\Weekly", false, false}});
  }

  test::FakeTaskScheduler scheduler_;
};

TEST_F(WholeRefreshTest, ListsFoldersThenRunKeysThenTasksThenServicesFromAnEmptyList) {
  SeedFoldersAndRunKeys();
  const test::TestService service(SERVICE_AUTO_START, L"C:\\Vendor\\svc.exe -run");

  AutorunList list(3);
  RefreshAutorunList(list);
  EXPECT_THAT(Sources(list), ElementsAre(L"FILE", L"HKLM", L"HKCU", L"SCHE", L"SERV"));
  const std::vector<std::wstring> captions = Captions(list);
  EXPECT_THAT(std::vector<std::wstring>(captions.begin(), captions.begin() + 7),
              ElementsAre(L"CommonFile", L"UserFile", L"Machine", L"Machine32", L"UserRun", L"Nightly", L"Weekly"));
  EXPECT_THAT(list, testing::Contains(Entry(L"SERV", service.DisplayName(), service.Name(), true)));

  AutorunList again;
  RefreshAutorunList(again);
  EXPECT_EQ(Captions(again), captions);
}

TEST_F(WholeRefreshTest, EmptyLocationsLeaveOnlyTheSystemsServices) {
  AutorunList list;
  RefreshAutorunList(list);
  EXPECT_THAT(Sources(list), ElementsAre(L"SERV"));
}

// A Task Scheduler that cannot be reached ends the refresh: what the Startup folders and Run
// keys gave stays, the services are not read, and the error goes on to the caller.
TEST_F(WholeRefreshTest, AnErrorFromTheTaskSourceEndsTheRefreshThere) {
  SeedFoldersAndRunKeys();
  for (const wchar_t* call : {L"CreateInstance", L"Connect"}) {
    scheduler_.FailAt(call, HRESULT_FROM_WIN32(ERROR_SERVICE_NOT_ACTIVE));
    AutorunList list;
    EXPECT_THROW(RefreshAutorunList(list), Error);
    EXPECT_THAT(Captions(list), ElementsAre(L"CommonFile", L"UserFile", L"Machine", L"Machine32", L"UserRun"));
  }
}

TEST(SourceKindOf, TellsTheFourKindsApartWithoutRegardToCase) {
  EXPECT_EQ(SourceKindOf(L"FILE"), SourceKind::StartupFile);
  EXPECT_EQ(SourceKindOf(L"file"), SourceKind::StartupFile);
  EXPECT_EQ(SourceKindOf(L"Sche"), SourceKind::Task);
  EXPECT_EQ(SourceKindOf(L"serv"), SourceKind::Service);
  EXPECT_EQ(SourceKindOf(L"HKCU"), SourceKind::Registry);
  EXPECT_EQ(SourceKindOf(L"FILES"), SourceKind::Registry);
  EXPECT_EQ(SourceKindOf(L""), SourceKind::Registry);
}

}  // namespace
}  // namespace quorvane
