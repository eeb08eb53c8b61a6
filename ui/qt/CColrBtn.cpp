#include "ui/qt/CColrBtn.h"

#include <qdrawutil.h>
#include <QPainter>
#include <QStyle>
#include <QStyleOptionFocusRect>

#include "ui/qt/QtPalette.h"

namespace tavro::qt {

namespace {

constexpr int kFaceBackground = 10;
constexpr int kFaceText = 2;
constexpr int kEmbossText = 4;
constexpr int kGreyText = 3;
constexpr int kFocusInset = 4;

}  // namespace

CColrBtn::CColrBtn(QWidget* parent) : QPushButton(parent) {
    setAutoDefault(false);
}

void CColrBtn::setColours(ui::Colours colours) {
    colours_ = colours;
    update();
}

void CColrBtn::setPressed(bool pressed) {
    pressed_ = pressed;
    update();
}

void CColrBtn::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    const ui::Colours c = colours_.IsDefault() ? ui::Colours{kFaceBackground, kFaceText} : colours_;
    const QPalette& pal = palette();
    const QRect box = rect();
    const QBrush fill(PaletteColour(c.background, pal));

    // Sunken while the presenter holds it pressed, or while the mouse holds it down.
    const bool beingClicked = isDown();
    const bool sunken = pressed_ || (isEnabled() && beingClicked);
    qDrawWinButton(&painter, box, pal, sunken, &fill);

    const bool drawFocus = pressed_ || hasFocus();
    if (drawFocus) {
        QStyleOptionFocusRect focus;
        focus.initFrom(this);
        focus.rect = box.adjusted(kFocusInset, kFocusInset, -kFocusInset, -kFocusInset);
        focus.backgroundColor = fill.color();
        style()->drawPrimitive(QStyle::PE_FrameFocusRect, &focus, &painter, this);
    }

    // Captions with a line break are set as a centred block; single lines sit in the middle.
    const int flags = Qt::AlignCenter | Qt::TextShowMnemonic |
                      (text().contains(QLatin1Char('\n')) ? Qt::TextWordWrap : 0);
    QRect textBox = box;
    if (!pressed_ && beingClicked && isEnabled()) {
        textBox.translate(1, 1);
    }
    painter.setFont(font());
    if (!isEnabled()) {
        painter.setPen(PaletteColour(kEmbossText, pal));
        painter.drawText(textBox.translated(1, 1), flags, text());
        painter.setPen(PaletteColour(kGreyText, pal));
    } else {
        painter.setPen(PaletteColour(c.text, pal));
    }
    painter.drawText(textBox, flags, text());
}

}  // namespace tavro::qt
