#include "tests/qt/QtTestForm.h"

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QHeaderView>
#include <QLineEdit>
#include <QRadioButton>
#include <QTest>

#include "ui/Keys.h"
#include "ui/qt/ReportList.h"

namespace tavro::test {

namespace {

qt::QtFormOptions TestOptions(bool japanese) {
    qt::QtFormOptions options;
    options.formsFolder = QStringLiteral(TAVRO_TEST_FORMS_DIR);
    options.pictureFolders << QStringLiteral(TAVRO_TEST_PICTURES_DIR);
    options.japanese = japanese;
    return options;
}

Qt::Key QtKey(int key) {
    switch (key) {
        case ui::key::kReturn:
            return Qt::Key_Return;
        case ui::key::kEscape:
            return Qt::Key_Escape;
        case ui::key::kTab:
            return Qt::Key_Tab;
        case ui::key::kUp:
            return Qt::Key_Up;
        case ui::key::kDown:
            return Qt::Key_Down;
        case ui::key::kLeft:
            return Qt::Key_Left;
        case ui::key::kRight:
            return Qt::Key_Right;
        case ui::key::kSpace:
            return Qt::Key_Space;
        case ui::key::kPageDown:
            return Qt::Key_PageDown;
        default:
            return static_cast<Qt::Key>(key);  // digits and letters
    }
}

}  // namespace

QtTestForm::QtTestForm(const QString& file, ui::FormKind kind, bool japanese)
    : factory_(TestOptions(japanese)) {
    form_ = factory_.CreateFromFile(QStringLiteral(TAVRO_TEST_FORMS_DIR "/") + file, nullptr, kind);
    if (form_ == nullptr) {
        ADD_FAILURE() << "cannot build " << file.toStdString();
        return;
    }
    form_->SetListener(&events);
    if (kind == ui::FormKind::kModal) {
        return;  // shown by RunModal
    }
    form_->SetWindowVisible(true);
    Window().activateWindow();
    active_ = QTest::qWaitForWindowActive(&Window());
    EXPECT_TRUE(active_);
    // The window puts the focus on its first control; tests start, as a FakeForm does, with
    // the focus nowhere.
    form_->SetListener(nullptr);
    Settle();
    if (QWidget* focus = QApplication::focusWidget()) {
        focus->clearFocus();
    }
    Settle();
    events.log.clear();
    form_->SetListener(&events);
}

QtTestForm::~QtTestForm() {
    if (form_ != nullptr) {
        form_->SetListener(nullptr);
    }
}

QPoint QtTestForm::Where(ui::ControlId id) {
    QWidget* w = Widget(id);
    if (w == nullptr) {
        ADD_FAILURE() << "no control " << id;
        return {};
    }
    QPoint local = w->rect().center();
    if (qobject_cast<QCheckBox*>(w) != nullptr || qobject_cast<QRadioButton*>(w) != nullptr) {
        local = QPoint(std::min(8, w->width() / 2), w->height() / 2);
    }
    return w->mapTo(&Window(), local);
}

QPoint QtTestForm::WhereCell(ui::ControlId id, int row, int column) {
    auto* list = qobject_cast<qt::ReportList*>(Widget(id));
    const QRect cell = list->visualItemRect(list->item(row, column));
    return list->viewport()->mapTo(&Window(), cell.center());
}

QPoint QtTestForm::WhereBelowRows(ui::ControlId id) {
    auto* list = qobject_cast<qt::ReportList*>(Widget(id));
    const QRect first = list->visualItemRect(list->item(0, 0));
    return list->viewport()->mapTo(&Window(),
                                   QPoint(first.center().x(), list->viewport()->height() - 3));
}

void QtTestForm::Click(ui::ControlId id) {
    ClickAt(Where(id));
}

void QtTestForm::ClickAt(QPoint at, Qt::MouseButton button) {
    QTest::mouseClick(Handle(), button, Qt::NoModifier, at);
    Settle();
}

void QtTestForm::DoubleClickAt(QPoint at) {
    QTest::mouseDClick(Handle(), Qt::LeftButton, Qt::NoModifier, at);
    Settle();
}

void QtTestForm::MoveTo(QPoint at) {
    QTest::mouseMove(Handle(), at);
    Settle();
}

void QtTestForm::Key(int key, bool shift) {
    QTest::keyClick(Handle(), QtKey(key), shift ? Qt::ShiftModifier : Qt::NoModifier);
    Settle();
}

void QtTestForm::Type(ui::ControlId id, const QString& text) {
    form_->SetFocus(id);
    QLineEdit* edit = qobject_cast<QLineEdit*>(Widget(id));
    if (auto* combo = qobject_cast<QComboBox*>(Widget(id))) {
        edit = combo->lineEdit();
    }
    if (edit != nullptr) {
        edit->selectAll();
    }
    for (const QChar c : text) {
        QTest::keyClick(Handle(), c.toLatin1());
    }
    Settle();
}

void QtTestForm::Settle() {
    QCoreApplication::processEvents();
    QCoreApplication::processEvents();
}

}  // namespace tavro::test
