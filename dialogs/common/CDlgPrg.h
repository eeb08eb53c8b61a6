#pragma once

#include <memory>

#include "link/LinkContext.h"
#include "link/StringIds.h"
#include "ui/DialogSupport.h"
#include "ui/Form.h"
#include "ui/FormEvents.h"

namespace tavro::ui {

// The progress dialog of long operations: a bar in quarter steps and a Cancel button that
// gives the operation up. One object for the whole program; its window is made anew for
// every operation and only hidden when the operation ends.
class CDlgPrg : public FormEvents {
  public:
    static constexpr int kTemplate = 206;
    static constexpr ControlId IDC_PROGRESS = 1042;
    static constexpr ControlId IDC_CANCEL = 1044;
    static constexpr int kQuarters = 4;

    CDlgPrg(LinkContext& ctx, const DialogServices& services) : ctx_(ctx), services_(services) {}
    ~CDlgPrg() override;
    CDlgPrg(const CDlgPrg&) = delete;
    CDlgPrg& operator=(const CDlgPrg&) = delete;

    bool Visible() const;
    // Destroys a hidden window, then makes a new one over `parent` and shows it.
    void Open(Form* parent);
    // Range 0 .. total x 4, position done x 4.
    void SetProgress(int total, int done);
    // One quarter on; the link takes one for every reply time-out.
    void Step();
    void Hide();
    // nullptr while no window exists.
    Form* GetForm() const { return form_.get(); }

    void OnClicked(ControlId id) override;
    bool OnKeyDown(ControlId id, int key, KeyModifiers mods) override;
    bool OnCloseRequest() override { return false; }

  private:
    LinkContext& ctx_;
    DialogServices services_;
    std::unique_ptr<Form> form_;
};

}  // namespace tavro::ui
