#pragma once

#include <QPoint>
#include <QString>
#include <QWindow>
#include <memory>

#include "tests/support/EventRecorder.h"
#include "ui/qt/QtForm.h"
#include "ui/qt/QtFormFactory.h"

namespace tavro::test {

// The test form shown in an active offscreen window, with the user's hand on it: clicks,
// keys and typing sent to the window as the platform would send them.
class QtTestForm {
  public:
    explicit QtTestForm(const QString& file = QStringLiteral("900.ui"),
                        ui::FormKind kind = ui::FormKind::kModeless, bool japanese = false);
    ~QtTestForm();

    qt::QtForm& Form() { return *form_; }
    qt::QtFormFactory& Factory() { return factory_; }
    QWidget& Window() { return *form_->TopWindow(); }
    QWindow* Handle() { return Window().windowHandle(); }
    QWidget* Widget(ui::ControlId id) { return form_->Widget(id); }
    bool Active() const { return active_; }

    // A point of a control in window coordinates: the middle, or where a check box or radio
    // button reacts.
    QPoint Where(ui::ControlId id);
    QPoint WhereCell(ui::ControlId list, int row, int column);
    QPoint WhereBelowRows(ui::ControlId list);

    void Click(ui::ControlId id);
    void ClickAt(QPoint at, Qt::MouseButton button = Qt::LeftButton);
    void DoubleClickAt(QPoint at);
    void MoveTo(QPoint at);
    void Key(int key, bool shift = false);  // a key code of ui/Keys.h
    void Type(ui::ControlId id, const QString& text);
    // Lets queued work (posted selections, repaints) run.
    static void Settle();

    EventRecorder events;

  private:
    qt::QtFormFactory factory_;
    std::unique_ptr<qt::QtForm> form_;
    bool active_ = false;
};

}  // namespace tavro::test
