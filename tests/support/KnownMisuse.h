#pragma once

#include <string>

#include "link/StatusBlock.h"
#include "stepdata/CListStp.h"
#include "tests/support/FakeFormFactory.h"
#include "ui/CCtrlBatch.h"

namespace tavro::test {

// Form misuse the program is known to commit, excused on the forms of `forms` so that every
// other problem still fails the test. Each entry says what the program does wrong.
inline void ExcuseKnownMisuse(FakeFormFactory& forms, const StatusBlock& status) {
    // The binding engine copies all 15 rows of the step list for the browser whatever the
    // control-signal type; the pulse type's list has 4.
    forms.Excuse(kTemplateStepPage, [&status](const std::string& problem) {
        const std::string rowPastTheList =
            "ListCell: list " + std::to_string(IDC_STEP_LIST) + " has no row";
        return status.controlType == kControlTypePulse && problem.rfind(rowPastTheList, 0) == 0;
    });
}

}  // namespace tavro::test
