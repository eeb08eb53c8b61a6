#pragma once

#include <memory>
#include <string>
#include <vector>

#include "link/StringIds.h"
#include "stepdata/StepCompare.h"
#include "ui/DialogSupport.h"
#include "ui/Form.h"
#include "ui/FormEvents.h"

namespace tavro {

// The compare window: every value that differs between the controller and a step-data file,
// or between two files, each as its page shows it, with a check box for the values to write.
class CDlgCmp : public ui::FormEvents {
  public:
    static constexpr int kTemplate = 225;
    static constexpr ui::ControlId IDC_SUMMARY = 3300;
    static constexpr ui::ControlId IDC_LIST = 3301;
    static constexpr ui::ControlId IDC_SELECT_ALL = 3302;
    static constexpr ui::ControlId IDC_SELECT_NONE = 3303;
    static constexpr ui::ControlId IDC_WRITE = 3304;
    static constexpr ui::ControlId IDC_CLOSE = 3305;
    static constexpr ui::ControlId IDC_FILES = 3306;
    // The modal result of "Write selected".
    static constexpr int kIdWrite = 10;

    // What is compared with what.
    struct Comparison {
        std::vector<CompareRow> rows;
        bool withController = false;  // the left side is the controller: rows may be written
        std::string files;            // the file, or both files, as the window names them
        int controlType = 1;
    };

    CDlgCmp(const ui::DialogServices& services, Comparison comparison);
    ~CDlgCmp() override;
    CDlgCmp(const CDlgCmp&) = delete;
    CDlgCmp& operator=(const CDlgCmp&) = delete;

    // kIdWrite when "Write selected" ended it with values checked, kIdCancel otherwise.
    int DoModal(ui::Form* parent);
    // The rows checked when "Write selected" was clicked.
    const std::vector<CompareRow>& Chosen() const { return chosen_; }

    void OnClicked(ui::ControlId id) override;

  private:
    void Fill();
    void CheckAll(bool checked);
    void Write();
    std::string Text(int id) const { return services_.Text(id); }

    ui::DialogServices services_;
    Comparison comparison_;
    std::vector<CompareRow> chosen_;
    std::unique_ptr<ui::Form> form_;
};

}  // namespace tavro
