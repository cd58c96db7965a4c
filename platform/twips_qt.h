#pragma once

#include <QRect>

namespace vestral {

// The windows are laid out in twips, 15 to the pixel at 96 dpi, the unit their layout
// was drawn in; Qt scales logical pixels on high-DPI screens.
constexpr int kTwipsPerPixel = 15;

// Twips as whole pixels, rounded to the nearest (half a pixel up).
constexpr int Px(int twips) { return (twips * 2 + kTwipsPerPixel) / (2 * kTwipsPerPixel); }

// A rectangle given in twips (left, top, width, height), in pixels.
inline QRect TwipsRect(int left, int top, int width, int height) {
  return {Px(left), Px(top), Px(width), Px(height)};
}

}  // namespace vestral
