#pragma once

#include <functional>
#include <memory>

#include "link/LinkContext.h"
#include "link/StringIds.h"
#include "ui/DialogSupport.h"
#include "ui/Form.h"
#include "ui/FormEvents.h"

namespace tavro::ui {

// The About dialog: the program's name and version, the controller's version on request,
// and "Initialize", which restores the controller's factory settings and ends the program.
class CDlgVer : public FormEvents, public FrontDialog {
  public:
    static constexpr int kTemplate = 100;
    static constexpr ControlId IDC_OK = 1;
    static constexpr ControlId IDC_DETAILS = 1212;
    static constexpr ControlId IDC_INITIALIZE = 1215;
    static constexpr ControlId IDC_SOFTWARE = 1210;
    static constexpr ControlId IDC_CONTROLLER = 1211;
    static constexpr ControlId IDC_INFORMATION = 1213;
    static constexpr ControlId IDC_FRAME = 1214;

    // `closeMainWindow` asks the main window to close the program by its closing sequence.
    CDlgVer(LinkContext& ctx, const DialogServices& services, FrontDialogSlot& front,
            std::function<void()> closeMainWindow);
    ~CDlgVer() override;
    CDlgVer(const CDlgVer&) = delete;
    CDlgVer& operator=(const CDlgVer&) = delete;

    int DoModal(Form* parent);

    void OnClicked(ControlId id) override;
    void OnFrontMessage(int message) override;

  private:
    void OnInitDialog();
    void ShowDetails();
    void Initialize();

    LinkContext& ctx_;
    DialogServices services_;
    FrontRegistration front_;
    std::function<void()> closeMainWindow_;
    std::unique_ptr<Form> form_;
};

}  // namespace tavro::ui
