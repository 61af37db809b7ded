#pragma once

#include <QPoint>
#include <QRect>

class QWidget;

namespace plumark {

// Where a window frame of frameSize goes to stand centred in room: moved
// inside it where it fits, and where it is too big, kept at room's left and
// top edges so that its title bar can be reached.
QPoint framePositionWithin(const QRect& room, const QSize& frameSize);

// Places window centred on its screen's available area, its frame inside it
// as far as it fits.
void centreOnScreen(QWidget* window);

// The room window's frame may take on its screen, less its frame: the largest
// size its contents may have.
QSize roomForContents(const QWidget* window);

} // namespace plumark
