#include "ui/ControlKind.h"

#include <array>

namespace tavro::ui {

namespace {

struct ClassKind {
    std::string_view className;
    ControlKind kind;
};

// Widget classes a form file may use for addressed controls. QComboBox and QPushButton are
// refined by their properties below.
constexpr std::array kClassKinds{
    ClassKind{"QLabel", ControlKind::kLabel},
    ClassKind{"QLineEdit", ControlKind::kEdit},
    ClassKind{"QPlainTextEdit", ControlKind::kEdit},
    ClassKind{"QTextEdit", ControlKind::kEdit},
    ClassKind{"QComboBox", ControlKind::kDropDown},
    ClassKind{"QRadioButton", ControlKind::kRadio},
    ClassKind{"QCheckBox", ControlKind::kCheckBox},
    ClassKind{"QPushButton", ControlKind::kPushButton},
    ClassKind{"QToolButton", ControlKind::kPushButton},
    ClassKind{"CColrBtn", ControlKind::kColourButton},
    ClassKind{"ReportList", ControlKind::kList},
    ClassKind{"QTableWidget", ControlKind::kList},
    ClassKind{"QSlider", ControlKind::kSlider},
    ClassKind{"SpinButton", ControlKind::kSpin},
    ClassKind{"QProgressBar", ControlKind::kProgress},
    ClassKind{"PictureLabel", ControlKind::kPicture},
    ClassKind{"Lamp", ControlKind::kLamp},
    ClassKind{"QTabBar", ControlKind::kTabStrip},
    ClassKind{"QGroupBox", ControlKind::kGroupBox},
    ClassKind{"QFrame", ControlKind::kFrame},
    ClassKind{"QWidget", ControlKind::kFrame},
};

constexpr std::array<std::string_view, 17> kKindNames{
    "label",     "edit",         "drop-down list", "editable combo", "radio button",
    "check box", "push button",  "colour button",  "list",           "slider",
    "spin",      "progress bar", "picture",        "lamp",           "tab strip",
    "group box", "frame",
};

}  // namespace

std::optional<ControlKind> KindOfWidgetClass(std::string_view className,
                                             const WidgetTraits& traits) {
    for (const ClassKind& entry : kClassKinds) {
        if (entry.className != className) {
            continue;
        }
        if (entry.kind == ControlKind::kDropDown && traits.editable) {
            return ControlKind::kEditCombo;
        }
        if (entry.kind == ControlKind::kPushButton && traits.checkable) {
            return traits.autoExclusive ? ControlKind::kRadio : ControlKind::kCheckBox;
        }
        return entry.kind;
    }
    return std::nullopt;
}

std::string_view KindName(ControlKind kind) {
    return kKindNames[static_cast<std::size_t>(kind)];
}

bool HasTextOf(ControlKind kind) {
    switch (kind) {
        case ControlKind::kList:
        case ControlKind::kSlider:
        case ControlKind::kSpin:
        case ControlKind::kProgress:
        case ControlKind::kPicture:
        case ControlKind::kTabStrip:
            return false;
        default:
            return true;
    }
}

bool HasCheckOf(ControlKind kind) {
    return kind == ControlKind::kRadio || kind == ControlKind::kCheckBox ||
           kind == ControlKind::kColourButton;
}

bool HasItemsOf(ControlKind kind) {
    return kind == ControlKind::kDropDown || kind == ControlKind::kEditCombo ||
           kind == ControlKind::kTabStrip;
}

bool HasRangeOf(ControlKind kind) {
    return kind == ControlKind::kSlider || kind == ControlKind::kSpin ||
           kind == ControlKind::kProgress;
}

bool HasPictureOf(ControlKind kind) {
    return kind == ControlKind::kPicture || kind == ControlKind::kPushButton ||
           kind == ControlKind::kLabel;
}

bool HasEditTextOf(ControlKind kind) {
    return kind == ControlKind::kEdit || kind == ControlKind::kEditCombo;
}

bool TakesFocus(ControlKind kind) {
    switch (kind) {
        case ControlKind::kSpin:  // its arrows leave the focus in the edit beside them
        case ControlKind::kLabel:
        case ControlKind::kProgress:
        case ControlKind::kPicture:
        case ControlKind::kLamp:
        case ControlKind::kGroupBox:
        case ControlKind::kFrame:
            return false;
        default:
            return true;
    }
}

}  // namespace tavro::ui
