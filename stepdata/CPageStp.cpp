#include "stepdata/CPageStp.h"

#include <algorithm>
#include <vector>

#include "link/CStatusFlg.h"
#include "link/CTrxData.h"
#include "link/Numbers.h"
#include "link/Operations.h"
#include "link/StringIds.h"
#include "product/Product.h"
#include "stepdata/CDlgCmp.h"
#include "stepdata/CFileRw.h"
#include "stepdata/CListCtrlApi.h"
#include "ui/CTxt.h"
#include "ui/Keys.h"
#include "ui/Language.h"

namespace tavro {

namespace {

constexpr int kFontPage = 0;
constexpr int kFontSmall = 1;
constexpr int kColourFace = 10;
constexpr int kColourBlue = 15;
constexpr int kColourTeal = 7;
constexpr int kColourWhite = 16;
constexpr int kColourYellow = 11;
constexpr int kColourWindowText = 2;

// Fonts and colours that never change: the edit row's labels and the help lines.
constexpr ui::FixedColourRow kFixedColours[] = {
    {IDC_LABEL_OPERATION, kFontPage, kFontPage, kColourFace, kColourBlue},
    {IDC_LABEL_MOVEMENT, kFontPage, kFontPage, kColourFace, kColourBlue},
    {IDC_LABEL_TARGET, kFontPage, kFontPage, kColourFace, kColourBlue},
    {IDC_LABEL_TIME, kFontPage, kFontPage, kColourFace, kColourBlue},
    {IDC_LABEL_SPEED, kFontPage, kFontPage, kColourFace, kColourBlue},
    {IDC_LABEL_ACCEL, kFontPage, kFontPage, kColourFace, kColourBlue},
    {IDC_LABEL_ACCEL_SQUARE, kFontSmall, kFontSmall, kColourFace, kColourBlue},
    {IDC_LABEL_DECEL, kFontPage, kFontPage, kColourFace, kColourBlue},
    {IDC_LABEL_DECEL_SQUARE, kFontSmall, kFontSmall, kColourFace, kColourBlue},
    {IDC_LABEL_THRUST, kFontPage, kFontPage, kColourFace, kColourBlue},
    {IDC_LABEL_MASS, kFontPage, kFontPage, kColourFace, kColourBlue},
    {IDC_FIELD_HELP, kFontPage, kFontPage, kColourFace, kColourTeal},
    {IDC_BUTTON_DESCRIPTION, kFontPage, kFontPage, kColourFace, kColourTeal},
};

// The number fields: white while in range, yellow while in error (state = error flag).
constexpr ui::StateColourRow Field(ui::ControlId id, int slot) {
    return {id,
            slot,
            2,
            {kColourWhite, kColourYellow, 0, 0},
            {kColourWindowText, kColourWindowText, 0, 0}};
}

constexpr int kErrorSlotFirst = 16;  // edit-row entry of the target position
constexpr ui::StateColourRow kFieldColours[] = {
    Field(IDC_TARGET_POSITION, 0), Field(IDC_POSITIONING_TIME, 1), Field(IDC_SPEED, 2),
    Field(IDC_ACCELERATION, 3),    Field(IDC_DECELERATION, 4),     Field(IDC_THRUST, 5),
};

constexpr int kLoadMassStep = 50;

// Image index of a field's illustration.
constexpr int kIllustrationTargetBase = 1;
constexpr int kIllustrationSpeed = 4;
constexpr int kIllustrationThrustBase = 5;
constexpr int kIllustrationLoadMass = 9;

const PageButton* FindButton(ui::ControlId id) {
    for (const PageButton& b : kPageButtons) {
        if (b.control == id) {
            return &b;
        }
    }
    return nullptr;
}

bool HasHelp(const EditRowEntry& e) {
    return e.kind == EditKind::kEdit || e.kind == EditKind::kChoice;
}

}  // namespace

CPageStp::CPageStp(ui::Form& form, LinkContext& ctx, CBinding& binding, Services services,
                   StepPageHost& host)
    : form_(form),
      ctx_(ctx),
      binding_(binding),
      prompter_(services.prompter),
      chooser_(services.chooser),
      strings_(services.strings),
      host_(host),
      forms_(services.forms) {
    StartUp();
    form_.SetListener(this);
}

CPageStp::~CPageStp() {
    form_.SetListener(nullptr);
}

void CPageStp::StartUp() {
    const Language language = strings_.language();
    for (const ui::FixedColourRow& row : kFixedColours) {
        if (const auto font = ui::CTxt::FixedFont(row.control, kFixedColours, language)) {
            form_.SetFont(row.control, *font);
        }
    }
    for (const PageButton& b : kPageButtons) {
        form_.SetPicture(b.control, b.icon);
        form_.SetToolTip(b.control, strings_.Text(b.toolTip));
    }
    form_.SetText(IDC_COMPARE, Text(ids::IDS_BUTTON));
    form_.SetToolTip(IDC_COMPARE, Text(ids::IDS_BUTTON));
    form_.SetVisible(IDC_COMPARE, forms_ != nullptr);
    if (form_.ItemCount(IDC_LOAD_MASS) != kLoadMassChoices) {
        form_.ClearItems(IDC_LOAD_MASS);
        for (int i = 0; i < kLoadMassChoices; ++i) {
            form_.AddItem(IDC_LOAD_MASS, std::to_string(i * kLoadMassStep));
        }
    }
    limits_ = EffectiveLimits(ctx_.status, basicStroke_);
    ApplyEditRowEnables();
    UpdateGetPosition();
    ChooseIllustration();
    FocusField(IDC_TARGET_POSITION);
    ApplyFieldColours();
}

// --- what the main window calls ---

void CPageStp::Refresh() {
    if (pendingCompare_ && !Busy()) {
        // The step upload a comparison asked for has ended; the window opens once this
        // refresh is over, and only when the values were read.
        PendingCompare pending = std::move(*pendingCompare_);
        pendingCompare_.reset();
        if (StepDataRead()) {
            ctx_.loop.Post(
                [this, alive = std::weak_ptr<int>(alive_), pending = std::move(pending)] {
                    if (!alive.expired() && !Busy()) {
                        ShowComparison(pending.file, pending.path);
                    }
                });
        }
    }
    ResizeList();
    ApplyEditRowEnables();
    ChooseIllustration();
    limits_ = EffectiveLimits(ctx_.status, basicStroke_);
    form_.ListSelectRow(IDC_STEP_LIST, 0);
    SelectStep(0);
    FocusField(List().FirstEnabledField(Pushing()));
    UpdateThrustEnable();
    ApplyFieldColours();
}

void CPageStp::ReloadCurrentStep() {
    binding_.DisplayView(kViewStep, IDC_STEP_LIST, current_, ParameterImage::kEditCopy);
    UpdateGetPosition();
    UpdateThrustEnable();
    ApplyFieldColours();
}

void CPageStp::StoreEditRow(int row) {
    if (row < 0 || row >= form_.ListRowCount(IDC_STEP_LIST)) {
        return;
    }
    const CListStp list = List();
    list.StoreCells(IDC_STEP_LIST, row);
    binding_.CollectView(kViewStep, IDC_STEP_LIST, row);
    list.ColourRow(IDC_STEP_LIST, row, kStepColumnEnables);
    // The edit row holds step `row` from now on, also when the main window filled it.
    current_ = row;
    form_.SetText(IDC_STEP_NUMBER, form_.ListCell(IDC_STEP_LIST, row, kColNumber));
}

bool CPageStp::HasStepChanges() {
    return AnyStepChanged();
}

StepListTexts CPageStp::ListTexts() {
    StepListTexts texts;
    const int rows = std::min(form_.ListRowCount(IDC_STEP_LIST), kStepListRows);
    for (int r = 0; r < rows; ++r) {
        for (int c = 0; c < kStepListColumns; ++c) {
            texts[static_cast<std::size_t>(r)][static_cast<std::size_t>(c)] =
                form_.ListCell(IDC_STEP_LIST, r, c);
        }
    }
    return texts;
}

void CPageStp::ResizeList() {
    const bool pulse = ctx_.status.controlType == kControlTypePulse;
    form_.SetHeight(IDC_STEP_LIST, pulse ? kListHeightPulse : kListHeightSteps);
    form_.SetVisible(IDC_PULSE_FILLER, pulse);
}

void CPageStp::SelectStep(int n) {
    StoreEditRow(current_);
    binding_.DisplayView(kViewStep, IDC_STEP_LIST, n, ParameterImage::kEditCopy);
    form_.SetText(IDC_STEP_NUMBER, form_.ListCell(IDC_STEP_LIST, n, kColNumber));
    UpdateGetPosition();
    UpdateThrustEnable();
    current_ = n;
    ColourList();
}

// --- enables, colours, help ---

void CPageStp::ApplyEditRowEnables() {
    const int index = List().InputMethodIndex();
    const bool pushing = Pushing();
    for (const EditRowEntry& e : kEditRow) {
        bool enabled = !Busy() && e.byIndex[static_cast<std::size_t>(index)];
        if (index != kInputPulse) {
            enabled = enabled && (pushing ? e.pushing : e.positioning);
        }
        form_.SetEnabled(e.control, enabled);
    }
}

void CPageStp::UpdateThrustEnable() {
    const bool enabled = !Busy() && (List().InputMethodIndex() == kInputPulse || Pushing());
    const bool hadFocus = form_.FocusedControl() == IDC_THRUST;
    form_.SetEnabled(IDC_LABEL_THRUST, enabled);
    form_.SetEnabled(IDC_THRUST, enabled);
    if (hadFocus && !enabled) {
        FocusField(List().FirstEnabledField(Pushing()));
    }
    ApplyFieldColours();
}

void CPageStp::UpdateGetPosition() {
    const int index = List().InputMethodIndex();
    form_.SetEnabled(IDC_GET_POSITION, index != kInputPulse &&
                                           ctx_.status.linkState == kLinkOnline &&
                                           form_.IsChecked(IDC_ABSOLUTE));
}

void CPageStp::ApplyFieldColours() {
    std::array<int, std::size(kFieldColours)> states{};
    for (std::size_t i = 0; i < states.size(); ++i) {
        states[i] = errors_[kErrorSlotFirst + i] ? 1 : 0;
    }
    const ui::StateColourTable table{kFieldColours, states};
    for (const ui::FixedColourRow& row : kFixedColours) {
        form_.SetColours(row.control,
                         ui::CTxt::ControlColours(row.control, true, kFixedColours, nullptr));
    }
    for (const ui::StateColourRow& row : kFieldColours) {
        form_.SetColours(row.control, ui::CTxt::ControlColours(
                                          row.control, form_.IsEnabled(row.control), {}, &table));
    }
}

void CPageStp::ColourList() {
    List().ColourList(IDC_STEP_LIST, kStepColumnEnables);
}

void CPageStp::ChooseIllustration() {
    const CListStp list = List();
    const StatusBlock& s = ctx_.status;
    switch (list.InputMethodIndex()) {
        case kInputSpeed:
            illustrationVariant_ = 3;
            break;
        case kInputPulse:
            illustrationVariant_ = 0;
            break;
        default: {
            const int series = s.flags != 0 ? s.series[0] : s.series[1];
            illustrationVariant_ = series == product::Code(product::Series::kF)
                                       ? 1
                                       : (series == product::Code(product::Series::kM) ? 2 : 0);
            break;
        }
    }
    strokeIndex_ = list.StrokeIndex();
}

void CPageStp::FocusField(ui::ControlId id) {
    form_.SetFocus(id);
    ShowHelp(id);
}

void CPageStp::ShowHelp(ui::ControlId id) {
    const EditRowEntry* e = CListStp::Entry(id);
    if (e == nullptr || !HasHelp(*e)) {
        return;
    }
    const bool pushing = Pushing();
    const bool relative = form_.IsChecked(IDC_RELATIVE);
    const HelpText help =
        HelpTextFor(e->field, pushing, relative ? kMovementRelative : kMovementAbsolute, limits_);
    std::vector<FormatArg> args;
    for (int i = 0; i < help.argCount; ++i) {
        args.emplace_back(help.args[static_cast<std::size_t>(i)]);
    }
    form_.SetText(IDC_FIELD_HELP, FormatArgs(strings_.Text(help.stringId), args));
    form_.SetVisible(IDC_BUTTON_DESCRIPTION, false);
    form_.SetVisible(IDC_FIELD_HELP, true);
    if (e->kind == EditKind::kEdit) {
        form_.SelectAllText(id);
    }
    int image = kIllustrationLoadMass;
    switch (e->field) {
        case StepField::kTargetPosition:
        case StepField::kPositioningTime:
            image = kIllustrationTargetBase + illustrationVariant_;
            break;
        case StepField::kSpeed:
        case StepField::kAcceleration:
        case StepField::kDeceleration:
            image = kIllustrationSpeed;
            break;
        case StepField::kThrustSetting:
            image = kIllustrationThrustBase + strokeIndex_;
            break;
        default:
            break;
    }
    form_.SetPicture(IDC_ILLUSTRATION, kIllustrations[static_cast<std::size_t>(image)]);
}

void CPageStp::Describe(ui::ControlId id) {
    if (id == lastDescribed_) {
        return;
    }
    lastDescribed_ = id;
    if (const PageButton* b = FindButton(id); b != nullptr || id == IDC_COMPARE) {
        form_.SetText(IDC_BUTTON_DESCRIPTION,
                      strings_.Text(b != nullptr ? b->description : ids::IDS_BUTTON_HELP));
        form_.SetVisible(IDC_BUTTON_DESCRIPTION, true);
        form_.SetVisible(IDC_FIELD_HELP, false);
        return;
    }
    form_.SetText(IDC_BUTTON_DESCRIPTION, "");
    form_.SetVisible(IDC_BUTTON_DESCRIPTION, false);
    form_.SetVisible(IDC_FIELD_HELP, true);
}

bool CPageStp::CheckEditRow() {
    const bool failed =
        List().ValidateEditRow(IDC_STEP_LIST, current_, limits_, errors_, prompter_);
    ApplyFieldColours();
    if (failed) {
        ColourList();
    }
    return !failed;
}

// --- events ---

void CPageStp::OnClicked(ui::ControlId id) {
    switch (id) {
        case IDC_CUT:
            Cut();
            break;
        case IDC_COPY:
            Copy();
            break;
        case IDC_PASTE:
            Paste();
            break;
        case IDC_GET_POSITION:
            GetPosition();
            break;
        case IDC_SAVE:
            Save();
            break;
        case IDC_OPEN:
            Open();
            break;
        case IDC_COMPARE:
            Compare();
            break;
        case IDC_UPLOAD:
            Upload();
            break;
        case IDC_DOWNLOAD:
            Download();
            break;
        default:
            break;
    }
}

void CPageStp::OnSelectionChanged(ui::ControlId id) {
    switch (id) {
        case IDC_POSITIONING:
        case IDC_PUSHING:
            UpdateThrustEnable();
            FocusField(List().FirstEnabledField(Pushing()));
            break;
        case IDC_ABSOLUTE:
        case IDC_RELATIVE:
            UpdateGetPosition();
            FocusField(List().FirstEnabledField(Pushing()));
            break;
        default:
            break;
    }
}

void CPageStp::OnFocusIn(ui::ControlId id) {
    ShowHelp(id);
}

void CPageStp::OnListClick(ui::ControlId id, int row, int column) {
    if (id != IDC_STEP_LIST || row < 0 || Busy()) {
        return;
    }
    if (!CheckEditRow()) {
        return;
    }
    SelectStep(row);
    // Showing the help selects the whole text of an edit.
    FocusField(List().FieldForColumn(Pushing(), column));
}

void CPageStp::OnListRightClick(ui::ControlId id, int row, int column, ui::ScreenPoint at) {
    if (id != IDC_STEP_LIST) {
        return;
    }
    OnListClick(id, row, column);
    ShowStepRowMenu(
        form_, at, IDC_GET_POSITION, [this](int stringId) { return Text(stringId); },
        {[this] { Cut(); }, [this] { Copy(); }, [this] { Paste(); }, [this] { GetPosition(); }});
}

bool CPageStp::OnKeyDown(ui::ControlId id, int key, ui::KeyModifiers /*mods*/) {
    Describe(id);
    switch (key) {
        case ui::key::kReturn:
        case ui::key::kDown:
        case ui::key::kPageDown:
        case ui::key::kUp: {
            // Nothing is stored while an operation moves the steps.
            if (Busy()) {
                return true;
            }
            if (!CheckEditRow()) {
                return true;
            }
            CListCtrlApi::MoveSelectionByKey(form_, IDC_STEP_LIST, key);
            const int row = form_.ListSelectedRow(IDC_STEP_LIST);
            if (row >= 0) {
                SelectStep(row);
            }
            if (key == ui::key::kReturn) {
                form_.SetFocus(List().FirstEnabledField(Pushing()));
            }
            ShowHelp(form_.FocusedControl());
            return true;
        }
        case ui::key::kEscape:
            ReloadCurrentStep();
            return true;
        default:
            return false;
    }
}

void CPageStp::OnMouseMove(ui::ControlId id) {
    Describe(id);
}

// --- commands ---

void CPageStp::Cut() {
    const CListStp list = List();
    list.CopyEditRow(clipboard_);
    list.ClearEditRow();
    // The radios changed under the enables that follow them.
    UpdateThrustEnable();
    UpdateGetPosition();
    FocusField(list.InputMethodIndex() == kInputPulse ? IDC_THRUST : IDC_TARGET_POSITION);
}

void CPageStp::Copy() {
    const CListStp list = List();
    list.CopyEditRow(clipboard_);
    FocusField(list.InputMethodIndex() == kInputPulse ? IDC_THRUST : IDC_TARGET_POSITION);
}

void CPageStp::Paste() {
    const CListStp list = List();
    list.PasteEditRow(clipboard_);
    UpdateThrustEnable();
    UpdateGetPosition();
    FocusField(list.InputMethodIndex() == kInputPulse ? IDC_THRUST : IDC_TARGET_POSITION);
}

void CPageStp::GetPosition() {
    CStatusFlg status(ctx_);
    if (!status.IsOriginDone()) {
        prompter_.Warn(kMsgNoOrigin, Text(kMsgNoOrigin));
        return;
    }
    form_.SetText(IDC_TARGET_POSITION, Format("%.3f", static_cast<double>(status.GetPosition(1))));
}

void CPageStp::Save() {
    CFileRw file(prompter_, chooser_, ctx_, [this](int id) { return Text(id); });
    file.Save(StepFileMode::kPage);
}

void CPageStp::Open() {
    Refresh();
    CFileRw file(prompter_, chooser_, ctx_, [this](int id) { return Text(id); });
    file.SetOnPageLoaded([this] { host_.ShowStepsFromEditCopies(); });
    if (file.Open(StepFileMode::kPage) != 0) {
        return;
    }
    errors_.fill(false);
    Refresh();
}

bool CPageStp::AnyStepChanged() {
    const int steps = StepCount(ctx_.status.controlType);
    for (int n = 0; n < steps; ++n) {
        if (binding_.CompareView(kViewStep, IDC_STEP_LIST, n)) {
            return true;
        }
    }
    return false;
}

void CPageStp::Upload() {
    if (AnyStepChanged() && !prompter_.Confirm(kMsgDataChanged, Text(kMsgDataChanged))) {
        return;
    }
    SelectStep(0);
    CTrxData(ctx_).Run(OP_STEP_UPLOAD, 0, 0);
    // The main window refreshes the page when the operation ends; until then it is idle.
    ColourList();
}

namespace {

// The cells of a step that the page edits and its file carries.
constexpr int kPageStepCells = 9;
constexpr int kStrTwoNames = 2325;  // "%s and %s"

}  // namespace

bool CPageStp::StepDataRead() const {
    const int steps = StepCount(ctx_.status.controlType);
    for (int n = 0; n < steps; ++n) {
        for (int cell = 0; cell < kPageStepCells; ++cell) {
            if (!ctx_.image.ControllerRead(StepImageRow(n), cell)) {
                return false;
            }
        }
    }
    return true;
}

void CPageStp::Compare() {
    if (forms_ == nullptr || Busy()) {
        return;
    }
    Refresh();  // what the edit row holds belongs to the steps from here on
    CFileRw file(prompter_, chooser_, ctx_, [this](int id) { return Text(id); });
    std::string path;
    const auto contents = file.Read(StepFileMode::kPage, ids::IDS_COMPARE_TITLE, path);
    if (!contents) {
        return;
    }
    const LinkState state = ctx_.status.linkState;
    if (state == kLinkNoController || state == kLinkNoPort) {
        std::string second;
        const auto other = file.Read(StepFileMode::kPage, ids::IDS_SECOND_FILE_TITLE, second);
        if (!other) {
            return;
        }
        CDlgCmp::Comparison c;
        c.rows = CompareFiles(*contents, *other, strings_);
        c.files = strings_.Format(kStrTwoNames, path, second);
        c.controlType = ctx_.status.controlType;
        CDlgCmp dialog(ui::DialogServices{*forms_, prompter_, strings_}, std::move(c));
        dialog.DoModal(&form_);
        return;
    }
    if (StepDataRead()) {
        ShowComparison(*contents, path);
        return;
    }
    // The controller's step data first, as Upload reads it.
    if (AnyStepChanged() && !prompter_.Confirm(kMsgDataChanged, Text(kMsgDataChanged))) {
        return;
    }
    pendingCompare_ = PendingCompare{*contents, path};
    SelectStep(0);
    CTrxData(ctx_).Run(OP_STEP_UPLOAD, 0, 0);
    ColourList();
}

void CPageStp::ShowComparison(const StepFileContents& file, const std::string& path) {
    CDlgCmp::Comparison c;
    c.rows = CompareWithController(file, ctx_.image, strings_);
    c.withController = true;
    c.files = path;
    c.controlType = ctx_.status.controlType;
    CDlgCmp dialog(ui::DialogServices{*forms_, prompter_, strings_}, std::move(c));
    if (dialog.DoModal(&form_) == CDlgCmp::kIdWrite) {
        WriteCompared(dialog.Chosen());
    }
}

void CPageStp::DiscardStepEdits() {
    const int steps = StepCount(ctx_.status.controlType);
    for (int n = 0; n < steps; ++n) {
        for (int cell = 0; cell < kStepCells; ++cell) {
            ctx_.image.Discard(StepImageRow(n), cell);
        }
    }
}

void CPageStp::WriteCompared(const std::vector<CompareRow>& chosen) {
    Refresh();
    // Only the checked values go out: edits the page holds besides them are given up first.
    if (AnyStepChanged()) {
        if (!prompter_.Confirm(kMsgDataChanged, Text(kMsgDataChanged))) {
            return;
        }
        DiscardStepEdits();
    }
    for (const CompareRow& row : chosen) {
        if (row.right) {
            ctx_.image.SetCell(row.group, row.parameter, *row.right, ParameterImage::kEditCopy);
        }
    }
    host_.ShowStepsFromEditCopies();
    errors_.fill(false);
    Refresh();
    // The page's own download: its question, its check and its minimal write.
    Download();
}

void CPageStp::Download() {
    if (!CheckEditRow()) {
        return;
    }
    SelectStep(current_);
    if (!prompter_.Confirm(kMsgConfirmDownload, Text(kMsgConfirmDownload))) {
        return;
    }
    if (!AnyStepChanged()) {
        prompter_.Inform(kMsgNothingSent, Text(kMsgNothingSent));
        return;
    }
    SelectStep(0);
    CTrxData(ctx_).Run(OP_STEP_DOWNLOAD, 0, 0);
    ColourList();
}

}  // namespace tavro
