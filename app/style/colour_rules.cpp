#include "app/style/colour_rules.h"

#include <algorithm>

namespace quorvane {

namespace {

std::uint8_t LightenChannel(std::uint8_t channel, int percent) {
  // step = (255 - channel) * percent / 100, halves rounded up, which is away from zero here
  // since nothing is negative.
  const int scaled = (255 - channel) * percent;
  const int step = (2 * scaled + 100) / 200;
  return static_cast<std::uint8_t>(channel + step);
}

}  // namespace

Rgb Lighten(Rgb colour, int percent) {
  percent = std::clamp(percent, 0, 100);
  return {LightenChannel(colour.red, percent), LightenChannel(colour.green, percent),
          LightenChannel(colour.blue, percent)};
}

Rgb Grey(Rgb colour) {
  // In thousandths, to keep the rounding exact.
  const int weighted = 299 * colour.red + 587 * colour.green + 114 * colour.blue;
  int grey = weighted / 1000;
  const int remainder = weighted % 1000;
  if (remainder > 500 || (remainder == 500 && grey % 2 == 1)) ++grey;
  const auto channel = static_cast<std::uint8_t>(grey);
  return {channel, channel, channel};
}

}  // namespace quorvane
