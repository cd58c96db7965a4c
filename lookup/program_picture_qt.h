#pragma once

#include <QIcon>
#include <QPixmap>

namespace vestral {

// The lookup window's picture: a car with a diagnostic connector plugged in, drawn
// at `width` x `height` logical pixels for a screen of `devicePixelRatio`.
QPixmap ProgramPicture(int width = 125, int height = 70, qreal devicePixelRatio = 1.0);

// The program's icon: the sixteen-pin diagnostic connector, in the usual sizes.
QIcon ProgramIcon();

// Gives every window of the program its icon, unless it has it already.
void SetProgramIcon();

}  // namespace vestral
