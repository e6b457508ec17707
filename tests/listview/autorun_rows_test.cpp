// The merge of the catalogue into the list's rows, over catalogues that the tests build: no
// Windows state is read, and the files' product names and icons come from a stand-in that
// records what it is asked.
#include "listview/autorun_rows.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <map>

#include "catalogue/saved_list.h"
#include "support/test_support.h"

namespace quorvane {
namespace {

using testing::AllOf;
using testing::ElementsAre;
using testing::Field;
using testing::IsEmpty;

TAutorunInfo Entry(const std::wstring& from, const std::wstring& caption, const std::wstring& target,
                   bool enabled = true, const std::wstring& fileName = L"") {
  TAutorunInfo entry;
  entry.From = from;
  entry.Caption = caption;
  entry.Target = target;
  entry.FileName = fileName;
  entry.RawData = fileName;
  entry.Enabled = enabled;
  return entry;
}

const std::wstring kRun = L"\\Software\\Microsoft\\Windows\\CurrentVersion\\Run\\";
const std::wstring kStartup = L"C:\\Users\\u\\AppData\\Roaming\\Microsoft\\Windows\\Start Menu\\Programs\\Startup\\";

testing::Matcher<const TAutorunItem&> Row(const std::wstring& fileName, const std::wstring& from, int icon,
                                          bool enabled) {
  return AllOf(Field("FileName", &TAutorunItem::FileName, fileName), Field("From", &TAutorunItem::From, from),
               Field("Icon", &TAutorunItem::Icon, icon), Field("Enabled", &TAutorunItem::Enabled, enabled));
}

std::vector<TAutorunItem> RowsOf(const AutorunRows& rows) {
  std::vector<TAutorunItem> items;
  for (std::size_t i = 0; i < rows.Count(); ++i) items.push_back(rows[i]);
  return items;
}

std::vector<std::wstring> NamesOf(const AutorunRows& rows) {
  std::vector<std::wstring> names;
  for (std::size_t i = 0; i < rows.Count(); ++i) names.push_back(rows[i].FileName);
  return names;
}

// Files by name: their product names and icons; any other file has neither.
class FilesStandIn {
 public:
  void Add(const std::wstring& fileName, const std::wstring& productName, int icon) {
    files_[fileName] = {productName, icon};
  }
  LookUpFile Function() {
    return [this](const std::wstring& fileName) {
      asked.push_back(fileName);
      const auto found = files_.find(fileName);
      return found == files_.end() ? FileLook{L"", kBlankDocumentImage} : found->second;
    };
  }
  std::vector<std::wstring> asked;

 private:
  std::map<std::wstring, FileLook> files_;
};

class MergeTest : public testing::Test {
 protected:
  // One whole load: the entries, then the rows whose entry has gone are deleted.
  std::vector<std::size_t> Load(const AutorunList& catalogue) {
    std::vector<std::size_t> deleted;
    const SeenKeys seen = MergeEntries(catalogue, rows_, filters_, files_.Function());
    DeleteUnseenRows(rows_, seen, [&](std::size_t row) { deleted.push_back(row); });
    return deleted;
  }

  NameList fileWhite_;
  NameList nameWhite_;
  MergeFilters filters_{&fileWhite_, &nameWhite_, false};
  FilesStandIn files_;
  AutorunRows rows_;
};

TEST_F(MergeTest, NewEntriesGetRowsInCatalogueOrderWithTheirFilesNameAndIcon) {
  files_.Add(L"C:\\Tools\\tool.exe", L"Tool Professional", 7);
  files_.Add(L"C:\\Vendor\\agent.exe", L"", 8);
  Load({Entry(L"FILE", L"tool", kStartup + L"tool.lnk", true, L"C:\\Tools\\tool.exe"),
        Entry(L"HKCU", L"Agent", L"HKCU" + kRun + L"Agent", true, L"C:\\Vendor\\agent.exe"),
        Entry(L"HKLM", L"Gone", L"HKLM" + kRun + L"Gone", true, L"C:\\gone.exe"),
        Entry(L"SCHE", L"Backup", L"\\Backup", true, L"C:\\never\\asked.exe"),
        Entry(L"SERV", L"Windows Search", L"WSearch", true, L"C:\\Windows\\searchindexer.exe")});

  EXPECT_THAT(RowsOf(rows_),
              ElementsAre(Row(L"Tool Professional", L"FILE", 7, true), Row(L"Agent", L"HKCU", 8, true),
                          Row(L"Gone", L"HKLM", kBlankDocumentImage, true), Row(L"Backup", L"SCHE", kClockImage, true),
                          Row(L"Windows Search", L"SERV", kGearImage, true)));
  EXPECT_EQ(rows_[0].Target, kStartup + L"tool.lnk");
  EXPECT_EQ(rows_[4].Target, L"WSearch");
  // Tasks and services never have their files asked.
  EXPECT_THAT(files_.asked, ElementsAre(L"C:\\Tools\\tool.exe", L"C:\\Vendor\\agent.exe", L"C:\\gone.exe"));
}

TEST_F(MergeTest, RowsKeepTheirPlaceAndTakeOnlyTheStateOfTheirEntry) {
  files_.Add(L"C:\\a.exe", L"Product A", 5);
  Load({Entry(L"HKCU", L"A", L"HKCU" + kRun + L"A", true, L"C:\\a.exe"), Entry(L"SERV", L"Service B", L"B")});
  files_.asked.clear();
  nameWhite_.Add(L"A");  // the name lists act only when a row is made

  Load({Entry(L"FILE", L"new", kStartup + L"new.lnk"), Entry(L"SERV", L"Renamed B", L"B", false),
        Entry(L"HKCU", L"A renamed", L"HKCU" + kRun + L"A", false, L"C:\\other.exe")});

  EXPECT_THAT(RowsOf(rows_),
              ElementsAre(Row(L"Product A", L"HKCU", 5, false), Row(L"Service B", L"SERV", kGearImage, false),
                          Row(L"new", L"FILE", kBlankDocumentImage, true)));
  // Only the new entry's file was asked for (it names none).
  EXPECT_THAT(files_.asked, ElementsAre(L""));
}

TEST_F(MergeTest, EntriesWithoutCaptionOrSwitchedOffGetNoRowUnlessShownAnyway) {
  const AutorunList catalogue = {Entry(L"HKCU", L"", L"HKCU" + kRun),
                                 Entry(L"HKCU", L"Off", L"HKCU" + kRun + L"Off", false), Entry(L"SERV", L"On", L"On")};
  Load(catalogue);
  EXPECT_THAT(NamesOf(rows_), ElementsAre(L"On"));

  rows_.Clear();
  filters_.showSwitchedOff = true;
  Load(catalogue);
  EXPECT_THAT(RowsOf(rows_),
              ElementsAre(Row(L"Off", L"HKCU", kBlankDocumentImage, false), Row(L"On", L"SERV", kGearImage, true)));
}

TEST_F(MergeTest, ARowStaysWhenItsEntryIsSwitchedOffUntilTheRowsAreRebuilt) {
  Load({Entry(L"SERV", L"One", L"one"), Entry(L"SERV", L"Two", L"two")});
  const AutorunList switchedOff = {Entry(L"SERV", L"One", L"one", false), Entry(L"SERV", L"Two", L"two")};
  Load(switchedOff);
  EXPECT_THAT(RowsOf(rows_),
              ElementsAre(Row(L"One", L"SERV", kGearImage, false), Row(L"Two", L"SERV", kGearImage, true)));
  rows_.Clear();
  Load(switchedOff);
  EXPECT_THAT(NamesOf(rows_), ElementsAre(L"Two"));
}

struct FilterCase {
  const char* label;
  TAutorunInfo entry;
  std::wstring fileWhite;  // one pattern, or none
  std::wstring nameWhite;
  bool hidden;
};

class MergeFilterTest : public MergeTest, public testing::WithParamInterface<FilterCase> {};

TEST_P(MergeFilterTest, HidesTheEntriesThatTheNameListsOfTheirSourceMatch) {
  const FilterCase& filter = GetParam();
  if (!filter.fileWhite.empty()) fileWhite_.Add(filter.fileWhite);
  if (!filter.nameWhite.empty()) nameWhite_.Add(filter.nameWhite);
  Load({filter.entry});
  EXPECT_EQ(rows_.Count(), filter.hidden ? 0u : 1u);
}

INSTANTIATE_TEST_SUITE_P(
    BySource, MergeFilterTest,
    testing::Values(
        // A registry entry: its value's name, as a name prefix.
        FilterCase{"RegistryValueName", Entry(L"HKCU", L"Updater", L"HKCU" + kRun + L"Updater"), L"", L"updat", true},
        FilterCase{"RegistryNotItsPath", Entry(L"HKCU", L"Updater", L"HKCU" + kRun + L"Updater"), L"", L"HKCU", false},
        FilterCase{"RegistryNotFileList", Entry(L"HKLM", L"Updater", L"HKLM" + kRun + L"Updater"), L"Updater*", L"",
                   false},
        // A Startup-folder file: its path, in file mode.
        FilterCase{"StartupFileName", Entry(L"FILE", L"Tool", kStartup + L"Tool.lnk"), L"tool.LNK*", L"", true},
        FilterCase{"StartupPathFragment", Entry(L"FILE", L"Tool", kStartup + L"Tool.lnk"), L"\\programs\\startup\\",
                   L"", true},
        FilterCase{"StartupNotNameList", Entry(L"FILE", L"Tool", kStartup + L"Tool.lnk"), L"", L"Tool", false},
        FilterCase{"StartupLowerCaseTag", Entry(L"file", L"Tool", kStartup + L"Tool.lnk"), L"Tool.lnk*", L"", true},
        // A task: its name, the part of its path after the backslash.
        FilterCase{"TaskName", Entry(L"SCHE", L"Backup", L"\\Backup"), L"", L"Back", true},
        FilterCase{"TaskNotFileList", Entry(L"SCHE", L"Backup", L"\\Backup"), L"Backup*", L"", false},
        // A service: its name, which is its Target.
        FilterCase{"ServiceName", Entry(L"SERV", L"Windows Search", L"WSearch"), L"", L"wsearch", true},
        FilterCase{"ServiceNotDisplayName", Entry(L"SERV", L"Windows Search", L"WSearch"), L"", L"Windows", false},
        FilterCase{"ServicePerUserPrefix", Entry(L"SERV", L"Clipboard", L"cbdhsvc_4f1c2"), L"", L"cbdhsvc_", true}),
    [](const testing::TestParamInfo<FilterCase>& param) { return param.param.label; });

TEST_F(MergeTest, AMissingNameListHidesNothing) {
  filters_ = {nullptr, nullptr, false};
  Load({Entry(L"FILE", L"Tool", kStartup + L"Tool.lnk"), Entry(L"SERV", L"Search", L"WSearch")});
  EXPECT_EQ(rows_.Count(), 2u);
}

TEST_F(MergeTest, OfTwoEntriesOfOneTargetAndSourceTheFirstGetsTheRowAndTheLastSetsItsState) {
  Load(
      {Entry(L"HKCU", L"First", L"HKCU" + kRun + L"Same"), Entry(L"hkcu", L"Second", L"HKCU" + kRun + L"SAME", false)});
  EXPECT_THAT(RowsOf(rows_), ElementsAre(Row(L"First", L"HKCU", kBlankDocumentImage, false)));
}

TEST_F(MergeTest, RowsAreFoundIgnoringTheCaseOfAsciiLettersOnly) {
  Load({Entry(L"SERV", L"Upper", L"\u00C4pfel"), Entry(L"SERV", L"Lower", L"\u00E4pfel")});
  EXPECT_THAT(NamesOf(rows_), ElementsAre(L"Upper", L"Lower"));
  EXPECT_EQ(rows_.FindRow(L"\u00C4PFEL", L"serv"), 0u);
  EXPECT_EQ(rows_.FindRow(L"\u00E4pFEL", L"Serv"), 1u);
  EXPECT_EQ(rows_.FindRow(L"\u00C4pfel", L"SCHE"), std::nullopt);
}

TEST_F(MergeTest, RowsWhoseEntryHasGoneAreDeletedTheLastFirst) {
  Load({Entry(L"SERV", L"A", L"a"), Entry(L"SERV", L"B", L"b"), Entry(L"SERV", L"C", L"c"), Entry(L"SERV", L"D", L"d"),
        Entry(L"SERV", L"E", L"e")});
  EXPECT_THAT(Load({Entry(L"SERV", L"D", L"d"), Entry(L"SERV", L"B", L"b")}), ElementsAre(4u, 2u, 0u));
  EXPECT_THAT(NamesOf(rows_), ElementsAre(L"B", L"D"));
  EXPECT_EQ(rows_.FindRow(L"d", L"SERV"), 1u);
  EXPECT_EQ(rows_.FindRow(L"a", L"SERV"), std::nullopt);

  EXPECT_THAT(Load({}), ElementsAre(1u, 0u));
  EXPECT_EQ(rows_.Count(), 0u);
}

TEST_F(MergeTest, AnEntryThatComesBackGetsANewRowAtTheEnd) {
  Load({Entry(L"SERV", L"A", L"a"), Entry(L"SERV", L"B", L"b")});
  Load({Entry(L"SERV", L"B", L"b")});
  Load({Entry(L"SERV", L"A", L"a"), Entry(L"SERV", L"B", L"b")});
  EXPECT_THAT(NamesOf(rows_), ElementsAre(L"B", L"A"));
  EXPECT_EQ(rows_.FindRow(L"a", L"SERV"), 1u);
}

TEST(AutorunRows, FindRowGivesTheFirstMatchingRowInListOrderAlsoAfterDeletions) {
  AutorunRows rows;
  rows.Append({L"one", L"X\\Same", L"HKCU", 0, true});
  rows.Append({L"other", L"X\\Other", L"HKCU", 0, true});
  rows.Append({L"two", L"x\\SAME", L"hkcu", 0, true});
  EXPECT_EQ(rows.FindRow(L"x\\same", L"HKCU"), 0u);
  rows.DeleteRows([](const TAutorunItem& item) { return item.FileName == L"one"; }, [](std::size_t) {});
  EXPECT_EQ(rows.FindRow(L"x\\same", L"HKCU"), 1u);
  EXPECT_EQ(rows.FindRow(L"X\\Other", L"HKCU"), 0u);
  rows.Clear();
  EXPECT_EQ(rows.FindRow(L"X\\Other", L"HKCU"), std::nullopt);
}

TEST_F(MergeTest, TheSavedListHoldsTheWholeCatalogueInItsOrderWhateverTheRows) {
  nameWhite_.Add(L"Hidden");
  Load({Entry(L"SERV", L"Late", L"late")});
  const AutorunList catalogue = {Entry(L"HKCU", L"Hidden", L"HKCU" + kRun + L"Hidden"),
                                 Entry(L"HKCU", L"", L"HKCU" + kRun), Entry(L"SERV", L"Off", L"off", false),
                                 Entry(L"SERV", L"A|B", L"ab"), Entry(L"SERV", L"Late", L"late")};
  Load(catalogue);
  ASSERT_THAT(NamesOf(rows_), ElementsAre(L"Late", L"A|B"));

  test::TempFolder folder;
  const std::wstring path = folder.File(L"list.txt");
  SaveAutorunList(catalogue, path);
  EXPECT_EQ(test::ReadFileBytes(path),
            "\xEF\xBB\xBF"
            "HKCU|Hidden|HKCU\\Software\\Microsoft\\Windows\\CurrentVersion\\Run\\Hidden\r\n"
            "HKCU||HKCU\\Software\\Microsoft\\Windows\\CurrentVersion\\Run\\\r\n"
            "SERV|Off|off\r\n"
            "SERV|A|B|ab\r\n"
            "SERV|Late|late\r\n");
}

}  // namespace
}  // namespace quorvane
