#include <gtest/gtest.h>

#include <signal.h>
#include <sys/resource.h>

#include <algorithm>
#include <filesystem>
#include <limits>
#include <string>
#include <vector>

#include "link/Numbers.h"
#include "link/VirtualLoop.h"
#include "stepdata/StepFile.h"
#include "stepdata/StepRecord.h"
#include "tests/support/TempDir.h"

namespace tavro {
namespace {

constexpr int kEdit = ParameterImage::kEditCopy;

std::string Repeat(const std::string& field, int n) {
    std::string out;
    for (int i = 0; i < n; ++i) {
        out += (i > 0 ? "," : "") + field;
    }
    return out;
}

const std::string kNoDataLine = Repeat("NO DATA", 59);
const std::string kNoDetail = Repeat("NO DATA", 7);  // record fields 12..18 of a page file

std::vector<std::string> Split(const std::string& line) {
    std::vector<std::string> out;
    std::size_t start = 0;
    while (true) {
        const std::size_t comma = line.find(',', start);
        out.push_back(line.substr(start, comma == std::string::npos ? comma : comma - start));
        if (comma == std::string::npos) {
            return out;
        }
        start = comma + 1;
    }
}

// The lines of a step-data file, edited line by line and field by field.
class FileText {
  public:
    // A page-mode file of `count` positioning steps that passes every check.
    static FileText Page(int count) {
        FileText f;
        f.lines_ = {std::string(kStepFileHeader),
                    ":FormatVersion=2.20",
                    Format(":RecodeSize=%02d", count),
                    kNoDataLine,
                    kNoDataLine,
                    kNoDataLine};
        for (int i = 0; i < count; ++i) {
            f.lines_.push_back(std::to_string(i + 1) + ",0.000,0.00,0,0,0,6,1.0,0,0,0,0," +
                               kNoDetail);
        }
        return f;
    }
    // Field k (0 = the step number) of record line `record`.
    FileText& Field(int record, int k, const std::string& text) {
        std::string& line = lines_[static_cast<std::size_t>(6 + record)];
        auto fields = Split(line);
        fields.resize(std::max(fields.size(), static_cast<std::size_t>(k + 1)));
        fields[static_cast<std::size_t>(k)] = text;
        line.clear();
        for (std::size_t i = 0; i < fields.size(); ++i) {
            line += (i > 0 ? "," : "") + fields[i];
        }
        return *this;
    }
    FileText& Line(int index, const std::string& text) {
        lines_[static_cast<std::size_t>(index)] = text;
        return *this;
    }
    FileText& Record(int record, const std::string& text) { return Line(6 + record, text); }
    FileText& KeepLines(int count) {
        lines_.resize(static_cast<std::size_t>(count));
        return *this;
    }
    FileText& Add(const std::string& text) {
        lines_.push_back(text);
        return *this;
    }
    std::string Text(const char* eol = "\r\n") const {
        std::string out;
        for (const auto& l : lines_) {
            out += l + eol;
        }
        return out;
    }

  private:
    std::vector<std::string> lines_;
};

// The float a decimal text of `d` decimals reads as, so that values survive the file.
float Dec(double v, int d) {
    return static_cast<float>(Atof(Format("%.*f", d, v)));
}

class StepFileTest : public ::testing::Test {
  protected:
    VirtualLoop loop;
    LinkContext ctx{loop, "/nonexistent"};

    StepFileContents Parse(const std::string& text, StepFileMode mode = StepFileMode::kPage) {
        return ParseStepFile(text, mode, ctx.status.controlType, ctx.image);
    }
    float Edit(int group, int parameter) { return ctx.image.GetCell(group, parameter, kEdit); }
    void SetEdit(int group, int parameter, float v) {
        ctx.image.SetCell(group, parameter, v, kEdit);
    }
    std::vector<float> EditCopies() {
        std::vector<float> out;
        for (int g = 0; g < ParameterImage::kGroupCount; ++g) {
            for (int p = 0; p < ParameterImage::CellCount(g); ++p) {
                out.push_back(Edit(g, p));
            }
        }
        return out;
    }
};

TEST_F(StepFileTest, ExampleFileOfPulseTypeIsWrittenAndReadBackExactly) {
    ctx.status.controlType = kControlTypePulse;
    for (int n = 0; n < 4; ++n) {
        SetEdit(3 + n, kCellOperationWord, 32774.0F);
    }
    SetEdit(3, kCellThrustSetting, 2.5F);
    SetEdit(3, kCellLoadMass, 150.0F);
    const std::string example =
        "[Tavro Motor Controller Step Data]\r\n:FormatVersion=2.20\r\n:RecodeSize=04\r\n" +
        kNoDataLine + "\r\n" + kNoDataLine + "\r\n" + kNoDataLine + "\r\n" +
        "1,0.000,0.00,0,0,0,32774,2.5,0,0,150,0," + kNoDetail + "\r\n" +
        "2,0.000,0.00,0,0,0,32774,1.0,0,0,0,0," + kNoDetail + "\r\n" +
        "3,0.000,0.00,0,0,0,32774,1.0,0,0,0,0," + kNoDetail + "\r\n" +
        "4,0.000,0.00,0,0,0,32774,1.0,0,0,0,0," + kNoDetail + "\r\n";
    EXPECT_EQ(ComposeStepFile(StepFileMode::kPage, ctx.image, ctx.status, BuildStepFileVersion()),
              example);

    VirtualLoop otherLoop;
    LinkContext other{otherLoop, "/nonexistent"};
    other.status.controlType = kControlTypePulse;
    const StepFileContents read =
        ParseStepFile(example, StepFileMode::kPage, kControlTypePulse, other.image);
    ASSERT_EQ(read.error, StepFileError::kNone);
    EXPECT_EQ(read.recordCount, 4);
    EXPECT_FLOAT_EQ(read.version, 2.2F);
    StoreStepFile(read, other.image, other.status);
    EXPECT_FLOAT_EQ(other.image.GetCell(3, kCellOperationWord, kEdit), 32774.0F);
    EXPECT_FLOAT_EQ(other.image.GetCell(3, kCellThrustSetting, kEdit), 2.5F);
    EXPECT_FLOAT_EQ(other.image.GetCell(3, kCellLoadMass, kEdit), 150.0F);
    EXPECT_FLOAT_EQ(other.image.GetCell(6, kCellOperationWord, kEdit), 32774.0F);
    EXPECT_FLOAT_EQ(other.image.GetCell(7, kCellOperationWord, kEdit), 6.0F);  // not in the file
    EXPECT_EQ(
        ComposeStepFile(StepFileMode::kPage, other.image, other.status, BuildStepFileVersion()),
        example);
}

TEST_F(StepFileTest, VersionLineComesFromTheBuild) {
    EXPECT_EQ(StepFileVersionText(2, 2, 0), "2.20");
    EXPECT_EQ(StepFileVersionText(1, 4, 7), "1.47");
    EXPECT_EQ(StepFileVersionText(3, 12, 0), "3.12");
    EXPECT_EQ(BuildStepFileVersion(), "2.20");
    const std::string text =
        ComposeStepFile(StepFileMode::kDetail, ctx.image, ctx.status, BuildStepFileVersion());
    EXPECT_NE(text.find("\r\n:FormatVersion=2.20\r\n:RecodeSize=15\r\n"), std::string::npos);
    EXPECT_FLOAT_EQ(Parse(FileText::Page(15).Line(1, ":FormatVersion=1.50").Text()).version, 1.5F);
}

// Distinct in-range values in every cell any mode carries.
void FillEveryCarriedCell(LinkContext& c) {
    ParameterImage& im = c.image;
    for (int n = 0; n < 15; ++n) {
        const int g = 3 + n;
        const bool relative = n % 2 == 1;
        im.SetCell(g, kCellTargetPosition,
                   relative ? Dec(-1000.0 - 111.125 * n, 3) : Dec(1000.0 + 222.25 * n, 3), kEdit);
        im.SetCell(g, kCellPositioningTime, Dec(0.5 + 0.25 * n, 2), kEdit);
        im.SetCell(g, kCellSpeed, static_cast<float>(10 + n), kEdit);
        im.SetCell(g, kCellAcceleration, static_cast<float>(1000 + n), kEdit);
        im.SetCell(g, kCellDeceleration, static_cast<float>(2000 + n), kEdit);
        im.SetCell(g, kCellOperationWord, static_cast<float>(n % 3 == 0 ? 32774 + n : 6 + n),
                   kEdit);
        im.SetCell(g, kCellThrustSetting, Dec(1.0 + 0.2 * n, 1), kEdit);
        im.SetCell(g, kCellLoadMass, static_cast<float>(50 * n), kEdit);
        im.SetCell(g, kCellMovementMode, relative ? 1.0F : 0.0F, kEdit);
        im.SetCell(g, kCellInForceLevel, Dec(0.5 + 0.1 * n, 1), kEdit);
        for (int cell = kCellInPositionRange; cell <= kCellAreaB2; ++cell) {
            im.SetCell(g, cell, Dec(100.0 * cell + 10.5 * n, 3), kEdit);
        }
        im.SetCell(g, kCellPidSetNo, static_cast<float>(n), kEdit);
    }
    const float row0[22] = {20,    2, 1, 7, 0,   0,   3, 4, 5,    6,  90,
                            12.5F, 2, 1, 2, 100, 150, 1, 0, 2.5F, 60, 3000};
    for (int cell = 0; cell < 22; ++cell) {
        im.SetCell(0, cell, row0[cell], kEdit);
    }
    im.SetCell(1, 0, 1.0F, kEdit);
    im.SetCell(1, 13, 149.6F, kEdit);
    im.SetCell(1, 14, 0.031F, kEdit);
    im.SetCell(1, 15, 0.0061F, kEdit);
    im.SetCell(1, 17, 1.0F, kEdit);
    for (int k = 0; k < 15; ++k) {
        im.SetCell(2, 12 + 3 * k, Dec(100.0 + 0.5 * k, 1), kEdit);
        im.SetCell(2, 13 + 3 * k, Dec(0.01 + 0.001 * k, 3), kEdit);
        im.SetCell(2, 14 + 3 * k, Dec(0.001 + 0.0001 * k, 4), kEdit);
    }
}

std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> out;
    std::size_t start = 0;
    while (start < text.size()) {
        const std::size_t end = text.find("\r\n", start);
        out.push_back(text.substr(start, end - start));
        start = end + 2;
    }
    return out;
}

TEST(StepFileLayout, DetailFileWithPidPutsEveryCellInItsField) {
    VirtualLoop loop;
    LinkContext c{loop, "/nonexistent"};
    FillEveryCarriedCell(c);
    const auto lines =
        Lines(ComposeStepFile(StepFileMode::kDetailWithPid, c.image, c.status, "2.20"));
    ASSERT_EQ(lines.size(), 6U + 15U);
    EXPECT_EQ(lines[3],
              "20,2,1,NO DATA,NO DATA,3,4,5,6,90,12.500,7,2,1,2,100,150,1,0,2.5,60,3000," +
                  Repeat("NO DATA", 37));
    EXPECT_EQ(lines[4], "1," + Repeat("NO DATA", 12) + ",149.6,0.031,0.0061,NO DATA,1," +
                            Repeat("NO DATA", 41));
    std::string pidSets;
    for (int k = 0; k < 15; ++k) {
        pidSets += Format(",%.1f,%.3f,%.4f", 100.0 + 0.5 * k, 0.01 + 0.001 * k, 0.001 + 0.0001 * k);
    }
    EXPECT_EQ(lines[5], Repeat("NO DATA", 12) + pidSets + ",NO DATA,NO DATA");
    EXPECT_EQ(lines[6],
              "1,1000.000,0.50,10,1000,2000,32774,1.0,0,0,0,0,0.5,1000.000,1100.000,"
              "1200.000,1300.000,1400.000,0");
    EXPECT_EQ(lines[7],
              "2,-1111.125,0.75,11,1001,2001,7,1.2,0,0,50,1,0.6,1010.500,1110.500,"
              "1210.500,1310.500,1410.500,1");

    // Without the PID section its gains are not written; in page mode nothing but steps 0..8.
    const auto detail = Lines(ComposeStepFile(StepFileMode::kDetail, c.image, c.status, "2.20"));
    EXPECT_EQ(detail[3], lines[3]);
    EXPECT_EQ(detail[4], "1," + Repeat("NO DATA", 58));
    EXPECT_EQ(detail[5], kNoDataLine);
    const auto page = Lines(ComposeStepFile(StepFileMode::kPage, c.image, c.status, "2.20"));
    EXPECT_EQ(page[3], kNoDataLine);
    EXPECT_EQ(page[7], "2,-1111.125,0.75,11,1001,2001,7,1.2,0,0,50,1," + kNoDetail);
}

struct RoundTripCase {
    const char* name;
    int controlType;
    StepFileMode mode;
};

constexpr RoundTripCase kRoundTripCases[] = {
    {"step_type_page", kControlTypeStep, StepFileMode::kPage},
    {"step_type_detail", kControlTypeStep, StepFileMode::kDetail},
    {"step_type_detail_with_pid", kControlTypeStep, StepFileMode::kDetailWithPid},
    {"pulse_type_page", kControlTypePulse, StepFileMode::kPage},
    {"pulse_type_detail", kControlTypePulse, StepFileMode::kDetail},
    {"pulse_type_detail_with_pid", kControlTypePulse, StepFileMode::kDetailWithPid},
};

class StepFileRoundTripTest : public ::testing::TestWithParam<RoundTripCase> {};

TEST_P(StepFileRoundTripTest, WrittenFileGivesBackTheSameEditCopies) {
    const RoundTripCase& c = GetParam();
    VirtualLoop loop;
    LinkContext source{loop, "/nonexistent"};
    source.status.controlType = c.controlType;
    FillEveryCarriedCell(source);
    const std::string text = ComposeStepFile(c.mode, source.image, source.status, "2.20");
    EXPECT_EQ(text.find("nan"), std::string::npos);

    LinkContext target{loop, "/nonexistent"};
    target.status.controlType = c.controlType;
    const StepFileContents read = ParseStepFile(text, c.mode, c.controlType, target.image);
    ASSERT_EQ(read.error, StepFileError::kNone);
    EXPECT_EQ(read.recordCount, StepCount(c.controlType));
    StoreStepFile(read, target.image, target.status);
    // Composing writes every cell the mode carries, so equal texts mean equal cells.
    EXPECT_EQ(ComposeStepFile(c.mode, target.image, target.status, "2.20"), text);

    // Cells the mode does not carry keep their values.
    EXPECT_FLOAT_EQ(target.image.GetCell(0, 4, kEdit), 0.0F);
    EXPECT_FLOAT_EQ(target.image.GetCell(1, 1, kEdit), 0.0F);
    EXPECT_FLOAT_EQ(target.image.GetCell(3 + StepCount(c.controlType), 0, kEdit), 0.0F);
    if (c.mode == StepFileMode::kPage) {
        EXPECT_FLOAT_EQ(target.image.GetCell(3, kCellInForceLevel, kEdit), 0.7F);
        EXPECT_FLOAT_EQ(target.image.GetCell(0, 0, kEdit), 0.0F);
        EXPECT_EQ(target.status.stroke[1], 0);
    } else {
        EXPECT_EQ(target.status.stroke[1], 20);
        EXPECT_FLOAT_EQ(target.status.thrustLimit[1], 4.8F);
        EXPECT_EQ(target.status.series[1], 2);
        EXPECT_EQ(target.status.seriesScale[1], 3000);
    }
    if (c.mode != StepFileMode::kDetailWithPid) {
        EXPECT_FLOAT_EQ(target.image.GetCell(1, 13, kEdit), 0.1F);
        EXPECT_FLOAT_EQ(target.image.GetCell(2, 56, kEdit), 0.0001F);
    }
}

INSTANTIATE_TEST_SUITE_P(Modes, StepFileRoundTripTest, ::testing::ValuesIn(kRoundTripCases),
                         [](const auto& info) { return std::string(info.param.name); });

// Every carried cell at the end of its load range where its text is widest: the gains at
// their maxima, the steps alternately at their maxima and at their minima.
void FillEveryCarriedCellAtItsExtremes(LinkContext& c) {
    ParameterImage& im = c.image;
    const float row0[22] = {50,      3, 1, 255, 0,   0,   255, 255, 255,  255, 90,
                            1000.0F, 2, 2, 3,   200, 200, 1,   1,   3.0F, 70,  50000};
    for (int cell = 0; cell < 22; ++cell) {
        im.SetCell(0, cell, row0[cell], kEdit);
    }
    im.SetCell(1, 0, 2.0F, kEdit);
    for (int cell = 13; cell <= 15; ++cell) {
        im.SetCell(1, cell, 65535.0F, kEdit);
    }
    im.SetCell(1, 17, 1.0F, kEdit);
    for (int cell = 12; cell <= 56; ++cell) {
        im.SetCell(2, cell, 65535.0F, kEdit);
    }
    for (int n = 0; n < 15; ++n) {
        const int g = 3 + n;
        const bool top = n % 2 == 0;
        im.SetCell(g, kCellTargetPosition, top ? 50000.0F : -50000.0F, kEdit);
        im.SetCell(g, kCellPositioningTime, top ? 60.0F : 0.0F, kEdit);
        im.SetCell(g, kCellSpeed, top ? 500.0F : 0.0F, kEdit);
        im.SetCell(g, kCellAcceleration, top ? 60000.0F : 0.0F, kEdit);
        im.SetCell(g, kCellDeceleration, top ? 60000.0F : 0.0F, kEdit);
        // Bits 0..14 at most 32767, the pushing bit set; or the smallest pushing speed.
        im.SetCell(g, kCellOperationWord, top ? 65535.0F : 1.0F, kEdit);
        im.SetCell(g, kCellThrustSetting, top ? 5.0F : 1.0F, kEdit);
        im.SetCell(g, kCellLoadMass, top ? 1000.0F : 0.0F, kEdit);
        im.SetCell(g, kCellMovementMode, top ? 0.0F : 1.0F, kEdit);
        im.SetCell(g, kCellInForceLevel, top ? 5.0F : 0.5F, kEdit);
        for (int cell = kCellInPositionRange; cell <= kCellAreaB2; ++cell) {
            im.SetCell(g, cell, top ? 50000.0F : 0.0F, kEdit);
        }
        im.SetCell(g, kCellPidSetNo, top ? 15.0F : 0.0F, kEdit);
    }
}

std::size_t LongestLine(const std::string& text) {
    std::size_t longest = 0;
    for (const std::string& line : Lines(text)) {
        longest = std::max(longest, line.size());
    }
    return longest;
}

class StepFileExtremesTest : public ::testing::TestWithParam<RoundTripCase> {
  protected:
    test::TempDir tmp;
};

TEST_P(StepFileExtremesTest, SaveOpenSaveIsByteIdentical) {
    const RoundTripCase& c = GetParam();
    VirtualLoop loop;
    LinkContext source{loop, "/nonexistent"};
    source.status.controlType = c.controlType;
    FillEveryCarriedCellAtItsExtremes(source);
    ASSERT_TRUE(SaveStepFile(tmp.File("first.dat"), c.mode, source));
    const std::string first = tmp.Read("first.dat");
    if (c.mode == StepFileMode::kDetailWithPid) {
        // The 15 gain sets at 65535.0, 65535.000 and 65535.0000.
        EXPECT_EQ(Lines(first)[5].size(), 546U);
    }

    LinkContext target{loop, "/nonexistent"};
    target.status.controlType = c.controlType;
    const StepFileContents read = LoadStepFile(tmp.File("first.dat"), c.mode, target);
    ASSERT_EQ(read.error, StepFileError::kNone);
    ASSERT_TRUE(SaveStepFile(tmp.File("second.dat"), c.mode, target));
    EXPECT_EQ(tmp.Read("second.dat"), first);
}

INSTANTIATE_TEST_SUITE_P(Modes, StepFileExtremesTest, ::testing::ValuesIn(kRoundTripCases),
                         [](const auto& info) { return std::string(info.param.name); });

// Whatever the image holds, the reader takes every line the writer makes and judges the file
// by its values: a cell no load range admits is message 312, never a format error.
TEST(StepFileLineBound, TheWritersWidestLinesAreReadAndJudgedByTheirValues) {
    VirtualLoop loop;
    LinkContext c{loop, "/nonexistent"};
    for (int g = 0; g < ParameterImage::kGroupCount; ++g) {
        for (int p = 0; p < ParameterImage::CellCount(g); ++p) {
            c.image.SetCell(g, p, -std::numeric_limits<float>::max(), kEdit);
        }
    }
    std::size_t longest = 0;
    for (const StepFileMode mode :
         {StepFileMode::kPage, StepFileMode::kDetail, StepFileMode::kDetailWithPid}) {
        const std::string text = ComposeStepFile(mode, c.image, c.status, "2.20");
        longest = std::max(longest, LongestLine(text));
        EXPECT_EQ(ParseStepFile(text, mode, c.status.controlType, c.image).error,
                  StepFileError::kValue)
            << static_cast<int>(mode);
    }
    EXPECT_EQ(longest, MaxStepFileLine());
}

// A valid record line padded to `length` characters through a reserved field.
std::string RecordOfLength(std::size_t length) {
    const std::string head = "4,0.000,0.00,0,0,0,6,1.0,";
    const std::string tail = ",0,0,0," + kNoDetail;
    return head + std::string(length - head.size() - tail.size(), '7') + tail;
}

struct StructureCase {
    const char* name;
    int controlType;
    std::string (*make)();
    StepFileError error;
};

constexpr StructureCase kStructureCases[] = {
    {"header_differs_in_case", kControlTypeStep,
     [] { return FileText::Page(15).Line(0, "[Tavro Motor Controller step data]").Text(); },
     StepFileError::kFormat},
    {"header_with_trailing_space", kControlTypeStep,
     [] { return FileText::Page(15).Line(0, "[Tavro Motor Controller Step Data] ").Text(); },
     StepFileError::kFormat},
    {"header_with_nul_byte", kControlTypeStep,
     [] {
         return FileText::Page(15)
             .Line(0, std::string("[Tavro Motor Controller Step Data]\0", 35))
             .Text();
     },
     StepFileError::kFormat},
    {"version_prefix_in_other_case", kControlTypeStep,
     [] { return FileText::Page(15).Line(1, ":formatVersion=2.20").Text(); },
     StepFileError::kFormat},
    {"version_line_cut_short", kControlTypeStep,
     [] { return FileText::Page(15).Line(1, ":FormatVers").Text(); }, StepFileError::kFormat},
    {"record_size_prefix_wrong", kControlTypeStep,
     [] { return FileText::Page(15).Line(2, ":RecordSize=15").Text(); }, StepFileError::kFormat},
    {"record_count_15_in_pulse_type", kControlTypePulse, [] { return FileText::Page(15).Text(); },
     StepFileError::kFormat},
    {"record_count_4_in_step_type", kControlTypeStep, [] { return FileText::Page(4).Text(); },
     StepFileError::kFormat},
    {"record_count_15_with_type_unset", kControlTypeUnset, [] { return FileText::Page(15).Text(); },
     StepFileError::kNone},
    {"record_count_4_with_type_unset", kControlTypeUnset, [] { return FileText::Page(4).Text(); },
     StepFileError::kNone},
    {"record_count_7", kControlTypeUnset,
     [] { return FileText::Page(4).Line(2, ":RecodeSize=07").Text(); }, StepFileError::kFormat},
    {"record_count_missing", kControlTypeUnset,
     [] { return FileText::Page(4).Line(2, ":RecodeSize=").Text(); }, StepFileError::kFormat},
    {"record_count_huge", kControlTypeUnset,
     [] { return FileText::Page(4).Line(2, ":RecodeSize=99999999999999999999").Text(); },
     StepFileError::kFormat},
    {"empty_file", kControlTypeStep, [] { return std::string(); }, StepFileError::kFormat},
    {"header_lines_only", kControlTypeStep, [] { return FileText::Page(15).KeepLines(3).Text(); },
     StepFileError::kFormat},
    {"parameter_line_missing", kControlTypeStep,
     [] { return FileText::Page(15).KeepLines(5).Text(); }, StepFileError::kFormat},
    {"file_ends_before_the_last_record", kControlTypeStep,
     [] { return FileText::Page(15).KeepLines(6 + 14).Text(); }, StepFileError::kFormat},
    {"record_line_one_beyond_the_longest_the_writer_makes", kControlTypeStep,
     [] { return FileText::Page(15).Record(3, RecordOfLength(MaxStepFileLine() + 1)).Text(); },
     StepFileError::kFormat},
    {"record_line_as_long_as_the_longest_the_writer_makes", kControlTypeStep,
     [] { return FileText::Page(15).Record(3, RecordOfLength(MaxStepFileLine())).Text(); },
     StepFileError::kNone},
    {"header_line_of_100000_characters", kControlTypeStep,
     [] { return FileText::Page(15).Line(0, std::string(100000, '[')).Text(); },
     StepFileError::kFormat},
    {"line_feeds_only", kControlTypeStep, [] { return FileText::Page(15).Text("\n"); },
     StepFileError::kNone},
    {"carriage_returns_only", kControlTypeStep, [] { return FileText::Page(15).Text("\r"); },
     StepFileError::kFormat},
    {"no_line_end_after_the_last_record", kControlTypeStep,
     [] {
         std::string t = FileText::Page(15).Text();
         return t.substr(0, t.size() - 2);
     },
     StepFileError::kNone},
    {"extra_record_lines_are_ignored", kControlTypePulse,
     [] { return FileText::Page(4).Add("5,garbage").Add(std::string(5000, '\xff')).Text(); },
     StepFileError::kNone},
    {"binary_garbage", kControlTypeStep,
     [] { return std::string("\x00\x01\xfe\xff[Tavro\r\n\x80\x81:Recode\n\n", 20); },
     StepFileError::kFormat},
    {"binary_garbage_after_the_header", kControlTypeStep,
     [] {
         return FileText::Page(15).Text().substr(0, 80) + std::string("\x00\xff\x01,,,\n\x7f", 8);
     },
     StepFileError::kFormat},
};

class StepFileStructureTest : public StepFileTest,
                              public ::testing::WithParamInterface<StructureCase> {};

TEST_P(StepFileStructureTest, HeaderCountAndLayout) {
    ctx.status.controlType = GetParam().controlType;
    const auto before = EditCopies();
    const StepFileContents read = Parse(GetParam().make());
    EXPECT_EQ(read.error, GetParam().error);
    if (read.error != StepFileError::kNone) {
        EXPECT_TRUE(read.values.empty());
        StoreStepFile(read, ctx.image, ctx.status);
        EXPECT_EQ(EditCopies(), before);
    }
}

INSTANTIATE_TEST_SUITE_P(Files, StepFileStructureTest, ::testing::ValuesIn(kStructureCases),
                         [](const auto& info) { return std::string(info.param.name); });

struct ValueCase {
    const char* name;
    StepFileMode mode;
    int field;
    const char* text;
    int otherField;  // 0 when only one field is set
    const char* otherText;
    bool accepted;
};

constexpr StepFileMode kPage = StepFileMode::kPage;
constexpr StepFileMode kDetail = StepFileMode::kDetail;

constexpr ValueCase kValueCases[] = {
    {"target_minus_5000_absolute", kPage, 1, "-5000.000", 11, "0", false},
    {"target_minus_5000_relative", kPage, 1, "-5000.000", 11, "1", true},
    {"target_at_limit", kPage, 1, "50000.000", 0, "", true},
    {"target_over_limit_relative", kPage, 1, "50001", 11, "1", false},
    {"operation_word_pushing_speed_zero", kPage, 6, "32768", 0, "", false},
    {"operation_word_positioning", kPage, 6, "6", 0, "", true},
    {"operation_word_pushing", kPage, 6, "32774", 0, "", true},
    {"operation_word_whole_part_only", kPage, 6, "32774.9", 0, "", true},
    {"operation_word_negative", kPage, 6, "-6", 0, "", false},
    {"operation_word_wider_than_16_bits", kPage, 6, "65542", 0, "", false},
    {"operation_word_huge", kPage, 6, "99999999999", 0, "", false},
    {"operation_word_not_a_number", kPage, 6, "Push", 0, "", false},
    {"time_at_limit", kPage, 2, "60.00", 0, "", true},
    {"time_over_limit", kPage, 2, "60.01", 0, "", false},
    {"speed_at_file_limit", kPage, 3, "500", 0, "", true},
    {"speed_over_file_limit", kPage, 3, "501", 0, "", false},
    {"acceleration_negative", kPage, 4, "-1", 0, "", false},
    {"deceleration_huge", kPage, 5, "1e39", 0, "", false},
    {"deceleration_infinite", kPage, 5, "inf", 0, "", false},
    {"acceleration_not_a_number", kPage, 4, "nan", 0, "", false},
    {"thrust_below_minimum", kPage, 7, "0.9", 0, "", false},
    {"thrust_just_below_minimum", kPage, 7, "0.99999995", 0, "", false},
    {"thrust_at_maximum", kPage, 7, "5.0", 0, "", true},
    {"thrust_over_maximum", kPage, 7, "5.1", 0, "", false},
    {"reserved_fields_are_not_read", kPage, 8, "garbage", 9, "-99999999999", true},
    {"load_mass_off_the_choice_list", kPage, 10, "75", 0, "", true},
    {"load_mass_over_limit", kPage, 10, "1001", 0, "", false},
    {"movement_mode_two", kPage, 11, "2", 0, "", false},
    {"movement_mode_negative", kPage, 11, "-1", 0, "", false},
    {"movement_mode_fraction", kPage, 11, "0.5", 0, "", false},
    {"movement_mode_with_decimals", kPage, 11, "1.000", 0, "", true},
    {"detail_field_not_read_in_page_mode", kPage, 12, "0.1", 18, "garbage", true},
    {"in_force_level_below_minimum", kDetail, 12, "0.4", 0, "", false},
    {"in_force_level_at_minimum", kDetail, 12, "0.5", 0, "", true},
    {"in_force_level_within_float_epsilon_of_minimum", kDetail, 12, "0.49999998", 0, "", true},
    {"in_force_level_clearly_below_minimum", kDetail, 12, "0.4999", 0, "", false},
    {"area_over_limit", kDetail, 16, "50000.5", 0, "", false},
    {"pid_set_over_limit", kDetail, 18, "16", 0, "", false},
    {"pid_set_at_limit", kDetail, 18, "15", 0, "", true},
    {"no_data_anywhere_is_skipped", kDetail, 1, "NO DATA", 6, "NO DATA", true},
};

class StepFileValueTest : public StepFileTest, public ::testing::WithParamInterface<ValueCase> {};

TEST_P(StepFileValueTest, LoadRangeOfOneRecordField) {
    const ValueCase& c = GetParam();
    ctx.status.controlType = kControlTypeStep;
    FileText file = FileText::Page(15);
    file.Field(2, c.field, c.text);
    if (c.otherField != 0) {
        file.Field(2, c.otherField, c.otherText);
    }
    const StepFileContents read = Parse(file.Text(), c.mode);
    EXPECT_EQ(read.error, c.accepted ? StepFileError::kNone : StepFileError::kValue);
    if (!c.accepted) {
        EXPECT_TRUE(read.values.empty());
    }
}

INSTANTIATE_TEST_SUITE_P(Fields, StepFileValueTest, ::testing::ValuesIn(kValueCases),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(StepFileTest, RejectedValueLoadsNothingAtAll) {
    FileText file = FileText::Page(15);
    for (int n = 0; n < 15; ++n) {
        file.Field(n, 2, "12.50").Field(n, 7, "3.0");
    }
    file.Field(14, 3, "999");  // the last record's speed
    SetEdit(3, kCellSpeed, 77.0F);
    const auto before = EditCopies();
    const StepFileContents read = Parse(file.Text());
    EXPECT_EQ(read.error, StepFileError::kValue);
    StoreStepFile(read, ctx.image, ctx.status);
    EXPECT_EQ(EditCopies(), before);
}

TEST_F(StepFileTest, StoredValuesAreTheFilesWithTheOperationWordAsWholeNumber) {
    const StepFileContents read = Parse(FileText::Page(15)
                                            .Field(0, 1, "-1234.567")
                                            .Field(0, 11, "1")
                                            .Field(0, 6, "32783.7")
                                            .Field(0, 10, "75")
                                            .Text());
    ASSERT_EQ(read.error, StepFileError::kNone);
    StoreStepFile(read, ctx.image, ctx.status);
    EXPECT_FLOAT_EQ(Edit(3, kCellTargetPosition), -1234.567F);
    EXPECT_FLOAT_EQ(Edit(3, kCellMovementMode), 1.0F);
    EXPECT_FLOAT_EQ(Edit(3, kCellOperationWord), 32783.0F);
    EXPECT_FLOAT_EQ(Edit(3, kCellLoadMass), 75.0F);
    EXPECT_EQ(LoadMassIndex(Edit(3, kCellLoadMass)), 0);
}

TEST_F(StepFileTest, TargetWithoutMovementModeMustSuitTheStepsOwnMode) {
    const std::string text = FileText::Page(15).Field(0, 1, "-5000").Field(0, 11, "NO DATA").Text();
    EXPECT_EQ(Parse(text).error, StepFileError::kValue);
    SetEdit(3, kCellMovementMode, 1.0F);
    EXPECT_EQ(Parse(text).error, StepFileError::kNone);
}

TEST_F(StepFileTest, MissingFieldsReadAsZero) {
    // Without an operation word (read as 0) the record is rejected.
    EXPECT_EQ(Parse(FileText::Page(15).Record(0, "1,0.000,0.00,0,0").Text()).error,
              StepFileError::kValue);
    // Up to field 11 a page file needs nothing more...
    const std::string shortRecord = FileText::Page(15).Record(0, "1,0,0,0,0,0,6,1,0,0,0,0").Text();
    EXPECT_EQ(Parse(shortRecord).error, StepFileError::kNone);
    // ...but the Detail dialog then reads an in-force level of 0, below its minimum.
    EXPECT_EQ(Parse(shortRecord, StepFileMode::kDetail).error, StepFileError::kValue);
}

TEST_F(StepFileTest, PageFileOpenedInTheDetailDialogLeavesCellsNineToFifteen) {
    for (int n = 0; n < 15; ++n) {
        for (int cell = kCellInForceLevel; cell <= kCellPidSetNo; ++cell) {
            SetEdit(3 + n, cell, static_cast<float>(cell + n));
        }
    }
    const StepFileContents read =
        Parse(FileText::Page(15).Field(4, 3, "123").Text(), StepFileMode::kDetail);
    ASSERT_EQ(read.error, StepFileError::kNone);
    StoreStepFile(read, ctx.image, ctx.status);
    EXPECT_FLOAT_EQ(Edit(7, kCellSpeed), 123.0F);
    for (int n = 0; n < 15; ++n) {
        for (int cell = kCellInForceLevel; cell <= kCellPidSetNo; ++cell) {
            EXPECT_FLOAT_EQ(Edit(3 + n, cell), static_cast<float>(cell + n)) << n << "/" << cell;
        }
    }
}

TEST_F(StepFileTest, ParameterLinesAreCheckedOnlyWhereTheModeCarriesThem) {
    FileText file = FileText::Page(15);
    file.Line(3, "60," + Repeat("NO DATA", 58));  // stroke over its limit
    EXPECT_EQ(Parse(file.Text(), StepFileMode::kPage).error, StepFileError::kNone);
    EXPECT_EQ(Parse(file.Text(), StepFileMode::kDetail).error, StepFileError::kValue);

    // A line that stops early reads 0 for the controller ID, whose minimum is 1.
    file.Line(3, "30,1,0,0,0,0,0,0,0,0,0.000");
    EXPECT_EQ(Parse(file.Text(), StepFileMode::kDetail).error, StepFileError::kValue);

    // PID gains are read only with the PID section.
    file.Line(3, kNoDataLine).Line(5, Repeat("0", 12) + ",70000," + Repeat("NO DATA", 46));
    EXPECT_EQ(Parse(file.Text(), StepFileMode::kDetail).error, StepFileError::kNone);
    EXPECT_EQ(Parse(file.Text(), StepFileMode::kDetailWithPid).error, StepFileError::kValue);
}

TEST_F(StepFileTest, StrokeAndSeriesFromTheFileReachTheBasicPageSide) {
    FileText file = FileText::Page(15);
    file.Line(3, "50,3," + Repeat("NO DATA", 57));
    const StepFileContents read = Parse(file.Text(), StepFileMode::kDetail);
    ASSERT_EQ(read.error, StepFileError::kNone);
    StoreStepFile(read, ctx.image, ctx.status);
    EXPECT_FLOAT_EQ(Edit(0, 0), 50.0F);
    EXPECT_EQ(ctx.status.stroke[1], 50);
    EXPECT_FLOAT_EQ(ctx.status.thrustLimit[1], 2.0F);
    EXPECT_EQ(ctx.status.series[1], 3);
    EXPECT_EQ(ctx.status.seriesScale[1], 500);
    EXPECT_EQ(ctx.status.stroke[0], 0);
}

// Lets writes grow a file to at most `bytes` for the lifetime of the object.
class FileSizeLimit {
  public:
    explicit FileSizeLimit(rlim_t bytes) {
        ::getrlimit(RLIMIT_FSIZE, &old_);
        oldHandler_ = ::signal(SIGXFSZ, SIG_IGN);
        rlimit lower = old_;
        lower.rlim_cur = bytes;
        ::setrlimit(RLIMIT_FSIZE, &lower);
    }
    ~FileSizeLimit() {
        ::setrlimit(RLIMIT_FSIZE, &old_);
        ::signal(SIGXFSZ, oldHandler_);
    }
    FileSizeLimit(const FileSizeLimit&) = delete;
    FileSizeLimit& operator=(const FileSizeLimit&) = delete;

  private:
    rlimit old_{};
    sighandler_t oldHandler_;
};

class StepFileDiskTest : public StepFileTest {
  protected:
    test::TempDir tmp;
    std::vector<std::string> Entries() const {
        std::vector<std::string> names;
        for (const auto& e : std::filesystem::directory_iterator(tmp.Path())) {
            names.push_back(e.path().filename().string());
        }
        return names;
    }
};

TEST_F(StepFileDiskTest, SaveThenLoad) {
    SetEdit(5, kCellSpeed, 250.0F);
    const std::string path = tmp.File("steps.dat");
    ASSERT_TRUE(SaveStepFile(path, StepFileMode::kPage, ctx));
    EXPECT_EQ(tmp.Read("steps.dat"),
              ComposeStepFile(StepFileMode::kPage, ctx.image, ctx.status, "2.20"));

    VirtualLoop otherLoop;
    LinkContext other{otherLoop, "/nonexistent"};
    const StepFileContents read = LoadStepFile(path, StepFileMode::kPage, other);
    ASSERT_EQ(read.error, StepFileError::kNone);
    EXPECT_FLOAT_EQ(other.image.GetCell(5, kCellSpeed, kEdit), 250.0F);
}

TEST_F(StepFileDiskTest, SaveReplacesTheOldFileAndLeavesNoTemporary) {
    tmp.Write("steps.dat", "old contents");
    ASSERT_TRUE(SaveStepFile(tmp.File("steps.dat"), StepFileMode::kPage, ctx));
    EXPECT_EQ(tmp.Read("steps.dat").substr(0, kStepFileHeader.size()), kStepFileHeader);
    EXPECT_EQ(Entries(), std::vector<std::string>{"steps.dat"});
}

TEST_F(StepFileDiskTest, FailedSaveLeavesTheOldFileIntact) {
    tmp.Write("steps.dat", "old contents");
    {
        const FileSizeLimit limit(100);  // far below a step-data file
        EXPECT_FALSE(SaveStepFile(tmp.File("steps.dat"), StepFileMode::kPage, ctx));
    }
    EXPECT_EQ(tmp.Read("steps.dat"), "old contents");
    EXPECT_EQ(Entries(), std::vector<std::string>{"steps.dat"});
}

TEST_F(StepFileDiskTest, SaveIntoAMissingFolderFails) {
    EXPECT_FALSE(SaveStepFile(tmp.File("missing/steps.dat"), StepFileMode::kPage, ctx));
}

TEST_F(StepFileDiskTest, UnreadableAndOversizedFiles) {
    EXPECT_EQ(LoadStepFile(tmp.File("none.dat"), StepFileMode::kPage, ctx).error,
              StepFileError::kUnreadable);
    // Only the lines the file format needs are read; megabytes after them do not matter.
    tmp.Write("big.dat", FileText::Page(15).Text() + std::string(3 << 20, 'x'));
    EXPECT_EQ(LoadStepFile(tmp.File("big.dat"), StepFileMode::kPage, ctx).error,
              StepFileError::kNone);
    tmp.Write("long.dat", std::string(3 << 20, 'x'));
    EXPECT_EQ(LoadStepFile(tmp.File("long.dat"), StepFileMode::kPage, ctx).error,
              StepFileError::kFormat);
}

}  // namespace
}  // namespace tavro
