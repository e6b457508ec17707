// What the window toolkit's tests share: the application set up once per suite, and where a
// control sits in its parent.
#pragma once

#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <windows.h>

#include "ui/application.h"
#include "ui/control.h"

namespace quorvane::ui {

class UiTest : public testing::Test {
 protected:
  static void SetUpTestSuite() { application::Initialize(); }
};

inline RECT RectInParent(const Control& control) {
  RECT rect{};
  GetWindowRect(control.Handle(), &rect);
  MapWindowPoints(nullptr, GetParent(control.Handle()), reinterpret_cast<POINT*>(&rect), 2);
  return rect;
}

inline testing::Matcher<RECT> IsRect(LONG left, LONG top, LONG right, LONG bottom) {
  return testing::AllOf(testing::Field("left", &RECT::left, left), testing::Field("top", &RECT::top, top),
                        testing::Field("right", &RECT::right, right), testing::Field("bottom", &RECT::bottom, bottom));
}

}  // namespace quorvane::ui
