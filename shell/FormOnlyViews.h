#pragma once

#include <memory>

#include "shell/PageViews.h"
#include "ui/DialogSupport.h"

namespace tavro {

// The Step Data Setup page as its form alone, for a program built without the page's own
// presenter: the main window fills it with captions, enabling and the image like any page.
class FormOnlyStepPage : public StepPageView {
  public:
    explicit FormOnlyStepPage(std::unique_ptr<ui::Form> form) : form_(std::move(form)) {}
    static std::unique_ptr<FormOnlyStepPage> Create(ui::FormFactory& forms, ui::Form& parent);

    ui::Form& GetForm() override { return *form_; }

  private:
    std::unique_ptr<ui::Form> form_;
};

// The step browser as its form alone, kept hidden.
class FormOnlyBrowser : public BrowserView, public ui::FormEvents {
  public:
    static constexpr int IDS_CAPTION = 250;

    explicit FormOnlyBrowser(std::unique_ptr<ui::Form> form);
    ~FormOnlyBrowser() override;
    FormOnlyBrowser(const FormOnlyBrowser&) = delete;
    FormOnlyBrowser& operator=(const FormOnlyBrowser&) = delete;
    static std::unique_ptr<FormOnlyBrowser> Create(const ui::DialogServices& services,
                                                   ui::Form& parent);

    ui::Form& GetForm() override { return *form_; }

  private:
    std::unique_ptr<ui::Form> form_;
};

}  // namespace tavro
