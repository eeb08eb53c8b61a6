// The Detail Parameter Setup dialog leaves the controller's values as they are until the user
// changes them: showing is not editing, discarding discards, and the remembered series
// follows what is shown.

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "link/StringIds.h"
#include "tests/params/detail_fixture.h"
#include "tests/params/offgrid_memory.h"

namespace tavro::test {
namespace {

constexpr int kSeriesIndexNil = 1;
constexpr int kSeriesIndexF = 2;
constexpr int kSeriesIndexM = 3;

sim::ControllerOptions OffGrid(int series, int stroke, int type = sim::kTypeStepData) {
    sim::ControllerOptions o;
    o.series = series;
    o.stroke = stroke;
    o.controlType = type;
    o.presets = OffGridMemory(type == sim::kTypePulse);
    return o;
}

// The writes "EE g p v" and the commit commands the line carried.
std::vector<std::string> Written(const DetailHarness& h) {
    std::vector<std::string> out;
    for (const sim::LineRecord& r : h.sim.bus.Requests()) {
        const auto spaces = std::count(r.command.begin(), r.command.end(), ' ');
        if ((r.code == "EE" && spaces == 3) || r.code == "EU" || r.code == "AB" || r.code == "SP") {
            out.push_back(r.command);
        }
    }
    return out;
}

// Cells whose two copies are not the same 32-bit float.
std::vector<std::string> Differing(DetailHarness& h) {
    std::vector<std::string> out;
    for (int g = 0; g <= 17; ++g) {
        for (int p = 0; p < ParameterImage::CellCount(g); ++p) {
            const float edit = h.Edit(g, p);
            const float controller = h.Controller(g, p);
            if (std::memcmp(&edit, &controller, sizeof edit) != 0) {
                out.push_back(std::to_string(g) + "/" + std::to_string(p));
            }
        }
    }
    return out;
}

struct ShownCase {
    const char* name;
    int series;
    int type;
    int pidLevel;
};

constexpr ShownCase kShownCases[] = {
    {"StandardSteps", sim::kSeriesStandard, sim::kTypeStepData, 1},
    {"FStepsWithoutPid", sim::kSeriesF, sim::kTypeStepData, 0},
    {"MPulse", sim::kSeriesM, sim::kTypePulse, 1},
};

class DetailShowing : public ::testing::TestWithParam<ShownCase> {
  protected:
    DetailShowing()
        : h(OffGrid(GetParam().series, GetParam().type == sim::kTypePulse ? 50 : 20,
                    GetParam().type)) {}
    DetailHarness h;
};

TEST_P(DetailShowing, ShowsTheControllerValuesAsTheyAreAndLeavesThemSo) {
    const int level = GetParam().pidLevel;
    h.OpenOnline(level);
    FakeForm& form = h.form;
    // Off the 30 um (standard) or 5 um grid, and reversed: shown as held.
    EXPECT_EQ(form.Text(IDC_DTL_IN_POSITION), "0.502");
    EXPECT_EQ(form.Text(IDC_DTL_AREA_A1), "4.012");
    EXPECT_EQ(form.Text(IDC_DTL_AREA_A2), "1.003");
    // Walking through the rows and lists, the edit copies stay the controller's.
    const int steps = h.ctx.status.controlType == kControlTypePulse ? 4 : 15;
    for (int row = 1; row < steps; ++row) {
        ASSERT_TRUE(form.ClickCell(IDC_DTL_STEP_LIST, row, 11));
        EXPECT_EQ(form.Text(IDC_DTL_IN_POSITION), "0.502") << row;
    }
    ASSERT_TRUE(form.ClickCell(IDC_DTL_STEP_LIST, 0, 3));
    for (int row = 1; row < 5 && level == 1; ++row) {
        ASSERT_TRUE(form.ClickCell(IDC_DTL_PID_LIST, row, 1));
        ASSERT_TRUE(form.ClickCell(IDC_DTL_ASSIGN_LIST, row, 1));
    }
    ASSERT_TRUE(form.Focus(IDC_DTL_IN_POSITION));
    ASSERT_TRUE(form.Focus(IDC_DTL_AREA_A1));  // leaving a field without typing snaps nothing
    ASSERT_TRUE(form.Focus(IDC_DTL_LOAD_MASS));
    EXPECT_EQ(form.Text(IDC_DTL_IN_POSITION), "0.502");
    EXPECT_THAT(Differing(h), ::testing::IsEmpty());
    h.sim.bus.ClearLog();
    h.prompter.AnswerYes();  // 344
    ASSERT_TRUE(form.Click(IDC_DTL_DOWNLOAD));
    h.Settle();
    EXPECT_THAT(h.prompter.ShownIds(), ::testing::ElementsAre(344, 347));
    EXPECT_THAT(Written(h), ::testing::IsEmpty());
    h.prompter.Clear();
    EXPECT_TRUE(form.Close());
    EXPECT_TRUE(h.prompter.Shown().empty());
    // Opened again at the other access level: still nothing to ask about.
    h.Open(1 - level);
    h.Settle();
    EXPECT_THAT(Differing(h), ::testing::IsEmpty());
    EXPECT_TRUE(form.Close());
    EXPECT_TRUE(h.prompter.Shown().empty());
}

INSTANTIATE_TEST_SUITE_P(Memory, DetailShowing, ::testing::ValuesIn(kShownCases),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(DetailTyping, WhatTheUserEntersStillGoesOnTheGridAndInOrder) {
    DetailHarness h{OffGrid(sim::kSeriesStandard, 20)};
    h.OpenOnline();
    FakeForm& form = h.form;
    ASSERT_TRUE(form.TypeAndLeave(IDC_DTL_IN_POSITION, "0.512", IDC_DTL_TARGET));
    EXPECT_EQ(form.Text(IDC_DTL_IN_POSITION), "0.510");
    ASSERT_TRUE(form.TypeText(IDC_DTL_AREA_B1, "3.000"));
    ASSERT_TRUE(form.ClickCell(IDC_DTL_STEP_LIST, 1, 3));
    EXPECT_FLOAT_EQ(h.Edit(3, 10), 510.0F);
    // B was reversed and the user entered into it: in order now. A was not touched.
    EXPECT_FLOAT_EQ(h.Edit(3, 13), 707.0F);
    EXPECT_FLOAT_EQ(h.Edit(3, 14), 3000.0F);
    EXPECT_FLOAT_EQ(h.Edit(3, 11), 4012.0F);
    EXPECT_FLOAT_EQ(h.Edit(3, 12), 1003.0F);
    EXPECT_THAT(Differing(h), ::testing::UnorderedElementsAre("3/10", "3/13", "3/14"));
}

TEST(DetailDiscard, YesToTheQuestionOnCloseDiscardsEveryEdit) {
    DetailHarness h{OffGrid(sim::kSeriesStandard, 20)};
    h.OpenOnline();
    FakeForm& form = h.form;
    // A PID set for step 5, a threshold and a step field.
    ASSERT_TRUE(form.ClickCell(IDC_DTL_ASSIGN_LIST, 5, 1));
    ASSERT_TRUE(form.Choose(IDC_DTL_PID_CHOICE, 3));
    ASSERT_TRUE(form.ClickCell(IDC_DTL_ASSIGN_LIST, 0, 1));
    ASSERT_TRUE(form.TypeAndLeave(IDC_DTL_CURRENT, "1.8", IDC_DTL_TARGET));
    ASSERT_TRUE(form.TypeText(IDC_DTL_TARGET, "4.500"));
    ASSERT_TRUE(form.ClickCell(IDC_DTL_STEP_LIST, 2, 3));
    // The threshold reaches the image when the dialog collects its fields, on Close.
    EXPECT_THAT(Differing(h), ::testing::UnorderedElementsAre("7/15", "3/0"));
    h.prompter.AnswerYes();
    EXPECT_TRUE(form.Close());
    EXPECT_THAT(h.prompter.ShownIds(), ::testing::ElementsAre(ids::IDS_DATA_CHANGED));
    EXPECT_THAT(Differing(h), ::testing::IsEmpty());
}

// The series the dialog remembers is the series it shows after an upload or an open.
class DetailSeries : public ::testing::Test {
  protected:
    DetailSeries() : h(OffGrid(sim::kSeriesF, 50)) { h.OpenOnline(); }

    // Picks a series and answers 903.
    void ChooseSeries(int index, bool yes) {
        h.prompter.Clear();
        if (yes) {
            h.prompter.AnswerYes();
        } else {
            h.prompter.AnswerNo();
        }
        ASSERT_TRUE(h.form.Choose(IDC_DTL_SERIES, index));
    }
    bool Asked903() const { return h.prompter.WasShown(ids::IDS_DTL_SERIES_DEFAULTS); }

    DetailHarness h;
};

TEST_F(DetailSeries, FollowsAnUpload) {
    ChooseSeries(kSeriesIndexM, true);
    ASSERT_TRUE(Asked903());
    h.prompter.AnswerYes();  // 342: the change is discarded
    ASSERT_TRUE(h.form.Click(IDC_DTL_UPLOAD));
    h.Settle();
    ASSERT_EQ(h.form.CurrentItem(IDC_DTL_SERIES), kSeriesIndexF);
    // M is not the series shown any more: choosing it asks again, and No goes back to F.
    ChooseSeries(kSeriesIndexM, false);
    EXPECT_TRUE(Asked903());
    EXPECT_EQ(h.form.CurrentItem(IDC_DTL_SERIES), kSeriesIndexF);
    ChooseSeries(kSeriesIndexNil, false);
    EXPECT_TRUE(Asked903());
    EXPECT_EQ(h.form.CurrentItem(IDC_DTL_SERIES), kSeriesIndexF);
}

TEST_F(DetailSeries, FollowsAnOpenedFile) {
    ChooseSeries(kSeriesIndexM, true);
    const std::string path = h.sim.dir.File("m.dat");
    h.chooser.ChooseNext(path);
    ASSERT_TRUE(h.form.Click(IDC_DTL_SAVE));
    h.prompter.AnswerYes();  // 342
    ASSERT_TRUE(h.form.Click(IDC_DTL_UPLOAD));
    h.Settle();
    ChooseSeries(kSeriesIndexNil, true);
    h.chooser.ChooseNext(path);
    ASSERT_TRUE(h.form.Click(IDC_DTL_OPEN));
    ASSERT_EQ(h.form.CurrentItem(IDC_DTL_SERIES), kSeriesIndexM);
    // The file's M is the series now: Nil asks, and No keeps M.
    ChooseSeries(kSeriesIndexNil, false);
    EXPECT_TRUE(Asked903());
    EXPECT_EQ(h.form.CurrentItem(IDC_DTL_SERIES), kSeriesIndexM);
}

}  // namespace
}  // namespace tavro::test
