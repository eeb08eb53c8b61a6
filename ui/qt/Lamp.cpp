#include "ui/qt/Lamp.h"

#include <QFontMetrics>
#include <QPainter>
#include <QPainterPath>

#include "ui/qt/QtPalette.h"

namespace tavro::qt {

namespace {

constexpr int kUnlitBackground = 12;
constexpr int kUnlitText = 16;
constexpr int kDisabledBackground = 10;
constexpr int kDisabledText = 3;

}  // namespace

Lamp::Lamp(QWidget* parent) : QWidget(parent) {
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
}

void Lamp::setText(const QString& text) {
    text_ = text;
    updateGeometry();
    update();
}

void Lamp::setColours(ui::Colours colours) {
    colours_ = colours;
    update();
}

QSize Lamp::sizeHint() const {
    const QFontMetrics fm(font());
    const QSize textSize = fm.size(0, text_.isEmpty() ? QStringLiteral("M") : text_);
    return {std::max(textSize.width() + fm.averageCharWidth() * 2, fm.height() * 3),
            textSize.height() + fm.height() / 2 + 4};
}

QSize Lamp::minimumSizeHint() const {
    return sizeHint();
}

void Lamp::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    ui::Colours c = colours_.IsDefault() ? ui::Colours{kUnlitBackground, kUnlitText} : colours_;
    if (!isEnabled()) {
        c = {kDisabledBackground, kDisabledText};
    }
    const QRectF box = QRectF(rect()).adjusted(1.5, 1.5, -1.5, -1.5);
    const qreal radius = std::min(box.height(), box.width()) / 4.0;
    QPainterPath path;
    path.addRoundedRect(box, radius, radius);
    painter.fillPath(path, PaletteColour(c.background, palette()));
    painter.setPen(QPen(palette().color(QPalette::Dark), 1.0));
    painter.drawPath(path);
    painter.setPen(PaletteColour(c.text, palette()));
    painter.drawText(box, Qt::AlignCenter, text_);
}

}  // namespace tavro::qt
