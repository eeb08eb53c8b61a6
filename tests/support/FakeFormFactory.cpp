#include "tests/support/FakeFormFactory.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace tavro::test {

FakeFormFactory::FakeFormFactory(std::string formsFolder) : formsFolder_(std::move(formsFolder)) {}

FakeFormFactory::~FakeFormFactory() = default;

void FakeFormFactory::Declare(int templateId, std::vector<ControlDecl> controls) {
    declared_[templateId] = std::move(controls);
}

void FakeFormFactory::OnModal(int templateId, std::function<void(FakeForm&)> player) {
    players_[templateId] = std::move(player);
}

std::unique_ptr<ui::Form> FakeFormFactory::Create(int templateId, ui::Form* parent,
                                                  ui::FormKind kind) {
    if (kind == ui::FormKind::kPage && parent == nullptr) {
        return nullptr;
    }
    std::unique_ptr<FakeForm> form;
    if (auto it = declared_.find(templateId); it != declared_.end()) {
        form = std::make_unique<FakeForm>(it->second, kind);
    } else if (!formsFolder_.empty()) {
        std::string error;
        const auto ui = ReadUiForm(formsFolder_ + "/" + std::to_string(templateId) + ".ui", error);
        if (!ui) {
            ADD_FAILURE() << "dialog template " << templateId << ": " << error;
            return nullptr;
        }
        form = std::make_unique<FakeForm>(*ui, kind);
    } else {
        return nullptr;
    }
    if (auto it = players_.find(templateId); it != players_.end()) {
        form->OnModal(it->second);
    }
    FakeForm* raw = form.get();
    registry_->alive[templateId].push_back(raw);
    std::weak_ptr<Registry> registry = registry_;
    form->SetOnDestroy([registry, templateId, raw] {
        if (auto r = registry.lock()) {
            auto& forms = r->alive[templateId];
            forms.erase(std::remove(forms.begin(), forms.end(), raw), forms.end());
        }
    });
    history_.push_back({templateId, kind, parent});
    return form;
}

FakeForm* FakeFormFactory::Latest(int templateId) const {
    const auto it = registry_->alive.find(templateId);
    if (it == registry_->alive.end() || it->second.empty()) {
        return nullptr;
    }
    return it->second.back();
}

}  // namespace tavro::test
