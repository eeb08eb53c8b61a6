#pragma once

#include <optional>
#include <string_view>

namespace tavro::ui {

// The kinds of control a presenter addresses. Push-like check boxes and radio buttons are
// check boxes and radio buttons drawn as buttons.
enum class ControlKind {
    kLabel,
    kEdit,
    kDropDown,   // a combo whose text is one of its items
    kEditCombo,  // a combo with an edit field
    kRadio,
    kCheckBox,
    kPushButton,
    kColourButton,
    kList,
    kSlider,
    kSpin,
    kProgress,
    kPicture,
    kLamp,
    kTabStrip,
    kGroupBox,
    kFrame,
};

// What a form file says about a widget beyond its class.
struct WidgetTraits {
    bool checkable = false;
    bool autoExclusive = false;
    bool editable = false;
};

// The kind of a widget class of a form file (Qt Designer class names and the program's own
// widget classes), or nothing for a class no presenter can address.
std::optional<ControlKind> KindOfWidgetClass(std::string_view className,
                                             const WidgetTraits& traits);

std::string_view KindName(ControlKind kind);

// Which groups of Form operations a kind answers to.
bool HasTextOf(ControlKind kind);
bool HasCheckOf(ControlKind kind);
bool HasItemsOf(ControlKind kind);
bool HasRangeOf(ControlKind kind);
bool HasPictureOf(ControlKind kind);
bool HasEditTextOf(ControlKind kind);
bool TakesFocus(ControlKind kind);

}  // namespace tavro::ui
