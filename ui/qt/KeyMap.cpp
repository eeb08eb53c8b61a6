#include "ui/qt/KeyMap.h"

#include <array>

#include "ui/Keys.h"

namespace tavro::qt {

namespace {

struct KeyPair {
    int qtKey;
    int code;
};

constexpr std::array kKeys{
    KeyPair{Qt::Key_Backspace, ui::key::kBack}, KeyPair{Qt::Key_Tab, ui::key::kTab},
    KeyPair{Qt::Key_Backtab, ui::key::kTab},    KeyPair{Qt::Key_Return, ui::key::kReturn},
    KeyPair{Qt::Key_Enter, ui::key::kReturn},   KeyPair{Qt::Key_Pause, ui::key::kPause},
    KeyPair{Qt::Key_Escape, ui::key::kEscape},  KeyPair{Qt::Key_Space, ui::key::kSpace},
    KeyPair{Qt::Key_PageUp, ui::key::kPageUp},  KeyPair{Qt::Key_PageDown, ui::key::kPageDown},
    KeyPair{Qt::Key_End, ui::key::kEnd},        KeyPair{Qt::Key_Home, ui::key::kHome},
    KeyPair{Qt::Key_Left, ui::key::kLeft},      KeyPair{Qt::Key_Up, ui::key::kUp},
    KeyPair{Qt::Key_Right, ui::key::kRight},    KeyPair{Qt::Key_Down, ui::key::kDown},
    KeyPair{Qt::Key_Insert, ui::key::kInsert},  KeyPair{Qt::Key_Delete, ui::key::kDelete},
    KeyPair{Qt::Key_Shift, ui::key::kShift},    KeyPair{Qt::Key_Control, ui::key::kControl},
    KeyPair{Qt::Key_Alt, ui::key::kAlt},
};

}  // namespace

int VirtualKey(const QKeyEvent& event) {
    const int key = event.key();
    // Ctrl+Break arrives as Pause with Control; presenters know it as Cancel.
    if (key == Qt::Key_Pause && (event.modifiers() & Qt::ControlModifier)) {
        return ui::key::kCancel;
    }
    if ((key >= Qt::Key_0 && key <= Qt::Key_9) || (key >= Qt::Key_A && key <= Qt::Key_Z)) {
        return key;  // the same ASCII codes
    }
    if (key >= Qt::Key_F1 && key <= Qt::Key_F12) {
        return ui::key::kF1 + (key - Qt::Key_F1);
    }
    for (const KeyPair& pair : kKeys) {
        if (pair.qtKey == key) {
            return pair.code;
        }
    }
    return ui::key::kNone;
}

ui::KeyModifiers Modifiers(const QKeyEvent& event) {
    const Qt::KeyboardModifiers m = event.modifiers();
    ui::KeyModifiers mods;
    mods.shift = (m & Qt::ShiftModifier) != 0 || event.key() == Qt::Key_Backtab;
    mods.ctrl = (m & Qt::ControlModifier) != 0;
    mods.alt = (m & Qt::AltModifier) != 0;
    return mods;
}

}  // namespace tavro::qt
