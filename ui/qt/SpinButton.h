#pragma once

#include <QToolButton>
#include <QWidget>

namespace tavro::qt {

// The up and down arrows beside an edit. Pressing (and holding) an arrow asks for a step of
// plus or minus singleStep; the form decides whether to take it.
class SpinButton : public QWidget {
    Q_OBJECT
    Q_PROPERTY(int minimum READ minimum WRITE setMinimum)
    Q_PROPERTY(int maximum READ maximum WRITE setMaximum)
    Q_PROPERTY(int value READ value WRITE setValue)
    Q_PROPERTY(int singleStep READ singleStep WRITE setSingleStep)

  public:
    explicit SpinButton(QWidget* parent = nullptr);

    int minimum() const { return minimum_; }
    int maximum() const { return maximum_; }
    void setMinimum(int value);
    void setMaximum(int value);
    void setRange(int minimum, int maximum);
    int value() const { return value_; }
    void setValue(int value);  // limited to the range
    int singleStep() const { return step_; }
    void setSingleStep(int step) { step_ = step; }

    QToolButton& UpArrow() { return up_; }
    QToolButton& DownArrow() { return down_; }

  signals:
    void stepRequested(int delta);

  private:
    QToolButton up_;
    QToolButton down_;
    int minimum_ = 0;
    int maximum_ = 100;
    int value_ = 0;
    int step_ = 1;
};

}  // namespace tavro::qt
