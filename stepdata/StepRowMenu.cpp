#include "stepdata/StepRowMenu.h"

#include <vector>

#include "stepdata/StepRecord.h"

namespace tavro {

void ShowStepRowMenu(ui::Form& form, ui::ScreenPoint at, ui::ControlId getPositionButton,
                     const std::function<std::string(int stringId)>& text,
                     const StepRowActions& actions) {
    const std::vector<ui::MenuItem> menu{
        {ID_POPUP_CUT, text(kStrCut), true},
        {ID_POPUP_COPY, text(kStrCopy), true},
        {ID_POPUP_PASTE, text(kStrPaste), true},
        {0, "", true},
        {ID_POPUP_GET_POSITION, text(kStrGetPosition), form.IsEnabled(getPositionButton)},
    };
    switch (form.PopupMenu(menu, at)) {
        case ID_POPUP_CUT:
            actions.cut();
            break;
        case ID_POPUP_COPY:
            actions.copy();
            break;
        case ID_POPUP_PASTE:
            actions.paste();
            break;
        case ID_POPUP_GET_POSITION:
            // The button may have been disabled while the menu was open.
            if (form.IsEnabled(getPositionButton)) {
                actions.getPosition();
            }
            break;
        default:
            break;
    }
}

}  // namespace tavro
