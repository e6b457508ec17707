#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "app/style/colour_rules.h"

namespace quorvane {
namespace {

constexpr Rgb kBase{0x3D, 0x84, 0xDD};
constexpr Rgb kBlack{0, 0, 0};

TEST(ColourRules, TheDerivedColoursComeOutOfTheRules) {
  EXPECT_EQ(Lighten(kBase, 10), (Rgb{0x50, 0x90, 0xE0}));
  EXPECT_EQ(Grey(Lighten(kBase, 50)), (Rgb{0xBC, 0xBC, 0xBC}));
  EXPECT_EQ(Grey(Lighten(kBlack, 50)), (Rgb{0x80, 0x80, 0x80}));
  EXPECT_EQ(Grey(Lighten(kBase, 70)), (Rgb{0xD7, 0xD7, 0xD7}));
  EXPECT_EQ(Grey(Lighten(kBlack, 70)), (Rgb{0xB3, 0xB3, 0xB3}));
}

TEST(ColourRules, LighteningRoundsHalvesAwayFromZeroAndStaysWithinItsBounds) {
  EXPECT_EQ(Lighten(Rgb{0, 132, 254}, 50), (Rgb{128, 194, 255}));  // 127.5 and 61.5 and 0.5 go up
  EXPECT_EQ(Lighten(kBase, 0), kBase);
  EXPECT_EQ(Lighten(kBase, 100), (Rgb{255, 255, 255}));
  EXPECT_EQ(Lighten(kBase, -5), kBase);
  EXPECT_EQ(Lighten(kBase, 250), (Rgb{255, 255, 255}));
}

TEST(ColourRules, GreyRoundsHalvesToTheEvenNeighbour) {
  EXPECT_EQ(Grey(Rgb{0, 0, 250}), (Rgb{28, 28, 28}));  // 28.5
  EXPECT_EQ(Grey(Rgb{2, 0, 43}), (Rgb{6, 6, 6}));      // 5.5
  EXPECT_EQ(Grey(Rgb{255, 255, 255}), (Rgb{255, 255, 255}));
  EXPECT_EQ(Grey(Rgb{255, 0, 0}), (Rgb{76, 76, 76}));  // 76.245
}

}  // namespace
}  // namespace quorvane
