#pragma once

#include <memory>
#include <string>
#include <vector>

#include "link/LinkContext.h"
#include "link/PortList.h"
#include "link/StringIds.h"
#include "ui/DialogSupport.h"
#include "ui/Form.h"
#include "ui/FormEvents.h"

namespace tavro {

// The port and line speed the user chose; an empty path when no port was available.
struct ComChoice {
    std::string path;
    int speed = 0;
};

// The COM selection dialog: the serial port (listed, or a device path typed where the form
// allows it) and the line speed.
class CDlgCom : public ui::FormEvents {
  public:
    static constexpr int kTemplate = 200;
    static constexpr ui::ControlId IDC_PORT = 1200;
    static constexpr ui::ControlId IDC_SPEED = 1203;
    static constexpr ui::ControlId IDC_NEXT = 1003;
    static constexpr ui::ControlId IDC_CANCEL = ui::kIdCancel;
    // The line under the list for an adapter that holds received bytes back: what it does
    // and the command that lowers its latency, to copy.
    static constexpr ui::ControlId IDC_LATENCY_NOTE = 1204;
    static constexpr ui::ControlId IDC_LATENCY_COMMAND = 1205;

    CDlgCom(LinkContext& ctx, const ui::DialogServices& services, std::string defaultPath,
            int defaultSpeed);
    ~CDlgCom() override;
    CDlgCom(const CDlgCom&) = delete;
    CDlgCom& operator=(const CDlgCom&) = delete;

    // kIdCancel when cancelled, else kIdOk with the choice in Choice().
    int DoModal(ui::Form* parent);
    const ComChoice& Choice() const { return choice_; }

    void OnClicked(ui::ControlId id) override;
    void OnSelectionChanged(ui::ControlId id) override;

  private:
    void OnInitDialog();
    void ShowLatencyNote();
    void Next();
    std::string ChosenPath() const;

    LinkContext& ctx_;
    ui::DialogServices services_;
    std::string defaultPath_;
    int defaultSpeed_;
    std::vector<PortInfo> ports_;
    ComChoice choice_;
    std::unique_ptr<ui::Form> form_;
};

}  // namespace tavro
