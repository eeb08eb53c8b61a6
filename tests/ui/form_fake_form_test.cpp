#include <gtest/gtest-spi.h>
#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "tests/support/EventRecorder.h"
#include "tests/support/FakeForm.h"
#include "tests/support/FakeFormFactory.h"
#include "tests/support/UiFile.h"
#include "ui/Keys.h"

namespace tavro::test {
namespace {

using ui::ControlId;
using ui::kNoControl;

constexpr ControlId kCaption = 1001;
constexpr ControlId kEdit = 1002;
constexpr ControlId kSpeeds = 1003;
constexpr ControlId kFirstId = 1004;
constexpr ControlId kAbsolute = 1005;
constexpr ControlId kRelative = 1006;
constexpr ControlId kCheck = 1007;
constexpr ControlId kToggle = 1008;
constexpr ControlId kNext = 1011;
constexpr ControlId kList = 1013;
constexpr ControlId kSlider = 1014;
constexpr ControlId kDistance = 1015;
constexpr ControlId kSpin = 1016;
constexpr ControlId kCancel = 2;

using Recorder = EventRecorder;
using Log = std::vector<std::string>;

// The test form of the Qt tests, read from its .ui file.
class FakeFormTest : public testing::Test {
  protected:
    FakeFormTest() {
        std::string error;
        auto ui = ReadUiForm(std::string(TAVRO_TEST_FORMS_DIR) + "/900.ui", error);
        if (!ui) {
            ADD_FAILURE() << error;
            ui.emplace();
        }
        form = std::make_unique<FakeForm>(*ui);
        form->SetListener(&events);
    }

    void Reset() { events.log.clear(); }

    Recorder events;
    std::unique_ptr<FakeForm> form;
};

TEST_F(FakeFormTest, StartsFromTheFormFile) {
    EXPECT_EQ(form->Title(), "Form test");
    EXPECT_EQ(form->Text(kCaption), "Caption & more");
    EXPECT_EQ(form->Text(kEdit), "0.000");
    EXPECT_EQ(form->ItemCount(kSpeeds), 3);
    EXPECT_EQ(form->CurrentItem(kSpeeds), -1);  // nothing is chosen until a presenter says so
    EXPECT_TRUE(form->IsChecked(kAbsolute));
    EXPECT_EQ(form->GetRange(kSlider), (ui::Range{1, 100}));
    EXPECT_EQ(form->Position(kSlider), 10);
    EXPECT_EQ(form->Picture(1018), 900);
    EXPECT_TRUE(form->Problems().empty());
}

TEST_F(FakeFormTest, ClickRunsDownFocusUpClickInThatOrder) {
    form->Focus(kEdit);
    Reset();
    EXPECT_TRUE(form->Click(kNext));
    EXPECT_EQ(events.log, (Log{"down 1011", "out 1002", "in 1011", "up 1011", "click 1011"}));
    EXPECT_EQ(form->FocusedControl(), kNext);
}

TEST_F(FakeFormTest, ConsumedMouseDownKeepsTheButtonAndTheFocusUntouched) {
    form->Focus(kEdit);
    events.onMouseDown = [](ControlId id) { return id == kToggle; };
    Reset();
    EXPECT_TRUE(form->Click(kToggle));
    EXPECT_EQ(events.log, (Log{"down 1008", "up 1008"}));
    EXPECT_FALSE(form->IsChecked(kToggle));
    EXPECT_EQ(form->FocusedControl(), kEdit);
}

TEST_F(FakeFormTest, CheckBoxesToggleBeforeTheClickAndRadiosReportTheNewChoice) {
    events.onClicked = [this](ControlId id) {
        events.log.push_back(form->IsChecked(id) ? "checked" : "unchecked");
    };
    form->Click(kCheck);
    form->Click(kToggle);
    form->Click(kToggle);
    EXPECT_EQ(form->IsChecked(kCheck), true);
    EXPECT_EQ(form->IsChecked(kToggle), false);

    Reset();
    form->Click(kRelative);
    EXPECT_TRUE(form->IsChecked(kRelative));
    EXPECT_FALSE(form->IsChecked(kAbsolute));
    EXPECT_EQ(form->CheckedRadio(kAbsolute, kRelative), kRelative);
    EXPECT_EQ(events.log.back(), "select 1006");
    // The push-like radios are a group of their own.
    EXPECT_FALSE(form->IsChecked(1009));
    Reset();
    form->Click(kRelative);  // already the choice: nothing changes
    EXPECT_EQ(events.log, (Log{"down 1006", "up 1006"}));
}

TEST_F(FakeFormTest, ADisabledControlTakesNoUserActionAndTheMouseSeesThroughIt) {
    form->SetEnabled(kNext, false);
    EXPECT_FALSE(form->Click(kNext));
    EXPECT_FALSE(form->TypeText(kNext, "x"));
    form->MoveMouse(kNext);
    EXPECT_EQ(events.log, (Log{"down -1", "up -1", "move -1"}));
    EXPECT_FALSE(form->Click(4242));
    EXPECT_EQ(events.log.size(), 3u);
    form->SetWindowEnabled(false);
    EXPECT_FALSE(form->Click(kCheck));
}

// A range check that puts the focus back on its field while the field is losing it: the
// field gets the focus again and the control the user went to never hears of it.
TEST_F(FakeFormTest, FocusMovedBackWhileLeavingWins) {
    events.onFocusOut = [this](ControlId id) {
        if (id == kEdit) {
            form->SetFocus(kEdit);
        }
    };
    form->TypeAndLeave(kEdit, "12", kDistance);
    EXPECT_EQ(events.log, (Log{"in 1002", "key 1002 49", "edit 1002", "key 1002 50", "edit 1002",
                               "out 1002", "in 1002"}));
    EXPECT_EQ(form->FocusedControl(), kEdit);
    EXPECT_EQ(form->Text(kEdit), "12");
}

TEST_F(FakeFormTest, TypingIsAKeyPerCharacterAndAConsumedKeyIsNotTyped) {
    events.onKey = [](ControlId, int key) { return key == 'X'; };
    form->TypeText(kEdit, "1x.5");
    EXPECT_EQ(form->Text(kEdit), "1.5");
    EXPECT_EQ(events.log, (Log{"in 1002", "key 1002 49", "edit 1002", "key 1002 88", "key 1002 0",
                               "edit 1002", "key 1002 53", "edit 1002"}));
    Reset();
    form->TypeText(kEdit, "");
    EXPECT_EQ(form->Text(kEdit), "");
    EXPECT_EQ(events.log, (Log{"key 1002 46", "edit 1002"}));
}

TEST_F(FakeFormTest, DisablingTheFocusedControlDropsTheFocusSilently) {
    form->Focus(kEdit);
    Reset();
    form->SetEnabled(kEdit, false);
    EXPECT_EQ(form->FocusedControl(), kNoControl);
    form->Focus(kDistance);
    EXPECT_EQ(events.log, (Log{"in 1015"}));
}

TEST_F(FakeFormTest, ComboItemsKeepTheirCurrentItemLikeTheWindowDoes) {
    form->ClearItems(kSpeeds);
    EXPECT_EQ(form->AddItem(kSpeeds, "a"), 0);
    EXPECT_EQ(form->AddItem(kSpeeds, "b"), 1);
    EXPECT_EQ(form->CurrentItem(kSpeeds), -1);
    form->SetCurrentItem(kSpeeds, 1);
    EXPECT_EQ(form->InsertItem(kSpeeds, 0, "***"), 0);
    EXPECT_EQ(form->CurrentItem(kSpeeds), 2);
    EXPECT_EQ(form->Text(kSpeeds), "b");
    form->RemoveItem(kSpeeds, 0);
    EXPECT_EQ(form->CurrentItem(kSpeeds), 1);
    form->RemoveItem(kSpeeds, 1);
    EXPECT_EQ(form->CurrentItem(kSpeeds), -1);
    EXPECT_EQ(form->InsertItem(kSpeeds, 99, "c"), 1);
    EXPECT_EQ(form->FindItem(kSpeeds, "c"), 1);
    EXPECT_EQ(form->FindItem(kSpeeds, "C"), -1);
    form->SetText(kSpeeds, "c");  // a drop-down list's text selects the item
    EXPECT_EQ(form->CurrentItem(kSpeeds), 1);
    form->SetCurrentItem(kSpeeds, 7);
    EXPECT_EQ(form->CurrentItem(kSpeeds), -1);
    EXPECT_TRUE(events.log.empty());  // none of this was the user

    form->AddItem(kFirstId, "1");
    form->AddItem(kFirstId, "255");
    form->SetCurrentItem(kFirstId, 1);
    EXPECT_EQ(form->Text(kFirstId), "255");
    form->SetText(kFirstId, "300");
    EXPECT_EQ(form->CurrentItem(kFirstId), 1);
    form->ClearItems(kFirstId);
    EXPECT_EQ(form->Text(kFirstId), "");
}

TEST_F(FakeFormTest, ChoosingAnItemReportsOnlyAChange) {
    EXPECT_TRUE(form->Choose(kSpeeds, 2));
    EXPECT_EQ(events.log, (Log{"down 1003", "in 1003", "select 1003"}));
    Reset();
    EXPECT_TRUE(form->ChooseText(kSpeeds, "19200"));
    EXPECT_EQ(events.log, (Log{"down 1003"}));
    EXPECT_FALSE(form->Choose(kSpeeds, 3));
    EXPECT_FALSE(form->ChooseText(kSpeeds, "57600"));
}

class FakeListTest : public FakeFormTest {
  protected:
    FakeListTest() {
        form->ListAddColumn(kList, {32, "No.", ui::Align::kCentre});
        form->ListAddColumn(kList, {60, "Position ", ui::Align::kRight});
        for (int r = 0; r < 3; ++r) {
            form->ListInsertRow(kList, r);
            form->ListSetCell(kList, r, 0, std::to_string(r + 1));
        }
    }
};

TEST_F(FakeListTest, RowsColumnsAndSelectionMoveTogether) {
    EXPECT_EQ(form->ListColumnAt(kList, 1), (ui::ListColumn{60, "Position ", ui::Align::kRight}));
    form->ListSelectRow(kList, 1);
    EXPECT_EQ(form->ListInsertRow(kList, 0), 0);
    EXPECT_EQ(form->ListSelectedRow(kList), 2);
    EXPECT_EQ(form->ListCell(kList, 2, 0), "2");
    form->ListDeleteRow(kList, 0);
    EXPECT_EQ(form->ListSelectedRow(kList), 1);
    form->ListDeleteRow(kList, 1);
    EXPECT_EQ(form->ListSelectedRow(kList), -1);
    EXPECT_EQ(form->ListInsertRow(kList, -1), 2);
    form->ListSetCellColours(kList, 2, 1, {5, 6});
    EXPECT_EQ(form->ListCellColours(kList, 2, 1), (ui::Colours{5, 6}));
    EXPECT_EQ(form->ListCellColours(kList, 2, 0), ui::Colours{});
    form->ListSelectRow(kList, 9);
    EXPECT_EQ(form->ListSelectedRow(kList), -1);
    EXPECT_TRUE(form->Problems().empty());
}

TEST_F(FakeListTest, CellsOutsideTheListAreNeutralAndNoted) {
    form->ListSetCell(kList, 3, 0, "x");
    form->ListSetCell(kList, 0, 2, "x");
    EXPECT_EQ(form->ListCell(kList, -1, 0), "");
    form->ListSetRowChecked(kList, 0, true);  // the list has no check boxes
    EXPECT_FALSE(form->ListIsRowChecked(kList, 0));
    EXPECT_EQ(form->Problems().size(), 4u);
}

TEST_F(FakeListTest, ClickingACellSelectsItsRowFirst) {
    EXPECT_TRUE(form->ClickCell(kList, 1, 1));
    EXPECT_EQ(events.log, (Log{"down 1013", "in 1013", "select 1013", "up 1013", "cell 1013 1 1"}));
    EXPECT_EQ(form->ListSelectedRow(kList), 1);
    Reset();
    form->ClickCell(kList, 7, 0);  // below the rows
    EXPECT_EQ(events.log, (Log{"down 1013", "up 1013", "cell 1013 -1 0"}));
    EXPECT_EQ(form->ListSelectedRow(kList), 1);
    Reset();
    form->RightClickCell(kList, 2, 0, {300, 200});
    EXPECT_EQ(events.log, (Log{"select 1013", "right 1013 2 0"}));
    Reset();
    form->DoubleClickCell(kList, 2, 1);
    EXPECT_EQ(events.log, (Log{"down 1013", "up 1013", "cell 1013 2 1", "down 1013",
                               "double 1013 2 1", "up 1013"}));
}

TEST_F(FakeListTest, RowCheckBoxesToggleAfterTheClick) {
    EXPECT_FALSE(form->ToggleRowCheck(kList, 0));
    form->ListSetCheckBoxes(kList, true);
    EXPECT_TRUE(form->ToggleRowCheck(kList, 0));
    EXPECT_TRUE(form->ListIsRowChecked(kList, 0));
    EXPECT_EQ(events.log.back(), "cell 1013 0 0");
}

struct KeyCase {
    const char* name;
    ControlId focus;
    int key;
    bool shift;
    const char* reaction;  // the event after the key itself, or "" for none
    ControlId focusAfter;
};

constexpr KeyCase kKeyCases[] = {
    {"ReturnInAnEditClicksTheDefault", kEdit, ui::key::kReturn, false, "click 1011", kEdit},
    {"ReturnOnAButtonClicksIt", kCancel, ui::key::kReturn, false, "click 2", kCancel},
    {"EscapeIsCancel", kEdit, ui::key::kEscape, false, "click 2", kEdit},
    {"SpaceClicksAFocusedButton", kNext, ui::key::kSpace, false, "click 1011", kNext},
    {"TabSkipsLabels", kCaption + 1, ui::key::kTab, false, "out 1002", kSpeeds},
    {"ShiftTabGoesBack", kSpeeds, ui::key::kTab, true, "out 1003", kEdit},
    {"OtherKeysOnlyReport", kEdit, 'A', false, "", kEdit},
};

class FakeKeyTest : public FakeFormTest, public testing::WithParamInterface<KeyCase> {};

TEST_P(FakeKeyTest, UnconsumedKeysDoWhatTheWindowWould) {
    const KeyCase& c = GetParam();
    form->Focus(c.focus);
    Reset();
    EXPECT_FALSE(form->PressKey(c.key, {c.shift, false, false}));
    // Shift goes down first, as a key of its own.
    const std::string keyLine = "key " + std::to_string(c.focus) + " " + std::to_string(c.key);
    const Log expectedStart =
        c.shift ? Log{"key " + std::to_string(c.focus) + " 16", keyLine} : Log{keyLine};
    ASSERT_GE(events.log.size(), expectedStart.size());
    EXPECT_EQ(Log(events.log.begin(), events.log.begin() + static_cast<long>(expectedStart.size())),
              expectedStart);
    const std::size_t after = expectedStart.size();
    if (*c.reaction == '\0') {
        EXPECT_EQ(events.log.size(), after);
    } else {
        ASSERT_GT(events.log.size(), after);
        EXPECT_EQ(events.log[after], c.reaction);
    }
    EXPECT_EQ(form->FocusedControl(), c.focusAfter);
}

INSTANTIATE_TEST_SUITE_P(Keys, FakeKeyTest, testing::ValuesIn(kKeyCases),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(FakeFormTest, ArrowsMoveListsCombosAndSlidersWithoutWrapping) {
    form->ListAddColumn(kList, {32, "No.", ui::Align::kCentre});
    form->ListInsertRow(kList, 0);
    form->ListInsertRow(kList, 1);
    form->Focus(kList);
    form->PressKey(ui::key::kUp);  // no row yet: the first one
    EXPECT_EQ(form->ListSelectedRow(kList), 0);
    form->PressKey(ui::key::kDown);
    form->PressKey(ui::key::kDown);
    EXPECT_EQ(form->ListSelectedRow(kList), 1);

    form->Focus(kSpeeds);
    form->PressKey(ui::key::kUp);
    EXPECT_EQ(form->CurrentItem(kSpeeds), -1);
    form->PressKey(ui::key::kDown);
    EXPECT_EQ(form->CurrentItem(kSpeeds), 0);

    form->Focus(kSlider);
    form->SetStep(kSlider, 10);
    form->PressKey(ui::key::kRight);
    form->PressKey(ui::key::kDown);
    form->PressKey(ui::key::kDown);
    EXPECT_EQ(form->Position(kSlider), 1);
    Log selections;
    for (const auto& line : events.log) {
        if (line.rfind("select", 0) == 0 || line.rfind("scroll", 0) == 0) {
            selections.push_back(line);
        }
    }
    EXPECT_EQ(selections, (Log{"select 1013", "select 1013", "select 1003", "scroll 1014 20",
                               "scroll 1014 10", "scroll 1014 1"}));
}

TEST_F(FakeFormTest, AConsumedKeyStopsThere) {
    form->Focus(kEdit);
    events.onKey = [](ControlId, int key) { return key == ui::key::kReturn; };
    Reset();
    EXPECT_TRUE(form->PressKey(ui::key::kReturn));
    EXPECT_EQ(events.log, (Log{"key 1002 13"}));
}

TEST_F(FakeFormTest, ReturnWithoutADefaultButtonIsOk) {
    FakeForm plain({{10, ui::ControlKind::kEdit}});
    plain.SetListener(&events);
    plain.Focus(10);
    plain.PressKey(ui::key::kReturn);
    EXPECT_EQ(events.log.back(), "click 1");
}

TEST_F(FakeFormTest, SpinStepsUnlessRefusedAndStaysInRange) {
    form->SetRange(kSpin, 0, 12);
    form->SetStep(kSpin, 5);
    form->SetPosition(kSpin, 5);
    EXPECT_TRUE(form->Spin(kSpin, true));
    EXPECT_TRUE(form->Spin(kSpin, true));
    EXPECT_EQ(form->Position(kSpin), 12);
    events.onSpin = [](ControlId, int delta) { return delta < 0; };
    EXPECT_FALSE(form->Spin(kSpin, false));
    EXPECT_EQ(form->Position(kSpin), 12);
    EXPECT_EQ(events.log[1], "spin 1016 5");
    EXPECT_EQ(events.log.back(), "up 1016");
}

TEST_F(FakeFormTest, SliderReportsOnlyMovesThatHappen) {
    form->Scroll(kSlider, 500);
    EXPECT_EQ(form->Position(kSlider), 100);
    form->Scroll(kSlider, 100);
    Log scrolls;
    for (const auto& line : events.log) {
        if (line.rfind("scroll", 0) == 0) {
            scrolls.push_back(line);
        }
    }
    EXPECT_EQ(scrolls, (Log{"scroll 1014 100"}));
    form->SetRange(kSlider, 50, 0);  // given backwards
    EXPECT_EQ(form->GetRange(kSlider), (ui::Range{0, 50}));
    EXPECT_EQ(form->Position(kSlider), 50);
}

TEST_F(FakeFormTest, UnknownControlsAndWrongKindsAreNeutralAndNoted) {
    EXPECT_EQ(form->Text(4242), "");
    EXPECT_FALSE(form->IsEnabled(4242));
    EXPECT_EQ(form->ItemCount(kEdit), 0);
    EXPECT_EQ(form->AddItem(kEdit, "x"), -1);
    EXPECT_EQ(form->ListRowCount(kSpeeds), 0);
    EXPECT_EQ(form->Position(kEdit), 0);
    form->SetText(kSpin, "1");  // the spin's buddy edit was meant
    form->SetFont(kEdit, 15);
    EXPECT_EQ(form->CheckedRadio(3000, 3010), kNoControl);
    EXPECT_EQ(form->Problems().size(), 8u);
}

TEST_F(FakeFormTest, ModalFormsReturnWhatThePresenterEndedThemWith) {
    events.onClicked = [this](ControlId id) {
        if (id == kNext) {
            form->EndModal(7);
        }
    };
    form->OnModal([](FakeForm& f) {
        EXPECT_TRUE(f.IsWindowVisible());
        f.Click(kNext);
    });
    EXPECT_EQ(form->RunModal(), 7);
    EXPECT_FALSE(form->IsWindowVisible());

    FakeForm early(std::vector<ControlDecl>{}, ui::FormKind::kModal);
    early.EndModal(3);
    EXPECT_EQ(early.RunModal(), 3);

    FakeForm modeless(std::vector<ControlDecl>{}, ui::FormKind::kModeless);
    EXPECT_EQ(modeless.RunModal(), -1);
}

TEST_F(FakeFormTest, TheCloseBoxEndsAModalFormOnlyWhenAllowed) {
    events.allowClose = false;
    form->OnModal([this](FakeForm& f) {
        EXPECT_FALSE(f.Close());
        EXPECT_FALSE(f.Ended());
        events.allowClose = true;
        EXPECT_TRUE(f.Close());
    });
    EXPECT_EQ(form->RunModal(), ui::kIdCancel);
}

TEST_F(FakeFormTest, PopupMenusAnswerWithEnabledCommandsOnly) {
    const std::vector<ui::MenuItem> menu{
        {32773, "Cut", true}, {0, "", true}, {32774, "Get Pos.", false}};
    EXPECT_EQ(form->PopupMenu(menu, {10, 20}), 0);
    form->AnswerPopup(32773);
    form->AnswerPopup(32774);
    EXPECT_EQ(form->PopupMenu(menu, {10, 20}), 32773);
    EXPECT_EQ(form->PopupMenu(menu, {10, 20}), 0);
    ASSERT_EQ(form->Popups().size(), 3u);
    EXPECT_EQ(form->Popups()[0].at, (ui::ScreenPoint{10, 20}));
    EXPECT_EQ(form->Popups()[0].items, menu);
}

TEST_F(FakeFormTest, SystemMenuCommandsArriveWhenEnabled) {
    const std::vector<ui::MenuItem> menu{{0x20, "Password(&P)..."}, {0x30, "ID(&S)..."}};
    form->SetSystemMenu(menu);
    form->EnableSystemMenuItem(0x30, false);
    EXPECT_TRUE(form->ChooseSystemCommand(0x20));
    EXPECT_FALSE(form->ChooseSystemCommand(0x30));
    EXPECT_FALSE(form->ChooseSystemCommand(0x10));
    EXPECT_EQ(events.log, (Log{"command 32"}));
}

TEST(FakeFormFactoryTest, BuildsFormsFromFilesAndForgetsThemWhenGone) {
    FakeFormFactory factory(TAVRO_TEST_FORMS_DIR);
    factory.Declare(157, {{3, ui::ControlKind::kPushButton, "Start Search"}});
    auto parent = factory.Create(900, nullptr, ui::FormKind::kModeless);
    ASSERT_NE(parent, nullptr);
    EXPECT_EQ(factory.Latest(900), parent.get());
    EXPECT_EQ(factory.Latest(900)->Text(1001), "Caption & more");
    {
        auto search = factory.Create(157, parent.get(), ui::FormKind::kModal);
        ASSERT_NE(factory.Latest(157), nullptr);
        EXPECT_EQ(factory.Latest(157)->Text(3), "Start Search");
    }
    EXPECT_EQ(factory.Latest(157), nullptr);
    ASSERT_EQ(factory.History().size(), 2u);
    EXPECT_EQ(factory.History()[1].parent, parent.get());
}

TEST(FakeFormFactoryTest, PagesNeedAParentAndUnknownTemplatesGiveNothing) {
    FakeFormFactory factory;
    factory.Declare(210, {});
    EXPECT_EQ(factory.Create(210, nullptr, ui::FormKind::kPage), nullptr);
    EXPECT_EQ(factory.Create(211, nullptr, ui::FormKind::kModal), nullptr);
    FakeForm* seen = nullptr;
    factory.OnModal(210, [&](FakeForm& f) {
        seen = &f;
        f.EndModal(1);
    });
    auto form = factory.Create(210, nullptr, ui::FormKind::kModal);
    EXPECT_EQ(form->RunModal(), 1);
    EXPECT_EQ(seen, form.get());
}

// --- scripts that never ran, misuse nobody read ---

class FactoryChecksTest : public testing::Test {
  protected:
    FactoryChecksTest() { factory.Declare(210, {{10, ui::ControlKind::kEdit}}); }

    std::unique_ptr<ui::Form> Make() { return factory.Create(210, nullptr, ui::FormKind::kModal); }
    static FakeFormFactory::Player Ends() {
        return [](FakeForm& f) { f.EndModal(ui::kIdOk); };
    }

    FakeFormFactory factory;
};

TEST_F(FactoryChecksTest, AScriptWhoseDialogNeverOpenedFails) {
    factory.OnModal(210, Ends());
    EXPECT_NONFATAL_FAILURE(
        factory.CheckPlayers(),
        "the script for dialog template 210 never ran: the dialog never opened");
    factory.CheckPlayers();  // reported once
}

TEST_F(FactoryChecksTest, AScriptWhoseDialogEndedBeforeItRanFails) {
    factory.OnModal(210, Ends());
    auto form = Make();
    form->EndModal(ui::kIdCancel);
    EXPECT_EQ(form->RunModal(), ui::kIdCancel);
    EXPECT_NONFATAL_FAILURE(factory.CheckPlayers(), "was made 1 time(s) but ended before it ran");
}

TEST_F(FactoryChecksTest, ScriptsThatRanOptionalOnesAndReplacedOnesPass) {
    factory.OnModal(210, Ends());
    EXPECT_EQ(Make()->RunModal(), ui::kIdOk);
    factory.OnModalIfShown(211, Ends());
    factory.OnModal(212, Ends());
    factory.OnModal(212, {});  // removed again
    factory.OnModal(213, Ends());
    factory.OnModalIfShown(213, Ends());  // the test's own replaces a default
    factory.CheckPlayers();
}

TEST_F(FactoryChecksTest, TheFactoryChecksItsScriptsWhenItGoes) {
    EXPECT_NONFATAL_FAILURE(
        {
            FakeFormFactory own;
            own.OnModal(157, Ends());
        },
        "dialog template 157 never ran");
}

TEST_F(FactoryChecksTest, MisuseFailsTheTestWhenTheFormGoesEachDistinctProblemOnce) {
    auto form = Make();
    form->SetText(4242, "x");
    form->SetText(4242, "y");
    EXPECT_NONFATAL_FAILURE(form.reset(),
                            "dialog template 210: SetText: no control 4242 (2 times)");
}

TEST_F(FactoryChecksTest, ExcusedAndTakenProblemsDoNotFail) {
    factory.Excuse(210, [](const std::string& p) { return p.rfind("ItemCount", 0) == 0; });
    auto form = Make();
    form->SetFont(4242, 1);
    auto& fake = static_cast<FakeForm&>(*form);
    EXPECT_EQ(fake.TakeProblems(), std::vector<std::string>{"SetFont: no control 4242"});
    EXPECT_EQ(form->ItemCount(10), 0);  // excused
    form->SetFont(4243, 1);             // the only failure
    EXPECT_NONFATAL_FAILURE(form.reset(), "SetFont: no control 4243");
}

}  // namespace
}  // namespace tavro::test
