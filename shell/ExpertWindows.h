#pragma once

#include <functional>
#include <memory>

#include "detail/CDlgDtl.h"
#include "dialogs/connect/CDlgComSetup.h"
#include "link/LinkContext.h"
#include "params/CBinding.h"
#include "ui/DialogSupport.h"
#include "ui/FileChooser.h"

namespace tavro {

// A modeless settings window opened behind the password: builds its form, titles it and
// hides it again by its close box; a presenter does the rest.
class ExpertWindow : public ui::FormEvents {
  public:
    ExpertWindow(LinkContext& ctx, const ui::DialogServices& services, int templateId, int titleId);
    ~ExpertWindow() override;
    ExpertWindow(const ExpertWindow&) = delete;
    ExpertWindow& operator=(const ExpertWindow&) = delete;

    // False when the form cannot be built.
    bool Create(ui::Form& parent);
    ui::Form* GetForm() const { return form_.get(); }

    void Show();
    void Hide();
    bool Visible() const;
    // What the main window does once the window has closed.
    void SetOnClosed(std::function<void()> onClosed) { onClosed_ = std::move(onClosed); }
    // As if the close box were used.
    void RequestClose();

    virtual void ApplyLinkState(LinkState /*state*/) {}

    bool OnCloseRequest() override;

  protected:
    virtual void OnCreated() {}

    LinkContext& ctx_;
    ui::DialogServices services_;
    std::unique_ptr<ui::Form> form_;

  private:
    int templateId_;
    int titleId_;
    std::function<void()> onClosed_;
};

// The ID/communication setting window (template 138): owns the form and hands its events to
// the dialog's presenter.
class CommSetupWindow : public ExpertWindow {
  public:
    static constexpr ui::ControlId IDC_CHANGE = CDlgComSetup::IDC_CHANGE;
    static constexpr ui::ControlId IDC_ID = CDlgComSetup::IDC_ID;

    CommSetupWindow(LinkContext& ctx, const ui::DialogServices& services, CBinding& binding);

    // Before it is shown: the check box cleared and the controls locked.
    void Prepare();
    void ApplyLinkState(LinkState state) override;
    // nullptr until the window is created.
    CDlgComSetup* Presenter() const { return presenter_.get(); }

    void OnClicked(ui::ControlId id) override;
    void OnFocusIn(ui::ControlId id) override;
    void OnFocusOut(ui::ControlId id) override;
    bool OnKeyDown(ui::ControlId id, int key, ui::KeyModifiers mods) override;
    bool OnCloseRequest() override;

  private:
    void OnCreated() override;

    CBinding& binding_;
    std::unique_ptr<CDlgComSetup> presenter_;
};

// The Detail Parameter Setup window (template 204): owns the form, the dialog's logic is
// CDlgDtl's.
class DetailWindow : public ExpertWindow, public DetailHost {
  public:
    DetailWindow(LinkContext& ctx, const ui::DialogServices& services, CBinding& binding,
                 ui::FileChooser& chooser);
    ~DetailWindow() override;
    DetailWindow(const DetailWindow&) = delete;
    DetailWindow& operator=(const DetailWindow&) = delete;

    // Before it is shown; 1 shows the PID section.
    void Prepare(int pidAccessLevel);
    int PidAccessLevel() const { return dialog_ ? dialog_->PidAccessLevel() : 0; }
    // source 0: controller copies, 1: edit copies.
    void ShowState(int source);
    // Enables by the state; while the dialog is open, a state other than busy shows the
    // controller's values again.
    void ApplyLinkState(LinkState state) override;
    // The dialog's lists from a copy of the image; true when any cell shown there differs.
    bool RebuildLists(int copy);
    CDlgDtl* Dialog() const { return dialog_.get(); }

    bool OnCloseRequest() override;
    void EnableMainWindow(bool enable) override;

  private:
    void OnCreated() override;

    CBinding& binding_;
    ui::FileChooser& chooser_;
    std::unique_ptr<CDlgDtl> dialog_;
};

}  // namespace tavro
