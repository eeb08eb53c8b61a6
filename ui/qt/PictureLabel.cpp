#include "ui/qt/PictureLabel.h"

#include <QImageReader>
#include <QPainter>
#include <QPixmap>
#include <QSvgRenderer>

namespace tavro::qt {

PictureLabel::PictureLabel(QWidget* parent) : QLabel(parent) {
    setAlignment(Qt::AlignCenter);
    setMinimumSize(16, 16);
}

void PictureLabel::setPicture(int number, const QString& file) {
    number_ = number;
    file_ = file;
    natural_ = {};
    if (!file_.isEmpty()) {
        if (file_.endsWith(QLatin1String(".svg"), Qt::CaseInsensitive)) {
            natural_ = QSvgRenderer(file_).defaultSize();
        } else {
            natural_ = QImageReader(file_).size();
        }
    }
    updateGeometry();
    Render();
}

QSize PictureLabel::sizeHint() const {
    return natural_.isValid() ? natural_ : QLabel::sizeHint();
}

void PictureLabel::resizeEvent(QResizeEvent* event) {
    QLabel::resizeEvent(event);
    Render();
}

void PictureLabel::Render() {
    if (file_.isEmpty()) {
        clear();
        return;
    }
    const qreal dpr = devicePixelRatioF();
    QSize target = natural_.isValid() ? natural_.scaled(size(), Qt::KeepAspectRatio) : size();
    if (target.isEmpty()) {
        target = QSize(1, 1);
    }
    QPixmap pixmap(target * dpr);
    pixmap.fill(Qt::transparent);
    {
        QPainter painter(&pixmap);
        painter.setRenderHint(QPainter::SmoothPixmapTransform);
        if (file_.endsWith(QLatin1String(".svg"), Qt::CaseInsensitive)) {
            QSvgRenderer(file_).render(&painter, QRectF(QPointF(0, 0), target * dpr));
        } else {
            painter.drawPixmap(QRect(QPoint(0, 0), target * dpr), QPixmap(file_));
        }
    }
    pixmap.setDevicePixelRatio(dpr);
    setPixmap(pixmap);
}

}  // namespace tavro::qt
