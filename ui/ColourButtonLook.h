#pragma once

#include "ui/FormTypes.h"

namespace tavro::ui {

// The one colour button whose caption is set as a block of lines.
inline constexpr ControlId kMultiLineColourButton = 1784;

inline constexpr int kColourButtonFocusInset = 4;  // the focus rectangle inside the edge
inline constexpr int kColourButtonMultiLineDrop = 4;
inline constexpr int kColourButtonEmbossColour = 4;
inline constexpr int kColourButtonGreyText = 3;
// Colours (0, 0) stand for the button face with window text.
inline constexpr Colours kColourButtonDefault{10, 2};

struct ColourButtonState {
    bool enabled = true;
    bool pressed = false;  // the look the presenter holds on
    bool focused = false;
    bool beingClicked = false;  // the mouse holds it down
};

// How a colour button is painted, in order: fill, raised edge, sunken edge, focus
// rectangle, embossed copy of the text, text. Text is drawn transparently.
struct ColourButtonLook {
    int background = 0;      // palette index of the fill
    bool sunken = false;     // a sunken edge over the raised one
    bool focusRect = false;  // inset by kColourButtonFocusInset
    bool embossed = false;   // the text once more in colour 4, one pixel right and down
    int textShift = 0;       // the text moved right and down by this many pixels
    int textColour = 0;      // palette index
    bool multiLine = false;  // centred block of lines; otherwise one line centred both ways
    int textTop = 0;         // the text rectangle moved down by this many pixels

    friend bool operator==(const ColourButtonLook&, const ColourButtonLook&) = default;
};

ColourButtonLook ColourButtonLookFor(ControlId control, Colours colours,
                                     const ColourButtonState& state);

}  // namespace tavro::ui
