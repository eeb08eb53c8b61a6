#include "shell/FormOnlyViews.h"

namespace tavro {

std::unique_ptr<FormOnlyStepPage> FormOnlyStepPage::Create(ui::FormFactory& forms,
                                                           ui::Form& parent) {
    auto form = forms.Create(kTemplateStepPage, &parent, ui::FormKind::kPage);
    if (!form) {
        return nullptr;
    }
    return std::make_unique<FormOnlyStepPage>(std::move(form));
}

FormOnlyBrowser::FormOnlyBrowser(std::unique_ptr<ui::Form> form) : form_(std::move(form)) {
    form_->SetListener(this);
}

FormOnlyBrowser::~FormOnlyBrowser() {
    form_->SetListener(nullptr);
}

std::unique_ptr<FormOnlyBrowser> FormOnlyBrowser::Create(const ui::DialogServices& services,
                                                         ui::Form& parent) {
    auto form = services.forms.Create(kTemplateBrowser, &parent, ui::FormKind::kModeless);
    if (!form) {
        return nullptr;
    }
    form->SetTitle(services.Text(IDS_CAPTION));
    return std::make_unique<FormOnlyBrowser>(std::move(form));
}

}  // namespace tavro
