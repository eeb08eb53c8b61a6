#include "ui/qt/PaletteSlider.h"

#include <QPainter>
#include <QStyle>
#include <QStyleOptionSlider>

namespace tavro::qt {

PaletteSlider::PaletteSlider(QWidget* parent) : QSlider(parent) {}

void PaletteSlider::setChannelColour(const QColor& colour) {
    channel_ = colour;
    update();
}

void PaletteSlider::paintEvent(QPaintEvent* event) {
    if (!channel_.isValid()) {
        QSlider::paintEvent(event);
        return;
    }
    QPainter painter(this);
    QStyleOptionSlider opt;
    initStyleOption(&opt);
    QRect groove = style()->subControlRect(QStyle::CC_Slider, &opt, QStyle::SC_SliderGroove, this);
    const int thickness = 4;
    if (orientation() == Qt::Horizontal) {
        groove.setTop(groove.center().y() - thickness / 2);
        groove.setHeight(thickness);
    } else {
        groove.setLeft(groove.center().x() - thickness / 2);
        groove.setWidth(thickness);
    }
    painter.fillRect(groove, channel_);
    opt.subControls = QStyle::SC_SliderHandle | QStyle::SC_SliderTickmarks;
    style()->drawComplexControl(QStyle::CC_Slider, &opt, &painter, this);
}

}  // namespace tavro::qt
