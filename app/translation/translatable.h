// The translation walk over the window layer's component tree: windows and frames hand
// themselves to TranslateComponent right after they are created.
#pragma once

#include "ui/component.h"

namespace quorvane {

// Translates the component's caption and then those of everything it owns at any depth, in
// order of ownership: controls, frames, popup menus and their items (a menu's items are owned
// by its top item). A null component is left alone. What is created later is not reached:
// code that creates it translates it itself.
void TranslateComponent(ui::Component* component);

}  // namespace quorvane
