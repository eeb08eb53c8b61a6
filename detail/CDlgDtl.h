#pragma once

#include <array>
#include <cstddef>
#include <span>
#include <string>
#include <vector>

#include "detail/DetailPidEditor.h"
#include "detail/DetailTables.h"
#include "link/LinkContext.h"
#include "params/CBinding.h"
#include "stepdata/CListStp.h"
#include "stepdata/StepCompare.h"
#include "stepdata/StepRowMenu.h"
#include "ui/DialogSupport.h"
#include "ui/FileChooser.h"
#include "ui/FormEvents.h"
#include "ui/FormFactory.h"
#include "ui/Prompter.h"
#include "ui/StringTable.h"

namespace tavro {

// What the dialog needs from the main window.
class DetailHost {
  public:
    virtual ~DetailHost() = default;
    virtual void EnableMainWindow(bool enable) = 0;
};

// The Detail Parameter Setup dialog: the expert view of every controller setting with its
// step table and PID table, its own file, upload and download commands.
class CDlgDtl : public ui::FormEvents, private DetailPidEditor::Owner {
  public:
    using Services = ui::EditorServices;

    CDlgDtl(ui::Form& form, LinkContext& ctx, CBinding& binding, Services services,
            DetailHost& host);
    ~CDlgDtl() override;
    CDlgDtl(const CDlgDtl&) = delete;
    CDlgDtl& operator=(const CDlgDtl&) = delete;

    // --- what the main window calls ---
    // Before the dialog is shown; level 1 shows the PID section.
    void Prepare(int pidAccessLevel);
    // source 0: controller copies, 1: edit copies.
    void ShowState(int source);
    void ApplyLinkState(LinkState state);
    // The three lists from one copy of the image; true when any cell shown there differs.
    bool RebuildLists(int copy);
    // The close box: false keeps the dialog open.
    bool Close();

    int PidAccessLevel() const { return pidAccessLevel_; }
    bool SeriesSelected() const { return seriesSelected_; }
    bool StrokeSelected() const { return strokeSelected_; }
    int ShownStep() const { return stepShown_; }
    int ShownPidRow() const { return pid_.ShownGainRow(); }
    const DetailLimits& Limits() const { return limits_; }
    const SpinSetup& Spins() const { return spins_; }
    bool OtherFieldsError() const { return otherError_; }

    // --- FormEvents ---
    void OnClicked(ui::ControlId id) override;
    void OnSelectionChanged(ui::ControlId id) override;
    void OnFocusIn(ui::ControlId id) override;
    void OnFocusOut(ui::ControlId id) override;
    void OnListClick(ui::ControlId id, int row, int column) override;
    void OnListRightClick(ui::ControlId id, int row, int column, ui::ScreenPoint at) override;
    bool OnKeyDown(ui::ControlId id, int key, ui::KeyModifiers mods) override;
    void OnMouseMove(ui::ControlId id) override;
    bool OnSpinDelta(ui::ControlId id, int delta) override;
    bool OnCloseRequest() override { return Close(); }

  private:
    CListStp Steps() const {
        return CListStp(form_, ctx_.status, strings_, kDetailStepTable, InputIndex());
    }
    // The input method the dialog's radios show: 0 cycle time, 1 speed, 2 pulse.
    int InputIndex() const;
    // --- DetailPidEditor::Owner ---
    bool Pulse() const override { return ctx_.status.controlType == kControlTypePulse; }
    bool Busy() const override { return ctx_.status.linkState == kLinkBusy; }
    void FocusField(ui::ControlId id) override;
    void ApplyFieldColours() override;

    int PidRows() const { return pid_.Rows(); }
    bool Offline() const {
        return ctx_.status.linkState == kLinkNoController || ctx_.status.linkState == kLinkNoPort;
    }
    bool Pushing() const;
    int SeriesCode(int index) const;
    ui::ControlId MainField() const;
    std::string Text(int id) const { return std::string(strings_.Text(id)); }

    // --- the dialog ---
    void FillLists();
    void ApplyCaptions();
    void InitSeries();
    void SeriesChanged();
    void StrokeChanged();
    void RebuildForSeries(int index);
    void RebuildOrientationList(int index, int previous);
    void UpdateSelectedFlags();
    void ApplySensorOriginRule();
    void UpdateLimits(bool fromStatus);
    void UpdateControllerVersion();
    bool CheckOtherFields();
    void Describe(ui::ControlId id);
    void ShowHelp(ui::ControlId id);
    void ShowHelpLine(ui::ControlId line, const std::string& text);
    bool AnyListDiffers();
    void Save();
    void Open();
    void Upload();
    // Without `resetPidOnProductChange`, a new product or orientation keeps the PID sets.
    void Download(bool resetPidOnProductChange = true);
    // "Compare with file...": online the file against the controller's values read when
    // the dialog opened; offline two files.
    void Compare();
    void WriteCompared(const std::vector<CompareRow>& chosen);

    // --- the step table ---
    void StartUpload(bool commit);
    void SelectStepRow(int row, int column);
    void ShowStepRow(int row);
    void CommitStepRow(int row);
    void CommitAllRows();
    bool CheckStepRow();
    void ApplyStepRowEnables();
    void UpdateGetPosition();
    void SetTargetMinimum();
    void SetUpSpins();
    // Snaps a field the user typed into to the spin's grid.
    void SnapSpinField(std::size_t spin);
    void SpinField(std::size_t spin, int delta);
    void SetSeriesDefaults(int code);
    void ColourStepList();
    void Cut();
    void Copy();
    void Paste();
    void GetPosition();
    bool StepKey(ui::ControlId id, int key);

    // --- the PID table ---
    // Every gain set and assignment back to its default, the lists from row 0.
    void LoadPidDefaults();
    // "Initialize": the defaults, after the question, also in the controller.
    void Initialize();

    ui::Form& form_;
    LinkContext& ctx_;
    CBinding& binding_;
    ui::Prompter& prompter_;
    ui::FileChooser& chooser_;
    const StringTable& strings_;
    DetailHost& host_;

    int pidAccessLevel_ = 0;
    bool suspend_ = false;
    bool otherError_ = false;
    bool checkingOther_ = false;
    bool seriesSelected_ = false;
    bool strokeSelected_ = false;
    int seriesCode_ = 0;
    int seriesIndex_ = 0;
    std::array<bool, kOtherFields.size()> otherErrors_{};
    std::array<bool, kDetailEditRow.size()> stepErrors_{};
    std::array<float, kDetailClipboard.size()> clipboard_{};

    DetailLimits limits_;
    SpinSetup spins_;
    int stepShown_ = 0;
    ui::ControlId lastDescribed_ = ui::kNoControl;
    ui::FormFactory* forms_ = nullptr;
    DetailPidEditor pid_;
};

}  // namespace tavro
