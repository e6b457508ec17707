// The Run-key source reads each key through one handle: values that change between the
// listing and their read, a key deleted while it is read, and command lines around the size of
// the first read.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <functional>

#include "catalogue/autorun.h"
#include "catalogue/sources.h"
#include "registry/key_reads.h"
#include "support/autorun_locations.h"
#include "support/test_support.h"

namespace quorvane {
namespace {

using test::kApprovedRun;
using test::kRunKey;
using testing::AllOf;
using testing::ElementsAre;
using testing::Field;

const std::vector<BYTE> kApprovedOff = {3, 0, 0, 0, 1, 2, 3, 4, 5, 6, 7, 8};
const std::wstring kUserRunKey = std::wstring(L"\\") + kRunKey;

testing::Matcher<const TAutorunInfo&> Read(const std::wstring& caption, const std::wstring& rawData, bool enabled) {
  return AllOf(Field("Caption", &TAutorunInfo::Caption, caption), Field("RawData", &TAutorunInfo::RawData, rawData),
               Field("Target", &TAutorunInfo::Target, L"HKCU" + kUserRunKey + L'\\' + caption),
               Field("Enabled", &TAutorunInfo::Enabled, enabled));
}

using RunKeyTest = test::AutorunLocationsTest;

// Lists the user's Run key through an open handle, lets the change happen, then reads the
// listed values through that same handle.
AutorunList ReadAfter(const std::function<void()>& change) {
  const RegKey runKey = OpenKeyForReading(HKEY_CURRENT_USER, kUserRunKey);
  EXPECT_TRUE(runKey);
  const std::vector<std::wstring> valueNames = runKey.ValueNames();
  change();
  AutorunList list;
  AddRunValues(HKEY_CURRENT_USER, kUserRunKey, runKey, valueNames, list);
  return list;
}

struct ChangeCase {
  const char* name;
  std::function<void()> change;
  std::wstring rawData;  // what "Changing" reads as afterwards
};

class ChangeBetweenListingAndRead : public RunKeyTest, public testing::WithParamInterface<ChangeCase> {};

TEST_P(ChangeBetweenListingAndRead, GivesTheValueAsItIsAtItsReadAndLeavesTheOthers) {
  test::SetStringValue(HKEY_CURRENT_USER, kRunKey, L"After", L"C:\\after.exe");
  test::SetStringValue(HKEY_CURRENT_USER, kRunKey, L"Before", L"C:\\before.exe");
  test::SetStringValue(HKEY_CURRENT_USER, kRunKey, L"Changing", L"C:\\changing.exe /a");
  test::SetBinaryValue(HKEY_CURRENT_USER, kApprovedRun, L"Changing", kApprovedOff);

  const AutorunList list = ReadAfter(GetParam().change);
  EXPECT_THAT(list, ElementsAre(Read(L"After", L"C:\\after.exe", true), Read(L"Before", L"C:\\before.exe", true),
                                Read(L"Changing", GetParam().rawData, false)));
  EXPECT_EQ(list[2].FileName, ResolveTarget(GetParam().rawData));
}

const DWORD kNumber = 7;
const wchar_t kMulti[] = L"C:\\a.exe\0C:\\b.exe\0";

void SetChanging(DWORD type, const void* data, std::size_t size) {
  test::SetRawValue(HKEY_CURRENT_USER, kRunKey, L"Changing", type, data, size);
}

INSTANTIATE_TEST_SUITE_P(
    RunKey, ChangeBetweenListingAndRead,
    testing::Values(ChangeCase{"Deleted", [] { TReg::DeleteValue(HKEY_CURRENT_USER, kRunKey, L"Changing"); }, L""},
                    ChangeCase{"NowDword", [] { SetChanging(REG_DWORD, &kNumber, sizeof kNumber); }, L""},
                    ChangeCase{"NowMultiString", [] { SetChanging(REG_MULTI_SZ, kMulti, sizeof kMulti); }, L""},
                    ChangeCase{"NowExpandable",
                               [] {
                                 test::SetStringValue(HKEY_CURRENT_USER, kRunKey, L"Changing", L"%ProgramFiles%\\x.exe",
                                                      REG_EXPAND_SZ);
                               },
                               L"%ProgramFiles%\\x.exe"},
                    ChangeCase{"NowLonger",
                               [] {
                                 test::SetStringValue(HKEY_CURRENT_USER, kRunKey, L"Changing",
                                                      L"C:\\changing.exe " + std::wstring(3000, L'b'));
                               },
                               L"C:\\changing.exe " + std::wstring(3000, L'b')}),
    [](const testing::TestParamInfo<ChangeCase>& testCase) { return testCase.param.name; });

TEST_F(RunKeyTest, AKeyDeletedWhileItIsReadGivesEveryListedEntryWithAnEmptyCommandLine) {
  test::SetStringValue(HKEY_CURRENT_USER, kRunKey, L"First", L"C:\\first.exe");
  test::SetStringValue(HKEY_CURRENT_USER, kRunKey, L"Second", L"C:\\second.exe");
  test::SetBinaryValue(HKEY_CURRENT_USER, kApprovedRun, L"Second", kApprovedOff);

  const AutorunList list = ReadAfter([] { test::DeleteRawTree(HKEY_CURRENT_USER, kRunKey); });
  EXPECT_THAT(list, ElementsAre(Read(L"First", L"", true), Read(L"Second", L"", false)));
  AutorunList again;
  AddRunKeys(again);
  EXPECT_THAT(again, testing::IsEmpty());
}

TEST_F(RunKeyTest, AStartupApprovedKeyDeletedBeforeTheReadLeavesEveryEntryEnabled) {
  test::SetStringValue(HKEY_CURRENT_USER, kRunKey, L"Off", L"C:\\off.exe");
  test::SetBinaryValue(HKEY_CURRENT_USER, kApprovedRun, L"Off", kApprovedOff);
  EXPECT_THAT(ReadAfter([] { test::DeleteRawTree(HKEY_CURRENT_USER, kApprovedRun); }),
              ElementsAre(Read(L"Off", L"C:\\off.exe", true)));
}

// Command lines on both sides of the size that one read takes, with and without their NUL.
TEST_F(RunKeyTest, CommandLinesOfEveryLengthReadWhole) {
  const std::vector<std::size_t> lengths = {0, 1, 510, 511, 512, 513, 1023, 1024, 40000};
  std::vector<std::wstring> texts;
  for (std::size_t i = 0; i < lengths.size(); ++i) {
    std::wstring text = L"C:\\" + std::wstring(lengths[i], static_cast<wchar_t>(L'a' + i));
    text.resize(lengths[i]);
    texts.push_back(text);
    const std::wstring withNul = L"With NUL " + std::to_wstring(i);
    const std::wstring withoutNul = L"Without NUL " + std::to_wstring(i);
    test::SetRawValue(HKEY_CURRENT_USER, kRunKey, withNul, REG_SZ, text.c_str(), (text.size() + 1) * sizeof(wchar_t));
    test::SetRawValue(HKEY_CURRENT_USER, kRunKey, withoutNul, REG_EXPAND_SZ, text.data(),
                      text.size() * sizeof(wchar_t));
  }
  AutorunList list;
  AddRunKeys(list);
  ASSERT_EQ(list.size(), 2 * lengths.size());
  for (const TAutorunInfo& entry : list) {
    const std::size_t index = std::stoul(entry.Caption.substr(entry.Caption.rfind(L' ') + 1));
    SCOPED_TRACE(testing::PrintToString(entry.Caption));
    EXPECT_EQ(entry.RawData, texts[index]);
  }
}

// Many values through one handle: each entry carries its own value's text and state, never a
// neighbour's.
TEST_F(RunKeyTest, EveryValueOfALargeKeyKeepsItsOwnTextAndState) {
  constexpr int kValues = 300;
  for (int i = 0; i < kValues; ++i) {
    const std::wstring name = L"Value " + std::to_wstring(1000 + i);
    if (i % 5 != 3) {
      test::SetStringValue(HKEY_CURRENT_USER, kRunKey, name, L"C:\\v" + std::to_wstring(i) + L".exe");
    } else {
      test::SetRawValue(HKEY_CURRENT_USER, kRunKey, name, REG_DWORD, &kNumber, sizeof kNumber);
    }
    if (i % 3 == 0) test::SetBinaryValue(HKEY_CURRENT_USER, kApprovedRun, name, kApprovedOff);
  }
  AutorunList list;
  AddRunKeys(list);
  ASSERT_EQ(list.size(), static_cast<std::size_t>(kValues));
  for (const TAutorunInfo& entry : list) {
    const int i = std::stoi(entry.Caption.substr(6)) - 1000;
    SCOPED_TRACE(testing::PrintToString(entry.Caption));
    EXPECT_EQ(entry.RawData, i % 5 != 3 ? L"C:\\v" + std::to_wstring(i) + L".exe" : L"");
    EXPECT_EQ(entry.Enabled, i % 3 != 0);
  }
}

}  // namespace
}  // namespace quorvane
