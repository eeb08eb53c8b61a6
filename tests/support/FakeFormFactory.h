#pragma once

#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "tests/support/FakeForm.h"
#include "ui/FormFactory.h"

namespace tavro::test {

// Builds FakeForms for dialog templates, from declarations a test gives or from the same
// "<id>.ui" files the application loads, and keeps track of the forms alive so a test can
// reach the dialog a presenter opened.
class FakeFormFactory : public ui::FormFactory {
  public:
    // `formsFolder`: where "<templateId>.ui" files are read from; empty for none.
    explicit FakeFormFactory(std::string formsFolder = {});
    ~FakeFormFactory() override;
    FakeFormFactory(const FakeFormFactory&) = delete;
    FakeFormFactory& operator=(const FakeFormFactory&) = delete;

    // Declared controls win over a form file of the same template.
    void Declare(int templateId, std::vector<ControlDecl> controls);
    // What the user does while a modal form of this template runs.
    void OnModal(int templateId, std::function<void(FakeForm&)> player);

    std::unique_ptr<ui::Form> Create(int templateId, ui::Form* parent, ui::FormKind kind) override;

    // The newest form of the template still alive, or nullptr.
    FakeForm* Latest(int templateId) const;

    struct Created {
        int templateId = 0;
        ui::FormKind kind = ui::FormKind::kModal;
        const ui::Form* parent = nullptr;
    };
    const std::vector<Created>& History() const { return history_; }

  private:
    struct Registry {
        std::map<int, std::vector<FakeForm*>> alive;
    };

    std::string formsFolder_;
    std::map<int, std::vector<ControlDecl>> declared_;
    std::map<int, std::function<void(FakeForm&)>> players_;
    std::vector<Created> history_;
    std::shared_ptr<Registry> registry_ = std::make_shared<Registry>();
};

}  // namespace tavro::test
