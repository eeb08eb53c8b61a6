#pragma once

#include <array>
#include <span>
#include <string>

#include "detail/DetailTables.h"
#include "link/LinkContext.h"
#include "params/CBinding.h"
#include "ui/Form.h"
#include "ui/Prompter.h"
#include "ui/StringTable.h"

namespace tavro {

// The name of PID set `set` (0: the return to origin), and what the assignment list shows for
// `value` in row `row` (row 0: the return to origin); a number no set has shows as nothing.
std::string PidSetName(const StringTable& strings, int set);
std::string PidAssignmentText(const StringTable& strings, int row, int value);

// The Detail dialog's PID table: the gain sets (list 1874) with their edit row, and which set
// each motion uses (list 1875) with its choice.
class DetailPidEditor {
  public:
    // What the editor needs from the dialog around it.
    class Owner {
      public:
        virtual ~Owner() = default;
        virtual bool Busy() const = 0;
        virtual bool Pulse() const = 0;
        // Focus and help on a field.
        virtual void FocusField(ui::ControlId id) = 0;
        // The error colours of every field after a check.
        virtual void ApplyFieldColours() = 0;
    };

    DetailPidEditor(ui::Form& form, LinkContext& ctx, CBinding& binding, ui::Prompter& prompter,
                    const StringTable& strings, Owner& owner);

    // 5 rows for the pulse type (origin and 4 steps), 16 otherwise.
    int Rows() const { return owner_.Pulse() ? kPidRowsPulse : kPidRowsStep; }
    int ShownGainRow() const { return gainShown_; }
    int ShownAssignmentRow() const { return assignShown_; }
    std::span<const bool> Errors() const { return errors_; }
    void ClearErrors() { errors_.fill(false); }

    // The first column of both lists.
    void LabelLists();
    void ColourLists();

    // The gain row: shown in the edits from the edit copy, written back to the list and the
    // image, range-checked (false, with the messages shown, when a value is out of range).
    void DisplayGainRow(int row);
    void CommitGainRow(int row);
    void ShowGainRow(int row);  // commits the row shown, then displays `row`
    bool CheckGainRow();

    void DisplayAssignmentRow(int row);
    void StoreAssignment();
    void ShowAssignmentRow(int row);  // stores the row shown, then displays `row`
    // Every assignment from one copy of the image; true when any differs from the controller.
    bool DisplayAssignments(int copy);

    // Return, the arrows and Escape in the gain edits or the assignment choice.
    bool Key(ui::ControlId id, int key);

  private:
    void LabelAssignmentRows();
    void FillAssignmentChoice(int row);
    std::string Text(int id) const { return std::string(strings_.Text(id)); }

    ui::Form& form_;
    LinkContext& ctx_;
    CBinding& binding_;
    ui::Prompter& prompter_;
    const StringTable& strings_;
    Owner& owner_;
    std::array<bool, kPidEditRow.size()> errors_{};
    int gainShown_ = 0;
    int assignShown_ = 0;
};

}  // namespace tavro
