#pragma once

#include <QPointer>
#include <QWidget>
#include <functional>

#include "ui/Prompter.h"

namespace tavro::qt {

// Message boxes over the window the prompter is given (or none): the exclamation or
// information icon, OK or Yes/No with No as the default, on top of every window if asked.
class QtPrompter : public ui::Prompter {
  public:
    // `parent` gives the window the box belongs to at the moment it is shown.
    explicit QtPrompter(std::function<QWidget*()> parent = {}) : parent_(std::move(parent)) {}

    ui::Answer Show(const ui::Message& message) override;

    // Called with the box once it is up and before it waits (tests press its buttons).
    void SetOnShown(std::function<void(QWidget& box)> onShown) { onShown_ = std::move(onShown); }

  private:
    std::function<QWidget*()> parent_;
    std::function<void(QWidget&)> onShown_;
};

}  // namespace tavro::qt
