#include "ui/ColourButtonLook.h"

namespace tavro::ui {

ColourButtonLook ColourButtonLookFor(ControlId control, Colours colours,
                                     const ColourButtonState& state) {
    const Colours c = colours.IsDefault() ? kColourButtonDefault : colours;
    ColourButtonLook look;
    look.background = c.background;
    look.multiLine = control == kMultiLineColourButton;
    look.textTop = look.multiLine ? kColourButtonMultiLineDrop : 0;
    if (!state.enabled) {
        look.embossed = true;
        look.sunken = state.pressed;
        look.focusRect = state.pressed || state.focused;
        look.textColour = kColourButtonGreyText;
        return look;
    }
    if (state.pressed) {
        look.sunken = true;
        look.focusRect = true;
    } else if (state.focused) {
        look.focusRect = true;
        if (state.beingClicked) {
            look.sunken = true;
            look.textShift = 1;
        }
    }
    look.textColour = c.text;
    return look;
}

}  // namespace tavro::ui
