// Comparing the catalogue with a baseline: the comparison itself, its JSON, and quorvanec diff as
// a script meets it.
#include "app/console/catalogue_diff.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include "app/console/baseline.h"
#include "common/text.h"
#include "support/quorvanec_run.h"

namespace quorvane {
namespace {

using namespace test;  // the shared run of quorvanec and its seeded prefix
using testing::ElementsAre;
using testing::HasSubstr;
using testing::IsEmpty;
using testing::StartsWith;

TAutorunInfo Entry(const std::wstring& from, const std::wstring& target, bool enabled, const std::wstring& rawData) {
  TAutorunInfo entry;
  entry.From = from;
  entry.Caption = target.substr(target.rfind(L'\\') + 1);
  entry.Target = target;
  entry.RawData = rawData;
  entry.Enabled = enabled;
  return entry;
}

TEST(DiffCatalogue, FindsAddedRemovedSwitchedAndNewCommandsByTagInAnyCaseAndExactTarget) {
  const AutorunList before = {
      Entry(L"HKCU", L"HKCU\\Run\\Same", true, L"same.exe"), Entry(L"HKCU", L"HKCU\\Run\\Off", true, L"off.exe"),
      Entry(L"HKLM", L"HKLM\\Run\\Gone", true, L"gone.exe"), Entry(L"HKLM", L"HKLM\\Run\\Both", false, L"old.exe"),
      Entry(L"SERV", L"svc", true, L"svc.exe")};
  Baseline baseline = BaselineOf(before);
  baseline[0].from = L"hkcu";
  const AutorunList now = {
      Entry(L"HKCU", L"HKCU\\Run\\Same", true, L"same.exe"), Entry(L"HKCU", L"HKCU\\Run\\New", true, L"new.exe"),
      Entry(L"HKCU", L"HKCU\\Run\\Off", false, L"off.exe"), Entry(L"HKLM", L"HKLM\\Run\\Both", true, L"new.exe"),
      Entry(L"SERV", L"SVC", true, L"svc.exe")};
  const CatalogueDiff diff = DiffCatalogue(baseline, now);
  EXPECT_EQ(FormatDiffTable(diff), (L"Change                    Source  Caption  Target\r\n"
                                    L"added                     HKCU    New      HKCU\\Run\\New\r\n"
                                    L"added                     SERV    SVC      SVC\r\n"
                                    L"removed                   HKLM    Gone     HKLM\\Run\\Gone\r\n"
                                    L"removed                   SERV    svc      svc\r\n"
                                    L"switched off              HKCU    Off      HKCU\\Run\\Off\r\n"
                                    L"switched on, new command  HKLM    Both     HKLM\\Run\\Both\r\n"));
  EXPECT_TRUE(DiffCatalogue(BaselineOf(now), now).Empty());
  EXPECT_EQ(FormatDiffTable(DiffCatalogue(BaselineOf(now), now)), L"");

  // A saved list knows neither state nor command: only additions and removals count.
  Baseline savedList = BaselineOf(before);
  for (BaselineEntry& entry : savedList) entry.enabled.reset(), entry.rawData.reset();
  const CatalogueDiff savedDiff = DiffCatalogue(savedList, now);
  EXPECT_EQ(savedDiff.added.size(), 2u);
  EXPECT_EQ(savedDiff.removed.size(), 2u);
  EXPECT_TRUE(savedDiff.changed.empty());
}

TEST(DiffCatalogue, PairsAnEntryListedTwiceOnceForEachListing) {
  const AutorunList twice = {Entry(L"SCHE", L"\\T", true, L""), Entry(L"SCHE", L"\\T", false, L"")};
  EXPECT_TRUE(DiffCatalogue(BaselineOf(twice), twice).Empty());
  const CatalogueDiff diff = DiffCatalogue(BaselineOf(twice), {twice[0]});
  ASSERT_EQ(diff.removed.size(), 1u);
  EXPECT_EQ(diff.removed[0].enabled, false);
}

TEST(FormatDiffJson, HoldsTheThreeListsWithBeforeAndAfterOfEachChange) {
  const AutorunList before = {Entry(L"HKCU", L"HKCU\\Run\\Off", true, L"off.exe"),
                              Entry(L"HKLM", L"HKLM\\Run\\Gone", true, L"gone.exe")};
  const AutorunList now = {Entry(L"HKCU", L"HKCU\\Run\\Off", false, L"off2.exe")};
  const auto json = nlohmann::json::parse(ToUtf8(FormatDiffJson(DiffCatalogue(BaselineOf(before), now))));
  EXPECT_EQ(json["added"], nlohmann::json::array());
  EXPECT_EQ(json["removed"], nlohmann::json::parse(R"([{"from":"HKLM","caption":"Gone","target":"HKLM\\Run\\Gone",
                                                         "rawData":"gone.exe","enabled":true}])"));
  EXPECT_EQ(json["changed"], nlohmann::json::parse(R"([{"from":"HKCU","caption":"Off","target":"HKCU\\Run\\Off",
      "before":{"enabled":true,"rawData":"off.exe"},"after":{"enabled":false,"rawData":"off2.exe"}}])"));
}

// A baseline of 100,000 entries against a catalogue that holds the last of them.
TEST(DiffCatalogue, CopesWithAHundredThousandEntries) {
  std::string json = "\xEF\xBB\xBF[";
  for (int i = 0; i < 100000; ++i) {
    json += (i ? ",\r\n" : "\r\n");
    json += R"({"from":"HKCU","caption":"v)" + std::to_string(i) + R"(","target":"HKCU\\Run\\v)" + std::to_string(i) +
            R"(","rawData":"x.exe","enabled":true})";
  }
  json += "\r\n]\r\n";
  const Baseline baseline = ParseBaseline(json);
  ASSERT_EQ(baseline.size(), 100000u);
  const CatalogueDiff diff = DiffCatalogue(baseline, {Entry(L"HKCU", L"HKCU\\Run\\v99999", true, L"x.exe")});
  EXPECT_TRUE(diff.added.empty());
  EXPECT_EQ(diff.removed.size(), 99999u);
  EXPECT_EQ(diff.removed.back().target, L"HKCU\\Run\\v99998");
}

// ---- Comparing with a baseline -----------------------------------------------------------------------

// The seeded prefix changed after the baseline: one Run value added, one removed, one switched
// off, one given another command; a Startup-folder file added.
void ChangeTheSeededEntries(const std::wstring& userFolder) {
  test::SetStringValue(HKEY_CURRENT_USER, kRunKey, L"Newcomer", L"C:\\New\\new.exe");
  test::DeleteAllValues(HKEY_LOCAL_MACHINE, kRun32Key);
  test::SetBinaryValue(HKEY_LOCAL_MACHINE, kApprovedRun, L"Agent", kSwitchedOff);
  test::SetStringValue(HKEY_CURRENT_USER, kRunKey, L"Sync|Me", L"C:\\Sync\\sync2.exe");
  test::WriteFileBytes(userFolder + L"\\Added.cmd", "x");
}

TEST_F(QuorvanecTest, DiffAgainstAListJsonBaselineReportsExactlyWhatChangedWithStatusThree) {
  Seed();
  test::TempFolder folder;
  const std::wstring baseline = folder.File(L"baseline.json");
  const test::ProcessResult listed = Quorvanec(L"list --json");
  ASSERT_EQ(listed.exitCode, 0u) << listed.errors;
  test::WriteFileBytes(baseline, listed.output);

  test::ProcessResult result = Quorvanec(L"diff \"" + baseline + L"\"");
  EXPECT_EQ(result.exitCode, 0u) << result.errors;
  EXPECT_THAT(result.output, IsEmpty());
  result = Quorvanec(L"diff \"" + baseline + L"\" --json");
  EXPECT_EQ(result.exitCode, 0u) << result.errors;
  EXPECT_EQ(nlohmann::json::parse(result.output), nlohmann::json::parse(R"({"added":[],"removed":[],"changed":[]})"));

  ChangeTheSeededEntries(user_);
  const std::string run = "HKCU\\Software\\Microsoft\\Windows\\CurrentVersion\\Run\\";
  result = Quorvanec(L"diff \"" + baseline + L"\"");
  EXPECT_EQ(result.exitCode, 3u) << result.errors;
  EXPECT_THAT(result.errors, IsEmpty());
  std::vector<std::vector<std::wstring>> rows;
  const std::wstring table = FromUtf8(result.output);
  for (std::size_t start = 0, end; (end = table.find(L"\r\n", start)) != std::wstring::npos; start = end + 2) {
    rows.push_back(Columns(table.substr(start, end - start)));
  }
  EXPECT_THAT(rows,
              ElementsAre(ElementsAre(L"Change", L"Source", L"Caption", L"Target"),
                          ElementsAre(L"added", L"FILE", L"Added", user_ + L"\\Added.cmd"),
                          ElementsAre(L"added", L"HKCU", L"Newcomer", FromUtf8(run) + L"Newcomer"),
                          ElementsAre(L"removed", L"HKLM", L"Old", L"HKLM\\" + std::wstring(kRun32Key) + L"\\Old"),
                          ElementsAre(L"switched off", L"HKLM", L"Agent",
                                      L"HKLM\\Software\\Microsoft\\Windows\\CurrentVersion\\Run\\Agent"),
                          ElementsAre(L"new command", L"HKCU", L"Sync|Me", FromUtf8(run) + L"Sync|Me")));

  result = Quorvanec(L"diff \"" + baseline + L"\" --json");
  EXPECT_EQ(result.exitCode, 3u) << result.errors;
  const auto diff = nlohmann::json::parse(result.output);
  ASSERT_EQ(diff["added"].size(), 2u);
  EXPECT_EQ(diff["added"][1]["target"], run + "Newcomer");
  EXPECT_EQ(diff["added"][1]["fileExists"], false);
  EXPECT_EQ(diff["removed"], nlohmann::json::parse(R"([{"from":"HKLM","caption":"Old",
      "target":"HKLM\\Software\\Wow6432Node\\Microsoft\\Windows\\CurrentVersion\\Run\\Old",
      "rawData":"C:\\Old\\old.exe","enabled":false}])"));
  ASSERT_EQ(diff["changed"].size(), 2u);
  EXPECT_EQ(diff["changed"][1], nlohmann::json::parse(R"({"from":"HKCU","caption":"Sync|Me",
      "target":"HKCU\\Software\\Microsoft\\Windows\\CurrentVersion\\Run\\Sync|Me",
      "before":{"enabled":true,"rawData":"\\??\\C:\\Sync\\sync.exe -q"},
      "after":{"enabled":true,"rawData":"C:\\Sync\\sync2.exe"}})"));

  // A baseline taken now finds nothing new.
  test::WriteFileBytes(baseline, Quorvanec(L"list --json").output);
  EXPECT_EQ(Quorvanec(L"diff \"" + baseline + L"\"").exitCode, 0u);
}

// The saved list knows no state and no command: only what was added and removed counts.
TEST_F(QuorvanecTest, DiffAgainstASavedListReportsAdditionsAndRemovals) {
  Seed();
  test::TempFolder folder;
  const std::wstring baseline = folder.File(L"saved.txt");
  ASSERT_EQ(Quorvanec(L"save \"" + baseline + L"\"").exitCode, 0u);
  EXPECT_EQ(Quorvanec(L"diff \"" + baseline + L"\"").exitCode, 0u);

  ChangeTheSeededEntries(user_);
  const test::ProcessResult result = Quorvanec(L"diff \"" + baseline + L"\" --json");
  EXPECT_EQ(result.exitCode, 3u) << result.errors;
  const auto diff = nlohmann::json::parse(result.output);
  EXPECT_EQ(diff["added"].size(), 2u);
  ASSERT_EQ(diff["removed"].size(), 1u);
  EXPECT_EQ(diff["removed"][0]["caption"], "Old");
  EXPECT_EQ(diff["changed"], nlohmann::json::array());
}

TEST_F(QuorvanecTest, DiffReportsABaselineThatCannotBeReadWithStatusOne) {
  test::TempFolder folder;
  test::WriteFileBytes(folder.File(L"empty.json"), "");
  test::WriteFileBytes(folder.File(L"cut.json"), "[\r\n  {\"from\":\"HKCU\",");
  const struct {
    std::wstring path;
    std::string reason;
  } cases[] = {
      {folder.Path(), "quorvanec: The baseline " + ToUtf8(folder.Path()) + " is a folder, not a file\r\n"},
      {folder.File(L"missing.json"), "quorvanec: Cannot open the baseline " + ToUtf8(folder.File(L"missing.json"))},
      {folder.File(L"empty.json"), "quorvanec: The baseline is empty\r\n"},
      {folder.File(L"cut.json"), "quorvanec: The baseline is not a complete JSON document (truncated?)"},
  };
  for (const auto& c : cases) {
    const test::ProcessResult result = Quorvanec(L"diff \"" + c.path + L"\"");
    EXPECT_EQ(result.exitCode, 1u) << ToUtf8(c.path);
    EXPECT_THAT(result.output, IsEmpty());
    EXPECT_THAT(result.errors, StartsWith(c.reason));
    EXPECT_EQ(std::count(result.errors.begin(), result.errors.end(), '\n'), 1) << result.errors;
  }
}

}  // namespace
}  // namespace quorvane
