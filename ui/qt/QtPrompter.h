#pragma once

#include <QPointer>
#include <QWidget>
#include <functional>
#include <string>

#include "ui/Prompter.h"

namespace tavro::qt {

// Message boxes over the window the prompter is given (or none): the exclamation or
// information icon, OK or Yes/No with No as the default, on top of every window if asked.
class QtPrompter : public ui::Prompter {
  public:
    // Captions of the buttons in the user's language; empty ones keep the toolkit's own.
    struct ButtonTexts {
        std::string ok;
        std::string yes;
        std::string no;
    };

    // `parent` gives the window the box belongs to at the moment it is shown.
    explicit QtPrompter(std::function<QWidget*()> parent = {}) : parent_(std::move(parent)) {}

    ui::Answer Show(const ui::Message& message) override;

    void SetButtonTexts(ButtonTexts texts) { buttons_ = std::move(texts); }

    // Called with the box once it is up and before it waits (tests press its buttons).
    void SetOnShown(std::function<void(QWidget& box)> onShown) { onShown_ = std::move(onShown); }

  private:
    std::function<QWidget*()> parent_;
    std::function<void(QWidget&)> onShown_;
    ButtonTexts buttons_;
};

}  // namespace tavro::qt
