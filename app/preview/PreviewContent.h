#pragma once

#include "ui/Form.h"
#include "ui/StringTable.h"

namespace tavro::preview {

// Gives a form what it shows once its presenter has set it up: the captions of the language
// and control type, the items of its drop-down lists, the columns and first rows of its
// lists, colours and fonts, and sample texts where the presenter writes long ones (help
// lines, descriptions), so the look and the fit can be judged before any presenter runs.
void FillForm(int templateId, ui::Form& form, int controlType, const StringTable& strings);

}  // namespace tavro::preview
