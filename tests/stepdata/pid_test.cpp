#include <gtest/gtest.h>

#include <string>

#include "link/CIniRw.h"
#include "link/Numbers.h"
#include "link/VirtualLoop.h"
#include "stepdata/CPidParam.h"
#include "tests/support/TempDir.h"

namespace tavro {
namespace {

constexpr int kEdit = ParameterImage::kEditCopy;
constexpr int kDataLines = 90;

// The text of value i of data line l (0-based; sections 1, 2, 3 are lines 0..35, 36..71,
// 72..89) in a file that passes every check.
std::string ValueText(int l, int i) {
    if (l < 36) {
        return Format("%d.5", l * 100 + i);
    }
    if (l < 72) {
        return Format("%d", -(l * 100 + i));
    }
    return Format("%.4f", l + i / 100.0);
}

std::string PidText(int dataLines = kDataLines, const char* eol = "\r\n") {
    std::string out =
        std::string("[Tavro Motor Controller Pid Data]") + eol + ":FormatVersion=1.00" + eol;
    for (int l = 0; l < dataLines; ++l) {
        for (int i = 0; i < 12; ++i) {
            out += (i > 0 ? "," : "") + ValueText(l, i);
        }
        out += eol;
    }
    return out;
}

// Replaces the whole line `line` (0-based, header included) of a text.
std::string WithLine(const std::string& text, int line, const std::string& replacement) {
    std::size_t begin = 0;
    for (int i = 0; i < line; ++i) {
        begin = text.find('\n', begin) + 1;
    }
    const std::size_t end = text.find('\r', begin);
    return text.substr(0, begin) + replacement + text.substr(end);
}

// Data line l with value i replaced.
std::string WithValue(int l, int i, const std::string& value) {
    std::string line;
    for (int k = 0; k < 12; ++k) {
        line += (k > 0 ? "," : "") + (k == i ? value : ValueText(l, k));
    }
    return WithLine(PidText(), 2 + l, line);
}

float Section1(int l, int i) {
    return static_cast<float>(l * 100 + i) + 0.5F;
}

TEST(PidFileText, FillsTheArraysInFileOrder) {
    PidDefaults out;
    ASSERT_TRUE(CIniRw::ParsePidText(PidText(), out));
    for (int p = 0; p < 6; ++p) {
        for (int e = 0; e < PidDefaults::kEntries; ++e) {
            const int l = p * 6 + e / 12;
            const auto pi = static_cast<std::size_t>(p);
            const auto ei = static_cast<std::size_t>(e);
            EXPECT_FLOAT_EQ(out.section1[pi][ei], Section1(l, e % 12));
            EXPECT_EQ(out.section2[pi][ei], -((36 + l) * 100 + e % 12));
            if (p < 3) {
                EXPECT_FLOAT_EQ(out.section3[pi][ei],
                                static_cast<float>(72 + l + (e % 12) / 100.0));
            }
        }
    }
}

struct PidTextCase {
    const char* name;
    std::string (*make)();
    bool loaded;
};

constexpr PidTextCase kPidTextCases[] = {
    {"complete_file", [] { return PidText(); }, true},
    {"line_feeds_only", [] { return PidText(kDataLines, "\n"); }, true},
    {"lines_after_the_last_section_are_ignored", [] { return PidText() + "garbage\r\n"; }, true},
    {"section2_value_of_40000", [] { return WithValue(40, 3, "40000"); }, false},
    {"section2_value_below_range", [] { return WithValue(71, 11, "-32768"); }, false},
    {"section2_value_at_range_ends", [] { return WithValue(36, 0, "-32767"); }, true},
    {"section1_negative", [] { return WithValue(0, 0, "-0.5"); }, false},
    {"section1_at_maximum", [] { return WithValue(35, 11, "65535"); }, true},
    {"section1_over_maximum", [] { return WithValue(35, 11, "65535.5"); }, false},
    {"section3_over_maximum", [] { return WithValue(89, 0, "1e6"); }, false},
    {"section3_not_a_number", [] { return WithValue(80, 5, "nan"); }, false},
    {"missing_values_read_as_zero", [] { return WithLine(PidText(), 10, "1,2,3"); }, true},
    {"header_in_other_case",
     [] { return WithLine(PidText(), 0, "[Tavro Motor Controller PID Data]"); }, false},
    {"header_with_trailing_space",
     [] { return WithLine(PidText(), 0, "[Tavro Motor Controller Pid Data] "); }, false},
    {"version_prefix_missing", [] { return WithLine(PidText(), 1, "FormatVersion=1.00"); }, false},
    {"file_ends_one_line_early", [] { return PidText(kDataLines - 1); }, false},
    {"line_of_512_characters", [] { return WithLine(PidText(), 5, std::string(511, '0') + "1"); },
     false},
    {"line_of_511_characters", [] { return WithLine(PidText(), 5, std::string(510, '0') + "1"); },
     true},
    {"empty_file", [] { return std::string(); }, false},
    {"binary_garbage", [] { return std::string("\x00\xff\r\n\x01,\x80,,\n", 10); }, false},
};

class PidTextTest : public ::testing::TestWithParam<PidTextCase> {};

TEST_P(PidTextTest, WholeFileOrNothing) {
    PidDefaults out;
    out.section2[0][0] = 12345;
    const bool loaded = CIniRw::ParsePidText(GetParam().make(), out);
    EXPECT_EQ(loaded, GetParam().loaded);
    if (!loaded) {
        EXPECT_EQ(out.section2[0][0], 12345);  // untouched
        EXPECT_FLOAT_EQ(out.section1[0][0], 0.0F);
    }
}

INSTANTIATE_TEST_SUITE_P(Files, PidTextTest, ::testing::ValuesIn(kPidTextCases),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(PidFileText, MissingValueReadsZero) {
    PidDefaults out;
    ASSERT_TRUE(CIniRw::ParsePidText(WithLine(PidText(), 2, "7,8"), out));
    EXPECT_FLOAT_EQ(out.section1[0][0], 7.0F);
    EXPECT_FLOAT_EQ(out.section1[0][1], 8.0F);
    EXPECT_FLOAT_EQ(out.section1[0][2], 0.0F);
    EXPECT_FLOAT_EQ(out.section1[0][11], 0.0F);
    EXPECT_FLOAT_EQ(out.section1[0][12], Section1(1, 0));
}

class PidTest : public ::testing::Test {
  protected:
    test::TempDir tmp;
    VirtualLoop loop;
    LinkContext ctx{loop, tmp.Path()};
    CPidParam pid{ctx};

    float Edit(int g, int p) { return ctx.image.GetCell(g, p, kEdit); }
    void SetKey(float series, float stroke, float angle) {
        ctx.image.SetCell(0, 1, series, kEdit);
        ctx.image.SetCell(0, 0, stroke, kEdit);
        ctx.image.SetCell(0, 10, angle, kEdit);
    }
    // Marks rows 1 and 2 and every step's PID set so that untouched cells show.
    void MarkCells() {
        for (int p = 0; p < 18; ++p) {
            ctx.image.SetCell(1, p, -1.0F, kEdit);
        }
        for (int p = 0; p < 57; ++p) {
            ctx.image.SetCell(2, p, -1.0F, kEdit);
        }
        for (int g = 3; g <= 17; ++g) {
            ctx.image.SetCell(g, 15, 5.0F, kEdit);
        }
    }
    void ExpectServoConstantsUntouched() {
        for (int p = 1; p <= 12; ++p) {
            EXPECT_FLOAT_EQ(Edit(1, p), -1.0F) << "1/" << p;
        }
        for (int p = 0; p <= 11; ++p) {
            EXPECT_FLOAT_EQ(Edit(2, p), -1.0F) << "2/" << p;
        }
    }
    void ExpectStepGains(float kp, float ti, float td) {
        for (int k = 0; k < 15; ++k) {
            EXPECT_FLOAT_EQ(Edit(2, 12 + 3 * k), kp) << "set " << k + 1;
            EXPECT_FLOAT_EQ(Edit(2, 13 + 3 * k), ti) << "set " << k + 1;
            EXPECT_FLOAT_EQ(Edit(2, 14 + 3 * k), td) << "set " << k + 1;
        }
    }
};

TEST_F(PidTest, StandardSeriesStroke20VerticalGivesKp149_6InAllFifteenSets) {
    MarkCells();
    SetKey(2.0F, 20.0F, 90.0F);
    pid.ResetPidToDefaults();
    ExpectStepGains(149.6F, 0.031F, 0.0061F);
    EXPECT_FLOAT_EQ(Edit(1, 13), 149.6F);
    EXPECT_FLOAT_EQ(Edit(1, 14), 0.031F);
    EXPECT_FLOAT_EQ(Edit(1, 15), 0.0061F);
    // Every motion then uses the default set.
    EXPECT_FLOAT_EQ(Edit(1, 17), 0.0F);
    for (int g = 3; g <= 17; ++g) {
        EXPECT_FLOAT_EQ(Edit(g, 15), 0.0F) << g;
    }
    // No figures are known for the servo constants of existing models.
    ExpectServoConstantsUntouched();
}

TEST_F(PidTest, CellsWithoutBuiltInValueAreLeftAlone) {
    MarkCells();
    SetKey(1.0F, 10.0F, 0.0F);  // F type: only its step-data gains are known
    pid.ResetPidToDefaults();
    ExpectStepGains(160.4F, 0.009F, 0.0062F);
    EXPECT_FLOAT_EQ(Edit(1, 13), -1.0F);
    EXPECT_FLOAT_EQ(Edit(1, 14), -1.0F);
    EXPECT_FLOAT_EQ(Edit(1, 15), -1.0F);
    ExpectServoConstantsUntouched();
    EXPECT_FLOAT_EQ(Edit(1, 17), 0.0F);
}

TEST_F(PidTest, CombinationsAModelDoesNotHaveGetZeros) {
    MarkCells();
    SetKey(3.0F, 10.0F, 90.0F);  // M type has no 10 mm stroke
    pid.ResetPidToDefaults();
    for (int p = 1; p <= 15; ++p) {
        EXPECT_FLOAT_EQ(Edit(1, p), 0.0F) << "1/" << p;
    }
    for (int p = 0; p <= 56; ++p) {
        EXPECT_FLOAT_EQ(Edit(2, p), 0.0F) << "2/" << p;
    }

    MarkCells();
    SetKey(3.0F, 50.0F, 0.0F);
    pid.ResetPidToDefaults();
    ExpectStepGains(600.0F, 0.01F, 0.01F);
    EXPECT_FLOAT_EQ(Edit(1, 13), 600.0F);
    ExpectServoConstantsUntouched();
}

TEST_F(PidTest, BuiltInStepGainsOfTheStandardSeries) {
    struct Row {
        float stroke;
        float angle;
        float kp;
        float originKp;
    };
    constexpr Row kRows[] = {
        {10.0F, 0.0F, 104.2F, 104.2F}, {10.0F, 90.0F, 134.8F, 89.9F},
        {30.0F, 0.0F, 206.4F, 206.4F}, {30.0F, 90.0F, 413.3F, 206.7F},
        {50.0F, 0.0F, 0.0F, 0.0F},     {75.0F, 90.0F, 0.0F, 0.0F},
    };
    for (const Row& r : kRows) {
        SetKey(2.0F, r.stroke, r.angle);
        pid.ResetPidToDefaults();
        EXPECT_FLOAT_EQ(Edit(2, 12), r.kp) << r.stroke << "/" << r.angle;
        EXPECT_FLOAT_EQ(Edit(2, 54), r.kp) << r.stroke << "/" << r.angle;
        EXPECT_FLOAT_EQ(Edit(1, 13), r.originKp) << r.stroke << "/" << r.angle;
    }
}

struct KeyCase {
    const char* name;
    float series;
    float stroke;
    float angle;
    int model;
    int strokeIndex;
    int orientation;
};

constexpr KeyCase kKeyCases[] = {
    {"standard_10_horizontal", 2.0F, 10.0F, 0.0F, 0, 0, 0},
    {"f_type_20_vertical", 1.0F, 20.0F, 90.0F, 1, 1, 1},
    {"m_type_30", 3.0F, 30.0F, 0.0F, 2, 2, 0},
    {"stroke_50", 2.0F, 50.0F, 0.0F, 0, 3, 0},
    {"stroke_75", 2.0F, 75.0F, 0.0F, 0, 4, 0},
    {"stroke_100", 2.0F, 100.0F, 90.0F, 0, 5, 1},
    {"unknown_values_give_zero", 7.0F, 25.0F, 45.0F, 0, 0, 0},
    {"near_misses_give_zero", 1.0001F, 19.999F, 89.9F, 0, 0, 0},
};

class PidKeyTest : public ::testing::TestWithParam<KeyCase> {};

TEST_P(PidKeyTest, Lookups) {
    const KeyCase& c = GetParam();
    EXPECT_EQ(CPidParam::ModelIndex(c.series), c.model);
    EXPECT_EQ(CPidParam::StrokeIndex(c.stroke), c.strokeIndex);
    EXPECT_EQ(CPidParam::OrientationIndex(c.angle), c.orientation);
}

INSTANTIATE_TEST_SUITE_P(Keys, PidKeyTest, ::testing::ValuesIn(kKeyCases),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(PidTest, LoadedFileSuppliesEveryCell) {
    tmp.Write("PID.ini", PidText());
    ASSERT_TRUE(pid.LoadPidFile());
    EXPECT_EQ(ctx.status.gainFileLoaded, 1);
    MarkCells();
    SetKey(1.0F, 30.0F, 90.0F);  // model 1, stroke index 2, vertical
    pid.ResetPidToDefaults();
    const PidDefaults& f = ctx.pidFile;
    const std::size_t origin = 24 + 4 + 1;
    const std::size_t step = origin + 12;
    for (std::size_t p = 0; p < 6; ++p) {
        const int cell = static_cast<int>(p);
        EXPECT_FLOAT_EQ(Edit(1, 1 + cell), f.section1[p][origin]) << p;
        EXPECT_FLOAT_EQ(Edit(1, 7 + cell), static_cast<float>(f.section2[p][origin])) << p;
        EXPECT_FLOAT_EQ(Edit(2, cell), f.section1[p][step]) << p;
        EXPECT_FLOAT_EQ(Edit(2, 6 + cell), static_cast<float>(f.section2[p][step])) << p;
    }
    for (std::size_t p = 0; p < 3; ++p) {
        EXPECT_FLOAT_EQ(Edit(1, 13 + static_cast<int>(p)), f.section3[p][origin]) << p;
    }
    ExpectStepGains(f.section3[0][step], f.section3[1][step], f.section3[2][step]);
    // The file's values are the ones laid out in it.
    EXPECT_FLOAT_EQ(Edit(1, 1), Section1(2, 5));
    EXPECT_FLOAT_EQ(Edit(2, 0), Section1(3, 5));
}

TEST_F(PidTest, RejectedFileFallsBackToTheBuiltInTable) {
    tmp.Write("PID.ini", WithValue(40, 3, "40000"));
    EXPECT_FALSE(pid.LoadPidFile());
    EXPECT_EQ(ctx.status.gainFileLoaded, 0);
    SetKey(2.0F, 20.0F, 90.0F);
    pid.ResetPidToDefaults();
    EXPECT_FLOAT_EQ(Edit(2, 12), 149.6F);
}

TEST_F(PidTest, MissingFileIsNotLoaded) {
    PidDefaults out;
    EXPECT_FALSE(CIniRw(tmp.Path()).ReadPidFile(out));
    EXPECT_FALSE(pid.LoadPidFile());
    EXPECT_EQ(ctx.status.gainFileLoaded, 0);
}

}  // namespace
}  // namespace tavro
