// Image collections and the image lists they fill, in real windows, on the test run's virtual
// display; icons saved as and loaded from icon-file data, with the fixture programs' icons.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "ui/form.h"
#include "ui/images.h"
#include "common/scoped.h"
#include "support/fixture_programs.h"
#include "support/ui_fixture.h"
#include "support/window_capture.h"

namespace quorvane::ui {
namespace {

using test::Drawn;
using test::Fixture;

TEST_F(UiTest, AnImageListTakesUpTheCollectionsImagesAtTheirIndexesAlsoWhenOneIsUnreadable) {
  Form form;
  ImageCollection& images = Component::Create<ImageCollection>(form);
  ImageList& list = Component::Create<ImageList>(form, images);
  images.Add(L"broken", "not an icon");
  EXPECT_EQ(ImageList_GetImageCount(list.Handle()), 0) << "until the collection says it changed";
  images.Change();
  EXPECT_EQ(ImageList_GetImageCount(list.Handle()), 1);
  list.SetSize(24, 30);
  EXPECT_EQ(ImageList_GetImageCount(list.Handle()), 1);
  int width = 0;
  int height = 0;
  ImageList_GetIconSize(list.Handle(), &width, &height);
  EXPECT_EQ(width, 24);
  EXPECT_EQ(height, 30);
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
}  // namespace quorvane::ui
