#include "ui/qt/QtPrompter.h"

#include <QMessageBox>
#include <QPushButton>
#include <QTimer>

namespace tavro::qt {

namespace {

void Caption(QMessageBox& box, QMessageBox::StandardButton which, const std::string& text) {
    if (!text.empty()) {
        if (QAbstractButton* button = box.button(which)) {
            button->setText(QString::fromStdString(text));
        }
    }
}

}  // namespace

ui::Answer QtPrompter::Show(const ui::Message& message) {
    QWidget* parent = parent_ ? parent_() : nullptr;
    QMessageBox box(parent);
    box.setText(QString::fromStdString(message.text));
    box.setTextFormat(Qt::PlainText);
    box.setIcon(message.icon == ui::Icon::kInformation ? QMessageBox::Information
                                                       : QMessageBox::Warning);
    if (parent != nullptr) {
        box.setWindowTitle(parent->window()->windowTitle());
    }
    if (message.buttons == ui::Buttons::kYesNo) {
        box.setStandardButtons(QMessageBox::Yes | QMessageBox::No);
        box.setDefaultButton(QMessageBox::No);
        box.setEscapeButton(QMessageBox::No);
        Caption(box, QMessageBox::Yes, buttons_.yes);
        Caption(box, QMessageBox::No, buttons_.no);
    } else {
        box.setStandardButtons(QMessageBox::Ok);
        box.setDefaultButton(QMessageBox::Ok);
        Caption(box, QMessageBox::Ok, buttons_.ok);
    }
    if (message.topmost) {
        box.setWindowFlag(Qt::WindowStaysOnTopHint, true);
    }
    if (onShown_) {
        QTimer::singleShot(0, &box, [this, &box] { onShown_(box); });
    }
    const int result = box.exec();
    if (message.buttons == ui::Buttons::kYesNo) {
        return result == QMessageBox::Yes ? ui::Answer::kYes : ui::Answer::kNo;
    }
    return ui::Answer::kOk;
}

}  // namespace tavro::qt
