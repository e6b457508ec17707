// The colour arithmetic behind the program's derived colours. Pure functions: no Windows
// headers, so that they can be built and fuzzed on their own.
#pragma once

#include <cstdint>

namespace quorvane {

struct Rgb {
  std::uint8_t red = 0;
  std::uint8_t green = 0;
  std::uint8_t blue = 0;
  friend bool operator==(const Rgb&, const Rgb&) = default;
};

// Moves each channel percent of the way towards 255, the step rounded to the nearest integer
// with halves away from zero. Percentages outside 0 to 100 are taken as 0 or 100.
Rgb Lighten(Rgb colour, int percent);

// All three channels become 0.299 red + 0.587 green + 0.114 blue, rounded to the nearest
// integer with halves to the even neighbour.
Rgb Grey(Rgb colour);

}  // namespace quorvane
