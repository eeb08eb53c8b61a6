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
// reach the dialog a presenter opened. Whatever a form records as presenter misuse fails the
// test when the form goes, so no test can forget to look.
class FakeFormFactory : public ui::FormFactory {
  public:
    using Player = std::function<void(FakeForm&)>;

    // `formsFolder`: where "<templateId>.ui" files are read from; empty for none.
    explicit FakeFormFactory(std::string formsFolder = {});
    ~FakeFormFactory() override;
    FakeFormFactory(const FakeFormFactory&) = delete;
    FakeFormFactory& operator=(const FakeFormFactory&) = delete;

    // Declared controls win over a form file of the same template.
    void Declare(int templateId, std::vector<ControlDecl> controls);
    // What the user does while a modal form of this template runs. The dialog must run with
    // it before CheckPlayers (at the latest when the factory goes): a dialog that never
    // opened, or that its presenter ended before it ran, fails the test, since the test's
    // script then never ran. A later registration for the template replaces this one; an
    // empty player removes it.
    void OnModal(int templateId, Player player);
    // The same for a dialog that this test may or may not see.
    void OnModalIfShown(int templateId, Player player);
    // Fails the test once for each OnModal player that has not played since it was
    // registered.
    void CheckPlayers();

    // Misuse that the program is known to commit on forms of this template: it does not
    // fail the test. The caller says why.
    void Excuse(int templateId, std::function<bool(const std::string& problem)> known);

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
        std::multimap<int, std::function<bool(const std::string&)>> excused;

        bool Excused(int templateId, const std::string& problem) const;
    };
    struct PlayerSlot {
        Player player;
        bool required = false;
        bool played = false;
        int formsMade = 0;
    };

    void Register(int templateId, Player player, bool required);

    std::string formsFolder_;
    std::map<int, std::vector<ControlDecl>> declared_;
    std::map<int, std::shared_ptr<PlayerSlot>> players_;
    std::vector<Created> history_;
    std::shared_ptr<Registry> registry_ = std::make_shared<Registry>();
};

}  // namespace tavro::test
