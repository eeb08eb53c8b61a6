#pragma once

#include <QDialog>
#include <functional>

namespace tavro::qt {

// The window around a form's widgets. It never ends or closes by itself: Return, Escape
// and the close box are decided by the form's presenter.
class FormWindow : public QDialog {
    Q_OBJECT

  public:
    explicit FormWindow(QWidget* parent = nullptr);

    // Asked when the user closes the window; the window stays unless it returns true.
    void SetCloseHandler(std::function<bool()> handler) { onClose_ = std::move(handler); }
    // Told whenever the window gets a (new) native window, so event filters can follow it.
    void SetWindowHandler(std::function<void()> handler) { onWindow_ = std::move(handler); }

    void accept() override {}
    void reject() override {}

  protected:
    void closeEvent(QCloseEvent* event) override;
    bool event(QEvent* event) override;

  private:
    std::function<bool()> onClose_;
    std::function<void()> onWindow_;
};

}  // namespace tavro::qt
