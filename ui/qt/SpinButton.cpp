#include "ui/qt/SpinButton.h"

#include <QVBoxLayout>

#include <algorithm>

#include "ui/qt/QtOwnership.h"

namespace tavro::qt {

SpinButton::SpinButton(QWidget* parent) : QWidget(parent), up_(this), down_(this) {
    auto* layout = MakeQtOwned<QVBoxLayout>(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    for (QToolButton* arrow : {&up_, &down_}) {
        arrow->setArrowType(arrow == &up_ ? Qt::UpArrow : Qt::DownArrow);
        arrow->setAutoRepeat(true);
        arrow->setFocusPolicy(Qt::NoFocus);
        arrow->setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Expanding);
        layout->addWidget(arrow);
    }
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Preferred);
    // A held arrow repeats its press, so the value keeps stepping while it is held.
    connect(&up_, &QToolButton::pressed, this, [this] { emit stepRequested(step_); });
    connect(&down_, &QToolButton::pressed, this, [this] { emit stepRequested(-step_); });
}

void SpinButton::setMinimum(int value) {
    setRange(value, std::max(value, maximum_));
}

void SpinButton::setMaximum(int value) {
    setRange(std::min(value, minimum_), value);
}

void SpinButton::setRange(int minimum, int maximum) {
    minimum_ = std::min(minimum, maximum);
    maximum_ = std::max(minimum, maximum);
    value_ = std::clamp(value_, minimum_, maximum_);
}

void SpinButton::setValue(int value) {
    value_ = std::clamp(value, minimum_, maximum_);
}

}  // namespace tavro::qt
