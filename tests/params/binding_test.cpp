#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <array>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "link/LinkContext.h"
#include "link/StatusBlock.h"
#include "link/VirtualLoop.h"
#include "params/CBinding.h"
#include "tests/support/FakeForm.h"

namespace tavro {
namespace {

using test::ControlDecl;
using test::FakeForm;
using ::testing::ElementsAre;
using ::testing::IsEmpty;
using ui::ControlId;
using ui::ControlKind;

constexpr int kController = 0;
constexpr int kEdit = 1;
constexpr int kStep = kControlTypeStep;
constexpr int kPulse = kControlTypePulse;
constexpr int kComboItems = 256;

// Controls of the views, as the tests touch them.
constexpr ControlId kIoInf = 1444;
constexpr ControlId kIoAreaA1 = 1440;
constexpr ControlId kIoBusy = 1450;
constexpr ControlId kIoOut0 = 1452;
constexpr ControlId kIoOut1 = 1453;
constexpr ControlId kIoOvc = 1445;
constexpr ControlId kBasicSeries = 1511;
constexpr ControlId kBasicStroke = 1514;
constexpr ControlId kBasicInputFirst = 1531;
constexpr ControlId kBasicInputLast = 1533;
constexpr ControlId kBasicOrigin = 1521;
constexpr ControlId kBasicOriginLast = 1523;
constexpr ControlId kStepPushing = 1661;
constexpr ControlId kStepPositioning = 1660;
constexpr ControlId kStepTarget = 1664;
constexpr ControlId kStepTime = 1665;
constexpr ControlId kStepMass = 1670;
constexpr ControlId kDetailOut0 = 1014;
constexpr ControlId kDetailBusy = 1006;
constexpr ControlId kDetailId = 1906;
constexpr ControlId kDetailInputFirst = 1888;
constexpr ControlId kDetailOffset = 1877;
constexpr ControlId kDetailCurrent = 1878;
constexpr ControlId kDetailLogicFirst = 1892;
constexpr ControlId kDetailLogicLast = 1893;
constexpr ControlId kDetailDirectionFirst = 1894;
constexpr ControlId kDetailDirectionLast = 1895;
constexpr ControlId kDetailPositioning = 1850;
constexpr ControlId kDetailPushing = 1851;
constexpr ControlId kDetailPushingSpeed = 1860;
constexpr ControlId kDetailKp = 1898;
constexpr ControlId kDetailTi = 1899;
constexpr ControlId kDetailTd = 1900;
constexpr ControlId kDetailPidSet = 1901;
constexpr ControlId kCommDelay = 1018;

std::vector<ControlDecl> ViewControls(int view) {
    std::vector<ControlDecl> decls;
    std::set<ControlId> lists;
    int group = 0;
    for (const BindingDescriptor& d : CBinding::Table(view)) {
        switch (d.kind) {
            case kBindEdit:
                decls.push_back({d.control, ControlKind::kEdit});
                break;
            case kBindList:
                decls.push_back({d.control, ControlKind::kDropDown});
                break;
            case kBindRadio:
                ++group;
                for (ControlId id = d.control; id <= d.lastControl; ++id) {
                    decls.push_back({id, ControlKind::kRadio, "", group});
                }
                break;
            default:
                break;
        }
        if (d.listControl != kNoList) {
            lists.insert(d.listControl);
        }
    }
    for (const ControlId list : lists) {
        decls.push_back({list, ControlKind::kList});
    }
    return decls;
}

// The main window's side: the views, and a record of every hook the engine called.
class Host : public BindingHost {
  public:
    std::array<ui::Form*, kViewCount> views{};
    std::vector<int> storedRows;
    std::vector<std::pair<int, float>> times;
    std::optional<StepListTexts> browser;
    std::vector<std::pair<bool, bool>> ioFlags;
    int basicRefreshes = 0;
    std::vector<int> detailRebuilds;
    bool detailDiffers = false;

    ui::Form* View(int view) override {
        return view >= 0 && view < kViewCount ? views[static_cast<std::size_t>(view)] : nullptr;
    }
    // Like the Step page: the row shown in the edit row goes into the list.
    void StoreStepRow(int row) override {
        storedRows.push_back(row);
        if (ui::Form* page = View(kViewStep)) {
            page->ListSetCell(kListStepPage, row, 3, page->Text(kStepTarget));
        }
    }
    void SetStepPositioningTime(int step, float time) override { times.emplace_back(step, time); }
    void CopyStepListToBrowser(const StepListTexts& texts) override { browser = texts; }
    void ApplyIoEditability(bool outputs, bool area) override {
        ioFlags.emplace_back(outputs, area);
    }
    void RefreshBasicPage() override { ++basicRefreshes; }
    bool RebuildDetailLists(int copy) override {
        detailRebuilds.push_back(copy);
        return detailDiffers;
    }
};

class Binding : public ::testing::Test {
  protected:
    void SetUp() override {
        for (const int view : {kViewIo, kViewBasic, kViewStep, kViewDetail, kViewCommSetup}) {
            auto form = std::make_unique<FakeForm>(ViewControls(view), ui::FormKind::kPage);
            for (const BindingDescriptor& d : CBinding::Table(view)) {
                if (d.kind == kBindList) {
                    for (int i = 0; i < kComboItems; ++i) {
                        form->AddItem(d.control, std::to_string(i));
                    }
                }
            }
            host.views[static_cast<std::size_t>(view)] = form.get();
            forms[static_cast<std::size_t>(view)] = std::move(form);
        }
        for (int column = 0; column < kStepListColumns; ++column) {
            Form(kViewStep).ListAddColumn(kListStepPage, {});
        }
        for (int row = 0; row < kStepListRows; ++row) {
            Form(kViewStep).ListInsertRow(kListStepPage, -1);
        }
    }
    // A binding row that a view cannot take fails the test.
    void TearDown() override {
        for (std::size_t view = 0; view < forms.size(); ++view) {
            if (forms[view]) {
                forms[view]->FailOnProblems("view " + std::to_string(view));
            }
        }
    }

    FakeForm& Form(int view) { return *forms[static_cast<std::size_t>(view)]; }
    void SetBoth(int group, int parameter, float value) {
        ctx.image.SetCell(group, parameter, value, kController);
        ctx.image.SetCell(group, parameter, value, kEdit);
    }
    float Edit(int group, int parameter) { return ctx.image.GetCell(group, parameter, kEdit); }
    void MakeIoEditable() {
        ctx.status.flags |= kFlagDetailRead;
        binding.UpdateIoEditability();
    }

    VirtualLoop loop;
    LinkContext ctx{loop, ""};
    Host host;
    CBinding binding{ctx, host};
    std::array<std::unique_ptr<FakeForm>, kViewCount> forms;
};

TEST_F(Binding, TablesHaveTheirSizes) {
    EXPECT_EQ(CBinding::Table(kViewIo).size(), 11U);
    EXPECT_EQ(CBinding::Table(kViewBasic).size(), 5U);
    EXPECT_EQ(CBinding::Table(kViewStep).size(), 9U);
    EXPECT_EQ(CBinding::Table(kViewMonitor).size(), 0U);
    EXPECT_EQ(CBinding::Table(kViewDetail).size(), 40U);
    EXPECT_EQ(CBinding::Table(kViewCommSetup).size(), 3U);
}

TEST_F(Binding, TypedValueIsStoredUnroundedAndShownWithItsDecimals) {
    binding.DisplayView(kViewDetail, kNoList, 0, kController);
    Form(kViewDetail).SetText(kDetailOffset, "12.3456");
    EXPECT_TRUE(binding.CollectView(kViewDetail, kNoList, 0));
    EXPECT_EQ(Edit(0, 11), 12345.6F);
    EXPECT_EQ(ctx.image.GetCell(0, 11, kController), 0.0F);
    Form(kViewDetail).SetText(kDetailOffset, "");
    EXPECT_TRUE(binding.DisplayView(kViewDetail, kNoList, 0, kEdit));
    EXPECT_EQ(Form(kViewDetail).Text(kDetailOffset), "12.346");
}

struct EditCase {
    const char* name;
    int view;
    ControlId list;
    int row;
    ControlId control;
    const char* text;
    int group;
    int parameter;
    float stored;
};

constexpr EditCase kEditCases[] = {
    {"EmptyCurrent", kViewDetail, kNoList, 0, kDetailCurrent, "", 0, 19, 0.0F},
    {"EmptyStepTime", kViewStep, kListStepPage, 4, kStepTime, "", 7, 1, 0.0F},
    {"EmptyDelay", kViewCommSetup, kNoList, 0, kCommDelay, "", 0, 24, 0.0F},
    {"EmptyOvc", kViewIo, kNoList, 0, kIoOvc, "", 0, 19, 0.0F},
    {"Letters", kViewDetail, kNoList, 0, kDetailCurrent, "abc", 0, 19, 0.0F},
    {"OverflowingFloat", kViewDetail, kNoList, 0, kDetailOffset, "1e40", 0, 11, 0.0F},
    {"Infinity", kViewCommSetup, kNoList, 0, kCommDelay, "inf", 0, 24, 0.0F},
    {"TrailingText", kViewCommSetup, kNoList, 0, kCommDelay, "2.5ms", 0, 24, 2.5F},
    {"PositionInMicrometres", kViewStep, kListStepPage, 14, kStepTarget, "-3.25", 17, 0, -3250.0F},
    {"PidOriginTd", kViewDetail, kListPid, 0, kDetailTd, "0.0001", 1, 15, 0.0001F},
    {"PidSetThreeTi", kViewDetail, kListPid, 3, kDetailTi, "2.5", 2, 19, 2.5F},
    {"PidLastSetTd", kViewDetail, kListPid, 15, kDetailTd, "0.5", 2, 56, 0.5F},
    {"PidFirstSetKp", kViewDetail, kListPid, 1, kDetailKp, "40", 2, 12, 40.0F},
};

class BindingEdits : public Binding, public ::testing::WithParamInterface<EditCase> {};

TEST_P(BindingEdits, TextCollectsIntoItsCell) {
    const EditCase& c = GetParam();
    MakeIoEditable();
    ctx.image.SetCell(c.group, c.parameter, 5.0F, kEdit);
    Form(c.view).SetText(c.control, c.text);
    binding.CollectView(c.view, c.list, c.row);
    EXPECT_EQ(Edit(c.group, c.parameter), c.stored);
    EXPECT_THAT(Form(c.view).Problems(), IsEmpty());
}

INSTANTIATE_TEST_SUITE_P(Cases, BindingEdits, ::testing::ValuesIn(kEditCases),
                         [](const auto& info) { return std::string(info.param.name); });

struct ShowCase {
    const char* name;
    int type;
    int view;
    ControlId control;
    int group;
    int parameter;
    float value;
    int index;
};

constexpr ShowCase kShowCases[] = {
    {"SeriesWithoutPair", kStep, kViewBasic, kBasicSeries, 0, 1, 7.0F, 0},
    {"SeriesF", kStep, kViewBasic, kBasicSeries, 0, 1, 1.0F, 2},
    {"StrokeFifty", kStep, kViewBasic, kBasicStroke, 0, 0, 50.0F, 4},
    {"StrokeWithoutPair", kStep, kViewBasic, kBasicStroke, 0, 0, 25.0F, 0},
    {"OutputWithoutPair", kStep, kViewDetail, kDetailOut0, 0, 8, 42.0F, 0},
    {"OutputPositionStepType", kStep, kViewDetail, kDetailOut0, 0, 8, 10.0F, 9},
    {"OutputPositionPulseType", kPulse, kViewDetail, kDetailOut0, 0, 8, 10.0F, 10},
    {"OutputDeviationStepType", kStep, kViewDetail, kDetailOut0, 0, 8, 9.0F, 0},
    {"MassWithoutPair", kStep, kViewStep, kStepMass, 3, 7, 75.0F, 0},
    {"MassThousand", kStep, kViewStep, kStepMass, 3, 7, 1000.0F, 20},
    {"IoListIsTheCode", kStep, kViewIo, kIoOut1, 0, 9, 6.0F, 6},
    {"IoCodeBeyondTheItems", kStep, kViewIo, kIoBusy, 0, 6, 255.0F + kComboItems, -1},
    {"ControllerIdOne", kStep, kViewDetail, kDetailId, 0, 3, 1.0F, 0},
    {"ControllerIdZero", kStep, kViewDetail, kDetailId, 0, 3, 0.0F, -1},
};

class BindingLists : public Binding, public ::testing::WithParamInterface<ShowCase> {};

TEST_P(BindingLists, ValueShowsAsIndex) {
    const ShowCase& c = GetParam();
    ctx.status.controlType = c.type;
    SetBoth(c.group, c.parameter, c.value);
    binding.DisplayView(c.view, kNoList, 0, kEdit);
    EXPECT_EQ(Form(c.view).CurrentItem(c.control), c.index);
}

INSTANTIATE_TEST_SUITE_P(Cases, BindingLists, ::testing::ValuesIn(kShowCases),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(Binding, ListCollectsThePairedValue) {
    Form(kViewBasic).SetCurrentItem(kBasicSeries, 1);
    Form(kViewBasic).SetCurrentItem(kBasicStroke, 3);
    Form(kViewBasic).CheckRadio(kBasicInputFirst, kBasicInputLast, kBasicInputFirst + 1);
    binding.CollectView(kViewBasic, kNoList, 0);
    EXPECT_EQ(Edit(0, 1), 2.0F);
    EXPECT_EQ(Edit(0, 0), 30.0F);
    EXPECT_EQ(Edit(0, 2), 1.0F);
    // The edited model reaches the status block's second copies.
    EXPECT_EQ(ctx.status.series[1], 2);
    EXPECT_EQ(ctx.status.seriesScale[1], 3000);
    EXPECT_EQ(ctx.status.stroke[1], 30);
    EXPECT_EQ(ctx.status.thrustLimit[1], 3.9F);
    EXPECT_EQ(ctx.status.stepInputMethod[1], 1);
    EXPECT_EQ(ctx.status.series[0], 0);
}

TEST_F(Binding, PulseInputModeGoesToItsOwnCellThroughItsList) {
    ctx.status.controlType = kPulse;
    ctx.status.stepInputMethod[1] = 1;
    for (const auto& [radio, mode] : {std::pair{0, 1.0F}, {1, 2.0F}, {2, 0.0F}}) {
        Form(kViewBasic).CheckRadio(kBasicInputFirst, kBasicInputLast, kBasicInputFirst + radio);
        binding.CollectView(kViewBasic, kNoList, 0);
        EXPECT_EQ(Edit(0, 13), mode) << "radio " << radio;
    }
    EXPECT_EQ(Edit(0, 2), 0.0F);
    EXPECT_EQ(ctx.status.stepInputMethod[1], 1);
    SetBoth(0, 13, 0.0F);
    binding.DisplayView(kViewBasic, kNoList, 0, kEdit);
    EXPECT_EQ(Form(kViewBasic).CheckedRadio(kBasicInputFirst, kBasicInputLast), kBasicInputLast);
}

TEST_F(Binding, NothingSelectedCollectsAsTheSpecialIndex) {
    Form(kViewDetail).SetCurrentItem(kDetailBusy, -1);
    Form(kViewDetail).SetCurrentItem(kDetailId, -1);
    Form(kViewBasic).CheckRadio(kBasicOrigin, kBasicOriginLast, ui::kNoControl);
    SetBoth(1, 0, 2.0F);
    binding.CollectView(kViewDetail, kNoList, 0);
    binding.CollectView(kViewBasic, kNoList, 0);
    EXPECT_EQ(Edit(0, 6), -1.0F);
    EXPECT_EQ(Edit(0, 3), 0.0F);
    EXPECT_EQ(Edit(1, 0), 0.0F);
}

TEST_F(Binding, RadioValueOutsideTheGroupChecksNone) {
    SetBoth(1, 0, 7.0F);
    Form(kViewBasic).CheckRadio(kBasicOrigin, kBasicOriginLast, kBasicOrigin);
    binding.DisplayView(kViewBasic, kNoList, 0, kEdit);
    EXPECT_EQ(Form(kViewBasic).CheckedRadio(kBasicOrigin, kBasicOriginLast), ui::kNoControl);
    SetBoth(1, 0, 2.0F);
    binding.DisplayView(kViewBasic, kNoList, 0, kEdit);
    EXPECT_EQ(Form(kViewBasic).CheckedRadio(kBasicOrigin, kBasicOriginLast), kBasicOriginLast);
}

TEST_F(Binding, LogicAndDirectionShareOneWord) {
    FakeForm& dlg = Form(kViewDetail);
    binding.DisplayView(kViewDetail, kNoList, 0, kController);
    dlg.CheckRadio(kDetailLogicFirst, kDetailLogicLast, kDetailLogicLast);
    dlg.CheckRadio(kDetailDirectionFirst, kDetailDirectionLast, kDetailDirectionLast);
    binding.CollectView(kViewDetail, kNoList, 0);
    EXPECT_EQ(Edit(0, 14), 3.0F);
    EXPECT_EQ(binding.State().logicLatch, 0);

    dlg.CheckRadio(kDetailLogicFirst, kDetailLogicLast, kDetailLogicFirst);
    binding.CollectView(kViewDetail, kNoList, 0);
    EXPECT_EQ(Edit(0, 14), 2.0F);

    SetBoth(0, 14, 1.0F);
    binding.DisplayView(kViewDetail, kNoList, 0, kEdit);
    EXPECT_EQ(dlg.CheckedRadio(kDetailLogicFirst, kDetailLogicLast), kDetailLogicLast);
    EXPECT_EQ(dlg.CheckedRadio(kDetailDirectionFirst, kDetailDirectionLast), kDetailDirectionFirst);
}

TEST_F(Binding, StepTypeOperationRadioWritesTheWholeWord) {
    FakeForm& page = Form(kViewStep);
    SetBoth(5, 5, 32780.0F);  // pushing, pushing speed 12
    binding.DisplayView(kViewStep, kListStepPage, 2, kEdit);
    EXPECT_TRUE(page.IsChecked(kStepPushing));
    // Shown and collected unchanged, the word keeps its pushing speed.
    EXPECT_FALSE(binding.CollectView(kViewStep, kListStepPage, 2));
    EXPECT_EQ(Edit(5, 5), 32780.0F);
    page.CheckRadio(kStepPositioning, kStepPushing, kStepPositioning);
    binding.CollectView(kViewStep, kListStepPage, 2);
    EXPECT_EQ(Edit(5, 5), 6.0F);
    // Back to what the controller holds: its own word again, not the page's 32774.
    page.CheckRadio(kStepPositioning, kStepPushing, kStepPushing);
    EXPECT_FALSE(binding.CollectView(kViewStep, kListStepPage, 2));
    EXPECT_EQ(Edit(5, 5), 32780.0F);
}

TEST_F(Binding, OpenDetailDialogOwnsTheOperationWord) {
    ctx.status.detailOpen = 1;
    SetBoth(5, 5, 32780.0F);
    Form(kViewStep).CheckRadio(kStepPositioning, kStepPushing, kStepPositioning);
    Form(kViewStep).SetText(kStepTarget, "4");
    EXPECT_TRUE(binding.CollectView(kViewStep, kListStepPage, 2));
    EXPECT_EQ(Edit(5, 5), 32780.0F);
    EXPECT_EQ(Edit(5, 0), 4000.0F);
}

TEST_F(Binding, PulseTypeStepPageLeavesTheOperationWordAlone) {
    ctx.status.controlType = kPulse;
    ctx.image.SetCell(5, 5, 32780.0F, kController);
    ctx.image.SetCell(5, 5, 100.0F, kEdit);
    // The page cannot show the word in pulse type, so collecting it changes nothing there:
    // neither the radio nor a redisplay turns an edit (from a file, say) back.
    Form(kViewStep).CheckRadio(kStepPositioning, kStepPushing, kStepPushing);
    binding.CollectView(kViewStep, kListStepPage, 2);
    EXPECT_EQ(Edit(5, 5), 100.0F);
    // Pulse type always shows Positioning.
    binding.DisplayView(kViewStep, kListStepPage, 2, kEdit);
    EXPECT_TRUE(Form(kViewStep).IsChecked(kStepPositioning));
}

struct PushingCase {
    const char* name;
    int type;
    ControlId operation;
    const char* speed;
    float word;
};

constexpr PushingCase kPushingCases[] = {
    {"StepPushing", kStep, kDetailPushing, "15", 32768.0F + 15},
    {"StepPositioning", kStep, kDetailPositioning, "15", 15.0F},
    {"PulsePushing", kPulse, kDetailPushing, "9", 32768.0F + 9},
    {"PulsePositioning", kPulse, kDetailPositioning, "9.7", 9.0F},
};

class DetailPushingSpeed : public Binding, public ::testing::WithParamInterface<PushingCase> {};

TEST_P(DetailPushingSpeed, FollowsTheOperationRadio) {
    const PushingCase& c = GetParam();
    ctx.status.controlType = c.type;
    ctx.image.SetCell(4, 5, 6.0F, kController);
    Form(kViewDetail).CheckRadio(kDetailPositioning, kDetailPushing, c.operation);
    Form(kViewDetail).SetText(kDetailPushingSpeed, c.speed);
    binding.CollectView(kViewDetail, kListDetailSteps, 1);
    EXPECT_EQ(Edit(4, 5), c.word);
    EXPECT_EQ(binding.State().operationLatch, 0);
}

INSTANTIATE_TEST_SUITE_P(Cases, DetailPushingSpeed, ::testing::ValuesIn(kPushingCases),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(Binding, DetailShowsPushingSpeedWithoutTheBit) {
    SetBoth(4, 5, 32768.0F + 12);
    binding.DisplayView(kViewDetail, kListDetailSteps, 1, kEdit);
    EXPECT_EQ(Form(kViewDetail).Text(kDetailPushingSpeed), "12");
    EXPECT_TRUE(Form(kViewDetail).IsChecked(kDetailPushing));
    ctx.status.controlType = kPulse;
    binding.DisplayView(kViewDetail, kListDetailSteps, 1, kEdit);
    EXPECT_EQ(Form(kViewDetail).Text(kDetailPushingSpeed), "32780");
    EXPECT_TRUE(Form(kViewDetail).IsChecked(kDetailPositioning));
}

struct OutputsCase {
    const char* name;
    float out0;
    float out1;
    bool editable;
};

constexpr OutputsCase kOutputsCases[] = {
    {"Listed", 8.0F, 0.0F, true},         {"Out0Deviation", 9.0F, 0.0F, false},
    {"Out0Position", 10.0F, 1.0F, false}, {"Out1Position", 2.0F, 10.0F, false},
    {"NoEntryCode", 255.0F, 3.0F, false}, {"Negative", -1.0F, 3.0F, false},
};

class IoOutputs : public Binding, public ::testing::WithParamInterface<OutputsCase> {};

TEST_P(IoOutputs, LockedFunctionsAreNotCollected) {
    const OutputsCase& c = GetParam();
    SetBoth(0, 6, 1.0F);
    SetBoth(0, 8, c.out0);
    SetBoth(0, 9, c.out1);
    binding.UpdateIoEditability();
    EXPECT_EQ(binding.State().ioOutputsEditable, c.editable);
    ASSERT_FALSE(host.ioFlags.empty());
    EXPECT_EQ(host.ioFlags.back().first, c.editable);
    for (const ControlId list : {kIoBusy, kIoOut0, kIoOut1}) {
        Form(kViewIo).SetCurrentItem(list, 4);
    }
    Form(kViewIo).SetText(kIoOvc, "2.5");
    binding.CollectView(kViewIo, kNoList, 0);
    EXPECT_EQ(Edit(0, 6), c.editable ? 4.0F : 1.0F);
    EXPECT_EQ(Edit(0, 8), c.editable ? 4.0F : c.out0);
    EXPECT_EQ(Edit(0, 9), c.editable ? 4.0F : c.out1);
    EXPECT_EQ(Edit(0, 19), 2.5F);
}

INSTANTIATE_TEST_SUITE_P(Cases, IoOutputs, ::testing::ValuesIn(kOutputsCases),
                         [](const auto& info) { return std::string(info.param.name); });

struct AreaCase {
    const char* name;
    int type;
    bool detailRead;
    int differingGroup;  // 0: every step agrees
    bool editable;
};

constexpr AreaCase kAreaCases[] = {
    {"BeforeDetailUpload", kStep, false, 0, false},
    {"AllStepsAgree", kStep, true, 0, true},
    {"LastStepDiffers", kStep, true, 17, false},
    {"PulseLastPointDiffers", kPulse, true, 6, false},
    {"PulseIgnoresUnusedSteps", kPulse, true, 10, true},
};

class IoArea : public Binding, public ::testing::WithParamInterface<AreaCase> {};

TEST_P(IoArea, AreaAndInfAreCollectedOnlyWhenCommonToAllSteps) {
    const AreaCase& c = GetParam();
    ctx.status.controlType = c.type;
    if (c.detailRead) {
        ctx.status.flags |= kFlagDetailRead;
    }
    if (c.differingGroup != 0) {
        ctx.image.SetCell(c.differingGroup, 12, 500.0F, kController);
    }
    binding.UpdateIoEditability();
    EXPECT_EQ(binding.State().ioAreaEditable, c.editable);
    Form(kViewIo).SetText(kIoAreaA1, "1.5");
    Form(kViewIo).SetText(kIoInf, "2.0");
    binding.CollectView(kViewIo, kNoList, 0);
    EXPECT_EQ(Edit(3, 11), c.editable ? 1500.0F : 0.0F);
    EXPECT_EQ(Edit(3, 9), c.editable ? 2.0F : 0.7F);
}

INSTANTIATE_TEST_SUITE_P(Cases, IoArea, ::testing::ValuesIn(kAreaCases),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(Binding, IoAreaFollowsEachOfTheCommonParameters) {
    ctx.status.flags |= kFlagDetailRead;
    for (const int p : {9, 11, 12, 13, 14}) {
        SetBoth(9, p, 3.0F);
        binding.UpdateIoEditability();
        EXPECT_FALSE(binding.State().ioAreaEditable) << "parameter " << p;
        SetBoth(9, p, ctx.image.GetCell(3, p, kController));
    }
    SetBoth(9, 10, 3.0F);  // the in-position range is not shown on the I/O page
    binding.UpdateIoEditability();
    EXPECT_TRUE(binding.State().ioAreaEditable);
}

struct RoundTripCase {
    const char* name;
    int type;
    int view;
    ControlId list;
    int row;
};

constexpr RoundTripCase kRoundTripCases[] = {
    {"IoStep", kStep, kViewIo, kNoList, 0},
    {"BasicStep", kStep, kViewBasic, kNoList, 0},
    {"BasicPulse", kPulse, kViewBasic, kNoList, 0},
    {"StepRowPulse", kPulse, kViewStep, kListStepPage, 3},
    {"StepRowStep", kStep, kViewStep, kListStepPage, 9},
    {"DetailPlainStep", kStep, kViewDetail, kNoList, 0},
    {"DetailPlainPulse", kPulse, kViewDetail, kNoList, 0},
    {"DetailStepRowStep", kStep, kViewDetail, kListDetailSteps, 6},
    {"DetailStepRowPulse", kPulse, kViewDetail, kListDetailSteps, 2},
    {"DetailPidOrigin", kStep, kViewDetail, kListPid, 0},
    {"DetailPidSet", kStep, kViewDetail, kListPid, 7},
    {"CommSetup", kStep, kViewCommSetup, kNoList, 0},
};

class RoundTrip : public Binding, public ::testing::WithParamInterface<RoundTripCase> {};

TEST_P(RoundTrip, DisplayedValuesCollectUnchanged) {
    const RoundTripCase& c = GetParam();
    ctx.status.controlType = c.type;
    MakeIoEditable();
    // Values away from the initial contents, each one its view can show.
    SetBoth(0, 0, 30.0F);
    SetBoth(0, 1, 1.0F);
    SetBoth(0, 2, 1.0F);
    SetBoth(0, 3, 17.0F);
    SetBoth(0, 6, 5.0F);
    SetBoth(0, 8, 10.0F);
    SetBoth(0, 10, 90.0F);
    SetBoth(0, 11, 250.0F);
    SetBoth(0, 13, 2.0F);
    SetBoth(0, 14, 2.0F);
    SetBoth(0, 19, 2.5F);
    SetBoth(0, 22, 5.0F);
    SetBoth(0, 24, 1.5F);
    SetBoth(1, 0, 2.0F);
    SetBoth(2, 31, 0.125F);
    for (int g = 3; g <= 17; ++g) {
        SetBoth(g, 0, 12345.0F);
        SetBoth(g, 1, 1.25F);
        SetBoth(g, 5, 32768.0F + 11);
        SetBoth(g, 7, 350.0F);
        SetBoth(g, 8, 1.0F);
        SetBoth(g, 11, 500.0F);
    }
    if (c.view == kViewStep) {
        // The Step page has no pushing-speed field and writes 6 with the pushing bit.
        SetBoth(3 + c.row, 5, c.type == kPulse ? 32779.0F : 32774.0F);
    }
    binding.DisplayView(c.view, c.list, c.row, kEdit);
    EXPECT_FALSE(binding.CollectView(c.view, c.list, c.row));
    EXPECT_FALSE(binding.CompareView(c.view, c.list, c.row));
    EXPECT_THAT(Form(c.view).Problems(), IsEmpty());
}

INSTANTIATE_TEST_SUITE_P(Cases, RoundTrip, ::testing::ValuesIn(kRoundTripCases),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(Binding, CompareIgnoresDifferencesBelowFourDecimals) {
    ctx.image.SetCell(0, 24, 1.5F, kController);
    ctx.image.SetCell(0, 24, 1.50001F, kEdit);
    EXPECT_TRUE(binding.DisplayView(kViewCommSetup, kNoList, 0, kEdit));
    EXPECT_FALSE(binding.CompareView(kViewCommSetup, kNoList, 0));
    ctx.image.SetCell(0, 24, 1.5001F, kEdit);
    EXPECT_TRUE(binding.CompareView(kViewCommSetup, kNoList, 0));
}

TEST_F(Binding, ScopeOfPlainAndListPasses) {
    // A plain display shows list-bound controls at row 0; a plain collect leaves them alone.
    SetBoth(3, 0, 1000.0F);
    SetBoth(5, 0, 3000.0F);
    binding.DisplayView(kViewStep, kNoList, 0, kEdit);
    EXPECT_EQ(Form(kViewStep).Text(kStepTarget), "1.000");
    Form(kViewStep).SetText(kStepTarget, "9");
    EXPECT_FALSE(binding.CollectView(kViewStep, kNoList, 0));
    EXPECT_EQ(Edit(3, 0), 1000.0F);
    // A difference outside the row shown does not count for that row.
    ctx.image.SetCell(5, 0, 1.0F, kEdit);
    EXPECT_FALSE(binding.DisplayView(kViewStep, kListStepPage, 0, kEdit));
    EXPECT_TRUE(binding.DisplayView(kViewStep, kListStepPage, 2, kEdit));
}

TEST_F(Binding, PidSetRowsUseTheAssignmentCells) {
    Form(kViewDetail).SetCurrentItem(kDetailPidSet, 3);
    binding.CollectView(kViewDetail, kListPidSets, 5);
    EXPECT_EQ(Edit(7, 15), 3.0F);
    Form(kViewDetail).SetCurrentItem(kDetailPidSet, 1);
    binding.CollectView(kViewDetail, kListPidSets, 0);
    EXPECT_EQ(Edit(1, 17), 1.0F);
    // The PID gains beside them stay as they were.
    EXPECT_EQ(Edit(2, 17), 0.0001F);
    EXPECT_EQ(Edit(2, 16), 0.001F);
}

struct BadRowCase {
    const char* name;
    ControlId list;
    int row;
};

constexpr BadRowCase kBadRows[] = {
    {"StepNegative", kListDetailSteps, -1}, {"StepJogGroup", kListDetailSteps, 15},
    {"StepFar", kListDetailSteps, 1000},    {"PidBeyond", kListPid, 16},
    {"PidSetBeyond", kListPidSets, 16},
};

class BindingBadRow : public Binding, public ::testing::WithParamInterface<BadRowCase> {};

TEST_P(BindingBadRow, RowOutsideTheListTouchesNothing) {
    const BadRowCase& c = GetParam();
    FakeForm& dlg = Form(kViewDetail);
    for (const ControlId id : {1854, 1855, 1856, kDetailKp, kDetailTi, kDetailTd}) {
        dlg.SetText(id, "7");
    }
    dlg.SetCurrentItem(kDetailPidSet, 4);
    EXPECT_FALSE(binding.CollectView(kViewDetail, c.list, c.row));
    for (int g = 0; g < ParameterImage::kGroupCount; ++g) {
        for (int p = 0; p < ParameterImage::CellCount(g); ++p) {
            ASSERT_FALSE(ctx.image.IsModified(g, p)) << g << "/" << p;
        }
    }
    EXPECT_FALSE(binding.DisplayView(kViewDetail, c.list, c.row, kEdit));
    EXPECT_EQ(dlg.Text(kDetailKp), "7");
}

INSTANTIATE_TEST_SUITE_P(Cases, BindingBadRow, ::testing::ValuesIn(kBadRows),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(Binding, MissingViewCollectsNothingButDisplayStillCompares) {
    host.views[kViewCommSetup] = nullptr;
    ctx.image.SetCell(0, 24, 3.0F, kEdit);
    EXPECT_FALSE(binding.CollectView(kViewCommSetup, kNoList, 0));
    EXPECT_EQ(Edit(0, 24), 3.0F);
    EXPECT_TRUE(binding.DisplayView(kViewCommSetup, kNoList, 0, kEdit));
    EXPECT_TRUE(binding.CompareView(kViewCommSetup, kNoList, 0));
}

TEST_F(Binding, StepListIsFilledFromTheLastRowDown) {
    for (int n = 0; n < 15; ++n) {
        SetBoth(3 + n, 0, 1000.0F * static_cast<float>(n));
        SetBoth(3 + n, 1, 0.5F + static_cast<float>(n));
    }
    ctx.image.SetCell(9, 1, 99.0F, kEdit);
    EXPECT_TRUE(binding.DisplayLists(kViewStep, kEdit));
    ASSERT_EQ(host.storedRows.size(), 15U);
    EXPECT_EQ(host.storedRows.front(), 14);
    EXPECT_EQ(host.storedRows.back(), 0);
    ASSERT_EQ(host.times.size(), 15U);
    EXPECT_EQ(host.times[14 - 6], (std::pair{6, 6.5F}));  // the controller copy
    ASSERT_TRUE(host.browser.has_value());
    EXPECT_EQ((*host.browser)[4][3], "4.000");
    EXPECT_EQ((*host.browser)[0][3], "0.000");
    // The edit row ends holding step 0.
    EXPECT_EQ(Form(kViewStep).Text(kStepTarget), "0.000");
}

TEST_F(Binding, PulseStepListHasFourRows) {
    ctx.status.controlType = kPulse;
    EXPECT_FALSE(binding.DisplayLists(kViewStep, kController));
    EXPECT_THAT(host.storedRows, ElementsAre(3, 2, 1, 0));
}

TEST_F(Binding, DetailListsShowPlainControlsAndLetTheDialogRebuild) {
    SetBoth(0, 19, 2.5F);
    EXPECT_FALSE(binding.DisplayLists(kViewDetail, kController));
    EXPECT_EQ(Form(kViewDetail).Text(kDetailCurrent), "2.5");
    EXPECT_THAT(host.detailRebuilds, ElementsAre(kController));
    host.detailDiffers = true;
    EXPECT_TRUE(binding.DisplayLists(kViewDetail, kEdit));
    EXPECT_FALSE(binding.DisplayLists(kViewMonitor, kEdit));
}

struct RedisplayCase {
    const char* name;
    int what;
    bool showsIo;
    bool showsComm;
    bool listsShown;
};

constexpr RedisplayCase kRedisplayCases[] = {
    {"Io", kViewIo, true, false, false},      {"Comm", kViewCommSetup, false, true, false},
    {"Steps", kViewStep, false, false, true}, {"Detail", kViewDetail, false, false, true},
    {"All", kRedisplayAll, true, true, true},
};

class Redisplay : public Binding, public ::testing::WithParamInterface<RedisplayCase> {};

TEST_P(Redisplay, ViewsThenEditabilityAndBasicRefresh) {
    const RedisplayCase& c = GetParam();
    SetBoth(0, 19, 2.5F);
    SetBoth(0, 24, 1.5F);
    ctx.image.SetCell(3, 1, 4.0F, kEdit);
    const bool result = binding.RedisplayViews(c.what, kController);
    EXPECT_EQ(result, c.listsShown);
    EXPECT_EQ(Form(kViewIo).Text(kIoOvc), c.showsIo ? "2.5" : "");
    EXPECT_EQ(Form(kViewCommSetup).Text(kCommDelay), c.showsComm ? "1.5" : "");
    EXPECT_EQ(host.storedRows.size(), c.listsShown ? 15U : 0U);
    EXPECT_EQ(host.detailRebuilds.size(), c.listsShown ? 1U : 0U);
    EXPECT_EQ(host.ioFlags.size(), 1U);
    EXPECT_EQ(host.basicRefreshes, 1);
}

INSTANTIATE_TEST_SUITE_P(Cases, Redisplay, ::testing::ValuesIn(kRedisplayCases),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(Binding, RedisplayOfAnUnknownGroupDoesNothing) {
    EXPECT_FALSE(binding.RedisplayViews(kViewMonitor, kController));
    EXPECT_FALSE(binding.RedisplayViews(7, kController));
    EXPECT_TRUE(host.ioFlags.empty());
    EXPECT_EQ(host.basicRefreshes, 0);
}

struct LookupCase {
    const char* name;
    int type;
    ControlId control;
    float number;
    int direction;
    float result;
};

constexpr LookupCase kLookupCases[] = {
    {"SeriesIndexToCode", kStep, 1883, 2, 0, 1},
    {"SeriesCodeToIndex", kStep, 1883, 2, 1, 1},
    {"StrokeToIndex", kStep, 1908, 50, 1, 4},
    {"PositionStepType", kStep, kDetailOut0, 10, 1, 9},
    {"PositionPulseType", kPulse, kDetailOut0, 10, 1, 10},
    {"NoEntryCodeIndex", kStep, 1009, 10, 0, 255},
    {"MassNotListed", kStep, 1861, 75, 1, 0},
    {"ListWithoutPairs", kStep, kDetailBusy, 3, 0, 0},
    {"InputMethodStepType", kStep, kDetailInputFirst, 1, 1, 0},
    {"InputMethodPulseType", kPulse, kDetailInputFirst, 0, 1, 2},
    {"NotAViewFourControl", kStep, kBasicSeries, 2, 0, 0},
    {"UnknownDirection", kStep, 1883, 2, 5, 0},
};

class Lookup : public Binding, public ::testing::WithParamInterface<LookupCase> {};

TEST_P(Lookup, ControlsListForTheType) {
    const LookupCase& c = GetParam();
    ctx.status.controlType = c.type;
    EXPECT_EQ(binding.ListLookup(c.control, c.number, c.direction), c.result);
}

INSTANTIATE_TEST_SUITE_P(Cases, Lookup, ::testing::ValuesIn(kLookupCases),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace tavro
