// Every page and dialog that writes to the controller, in the whole program, against a
// controller whose memory holds what no page would write: changing nothing writes nothing,
// changing one field writes that field, and what a download forces is what the controller
// held or a known default.

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include "detail/DetailTables.h"
#include "dialogs/connect/CDlgComSetup.h"
#include "link/Numbers.h"
#include "link/VirtualLoop.h"
#include "params/CPageBsc.h"
#include "params/CPageIo.h"
#include "stepdata/CPageStp.h"
#include "stepdata/CPidParam.h"
#include "tests/params/offgrid_memory.h"
#include "tests/params/page_fixture.h"

namespace tavro::test {
namespace {

constexpr int IDS_CONFIRM = 344;
constexpr int IDS_UPDATE_COMPLETE = 345;
constexpr int IDS_NOTHING_SENT = 347;
constexpr int IDS_NO_PRODUCT = 511;

struct Product {
    const char* name;
    int series;
    int stroke;
    int type;
};

constexpr Product kProducts[] = {
    {"F10Steps", sim::kSeriesF, 10, sim::kTypeStepData},
    {"F10Pulse", sim::kSeriesF, 10, sim::kTypePulse},
    {"F50Steps", sim::kSeriesF, 50, sim::kTypeStepData},
    {"F50Pulse", sim::kSeriesF, 50, sim::kTypePulse},
    {"Nil10Steps", sim::kSeriesStandard, 10, sim::kTypeStepData},
    {"Nil10Pulse", sim::kSeriesStandard, 10, sim::kTypePulse},
    {"Nil50Steps", sim::kSeriesStandard, 50, sim::kTypeStepData},
    {"Nil50Pulse", sim::kSeriesStandard, 50, sim::kTypePulse},
    {"M10Steps", sim::kSeriesM, 10, sim::kTypeStepData},
    {"M10Pulse", sim::kSeriesM, 10, sim::kTypePulse},
    {"M50Steps", sim::kSeriesM, 50, sim::kTypeStepData},
    {"M50Pulse", sim::kSeriesM, 50, sim::kTypePulse},
};

// The strokes each series offers; the others show "Select".
std::vector<int> OfferedStrokes(int series) {
    switch (series) {
        case sim::kSeriesStandard:
            return {10, 20, 30};
        case sim::kSeriesM:
            return {50};
        default:
            return {10, 20, 30, 50};
    }
}

bool Offered(const Product& p) {
    const std::vector<int> strokes = OfferedStrokes(p.series);
    return std::find(strokes.begin(), strokes.end(), p.stroke) != strokes.end();
}

enum class Page { kBasic, kStep, kStepUploaded, kIo, kDetail, kCommSetup };
enum class Change { kNothing, kOneField, kProduct };

struct WriteCase {
    const char* name;
    Page page;
    Change change;
};

constexpr WriteCase kCases[] = {
    {"BasicNothing", Page::kBasic, Change::kNothing},
    {"BasicOneField", Page::kBasic, Change::kOneField},
    {"BasicProduct", Page::kBasic, Change::kProduct},
    {"StepNothing", Page::kStep, Change::kNothing},
    {"StepOneField", Page::kStep, Change::kOneField},
    {"StepUploadedNothing", Page::kStepUploaded, Change::kNothing},
    {"StepUploadedOneField", Page::kStepUploaded, Change::kOneField},
    {"IoNothing", Page::kIo, Change::kNothing},
    {"IoOneField", Page::kIo, Change::kOneField},
    {"DetailNothing", Page::kDetail, Change::kNothing},
    {"DetailOneField", Page::kDetail, Change::kOneField},
    {"DetailProduct", Page::kDetail, Change::kProduct},
    {"CommNothing", Page::kCommSetup, Change::kNothing},
    {"CommOneField", Page::kCommSetup, Change::kOneField},
};

// 0: no byte timing; otherwise the line speed with byte timing.
using Timing = int;

using Param = std::tuple<Product, WriteCase, Timing>;

struct Cell {
    int group;
    int parameter;
    friend bool operator<(const Cell& a, const Cell& b) {
        return std::tie(a.group, a.parameter) < std::tie(b.group, b.parameter);
    }
};

struct Write {
    Cell cell;
    float value;
    std::string text;
};

std::vector<Write> Writes(const AppHarness& h) {
    std::vector<Write> out;
    for (const std::string& w : ParameterWrites(h)) {
        // "EE g p v"
        const std::size_t a = w.find(' ', 3);
        const std::size_t b = w.find(' ', a + 1);
        out.push_back({{Atoi(w.substr(3, a - 3)), Atoi(w.substr(a + 1, b - a - 1))},
                       static_cast<float>(Atof(w.substr(b + 1))),
                       w});
    }
    return out;
}

// The defaults the tool knows for a product: the PID table's and the series defaults.
std::map<Cell, std::vector<float>> KnownDefaults(int series, int stroke, float orientation) {
    std::map<Cell, std::vector<float>> known;
    // The PID defaults are what the table puts over a value no table holds.
    constexpr float kNone = -12345.0F;
    VirtualLoop loop;
    LinkContext scratch(loop, "/nonexistent");
    for (int g = 1; g <= 17; ++g) {
        for (int p = 0; p < ParameterImage::CellCount(g); ++p) {
            scratch.image.SetCell(g, p, kNone, ParameterImage::kEditCopy);
        }
    }
    scratch.image.SetCell(0, 0, static_cast<float>(stroke), ParameterImage::kEditCopy);
    scratch.image.SetCell(0, 1, static_cast<float>(series), ParameterImage::kEditCopy);
    scratch.image.SetCell(0, 10, orientation, ParameterImage::kEditCopy);
    CPidParam(scratch).ResetPidToDefaults();
    for (int g = 1; g <= 17; ++g) {
        for (int p = 0; p < ParameterImage::CellCount(g); ++p) {
            const float v = scratch.image.GetCell(g, p, ParameterImage::kEditCopy);
            if (v != kNone) {
                known[{g, p}].push_back(v);
            }
        }
    }
    // In-position range by series code (F, standard, M), trigger level, areas, thresholds.
    const float inPosition = series == sim::kSeriesF   ? 50.0F
                             : series == sim::kSeriesM ? 100.0F
                                                       : 300.0F;
    for (int g = 3; g <= 17; ++g) {
        known[{g, 9}].push_back(0.7F);
        known[{g, 10}].push_back(inPosition);
        for (int p = 11; p <= 14; ++p) {
            known[{g, p}].push_back(0.0F);
        }
    }
    known[{0, 19}].push_back(2.0F);
    known[{0, 20}].push_back(70.0F);
    return known;
}

class MemoryIntegrity : public ::testing::TestWithParam<Param> {
  protected:
    MemoryIntegrity() : h({Options()}) {
        h.WriteSettings(AppSettings().Auto(1).SearchAuto(1).Speed(Baud()));
        h.OnModal(kIdSearchTemplate, h.ConnectFirstFound());
        const bool detail = Case().page == Page::kDetail;
        h.OnModalIfShown(kPasswordTemplate, [detail](FakeForm& form) {
            form.TypeText(1950, detail ? "kzw" : "vbq");
            form.Click(1951);
        });
        h.bus.SetByteTiming(std::get<2>(GetParam()) != 0);
    }

    // From now on every parameter reply comes late, well within the reply time-out.
    void DelayParameterReplies() {
        sim::Fault late(sim::FaultKind::kExtraDelay, sim::kUnlimited);
        late.code = "EE";
        late.delayMs = 300;
        lateReplies_ = h.bus.Faults().Add(late);
    }

    static const Product& Prod() { return std::get<0>(GetParam()); }
    static const WriteCase& Case() { return std::get<1>(GetParam()); }
    static int Baud() { return std::get<2>(GetParam()) != 0 ? std::get<2>(GetParam()) : 19200; }
    static bool Pulse() { return Prod().type == sim::kTypePulse; }

    static sim::ControllerOptions Options() {
        sim::ControllerOptions o;
        o.series = Prod().series;
        o.stroke = Prod().stroke;
        o.controlType = Prod().type;
        o.baud = Baud();
        o.presets = OffGridMemory(Pulse());
        return o;
    }

    bool Settle() {
        return h.RunUntil([&] { return h.ctx.status.linkState != kLinkBusy; }, 600000);
    }

    // Opens the page or dialog; its form and write button.
    std::pair<FakeForm*, int> Open(FakeForm& main) {
        switch (Case().page) {
            case Page::kBasic:
                return {h.Form(kTemplateBasicPage), CPageBsc::IDC_SETUP};
            case Page::kStep:
            case Page::kStepUploaded: {
                EXPECT_TRUE(main.Choose(CMain::IDC_TABS, kPageStep));
                FakeForm* page = h.Form(kTemplateStepPage);
                if (Case().page == Page::kStepUploaded) {
                    EXPECT_TRUE(page->Click(IDC_UPLOAD));
                    EXPECT_TRUE(Settle());
                }
                return {page, IDC_DOWNLOAD};
            }
            case Page::kIo:
                EXPECT_TRUE(main.Choose(CMain::IDC_TABS, kPageIo));
                EXPECT_TRUE(Settle());
                return {h.Form(kTemplateIoPage), CPageIo::IDC_SETUP};
            case Page::kDetail:
                EXPECT_TRUE(main.ChooseSystemCommand(CMain::kMenuPassword));
                EXPECT_TRUE(Settle());
                return {h.Form(kTemplateDetail), IDC_DTL_DOWNLOAD};
            case Page::kCommSetup: {
                EXPECT_TRUE(main.ChooseSystemCommand(CMain::kMenuCommSetup));
                FakeForm* window = h.Form(kTemplateCommSetup);
                EXPECT_TRUE(window->Click(CDlgComSetup::IDC_CHANGE));
                return {window, CDlgComSetup::IDC_SETUP};
            }
        }
        return {nullptr, 0};
    }

    // The field changed, its cell and the value it holds then.
    struct Edit {
        int control;
        std::string text;
        Cell cell;
        float value;
    };

    Edit OneField() const {
        switch (Case().page) {
            case Page::kBasic:
                return {CPageBsc::IDC_ORIGIN_EXTENDED, "", {1, 0}, 1.0F};
            case Page::kStep:
            case Page::kStepUploaded:
                return Pulse() ? Edit{IDC_THRUST, "1.5", {3, 6}, 1.5F}
                               : Edit{IDC_TARGET_POSITION, "2.500", {3, 0}, 2500.0F};
            case Page::kIo:
                return {CPageIo::IDC_OVC, "1.8", {0, 19}, 1.8F};
            case Page::kDetail:
                return {IDC_DTL_ORIGIN_OFFSET, "0.250", {0, 11}, 250.0F};
            case Page::kCommSetup:
                return {CDlgComSetup::IDC_DELAY, "2.0", {0, 24}, 2.0F};
        }
        return {};
    }

    // Another product than the controller's: another stroke the series offers, or the F
    // series with the same stroke when the series offers only one.
    Edit ProductChange() const {
        const bool detail = Case().page == Page::kDetail;
        for (const int s : OfferedStrokes(Prod().series)) {
            if (s != Prod().stroke) {
                return {detail ? IDC_DTL_STROKE : CPageBsc::IDC_STROKE,
                        std::to_string(s),
                        {0, 0},
                        static_cast<float>(s)};
            }
        }
        return {detail ? IDC_DTL_SERIES : CPageBsc::IDC_SERIES,
                "F",
                {0, 1},
                static_cast<float>(sim::kSeriesF)};
    }

    void Apply(FakeForm& form, const Edit& e) {
        if (Case().change == Change::kProduct) {
            if (e.cell.parameter == 1) {
                h.prompter.AnswerYes();  // 903, in the detail dialog
                ASSERT_TRUE(form.ChooseText(e.control, e.text));
            } else {
                ASSERT_TRUE(form.ChooseText(e.control, e.text));
            }
        } else if (e.text.empty()) {
            ASSERT_TRUE(form.Click(e.control));
        } else {
            ASSERT_TRUE(form.TypeAndLeave(e.control, e.text));
        }
    }

    std::map<Cell, float> Held() {
        std::map<Cell, float> held;
        for (int g = 0; g <= 21; ++g) {
            for (int p = 0; p < ParameterImage::CellCount(g); ++p) {
                held[{g, p}] = h.bus.ControllerAt(0).Parameter(g, p);
            }
        }
        return held;
    }

    AppHarness h;
    sim::FaultPlan::Handle lateReplies_ = 0;
};

TEST_P(MemoryIntegrity, WritesOnlyWhatTheUserChangedAndWhatIsKnown) {
    const WriteCase& c = Case();
    const bool refuses = (c.page == Page::kBasic || c.page == Page::kDetail) && !Offered(Prod()) &&
                         c.change != Change::kProduct;
    h.Run([&](FakeForm& main, CMain&) {
        ASSERT_TRUE(h.RunUntil([&] { return (h.ctx.status.flags & kFlagUploadDone) != 0; }));
        ASSERT_TRUE(Settle());
        const auto [form, writeButton] = Open(main);
        ASSERT_NE(form, nullptr);
        h.prompter.StealFocusFrom(form);
        const std::map<Cell, float> held = Held();
        h.bus.ClearLog();
        h.prompter.Clear();

        const Edit edit = c.change == Change::kProduct ? ProductChange() : OneField();
        if (c.change != Change::kNothing) {
            Apply(*form, edit);
        }
        h.prompter.Clear();
        h.prompter.AnswerYes();  // 344
        const bool timed = std::get<2>(GetParam()) != 0;
        if (timed) {
            DelayParameterReplies();
        }
        ASSERT_TRUE(form->Click(writeButton));
        const bool due = h.ctx.status.linkState == kLinkBusy;
        if (timed && due) {
            // A reply is still due: the user presses again and types on; nothing comes of it.
            const std::int64_t sent = h.loop.NowMs();
            EXPECT_FALSE(form->Click(writeButton));
            if (!edit.text.empty()) {
                EXPECT_FALSE(form->TypeText(edit.control, "9"));
            }
            ASSERT_TRUE(Settle());
            // The bytes took their time on the line.
            EXPECT_GT(h.loop.NowMs() - sent, 0);
        }
        ASSERT_TRUE(Settle());
        const std::vector<Write> writes = Writes(h);
        const std::vector<int> shown = h.prompter.ShownIds();
        std::string outcome;

        if (refuses) {
            EXPECT_EQ(shown, std::vector<int>{IDS_NO_PRODUCT});
            EXPECT_TRUE(writes.empty());
            outcome = "refused (511), nothing written";
        } else if (c.change == Change::kNothing) {
            EXPECT_TRUE(writes.empty()) << writes.front().text;
            ASSERT_FALSE(shown.empty());
            EXPECT_EQ(shown.front(), IDS_CONFIRM);
            const bool nothingSent =
                c.page == Page::kStep || c.page == Page::kStepUploaded || c.page == Page::kDetail;
            EXPECT_EQ(shown.back(), nothingSent ? IDS_NOTHING_SENT : IDS_UPDATE_COMPLETE);
            outcome = std::string("nothing written (") + (nothingSent ? "347" : "345") +
                      (c.page == Page::kIo ? ", \"SW 4 1\" and \"EU\" only" : "") + ")";
        } else if (c.change == Change::kOneField) {
            ASSERT_EQ(writes.size(), 1U);
            EXPECT_EQ(writes[0].cell.group, edit.cell.group);
            EXPECT_EQ(writes[0].cell.parameter, edit.cell.parameter);
            EXPECT_FLOAT_EQ(writes[0].value, edit.value);
            outcome = "only " + writes[0].text.substr(3);
        } else {
            const float orientation = held.at({0, 10});
            const int series = edit.cell.parameter == 1 ? sim::kSeriesF : Prod().series;
            const int stroke = edit.cell.parameter == 0 ? TruncToInt(edit.value) : Prod().stroke;
            const auto known = KnownDefaults(series, stroke, orientation);
            int heldBack = 0;
            int defaults = 0;
            bool product = false;
            for (const Write& w : writes) {
                if (w.cell.group == edit.cell.group && w.cell.parameter == edit.cell.parameter) {
                    EXPECT_FLOAT_EQ(w.value, edit.value);
                    product = true;
                    continue;
                }
                const auto k = known.find(w.cell);
                const bool isDefault =
                    k != known.end() &&
                    std::find(k->second.begin(), k->second.end(), w.value) != k->second.end();
                const bool isHeld = w.value == held.at(w.cell);
                EXPECT_TRUE(isDefault || isHeld) << w.text << " held " << held.at(w.cell);
                defaults += isDefault && !isHeld ? 1 : 0;
                heldBack += isHeld ? 1 : 0;
            }
            EXPECT_TRUE(product);
            // The forced PID block ran: the return to origin uses the default set again.
            EXPECT_TRUE(std::any_of(writes.begin(), writes.end(), [](const Write& w) {
                return w.cell.group == 1 && w.cell.parameter == 17 && w.value == 0.0F;
            }));
            outcome = edit.text + ": " + std::to_string(writes.size()) + " writes, " +
                      std::to_string(defaults) + " defaults, " + std::to_string(heldBack) +
                      " as held";
        }
        // With the bytes' time on the line, every write that started was acted upon.
        if (timed && (!writes.empty() || c.page == Page::kIo)) {
            EXPECT_TRUE(due);
        }
        if (timed) {
            EXPECT_EQ(h.bus.Faults().Injected(lateReplies_),
                      static_cast<int>(h.bus.Requests("EE").size()));
        }
        RecordProperty("outcome", outcome);
    });
}

// The I/O Setup page after its upload: the controller's reversed, off-grid areas are shown as
// held and stay so when another field is set up.
class IoAreas : public ConnectedProgramTest {
  protected:
    IoAreas() : ConnectedProgramTest(Options()) {}
    static sim::ControllerOptions Options() {
        sim::ControllerOptions o;
        o.presets = OffGridMemory();
        return o;
    }
};

TEST_F(IoAreas, ReversedOffGridAreasAreShownAndKeptAsHeld) {
    RunConnected([&](FakeForm& main, CMain&) {
        ASSERT_TRUE(main.Choose(CMain::IDC_TABS, kPageIo));
        ASSERT_TRUE(Settle());
        FakeForm& page = *h.Form(kTemplateIoPage);
        const std::vector<std::pair<int, std::string>> shown = {{CPageIo::IDC_AREA_A1, "4.012"},
                                                                {CPageIo::IDC_AREA_A2, "1.003"},
                                                                {CPageIo::IDC_AREA_B1, "2.505"},
                                                                {CPageIo::IDC_AREA_B2, "0.707"},
                                                                {CPageIo::IDC_OVT, "64"}};
        for (const auto& [edit, text] : shown) {
            EXPECT_EQ(page.Text(edit), text) << edit;
        }
        // Tabbing through a field rounds nothing; typing does.
        ASSERT_TRUE(page.Focus(CPageIo::IDC_OVT));
        ASSERT_TRUE(page.TypeAndLeave(CPageIo::IDC_OVC, "1.8"));
        EXPECT_EQ(page.Text(CPageIo::IDC_OVT), "64");
        h.bus.ClearLog();
        h.prompter.AnswerYes();
        ASSERT_TRUE(page.Click(CPageIo::IDC_SETUP));
        ASSERT_TRUE(Settle());
        EXPECT_EQ(ParameterWrites(h), std::vector<std::string>{"EE 0 19 1.80000"});
        for (const auto& [edit, text] : shown) {
            EXPECT_EQ(page.Text(edit), text) << edit;
        }
        EXPECT_FLOAT_EQ(Controller().StoredParameter(9, 11), 4012.0F);
    });
}

std::string Name(const ::testing::TestParamInfo<Param>& info) {
    const int baud = std::get<2>(info.param);
    return std::string(std::get<0>(info.param).name) + "_" + std::get<1>(info.param).name +
           (baud != 0 ? "_" + std::to_string(baud) : "");
}

INSTANTIATE_TEST_SUITE_P(Everywhere, MemoryIntegrity,
                         ::testing::Combine(::testing::ValuesIn(kProducts),
                                            ::testing::ValuesIn(kCases), ::testing::Values(0)),
                         Name);

// With the bytes' time on the line: the standard and M series, both control types.
constexpr Product kTimedProducts[] = {
    {"Nil10Steps", sim::kSeriesStandard, 10, sim::kTypeStepData},
    {"M50Pulse", sim::kSeriesM, 50, sim::kTypePulse},
};

INSTANTIATE_TEST_SUITE_P(ByteTiming, MemoryIntegrity,
                         ::testing::Combine(::testing::ValuesIn(kTimedProducts),
                                            ::testing::ValuesIn(kCases),
                                            ::testing::Values(9600, 57600)),
                         Name);

}  // namespace
}  // namespace tavro::test
