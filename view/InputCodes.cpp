#include "view/InputCodes.h"

namespace vortan {

int16_t buttonCode(Qt::MouseButtons buttons) {
    int16_t code = 0;
    if (buttons & Qt::LeftButton) code += 1;
    if (buttons & Qt::RightButton) code += 2;
    if (buttons & Qt::MiddleButton) code += 4;
    return code;
}

int16_t shiftCode(Qt::KeyboardModifiers modifiers) {
    int16_t code = 0;
    if (modifiers & Qt::ShiftModifier) code += 1;
    if (modifiers & Qt::ControlModifier) code += 2;
    if (modifiers & Qt::AltModifier) code += 4;
    return code;
}

int16_t keyCode(int qtKey, Qt::KeyboardModifiers modifiers) {
    if (qtKey >= Qt::Key_A && qtKey <= Qt::Key_Z) return int16_t(qtKey); // the same codes
    if (qtKey >= Qt::Key_0 && qtKey <= Qt::Key_9)
        return int16_t((modifiers & Qt::KeypadModifier) ? 96 + (qtKey - Qt::Key_0) : qtKey);
    switch (qtKey) {
    case Qt::Key_Left:
        return 37;
    case Qt::Key_Up:
        return 38;
    case Qt::Key_Right:
        return 39;
    case Qt::Key_Down:
        return 40;
    case Qt::Key_Backspace:
        return 8;
    default:
        return 0;
    }
}

} // namespace vortan
