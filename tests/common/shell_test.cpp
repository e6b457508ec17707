#include "common/shell.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <shlobj.h>

#include <optional>
#include <stdexcept>
#include <utility>

#include "support/test_support.h"

namespace quorvane {
namespace {

TEST(GetSpecialFolderPath, GivesTheFolderWithoutATrailingBackslash) {
  EXPECT_EQ(GetSpecialFolderPath(CSIDL_COMMON_STARTUP),
            L"C:\\ProgramData\\Microsoft\\Windows\\Start Menu\\Programs\\StartUp");
  // The root of a drive keeps no backslash either.
  const std::wstring windows = GetSpecialFolderPath(CSIDL_WINDOWS);
  ASSERT_FALSE(windows.empty());
  EXPECT_NE(windows.back(), L'\\');
}

TEST(GetSpecialFolderPath, GivesTheEmptyTextForAnUnknownFolder) { EXPECT_EQ(GetSpecialFolderPath(0x7F), L""); }

TEST(FolderPlaceholders, HoldsTheNineRowsOfThisSystemInOrder) {
  InitFolderPlaceholders();
  std::vector<std::wstring> names;
  for (const FolderPlaceholder& entry : FolderPlaceholders()) names.push_back(entry.placeholder);
  EXPECT_THAT(names, testing::ElementsAre(L"%ProgramData%", L"%SystemRoot%", L"%Public%", L"%AppData%", L"%WinDir%",
                                          L"%CommonProgramFiles(x86)%", L"%CommonProgramFiles%", L"%ProgramFiles(x86)%",
                                          L"%ProgramFiles%"));
  // The test prefix is an x64 system: the native and the 32-bit folders differ.
  EXPECT_EQ(ResolveTarget(L"%ProgramFiles%\\Vendor\\a.exe"),
            GetSpecialFolderPath(CSIDL_PROGRAM_FILES) + L"\\Vendor\\a.exe");
  EXPECT_EQ(ExpandPlaceholder(L"%ProgramFiles(x86)%\\a"), GetSpecialFolderPath(CSIDL_PROGRAM_FILESX86) + L"\\a");
  EXPECT_EQ(ExpandPlaceholder(L"%windir%\\a"), GetSpecialFolderPath(CSIDL_WINDOWS) + L"\\a");
  EXPECT_EQ(ExpandPlaceholder(L"%Public%\\a"), GetSpecialFolderPath(CSIDL_COMMON_DOCUMENTS) + L"\\a");

  ReleaseFolderPlaceholders();
  EXPECT_TRUE(FolderPlaceholders().empty());
  EXPECT_EQ(ResolveTarget(L"%ProgramFiles%\\a.exe"), L"%ProgramFiles%\\a.exe");
}

// The probe copied into a folder of the test's own; what it reports once the shell started it.
class OpenProbe {
 public:
  OpenProbe() {
    if (!CopyFileW(test::ProgramBesideTest(L"open_probe.exe").c_str(), path_.c_str(), TRUE)) {
      throw std::runtime_error("cannot copy the probe");
    }
  }
  ~OpenProbe() {
    // Let the probe end before its folder is removed.
    for (int i = 0; i < 100 && !DeleteFileW(path_.c_str()); ++i) Sleep(50);
  }
  const std::wstring& Path() const { return path_; }

  // The process that started the probe and the command line it got, once it has run.
  std::optional<std::pair<DWORD, std::wstring>> Report() const {
    const std::optional<std::string> bytes = test::WaitForFileBytes(path_ + L".opened", 30000);
    if (!bytes) return std::nullopt;
    const std::wstring text(reinterpret_cast<const wchar_t*>(bytes->data()), bytes->size() / sizeof(wchar_t));
    const auto lineBreak = text.find(L'\n');
    return std::pair{static_cast<DWORD>(std::stoul(text.substr(0, lineBreak))), text.substr(lineBreak + 1)};
  }

 private:
  test::TempFolder folder_;
  std::wstring path_ = folder_.File(L"open probe.exe");
};

// The shell starts a program that it is handed, here one whose path has blanks.
TEST(ShellOpen, HandsAPathToTheShell) {
  OpenProbe probe;
  ShellOpen(probe.Path());
  const auto report = probe.Report();
  ASSERT_TRUE(report.has_value());
  EXPECT_EQ(report->first, GetCurrentProcessId());
}

// A web address goes to the desktop shell, which starts the browser as itself: here the
// probe, registered for the test as what opens http addresses, and started by the shell's
// process. (Wine reads the classes of the machine only, so the handler goes there.)
TEST(ShellOpen, HandsWebAddressesToTheDesktopShell) {
  OpenProbe probe;
  const std::wstring command = L"Software\\Classes\\http\\shell\\open\\command";
  const std::vector<BYTE> browser = test::RawValueBytes(HKEY_LOCAL_MACHINE, command, L"");
  test::SetStringValue(HKEY_LOCAL_MACHINE, command, L"", L"\"" + probe.Path() + L"\" \"%1\"");
  ShellOpen(L"http://info.example.test/entry/hkcu/tool");
  const auto report = probe.Report();
  test::SetRawValue(HKEY_LOCAL_MACHINE, command, L"", REG_SZ, browser.data(), browser.size());
  ASSERT_TRUE(report.has_value());
  EXPECT_NE(report->first, GetCurrentProcessId());
  EXPECT_THAT(report->second, testing::HasSubstr(L"http://info.example.test/entry/hkcu/tool"));
}

}  // namespace
}  // namespace quorvane
