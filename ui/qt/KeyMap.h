#pragma once

#include <QKeyEvent>

#include "ui/FormTypes.h"

namespace tavro::qt {

// The key code a presenter compares (ui/Keys.h) for a toolkit key event; 0 for keys without
// one.
int VirtualKey(const QKeyEvent& event);
ui::KeyModifiers Modifiers(const QKeyEvent& event);

}  // namespace tavro::qt
