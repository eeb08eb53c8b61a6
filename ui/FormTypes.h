#pragma once

#include <string>

namespace tavro::ui {

// A presenter addresses each control of its form by the control's numeric ID.
using ControlId = int;
inline constexpr ControlId kNoControl = -1;

// Result codes of modal dialogs that the window system itself produces.
inline constexpr int kIdOk = 1;
inline constexpr int kIdCancel = 2;

enum class Align { kLeft = 0, kRight = 1, kCentre = 2 };

struct ListColumn {
    int width = 0;  // in pixels of the reference layout; the renderer scales them
    std::string heading;
    Align align = Align::kLeft;

    friend bool operator==(const ListColumn&, const ListColumn&) = default;
};

// Palette indices of the presentation helpers; (0, 0) means the control's default colours.
struct Colours {
    int background = 0;
    int text = 0;

    bool IsDefault() const { return background == 0 && text == 0; }
    friend bool operator==(const Colours&, const Colours&) = default;
};

struct ScreenPoint {
    int x = 0;
    int y = 0;

    friend bool operator==(const ScreenPoint&, const ScreenPoint&) = default;
};

struct Range {
    int min = 0;
    int max = 0;

    friend bool operator==(const Range&, const Range&) = default;
};

struct KeyModifiers {
    bool shift = false;
    bool ctrl = false;
    bool alt = false;

    friend bool operator==(const KeyModifiers&, const KeyModifiers&) = default;
};

// An entry of a popup or system menu; command 0 is a separator.
struct MenuItem {
    int command = 0;
    std::string text;
    bool enabled = true;

    friend bool operator==(const MenuItem&, const MenuItem&) = default;
};

// How a form appears: a modal dialog, a modeless window, or a page embedded in its parent.
enum class FormKind { kModal, kModeless, kPage };

}  // namespace tavro::ui
