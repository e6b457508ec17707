// Icons of files in the list's image collection: the fixture programs that the test build makes,
// with several icons.
#include "listview/file_icons.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstdint>

#include "ui/images.h"
#include "support/fixture_programs.h"
#include "support/test_support.h"
#include "support/window_capture.h"

namespace quorvane {
namespace {

using test::Drawn;
using test::Fixture;
using testing::IsEmpty;
using testing::Pair;

// ---- GetIconIndex --------------------------------------------------------------------------------

class Owner : public ui::Component {};

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

}  // namespace
}  // namespace quorvane
