#pragma once

#include <memory>
#include <vector>

#include "link/LinkContext.h"
#include "ui/DialogSupport.h"
#include "ui/Form.h"
#include "ui/FormEvents.h"

namespace tavro {

// The controller search dialog: probes a range of controller IDs, lists those that
// answered and connects to the chosen one; it can also go back to the COM selection or let
// the program start offline.
class CDlgSid : public ui::FormEvents, public ui::FrontDialog {
  public:
    static constexpr int kTemplate = 157;
    static constexpr ui::ControlId IDC_SPEED_INFO = 1013;
    static constexpr ui::ControlId IDC_FIRST_ID = 1146;
    static constexpr ui::ControlId IDC_LAST_ID = 1148;
    static constexpr ui::ControlId IDC_QUICK_SEARCH = 1155;
    static constexpr ui::ControlId IDC_START = 3;
    static constexpr ui::ControlId IDC_AUTO_SEARCH = 1153;
    static constexpr ui::ControlId IDC_FOUND = 1143;
    static constexpr ui::ControlId IDC_CONNECT = 1150;
    static constexpr ui::ControlId IDC_PROGRESS = 1151;
    static constexpr ui::ControlId IDC_CHECKED = 1152;
    static constexpr ui::ControlId IDC_CHOOSE_NOTE = 1156;
    static constexpr ui::ControlId IDC_PREVIOUS = 4;
    static constexpr ui::ControlId IDC_CANCEL = ui::kIdCancel;

    // Results of the modal run.
    static constexpr int kConnected = 1;
    static constexpr int kOffline = 2;
    static constexpr int kPrevious = 7;

    // The dialog states.
    enum State : int {
        kReady = 0,
        kSearching = 1,
        kFound = 2,
        kNothingFound = 3,
        kConnecting = 4,
    };

    static constexpr int kMinId = 1;
    static constexpr int kMaxId = 255;
    static constexpr int kQuarters = 4;

    // `speed` is only shown, in the information line.
    CDlgSid(LinkContext& ctx, const ui::DialogServices& services, ui::FrontDialogSlot& front,
            int speed);
    ~CDlgSid() override;
    CDlgSid(const CDlgSid&) = delete;
    CDlgSid& operator=(const CDlgSid&) = delete;

    int DoModal(ui::Form* parent);

    // Called by the search before each probe.
    void ShowSearchProgress(int checked, int total);
    // Called by the search at its end when something answered.
    void ShowFoundIds(const std::vector<int>& ids);
    // A reply time-out during the search: one quarter on.
    void StepSearchProgress();

    int CurrentState() const { return state_; }
    int LastSearchRange() const { return lastRange_; }

    void OnClicked(ui::ControlId id) override;
    void OnFocusOut(ui::ControlId id) override;
    bool OnKeyDown(ui::ControlId id, int key, ui::KeyModifiers mods) override;
    bool OnCloseRequest() override;
    void OnFrontMessage(int message) override;

  private:
    void OnInitDialog();
    void SetState(int state);
    void StartSearch();
    void Connect();
    void Cancel();
    void ClampRangeField(ui::ControlId id);

    LinkContext& ctx_;
    ui::DialogServices services_;
    ui::FrontRegistration front_;
    int speed_;
    int state_ = kReady;
    std::vector<int> found_;
    int lastRange_ = 0;
    bool quickStored_ = false;  // "SLV_QUICK" as read: Connect writes it only when changed
    std::unique_ptr<ui::Form> form_;
};

}  // namespace tavro
