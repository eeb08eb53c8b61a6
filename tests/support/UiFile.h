#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "ui/ControlKind.h"
#include "ui/FormTypes.h"

namespace tavro::test {

// One widget of a form file that carries a control ID, with the properties a FakeForm
// starts from.
struct UiControl {
    ui::ControlId id = ui::kNoControl;
    ui::ControlKind kind = ui::ControlKind::kLabel;
    std::string className;
    std::string objectName;
    int group = 0;  // radios with the same parent widget share a group
    std::string text;
    std::string toolTip;
    std::vector<std::string> items;
    bool enabled = true;
    bool visible = true;
    bool checked = false;
    bool isDefault = false;  // the default push button
    std::optional<int> minimum;
    std::optional<int> maximum;
    std::optional<int> value;
    std::optional<int> singleStep;
    int picture = 0;
};

struct UiForm {
    std::string title;
    std::vector<UiControl> controls;  // in document order, which is also the tab order
};

// Reads a Qt Designer form without Qt: every widget with the integer property "controlId"
// becomes a control. Anything that is not a well-formed form (bad XML, an unknown widget
// class, a bad or repeated control ID) gives nothing and a one-line reason in `error`.
std::optional<UiForm> ParseUiForm(std::string_view xml, std::string& error);
std::optional<UiForm> ReadUiForm(const std::string& path, std::string& error);

}  // namespace tavro::test
