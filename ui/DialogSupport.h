#pragma once

#include <memory>
#include <string>
#include <utility>

#include "ui/FileChooser.h"
#include "ui/Form.h"
#include "ui/FormEvents.h"
#include "ui/FormFactory.h"
#include "ui/Prompter.h"
#include "ui/StringTable.h"

namespace tavro::ui {

// What every dialog presenter needs from the program: its forms, its message boxes and the
// texts of the user's language.
struct DialogServices {
    FormFactory& forms;
    Prompter& prompter;
    const StringTable& strings;

    std::string Text(int id) const { return std::string(strings.Text(id)); }
    void Warn(int id) const { prompter.Warn(id, Text(id)); }
    void Inform(int id) const { prompter.Inform(id, Text(id)); }
    bool Confirm(int id) const { return prompter.Confirm(id, Text(id)); }
};

// What a page or dialog that edits data and its files needs: message boxes, the file chooser,
// the texts, and the forms of the compare window (none: no compare).
struct EditorServices {
    Prompter& prompter;
    FileChooser& chooser;
    const StringTable& strings;
    FormFactory* forms = nullptr;
};

// A modal dialog that takes the link's completion messages while it is up.
class FrontDialog {
  public:
    virtual ~FrontDialog() = default;
    virtual void OnFrontMessage(int message) = 0;
};

// The one place where the dialog up front registers itself; the main window delivers the
// link's messages to whatever is registered when they arrive, and drops them otherwise.
class FrontDialogSlot {
  public:
    void Register(FrontDialog* dialog) { current_ = dialog; }
    // Only the registered dialog can clear its own registration.
    void Clear(const FrontDialog* dialog) {
        if (current_ == dialog) {
            current_ = nullptr;
        }
    }
    FrontDialog* Current() const { return current_; }

  private:
    FrontDialog* current_ = nullptr;
};

// Registers a dialog for its lifetime, so a dialog that ends never keeps the slot.
class FrontRegistration {
  public:
    FrontRegistration(FrontDialogSlot& slot, FrontDialog& dialog) : slot_(slot), dialog_(dialog) {}
    ~FrontRegistration() { slot_.Clear(&dialog_); }
    FrontRegistration(const FrontRegistration&) = delete;
    FrontRegistration& operator=(const FrontRegistration&) = delete;

    void Register() { slot_.Register(&dialog_); }
    void Clear() { slot_.Clear(&dialog_); }

  private:
    FrontDialogSlot& slot_;
    FrontDialog& dialog_;
};

// The life of a modal dialog: makes its form from `templateId` into `form`, lets `fill` fill
// it, runs it and takes it down again. The dialog's front registration, if any, ends before
// the form does. kIdCancel when the form cannot be made; otherwise what the form ended with.
template <typename Fill>
int RunModalDialog(const DialogServices& services, std::unique_ptr<Form>& form, int templateId,
                   Form* parent, FormEvents& listener, Fill&& fill,
                   FrontRegistration* front = nullptr) {
    form = services.forms.Create(templateId, parent, FormKind::kModal);
    if (!form) {
        return kIdCancel;
    }
    form->SetListener(&listener);
    std::forward<Fill>(fill)();
    const int result = form->RunModal();
    if (front != nullptr) {
        front->Clear();
    }
    form->SetListener(nullptr);
    form.reset();
    return result;
}

}  // namespace tavro::ui
