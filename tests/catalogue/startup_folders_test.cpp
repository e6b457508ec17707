// The Startup-folder source reads each folder's StartupApproved key through one handle: values
// of every type and size, next to each other, each give their own file's state.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "catalogue/autorun.h"
#include "catalogue/sources.h"
#include "support/autorun_locations.h"
#include "support/test_support.h"

namespace quorvane {
namespace {

using test::kApprovedFolder;
using testing::UnorderedElementsAreArray;

using StartupFolderTest = test::AutorunLocationsTest;

struct StateCase {
  const wchar_t* fileName;
  DWORD type;
  std::vector<BYTE> data;  // no value at all when empty and of type REG_NONE
  bool enabled;
};

std::vector<BYTE> Twelve(BYTE first) { return {first, 0, 0, 0, 1, 2, 3, 4, 5, 6, 7, 8}; }

std::vector<BYTE> Repeated(std::size_t size, BYTE first) {
  std::vector<BYTE> data(size, 0);
  data[0] = first;
  return data;
}

TEST_F(StartupFolderTest, EachFileTakesTheStateOfItsOwnValueOfAnyTypeAndSize) {
  const std::vector<StateCase> cases = {
      {L"NoValue.lnk", REG_NONE, {}, true},
      {L"EmptyValue.lnk", REG_BINARY, {}, true},
      {L"TwelveOn.lnk", REG_BINARY, Twelve(2), true},
      {L"TwelveOff.lnk", REG_BINARY, Twelve(3), false},
      {L"TwelveZero.exe", REG_BINARY, Twelve(0), false},
      {L"TwelveOffUntyped.url", REG_NONE, Twelve(3), false},
      {L"TwelveOffDword.bat", REG_DWORD, Twelve(3), false},
      {L"ElevenOff.lnk", REG_BINARY, Repeated(11, 3), true},
      {L"ThirteenOff.lnk", REG_BINARY, Repeated(13, 3), true},
      {L"LargeOff.lnk", REG_BINARY, Repeated(4096, 3), true},
      {L"DwordOff.cmd", REG_DWORD, {3, 0, 0, 0}, true},
      {L"AfterLarge.lnk", REG_BINARY, Twelve(3), false},
  };
  std::vector<testing::Matcher<const TAutorunInfo&>> expected;
  for (const StateCase& state : cases) {
    test::WriteFileBytes(user_ + L'\\' + state.fileName, "x");
    if (state.type != REG_NONE || !state.data.empty()) {
      test::SetRawValue(HKEY_CURRENT_USER, kApprovedFolder, state.fileName, state.type, state.data.data(),
                        state.data.size());
    }
    expected.push_back(testing::AllOf(testing::Field("Target", &TAutorunInfo::Target, user_ + L'\\' + state.fileName),
                                      testing::Field("Enabled", &TAutorunInfo::Enabled, state.enabled)));
  }
  AutorunList list;
  AddStartupFolders(list);
  EXPECT_THAT(list, UnorderedElementsAreArray(expected));
}

TEST_F(StartupFolderTest, WithoutAStartupApprovedKeyEveryFileIsEnabled) {
  test::WriteFileBytes(common_ + L"\\Common.lnk", "x");
  test::WriteFileBytes(user_ + L"\\User.exe", "x");
  test::DeleteRawTree(HKEY_LOCAL_MACHINE, kApprovedFolder);
  test::DeleteRawTree(HKEY_CURRENT_USER, kApprovedFolder);
  AutorunList list;
  AddStartupFolders(list);
  ASSERT_EQ(list.size(), 2u);
  for (const TAutorunInfo& entry : list) EXPECT_TRUE(entry.Enabled) << testing::PrintToString(entry.Target);
}

}  // namespace
}  // namespace quorvane
