#include "common/command_line.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <map>

namespace quorvane {
namespace {

// The folders of the worked examples.
const PlaceholderMap kExampleMap = {
    {L"%ProgramData%", L"C:\\ProgramData"},
    {L"%SystemRoot%", L"C:\\Windows"},
    {L"%Public%", L"C:\\Users\\Public\\Documents"},
    {L"%AppData%", L"C:\\Users\\u\\AppData\\Roaming"},
    {L"%WinDir%", L"C:\\Windows"},
    {L"%CommonProgramFiles(x86)%", L"C:\\Program Files (x86)\\Common Files"},
    {L"%CommonProgramFiles%", L"C:\\Program Files\\Common Files"},
    {L"%ProgramFiles(x86)%", L"C:\\Program Files (x86)"},
    {L"%ProgramFiles%", L"C:\\Program Files"},
};

struct CommandLineCase {
  std::wstring commandLine;
  std::wstring program;
  std::wstring arguments;
  std::wstring target;
};

void PrintTo(const CommandLineCase& c, std::ostream* out) { *out << testing::PrintToString(c.commandLine); }

class CommandLineExamples : public testing::TestWithParam<CommandLineCase> {};

TEST_P(CommandLineExamples, SplitAndResolve) {
  const CommandLineCase& c = GetParam();
  std::wstring program = L"stale";
  std::wstring arguments = L"stale";
  SplitCommandLine(c.commandLine, program, arguments);
  EXPECT_EQ(program, c.program);
  EXPECT_EQ(arguments, c.arguments);
  EXPECT_EQ(ResolveTarget(c.commandLine, kExampleMap), c.target);
}

INSTANTIATE_TEST_SUITE_P(
    WorkedExamples, CommandLineExamples,
    testing::Values(CommandLineCase{L"\"C:\\Program Files\\Vendor\\app.exe\" /min",
                                    L"C:\\Program Files\\Vendor\\app.exe", L"/min",
                                    L"C:\\Program Files\\Vendor\\app.exe"},
                    CommandLineCase{L"C:\\Program Files\\Vendor\\app.exe /min", L"C:\\Program Files\\Vendor\\app.exe",
                                    L"/min", L"C:\\Program Files\\Vendor\\app.exe"},
                    CommandLineCase{L"%ProgramFiles%\\Vendor\\tray.exe --hidden", L"%ProgramFiles%\\Vendor\\tray.exe",
                                    L"--hidden", L"C:\\Program Files\\Vendor\\tray.exe"},
                    CommandLineCase{L"%windir%\\system32\\agent.exe", L"%windir%\\system32\\agent.exe", L"",
                                    L"C:\\Windows\\system32\\agent.exe"},
                    CommandLineCase{L"%AppData%\\Vendor\\sync.cmd", L"%AppData%\\Vendor\\sync.cmd", L"",
                                    L"C:\\Users\\u\\AppData\\Roaming\\Vendor\\sync.cmd"},
                    CommandLineCase{L"C:\\Windows\\system32\\rundll32.exe C:\\Windows\\System32\\sample.dll,Start 1",
                                    L"C:\\Windows\\system32\\rundll32.exe",
                                    L"C:\\Windows\\System32\\sample.dll,Start 1", L"C:\\Windows\\System32\\sample.dll"},
                    CommandLineCase{L"rundll32.exe \"C:\\Program Files\\Vendor\\x y.dll\",Run", L"rundll32.exe",
                                    L"\"C:\\Program Files\\Vendor\\x y.dll\",Run",
                                    L"C:\\Program Files\\Vendor\\x y.dll"},
                    // Only the resolution removes the native prefix; the split sees it as part of the path.
                    CommandLineCase{L"\\??\\C:\\Windows\\System32\\drv.exe", L"\\??\\C:\\Windows\\System32\\drv.exe",
                                    L"", L"C:\\Windows\\System32\\drv.exe"},
                    CommandLineCase{L"C:\\Tools\\\\app.exe", L"C:\\Tools\\\\app.exe", L"", L"C:\\Tools\\app.exe"},
                    CommandLineCase{L"cmd /c start x", L"cmd", L"/c start x", L"cmd"},
                    CommandLineCase{L"C:\\My.Company\\app.exe", L"C:\\My.Com", L"pany\\app.exe", L"C:\\My.Com"},
                    CommandLineCase{L"\"C:\\Vendor\\app.exe", L"C:\\Vendor\\app.exe", L"", L"C:\\Vendor\\app.exe"}));

INSTANTIATE_TEST_SUITE_P(
    EdgeCases, CommandLineExamples,
    testing::Values(
        CommandLineCase{L"", L"", L"", L""}, CommandLineCase{L" \t  ", L"", L"", L""},
        // Quoted programs are trimmed inside the quotes; empty quotes give no program.
        CommandLineCase{L"\" C:\\a.exe \"", L"C:\\a.exe", L"", L"C:\\a.exe"},
        CommandLineCase{L"\"\" /x", L"", L"/x", L""},
        // An unclosed quote keeps everything after it, blanks included.
        CommandLineCase{L"\" C:\\a b.exe /x", L" C:\\a b.exe /x", L"", L" C:\\a b.exe /x"},
        CommandLineCase{L"rundll32.exe", L"rundll32.exe", L"", L"rundll32.exe"},
        CommandLineCase{L"rundll32 sample.dll,Start", L"rundll32", L"sample.dll,Start", L"rundll32"},
        CommandLineCase{L"RunDll32.EXE %SystemRoot%\\x.dll,Go", L"RunDll32.EXE", L"%SystemRoot%\\x.dll,Go",
                        L"C:\\Windows\\x.dll"},
        // An unclosed quote around the DLL keeps what follows it, up to the comma.
        CommandLineCase{L"rundll32.exe \"C:\\x y.dll,Run", L"rundll32.exe", L"\"C:\\x y.dll,Run", L"C:\\x y.dll"},
        CommandLineCase{L"\\\\server\\share\\app.exe", L"\\\\server\\share\\app.exe", L"", L"\\server\\share\\app.exe"},
        CommandLineCase{L"C:\\a\\\\\\b.exe", L"C:\\a\\\\\\b.exe", L"", L"C:\\a\\\\b.exe"},
        CommandLineCase{L"  \\??\\C:\\x.exe", L"\\??\\C:\\x.exe", L"", L"\\??\\C:\\x.exe"},
        CommandLineCase{L"%WINDIR%\\notepad.exe", L"%WINDIR%\\notepad.exe", L"", L"C:\\Windows\\notepad.exe"},
        CommandLineCase{L"%WinDir%notepad.exe", L"%WinDir%notepad.exe", L"", L"%WinDir%notepad.exe"},
        CommandLineCase{L"C:\\x\\%WinDir%\\a.exe", L"C:\\x\\%WinDir%\\a.exe", L"", L"C:\\x\\%WinDir%\\a.exe"},
        CommandLineCase{L"c:\\tools.bat.d\\run.exe -q", L"c:\\tools.bat", L".d\\run.exe -q", L"c:\\tools.bat"},
        CommandLineCase{L"C:\\setup.msi.exe", L"C:\\setup.msi", L".exe", L"C:\\setup.msi"},
        CommandLineCase{L"C:\\app.exe\t/quiet", L"C:\\app.exe", L"/quiet", L"C:\\app.exe"}));

TEST(ExpandPlaceholder, RecognisesOnlyALeadingPlaceholderFollowedByABackslash) {
  EXPECT_EQ(ExpandPlaceholder(L"%programfiles(X86)%\\a.exe", kExampleMap), L"C:\\Program Files (x86)\\a.exe");
  EXPECT_EQ(ExpandPlaceholder(L"%ProgramFiles%\\", kExampleMap), L"C:\\Program Files\\");
  EXPECT_EQ(ExpandPlaceholder(L"%ProgramFiles%", kExampleMap), L"%ProgramFiles%");
  EXPECT_EQ(ExpandPlaceholder(L" %ProgramFiles%\\a", kExampleMap), L" %ProgramFiles%\\a");
  EXPECT_EQ(ExpandPlaceholder(L"%Unknown%\\a", kExampleMap), L"%Unknown%\\a");
  EXPECT_EQ(ExpandPlaceholder(L"%Public%\\x", {{L"%Public%", L""}}), L"\\x");
}

// Folders a 32-bit process sees on an x64 system, and on a 32-bit one.
std::map<int, std::wstring> Folders(bool x64) {
  return {{26, L"C:\\Users\\u\\AppData\\Roaming"},
          {35, L"C:\\ProgramData"},
          {36, L"C:\\Windows"},
          {38, x64 ? L"C:\\Program Files (x86)" : L"C:\\Program Files"},
          {42, x64 ? L"C:\\Program Files (x86)" : L""},
          {43, x64 ? L"C:\\Program Files (x86)\\Common Files" : L"C:\\Program Files\\Common Files"},
          {44, x64 ? L"C:\\Program Files (x86)\\Common Files" : L""},
          {46, L"C:\\Users\\Public\\Documents"}};
}

std::vector<std::pair<std::wstring, std::wstring>> Pairs(const PlaceholderMap& map) {
  std::vector<std::pair<std::wstring, std::wstring>> pairs;
  for (const FolderPlaceholder& entry : map) pairs.emplace_back(entry.placeholder, entry.folder);
  return pairs;
}

TEST(BuildFolderPlaceholders, OnX64TheNativeFoldersComeFromTheirX86Twins) {
  const auto folders = Folders(true);
  const PlaceholderMap map = BuildFolderPlaceholders(true, [&](int csidl) { return folders.at(csidl); });
  EXPECT_THAT(
      Pairs(map),
      testing::ElementsAre(
          testing::Pair(L"%ProgramData%", L"C:\\ProgramData"), testing::Pair(L"%SystemRoot%", L"C:\\Windows"),
          testing::Pair(L"%Public%", L"C:\\Users\\Public\\Documents"),
          testing::Pair(L"%AppData%", L"C:\\Users\\u\\AppData\\Roaming"), testing::Pair(L"%WinDir%", L"C:\\Windows"),
          testing::Pair(L"%CommonProgramFiles(x86)%", L"C:\\Program Files (x86)\\Common Files"),
          testing::Pair(L"%CommonProgramFiles%", L"C:\\Program Files\\Common Files"),
          testing::Pair(L"%ProgramFiles(x86)%", L"C:\\Program Files (x86)"),
          testing::Pair(L"%ProgramFiles%", L"C:\\Program Files")));
}

TEST(BuildFolderPlaceholders, ElsewhereThe86PlaceholdersNameTheSameFolders) {
  const auto folders = Folders(false);
  const PlaceholderMap map = BuildFolderPlaceholders(false, [&](int csidl) { return folders.at(csidl); });
  EXPECT_EQ(ResolveTarget(L"%ProgramFiles(x86)%\\a.exe", map), L"C:\\Program Files\\a.exe");
  EXPECT_EQ(ResolveTarget(L"%ProgramFiles%\\a.exe", map), L"C:\\Program Files\\a.exe");
  EXPECT_EQ(ResolveTarget(L"%CommonProgramFiles(x86)%\\a.exe", map), L"C:\\Program Files\\Common Files\\a.exe");
}

TEST(BuildFolderPlaceholders, AFailedLookupKeepsThePlaceholderWithAnEmptyFolder) {
  const PlaceholderMap map = BuildFolderPlaceholders(true, [](int) { return std::wstring(); });
  ASSERT_EQ(map.size(), 9u);
  for (const FolderPlaceholder& entry : map) EXPECT_EQ(entry.folder, L"") << testing::PrintToString(entry.placeholder);
}

TEST(RemoveX86Suffix, DeletesOnlyTheFirstOccurrenceInAnyCase) {
  EXPECT_EQ(RemoveX86Suffix(L"C:\\Program Files (X86)"), L"C:\\Program Files");
  EXPECT_EQ(RemoveX86Suffix(L"D:\\a (x86)\\b (x86)"), L"D:\\a\\b (x86)");
  EXPECT_EQ(RemoveX86Suffix(L"C:\\Program Files"), L"C:\\Program Files");
  EXPECT_EQ(RemoveX86Suffix(L"C:\\(x86)"), L"C:\\(x86)");
}

}  // namespace
}  // namespace quorvane
