#include "monitor/CDlgRepeat.h"

#include <sys/stat.h>

#include <array>
#include <cmath>

#include "link/CTrxData.h"
#include "link/Numbers.h"
#include "link/Operations.h"
#include "link/StringIds.h"
#include "monitor/CPageDrv.h"
#include "stepdata/StepRecord.h"

namespace tavro {

namespace {

constexpr int kStepChoiceText = 765;  // "Step Data No. %d"
constexpr int kReplaceFile = 348;     // ""%s" already exists. Do you want to replace it?"
constexpr int kSteps = 15;
constexpr int kProgressScale = 1000;

struct ResultColumn {
    int heading;
    int width;
    ui::Align align;
};
// Step, target, arrivals, mean, std dev, min, max, range, ± half range, largest deviation,
// rated, result, move time mean, p95, max.
constexpr std::array<ResultColumn, 15> kResultColumns = {{
    {2240, 50, ui::Align::kLeft},
    {2241, 80, ui::Align::kRight},
    {2242, 60, ui::Align::kRight},
    {2243, 80, ui::Align::kRight},
    {2244, 80, ui::Align::kRight},
    {2245, 80, ui::Align::kRight},
    {2246, 80, ui::Align::kRight},
    {2247, 70, ui::Align::kRight},
    {2248, 90, ui::Align::kRight},
    {2249, 100, ui::Align::kRight},
    {2250, 70, ui::Align::kRight},
    {2251, 70, ui::Align::kLeft},
    {2252, 100, ui::Align::kRight},
    {2253, 160, ui::Align::kRight},
    {2254, 100, ui::Align::kRight},
}};

std::string Mm(double um) {
    return Format("%.3f", um / 1000.0);
}

std::string Duration(std::int64_t ms) {
    const std::int64_t s = (ms + 999) / 1000;
    return Format("%lld:%02lld:%02lld", static_cast<long long>(s / 3600),
                  static_cast<long long>(s / 60 % 60), static_cast<long long>(s % 60));
}

bool Exists(const std::string& path) {
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0;
}

}  // namespace

CDlgRepeat::CDlgRepeat(LinkContext& ctx, const ui::DialogServices& services, CPageDrv& page,
                       ui::FileChooser* chooser, RepeatReportPrinter* printer)
    : ctx_(ctx), services_(services), page_(page), chooser_(chooser), printer_(printer) {}

CDlgRepeat::~CDlgRepeat() {
    if (ticker_ != 0) {
        ctx_.loop.StopTimer(ticker_);
    }
    if (run_) {
        page_.DetachRepeat(*run_);
    }
    if (form_) {
        form_->SetListener(nullptr);
    }
}

void CDlgRepeat::DoModal(ui::Form* parent) {
    form_ = services_.forms.Create(kTemplate, parent, ui::FormKind::kModal);
    if (!form_) {
        return;
    }
    form_->SetListener(this);
    Init();
    ticker_ = ctx_.loop.StartTimer(kTickMs, true, [this] { Tick(); });
    form_->RunModal();
    ctx_.loop.StopTimer(ticker_);
    ticker_ = 0;
    pending_.reset();
    // Leaving the window stops the run at once.
    if (run_) {
        page_.DetachRepeat(*run_);
    }
    form_->SetListener(nullptr);
    form_.reset();
}

void CDlgRepeat::Init() {
    ui::Form& f = *form_;
    f.SetTitle(Text(ids::IDS_REPEAT_TITLE));
    const std::pair<ui::ControlId, int> captions[] = {
        {IDC_MOVES_GROUP, ids::IDS_REPEAT_MOVES},
        {IDC_ONE_STEP, ids::IDS_REPEAT_ONE_STEP},
        {IDC_TWO_STEPS, ids::IDS_REPEAT_TWO_STEPS},
        {IDC_TABLE, ids::IDS_REPEAT_TABLE},
        {IDC_STEP_LABEL, ids::IDS_REPEAT_STEP},
        {IDC_OTHER_LABEL, ids::IDS_REPEAT_OTHER_STEP},
        {IDC_CYCLES_LABEL, ids::IDS_REPEAT_CYCLES},
        {IDC_SETTLE_LABEL, ids::IDS_REPEAT_SETTLE},
        {IDC_START, ids::IDS_REPEAT_START},
        {IDC_END, ids::IDS_REPEAT_END},
        {IDC_SERVO_OFF, ids::IDS_REPEAT_SERVO_OFF},
        {IDC_SAVE, ids::IDS_REPEAT_SAVE},
        {IDC_CLOSE, ids::IDS_REPEAT_CLOSE},
        {IDC_PROGRESS_GROUP, ids::IDS_REPEAT_PROGRESS_GROUP},
        {IDC_RESULTS_GROUP, ids::IDS_REPEAT_RESULTS},
        {IDC_HELP, ids::IDS_REPEAT_HELP},
    };
    for (const auto& [id, text] : captions) {
        f.SetText(id, Text(text));
    }
    for (const ui::ControlId combo : {IDC_STEP, IDC_OTHER}) {
        f.ClearItems(combo);
        for (int n = 1; n <= kSteps; ++n) {
            f.AddItem(combo, services_.strings.Format(kStepChoiceText, n));
        }
    }
    f.SetCurrentItem(IDC_STEP, 0);
    f.SetCurrentItem(IDC_OTHER, 1);
    f.CheckRadio(IDC_ONE_STEP, IDC_TABLE, IDC_TWO_STEPS);
    f.SetText(IDC_CYCLES, Format("%d", kDefaultCycles));
    f.SetText(IDC_SETTLE, Format("%d", RepeatPlan::kDefaultSettleMs));
    f.SetRange(IDC_PROGRESS, 0, kProgressScale);
    f.SetPosition(IDC_PROGRESS, 0);
    f.ListClearColumns(IDC_RESULTS);
    for (const ResultColumn& c : kResultColumns) {
        f.ListAddColumn(IDC_RESULTS, {c.width, Text(c.heading), c.align});
    }
    f.SetText(IDC_STATE, Text(ids::IDS_REPEAT_READY));
    f.SetText(IDC_PROGRESS_TEXT, "");
    f.SetText(IDC_DEVIATION, "");
    f.SetText(IDC_ETA, "");
    EnableControls();
}

void CDlgRepeat::Tick() {
    if (!form_) {
        return;
    }
    if (pending_ && ctx_.status.linkState != kLinkBusy) {
        // The step data have been read, or the reading failed and the link says why.
        std::unique_ptr<RepeatPlan> plan = std::move(pending_);
        if (ctx_.status.linkState == kLinkOnline && (ctx_.status.flags & kFlagStepDataMoved) != 0) {
            pending_ = std::move(plan);
            StartPlan();
        }
    }
    if (run_ && run_->Running()) {
        ShowProgress();
    }
    EnableControls();
}

bool CDlgRepeat::StepDataEdited() {
    for (int step = 1; step <= kSteps; ++step) {
        for (int cell = 0; cell < kStepCells; ++cell) {
            if (ctx_.image.IsModified(StepImageRow(step - 1), cell)) {
                return true;
            }
        }
    }
    return false;
}

void CDlgRepeat::EnableControls() {
    ui::Form& f = *form_;
    const bool running = (run_ && run_->Running()) || pending_ != nullptr;
    const bool idle = !running && ctx_.status.linkState == kLinkOnline;
    const ui::ControlId mode = f.CheckedRadio(IDC_ONE_STEP, IDC_TABLE);
    for (const ui::ControlId id :
         {IDC_ONE_STEP, IDC_TWO_STEPS, IDC_TABLE, IDC_CYCLES, IDC_SETTLE}) {
        f.SetEnabled(id, !running);
    }
    f.SetEnabled(IDC_STEP, !running && mode != IDC_TABLE);
    f.SetEnabled(IDC_OTHER, !running && mode == IDC_TWO_STEPS);
    f.SetEnabled(IDC_START, idle);
    f.SetEnabled(IDC_END, running);
    f.SetEnabled(IDC_SERVO_OFF, running);
    f.SetEnabled(IDC_SAVE, !running && run_ && !run_->Arrivals().empty());
}

void CDlgRepeat::OnSelectionChanged(ui::ControlId id) {
    if (id == IDC_ONE_STEP || id == IDC_TWO_STEPS || id == IDC_TABLE) {
        EnableControls();
    }
}

void CDlgRepeat::OnClicked(ui::ControlId id) {
    switch (id) {
        case IDC_START:
            Start();
            break;
        case IDC_END:
            EndClicked();
            break;
        case IDC_SERVO_OFF:
            ServoOffClicked();
            break;
        case IDC_SAVE:
            Save();
            break;
        case IDC_CLOSE:
        case ui::kIdCancel:
            Close();
            break;
        case IDC_ONE_STEP:
        case IDC_TWO_STEPS:
        case IDC_TABLE:
            EnableControls();
            break;
        default:
            break;
    }
}

bool CDlgRepeat::OnCloseRequest() {
    if (run_) {
        page_.DetachRepeat(*run_);
    }
    return true;
}

void CDlgRepeat::Close() {
    if (run_) {
        page_.DetachRepeat(*run_);
    }
    form_->EndModal(ui::kIdCancel);
}

void CDlgRepeat::Start() {
    ui::Form& f = *form_;
    if (run_ && run_->Running()) {
        return;
    }
    const std::optional<long long> cycles = ParseWholeInteger(f.Text(IDC_CYCLES));
    if (!cycles || *cycles < 1 || *cycles > RepeatPlan::kMaxCycles) {
        services_.Warn(ids::IDS_REPEAT_CYCLES_RANGE);
        f.SetFocus(IDC_CYCLES);
        f.SelectAllText(IDC_CYCLES);
        return;
    }
    const std::optional<long long> settle = ParseWholeInteger(f.Text(IDC_SETTLE));
    if (!settle || *settle < 0 || *settle > RepeatPlan::kMaxSettleMs) {
        services_.Warn(ids::IDS_REPEAT_SETTLE_RANGE);
        f.SetFocus(IDC_SETTLE);
        f.SelectAllText(IDC_SETTLE);
        return;
    }
    const int k = static_cast<int>(*cycles);
    const int ms = static_cast<int>(*settle);
    const ui::ControlId mode = f.CheckedRadio(IDC_ONE_STEP, IDC_TABLE);
    const int step = f.CurrentItem(IDC_STEP) + 1;
    const int other = f.CurrentItem(IDC_OTHER) + 1;
    RepeatPlan plan;
    if (mode == IDC_TABLE) {
        const std::vector<bool> once = page_.OneTimeRows();
        const std::unique_ptr<bool[]> flags = std::make_unique<bool[]>(once.size());
        for (std::size_t i = 0; i < once.size(); ++i) {
            flags[i] = once[i];
        }
        plan = RepeatPlan::FromTable(page_.Table(), std::span<const bool>(flags.get(), once.size()),
                                     k, ms);
        if (plan.ExpectedArrivals() == 0) {
            services_.Warn(ids::IDS_REPEAT_EMPTY_TABLE);
            return;
        }
    } else if (mode == IDC_TWO_STEPS) {
        if (step == other) {
            services_.Warn(ids::IDS_REPEAT_SAME_STEPS);
            f.SetFocus(IDC_OTHER);
            return;
        }
        plan = RepeatPlan::Steps(step, other, k, ms);
    } else {
        plan = RepeatPlan::Steps(step, 0, k, ms);
    }
    pending_ = std::make_unique<RepeatPlan>(std::move(plan));
    if ((ctx_.status.flags & kFlagStepDataMoved) == 0) {
        // The targets and the report's step data come from the controller: read them first,
        // unless that would overwrite edits the Step Data Setup page has not downloaded.
        if (StepDataEdited()) {
            pending_.reset();
            services_.Warn(ids::IDS_REPEAT_STEP_EDITS);
            return;
        }
        CTrxData(ctx_).Run(OP_STEP_UPLOAD, 0, 0);
        f.SetText(IDC_STATE, Text(ids::IDS_REPEAT_READING));
        EnableControls();
        return;
    }
    StartPlan();
}

void CDlgRepeat::StartPlan() {
    ui::Form& f = *form_;
    RepeatPlan plan = std::move(*pending_);
    pending_.reset();
    if (run_) {
        page_.DetachRepeat(*run_);
    }
    run_ = std::make_unique<RepeatRun>(ctx_, page_, std::move(plan));
    run_->OnChange([this] {
        ShowProgress();
        ShowResults();
        EnableControls();
    });
    f.ListClearRows(IDC_RESULTS);
    if (!page_.StartRepeat(*run_)) {
        run_.reset();
        EnableControls();
        return;
    }
    f.SetText(IDC_STATE, Text(ids::IDS_REPEAT_RUNNING));
    ShowProgress();
    EnableControls();
    f.SetFocus(IDC_END);
}

void CDlgRepeat::EndClicked() {
    if (pending_) {
        pending_.reset();  // the reading goes on; nothing starts after it
        form_->SetText(IDC_STATE, Text(ids::IDS_REPEAT_STOPPED));
        EnableControls();
        return;
    }
    if (run_ && run_->Running()) {
        page_.StopContinuous();
    }
}

void CDlgRepeat::ServoOffClicked() {
    if (!run_ || !run_->Running()) {
        return;
    }
    // As the page's servo button: the run ends, and the servo goes off.
    if (page_.ServoDisplay() != 0) {
        page_.OnClicked(CPageDrv::IDC_SERVO);
    }
}

void CDlgRepeat::ShowProgress() {
    if (!run_ || !form_) {
        return;
    }
    ui::Form& f = *form_;
    const RepeatRun& r = *run_;
    const int expected = r.Plan().ExpectedArrivals();
    const int done = static_cast<int>(r.Arrivals().size());
    const int cycle = std::min(r.Cycle(), r.Plan().cycles);
    f.SetText(IDC_PROGRESS_TEXT, services_.strings.Format(ids::IDS_REPEAT_PROGRESS, cycle,
                                                          r.Plan().cycles, done, expected));
    f.SetPosition(IDC_PROGRESS, expected > 0 ? done * kProgressScale / expected : 0);
    if (done > 0) {
        f.SetText(IDC_DEVIATION, services_.strings.Format(ids::IDS_REPEAT_DEVIATION,
                                                          r.LastDeviationUm() / 1000.0));
    }
    const std::int64_t eta = r.EtaMs();
    f.SetText(IDC_ETA, services_.strings.Format(ids::IDS_REPEAT_ETA,
                                                eta < 0 ? Text(ids::IDS_NO_VALUE) : Duration(eta)));
    f.SetText(IDC_STATE, Text(RepeatEndText(r.End())));
}

void CDlgRepeat::ShowResults() {
    if (!run_ || !form_) {
        return;
    }
    ui::Form& f = *form_;
    const RepeatRun& r = *run_;
    const std::size_t n = r.Targets().size();
    while (f.ListRowCount(IDC_RESULTS) < static_cast<int>(n)) {
        f.ListInsertRow(IDC_RESULTS, -1);
    }
    for (std::size_t i = 0; i < n; ++i) {
        const RepeatTarget& t = r.Targets()[i];
        const RepeatStats s = r.Stats(i);
        const int row = static_cast<int>(i);
        const std::array<std::string, kResultColumns.size()> cells = {
            Format("%d", t.step),
            Mm(static_cast<double>(t.targetUm)),
            Format("%d", s.count),
            Mm(s.mean),
            Mm(s.stdDev),
            Mm(s.min),
            Mm(s.max),
            Mm(s.range),
            Mm(s.halfRange),
            Format("%+.3f", s.largestDeviation / 1000.0),
            s.ratedUm > 0 ? Mm(s.ratedUm) : Text(ids::IDS_NO_VALUE),
            Text(VerdictText(s.verdict)),
            Format("%.0f", s.moveMean),
            Format("%.0f", s.moveP95),
            Format("%.0f", s.moveMax),
        };
        for (std::size_t c = 0; c < cells.size(); ++c) {
            f.ListSetCell(IDC_RESULTS, row, static_cast<int>(c), cells[c]);
        }
    }
}

void CDlgRepeat::Save() {
    if (!run_ || run_->Arrivals().empty() || chooser_ == nullptr) {
        return;
    }
    ui::FileRequest request;
    request.filter = Text(ids::IDS_REPEAT_FILE_FILTER) + " | *.pdf||";
    request.defaultExtension = "pdf";
    request.initialName = "repeatability.pdf";
    const std::optional<std::string> chosen = chooser_->ChooseSave(request);
    if (!chosen) {
        return;
    }
    const std::string pdf = *chosen;
    const std::string csv = CsvPathFor(pdf);
    for (const std::string& path : {pdf, csv}) {
        if (Exists(path) && !services_.prompter.Confirm(
                                kReplaceFile, services_.strings.Format(kReplaceFile, path))) {
            return;
        }
    }
    const RepeatReport report = MakeRepeatReport(ctx_, *run_, services_.strings, ReportDateNow());
    std::string error;
    bool ok = WriteRepeatCsv(report, csv, error);
    if (ok && printer_ != nullptr) {
        ok = printer_->Print(report, services_.strings, pdf, error);
    }
    if (!ok) {
        services_.prompter.Warn(ids::IDS_REPEAT_NOT_SAVED,
                                services_.strings.Format(ids::IDS_REPEAT_NOT_SAVED, error));
        return;
    }
    services_.prompter.Inform(
        ids::IDS_REPEAT_SAVED,
        services_.strings.Format(ids::IDS_REPEAT_SAVED, printer_ != nullptr ? pdf : "", csv));
}

}  // namespace tavro
