#pragma once

#include <memory>

#include "link/LinkContext.h"
#include "params/CBinding.h"
#include "product/Product.h"
#include "ui/DialogSupport.h"
#include "ui/PageViews.h"

namespace tavro {

// What the Basic and I/O pages need from the main window.
class BasicPageHost {
  public:
    virtual ~BasicPageHost() = default;
    // The start-up sequence from `mode` on; 0 when the main window stays.
    virtual int StartSession(int mode) = 0;
    // Default PID gains for the product and orientation in the edit copies.
    virtual void ResetPidToDefaults() = 0;
};

// The Basic Parameter Setup page (page 1): product number, mounting orientation, return to
// origin and input method, written to the controller with Setup.
class CPageBsc : public BasicPageView, public ui::FormEvents {
  public:
    static constexpr int kTemplate = kTemplateBasicPage;
    static constexpr ui::ControlId IDC_SERIES = 1511;
    static constexpr ui::ControlId IDC_STROKE = 1512;
    static constexpr ui::ControlId IDC_STROKE_FULL = 1514;  // hidden, bound to the stroke cell
    static constexpr ui::ControlId IDC_ORIENTATION = 1541;
    static constexpr ui::ControlId IDC_ORIGIN_RETRACTED = 1521;
    static constexpr ui::ControlId IDC_ORIGIN_EXTENDED = 1522;
    static constexpr ui::ControlId IDC_ORIGIN_SENSOR = 1523;
    static constexpr ui::ControlId IDC_INPUT_FIRST = 1531;
    static constexpr ui::ControlId IDC_INPUT_LAST = 1533;
    static constexpr ui::ControlId IDC_PICTURE = 1545;
    static constexpr ui::ControlId IDC_SETUP = 1500;
    static constexpr ui::ControlId IDC_COMM = 1501;

    // Items of the series combo.
    static constexpr int kSeriesSelect = 0;
    static constexpr int kSeriesF = product::ComboIndex(product::Series::kF);
    static constexpr int kSeriesM = product::ComboIndex(product::Series::kM);

    static std::unique_ptr<CPageBsc> Create(LinkContext& ctx, const ui::DialogServices& services,
                                            ui::Form& parent, CBinding& binding,
                                            BasicPageHost& host);
    CPageBsc(LinkContext& ctx, const ui::DialogServices& services, std::unique_ptr<ui::Form> form,
             CBinding& binding, BasicPageHost& host);
    ~CPageBsc() override;
    CPageBsc(const CPageBsc&) = delete;
    CPageBsc& operator=(const CPageBsc&) = delete;

    ui::Form& GetForm() override { return *form_; }
    void Refresh() override;
    int StrokeNumber() override;

    bool SeriesSelected() const { return seriesSelected_; }
    bool StrokeSelected() const { return strokeSelected_; }

    void OnSelectionChanged(ui::ControlId id) override;
    void OnClicked(ui::ControlId id) override;
    void OnFocusIn(ui::ControlId id) override;

    // "Comm" on this page and on the I/O page: reconnect, or run the start-up again.
    static void Comm(LinkContext& ctx, BasicPageHost& host);

  private:
    void Setup();
    void ResetSeriesDefaults();
    void ProductNumberChanged(ui::ControlId id);
    void RebuildStrokeList(int series);
    void RebuildOrientationList(int series, int previous);
    void SelectStrokeFromFull();
    void ApplySensorOriginRule();
    void UpdateSelectedFlag(ui::ControlId combo);
    void ShowIllustration(ui::ControlId control);
    void ShowOrientationIllustration();

    LinkContext& ctx_;
    ui::DialogServices services_;
    std::unique_ptr<ui::Form> form_;
    CBinding& binding_;
    BasicPageHost& host_;
    bool seriesSelected_ = false;
    bool strokeSelected_ = false;
    int previousSeries_ = kSeriesSelect;
};

}  // namespace tavro
