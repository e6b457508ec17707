// The small programs with version resources and icons that the test build makes beside the
// tests (tests/fixtures/), and how the tests compare their icons.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

#include "support/test_support.h"
#include "support/window_capture.h"

namespace quorvane::test {

// fixture_<name>.exe: one_translation, two_translations, no_product or plain.
inline std::wstring Fixture(const std::wstring& name) { return ProgramBesideTest(L"fixture_" + name + L".exe"); }

// The pixels of an icon drawn at 32 x 32 on white.
inline std::vector<std::uint32_t> Drawn(HICON icon) { return DrawnIcon(icon, 32); }

}  // namespace quorvane::test
