// The console companion as a script meets it: a separate process, its output, its exit status.
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <shlobj.h>

#include <cstdint>
#include <functional>
#include <map>
#include <nlohmann/json.hpp>
#include <set>

#include "catalogue/autorun.h"
#include "catalogue/saved_list.h"
#include "common/error.h"
#include "common/scoped.h"
#include "common/shell.h"
#include "common/text.h"
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
using testing::ElementsAre;
using testing::HasSubstr;
using testing::IsEmpty;
using testing::StartsWith;

const std::vector<BYTE> kSwitchedOff = {3, 0, 0, 0, 1, 2, 3, 4, 5, 6, 7, 8};

test::ProcessResult Quorvanec(const std::wstring& arguments) {
  return test::RunProcess(L"\"" + test::ProgramBesideTest(L"quorvanec.exe") + L"\" " + arguments);
}

// quorvanec enable|disable FROM TARGET, run as given: a program beside the test, or a copy that
// Wine runs as another Windows version.
test::ProcessResult Switch(const std::wstring& program, const std::wstring& command, const std::wstring& from,
                           const std::wstring& target) {
  return test::RunProcess(test::QuotedArgument(program) + L" " + command + L" " + test::QuotedArgument(from) + L" " +
                          test::QuotedArgument(target));
}

test::ProcessResult Switch(const std::wstring& command, const std::wstring& from, const std::wstring& target) {
  return Switch(test::ProgramBesideTest(L"quorvanec.exe"), command, from, target);
}

// The names of the Win32 services as the Service Control Manager lists them now.
std::set<std::string> SystemServices() {
  const ScopedServiceHandle manager(OpenSCManagerW(nullptr, nullptr, SC_MANAGER_ENUMERATE_SERVICE));
  std::vector<std::uint64_t> buffer(1 << 17);
  DWORD needed = 0;
  DWORD count = 0;
  DWORD resume = 0;
  EnumServicesStatusW(manager.Get(), SERVICE_WIN32, SERVICE_STATE_ALL,
                      reinterpret_cast<ENUM_SERVICE_STATUSW*>(buffer.data()), static_cast<DWORD>(buffer.size() * 8),
                      &needed, &count, &resume);
  std::set<std::string> names;
  const auto* services = reinterpret_cast<const ENUM_SERVICE_STATUSW*>(buffer.data());
  for (DWORD i = 0; i < count; ++i) names.insert(ToUtf8(services[i].lpServiceName));
  return names;
}

bool ServiceExists(const std::string& name) {
  const ScopedServiceHandle manager(OpenSCManagerW(nullptr, nullptr, SC_MANAGER_CONNECT));
  return ScopedServiceHandle(OpenServiceW(manager.Get(), FromUtf8(name).c_str(), SERVICE_QUERY_STATUS)) ? true : false;
}

// A table line split at its column gaps of two spaces or more.
std::vector<std::wstring> Columns(const std::wstring& line) {
  std::vector<std::wstring> columns;
  std::size_t start = 0;
  while (start < line.size()) {
    std::size_t gap = line.find(L"  ", start);
    if (gap == std::wstring::npos) gap = line.size();
    columns.push_back(line.substr(start, gap - start));
    start = line.find_first_not_of(L' ', gap);
    if (start == std::wstring::npos) break;
  }
  return columns;
}

nlohmann::ordered_json Listed(const test::ProcessResult& result) {
  EXPECT_EQ(result.exitCode, 0u) << result.errors;
  return nlohmann::ordered_json::parse(result.output);
}

// The entry of the catalogue that quorvanec lists now with this source and target.
nlohmann::ordered_json ListedEntry(const std::string& from, const std::wstring& target) {
  for (const auto& entry : Listed(Quorvanec(L"list --json"))) {
    if (entry["from"] == from && entry["target"] == ToUtf8(target)) return entry;
  }
  return nullptr;
}

class QuorvanecTest : public test::AutorunLocationsTest {
 protected:
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
  test::FakeTaskScheduler scheduler_;
};

// The Startup folders, the Run keys and the tasks hold exactly what the test put there; of
// the services, the test's own come out exactly, beside those that Wine runs.
TEST_F(QuorvanecTest, ListJsonShowsTheFourSourcesInOrderWithExactlyWhatWasSeeded) {
  Seed();
  scheduler_.SetTasks({{L"\\Nightly", true, false}, {L"\\Hidden", true, true}, {L"\\Weekly", false, false}});
  const std::wstring hostCommand = L"C:\\windows\\system32\\svchost.exe -k QuorvaneGroup -p";
  const test::TestService automatic(SERVICE_AUTO_START, L"\"C:\\Program Files\\Vendor\\svc.exe\" --run");
  const test::TestService hosted(SERVICE_DEMAND_START, hostCommand);
  const std::set<std::string> wineServices = SystemServices();

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
      {{"from", "SCHE"}, {"caption", "Nightly"}, {"target", "\\Nightly"}, {"fileName", ""}, {"rawData", ""},
       {"enabled", true}},
      {{"from", "SCHE"}, {"caption", "Weekly"}, {"target", "\\Weekly"}, {"fileName", ""}, {"rawData", ""},
       {"enabled", false}},
  });
  const auto ServiceJson = [](const test::TestService& service, const std::wstring& command, bool enabled) {
    return nlohmann::ordered_json{{"from", "SERV"}, {"caption", ToUtf8(service.DisplayName())},
                                  {"target", ToUtf8(service.Name())}, {"fileName", ToUtf8(command)},
                                  {"rawData", ToUtf8(command)}, {"enabled", enabled}};
  };
  const std::map<std::string, nlohmann::ordered_json> ownServices = {
      {ToUtf8(automatic.Name()), ServiceJson(automatic, L"\"C:\\Program Files\\Vendor\\svc.exe\" --run", true)},
      {ToUtf8(hosted.Name()), ServiceJson(hosted, hostCommand, false)}};

  const auto listed = nlohmann::ordered_json::parse(result.output);
  ASSERT_GT(listed.size(), expected.size());
  EXPECT_EQ(nlohmann::ordered_json(std::vector(listed.begin(), listed.begin() + expected.size())), expected)
      << result.output;
  std::set<std::string> serviceNames;
  for (auto entry = listed.begin() + expected.size(); entry != listed.end(); ++entry) {
    ASSERT_EQ((*entry)["from"], "SERV") << entry->dump();
    const std::string name = (*entry)["target"];
    EXPECT_TRUE(serviceNames.insert(name).second) << "listed twice: " << name;
    if (ownServices.contains(name)) {
      EXPECT_EQ(*entry, ownServices.at(name));
    } else {
      EXPECT_TRUE(ServiceExists(name)) << name;
    }
  }
  for (const auto& [name, json] : ownServices) EXPECT_TRUE(serviceNames.contains(name)) << name;
  for (const std::string& name : wineServices) EXPECT_TRUE(serviceNames.contains(name)) << name;
}

TEST_F(QuorvanecTest, ListPrintsATableInCatalogueOrderAsUtf8WhenRedirected) {
  Seed();
  const test::ProcessResult result = Quorvanec(L"list");
  ASSERT_EQ(result.exitCode, 0u) << result.errors;
  const std::wstring table = FromUtf8(result.output);
  // The header, the six seeded entries (no tasks), then the services.
  std::vector<std::vector<std::wstring>> rows;
  for (std::size_t start = 0, end; (end = table.find(L"\r\n", start)) != std::wstring::npos; start = end + 2) {
    rows.push_back(Columns(table.substr(start, end - start)));
  }
  ASSERT_GT(rows.size(), 7u);
  EXPECT_THAT(rows[0], ElementsAre(L"State", L"Source", L"Caption", L"Target"));
  EXPECT_THAT(rows[2], ElementsAre(L"off", L"FILE", L"\uB3C4\uAD6C", user_ + L"\\\uB3C4\uAD6C.exe"));
  EXPECT_THAT(rows[6], ElementsAre(L"on", L"HKCU", L"Sync|Me",
                                   L"HKCU\\Software\\Microsoft\\Windows\\CurrentVersion\\Run\\Sync|Me"));
  for (std::size_t i = 7; i < rows.size(); ++i) EXPECT_EQ(rows[i].at(1), L"SERV");
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
  ASSERT_GT(catalogue.size(), 6u);
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

// ---- Switching entries -------------------------------------------------------------------------------

TEST_F(QuorvanecTest, DisableAndEnableRoundTripEachKindOfEntryOnWindows10) {
  Seed();
  scheduler_.SetTasks({{L"\\Nightly", true, false}});
  const test::TestService service(SERVICE_DEMAND_START, L"C:\\Vendor\\svc.exe -k group");
  const std::wstring runTarget = L"HKLM\\Software\\Microsoft\\Windows\\CurrentVersion\\Run\\Agent";
  const std::wstring fileTarget = common_ + L"\\Shared Tool.lnk";

  struct Entry {
    std::wstring from;
    std::wstring target;
    std::function<void(bool enabled)> expectRecorded;
  };
  const Entry entries[] = {
      {L"HKLM", runTarget,
       [](bool enabled) {
         test::ExpectApprovedValue(HKEY_LOCAL_MACHINE, kApprovedRun, L"Agent", enabled ? test::kOn : test::kOff);
       }},
      {L"FILE", fileTarget,
       [](bool enabled) {
         test::ExpectApprovedValue(HKEY_LOCAL_MACHINE, kApprovedFolder, L"Shared Tool.lnk",
                                   enabled ? test::kOn : test::kOff);
       }},
      {L"SERV", service.Name(),
       [&service](bool enabled) {
         EXPECT_EQ(service.StartType(), static_cast<DWORD>(enabled ? SERVICE_AUTO_START : SERVICE_DISABLED));
       }},
      {L"SCHE", L"\\Nightly",
       [this](bool enabled) {
         EXPECT_THAT(scheduler_.Tasks(), ElementsAre(test::FakeTask{L"\\Nightly", enabled, false}));
       }},
  };
  for (const Entry& entry : entries) {
    SCOPED_TRACE(ToUtf8(entry.from + L" " + entry.target));
    for (bool enable : {false, true}) {
      const test::ProcessResult result = Switch(enable ? L"enable" : L"disable", entry.from, entry.target);
      EXPECT_EQ(result.exitCode, 0u) << result.errors;
      EXPECT_THAT(result.output, IsEmpty());
      EXPECT_THAT(result.errors, IsEmpty());
      entry.expectRecorded(enable);
      EXPECT_EQ(ListedEntry(ToUtf8(entry.from), entry.target)["enabled"], enable);
    }
  }
  EXPECT_TRUE(test::FileExists(fileTarget));
  EXPECT_TRUE(test::RawValueExists(HKEY_LOCAL_MACHINE, kRunKey, L"Agent"));
}

struct FailedSwitch {
  const char* label;
  std::wstring from;
  std::wstring target;
  const wchar_t* failingCall;  // of the Task Scheduler double, or empty
  std::string reason;
};

void PrintTo(const FailedSwitch& c, std::ostream* out) { *out << c.label; }

class QuorvanecFailedSwitch : public QuorvanecTest, public testing::WithParamInterface<FailedSwitch> {};

TEST_P(QuorvanecFailedSwitch, EndsWithStatusOneAndItsReasonOnOneLine) {
  Seed();
  scheduler_.SetTasks({{L"\\Nightly", true, false}});
  const FailedSwitch& c = GetParam();
  if (*c.failingCall) scheduler_.FailAt(c.failingCall, HRESULT_FROM_WIN32(ERROR_SERVICE_NOT_ACTIVE));
  const test::ProcessResult result = Switch(L"disable", c.from, c.target);
  EXPECT_EQ(result.exitCode, 1u);
  EXPECT_THAT(result.output, IsEmpty());
  EXPECT_EQ(result.errors, "quorvanec: " + c.reason + "\r\n");
  EXPECT_EQ(scheduler_.Tasks(), std::vector<test::FakeTask>({{L"\\Nightly", true, false}}));
  EXPECT_FALSE(test::RawKeyExists(HKEY_CURRENT_USER, kApprovedRun));
}

INSTANTIATE_TEST_SUITE_P(
    Reasons, QuorvanecFailedSwitch,
    testing::Values(
        FailedSwitch{
            "NoSuchEntry", L"HKCU", L"HKCU\\Software\\Microsoft\\Windows\\CurrentVersion\\Run\\Nope", L"",
            "no such entry in the catalogue: HKCU HKCU\\Software\\Microsoft\\Windows\\CurrentVersion\\Run\\Nope"},
        // Source and target are taken exactly as list prints them.
        FailedSwitch{
            "TagInOtherCase", L"hkcu", L"HKCU\\Software\\Microsoft\\Windows\\CurrentVersion\\Run\\Sync|Me", L"",
            "no such entry in the catalogue: hkcu HKCU\\Software\\Microsoft\\Windows\\CurrentVersion\\Run\\Sync|Me"},
        FailedSwitch{"TaskRefusesTheSwitch", L"SCHE", L"\\Nightly", L"put_Enabled Nightly",
                     "the entry's state is unchanged: SCHE \\Nightly"},
        FailedSwitch{"SchedulerUnreachable", L"HKCU",
                     L"HKCU\\Software\\Microsoft\\Windows\\CurrentVersion\\Run\\Sync|Me", L"Connect",
                     "Cannot connect to the Task Scheduler: " + ToUtf8(SystemMessage(ERROR_SERVICE_NOT_ACTIVE)) +
                         " (0x80070426)"}),
    [](const testing::TestParamInfo<FailedSwitch>& c) { return c.param.label; });

// On Windows 7 switching a Run or Startup-folder entry off takes it out of the catalogue (into
// the backup folder), and switching on changes nothing.
TEST_F(QuorvanecTest, OnWindows7SwitchingOffRemovesTheEntryAndSwitchingOnIsRefused) {
  Seed();
  const test::ProgramAsWindowsVersion windows7(L"quorvanec.exe", L"win7");
  const std::wstring syncTarget = L"HKCU\\Software\\Microsoft\\Windows\\CurrentVersion\\Run\\Sync|Me";

  test::ProcessResult result = Switch(windows7.Path(), L"disable", L"HKCU", syncTarget);
  EXPECT_EQ(result.exitCode, 0u) << result.errors;
  result = Switch(windows7.Path(), L"disable", L"FILE", common_ + L"\\Shared Tool.lnk");
  EXPECT_EQ(result.exitCode, 0u) << result.errors;
  EXPECT_EQ(ListedEntry("HKCU", syncTarget), nullptr);
  EXPECT_EQ(ListedEntry("FILE", common_ + L"\\Shared Tool.lnk"), nullptr);
  EXPECT_EQ(test::FolderEntries(test::BackupFolder()).size(), 2u);

  // The user's Startup-folder entry is switched off the Windows 10 way; Windows 7 cannot
  // switch it on.
  const std::wstring offTarget = user_ + L"\\\uB3C4\uAD6C.exe";
  result = Switch(windows7.Path(), L"enable", L"FILE", offTarget);
  EXPECT_EQ(result.exitCode, 1u);
  EXPECT_EQ(result.errors, "quorvanec: the entry's state is unchanged: FILE " + ToUtf8(offTarget) + "\r\n");
}

class QuorvanecUsage : public testing::TestWithParam<const wchar_t*> {};

TEST_P(QuorvanecUsage, AWrongCommandLineGetsTheUsageAndStatusTwo) {
  const test::ProcessResult result = Quorvanec(GetParam());
  EXPECT_EQ(result.exitCode, 2u);
  EXPECT_THAT(result.output, IsEmpty());
  EXPECT_EQ(result.errors,
            "usage: quorvanec list [--json] | quorvanec save FILE | quorvanec enable|disable FROM TARGET\r\n");
}

INSTANTIATE_TEST_SUITE_P(WrongCommandLines, QuorvanecUsage,
                         testing::Values(L"", L"lst", L"LIST", L"list --xml", L"list --json extra", L"--json list",
                                         L"save", L"save \"\"", L"save a b", L"list save x", L"enable", L"enable FILE",
                                         L"disable FILE a b", L"Disable FILE a", L"switch FILE a",
                                         L"enable --json FILE a"));

}  // namespace
}  // namespace quorvane
