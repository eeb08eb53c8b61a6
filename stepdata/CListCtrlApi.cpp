#include "stepdata/CListCtrlApi.h"

#include "ui/Keys.h"

namespace tavro {

int CListCtrlApi::MoveSelectionByKey(ui::Form& form, ui::ControlId list, int key) {
    int result = kKeyNotMoving;
    int delta = 0;
    switch (key) {
        case ui::key::kReturn:
            result = kKeyMovedByEnter;
            delta = 1;
            break;
        case ui::key::kDown:
        case ui::key::kPageDown:
            result = kKeyMovedDown;
            delta = 1;
            break;
        case ui::key::kUp:
            result = kKeyMovedUp;
            delta = -1;
            break;
        default:
            return kKeyNotMoving;
    }
    const int last = form.ListRowCount(list) - 1;
    if (last < 0) {
        return result;
    }
    int row = form.ListSelectedRow(list) + delta;
    if (row > last) {
        row = 0;
    } else if (row < 0) {
        row = last;
    }
    form.ListEnsureVisible(list, row);
    form.ListSelectRow(list, row);
    return result;
}

}  // namespace tavro
