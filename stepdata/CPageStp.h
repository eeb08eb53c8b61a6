#pragma once

#include <array>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "link/LinkContext.h"
#include "params/CBinding.h"
#include "stepdata/CListStp.h"
#include "stepdata/StepCompare.h"
#include "stepdata/StepRowMenu.h"
#include "ui/DialogSupport.h"
#include "ui/FileChooser.h"
#include "ui/FormEvents.h"
#include "ui/FormFactory.h"
#include "ui/PageViews.h"
#include "ui/Prompter.h"
#include "ui/StringTable.h"

namespace tavro {

// Buttons, help texts and the other controls of the page.
inline constexpr ui::ControlId IDC_CUT = 1601;
inline constexpr ui::ControlId IDC_COPY = 1602;
inline constexpr ui::ControlId IDC_PASTE = 1603;
inline constexpr ui::ControlId IDC_GET_POSITION = 1604;
inline constexpr ui::ControlId IDC_SAVE = 1611;
inline constexpr ui::ControlId IDC_OPEN = 1612;
inline constexpr ui::ControlId IDC_UPLOAD = 1621;
inline constexpr ui::ControlId IDC_DOWNLOAD = 1622;
inline constexpr ui::ControlId IDC_FIELD_HELP = 1680;
inline constexpr ui::ControlId IDC_BUTTON_DESCRIPTION = 1681;
inline constexpr ui::ControlId IDC_ILLUSTRATION = 1691;
inline constexpr ui::ControlId IDC_PULSE_FILLER = 1129;
inline constexpr ui::ControlId IDC_COMPARE = 3310;

inline constexpr int kMsgNoOrigin = 309;
inline constexpr int kMsgDataChanged = 342;
inline constexpr int kMsgConfirmDownload = 344;
inline constexpr int kMsgNothingSent = 347;

// Heights of the step list in the reference layout.
inline constexpr int kListHeightPulse = 75;
inline constexpr int kListHeightSteps = 218;

struct PageButton {
    ui::ControlId control;
    int icon;         // picture resource
    int toolTip;      // string ID
    int description;  // string ID
};

inline constexpr std::array<PageButton, 8> kPageButtons{{
    {IDC_CUT, 110, 360, 370},
    {IDC_COPY, 111, 361, 371},
    {IDC_PASTE, 112, 362, 372},
    {IDC_SAVE, 114, 364, 374},
    {IDC_OPEN, 115, 365, 375},
    {IDC_UPLOAD, 116, 366, 376},
    {IDC_DOWNLOAD, 117, 367, 377},
    {IDC_GET_POSITION, 113, 363, 373},
}};

// Illustrations of the fields by image index.
inline constexpr std::array<int, 10> kIllustrations = {139, 170, 172, 133, 171,
                                                       173, 174, 175, 132, 176};

// What the page needs from the main window.
class StepPageHost {
  public:
    virtual ~StepPageHost() = default;
    // Shows every step from the image's edit copies on the step views, as after an upload.
    virtual void ShowStepsFromEditCopies() = 0;
};

// The Step Data Setup page: the step list, the edit row of one step, the clipboard, the
// step-data file and the step upload and download.
class CPageStp : public StepPageView, public ui::FormEvents {
  public:
    using Services = ui::EditorServices;

    CPageStp(ui::Form& form, LinkContext& ctx, CBinding& binding, Services services,
             StepPageHost& host);
    ~CPageStp() override;
    CPageStp(const CPageStp&) = delete;
    CPageStp& operator=(const CPageStp&) = delete;

    // --- StepPageView ---
    ui::Form& GetForm() override { return form_; }
    void Refresh() override;
    void SetBasicStroke(int stroke) override { basicStroke_ = stroke; }
    void ReloadCurrentStep() override;
    void StoreEditRow(int row) override;
    bool HasStepChanges() override;
    StepListTexts ListTexts() override;

    // The list's height and the filler beneath it for the control type.
    void ResizeList();
    // Stores the edit row into step `n`'s predecessor and shows step `n` from the edit copies.
    void SelectStep(int n);

    int CurrentStep() const { return current_; }
    const StepLimits& Limits() const { return limits_; }
    const EditRowErrors& Errors() const { return errors_; }

    // --- FormEvents ---
    void OnClicked(ui::ControlId id) override;
    void OnSelectionChanged(ui::ControlId id) override;
    void OnFocusIn(ui::ControlId id) override;
    void OnListClick(ui::ControlId id, int row, int column) override;
    void OnListRightClick(ui::ControlId id, int row, int column, ui::ScreenPoint at) override;
    bool OnKeyDown(ui::ControlId id, int key, ui::KeyModifiers mods) override;
    void OnMouseMove(ui::ControlId id) override;

  private:
    CListStp List() const { return CListStp(form_, ctx_.status, strings_); }
    bool Busy() const { return ctx_.status.linkState == kLinkBusy; }
    bool Pushing() const { return form_.IsChecked(IDC_PUSHING); }

    void StartUp();
    void ApplyEditRowEnables();
    void UpdateThrustEnable();
    void UpdateGetPosition();
    void ApplyFieldColours();
    void ColourList();
    void ChooseIllustration();
    // Focus and help after a move the page made itself.
    void FocusField(ui::ControlId id);
    void ShowHelp(ui::ControlId id);
    void Describe(ui::ControlId id);
    bool CheckEditRow();

    void Cut();
    void Copy();
    void Paste();
    void GetPosition();
    void Save();
    void Open();
    void Upload();
    void Download();
    bool AnyStepChanged();
    // "Compare with file...": online the file against the controller, which is read first
    // when this connection has not read its step data; offline two files.
    void Compare();
    void ShowComparison(const StepFileContents& file, const std::string& path);
    void WriteCompared(const std::vector<CompareRow>& chosen);
    void DiscardStepEdits();
    bool StepDataRead() const;
    std::string Text(int id) const { return std::string(strings_.Text(id)); }

    ui::Form& form_;
    LinkContext& ctx_;
    CBinding& binding_;
    ui::Prompter& prompter_;
    ui::FileChooser& chooser_;
    const StringTable& strings_;
    StepPageHost& host_;

    int current_ = 0;
    int basicStroke_ = 0;
    StepLimits limits_;
    int illustrationVariant_ = 0;
    int strokeIndex_ = 0;
    ui::ControlId lastDescribed_ = ui::kNoControl;
    EditRowErrors errors_{};
    StepClipboard clipboard_{};

    ui::FormFactory* forms_ = nullptr;
    // A comparison that waits for the step upload it started.
    struct PendingCompare {
        StepFileContents file;
        std::string path;
    };
    std::optional<PendingCompare> pendingCompare_;
    // Lets a posted task find out whether the page still exists.
    std::shared_ptr<int> alive_ = std::make_shared<int>(0);
};

}  // namespace tavro
