// Random and mutated texts for the robustness tests, from a fixed seed so that a failure
// repeats.
#pragma once

#include <cstdint>
#include <random>
#include <string>
#include <string_view>

namespace quorvane::test {

using namespace std::string_view_literals;  // the alphabet below

inline constexpr int kRounds = 20000;

class RandomText {
 public:
  explicit RandomText(std::uint32_t seed) : engine_(seed) {}

  std::size_t Below(std::size_t bound) { return std::uniform_int_distribution<std::size_t>(0, bound - 1)(engine_); }
  bool OneIn(std::size_t chances) { return Below(chances) == 0; }

  // Characters that the rules treat specially, mixed with ordinary ones, NUL, line breaks
  // and, now and then, any code unit at all (surrogate halves among them).
  wchar_t Character() {
    if (OneIn(16)) return static_cast<wchar_t>(Below(0x10000));
    return From(kAlphabet);
  }
  wchar_t From(std::wstring_view alphabet) { return alphabet[Below(alphabet.size())]; }

  std::wstring Text(std::size_t maxLength) {
    std::wstring text;
    const std::size_t length = Below(maxLength + 1);
    for (std::size_t i = 0; i < length; ++i) text += Character();
    return text;
  }
  // A text of the alphabet's characters only.
  std::wstring TextFrom(std::wstring_view alphabet, std::size_t maxLength) {
    std::wstring text;
    const std::size_t length = Below(maxLength + 1);
    for (std::size_t i = 0; i < length; ++i) text += From(alphabet);
    return text;
  }

  // Deletes, inserts, duplicates or flips the case of a few characters.
  std::wstring Mutated(std::wstring text) {
    const std::size_t edits = 1 + Below(4);
    for (std::size_t i = 0; i < edits; ++i) {
      const std::size_t at = Below(text.size() + 1);
      switch (Below(4)) {
        case 0:
          if (at < text.size()) text.erase(at, 1 + Below(3));
          break;
        case 1:
          text.insert(at, 1, Character());
          break;
        case 2:
          if (at < text.size()) text.insert(at, text.substr(at, 1 + Below(8)));
          break;
        default:
          if (at < text.size()) text[at] = static_cast<wchar_t>(text[at] ^ 0x20);
          break;
      }
    }
    return text;
  }

  static constexpr std::wstring_view kAlphabet =
      L"\\\\\\\"\"''//{}:=,unrtbfUN0123456789abcdefABCDEF xyz\u00E9\u00C9\uD558\uB098\r\n\t\0"sv;

 private:
  std::mt19937 engine_;
};

}  // namespace quorvane::test
