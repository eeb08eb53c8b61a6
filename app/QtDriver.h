#pragma once

#include <QObject>
#include <QString>
#include <QTimer>
#include <functional>

class QWidget;

namespace tavro::app::driver {

// The widget of a control inside `root`, by its control ID; nullptr when there is none.
QWidget* FindControl(QWidget* root, int controlId);
// The visible window (dialog or main window) that holds a control with this ID.
QWidget* VisibleWindowWith(int controlId);
// A push button or check box pressed as by the mouse; false when missing or disabled.
bool Click(QWidget* root, int controlId);
bool IsEnabled(QWidget* root, int controlId);
// Selects the first item of a drop-down list whose text starts with `prefix`.
bool ChooseItemStartingWith(QWidget* root, int controlId, const QString& prefix);
// Selects a tab of a tab strip as a click would.
bool ChooseTab(QWidget* root, int controlId, int index);
// Draws the window into a PNG file; false when the file cannot be written.
bool SaveImage(QWidget* window, const QString& path);

// Runs `step` on the event loop every `intervalMs` until it returns true, also inside the
// nested loops of modal windows; a step that is still running is not started again.
class Ticker : public QObject {
  public:
    Ticker(int intervalMs, std::function<bool()> step);

  private:
    QTimer timer_;
    std::function<bool()> step_;
    bool running_ = false;
};

}  // namespace tavro::app::driver
