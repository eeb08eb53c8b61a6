// The user's actions played on the Qt form through the window, and the same actions played
// on a FakeForm through its helpers, must give the presenter the same events in the same
// order; otherwise a headless test would pass where the real window misbehaves.
#include <gtest/gtest.h>

#include <QComboBox>
#include <QTest>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <span>
#include <string>
#include <vector>

#include "tests/qt/QtTestForm.h"
#include "tests/support/FakeForm.h"
#include "tests/support/UiFile.h"
#include "ui/Keys.h"
#include "ui/qt/SpinButton.h"

namespace tavro::test {
namespace {

using ui::ControlId;

enum class Act {
    kClick,
    kType,
    kKey,
    kShiftKey,
    kCell,
    kCellBelowRows,
    kRightCell,
    kDoubleCell,
    kSpinUp,
    kSpinDown,
    kMove,
    // What the presenter does, the same on both forms:
    kConsumeDown,  // consumes the mouse-down of `id`
    kRefuseSpin,   // refuses every spin step
    kRefocus,      // puts the focus back on `id` whenever it leaves it
    kDisable,
    kSetFocus,
    kRecordMoves,
};

struct Step {
    Act act;
    ControlId id = 0;
    int a = 0;  // row or key
    int b = 0;  // column
    const char* text = "";
};

struct Scenario {
    const char* name;
    std::span<const Step> steps;
};

constexpr Step kClickAfterEdit[] = {{Act::kClick, 1002}, {Act::kClick, 1011}, {Act::kClick, 2}};
constexpr Step kConsumedDown[] = {
    {Act::kConsumeDown, 1008}, {Act::kClick, 1002}, {Act::kClick, 1008}, {Act::kClick, 1007}};
constexpr Step kChecksAndRadios[] = {{Act::kClick, 1007}, {Act::kClick, 1007}, {Act::kClick, 1008},
                                     {Act::kClick, 1006}, {Act::kClick, 1006}, {Act::kClick, 1010},
                                     {Act::kClick, 1005}};
constexpr Step kTypeAndTab[] = {{Act::kType, 1002, 0, 0, "12.5"},
                                {Act::kKey, 0, ui::key::kTab},
                                {Act::kShiftKey, 0, ui::key::kTab},
                                {Act::kType, 1004, 0, 0, "25"}};
constexpr Step kReturnAndEscape[] = {
    {Act::kClick, 1002}, {Act::kKey, 0, ui::key::kReturn}, {Act::kKey, 0, ui::key::kEscape},
    {Act::kClick, 2},    {Act::kKey, 0, ui::key::kReturn}, {Act::kKey, 0, ui::key::kSpace},
    {Act::kClick, 1007}, {Act::kKey, 0, ui::key::kSpace},  {Act::kKey, 0, 'A'}};
constexpr Step kListMouse[] = {{Act::kCell, 1013, 1, 1},      {Act::kCell, 1013, 2, 0},
                               {Act::kCell, 1013, 2, 1},      {Act::kCellBelowRows, 1013, 0, 0},
                               {Act::kRightCell, 1013, 0, 1}, {Act::kDoubleCell, 1013, 2, 1},
                               {Act::kConsumeDown, 1013},     {Act::kCell, 1013, 1, 0}};
constexpr Step kListKeys[] = {{Act::kSetFocus, 1013},         {Act::kKey, 0, ui::key::kDown},
                              {Act::kKey, 0, ui::key::kDown}, {Act::kKey, 0, ui::key::kDown},
                              {Act::kKey, 0, ui::key::kDown}, {Act::kKey, 0, ui::key::kUp}};
constexpr Step kComboKeys[] = {{Act::kSetFocus, 1003},         {Act::kKey, 0, ui::key::kUp},
                               {Act::kKey, 0, ui::key::kDown}, {Act::kKey, 0, ui::key::kDown},
                               {Act::kKey, 0, ui::key::kDown}, {Act::kKey, 0, ui::key::kDown},
                               {Act::kKey, 0, ui::key::kUp}};
constexpr Step kSpin[] = {{Act::kClick, 1015},       {Act::kSpinUp, 1016},  {Act::kSpinUp, 1016},
                          {Act::kSpinDown, 1016},    {Act::kRefuseSpin, 0}, {Act::kSpinUp, 1016},
                          {Act::kConsumeDown, 1016}, {Act::kSpinDown, 1016}};
constexpr Step kSliderKeys[] = {{Act::kSetFocus, 1014},
                                {Act::kKey, 0, ui::key::kRight},
                                {Act::kKey, 0, ui::key::kLeft},
                                {Act::kKey, 0, ui::key::kDown},
                                {Act::kKey, 0, ui::key::kUp}};
constexpr Step kRefocusOnLeave[] = {
    {Act::kRefocus, 1002}, {Act::kType, 1002, 0, 0, "5"}, {Act::kClick, 1015}, {Act::kClick, 1011}};
constexpr Step kDisabledFocus[] = {
    {Act::kClick, 1002}, {Act::kDisable, 1002}, {Act::kClick, 1015}, {Act::kKey, 0, ui::key::kTab}};
constexpr Step kMouseOverDisabled[] = {
    {Act::kRecordMoves}, {Act::kDisable, 1011}, {Act::kMove, 1011}, {Act::kMove, 1002},
    {Act::kMove, 1012},  {Act::kDisable, 1012}, {Act::kClick, 1012}};

constexpr Scenario kScenarios[] = {
    {"ClickAfterEdit", kClickAfterEdit},
    {"ConsumedMouseDown", kConsumedDown},
    {"ChecksAndRadios", kChecksAndRadios},
    {"TypeAndTab", kTypeAndTab},
    {"ReturnAndEscape", kReturnAndEscape},
    {"ListMouse", kListMouse},
    {"ListKeys", kListKeys},
    {"ComboKeys", kComboKeys},
    {"Spin", kSpin},
    {"SliderKeys", kSliderKeys},
    {"RefocusOnLeave", kRefocusOnLeave},
    {"DisabledFocus", kDisabledFocus},
    {"MouseOverDisabled", kMouseOverDisabled},
};

// The same start on both forms: a list with rows, a spin with a step.
void Prepare(ui::Form& form) {
    form.ListAddColumn(1013, {40, "No.", ui::Align::kCentre});
    form.ListAddColumn(1013, {80, "Position ", ui::Align::kRight});
    for (int row = 0; row < 3; ++row) {
        form.ListInsertRow(1013, row);
        form.ListSetCell(1013, row, 0, std::to_string(row + 1));
    }
    form.SetHeight(1013, 160);
    form.SetRange(1016, 0, 50);
    form.SetStep(1016, 5);
    form.SetPosition(1016, 10);
    form.SetStep(1014, 3);
    form.AddItem(1004, "1");
    form.AddItem(1004, "255");
}

// What the presenter side of a step does.
bool ApplyPresenterStep(const Step& step, ui::Form& form, EventRecorder& events) {
    switch (step.act) {
        case Act::kConsumeDown: {
            const ControlId id = step.id;
            events.onMouseDown = [id](ControlId down) { return down == id; };
            return true;
        }
        case Act::kRefuseSpin:
            events.onSpin = [](ControlId, int) { return true; };
            return true;
        case Act::kRefocus: {
            const ControlId id = step.id;
            ui::Form* f = &form;
            events.onFocusOut = [id, f](ControlId out) {
                if (out == id) {
                    f->SetFocus(id);
                }
            };
            return true;
        }
        case Act::kDisable:
            form.SetEnabled(step.id, false);
            return true;
        case Act::kSetFocus:
            form.SetFocus(step.id);
            return true;
        case Act::kRecordMoves:
            events.recordMoves = true;
            return true;
        default:
            return false;
    }
}

std::vector<std::string> PlayOnFake(const Scenario& scenario) {
    std::string error;
    auto ui = ReadUiForm(TAVRO_TEST_FORMS_DIR "/900.ui", error);
    if (!ui) {
        ADD_FAILURE() << error;
        return {};
    }
    FakeForm form(*ui, ui::FormKind::kModeless);
    EventRecorder events;
    events.recordMoves = false;
    Prepare(form);
    form.SetListener(&events);
    for (const Step& step : scenario.steps) {
        if (ApplyPresenterStep(step, form, events)) {
            continue;
        }
        switch (step.act) {
            case Act::kClick:
                form.Click(step.id);
                break;
            case Act::kType:
                form.TypeText(step.id, step.text);
                break;
            case Act::kKey:
                form.PressKey(step.a);
                break;
            case Act::kShiftKey:
                form.PressKey(step.a, {true, false, false});
                break;
            case Act::kCell:
                form.ClickCell(step.id, step.a, step.b);
                break;
            case Act::kCellBelowRows:
                form.ClickCell(step.id, -1, step.b);
                break;
            case Act::kRightCell:
                form.RightClickCell(step.id, step.a, step.b);
                break;
            case Act::kDoubleCell:
                form.DoubleClickCell(step.id, step.a, step.b);
                break;
            case Act::kSpinUp:
            case Act::kSpinDown:
                form.Spin(step.id, step.act == Act::kSpinUp);
                break;
            case Act::kMove:
                form.MoveMouse(step.id);
                break;
            default:
                break;
        }
    }
    form.SetListener(nullptr);
    return events.log;
}

std::vector<std::string> PlayOnQt(const Scenario& scenario) {
    QtTestForm window;
    EventRecorder& events = window.events;
    window.Form().SetListener(nullptr);
    Prepare(window.Form());
    QtTestForm::Settle();
    window.Form().SetListener(&events);
    events.recordMoves = false;
    for (const Step& step : scenario.steps) {
        if (ApplyPresenterStep(step, window.Form(), events)) {
            continue;
        }
        switch (step.act) {
            case Act::kClick:
                window.Click(step.id);
                break;
            case Act::kType:
                window.Type(step.id, QString::fromUtf8(step.text));
                break;
            case Act::kKey:
                window.Key(step.a);
                break;
            case Act::kShiftKey:
                window.Key(step.a, true);
                break;
            case Act::kCell:
                window.ClickAt(window.WhereCell(step.id, step.a, step.b));
                break;
            case Act::kCellBelowRows:
                window.ClickAt(window.WhereBelowRows(step.id));
                break;
            case Act::kRightCell:
                window.ClickAt(window.WhereCell(step.id, step.a, step.b), Qt::RightButton);
                break;
            case Act::kDoubleCell: {
                // The toolkit's double click is press, release, press, release.
                window.DoubleClickAt(window.WhereCell(step.id, step.a, step.b));
                break;
            }
            case Act::kSpinUp:
            case Act::kSpinDown: {
                auto* spin = qobject_cast<qt::SpinButton*>(window.Widget(step.id));
                QToolButton& arrow = step.act == Act::kSpinUp ? spin->UpArrow() : spin->DownArrow();
                window.ClickAt(arrow.mapTo(&window.Window(), arrow.rect().center()));
                break;
            }
            case Act::kMove:
                window.MoveTo(window.Where(step.id));
                break;
            default:
                break;
        }
    }
    window.Form().SetListener(nullptr);
    return events.log;
}

class ParityTest : public testing::TestWithParam<Scenario> {};

TEST_P(ParityTest, TheQtFormReportsWhatTheFakeFormReports) {
    const auto fake = PlayOnFake(GetParam());
    const auto qt = PlayOnQt(GetParam());
    EXPECT_FALSE(fake.empty());
    EXPECT_EQ(qt, fake);
    if (std::getenv("TAVRO_SHOW_PARITY") != nullptr) {
        for (const auto& line : fake) {
            std::printf("  %s\n", line.c_str());
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Scenarios, ParityTest, testing::ValuesIn(kScenarios),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace tavro::test
