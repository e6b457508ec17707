// Version strings of files: fixture programs that the test build makes, with version resources
// of one and of two translations and one without "ProductName"; copies of them whose version
// resource a test writes itself, byte by byte.
#include "common/version_info.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <cwctype>

#include "support/fixture_programs.h"
#include "support/test_support.h"

namespace quorvane {
namespace {

using test::Fixture;
using testing::ElementsAre;
using testing::IsEmpty;
using testing::Pair;

// ---- Version resources written by the test -----------------------------------------------------

void Align4(std::string& bytes) {
  while (bytes.size() % 4 != 0) bytes += '\0';
}

void AppendWord(std::string& bytes, std::size_t value) {
  bytes += static_cast<char>(value & 0xFF);
  bytes += static_cast<char>((value >> 8) & 0xFF);
}

std::string Utf16(std::wstring_view text) {
  std::string bytes;
  for (wchar_t c : text) AppendWord(bytes, static_cast<std::size_t>(c));
  return bytes;
}

// One node of a version resource: its length, the length of its value (in characters for a
// text, in bytes otherwise), its type, its key, then its value and its children, each starting
// on a 32-bit boundary.
std::string VersionNode(std::wstring_view key, std::string_view value, std::size_t valueLength, bool text,
                        const std::vector<std::string>& children = {}) {
  std::string body = Utf16(key);
  AppendWord(body, 0);
  std::string node(6, '\0');
  node += body;
  Align4(node);
  node += value;
  for (const std::string& child : children) {
    Align4(node);
    node += child;
  }
  node[0] = static_cast<char>(node.size() & 0xFF);
  node[1] = static_cast<char>(node.size() >> 8);
  node[2] = static_cast<char>(valueLength & 0xFF);
  node[3] = static_cast<char>(valueLength >> 8);
  node[4] = text ? 1 : 0;
  return node;
}

std::string FixedFileInfo() {
  std::string info(52, '\0');
  const std::uint32_t signature = 0xFEEF04BD;
  const std::uint32_t structVersion = 0x00010000;
  std::memcpy(info.data(), &signature, 4);
  std::memcpy(info.data() + 4, &structVersion, 4);
  return info;
}

struct StringValue {
  std::wstring name;
  std::wstring text;   // written with its NUL, and whatever follows it
  std::size_t length;  // the length that the resource states, in characters
};

// The translation table's bytes are written whole, its stated length may be less.
std::string VersionResource(const std::string& translationTable, std::size_t statedLength,
                            const std::vector<StringValue>& strings) {
  std::vector<std::string> values;
  for (const StringValue& value : strings) {
    values.push_back(VersionNode(value.name, Utf16(value.text + L'\0'), value.length, true));
  }
  const std::string stringTable = VersionNode(L"040904B0", "", 0, true, values);
  const std::string stringFileInfo = VersionNode(L"StringFileInfo", "", 0, true, {stringTable});
  const std::string translation = VersionNode(L"Translation", translationTable, statedLength, false);
  const std::string varFileInfo = VersionNode(L"VarFileInfo", "", 0, true, {translation});
  return VersionNode(L"VS_VERSION_INFO", FixedFileInfo(), 52, false, {stringFileInfo, varFileInfo});
}

// A copy of the fixture without resources, given the version resource.
class WrittenVersion {
 public:
  explicit WrittenVersion(const std::string& resource) : path_(folder_.File(L"written.exe")) {
    if (!CopyFileW(Fixture(L"plain").c_str(), path_.c_str(), FALSE))
      throw std::runtime_error("cannot copy the fixture");
    const HANDLE update = BeginUpdateResourceW(path_.c_str(), FALSE);
    std::string data = resource;
    if (!update ||
        !UpdateResourceW(update, RT_VERSION, MAKEINTRESOURCEW(1), MAKELANGID(LANG_NEUTRAL, SUBLANG_NEUTRAL),
                         data.data(), static_cast<DWORD>(data.size())) ||
        !EndUpdateResourceW(update, FALSE)) {
      throw std::runtime_error("cannot write the version resource");
    }
  }
  const std::wstring& Path() const { return path_; }

 private:
  test::TempFolder folder_;
  std::wstring path_;
};

const std::string kEnglishUnicode("\x09\x04\xB0\x04", 4);

// ---- GetVersionStrings ---------------------------------------------------------------------------

TEST(GetVersionStrings, AddsThePairsOfTheNamesThatTheFileHolds) {
  VersionValues values;
  EXPECT_EQ(GetVersionStrings(Fixture(L"one_translation"), {L"ProductName", L"Missing", L"CompanyName"}, values), 2);
  EXPECT_THAT(values,
              ElementsAre(Pair(L"CompanyName", L"Fixture Company"), Pair(L"ProductName", L"Fixture One Product")));
}

TEST(GetVersionStrings, CountsThePairsThatTheMapHeldBefore) {
  VersionValues values{{L"Earlier", L"kept"}};
  EXPECT_EQ(GetVersionStrings(Fixture(L"one_translation"), {L"ProductName"}, values), 2);
  EXPECT_EQ(values.at(L"Earlier"), L"kept");
}

TEST(GetVersionStrings, AsksOnlyTheFirstTranslation) {
  VersionValues values;
  EXPECT_EQ(GetVersionStrings(Fixture(L"two_translations"), {L"ProductName", L"Comments"}, values), 1);
  EXPECT_THAT(values, ElementsAre(Pair(L"ProductName", L"Fixture Two Korean")));
}

TEST(GetVersionStrings, AFileWithoutProductNameGivesNoSuchPair) {
  VersionValues values;
  EXPECT_EQ(GetVersionStrings(Fixture(L"no_product"), {L"ProductName"}, values), 0);
  EXPECT_THAT(values, IsEmpty());
  EXPECT_EQ(GetVersionStrings(Fixture(L"no_product"), {L"ProductName", L"CompanyName"}, values), 1);
}

TEST(GetVersionStrings, GivesZeroWithoutAReadableVersionResource) {
  test::TempFolder folder;
  VersionValues values{{L"Earlier", L"kept"}};
  for (const std::wstring& path : {Fixture(L"plain"), folder.File(L"missing.exe"), folder.Path()}) {
    EXPECT_EQ(GetVersionStrings(path, {L"ProductName"}, values), 0) << testing::PrintToString(path);
  }
  EXPECT_EQ(values.size(), 1u);
}

TEST(GetVersionStrings, ATranslationTableShorterThanOneTranslationGivesNothing) {
  const std::vector<StringValue> strings = {{L"ProductName", L"Written", 8}};
  {
    const WrittenVersion whole(VersionResource(kEnglishUnicode, 4, strings));
    VersionValues values;
    ASSERT_EQ(GetVersionStrings(whole.Path(), {L"ProductName"}, values), 1) << "the written resource is readable";
    EXPECT_EQ(values.at(L"ProductName"), L"Written");
  }
  // The whole translation is there, but the table says it is shorter: reading on would find
  // the string table.
  for (std::size_t stated : {2u, 0u}) {
    const WrittenVersion shortTable(VersionResource(kEnglishUnicode, stated, strings));
    VersionValues values;
    EXPECT_EQ(GetVersionStrings(shortTable.Path(), {L"ProductName"}, values), 0) << stated << " bytes";
    EXPECT_THAT(values, IsEmpty());
  }
}

TEST(GetVersionStrings, ReadsATextNoFurtherThanItsStatedLength) {
  // Three characters stated, with no NUL among them: what follows is not part of the value.
  const WrittenVersion written(VersionResource(
      kEnglishUnicode, 4, {{L"ProductName", L"AbcDEF", 3}, {L"Comments", std::wstring(L"A\0bc", 4), 5}}));
  VersionValues values;
  EXPECT_EQ(GetVersionStrings(written.Path(), {L"ProductName", L"Comments"}, values), 2);
  EXPECT_THAT(values, ElementsAre(Pair(L"Comments", L"A"), Pair(L"ProductName", L"Abc")));
}

}  // namespace
}  // namespace quorvane
