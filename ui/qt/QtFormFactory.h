#pragma once

#include <QMetaObject>
#include <QObject>
#include <QString>
#include <QStringList>
#include <map>
#include <memory>
#include <set>
#include <utility>

#include "ui/FormFactory.h"

class QWidget;

namespace tavro::qt {

class QtForm;

struct QtFormOptions {
    // Where "<templateId>.ui" files are looked for first; the program's resources
    // (":/forms") come after.
    QString formsFolder;
    // Where pictures are looked for after the resources (":/pictures").
    QStringList pictureFolders;
    // The user interface is Japanese: every form prefers a Japanese font.
    bool japanese = false;
};

// Builds Qt forms from form files and keeps what all forms of the program share: their
// options and the one account of which control has the focus, so focus out and focus in
// reach the right presenters in the right order.
class QtFormFactory : public ui::FormFactory {
  public:
    explicit QtFormFactory(QtFormOptions options = {});
    ~QtFormFactory() override;
    QtFormFactory(const QtFormFactory&) = delete;
    QtFormFactory& operator=(const QtFormFactory&) = delete;

    std::unique_ptr<ui::Form> Create(int templateId, ui::Form* parent, ui::FormKind kind) override;
    // The same from an explicit form file; nullptr when it cannot be read.
    std::unique_ptr<QtForm> CreateFromFile(const QString& path, ui::Form* parent,
                                           ui::FormKind kind);

    const QtFormOptions& Options() const { return options_; }

    // For the forms themselves: a form's root widget and window lead to the form.
    void Register(QtForm* form, QWidget* root, QWidget* window);
    void Unregister(QtForm* form);
    // The live form that owns `widget` and the control the widget belongs to (kNoControl for
    // the form's background); {nullptr, kNoControl} when no form does.
    std::pair<QtForm*, ui::ControlId> OwnerOf(const QWidget* widget) const;
    // While set, focus changes are not reported (the focus is being put away silently).
    void SetFocusQuiet(bool quiet) { focusQuiet_ = quiet; }
    // Forgets the reported focus without an event.
    void DropReportedFocus(const QtForm* form);

  private:
    void OnFocusChanged(QWidget* now);

    QtFormOptions options_;
    QObject context_;  // ends the connections when the factory goes
    std::set<QtForm*> live_;
    std::map<const QWidget*, QtForm*> roots_;
    QMetaObject::Connection focusConnection_;
    bool focusQuiet_ = false;
    QtForm* reportedForm_ = nullptr;
    ui::ControlId reportedId_ = ui::kNoControl;
};

}  // namespace tavro::qt
