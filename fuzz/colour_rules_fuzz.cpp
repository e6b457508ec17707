// The colour rules against their definitions, worked out here another way. The input's first
// three bytes are red, green and blue, the next four a percentage (little-endian, any value);
// missing bytes count as zero.
#include <algorithm>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <string>

#include "app/style/colour_rules.h"
#include "fuzz_text.h"

namespace quorvane::fuzz {
namespace {

std::wstring Describe(Rgb colour, int percent) {
  return L"rgb(" + std::to_wstring(colour.red) + L"," + std::to_wstring(colour.green) + L"," +
         std::to_wstring(colour.blue) + L") " + std::to_wstring(percent) + L"%";
}

// (255 - channel) * percent / 100 rounded half away from zero, in exact integers.
int LightenedChannel(int channel, int percent) {
  const int scaled = (255 - channel) * percent;
  return channel + scaled / 100 + (scaled % 100 >= 50 ? 1 : 0);
}

// The weighted sum is a multiple of 1/1000: its halves are exact in binary, so the default
// rounding of the floating-point unit (to the even neighbour) rounds it as the rule says.
int GreyLevel(Rgb colour) {
  const int thousandths = 299 * colour.red + 587 * colour.green + 114 * colour.blue;
  return static_cast<int>(std::nearbyint(thousandths / 1000.0));
}

void CheckLighten(Rgb colour, int percent) {
  const int clamped = std::clamp(percent, 0, 100);
  const Rgb lighter = Lighten(colour, percent);
  Require(lighter == Lighten(colour, clamped), "a percentage outside 0 to 100 counts as its bound",
          {Describe(colour, percent)});
  const int channels[] = {colour.red, colour.green, colour.blue};
  const int results[] = {lighter.red, lighter.green, lighter.blue};
  for (int i = 0; i < 3; ++i) {
    Require(results[i] == LightenedChannel(channels[i], clamped), "lightening moves each channel percent of the way",
            {Describe(colour, percent), Describe(lighter, clamped)});
  }
  if (clamped < 100) {
    const Rgb further = Lighten(colour, clamped + 1);
    Require(further.red >= lighter.red && further.green >= lighter.green && further.blue >= lighter.blue,
            "more percent is never darker", {Describe(colour, clamped)});
  }
}

void CheckGrey(Rgb colour) {
  const Rgb grey = Grey(colour);
  const int level = GreyLevel(colour);
  Require(grey.red == level && grey.green == level && grey.blue == level, "all three channels take the weighted sum",
          {Describe(colour, 0), Describe(grey, 0)});
  Require(Grey(grey) == grey, "a grey stays as it is", {Describe(grey, 0)});
}

}  // namespace
}  // namespace quorvane::fuzz

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace quorvane::fuzz;
  std::uint8_t bytes[7] = {};
  std::copy_n(data, std::min(size, sizeof bytes), bytes);
  const quorvane::Rgb colour{bytes[0], bytes[1], bytes[2]};
  const auto percent = static_cast<std::int32_t>(
      static_cast<std::uint32_t>(bytes[3]) | static_cast<std::uint32_t>(bytes[4]) << 8 |
      static_cast<std::uint32_t>(bytes[5]) << 16 | static_cast<std::uint32_t>(bytes[6]) << 24);
  NoExceptionEscapes(Describe(colour, percent), [&] {
    CheckLighten(colour, percent);
    CheckGrey(colour);
  });
  return 0;
}
