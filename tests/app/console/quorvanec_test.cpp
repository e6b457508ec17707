// The console companion as a script meets it: a separate process, its output, its exit status.
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <shlobj.h>

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <nlohmann/json.hpp>
#include <set>

#include "catalogue/autorun.h"
#include "catalogue/saved_list.h"
#include "common/error.h"
#include "common/scoped.h"
#include "common/shell.h"
#include "common/text.h"
#include "support/quorvanec_run.h"

namespace quorvane {
namespace {

using namespace test;  // the shared run of quorvanec and its seeded prefix
using testing::ElementsAre;
using testing::HasSubstr;
using testing::IsEmpty;
using testing::StartsWith;

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
      {{"from", "FILE"},
       {"caption", "Shared Tool"},
       {"target", common + "\\Shared Tool.lnk"},
       {"fileName", common + "\\Shared Tool.lnk"},
       {"rawData", ""},
       {"enabled", true}},
      {{"from", "FILE"},
       {"caption", "\xEB\x8F\x84\xEA\xB5\xAC"},
       {"target", user + "\\\xEB\x8F\x84\xEA\xB5\xAC.exe"},
       {"fileName", user + "\\\xEB\x8F\x84\xEA\xB5\xAC.exe"},
       {"rawData", ""},
       {"enabled", false}},
      {{"from", "HKLM"},
       {"caption", "Agent"},
       {"target", "HKLM\\" + run + "Agent"},
       {"fileName", programFiles + "\\Vendor\\agent.exe"},
       {"rawData", "\"%ProgramFiles%\\Vendor\\agent.exe\" /tray"},
       {"enabled", true}},
      {{"from", "HKLM"},
       {"caption", "Helper"},
       {"target", "HKLM\\" + run + "Helper"},
       {"fileName", "C:\\Vendor\\helper.dll"},
       {"rawData", "rundll32.exe C:\\Vendor\\helper.dll,Start"},
       {"enabled", false}},
      {{"from", "HKLM"},
       {"caption", "Old"},
       {"target", "HKLM\\Software\\Wow6432Node\\Microsoft\\Windows\\CurrentVersion\\Run\\Old"},
       {"fileName", "C:\\Old\\old.exe"},
       {"rawData", "C:\\Old\\old.exe"},
       {"enabled", false}},
      {{"from", "HKCU"},
       {"caption", "Sync|Me"},
       {"target", "HKCU\\" + run + "Sync|Me"},
       {"fileName", "C:\\Sync\\sync.exe"},
       {"rawData", "\\??\\C:\\Sync\\sync.exe -q"},
       {"enabled", true}},
      {{"from", "SCHE"},
       {"caption", "Nightly"},
       {"target", "\\Nightly"},
       {"fileName", ""},
       {"rawData", ""},
       {"enabled", true}},
      {{"from", "SCHE"},
       {"caption", "Weekly"},
       {"target", "\\Weekly"},
       {"fileName", ""},
       {"rawData", ""},
       {"enabled", false}},
  });
  const auto ServiceJson = [](const test::TestService& service, const std::wstring& command, bool enabled) {
    return nlohmann::ordered_json{{"from", "SERV"},
                                  {"caption", ToUtf8(service.DisplayName())},
                                  {"target", ToUtf8(service.Name())},
                                  {"fileName", ToUtf8(command)},
                                  {"rawData", ToUtf8(command)},
                                  {"enabled", enabled}};
  };
  const std::map<std::string, nlohmann::ordered_json> ownServices = {
      {ToUtf8(automatic.Name()), ServiceJson(automatic, L"\"C:\\Program Files\\Vendor\\svc.exe\" --run", true)},
      {ToUtf8(hosted.Name()), ServiceJson(hosted, hostCommand, false)}};

  const auto listed = CatalogueFields(nlohmann::ordered_json::parse(result.output));
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

// The details of each file entry, against what the test put there: version strings of a
// file with a version resource, of one without, and of a missing file; the time of switching
// off from the StartupApproved value, or null when the entry is on or the time is zero.
TEST_F(QuorvanecTest, ListJsonGivesEachEntrysFileDetailsAndSinceWhenItIsOff) {
  const std::uint64_t kTime1 = 134413692675000000ull;  // 2026-12-10T09:41:07.5Z
  const std::uint64_t kTime2 = 130000000000000000ull;  // 2012-12-14T23:06:40Z
  test::WriteFileBytes(common_ + L"\\On.lnk", "x");
  test::SetBinaryValue(HKEY_LOCAL_MACHINE, kApprovedFolder, L"On.lnk", ApprovedValue(2, kTime1));
  test::WriteFileBytes(user_ + L"\\Off.exe", "x");
  test::SetBinaryValue(HKEY_CURRENT_USER, kApprovedFolder, L"Off.exe", ApprovedValue(3, kTime2));
  test::SetStringValue(HKEY_LOCAL_MACHINE, kRunKey, L"Gone", L"C:\\Missing\\gone.exe /x");
  test::SetBinaryValue(HKEY_LOCAL_MACHINE, kApprovedRun, L"Gone", ApprovedValue(3, 0));
  test::SetStringValue(HKEY_LOCAL_MACHINE, kRun32Key, L"Plain", Fixture(L"plain"));
  test::SetBinaryValue(HKEY_LOCAL_MACHINE, kApprovedRun32, L"Plain", ApprovedValue(6, kTime2));
  test::SetStringValue(HKEY_CURRENT_USER, kRunKey, L"Product\\Tray", L"\"" + Fixture(L"one_translation") + L"\" /tray");
  test::SetBinaryValue(HKEY_CURRENT_USER, kApprovedRun, L"Product\\Tray", ApprovedValue(3, kTime1));
  scheduler_.SetTasks({{L"\\Nightly", false, false}});

  const auto listed = Listed(Quorvanec(L"list --json"));
  const auto Details = [](const nlohmann::ordered_json& entry) {
    nlohmann::ordered_json details;
    for (const char* name : {"caption", "enabled", "product", "description", "company", "version", "fileExists",
                             "disabledAt", "signature"}) {
      details[name] = entry[name];
    }
    return details;
  };
  std::vector<nlohmann::ordered_json> seeded;
  for (std::size_t i = 0; i < 6 && i < listed.size(); ++i) seeded.push_back(Details(listed[i]));
  const nlohmann::ordered_json none = nullptr;
  const auto Expected = [](const char* caption, bool enabled, const char* product, const char* company, bool exists,
                           const nlohmann::ordered_json& disabledAt) {
    return nlohmann::ordered_json{{"caption", caption},
                                  {"enabled", enabled},
                                  {"product", product},
                                  {"description", ""},
                                  {"company", company},
                                  {"version", ""},
                                  {"fileExists", exists},
                                  {"disabledAt", disabledAt},
                                  {"signature", exists ? nlohmann::ordered_json("unsigned") : nullptr}};
  };
  EXPECT_THAT(
      seeded,
      ElementsAre(
          Expected("On", true, "", "", true, none), Expected("Off", false, "", "", true, "2012-12-14T23:06:40Z"),
          Expected("Gone", false, "", "", false, none), Expected("Plain", false, "", "", true, "2012-12-14T23:06:40Z"),
          Expected("Product\\Tray", false, "Fixture One Product", "Fixture Company", true, "2026-12-10T09:41:07Z"),
          Expected("Nightly", false, "", "", false, none)));
}

// The signature of each entry's file: intact, changed after signing, none. The prefix does not
// trust the test authority, which only Windows notices (Wine's WinVerifyTrust does not ask).
TEST_F(QuorvanecTest, ListJsonGivesTheSignatureOfEachFile) {
  const std::wstring signedFixtures = QUORVANE_SIGNED_FIXTURES;
  test::SetStringValue(HKEY_CURRENT_USER, kRunKey, L"A Signed", L"\"" + signedFixtures + L"/signed.exe\" /s");
  test::SetStringValue(HKEY_CURRENT_USER, kRunKey, L"B Changed", signedFixtures + L"/changed.exe");
  test::SetStringValue(HKEY_CURRENT_USER, kRunKey, L"C Plain", Fixture(L"plain"));
  const bool onWine = GetProcAddress(GetModuleHandleW(L"ntdll.dll"), "wine_get_version") != nullptr;
  const auto listed = Listed(Quorvanec(L"list --json"));
  std::vector<std::pair<nlohmann::ordered_json, nlohmann::ordered_json>> signatures;
  for (std::size_t i = 0; i < 3 && i < listed.size(); ++i) {
    signatures.emplace_back(listed[i]["signature"], listed[i]["signer"]);
  }
  using Signature = std::pair<nlohmann::ordered_json, nlohmann::ordered_json>;
  EXPECT_THAT(signatures, ElementsAre(Signature(onWine ? "valid" : "untrusted", "Quorvane Test Publisher"),
                                      Signature("invalid", ""), Signature("unsigned", "")));
}

// The file of a version resource with all four strings: the console companion's own.
TEST_F(QuorvanecTest, ListJsonGivesAllFourVersionStrings) {
  const std::wstring self = test::ProgramBesideTest(L"quorvanec.exe");
  test::SetStringValue(HKEY_CURRENT_USER, kRunKey, L"Self", L"\"" + self + L"\" list");
  const auto entry = ListedEntry("HKCU", L"HKCU\\" + std::wstring(kRunKey) + L"\\Self");
  EXPECT_EQ(entry["product"], "Quorvane");
  EXPECT_EQ(entry["description"], "Quorvane console companion");
  EXPECT_EQ(entry["company"], "Tesmora");
  EXPECT_EQ(entry["version"], FixedFileVersion(self));
  EXPECT_EQ(entry["fileExists"], true);
}

// The CSV holds the rows of the JSON, field for field.
TEST_F(QuorvanecTest, ListCsvHoldsTheFieldsOfTheJsonOutput) {
  Seed();
  const test::ProcessResult csv = Quorvanec(L"list --csv");
  ASSERT_EQ(csv.exitCode, 0u) << csv.errors;
  ASSERT_TRUE(csv.output.starts_with("\xEF\xBB\xBF")) << csv.output;
  const auto json = Listed(Quorvanec(L"list --json"));
  std::vector<std::string> lines;
  std::size_t start = 3;
  for (std::size_t end; (end = csv.output.find("\r\n", start)) != std::string::npos; start = end + 2) {
    lines.push_back(csv.output.substr(start, end - start));
  }
  ASSERT_EQ(lines.size(), json.size() + 1);
  std::string header;
  for (const auto& [name, value] : json[0].items()) header += (header.empty() ? "" : ",") + name;
  EXPECT_EQ(lines[0], header);
  // The seeded entries need no quoting, but the Startup-folder one starts with a file's path.
  const auto& helper = json[3];
  EXPECT_EQ(lines[4], "HKLM,Helper," + helper["target"].get<std::string>() +
                          ",C:\\Vendor\\helper.dll,\"rundll32.exe C:\\Vendor\\helper.dll,Start\",false,,,,,false," +
                          "3433-12-31T01:46:15Z,,");
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
        // The target is taken exactly as list prints it.
        FailedSwitch{
            "TargetInOtherCase", L"HKCU", L"HKCU\\Software\\Microsoft\\Windows\\CurrentVersion\\Run\\sync|me", L"",
            "no such entry in the catalogue: HKCU HKCU\\Software\\Microsoft\\Windows\\CurrentVersion\\Run\\sync|me"},
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

// The tag is matched in any letter case, as the window's switch reads it.
TEST_F(QuorvanecTest, SwitchesAnEntryNamedByItsTagInAnyLetterCase) {
  Seed();
  const std::wstring fileTarget = common_ + L"\\Shared Tool.lnk";
  test::ProcessResult result = Switch(L"disable", L"file", fileTarget);
  EXPECT_EQ(result.exitCode, 0u) << result.errors;
  test::ExpectApprovedValue(HKEY_LOCAL_MACHINE, kApprovedFolder, L"Shared Tool.lnk", test::kOff);

  const std::wstring syncTarget = L"HKCU\\Software\\Microsoft\\Windows\\CurrentVersion\\Run\\Sync|Me";
  result = Switch(L"disable", L"hKcU", syncTarget);
  EXPECT_EQ(result.exitCode, 0u) << result.errors;
  test::ExpectApprovedValue(HKEY_CURRENT_USER, kApprovedRun, L"Sync|Me", test::kOff);
  EXPECT_EQ(ListedEntry("HKCU", syncTarget)["enabled"], false);
}

// A source that fails (here the Task Scheduler) ends the listing there: what was read before
// it is still printed, as a complete document, and the failure goes to stderr.
TEST_F(QuorvanecTest, ListPrintsWhatWasReadBeforeASourceFailedAndEndsWithStatusOne) {
  Seed();
  scheduler_.SetTasks({{L"\\Nightly", true, false}});
  scheduler_.FailAt(L"Connect", SCHED_E_SERVICE_NOT_RUNNING);
  const std::string reason = "quorvanec: Cannot connect to the Task Scheduler: ";

  test::ProcessResult result = Quorvanec(L"list --json");
  EXPECT_EQ(result.exitCode, 1u);
  EXPECT_THAT(result.errors, StartsWith(reason));
  EXPECT_THAT(result.errors, HasSubstr("(0x80041315)"));
  EXPECT_EQ(std::count(result.errors.begin(), result.errors.end(), '\n'), 1) << result.errors;
  const auto listed = nlohmann::ordered_json::parse(result.output);
  std::vector<std::string> sources;
  for (const auto& entry : listed) sources.push_back(entry["from"]);
  EXPECT_THAT(sources, ElementsAre("FILE", "FILE", "HKLM", "HKLM", "HKLM", "HKCU"));

  result = Quorvanec(L"list");
  EXPECT_EQ(result.exitCode, 1u);
  EXPECT_THAT(result.errors, StartsWith(reason));
  const std::wstring table = FromUtf8(result.output);
  EXPECT_THAT(table, StartsWith(L"State  Source  Caption"));
  EXPECT_EQ(std::count(table.begin(), table.end(), L'\n'), 7) << result.output;
  EXPECT_THAT(table, HasSubstr(L"Sync|Me"));
}

const std::string kUsage =
    "usage: quorvanec list [--json|--csv] | quorvanec save FILE | quorvanec enable|disable FROM TARGET\r\n"
    "       quorvanec diff BASELINE [--json] | quorvanec watch [--json] [--interval SECONDS]\r\n"
    "       quorvanec --help | quorvanec --version\r\n";

TEST(Quorvanec, HelpPrintsTheUsageToStdoutAndSucceeds) {
  const test::ProcessResult result = Quorvanec(L"--help");
  EXPECT_EQ(result.exitCode, 0u);
  EXPECT_EQ(result.output, kUsage);
  EXPECT_THAT(result.errors, IsEmpty());
}

TEST(Quorvanec, VersionPrintsTheProgramsFileVersion) {
  const std::string version = FixedFileVersion(test::ProgramBesideTest(L"quorvanec.exe"));
  ASSERT_THAT(version, testing::MatchesRegex("\\d+\\.\\d+\\.\\d+\\.\\d+"));
  const test::ProcessResult result = Quorvanec(L"--version");
  EXPECT_EQ(result.exitCode, 0u);
  EXPECT_EQ(result.output, "quorvanec " + version + "\r\n");
  EXPECT_THAT(result.errors, IsEmpty());
}

class QuorvanecUsage : public testing::TestWithParam<const wchar_t*> {};

TEST_P(QuorvanecUsage, AWrongCommandLineGetsTheUsageAndStatusTwo) {
  const test::ProcessResult result = Quorvanec(GetParam());
  EXPECT_EQ(result.exitCode, 2u);
  EXPECT_THAT(result.output, IsEmpty());
  EXPECT_EQ(result.errors, kUsage);
}

INSTANTIATE_TEST_SUITE_P(WrongCommandLines, QuorvanecUsage,
                         testing::Values(L"", L"lst", L"LIST", L"list --xml", L"list --json extra", L"--json list",
                                         L"save", L"save \"\"", L"save a b", L"list save x", L"enable", L"enable FILE",
                                         L"disable FILE a b", L"Disable FILE a", L"switch FILE a",
                                         L"enable --json FILE a", L"-help", L"--HELP", L"--help list",
                                         L"list --version", L"diff", L"diff \"\"", L"diff a --csv", L"diff a --json b",
                                         L"diff --json", L"watch --csv", L"watch --json --json", L"watch --interval",
                                         L"watch --interval 0", L"watch --interval x", L"watch --interval 86401",
                                         L"watch --interval 5 --interval 6"));

}  // namespace
}  // namespace quorvane
