#pragma once

#include <functional>
#include <vector>

#include "link/StatusBlock.h"
#include "monitor/ContinuousTable.h"
#include "ui/DialogSupport.h"
#include "ui/Form.h"

namespace tavro {

// The Monitor/Test page's continuous-operation table and its row editor: which step each row
// runs and for how long, the one-time boxes, the transition condition and the repeat count.
// The table's rows are kept in a ContinuousTable; this is what shows and edits them.
class ContinuousEditor {
  public:
    static constexpr ui::ControlId IDC_TABLE = 1780;
    static constexpr ui::ControlId IDC_ROW_NUMBER = 1770;
    static constexpr ui::ControlId IDC_ROW_CHOICE = 1771;
    static constexpr ui::ControlId IDC_ROW_TIME = 1774;
    static constexpr ui::ControlId IDC_INP_SIGNAL = 1787;
    static constexpr ui::ControlId IDC_TIME_TRANSITION = 1788;
    static constexpr ui::ControlId IDC_CYCLE = 1782;
    static constexpr ui::ControlId IDC_REPEAT = 1781;

    // `selectText` is the page's rule for selecting an edit's whole text as it takes the
    // focus; `running` tells whether a sequence runs.
    ContinuousEditor(ui::Form& form, const StatusBlock& status, const ui::DialogServices& services,
                     std::function<void(ui::ControlId)> selectText, std::function<bool()> running);

    ContinuousTable& Table() { return table_; }
    const ContinuousTable& Table() const { return table_; }

    // The row the editor shows (its number control, 1-based, clamped to the table).
    int EditedRow() const;
    bool OneTime(int r) const;
    std::vector<bool> OneTimeRows() const;

    // Row r into the editor, and the editor back into its row; a time the row does not allow
    // never reaches it.
    void LoadRow(int r);
    void SaveEditor();
    // The choice of the editor changed: the time field follows it (`showStoredTime`: the
    // row's time replaces what was typed).
    void RowChoiceChanged(bool showStoredTime);
    // Every row's step and time cells again, for what the status now says.
    void RefreshTimeColumn();
    void WriteRowCells(int r);
    void TransitionChanged();
    // The time typed for the edited row: false, with the message shown and the field marked,
    // when the row does not allow it.
    bool CheckOperatingTime();
    // A click into row `row`, column `column`, and the arrow keys and Return in the editor.
    void ClickRow(int row, int column);
    void MoveRowByKey(int key);
    // The first row, selected and in the editor, the focus on its choice.
    void ShowFirstRow();
    void UpdateRepeatEnable();
    // Active rows up to the end row, the selected row also while a sequence runs.
    void ColourTable();

  private:
    // The operating time typed in the editor, in 0.01 s.
    int EditorTime() const;

    ui::Form& form_;
    const StatusBlock& status_;
    ui::DialogServices services_;
    std::function<void(ui::ControlId)> selectText_;
    std::function<bool()> running_;
    ContinuousTable table_;
    bool checkGuard_ = false;
    bool timeHighlight_ = false;
};

}  // namespace tavro
