#pragma once

#include <functional>
#include <string>

#include "ui/Form.h"

namespace tavro {

// Commands of a step list's popup menu, on the Step page and in the Detail dialog alike.
inline constexpr int ID_POPUP_COPY = 32771;
inline constexpr int ID_POPUP_PASTE = 32772;
inline constexpr int ID_POPUP_CUT = 32773;
inline constexpr int ID_POPUP_GET_POSITION = 32774;

// What the menu's entries do in the view that shows it.
struct StepRowActions {
    std::function<void()> cut;
    std::function<void()> copy;
    std::function<void()> paste;
    std::function<void()> getPosition;
};

// Shows Cut, Copy, Paste and Get Position at `at` and runs the entry chosen. Get Position is
// offered, and run, only while the view's own Get Position button is enabled.
void ShowStepRowMenu(ui::Form& form, ui::ScreenPoint at, ui::ControlId getPositionButton,
                     const std::function<std::string(int stringId)>& text,
                     const StepRowActions& actions);

}  // namespace tavro
