#pragma once

#include <QString>
#include <QWidget>

#include "ui/FormTypes.h"

namespace tavro::qt {

// An indicator lamp: a rounded patch in its background colour with its caption on it.
class Lamp : public QWidget {
    Q_OBJECT
    Q_PROPERTY(QString text READ text WRITE setText)

  public:
    explicit Lamp(QWidget* parent = nullptr);

    QString text() const { return text_; }
    void setText(const QString& text);
    // Palette indices; (0, 0) is an unlit lamp.
    void setColours(ui::Colours colours);
    ui::Colours colours() const { return colours_; }

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

  protected:
    void paintEvent(QPaintEvent* event) override;

  private:
    QString text_;
    ui::Colours colours_;
};

}  // namespace tavro::qt
