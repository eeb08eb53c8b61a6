#pragma once

#include <array>
#include <cstdint>

namespace tavro::ui {

// Colours that follow the desktop rather than a fixed value.
enum class SystemColour {
    kNone,
    kWindowText,
    kGrayText,
    kButtonHighlight,
    kHighlight,
    kHighlightText,
    kWindow,  // the background of edits and lists
    kButtonFace,
};

struct PaletteEntry {
    std::uint8_t red = 0;
    std::uint8_t green = 0;
    std::uint8_t blue = 0;
    SystemColour system = SystemColour::kNone;  // when set, the RGB value is not used
};

// The 17 colours that Colours indices refer to.
inline constexpr std::array<PaletteEntry, 17> kPalette{{
    {0, 0, 0, SystemColour::kNone},
    {41, 89, 166, SystemColour::kNone},
    {0, 0, 0, SystemColour::kWindowText},
    {0, 0, 0, SystemColour::kGrayText},
    {0, 0, 0, SystemColour::kButtonHighlight},
    {0, 0, 0, SystemColour::kHighlight},
    {0, 0, 0, SystemColour::kHighlightText},
    {0, 128, 128, SystemColour::kNone},
    {255, 255, 128, SystemColour::kNone},
    {0, 0, 0, SystemColour::kWindow},
    {0, 0, 0, SystemColour::kButtonFace},
    {255, 255, 0, SystemColour::kNone},
    {102, 102, 102, SystemColour::kNone},
    {0, 220, 0, SystemColour::kNone},
    {225, 0, 0, SystemColour::kNone},
    {0, 0, 255, SystemColour::kNone},
    {255, 255, 255, SystemColour::kNone},
}};

struct FontEntry {
    int height = 0;  // cell height in pixels of the reference layout; 0 keeps the form's
    int weight = 0;  // 400 regular, 700 bold; 0 keeps the form's
};

// The 15 fonts that font indices refer to, all derived from the form's own font.
inline constexpr std::array<FontEntry, 15> kFonts{{
    {0, 0},
    {9, 400},
    {9, 700},
    {10, 400},
    {10, 700},
    {11, 400},
    {11, 700},
    {12, 400},
    {12, 700},
    {13, 400},
    {13, 700},
    {14, 400},
    {14, 700},
    {15, 400},
    {15, 700},
}};

// The reference layout's dialog font has this cell height, so a font of this height is
// drawn at the size of the form's own font.
inline constexpr int kReferenceFontHeight = 13;

}  // namespace tavro::ui
