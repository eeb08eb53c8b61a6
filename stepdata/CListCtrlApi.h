#pragma once

#include "ui/Form.h"

namespace tavro {

// What MoveSelectionByKey reports about the key.
inline constexpr int kKeyMovedByEnter = 1;
inline constexpr int kKeyMovedDown = 2;
inline constexpr int kKeyMovedUp = 3;
inline constexpr int kKeyNotMoving = 0;

// Moves a report list's selection by a key, wrapping around at both ends.
class CListCtrlApi {
  public:
    CListCtrlApi() = default;
    virtual ~CListCtrlApi() = default;

    // Enter, Down and Page Down select the next row, Up the previous one; with no row
    // selected, forward keys select row 0 and Up the last row. Any other key leaves the
    // selection alone.
    static int MoveSelectionByKey(ui::Form& form, ui::ControlId list, int key);
};

}  // namespace tavro
