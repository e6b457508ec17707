#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "catalogue/saved_list.h"
#include "common/error.h"
#include "support/test_support.h"

namespace quorvane {
namespace {

using test::FolderEntries;
using test::ReadFileBytes;
using testing::ElementsAre;

TAutorunInfo Info(const std::wstring& from, const std::wstring& caption, const std::wstring& target) {
  TAutorunInfo info;
  info.From = from;
  info.Caption = caption;
  info.Target = target;
  info.FileName = L"not written";
  info.RawData = L"not written";
  return info;
}

TEST(FormatSavedList, AnEmptyCatalogueIsTheByteOrderMarkAlone) { EXPECT_EQ(FormatSavedList({}), "\xEF\xBB\xBF"); }

TEST(FormatSavedList, WritesFromCaptionAndTargetPerEntryUnquoted) {
  const AutorunList list = {Info(L"HKCU", L"A|B", L"HKCU\\Software\\Microsoft\\Windows\\CurrentVersion\\Run\\A|B"),
                            Info(L"FILE", L"", L"C:\\x\\.lnk"), Info(L"SERV", L"\uC804\uCCB4", L"svc")};
  EXPECT_EQ(FormatSavedList(list),
            "\xEF\xBB\xBF"
            "HKCU|A|B|HKCU\\Software\\Microsoft\\Windows\\CurrentVersion\\Run\\A|B\r\n"
            "FILE||C:\\x\\.lnk\r\n"
            "SERV|\xEC\xA0\x84\xEC\xB2\xB4|svc\r\n");
}

TEST(SaveAutorunList, ReplacesTheWholeOldContentAndLeavesNothingElseBehind) {
  test::TempFolder folder;
  const std::wstring path = folder.File(L"list.txt");
  test::WriteFileBytes(path, std::string(10000, 'o'));
  const AutorunList list = {Info(L"FILE", L"a", L"C:\\a.lnk")};
  SaveAutorunList(list, path);
  EXPECT_EQ(ReadFileBytes(path), FormatSavedList(list));
  EXPECT_THAT(FolderEntries(folder.Path()), ElementsAre(L"list.txt"));
}

TEST(SaveAutorunList, AFailedSaveThrowsAndKeepsWhatWasThere) {
  test::TempFolder folder;
  const AutorunList list = {Info(L"FILE", L"a", L"C:\\a.lnk")};

  EXPECT_THROW(SaveAutorunList(list, folder.File(L"missing\\list.txt")), Error);

  // A folder in the way of the file: the folder stays as it was, no temporary file is left.
  const std::wstring blocked = folder.File(L"blocked.txt");
  ASSERT_TRUE(CreateDirectoryW(blocked.c_str(), nullptr));
  test::WriteFileBytes(blocked + L"\\inside", "kept");
  try {
    SaveAutorunList(list, blocked);
    ADD_FAILURE() << "saving over a folder succeeded";
  } catch (const Error& error) {
    EXPECT_THAT(error.Message(), testing::HasSubstr(blocked));
  }
  EXPECT_EQ(ReadFileBytes(blocked + L"\\inside"), "kept");
  EXPECT_THAT(FolderEntries(folder.Path()), ElementsAre(L"blocked.txt"));
}

}  // namespace
}  // namespace quorvane
