// The same expectations, run against the in-memory form of the tests and the Qt form of
// the application: whatever a presenter sees in a headless test, it sees on screen.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "tests/qt/QtTestForm.h"
#include "tests/support/FakeForm.h"
#include "tests/support/UiFile.h"

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
constexpr ControlId kInp = 1009;
constexpr ControlId kTime = 1010;
constexpr ControlId kNext = 1011;
constexpr ControlId kServo = 1012;
constexpr ControlId kList = 1013;
constexpr ControlId kSlider = 1014;
constexpr ControlId kDistance = 1015;
constexpr ControlId kSpin = 1016;
constexpr ControlId kProgress = 1017;
constexpr ControlId kPicture = 1018;
constexpr ControlId kLamp = 1019;
constexpr ControlId kGroup = 1020;
constexpr ControlId kTabs = 1021;
constexpr ControlId kIcon = 1022;

struct FakeMaker {
    FakeMaker() {
        std::string error;
        auto ui = ReadUiForm(TAVRO_TEST_FORMS_DIR "/900.ui", error);
        if (!ui) {
            ADD_FAILURE() << error;
            ui.emplace();
        }
        form = std::make_unique<FakeForm>(*ui, ui::FormKind::kModeless);
        form->SetWindowVisible(true);
    }
    ui::Form& Form() { return *form; }
    std::unique_ptr<FakeForm> form;
};

struct QtMaker {
    ui::Form& Form() { return window.Form(); }
    QtTestForm window;
};

template <typename Maker>
class FormContractTest : public testing::Test {
  protected:
    Maker maker;
    ui::Form& form = maker.Form();
};

struct MakerNames {
    template <typename T>
    static std::string GetName(int) {
        return std::is_same_v<T, FakeMaker> ? "FakeForm" : "QtForm";
    }
};

using Makers = testing::Types<FakeMaker, QtMaker>;
TYPED_TEST_SUITE(FormContractTest, Makers, MakerNames);

TYPED_TEST(FormContractTest, StartsFromTheFormFile) {
    ui::Form& f = this->form;
    EXPECT_EQ(f.Title(), "Form test");
    EXPECT_EQ(f.Text(kCaption), "Caption & more");
    EXPECT_EQ(f.Text(kEdit), "0.000");
    EXPECT_EQ(f.Text(kToggle), "Operation\nStart");
    EXPECT_EQ(f.Text(kGroup), "Movement");
    EXPECT_EQ(f.Text(kLamp), "BUSY");
    EXPECT_EQ(f.ItemCount(kSpeeds), 3);
    EXPECT_EQ(f.ItemText(kSpeeds, 1), "9600");
    EXPECT_EQ(f.CurrentItem(kSpeeds), -1);
    EXPECT_EQ(f.Text(kSpeeds), "");
    EXPECT_EQ(f.Text(kFirstId), "");
    EXPECT_TRUE(f.IsChecked(kAbsolute));
    EXPECT_FALSE(f.IsChecked(kRelative));
    EXPECT_EQ(f.GetRange(kSlider), (ui::Range{1, 100}));
    EXPECT_EQ(f.Position(kSlider), 10);
    EXPECT_EQ(f.GetRange(kProgress), (ui::Range{0, 100}));
    EXPECT_EQ(f.Position(kProgress), 0);
    EXPECT_EQ(f.Picture(kPicture), 900);
    EXPECT_EQ(f.ItemCount(kTabs), 0);
    EXPECT_TRUE(f.IsEnabled(kNext));
    EXPECT_TRUE(f.IsVisible(kNext));
    EXPECT_FALSE(f.HasControl(4242));
}

TYPED_TEST(FormContractTest, TextsGoWhereEachKindKeepsThem) {
    ui::Form& f = this->form;
    const std::vector<std::pair<ControlId, std::string>> texts{
        {kCaption, "<<COM1 / Controller ID1 / Communication speed9600>>"},
        {kEdit, "12.345"},
        {kFirstId, "300"},
        {kToggle, "Operation\nEnd (Stop)"},
        {kNext, "Next"},
        {kServo, "Servo On"},
        {kGroup, "Jog"},
        {kLamp, "SVON"},
        {kCheck, "\xE6\xA4\x9C\xE7\xB4\xA2"},
    };
    for (const auto& [id, text] : texts) {
        f.SetText(id, text);
        EXPECT_EQ(f.Text(id), text) << id;
    }
    f.SetText(kSpeeds, "19200");  // a drop-down list's text picks its item
    EXPECT_EQ(f.CurrentItem(kSpeeds), 2);
    f.SetText(kSpeeds, "57600");  // not an item: nothing changes
    EXPECT_EQ(f.Text(kSpeeds), "19200");
}

TYPED_TEST(FormContractTest, EnabledAndShownAreTheControlsOwn) {
    ui::Form& f = this->form;
    f.SetWindowEnabled(false);
    EXPECT_FALSE(f.IsWindowEnabled());
    EXPECT_TRUE(f.IsEnabled(kNext));
    f.SetWindowEnabled(true);
    EXPECT_TRUE(f.IsWindowEnabled());

    // A group box is a frame: disabling or hiding it leaves its radios alone.
    f.SetEnabled(kGroup, false);
    EXPECT_FALSE(f.IsEnabled(kGroup));
    EXPECT_TRUE(f.IsEnabled(kAbsolute));
    f.SetVisible(kNext, false);
    EXPECT_FALSE(f.IsVisible(kNext));
    f.SetVisible(kNext, true);
    EXPECT_TRUE(f.IsVisible(kNext));
    f.SetEnabled(kNext, false);
    EXPECT_FALSE(f.IsEnabled(kNext));
}

TYPED_TEST(FormContractTest, RadiosAreCheckedOneByOneOrAsARange) {
    ui::Form& f = this->form;
    f.SetChecked(kRelative, true);  // leaves the other radio of the group alone
    EXPECT_TRUE(f.IsChecked(kAbsolute));
    EXPECT_EQ(f.CheckedRadio(kAbsolute, kRelative), kAbsolute);
    f.CheckRadio(kAbsolute, kRelative, kRelative);
    EXPECT_FALSE(f.IsChecked(kAbsolute));
    EXPECT_EQ(f.CheckedRadio(kAbsolute, kRelative), kRelative);
    f.CheckRadio(kInp, kTime, kTime);
    EXPECT_TRUE(f.IsChecked(kTime));
    f.CheckRadio(kInp, kTime, 0);
    EXPECT_EQ(f.CheckedRadio(kInp, kTime), kNoControl);
    f.SetChecked(kToggle, true);
    EXPECT_TRUE(f.IsChecked(kToggle));
    f.SetChecked(kServo, true);  // the colour button's pressed look
    EXPECT_TRUE(f.IsChecked(kServo));
}

TYPED_TEST(FormContractTest, ComboItemsKeepTheirCurrentItem) {
    ui::Form& f = this->form;
    f.ClearItems(kSpeeds);
    EXPECT_EQ(f.ItemCount(kSpeeds), 0);
    EXPECT_EQ(f.AddItem(kSpeeds, "a"), 0);
    EXPECT_EQ(f.AddItem(kSpeeds, "b"), 1);
    EXPECT_EQ(f.CurrentItem(kSpeeds), -1);
    f.SetCurrentItem(kSpeeds, 1);
    EXPECT_EQ(f.InsertItem(kSpeeds, 0, "***"), 0);
    EXPECT_EQ(f.CurrentItem(kSpeeds), 2);
    EXPECT_EQ(f.Text(kSpeeds), "b");
    f.RemoveItem(kSpeeds, 0);
    EXPECT_EQ(f.CurrentItem(kSpeeds), 1);
    f.RemoveItem(kSpeeds, 1);
    EXPECT_EQ(f.CurrentItem(kSpeeds), -1);
    EXPECT_EQ(f.InsertItem(kSpeeds, 99, "c"), 1);
    EXPECT_EQ(f.FindItem(kSpeeds, "c"), 1);
    EXPECT_EQ(f.FindItem(kSpeeds, "C"), -1);
    f.SetCurrentItem(kSpeeds, 7);
    EXPECT_EQ(f.CurrentItem(kSpeeds), -1);
    f.RemoveItem(kSpeeds, 5);
    EXPECT_EQ(f.ItemCount(kSpeeds), 2);

    EXPECT_EQ(f.AddItem(kFirstId, "1"), 0);
    f.AddItem(kFirstId, "255");
    EXPECT_EQ(f.CurrentItem(kFirstId), -1);
    EXPECT_EQ(f.Text(kFirstId), "");
    f.SetCurrentItem(kFirstId, 1);
    EXPECT_EQ(f.Text(kFirstId), "255");
    f.SetText(kFirstId, "300");
    EXPECT_EQ(f.CurrentItem(kFirstId), 1);
    f.RemoveItem(kFirstId, 1);  // the typed text stays
    EXPECT_EQ(f.CurrentItem(kFirstId), -1);
    EXPECT_EQ(f.Text(kFirstId), "300");
    f.ClearItems(kFirstId);
    EXPECT_EQ(f.Text(kFirstId), "");
}

TYPED_TEST(FormContractTest, TabStripsAlwaysHaveACurrentTab) {
    ui::Form& f = this->form;
    EXPECT_EQ(f.AddItem(kTabs, "I/O Setup"), 0);
    EXPECT_EQ(f.CurrentItem(kTabs), 0);
    f.AddItem(kTabs, "Basic Parameter Setup");
    f.AddItem(kTabs, "Step Data Setup");
    f.SetCurrentItem(kTabs, 1);
    f.SetCurrentItem(kTabs, 9);  // ignored
    EXPECT_EQ(f.CurrentItem(kTabs), 1);
    f.RemoveItem(kTabs, 1);
    EXPECT_EQ(f.CurrentItem(kTabs), 1);
    EXPECT_EQ(f.ItemText(kTabs, 1), "Step Data Setup");
    EXPECT_EQ(f.FindItem(kTabs, "I/O Setup"), 0);
}

TYPED_TEST(FormContractTest, ListRowsColumnsAndSelectionMoveTogether) {
    ui::Form& f = this->form;
    EXPECT_EQ(f.ListAddColumn(kList, {32, "No.", ui::Align::kCentre}), 0);
    EXPECT_EQ(f.ListAddColumn(kList, {60, "Position ", ui::Align::kRight}), 1);
    EXPECT_EQ(f.ListColumnCount(kList), 2);
    EXPECT_EQ(f.ListColumnAt(kList, 1), (ui::ListColumn{60, "Position ", ui::Align::kRight}));
    for (int r = 0; r < 3; ++r) {
        EXPECT_EQ(f.ListInsertRow(kList, r), r);
        f.ListSetCell(kList, r, 0, std::to_string(r + 1));
    }
    EXPECT_EQ(f.ListSelectedRow(kList), -1);
    f.ListSelectRow(kList, 1);
    EXPECT_EQ(f.ListInsertRow(kList, 0), 0);
    EXPECT_EQ(f.ListSelectedRow(kList), 2);
    EXPECT_EQ(f.ListCell(kList, 2, 0), "2");
    EXPECT_EQ(f.ListCell(kList, 0, 0), "");
    f.ListDeleteRow(kList, 0);
    EXPECT_EQ(f.ListSelectedRow(kList), 1);
    f.ListDeleteRow(kList, 1);
    EXPECT_EQ(f.ListSelectedRow(kList), -1);
    EXPECT_EQ(f.ListRowCount(kList), 2);
    EXPECT_EQ(f.ListInsertRow(kList, -1), 2);
    f.ListSetCell(kList, 2, 1, "10.000");
    EXPECT_EQ(f.ListCell(kList, 2, 1), "10.000");
    f.ListSetCellColours(kList, 2, 1, {5, 6});
    EXPECT_EQ(f.ListCellColours(kList, 2, 1), (ui::Colours{5, 6}));
    f.ListSetCellColours(kList, 2, 1, {});
    EXPECT_EQ(f.ListCellColours(kList, 2, 1), ui::Colours{});
    f.ListSelectRow(kList, 9);
    EXPECT_EQ(f.ListSelectedRow(kList), -1);
    f.ListSetRowChecked(kList, 0, true);  // no check boxes yet
    EXPECT_FALSE(f.ListIsRowChecked(kList, 0));
    f.ListSetCheckBoxes(kList, true);
    EXPECT_TRUE(f.ListHasCheckBoxes(kList));
    f.ListSetRowChecked(kList, 0, true);
    EXPECT_TRUE(f.ListIsRowChecked(kList, 0));
    EXPECT_FALSE(f.ListIsRowChecked(kList, 1));
    f.ListClearRows(kList);
    EXPECT_EQ(f.ListRowCount(kList), 0);
    f.ListClearColumns(kList);
    EXPECT_EQ(f.ListColumnCount(kList), 0);
}

TYPED_TEST(FormContractTest, PositionsStayInTheirRange) {
    ui::Form& f = this->form;
    for (ControlId id : {kSlider, kSpin, kProgress}) {
        f.SetRange(id, 50, 10);  // given backwards
        EXPECT_EQ(f.GetRange(id), (ui::Range{10, 50})) << id;
        f.SetPosition(id, 70);
        EXPECT_EQ(f.Position(id), 50) << id;
        f.SetPosition(id, -3);
        EXPECT_EQ(f.Position(id), 10) << id;
        f.SetPosition(id, 20);
        f.SetRange(id, 0, 15);
        EXPECT_EQ(f.Position(id), 15) << id;
    }
    f.SetStep(kSpin, 30);
    EXPECT_EQ(f.Step(kSpin), 30);
    f.SetStep(kSlider, 10);
    EXPECT_EQ(f.Step(kSlider), 10);
}

TYPED_TEST(FormContractTest, LookAndWindowStateReadBack) {
    ui::Form& f = this->form;
    f.SetColours(kLamp, {13, 16});
    EXPECT_EQ(f.GetColours(kLamp), (ui::Colours{13, 16}));
    f.SetColours(kEdit, {11, 2});
    EXPECT_EQ(f.GetColours(kEdit), (ui::Colours{11, 2}));
    f.SetFont(kCaption, 14);
    EXPECT_EQ(f.Font(kCaption), 14);
    f.SetFont(kCaption, 15);  // no such font
    EXPECT_EQ(f.Font(kCaption), 14);
    f.SetPicture(kIcon, 900);
    EXPECT_EQ(f.Picture(kIcon), 900);
    f.SetPicture(kPicture, 0);
    EXPECT_EQ(f.Picture(kPicture), 0);
    f.SetToolTip(kIcon, "Cut");
    EXPECT_EQ(f.ToolTip(kIcon), "Cut");
    f.SetHeight(kList, 75);
    EXPECT_EQ(f.Height(kList), 75);
    f.SetTitle("Search and selection of controller ID");
    EXPECT_EQ(f.Title(), "Search and selection of controller ID");
    const std::vector<ui::MenuItem> menu{
        {0x20, "Password(&P)..."}, {0, ""}, {0x10, "About(&A)..."}};
    f.SetSystemMenu(menu);
    f.EnableSystemMenuItem(0x20, false);
    EXPECT_FALSE(f.IsSystemMenuItemEnabled(0x20));
    EXPECT_TRUE(f.IsSystemMenuItemEnabled(0x10));
    EXPECT_FALSE(f.IsSystemMenuItemEnabled(0x30));
    EXPECT_TRUE(f.IsWindowVisible());
    f.SetWindowVisible(false);
    EXPECT_FALSE(f.IsWindowVisible());
}

TYPED_TEST(FormContractTest, FocusFollowsThePresenterAndLeavesDisabledControls) {
    ui::Form& f = this->form;
    f.SetFocus(kEdit);
    EXPECT_EQ(f.FocusedControl(), kEdit);
    f.MoveFocus(false);
    EXPECT_EQ(f.FocusedControl(), kSpeeds);
    f.MoveFocus(true);
    EXPECT_EQ(f.FocusedControl(), kEdit);
    f.SetEnabled(kEdit, false);
    EXPECT_EQ(f.FocusedControl(), kNoControl);
    f.SetFocus(kEdit);  // disabled: refused
    EXPECT_EQ(f.FocusedControl(), kNoControl);
    f.SetFocus(kDistance);
    f.SetWindowEnabled(false);
    EXPECT_EQ(f.FocusedControl(), kNoControl);
}

// Every getter answers an ID the form lacks, or a control of another kind, with a neutral
// value and no crash.
TYPED_TEST(FormContractTest, UnknownControlsAndWrongKindsAreNeutral) {
    ui::Form& f = this->form;
    for (ControlId id : {4242, kEdit}) {
        f.SetChecked(id, true);
        f.AddItem(id, "x");
        f.ListInsertRow(id, 0);
        f.ListSetCell(id, 0, 0, "x");
        f.SetRange(id, 0, 10);
        f.SetPosition(id, 5);
        f.SetStep(id, 3);
        EXPECT_FALSE(f.IsChecked(id));
        EXPECT_EQ(f.ItemCount(id), 0);
        EXPECT_EQ(f.ItemText(id, 0), "");
        EXPECT_EQ(f.CurrentItem(id), -1);
        EXPECT_EQ(f.FindItem(id, "x"), -1);
        EXPECT_EQ(f.ListRowCount(id), 0);
        EXPECT_EQ(f.ListCell(id, 0, 0), "");
        EXPECT_EQ(f.ListSelectedRow(id), -1);
        EXPECT_EQ(f.ListColumnAt(id, 0), ui::ListColumn{});
        EXPECT_EQ(f.GetRange(id), ui::Range{});
        EXPECT_EQ(f.Position(id), 0);
        EXPECT_EQ(f.Step(id), 0);
    }
    EXPECT_EQ(f.Text(4242), "");
    EXPECT_FALSE(f.IsEnabled(4242));
    EXPECT_FALSE(f.IsVisible(4242));
    EXPECT_EQ(f.GetColours(4242), ui::Colours{});
    EXPECT_EQ(f.Picture(4242), 0);
    EXPECT_EQ(f.ToolTip(4242), "");
    EXPECT_EQ(f.ListCell(kList, 5, 5), "");
    EXPECT_EQ(f.ListCellColours(kList, -1, 0), ui::Colours{});
    EXPECT_EQ(f.Text(kEdit), "0.000");
}

}  // namespace
}  // namespace tavro::test
