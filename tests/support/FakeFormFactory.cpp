#include "tests/support/FakeFormFactory.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>

namespace tavro::test {

bool FakeFormFactory::Registry::Excused(int templateId, const std::string& problem) const {
    const auto [first, last] = excused.equal_range(templateId);
    return std::any_of(first, last, [&](const auto& entry) { return entry.second(problem); });
}

FakeFormFactory::FakeFormFactory(std::string formsFolder) : formsFolder_(std::move(formsFolder)) {}

FakeFormFactory::~FakeFormFactory() {
    CheckPlayers();
}

void FakeFormFactory::Declare(int templateId, std::vector<ControlDecl> controls) {
    declared_[templateId] = std::move(controls);
}

void FakeFormFactory::OnModal(int templateId, Player player) {
    Register(templateId, std::move(player), true);
}

void FakeFormFactory::OnModalIfShown(int templateId, Player player) {
    Register(templateId, std::move(player), false);
}

void FakeFormFactory::Register(int templateId, Player player, bool required) {
    if (!player) {
        players_.erase(templateId);
        return;
    }
    auto slot = std::make_shared<PlayerSlot>();
    slot->player = std::move(player);
    slot->required = required;
    players_[templateId] = std::move(slot);
}

void FakeFormFactory::CheckPlayers() {
    for (auto& [templateId, slot] : players_) {
        if (slot->required && !slot->played) {
            ADD_FAILURE() << "the script for dialog template " << templateId << " never ran: "
                          << (slot->formsMade == 0
                                  ? std::string("the dialog never opened")
                                  : "the dialog was made " + std::to_string(slot->formsMade) +
                                        " time(s) but ended before it ran")
                          << " (a script that may stay unused is registered with OnModalIfShown)";
            slot->required = false;  // reported once
        }
    }
}

void FakeFormFactory::Excuse(int templateId,
                             std::function<bool(const std::string& problem)> known) {
    registry_->excused.emplace(templateId, std::move(known));
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
        std::shared_ptr<PlayerSlot> slot = it->second;
        ++slot->formsMade;
        form->OnModal([slot](FakeForm& running) {
            slot->played = true;
            slot->player(running);
        });
    }
    FakeForm* raw = form.get();
    registry_->alive[templateId].push_back(raw);
    std::weak_ptr<Registry> registry = registry_;
    form->SetOnDestroy([registry, templateId, raw] {
        const std::string origin = "dialog template " + std::to_string(templateId);
        if (auto r = registry.lock()) {
            raw->FailOnProblems(origin,
                                [&](const std::string& p) { return r->Excused(templateId, p); });
            auto& forms = r->alive[templateId];
            forms.erase(std::remove(forms.begin(), forms.end(), raw), forms.end());
        } else {
            raw->FailOnProblems(origin);  // it outlived the factory and its excuses
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
