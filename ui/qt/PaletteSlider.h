#pragma once

#include <QColor>
#include <QSlider>

namespace tavro::qt {

// A slider whose channel can be painted in a colour of its own (the mode switch: blue when
// enabled, dark grey when not).
class PaletteSlider : public QSlider {
    Q_OBJECT

  public:
    explicit PaletteSlider(QWidget* parent = nullptr);

    // An invalid colour gives the style's own channel back.
    void setChannelColour(const QColor& colour);
    QColor channelColour() const { return channel_; }

  protected:
    void paintEvent(QPaintEvent* event) override;

  private:
    QColor channel_;
};

}  // namespace tavro::qt
