#pragma once

#include <QPalette>

namespace vestral {

// The colours of a window drawn on a fixed white ground, whatever the desktop's theme:
// black text, white boxes and buttons, grey for what is disabled, blue selections. A
// window that fixes its ground takes all of them, so no theme's light text lands on it.
QPalette FixedLightPalette();

}  // namespace vestral
