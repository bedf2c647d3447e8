#pragma once

#include <QKeyEvent>
#include <QMouseEvent>
#include <cstdint>

namespace vortan {

// Qt's buttons and modifiers as the editor's codes: buttons 1 left, 2 right, 4 middle;
// Shift 1, Ctrl 2, Alt 4; each summed when several are held.
int16_t buttonCode(Qt::MouseButtons buttons);
int16_t shiftCode(Qt::KeyboardModifiers modifiers);

// A key as the editor's key code: letters as their upper-case code whatever the Shift
// and Caps Lock state, arrows 37 to 40, digits 48 to 57 on the main keyboard and 96 to
// 105 on the keypad, Backspace 8. 0 for keys the editor does not know.
int16_t keyCode(int qtKey, Qt::KeyboardModifiers modifiers);

} // namespace vortan
