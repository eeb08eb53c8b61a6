#pragma once

#include <QPushButton>

#include "ui/FormTypes.h"

namespace tavro::qt {

// A push button painted in its own background and text colours, with a pressed look the
// presenter switches on and off (the servo and power-off buttons).
class CColrBtn : public QPushButton {
    Q_OBJECT

  public:
    explicit CColrBtn(QWidget* parent = nullptr);

    // Palette indices; (0, 0) is the button face with window text.
    void setColours(ui::Colours colours);
    ui::Colours colours() const { return colours_; }
    void setPressed(bool pressed);
    bool isPressed() const { return pressed_; }

  protected:
    void paintEvent(QPaintEvent* event) override;

  private:
    ui::Colours colours_;
    bool pressed_ = false;
};

}  // namespace tavro::qt
