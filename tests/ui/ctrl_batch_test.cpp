#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <map>
#include <set>
#include <span>
#include <string>
#include <vector>

#include "tests/support/FakeForm.h"
#include "ui/CCtrlBatch.h"

namespace tavro::ui {
namespace {

using test::ControlDecl;
using test::FakeForm;
using ::testing::ElementsAre;
using ::testing::IsEmpty;

constexpr int kStep = 1;
constexpr int kPulse = 2;
constexpr const char* kPlaceholder = "template text";

// Every control the page rows name for `dialog`, as labels holding a template caption.
std::vector<ControlDecl> PageControls(int dialog) {
    std::vector<ControlDecl> decls;
    std::set<ControlId> seen;
    for (const CaptionRow& row : CCtrlBatch::PageRows()) {
        if (row.dialog == dialog && seen.insert(row.control).second) {
            decls.push_back({row.control, ControlKind::kLabel, kPlaceholder});
        }
    }
    return decls;
}

TEST(CaptionTables, FourPagesHave176RowsInTheirOrder) {
    const auto rows = CCtrlBatch::PageRows();
    ASSERT_EQ(rows.size(), 176U);
    std::vector<int> pages;
    for (const CaptionRow& row : rows) {
        if (pages.empty() || pages.back() != row.dialog) {
            pages.push_back(row.dialog);
        }
    }
    EXPECT_THAT(pages, ElementsAre(210, 211, 212, 213));
}

TEST(CaptionTables, EveryStringTheTablesNameExistsInBothLanguages) {
    std::vector<int> ids;
    for (const CaptionTable* table :
         {&CCtrlBatch::ComSelectTable(), &CCtrlBatch::IdSearchTable()}) {
        ids.push_back(table->header.caption);
        for (const CaptionRow& row : table->rows) {
            ids.push_back(row.textStep);
            ids.push_back(row.textPulse);
        }
    }
    for (const CaptionRow& row : CCtrlBatch::PageRows()) {
        ids.push_back(row.textStep);
        ids.push_back(row.textPulse);
    }
    for (const ComboRow& row : CCtrlBatch::ComboRows()) {
        ids.insert(ids.end(), row.ids.begin(), row.ids.begin() + row.count);
    }
    for (const StrokeChoice& choice : CCtrlBatch::StrokeChoices()) {
        ids.insert(ids.end(), choice.ids.begin(), choice.ids.begin() + choice.count);
    }
    for (const ListRow& list : CCtrlBatch::ListRows()) {
        for (const ListColumnRow& column : list.columns) {
            ids.push_back(column.heading);
            if (column.kind == kCellString) {
                for (const float id : column.initial) {
                    ids.push_back(static_cast<int>(id));
                }
            }
        }
    }
    std::erase(ids, 0);
    EXPECT_THAT(MissingStrings(ids), IsEmpty());
}

class PageCaptions : public ::testing::TestWithParam<Language> {};

TEST_P(PageCaptions, EveryCaptionIsTheStringOfItsIdAndOverwritesTheTemplate) {
    const StringTable strings(GetParam());
    for (const int type : {kStep, kPulse}) {
        for (const int dialog :
             {kTemplateIoPage, kTemplateBasicPage, kTemplateStepPage, kTemplateDrivePage}) {
            FakeForm form(PageControls(dialog), FormKind::kPage);
            CCtrlBatch::ApplyCaptions(CCtrlBatch::PageRows(), dialog, form, type, strings);
            EXPECT_THAT(form.Problems(), IsEmpty());
            // The last row of a control decides, as the rows are applied in order.
            std::map<ControlId, int> caption;
            for (const CaptionRow& row : CCtrlBatch::PageRows()) {
                const int text = type == kPulse ? row.textPulse : row.textStep;
                if (row.dialog == dialog && text != 0) {
                    caption[row.control] = text;
                }
            }
            for (const CaptionRow& row : CCtrlBatch::PageRows()) {
                if (row.dialog != dialog) {
                    continue;
                }
                const auto it = caption.find(row.control);
                const std::string expected =
                    it == caption.end() ? kPlaceholder : std::string(strings.Text(it->second));
                EXPECT_EQ(form.Text(row.control), expected)
                    << "page " << dialog << " control " << row.control << " type " << type;
            }
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Languages, PageCaptions,
                         ::testing::Values(Language::kEnglish, Language::kJapanese),
                         [](const auto& info) {
                             return info.param == Language::kJapanese ? "Japanese" : "English";
                         });

TEST(PageCaptions, PulseTypeTakesItsOwnCaption) {
    FakeForm form(PageControls(kTemplateBasicPage), FormKind::kPage);
    const StringTable strings(Language::kEnglish);
    CCtrlBatch::ApplyCaptions(CCtrlBatch::PageRows(), kTemplateBasicPage, form, kPulse, strings);
    EXPECT_EQ(form.Text(1531), "Pulse and Direction");
    CCtrlBatch::ApplyCaptions(CCtrlBatch::PageRows(), kTemplateBasicPage, form, kStep, strings);
    EXPECT_EQ(form.Text(1531), "Cycle Time Entry Method (Recommend)");
}

struct VisibilityCase {
    const char* name;
    int dialog;
    ControlId control;
    bool shownStep;
    bool shownPulse;
};

constexpr VisibilityCase kVisibilityCases[] = {
    {"QuadratureRadio", kTemplateBasicPage, 1533, false, true},
    {"PlsLabel", kTemplateIoPage, 1073, false, true},
    {"PlsLamp", kTemplateIoPage, 1428, false, true},
    {"PulseNote", kTemplateDrivePage, 1710, false, true},
    {"LockNote", kTemplateIoPage, 1427, false, false},
    {"InputMethodGroup", kTemplateBasicPage, 1552, true, true},
};

class CaptionVisibility : public ::testing::TestWithParam<VisibilityCase> {};

TEST_P(CaptionVisibility, FollowsTheTypeEachTimeTheTableIsApplied) {
    const VisibilityCase& c = GetParam();
    FakeForm form(PageControls(c.dialog), FormKind::kPage);
    const StringTable strings(Language::kEnglish);
    for (const int type : {kStep, kPulse, kStep, kPulse}) {
        CCtrlBatch::ApplyCaptions(CCtrlBatch::PageRows(), c.dialog, form, type, strings);
        EXPECT_EQ(form.IsVisible(c.control), type == kPulse ? c.shownPulse : c.shownStep)
            << "type " << type;
    }
}

INSTANTIATE_TEST_SUITE_P(Rows, CaptionVisibility, ::testing::ValuesIn(kVisibilityCases),
                         [](const auto& info) { return std::string(info.param.name); });

struct EnableCase {
    const char* name;
    int dialog;
    ControlId control;
    int linkState;
    int type;
    bool enabled;
};

constexpr EnableCase kEnableCases[] = {
    {"CommOfflineOnly", kTemplateIoPage, 1401, 1, kStep, true},
    {"CommNotOnline", kTemplateIoPage, 1401, 0, kStep, false},
    {"SetupOnline", kTemplateIoPage, 1400, 0, kStep, true},
    {"AreaEditNoPort", kTemplateIoPage, 1440, 2, kStep, false},
    {"OutputListNoPort", kTemplateIoPage, 1452, 2, kStep, true},
    {"OutputListBusy", kTemplateIoPage, 1452, 3, kStep, false},
    {"LabelBusy", kTemplateIoPage, 1047, 3, kPulse, true},
    {"GetPositionStep", kTemplateStepPage, 1604, 0, kStep, true},
    {"GetPositionPulse", kTemplateStepPage, 1604, 0, kPulse, false},
    {"GetPositionNoController", kTemplateStepPage, 1604, 1, kStep, false},
    {"UnsetTypeUsesStepMask", kTemplateStepPage, 1604, 0, 0, true},
    // 1100 stands twice; the second row's step-data mask 0 wins.
    {"LaterRowWinsStep", kTemplateDrivePage, 1100, 0, kStep, false},
    {"LaterRowWinsPulse", kTemplateDrivePage, 1100, 0, kPulse, true},
    {"TwiceListedBusyStep", kTemplateDrivePage, 1786, 3, kStep, true},
    {"TwiceListedPulse", kTemplateDrivePage, 1786, 0, kPulse, false},
    {"PowerOffNever", kTemplateDrivePage, 1784, 0, kStep, false},
    {"ModeSwitchMonitorMode", kTemplateDrivePage, 1035, 4, kStep, true},
    {"ModeSwitchOnline", kTemplateDrivePage, 1035, 0, kStep, false},
    {"UnknownLinkState", kTemplateIoPage, 1047, 7, kStep, false},
};

class EnableRule : public ::testing::TestWithParam<EnableCase> {};

TEST_P(EnableRule, StateFlagAndTypeMask) {
    const EnableCase& c = GetParam();
    FakeForm form(PageControls(c.dialog), FormKind::kPage);
    // Start from the opposite, so the rule must set the state itself.
    form.SetEnabled(c.control, !c.enabled);
    CCtrlBatch::ApplyEnables(CCtrlBatch::PageRows(), c.dialog, form, c.linkState, c.type);
    EXPECT_EQ(form.IsEnabled(c.control), c.enabled);
    EXPECT_THAT(form.Problems(), IsEmpty());
}

INSTANTIATE_TEST_SUITE_P(Rows, EnableRule, ::testing::ValuesIn(kEnableCases),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(EnableRule, RowsOfOtherPagesLeaveTheFormAlone) {
    // 1073 is a label of the I/O page and a group box of the Step page.
    FakeForm form({{1073, ControlKind::kGroupBox}}, FormKind::kPage);
    form.SetEnabled(1073, false);
    CCtrlBatch::ApplyEnables(CCtrlBatch::PageRows(), kTemplateBasicPage, form, 0, kStep);
    EXPECT_FALSE(form.IsEnabled(1073));
    CCtrlBatch::ApplyEnables(CCtrlBatch::PageRows(), kTemplateStepPage, form, 0, kStep);
    EXPECT_TRUE(form.IsEnabled(1073));
}

TEST(DialogCaptions, SearchDialogGetsTitleAndHidesItsHiddenControl) {
    FakeForm form({{3, ControlKind::kPushButton},
                   {1150, ControlKind::kLabel},
                   {1153, ControlKind::kLabel},
                   {1155, ControlKind::kCheckBox},
                   {1145, ControlKind::kLabel},
                   {1154, ControlKind::kLabel},
                   {1149, ControlKind::kLabel},
                   {1147, ControlKind::kLabel},
                   {1156, ControlKind::kLabel}});
    const StringTable strings(Language::kEnglish);
    CCtrlBatch::ApplyCaptions(CCtrlBatch::IdSearchTable(), form, kPulse, strings);
    EXPECT_EQ(form.Title(), strings.Text(260));
    EXPECT_EQ(form.Text(1147), strings.Text(275));
    EXPECT_EQ(form.Text(1155), "Quick search");
    EXPECT_FALSE(form.IsVisible(1156));
    EXPECT_TRUE(form.IsVisible(1150));
    EXPECT_THAT(form.Problems(), IsEmpty());
}

std::vector<std::string> Items(const FakeForm& form, ControlId id) {
    std::vector<std::string> items;
    for (int i = 0; i < form.ItemCount(id); ++i) {
        items.push_back(form.ItemText(id, i));
    }
    return items;
}

TEST(Combos, NumberedRowExpandsItsLastStringIntoFifteenItems) {
    FakeForm form({{1762, ControlKind::kDropDown}, {1771, ControlKind::kDropDown}},
                  FormKind::kPage);
    form.AddItem(1771, "stale");
    const StringTable strings(Language::kEnglish);
    CCtrlBatch::FillCombos(CCtrlBatch::ComboRows(), kTemplateDrivePage, form, strings);
    const std::vector<std::string> items = Items(form, 1771);
    ASSERT_EQ(items.size(), 17U);
    EXPECT_EQ(items[0], strings.Text(763));
    EXPECT_EQ(items[1], strings.Text(764));
    EXPECT_EQ(items[2], "Step Data No. 1");
    EXPECT_EQ(items[16], "Step Data No. 15");
    EXPECT_EQ(form.CurrentItem(1771), 0);
    EXPECT_EQ(form.ItemCount(1762), 16);
    EXPECT_EQ(form.ItemText(1762, 0), strings.Text(762));
}

TEST(Combos, PlainRowsReplaceTheItemsAndSelectTheFirst) {
    FakeForm form({{1450, ControlKind::kDropDown},
                   {1451, ControlKind::kDropDown},
                   {1452, ControlKind::kDropDown},
                   {1453, ControlKind::kDropDown}},
                  FormKind::kPage);
    const StringTable strings(Language::kEnglish);
    CCtrlBatch::FillCombos(CCtrlBatch::ComboRows(), kTemplateIoPage, form, strings);
    EXPECT_THAT(Items(form, 1450),
                ElementsAre("Unused", "BUSY", "INP", "INF", "INFP", "AREA A", "AREA B"));
    EXPECT_THAT(Items(form, 1451), ElementsAre("ALARM"));
    EXPECT_EQ(form.ItemCount(1453), 9);
    EXPECT_EQ(form.ItemText(1453, 8), "OVT");
    EXPECT_EQ(form.CurrentItem(1452), 0);
    // Filling again does not pile the items up.
    CCtrlBatch::FillCombos(CCtrlBatch::ComboRows(), kTemplateIoPage, form, strings);
    EXPECT_EQ(form.ItemCount(1450), 7);
}

TEST(Combos, StrokeChoicesPerSeriesIndex) {
    FakeForm form({{1512, ControlKind::kDropDown}}, FormKind::kPage);
    const StringTable strings(Language::kEnglish);
    const StrokeChoice& m = CCtrlBatch::StrokeChoiceFor(3);
    CCtrlBatch::FillComboItems(form, 1512,
                               std::span(m.ids.data(), static_cast<std::size_t>(m.count)), strings);
    EXPECT_THAT(Items(form, 1512), ElementsAre("Select", "50"));
    EXPECT_EQ(CCtrlBatch::StrokeChoiceFor(1).count, 4);
    EXPECT_EQ(&CCtrlBatch::StrokeChoiceFor(9), &CCtrlBatch::StrokeChoiceFor(0));
    EXPECT_EQ(&CCtrlBatch::StrokeChoiceFor(-1), &CCtrlBatch::StrokeChoiceFor(0));
}

struct CellCase {
    const char* name;
    int dialog;
    ControlId list;
    int type;
    int row;
    int column;
    const char* text;
};

constexpr CellCase kCellCases[] = {
    {"StepNumberFromOne", kTemplateStepPage, 1690, kStep, 14, 0, "15"},
    {"PulseNumberFromZero", kTemplateStepPage, 1690, kPulse, 3, 0, "3"},
    {"StepOperation", kTemplateStepPage, 1690, kStep, 0, 1, "Pos"},
    {"PulseOperation", kTemplateStepPage, 1690, kPulse, 0, 1, "Push"},
    {"Movement", kTemplateStepPage, 1690, kStep, 2, 2, "ABS"},
    {"Position", kTemplateStepPage, 1690, kStep, 0, 3, "0.000"},
    {"Time", kTemplateStepPage, 1690, kStep, 0, 4, "0.00"},
    {"Speed", kTemplateStepPage, 1690, kStep, 0, 5, "0"},
    {"Thrust", kTemplateStepPage, 1690, kStep, 0, 8, "1.0"},
    {"BrowseMass", kTemplateBrowser, 1030, kStep, 5, 9, "0"},
    {"ContinuousEmpty", kTemplateDrivePage, 1780, kStep, 0, 0, ""},
    {"ContinuousNumber", kTemplateDrivePage, 1780, kPulse, 19, 1, "20"},
    {"ContinuousStep", kTemplateDrivePage, 1780, kStep, 0, 2, "--------End--------"},
    {"ContinuousTime", kTemplateDrivePage, 1780, kStep, 0, 3, "-"},
    {"DetailPushingSpeed", kTemplateDetail, 1872, kStep, 0, 9, "6"},
    {"DetailInForce", kTemplateDetail, 1872, kStep, 0, 12, "0.7"},
    {"DetailAreaB", kTemplateDetail, 1872, kPulse, 3, 14, "0.000"},
    {"PidName", kTemplateDetail, 1874, kStep, 15, 0, "ORG"},
    {"PidKp", kTemplateDetail, 1874, kStep, 0, 1, "0.0"},
    {"PidTi", kTemplateDetail, 1874, kStep, 0, 2, "0.000"},
    {"PidTd", kTemplateDetail, 1874, kPulse, 4, 3, "0.0000"},
    {"PidSetUsed", kTemplateDetail, 1875, kStep, 0, 1, "Default"},
};

class ListBuilding : public ::testing::TestWithParam<CellCase> {};

FakeForm ListForm(int dialog) {
    std::vector<ControlDecl> decls;
    for (const ListRow& list : CCtrlBatch::ListRows()) {
        if (list.dialog == dialog) {
            decls.push_back({list.control, ControlKind::kList});
        }
    }
    return FakeForm(decls, FormKind::kPage);
}

TEST_P(ListBuilding, InitialCellTexts) {
    const CellCase& c = GetParam();
    FakeForm form = ListForm(c.dialog);
    CCtrlBatch::BuildLists(CCtrlBatch::ListRows(), c.dialog, form, c.type,
                           StringTable(Language::kEnglish));
    EXPECT_EQ(form.ListCell(c.list, c.row, c.column), c.text);
    EXPECT_THAT(form.Problems(), IsEmpty());
}

INSTANTIATE_TEST_SUITE_P(Cells, ListBuilding, ::testing::ValuesIn(kCellCases),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(ListBuilding, ColumnsRowsAndSelectionFollowTheType) {
    FakeForm form = ListForm(kTemplateStepPage);
    const StringTable strings(Language::kEnglish);
    form.ListAddColumn(1690, {10, "old", Align::kLeft});
    CCtrlBatch::BuildLists(CCtrlBatch::ListRows(), kTemplateStepPage, form, kStep, strings);
    ASSERT_EQ(form.ListColumnCount(1690), 10);
    EXPECT_EQ(form.ListColumnAt(1690, 0), (ListColumn{32, "No.", Align::kCentre}));
    EXPECT_EQ(form.ListColumnAt(1690, 8), (ListColumn{73, "Thrust    ", Align::kRight}));
    EXPECT_EQ(form.ListRowCount(1690), 15);
    EXPECT_EQ(form.ListSelectedRow(1690), 0);
    EXPECT_FALSE(form.ListHasCheckBoxes(1690));

    CCtrlBatch::BuildLists(CCtrlBatch::ListRows(), kTemplateStepPage, form, kPulse, strings);
    EXPECT_EQ(form.ListColumnCount(1690), 10);
    EXPECT_EQ(form.ListRowCount(1690), 4);
}

TEST(ListBuilding, ContinuousListHasCheckBoxes) {
    FakeForm form = ListForm(kTemplateDrivePage);
    CCtrlBatch::BuildLists(CCtrlBatch::ListRows(), kTemplateDrivePage, form, kStep,
                           StringTable(Language::kEnglish));
    EXPECT_TRUE(form.ListHasCheckBoxes(1780));
    EXPECT_EQ(form.ListRowCount(1780), 20);
}

TEST(NumberScales, ScaleFormatAndClamp) {
    EXPECT_EQ(CCtrlBatch::Scale(0), 1);
    EXPECT_EQ(CCtrlBatch::Scale(5), 100000);
    EXPECT_EQ(CCtrlBatch::Scale(9), 100000);
    EXPECT_EQ(CCtrlBatch::Scale(-1), 1);
    EXPECT_STREQ(CCtrlBatch::NumberFormat(3), "%.3f");
    EXPECT_EQ(CCtrlBatch::FormatScaled(12345.6, 3, 3), "12.346");
    EXPECT_EQ(CCtrlBatch::FormatScaled(7, 0, 1), "7.0");
}

}  // namespace
}  // namespace tavro::ui
