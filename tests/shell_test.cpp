#include "common/shell.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <shlobj.h>

#include "support/test_support.h"

namespace quorvane {
namespace {

using test::FileExists;

TEST(GetSpecialFolderPath, GivesTheFolderWithoutATrailingBackslash) {
  EXPECT_EQ(GetSpecialFolderPath(CSIDL_COMMON_STARTUP), L"C:\\ProgramData\\Microsoft\\Windows\\Start Menu\\Programs\\StartUp");
  // The root of a drive keeps no backslash either.
  const std::wstring windows = GetSpecialFolderPath(CSIDL_WINDOWS);
  ASSERT_FALSE(windows.empty());
  EXPECT_NE(windows.back(), L'\\');
}

TEST(GetSpecialFolderPath, GivesTheEmptyTextForAnUnknownFolder) {
  EXPECT_EQ(GetSpecialFolderPath(0x7F), L"");
}

TEST(FolderPlaceholders, HoldsTheNineRowsOfThisSystemInOrder) {
  InitFolderPlaceholders();
  std::vector<std::wstring> names;
  for (const FolderPlaceholder& entry : FolderPlaceholders()) names.push_back(entry.placeholder);
  EXPECT_THAT(names, testing::ElementsAre(L"%ProgramData%", L"%SystemRoot%", L"%Public%", L"%AppData%", L"%WinDir%",
                                          L"%CommonProgramFiles(x86)%", L"%CommonProgramFiles%", L"%ProgramFiles(x86)%",
                                          L"%ProgramFiles%"));
  // The test prefix is an x64 system: the native and the 32-bit folders differ.
  EXPECT_EQ(ResolveTarget(L"%ProgramFiles%\\Vendor\\a.exe"), GetSpecialFolderPath(CSIDL_PROGRAM_FILES) + L"\\Vendor\\a.exe");
  EXPECT_EQ(ExpandPlaceholder(L"%ProgramFiles(x86)%\\a"), GetSpecialFolderPath(CSIDL_PROGRAM_FILESX86) + L"\\a");
  EXPECT_EQ(ExpandPlaceholder(L"%windir%\\a"), GetSpecialFolderPath(CSIDL_WINDOWS) + L"\\a");
  EXPECT_EQ(ExpandPlaceholder(L"%Public%\\a"), GetSpecialFolderPath(CSIDL_COMMON_DOCUMENTS) + L"\\a");

  ReleaseFolderPlaceholders();
  EXPECT_TRUE(FolderPlaceholders().empty());
  EXPECT_EQ(ResolveTarget(L"%ProgramFiles%\\a.exe"), L"%ProgramFiles%\\a.exe");
}

// The shell starts a program that it is handed, here one whose path has blanks.
TEST(ShellOpen, HandsThePathToTheShell) {
  test::TempFolder folder;
  const std::wstring probe = folder.File(L"open probe.exe");
  ASSERT_TRUE(CopyFileW(test::ProgramBesideTest(L"open_probe.exe").c_str(), probe.c_str(), TRUE));

  ShellOpen(probe);

  const std::wstring marker = probe + L".opened";
  for (int i = 0; i < 200 && !FileExists(marker); ++i) Sleep(50);
  EXPECT_TRUE(FileExists(marker));
  // Let the probe end before its folder is removed.
  for (int i = 0; i < 100 && !DeleteFileW(probe.c_str()); ++i) Sleep(50);
}

}  // namespace
}  // namespace quorvane
