#include "app/QtDriver.h"

#include <QAbstractButton>
#include <QApplication>
#include <QComboBox>
#include <QImage>
#include <QPixmap>
#include <QTabBar>
#include <QVariant>
#include <QWidget>

namespace tavro::app::driver {

namespace {

constexpr const char* kControlIdProperty = "controlId";

}  // namespace

QWidget* FindControl(QWidget* root, int controlId) {
    if (root == nullptr) {
        return nullptr;
    }
    for (QWidget* widget : root->findChildren<QWidget*>()) {
        const QVariant id = widget->property(kControlIdProperty);
        if (id.isValid() && id.toInt() == controlId) {
            return widget;
        }
    }
    return nullptr;
}

QWidget* VisibleWindowWith(int controlId) {
    for (QWidget* window : QApplication::topLevelWidgets()) {
        if (!window->isVisible()) {
            continue;
        }
        // A dialog owned by the main window is among its children: the control's own window.
        if (QWidget* control = FindControl(window, controlId)) {
            if (control->window()->isVisible()) {
                return control->window();
            }
        }
    }
    return nullptr;
}

bool Click(QWidget* root, int controlId) {
    auto* button = qobject_cast<QAbstractButton*>(FindControl(root, controlId));
    if (button == nullptr || !button->isEnabled()) {
        return false;
    }
    button->click();
    return true;
}

bool IsEnabled(QWidget* root, int controlId) {
    QWidget* widget = FindControl(root, controlId);
    return widget != nullptr && widget->isEnabled();
}

bool ChooseItemStartingWith(QWidget* root, int controlId, const QString& prefix) {
    auto* combo = qobject_cast<QComboBox*>(FindControl(root, controlId));
    if (combo == nullptr) {
        return false;
    }
    for (int i = 0; i < combo->count(); ++i) {
        if (combo->itemText(i).startsWith(prefix)) {
            combo->setCurrentIndex(i);
            return true;
        }
    }
    return false;
}

bool ChooseTab(QWidget* root, int controlId, int index) {
    auto* tabs = qobject_cast<QTabBar*>(FindControl(root, controlId));
    if (tabs == nullptr || !tabs->isEnabled() || index < 0 || index >= tabs->count()) {
        return false;
    }
    tabs->setCurrentIndex(index);
    return true;
}

bool SaveImage(QWidget* window, const QString& path) {
    return window != nullptr && window->grab().save(path, "PNG");
}

Ticker::Ticker(int intervalMs, std::function<bool()> step) : step_(std::move(step)) {
    timer_.setInterval(intervalMs);
    QObject::connect(&timer_, &QTimer::timeout, this, [this] {
        // A step that opens a modal window runs a nested loop, in which the timer fires on.
        if (running_ || !step_) {
            return;
        }
        running_ = true;
        const bool done = step_();
        running_ = false;
        if (done) {
            timer_.stop();
        }
    });
    timer_.start();
}

}  // namespace tavro::app::driver
