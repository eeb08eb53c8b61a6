#include "ui/qt/FormWindow.h"

#include <QCloseEvent>

namespace tavro::qt {

FormWindow::FormWindow(QWidget* parent) : QDialog(parent) {
    setSizeGripEnabled(false);
}

void FormWindow::closeEvent(QCloseEvent* event) {
    if (onClose_ && onClose_()) {
        event->accept();
    } else {
        event->ignore();
    }
}

bool FormWindow::event(QEvent* event) {
    const bool handled = QDialog::event(event);
    if ((event->type() == QEvent::WinIdChange || event->type() == QEvent::Show) && onWindow_) {
        onWindow_();
    }
    return handled;
}

}  // namespace tavro::qt
