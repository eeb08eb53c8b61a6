#pragma once

#include "link/LinkContext.h"
#include "ui/FormEvents.h"
#include "ui/PageViews.h"
#include "ui/StringTable.h"

namespace tavro {

inline constexpr ui::ControlId IDC_BROWSE_LIST = 1030;
// The Monitor/Test page's step choices the browser serves.
inline constexpr ui::ControlId IDC_SINGLE_STEP_CHOICE = 1762;
inline constexpr ui::ControlId IDC_NEXT_STEP_CHOICE = 1771;

inline constexpr int kStrBrowserTitle = 250;
// The choice of the next step lists "End" and "Return to origin" before the steps.
inline constexpr int kBrowserPseudoRows = 2;
// Pixels per row, and the list height the reference layout has for 15 rows.
inline constexpr int kBrowserRowPixels = 12;
inline constexpr int kBrowserRowsPixels = 180;
inline constexpr int kBrowserReferenceHeight = 222;

// What the browser needs from the main window.
class BrowserHost {
  public:
    virtual ~BrowserHost() = default;
    virtual void EnableMainWindow(bool enable) = 0;
    // The user chose entry `item` of the Monitor/Test page's choice `comboId`.
    virtual void SelectBrowsedStep(int comboId, int item) = 0;
};

// The step browser: a read-only copy of the step list from which the Monitor/Test page's
// step choices pick a step.
class CDlgRef : public BrowserView, public ui::FormEvents {
  public:
    CDlgRef(ui::Form& form, const LinkContext& ctx, const StringTable& strings, BrowserHost& host);
    ~CDlgRef() override;
    CDlgRef(const CDlgRef&) = delete;
    CDlgRef& operator=(const CDlgRef&) = delete;

    // --- BrowserView ---
    ui::Form& GetForm() override { return form_; }
    void SetListTexts(const StepListTexts& texts) override;
    void Show(int comboId, int item) override;

    int ComboId() const { return comboId_; }
    int PseudoRows() const { return pseudoRows_; }

    // --- FormEvents ---
    void OnSelectionChanged(ui::ControlId id) override;
    void OnListClick(ui::ControlId id, int row, int column) override;
    void OnListDoubleClick(ui::ControlId id, int row, int column) override;
    bool OnKeyDown(ui::ControlId id, int key, ui::KeyModifiers mods) override;
    void OnClicked(ui::ControlId id) override;
    bool OnCloseRequest() override;

  private:
    void InsertPseudoRow(int row, int stringId);
    void Colour();
    void Choose();
    void Dismiss();

    ui::Form& form_;
    const LinkContext& ctx_;
    const StringTable& strings_;
    BrowserHost& host_;
    int baseHeight_ = kBrowserReferenceHeight;
    int comboId_ = IDC_SINGLE_STEP_CHOICE;
    int pseudoRows_ = 0;
};

}  // namespace tavro
