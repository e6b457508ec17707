#include "common/native_path.h"

#include <gtest/gtest.h>

#include <windows.h>

namespace quorvane {
namespace {

struct MappingCase {
  const wchar_t* path;
  const wchar_t* wow64;  // what a 32-bit process on 64-bit Windows uses
};

const ProcessView kWow64{L"C:\\Windows", true};
const ProcessView kNative{L"C:\\Windows", false};

TEST(MapPathForProcess, SendsAWow64ProcessToTheNativeSystemFolderOnly) {
  const MappingCase cases[] = {
      // System32 of the Windows folder, in any letter case, as %windir% and %SystemRoot% expand.
      {L"C:\\Windows\\System32\\SecurityHealthSystray.exe", L"C:\\Windows\\Sysnative\\SecurityHealthSystray.exe"},
      {L"C:\\Windows\\system32\\rundll32.exe", L"C:\\Windows\\Sysnative\\rundll32.exe"},
      {L"c:\\windows\\SYSTEM32\\drivers\\etc\\hosts", L"c:\\windows\\Sysnative\\drivers\\etc\\hosts"},
      {L"C:\\WINDOWS\\SyStEm32\\a.dll,3", L"C:\\WINDOWS\\Sysnative\\a.dll,3"},
      {L"C:\\Windows\\System32", L"C:\\Windows\\Sysnative"},
      {L"C:\\Windows\\System32\\", L"C:\\Windows\\Sysnative\\"},
      {L"C:/Windows/System32/a.exe", L"C:/Windows/Sysnative/a.exe"},
      {L"C:\\Windows/system32\\a.exe", L"C:\\Windows/Sysnative\\a.exe"},
      // The 32-bit folder and the alias itself are what they say already.
      {L"C:\\Windows\\SysWOW64\\a.exe", L"C:\\Windows\\SysWOW64\\a.exe"},
      {L"C:\\Windows\\Sysnative\\a.exe", L"C:\\Windows\\Sysnative\\a.exe"},
      // Names that only begin with the same letters.
      {L"C:\\Windows\\System32x\\a.exe", L"C:\\Windows\\System32x\\a.exe"},
      {L"C:\\Windows\\System320\\a.exe", L"C:\\Windows\\System320\\a.exe"},
      {L"C:\\Windows\\System3\\a.exe", L"C:\\Windows\\System3\\a.exe"},
      {L"C:\\Windows\\System32.exe", L"C:\\Windows\\System32.exe"},
      {L"C:\\WindowsOld\\System32\\a.exe", L"C:\\WindowsOld\\System32\\a.exe"},
      // System32 elsewhere.
      {L"D:\\Windows\\System32\\a.exe", L"D:\\Windows\\System32\\a.exe"},
      {L"C:\\Windows\\WinSxS\\System32\\a.exe", L"C:\\Windows\\WinSxS\\System32\\a.exe"},
      {L"C:\\Program Files\\Vendor\\System32\\a.exe", L"C:\\Program Files\\Vendor\\System32\\a.exe"},
      // UNC, device and relative paths.
      {L"\\\\server\\share\\Windows\\System32\\a.exe", L"\\\\server\\share\\Windows\\System32\\a.exe"},
      {L"\\\\?\\C:\\Windows\\System32\\a.exe", L"\\\\?\\C:\\Windows\\System32\\a.exe"},
      {L"System32\\a.exe", L"System32\\a.exe"},
      {L"Windows\\System32\\a.exe", L"Windows\\System32\\a.exe"},
      {L"\\Windows\\System32\\a.exe", L"\\Windows\\System32\\a.exe"},
      {L"a.exe", L"a.exe"},
      {L"", L""},
  };
  for (const MappingCase& mapping : cases) {
    EXPECT_EQ(MapPathForProcess(mapping.path, kWow64), mapping.wow64) << testing::PrintToString(mapping.path);
    // A 64-bit process, and a 32-bit one on 32-bit Windows, see every path as it is.
    EXPECT_EQ(MapPathForProcess(mapping.path, kNative), mapping.path) << testing::PrintToString(mapping.path);
  }
}

TEST(MapPathForProcess, FollowsTheSystemsOwnWindowsFolder) {
  const ProcessView elsewhere{L"D:\\WINNT", true};
  EXPECT_EQ(MapPathForProcess(L"d:\\winnt\\system32\\a.exe", elsewhere), L"d:\\winnt\\Sysnative\\a.exe");
  EXPECT_EQ(MapPathForProcess(L"C:\\Windows\\System32\\a.exe", elsewhere), L"C:\\Windows\\System32\\a.exe");
  // Given with a backslash at its end.
  EXPECT_EQ(MapPathForProcess(L"C:\\Windows\\System32\\a.exe", {L"C:\\Windows\\", true}),
            L"C:\\Windows\\Sysnative\\a.exe");
  // Windows at the root of a drive.
  EXPECT_EQ(MapPathForProcess(L"E:\\System32\\a.exe", {L"E:\\", true}), L"E:\\Sysnative\\a.exe");
  // A folder that could not be read maps nothing.
  EXPECT_EQ(MapPathForProcess(L"C:\\Windows\\System32\\a.exe", {L"", true}), L"C:\\Windows\\System32\\a.exe");
}

TEST(NativePath, AsksTheSystemAboutThisProcess) {
  wchar_t folder[MAX_PATH] = {};
  ASSERT_GT(GetSystemWindowsDirectoryW(folder, MAX_PATH), 0u);
  EXPECT_EQ(ThisProcessView().windowsFolder, folder);
  BOOL wow64 = TRUE;
  ASSERT_TRUE(IsWow64Process(GetCurrentProcess(), &wow64));
  EXPECT_EQ(ThisProcessView().isWow64, wow64 != FALSE);
  // The tests run as a 64-bit process, which sees System32 as it is.
  const std::wstring system32 = std::wstring(folder) + L"\\System32\\kernel32.dll";
  EXPECT_EQ(NativePath(system32), system32);
}

}  // namespace
}  // namespace quorvane
