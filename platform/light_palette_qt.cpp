#include "platform/light_palette_qt.h"

namespace vestral {

QPalette FixedLightPalette() {
  const QColor black(0, 0, 0), white(255, 255, 255), grey(120, 120, 120);
  QPalette p(/*windowText=*/black, /*button=*/white, /*light=*/white,
             /*dark=*/QColor(160, 160, 160),
             /*mid=*/QColor(200, 200, 200), /*text=*/black, /*brightText=*/white, /*base=*/white,
             /*window=*/white);
  p.setColor(QPalette::Midlight, QColor(227, 227, 227));
  p.setColor(QPalette::Shadow, QColor(105, 105, 105));
  p.setColor(QPalette::AlternateBase, QColor(245, 245, 245));
  p.setColor(QPalette::Highlight, QColor(0, 120, 215));
  p.setColor(QPalette::HighlightedText, white);
  p.setColor(QPalette::ToolTipBase, QColor(255, 255, 225));
  p.setColor(QPalette::ToolTipText, black);
  p.setColor(QPalette::PlaceholderText, grey);
  p.setColor(QPalette::Link, QColor(0, 0, 255));
  p.setColor(QPalette::LinkVisited, QColor(128, 0, 128));
  for (QPalette::ColorRole role : {QPalette::WindowText, QPalette::Text, QPalette::ButtonText})
    p.setColor(QPalette::Disabled, role, grey);
  p.setColor(QPalette::Disabled, QPalette::Highlight, QColor(200, 200, 200));
  p.setColor(QPalette::Disabled, QPalette::HighlightedText, black);
  return p;
}

}  // namespace vestral
