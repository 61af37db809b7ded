#pragma once

class QWidget;

namespace plumark {

// Return and keypad Enter press the focused push button of window, as Space
// does; a held key presses it once.
void pressButtonsOnReturn(QWidget* window);

} // namespace plumark
