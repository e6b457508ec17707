#include "common/name_list.h"

#include <windows.h>
#include <shlobj.h>

#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <algorithm>
#include <initializer_list>
#include <string>
#include <string_view>
#include <vector>

#include "common/locale_text.h"
#include "common/resource_text.h"
#include "common/shell.h"
#include "common/text.h"

namespace quorvane {
namespace {

using testing::ElementsAre;

NameList ListOf(std::initializer_list<std::wstring> texts) {
  NameList list;
  for (const std::wstring& text : texts) list.Add(text);
  return list;
}

TEST(NameList, KeepsItsTextsSortedUnderTheUserLocaleWithoutRegardToCase) {
  const NameList list = ListOf({L"b", L"C", L"a", L"\u00E9t\u00E9", L"Zulu", L"eta", L"", L"ftp"});
  // Ordinal order would put "C" and "Zulu" first and the accented word last.
  EXPECT_THAT(list.Texts(), ElementsAre(L"", L"a", L"b", L"C", L"eta", L"\u00E9t\u00E9", L"ftp", L"Zulu"));
  for (std::size_t i = 1; i < list.Count(); ++i) {
    EXPECT_LT(CompareTextUserLocale(list.Texts()[i - 1], list.Texts()[i]), 0) << i;
  }
}

TEST(NameList, HoldsEachTextOnceWhateverItsLetterCase) {
  NameList list = ListOf({L"Spooler", L"SPOOLER", L"spooler", L"", L"", L"\u00C4rger", L"\u00E4RGER"});
  // The first spelling stays; non-ASCII letters fold too, unlike the ASCII-only comparisons.
  EXPECT_THAT(list.Texts(), ElementsAre(L"", L"\u00C4rger", L"Spooler"));
  EXPECT_TRUE(list.Contains(L"sPOOLER"));
  EXPECT_TRUE(list.Contains(L"\u00E4rger"));
  EXPECT_FALSE(list.Contains(L"Spool"));
}

TEST(NameList, StoresTextsAsGiven) {
  NameList list = ListOf({L"  padded\t", L"%ProgramFiles%\\Vendor\\"});
  EXPECT_THAT(list.Texts(), ElementsAre(L"  padded\t", L"%ProgramFiles%\\Vendor\\"));
  EXPECT_FALSE(list.Contains(L"padded"));
  list.Clear();
  EXPECT_EQ(list.Count(), 0u);
}

// The placeholders of a 64-bit system, as the program's map holds them.
const PlaceholderMap kPlaceholders = {
    {L"%SystemRoot%", L"C:\\Windows"},
    {L"%ProgramFiles(x86)%", L"C:\\Program Files (x86)"},
    {L"%ProgramFiles%", L"C:\\Program Files"},
};

struct MatchCase {
  std::vector<std::wstring> patterns;
  std::wstring candidate;
  MatchMode mode;
  bool matches;
};

void PrintTo(const MatchCase& c, std::ostream* out) {
  *out << (c.mode == MatchMode::File ? "file " : "name ") << testing::PrintToString(c.patterns) << " vs "
       << testing::PrintToString(c.candidate);
}

class MatchesListCases : public testing::TestWithParam<MatchCase> {};

TEST_P(MatchesListCases, DecideByPatternAndMode) {
  const MatchCase& c = GetParam();
  NameList list;
  for (const std::wstring& pattern : c.patterns) list.Add(pattern);
  EXPECT_EQ(MatchesList(list, c.candidate, c.mode, kPlaceholders), c.matches);
}

constexpr MatchMode kFile = MatchMode::File;
constexpr MatchMode kName = MatchMode::Name;

INSTANTIATE_TEST_SUITE_P(
    FileMode, MatchesListCases,
    testing::Values(
        MatchCase{{L"WmiPrvSE.exe*"}, L"C:\\Windows\\System32\\wbem\\WmiPrvSE.exe", kFile, true},
        MatchCase{{L"WmiPrvSE.exe*"}, L"wmiprvse.exe", kFile, true},
        MatchCase{{L"WmiPrvSE.exe*"}, L"C:\\Startup\\WmiPrvSE.exe.lnk", kFile, false},
        MatchCase{{L"WmiPrvSE.exe*"}, L"C:\\Startup\\xWmiPrvSE.exe", kFile, false},
        // The file-name part follows the last backslash or colon.
        MatchCase{{L"app.exe*"}, L"D:app.exe", kFile, true},
        // "*" alone names the empty file-name part of a path that ends in a separator.
        MatchCase{{L"*"}, L"C:\\Startup\\", kFile, true}, MatchCase{{L"*"}, L"C:", kFile, true},
        MatchCase{{L"*"}, L"C:\\Startup\\a.exe", kFile, false},
        // A fragment is found anywhere, in any letter case.
        MatchCase{{L"\\Vendor\\Tools\\"}, L"c:\\program files\\VENDOR\\tools\\agent.lnk", kFile, true},
        MatchCase{{L"\\Vendor\\Tools\\"}, L"C:\\Vendor\\Toolsx\\agent.lnk", kFile, false},
        // A "*" inside a pattern has no meaning; only the last character counts.
        MatchCase{{L"a*b"}, L"C:\\a*b.exe", kFile, true}, MatchCase{{L"a*b"}, L"C:\\axb.exe", kFile, false},
        // Placeholders expand before the comparison, only when a backslash follows them.
        MatchCase{{L"%ProgramFiles%\\Vendor\\"}, L"C:\\Program Files\\Vendor\\tray.exe", kFile, true},
        MatchCase{{L"%ProgramFiles%\\Vendor\\"}, L"C:\\Program Files (x86)\\Vendor\\tray.exe", kFile, false},
        MatchCase{{L"%SystemRoot%\\System32\\ctfmon.exe"}, L"c:\\windows\\system32\\CTFMON.EXE", kFile, true},
        MatchCase{{L"%ProgramFiles%Vendor"}, L"C:\\Program FilesVendor\\a.exe", kFile, false},
        MatchCase{{L"%ProgramFiles%Vendor"}, L"X:\\%programfiles%vendor\\a.exe", kFile, true},
        // File names fold ASCII letters only; fragments fold every letter.
        MatchCase{{L"\u00C4rger.exe*"}, L"C:\\\u00E4rger.exe", kFile, false},
        MatchCase{{L"\u00C4rger.exe*"}, L"C:\\\u00C4RGER.EXE", kFile, true},
        MatchCase{{L"\\\u00C4rger\\"}, L"C:\\\u00E4RGER\\x.exe", kFile, true},
        // Name prefixes mean nothing in file mode.
        MatchCase{{L"Spooler"}, L"Spooler.exe", kFile, true}, MatchCase{{L"Spooler"}, L"C:\\Spoole", kFile, false}));

INSTANTIATE_TEST_SUITE_P(
    NameMode, MatchesListCases,
    testing::Values(MatchCase{{L"Spooler"}, L"Spooler", kName, true}, MatchCase{{L"Spooler"}, L"SPOOLER", kName, true},
                    MatchCase{{L"Spooler"}, L"spoolerHelper", kName, true},
                    MatchCase{{L"Spooler"}, L"Spoole", kName, false},
                    MatchCase{{L"Spooler"}, L"PrintSpooler", kName, false},
                    MatchCase{{L"cbdhsvc_"}, L"cbdhsvc_4f2a1", kName, true},
                    MatchCase{{L"cbdhsvc_"}, L"cbdhsvc", kName, false},
                    // "*" is an ordinary character here.
                    MatchCase{{L"App*"}, L"App*Helper", kName, true}, MatchCase{{L"App*"}, L"AppHelper", kName, false},
                    MatchCase{{L"*"}, L"Spooler", kName, false},
                    // Name prefixes compare under the user's locale, so other letters fold too.
                    MatchCase{{L"\u00C4rger"}, L"\u00E4RGERLICH", kName, true},
                    MatchCase{{L"%ProgramFiles%\\Vendor"}, L"c:\\program files\\vendor\\x", kName, true},
                    MatchCase{{L"Spooler"}, L"", kName, false}));

INSTANTIATE_TEST_SUITE_P(
    BlanksAndComments, MatchesListCases,
    testing::Values(MatchCase{{L" \tSpooler \r"}, L"Spooler", kName, true},
                    MatchCase{{L" WmiPrvSE.exe* "}, L"C:\\WmiPrvSE.exe", kFile, true},
                    MatchCase{{L"//Spooler"}, L"//Spooler", kName, false},
                    MatchCase{{L"  //Spooler"}, L"//Spooler", kName, false}, MatchCase{{L"//*"}, L"C:\\", kFile, false},
                    MatchCase{{L"//"}, L"C://x", kFile, false}, MatchCase{{L"/Spooler"}, L"/Spooler", kName, true},
                    // Empty and blank patterns never match, not even an empty candidate.
                    MatchCase{{L""}, L"", kName, false}, MatchCase{{L"   "}, L"   ", kFile, false},
                    MatchCase{{}, L"Spooler", kName, false}, MatchCase{{}, L"C:\\", kFile, false},
                    // One matching pattern among others is enough, wherever it sorts.
                    MatchCase{{L"", L"//note", L"Alpha", L"Zulu", L"Mike"}, L"mike2", kName, true},
                    MatchCase{{L"", L"//note", L"Alpha", L"Zulu", L"Mike"}, L"Oscar", kName, false}));

TEST(MatchesList, UsesTheProgramsPlaceholders) {
  InitFolderPlaceholders();
  const NameList list = ListOf({L"%ProgramFiles%\\Vendor\\"});
  EXPECT_TRUE(MatchesList(list, GetSpecialFolderPath(CSIDL_PROGRAM_FILES) + L"\\Vendor\\tray.exe", MatchMode::File));
  EXPECT_FALSE(MatchesList(list, L"X:\\Elsewhere\\Vendor\\tray.exe", MatchMode::File));
  ReleaseFolderPlaceholders();
}

TEST(MergeJsonArray, AddsEachElementAsText) {
  NameList list = ListOf({L"Spooler"});
  const auto reply = nlohmann::json::parse(R"({"name_white": ["WSearch", "spooler", 42, -1.5, true, false, null,
      ["nested"], {"a": "b"}, "\uC804\uCCB4", "", "WSearch"]})");
  MergeJsonArray(list, reply, "name_white");
  // Numbers and literals give their JSON text, objects and arrays the empty text; texts that
  // the list holds already, in any case, add nothing.
  EXPECT_THAT(list.Texts(),
              ElementsAre(L"", L"-1.5", L"42", L"false", L"null", L"Spooler", L"true", L"WSearch", L"\uC804\uCCB4"));
}

TEST(MergeJsonArray, IgnoresWhatIsNotAnArrayUnderTheKey) {
  const char* replies[] = {
      R"({"name_black": ["x"]})",
      R"({"name_white": "Spooler"})",
      R"({"name_white": {"0": "Spooler"}})",
      R"({"name_white": null})",
      R"({"NAME_WHITE": ["x"]})",
      R"([["x"]])",
      R"("name_white")",
      R"({})",
  };
  for (const char* text : replies) {
    NameList list = ListOf({L"kept"});
    MergeJsonArray(list, nlohmann::json::parse(text), "name_white");
    EXPECT_THAT(list.Texts(), ElementsAre(L"kept")) << text;
  }
}

// The lines of a built-in resource straight from its bytes: each must end with CR LF.
std::vector<std::string> RawLines(const std::string& bytes) {
  std::vector<std::string> lines;
  std::size_t start = 3;
  for (auto end = bytes.find("\r\n", start); end != std::string::npos; end = bytes.find("\r\n", start)) {
    lines.push_back(bytes.substr(start, end - start));
    start = end + 2;
  }
  EXPECT_EQ(start, bytes.size()) << "the last line does not end with CR LF";
  return lines;
}

std::vector<std::string> BuiltInListLines(const std::wstring& name) {
  const auto bytes = ReadRcData(GetModuleHandleW(nullptr), name);
  if (!bytes) {
    ADD_FAILURE() << "no resource " << ToUtf8(name);
    return {};
  }
  EXPECT_TRUE(bytes->starts_with("\xEF\xBB\xBF")) << "no byte order mark";
  const std::vector<std::string> lines = RawLines(*bytes);
  for (const std::string& line : lines) {
    EXPECT_EQ(line.find_first_of("\r\n"), std::string::npos) << "a lone line break in " << testing::PrintToString(line);
    EXPECT_EQ(FromUtf8(line).find(L'\uFFFD'), std::wstring::npos) << "not UTF-8: " << line;
  }
  return lines;
}

TEST(BuiltInLists, NameWhiteHoldsTheToolsAnEmptyLineAndTheSystemNames) {
  const std::vector<std::string> lines = BuiltInListLines(L"NAME_WHITE");
  ASSERT_EQ(lines.size(), 84u);
  EXPECT_NE(std::find(lines.begin(), lines.begin() + 10, "Quorvane"), lines.begin() + 10);
  EXPECT_EQ(lines[10], "");
  const std::vector<std::string> systemNames(lines.begin() + 11, lines.end());
  EXPECT_THAT(
      systemNames,
      ElementsAre("AudioEndpointBuilder", "Audiosrv", "BFE", "BrokerInfrastructure", "CDPSvc", "CoreMessagingRegistrar",
                  "CreateExplorerShellUnelevatedTask", "CryptSvc", "DcomLaunch", "DeviceAssociationService", "Dhcp",
                  "DiagTrack", "DispBrokerDesktopSvc", "Dnscache", "DoSvc", "DPS", "DusmSvc", "edgeupdate", "EventLog",
                  "EventSystem", "FontCache", "gpsvc", "iphlpsvc", "LanmanServer", "LanmanWorkstation", "LSM",
                  "MapsBroker", "mpssvc", "nsi", "NVDisplay.ContainerLocalSystem", "PcaSvc", "Power", "ProfSvc",
                  "RpcEptMapper", "RpcSs", "SamSs", "Schedule", "SENS", "ShellHWDetection", "Spooler", "sppsvc",
                  "StateRepository", "StiSvc", "StorSvc", "SysMain", "SystemEventsBroker", "TextInputManagementService",
                  "Themes", "TrkWks", "UserManager", "UsoSvc", "Wcmsvc", "Winmgmt", "WlanSvc", "WpnService", "wscsvc",
                  "WSearch", "cbdhsvc_", "CDPUserSvc_", "OneSyncSvc_", "webthreatdefusersvc_", "WpnUserService_",
                  "vmms", "BluetoothMouseThemeNotificationService", "IpOverUsbSvc", "MDCoreSvc", "NlaSvc", "RasMan",
                  "SgrmBroker", "WbioSrvc", "WinDefend", "WslInstaller", "WSLService"));
}

TEST(BuiltInLists, NameBlackHoldsTheGivenPlugInsAmongItsLines) {
  const std::vector<std::string> lines = BuiltInListLines(L"NAME_BLACK");
  EXPECT_EQ(lines.size(), 37u);
  for (const char* given :
       {"AhnLab Safe Transaction", "nProtect Online Security", "TouchEn nxKey with E2E for 32bit", "MagicLine4NP",
        "Veraport(\xEB\xB3\xB4\xEC\x95\x88\xEB\xAA\xA8\xEB\x93\x88 \xEA\xB4\x80\xEB\xA6\xAC "
        "\xED\x94\x84\xEB\xA1\x9C\xEA\xB7\xB8\xEB\x9E\xA8) G3"}) {
    EXPECT_NE(std::find(lines.begin(), lines.end(), given), lines.end()) << given;
  }
}

TEST(BuiltInLists, FileWhiteHoldsFileNamesThenFullPaths) {
  const std::vector<std::string> lines = BuiltInListLines(L"FILE_WHITE");
  ASSERT_EQ(lines.size(), 264u);
  const auto firstPath = lines.begin() + 197;
  EXPECT_TRUE(std::all_of(lines.begin(), firstPath, [](const std::string& line) { return line.ends_with('*'); }));
  EXPECT_TRUE(std::all_of(firstPath, lines.end(), [](const std::string& line) {
    return line.starts_with("%ProgramFiles%\\") || line.starts_with("%ProgramFiles(x86)%\\") ||
           line.starts_with("%SystemRoot%\\");
  }));
  for (const char* given : {"WmiPrvSE.exe*", "SearchIndexer.exe*", "%SystemRoot%\\System32\\ctfmon.exe"}) {
    EXPECT_NE(std::find(lines.begin(), lines.end(), given), lines.end()) << given;
  }
}

TEST(LoadNameList, LoadsTheBuiltInListsByNameWithoutRegardToCase) {
  NameList nameWhite;
  NameList nameBlack;
  NameList fileWhite;
  LoadNameList(nameWhite, L"name_white");
  LoadNameList(nameBlack, L"name_black");
  LoadNameList(fileWhite, L"File_White");
  // 83 names and the empty text; six of the file names occur twice.
  EXPECT_EQ(nameWhite.Count(), 84u);
  EXPECT_TRUE(nameWhite.Contains(L""));
  EXPECT_EQ(nameBlack.Count(), 37u);
  EXPECT_TRUE(nameBlack.Contains(L"VERAPORT(\uBCF4\uC548\uBAA8\uB4C8 \uAD00\uB9AC \uD504\uB85C\uADF8\uB7A8) g3"));
  EXPECT_EQ(fileWhite.Count(), 258u);
}

TEST(LoadNameList, BuiltInListsHideWhatTheyName) {
  InitFolderPlaceholders();
  NameList nameWhite;
  NameList fileWhite;
  LoadNameList(nameWhite, L"name_white");
  LoadNameList(fileWhite, L"file_white");
  EXPECT_TRUE(MatchesList(nameWhite, L"spooler", MatchMode::Name));
  EXPECT_TRUE(MatchesList(nameWhite, L"CDPUserSvc_5e1b9", MatchMode::Name));
  EXPECT_TRUE(MatchesList(nameWhite, L"Quorvane", MatchMode::Name));
  EXPECT_FALSE(MatchesList(nameWhite, L"VendorUpdater", MatchMode::Name));
  const std::wstring windows = GetSpecialFolderPath(CSIDL_WINDOWS);
  EXPECT_TRUE(MatchesList(fileWhite, L"C:\\Windows\\System32\\wbem\\WMIPRVSE.exe", MatchMode::File));
  EXPECT_TRUE(MatchesList(fileWhite, AsciiLower(windows) + L"\\system32\\CTFMON.EXE", MatchMode::File));
  EXPECT_FALSE(MatchesList(fileWhite, L"C:\\Users\\u\\Startup\\VendorUpdater.lnk", MatchMode::File));
  ReleaseFolderPlaceholders();
}

TEST(LoadNameList, ReplacesTheContentAndLeavesItWhenTheResourceIsMissing) {
  NameList list = ListOf({L"stale"});
  LoadNameList(list, L"no_such_list");
  EXPECT_THAT(list.Texts(), ElementsAre(L"stale"));
  LoadNameList(list, L"name_black");
  EXPECT_EQ(list.Count(), 37u);
  EXPECT_FALSE(list.Contains(L"stale"));
}

}  // namespace
}  // namespace quorvane
