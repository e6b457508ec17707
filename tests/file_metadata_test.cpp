// Version strings and icons of files: fixture programs that the test build makes, with version
// resources of one and of two translations, one without "ProductName", and several icons;
// copies of them whose version resource a test writes itself, byte by byte.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <cwctype>

#include "ui/images.h"
#include "common/version_info.h"
#include "listview/file_icons.h"
#include "support/test_support.h"
#include "support/window_capture.h"

namespace quorvane {
namespace {

using testing::ElementsAre;
using testing::IsEmpty;
using testing::Pair;

std::wstring Fixture(const std::wstring& name) { return test::ProgramBesideTest(L"fixture_" + name + L".exe"); }

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
  std::wstring text;      // written with its NUL, and whatever follows it
  std::size_t length;     // the length that the resource states, in characters
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
    if (!CopyFileW(Fixture(L"plain").c_str(), path_.c_str(), FALSE)) throw std::runtime_error("cannot copy the fixture");
    const HANDLE update = BeginUpdateResourceW(path_.c_str(), FALSE);
    std::string data = resource;
    if (!update || !UpdateResourceW(update, RT_VERSION, MAKEINTRESOURCEW(1), MAKELANGID(LANG_NEUTRAL, SUBLANG_NEUTRAL),
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
  EXPECT_THAT(values, ElementsAre(Pair(L"CompanyName", L"Fixture Company"), Pair(L"ProductName", L"Fixture One Product")));
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
  const WrittenVersion written(
      VersionResource(kEnglishUnicode, 4, {{L"ProductName", L"AbcDEF", 3}, {L"Comments", std::wstring(L"A\0bc", 4), 5}}));
  VersionValues values;
  EXPECT_EQ(GetVersionStrings(written.Path(), {L"ProductName", L"Comments"}, values), 2);
  EXPECT_THAT(values, ElementsAre(Pair(L"Comments", L"A"), Pair(L"ProductName", L"Abc")));
}

// ---- GetIconIndex --------------------------------------------------------------------------------

class Owner : public ui::Component {};

// The pixels of an icon drawn at 32 x 32 on white.
std::vector<std::uint32_t> Drawn(HICON icon) { return test::DrawnIcon(icon, 32); }

std::vector<std::uint32_t> DrawnImage(const ui::ImageCollection& images, std::size_t index) {
  const ui::ScopedIcon icon = ui::LoadIconFromIconFile(images.IconData(index), 32, 32);
  EXPECT_TRUE(icon) << "image " << index;
  return Drawn(icon.Get());
}

// The fixture's own icon of that resource number, as the system loads it.
std::vector<std::uint32_t> FixtureIcon(const std::wstring& fixture, int resource) {
  const HMODULE module = LoadLibraryExW(Fixture(fixture).c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
  const ui::ScopedIcon icon(static_cast<HICON>(LoadImageW(module, MAKEINTRESOURCEW(resource), IMAGE_ICON, 32, 32, 0)));
  std::vector<std::uint32_t> pixels = Drawn(icon.Get());
  FreeLibrary(module);
  return pixels;
}

class GetIconIndexTest : public testing::Test {
 protected:
  // Four images stand for the list's built-in ones, as in the frame.
  void SetUp() override {
    for (int i = 0; i < 4; ++i) images_.Add(L"built-in", "");
  }

  Owner owner_;
  ui::ImageCollection& images_ = ui::Component::Create<ui::ImageCollection>(owner_);
  IconCache cache_;
};

TEST_F(GetIconIndexTest, AppendsTheIconOfTheNumberAskedForUnderTheLocation) {
  const std::wstring file = Fixture(L"one_translation");
  const ui::ImageList& list = ui::Component::Create<ui::ImageList>(owner_, images_);

  EXPECT_EQ(GetIconIndex(cache_, images_, L"  \"" + file + L"\" ", 1), 4);
  EXPECT_EQ(GetIconIndex(cache_, images_, file + L",1", 1), 5);
  EXPECT_EQ(GetIconIndex(cache_, images_, file + L", 2 ", 1), 6);

  ASSERT_EQ(images_.Count(), 7u);
  EXPECT_EQ(images_.Name(4), file);
  EXPECT_EQ(images_.Name(5), file + L",1");
  EXPECT_EQ(DrawnImage(images_, 4), FixtureIcon(L"one_translation", 1));  // the gear
  EXPECT_EQ(DrawnImage(images_, 5), FixtureIcon(L"one_translation", 2));  // the clock
  EXPECT_EQ(DrawnImage(images_, 6), FixtureIcon(L"one_translation", 3));  // the blank document
  EXPECT_NE(FixtureIcon(L"one_translation", 1), FixtureIcon(L"one_translation", 2));
  // The bound image list took up the new images.
  EXPECT_EQ(ImageList_GetImageCount(list.Handle()), 7);
  EXPECT_THAT(cache_, testing::UnorderedElementsAre(Pair(file, 4), Pair(file + L",1", 5), Pair(file + L", 2", 6)));
}

TEST_F(GetIconIndexTest, ANumberThatIsNoIntegerAsksForTheDefaultIndex) {
  const std::wstring file = Fixture(L"one_translation");
  EXPECT_EQ(GetIconIndex(cache_, images_, file + L",x", 1), 4);
  EXPECT_EQ(DrawnImage(images_, 4), FixtureIcon(L"one_translation", 2));
  IconCache other;
  EXPECT_EQ(GetIconIndex(other, images_, file + L",x", 2), 5);
  EXPECT_EQ(DrawnImage(images_, 5), FixtureIcon(L"one_translation", 3));
}

TEST_F(GetIconIndexTest, ALocationMetBeforeGivesItsIndexWithoutLookingAtTheFile) {
  test::TempFolder folder;
  const std::wstring copy = folder.File(L"copy.exe");
  ASSERT_TRUE(CopyFileW(Fixture(L"one_translation").c_str(), copy.c_str(), FALSE));
  EXPECT_EQ(GetIconIndex(cache_, images_, copy, 1), 4);
  ASSERT_TRUE(DeleteFileW(copy.c_str()));
  EXPECT_EQ(GetIconIndex(cache_, images_, copy, 1), 4);
  EXPECT_EQ(GetIconIndex(cache_, images_, L"\"" + copy + L"\"", 1), 4);
  EXPECT_EQ(images_.Count(), 5u);
}

TEST_F(GetIconIndexTest, LocationsThatDifferInLetterCaseAreTwoImages) {
  const std::wstring file = Fixture(L"one_translation");
  std::wstring upper = file;
  for (wchar_t& c : upper) c = static_cast<wchar_t>(towupper(c));
  EXPECT_EQ(GetIconIndex(cache_, images_, file, 1), 4);
  EXPECT_EQ(GetIconIndex(cache_, images_, upper, 1), 5);
}

TEST_F(GetIconIndexTest, AMissingFileGivesTheBlankDocumentAndIsTriedAgainLater) {
  test::TempFolder folder;
  const std::wstring later = folder.File(L"later.exe");
  EXPECT_EQ(GetIconIndex(cache_, images_, later, 1), 0);
  EXPECT_THAT(cache_, IsEmpty());
  ASSERT_TRUE(CopyFileW(Fixture(L"no_product").c_str(), later.c_str(), FALSE));
  EXPECT_EQ(GetIconIndex(cache_, images_, later, 1), 4);
  // A folder is no file either.
  EXPECT_EQ(GetIconIndex(cache_, images_, folder.Path(), 1), 0);
}

TEST_F(GetIconIndexTest, AnEmptyLocationGivesTheDefaultIndex) {
  for (const std::wstring location : {L"", L"  ", L"\"\"", L" \" \" "}) {
    EXPECT_EQ(GetIconIndex(cache_, images_, location, 1), 1) << testing::PrintToString(location);
    EXPECT_EQ(GetIconIndex(cache_, images_, location, 3), 3);
  }
  EXPECT_EQ(images_.Count(), 4u);
}

TEST_F(GetIconIndexTest, TheLocationIsSplitAtItsFirstCommaEvenInAFolderName) {
  test::TempFolder folder;
  const std::wstring commaFolder = folder.File(L"a,b");
  ASSERT_TRUE(CreateDirectoryW(commaFolder.c_str(), nullptr));
  const std::wstring file = commaFolder + L"\\app.exe";
  ASSERT_TRUE(CopyFileW(Fixture(L"one_translation").c_str(), file.c_str(), FALSE));
  // The path taken is the folder's own, up to the comma, which is no file.
  EXPECT_EQ(GetIconIndex(cache_, images_, file, 1), 0);
}

// ---- Icon-file data ------------------------------------------------------------------------------

TEST(IconFileData, AnIconSavedAndLoadedAgainLooksTheSame) {
  const HMODULE module = LoadLibraryExW(Fixture(L"one_translation").c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
  const ui::ScopedIcon gear(static_cast<HICON>(LoadImageW(module, MAKEINTRESOURCEW(1), IMAGE_ICON, 32, 32, 0)));
  FreeLibrary(module);
  ASSERT_TRUE(gear);
  const std::string data = ui::SaveIconToIconFile(gear.Get());
  const ui::ScopedIcon loaded = ui::LoadIconFromIconFile(data, 32, 32);
  ASSERT_TRUE(loaded);
  EXPECT_EQ(Drawn(loaded.Get()), Drawn(gear.Get()));
}

TEST(IconFileData, DataThatHoldsNoPictureGivesNoIcon) {
  const std::string directoryOnly("\0\0\1\0\1\0", 6);
  std::string pastTheEnd = directoryOnly + std::string(16, '\0');
  pastTheEnd[6] = 16;
  pastTheEnd[14] = 100;  // 100 bytes of picture
  pastTheEnd[18] = 22;   // right after the directory, where there are none
  for (const std::string& data : {std::string(), std::string("not an icon"), directoryOnly, pastTheEnd}) {
    EXPECT_FALSE(ui::LoadIconFromIconFile(data, 16, 16)) << data.size() << " bytes";
  }
}

TEST(IconFileData, TheBestPictureIsTheSmallestThatIsLargeEnough) {
  const HMODULE module = LoadLibraryExW(Fixture(L"one_translation").c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
  std::string sixteen;
  std::string fortyEight;
  for (auto [side, data] : {std::pair{16, &sixteen}, std::pair{48, &fortyEight}}) {
    const ui::ScopedIcon icon(static_cast<HICON>(LoadImageW(module, MAKEINTRESOURCEW(2), IMAGE_ICON, side, side, 0)));
    *data = ui::SaveIconToIconFile(icon.Get());
  }
  FreeLibrary(module);
  // Two pictures in one file: the directory of both, then their bitmaps.
  const std::size_t pictureSize = sixteen.size() - 22;
  std::string both("\0\0\1\0\2\0", 6);
  both += sixteen.substr(6, 16);
  both += fortyEight.substr(6, 16);
  both[6 + 12] = 38;  // the first picture now starts after two entries
  const std::size_t secondOffset = 38 + pictureSize;
  for (int i = 0; i < 4; ++i) both[22 + 12 + i] = static_cast<char>((secondOffset >> (8 * i)) & 0xFF);
  both += sixteen.substr(22);
  both += fortyEight.substr(22);

  const auto widthOf = [](const ui::ScopedIcon& icon) {
    ICONINFO info{};
    GetIconInfo(icon.Get(), &info);
    const ui::ScopedBitmap colour(info.hbmColor);
    const ui::ScopedBitmap mask(info.hbmMask);
    BITMAP bitmap{};
    GetObjectW(colour.Get(), sizeof bitmap, &bitmap);
    return bitmap.bmWidth;
  };
  // Asked for 20 pixels, the 48-pixel picture is scaled down; asked for 16, the 16-pixel one is
  // taken as it is. Both come out at the size asked for.
  EXPECT_EQ(widthOf(ui::LoadIconFromIconFile(both, 20, 20)), 20);
  EXPECT_EQ(test::DrawnIcon(ui::LoadIconFromIconFile(both, 16, 16).Get(), 16),
            test::DrawnIcon(ui::LoadIconFromIconFile(sixteen, 16, 16).Get(), 16));
  EXPECT_EQ(test::DrawnIcon(ui::LoadIconFromIconFile(both, 40, 40).Get(), 40),
            test::DrawnIcon(ui::LoadIconFromIconFile(fortyEight, 40, 40).Get(), 40));
}

}  // namespace
}  // namespace quorvane
