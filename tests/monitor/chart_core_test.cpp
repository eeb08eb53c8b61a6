// The sample ring, the CSV format, the recorder and the alarm black box on their own, in
// virtual time.

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <optional>
#include <string>
#include <vector>

#include "link/VirtualLoop.h"
#include "monitor/AlarmBlackBox.h"
#include "monitor/CsvRecorder.h"
#include "monitor/MonitorLog.h"
#include "monitor/SampleCsv.h"
#include "monitor/SampleRing.h"
#include "tests/support/TempDir.h"

namespace tavro::test {
namespace {

namespace fs = std::filesystem;

constexpr std::int64_t kEpochMs = 1796900000000;  // a December 2026 afternoon
constexpr std::uint16_t kIdle = 0x0890;           // SVON, ALARM clear, OUT0, origin done

MonitorSample At(std::int64_t timeMs, std::uint16_t status = kIdle, std::int64_t pos = 0) {
    MonitorSample s;
    s.timeMs = timeMs;
    s.wallMs = kEpochMs + timeMs;
    s.controllerId = 1;
    s.status = status;
    s.values = {pos, 12, 305, 0, 3};
    const std::string reply = "0890000F42400000000000000003";
    std::copy_n(reply.begin(), s.reply.size(), s.reply.begin());
    return s;
}

std::string ReadFile(const std::string& path) {
    std::ifstream in(path);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> out;
    std::size_t from = 0;
    while (from < text.size()) {
        const std::size_t nl = text.find('\n', from);
        out.push_back(text.substr(from, nl - from));
        from = nl == std::string::npos ? text.size() : nl + 1;
    }
    return out;
}

// The environment variable points the black box at a folder of the test's own.
class StateHome {
  public:
    StateHome() {
        const char* old = std::getenv("XDG_STATE_HOME");
        if (old != nullptr) {
            saved_ = old;
        }
        ::setenv("XDG_STATE_HOME", dir.Path().c_str(), 1);
    }
    ~StateHome() {
        if (saved_) {
            ::setenv("XDG_STATE_HOME", saved_->c_str(), 1);
        } else {
            ::unsetenv("XDG_STATE_HOME");
        }
    }
    std::string Alarms() const { return dir.Path() + "/Zelm/alarms"; }

    TempDir dir;

  private:
    std::optional<std::string> saved_;
};

// --- the ring ---

struct RingCase {
    const char* name;
    std::size_t capacity;
    std::size_t pushed;
};

constexpr RingCase kRingCases[] = {
    {"Empty", 5, 0},   {"PartlyFilled", 5, 3},      {"ExactlyFull", 5, 5},
    {"Wrapped", 5, 7}, {"WrappedManyTimes", 5, 23}, {"OneSlot", 1, 4},
};

class RingBounds : public ::testing::TestWithParam<RingCase> {};

TEST_P(RingBounds, KeepsTheNewestInOrderAndNoMore) {
    const RingCase& c = GetParam();
    SampleRing ring(c.capacity);
    for (std::size_t i = 0; i < c.pushed; ++i) {
        ring.Push(At(static_cast<std::int64_t>(i) * 100));
    }
    const std::size_t kept = std::min(c.pushed, c.capacity);
    ASSERT_EQ(ring.Size(), kept);
    EXPECT_EQ(ring.Capacity(), c.capacity);
    EXPECT_EQ(ring.Pushed(), c.pushed);
    for (std::size_t i = 0; i < kept; ++i) {
        EXPECT_EQ(ring.At(i).timeMs, static_cast<std::int64_t>(c.pushed - kept + i) * 100) << i;
    }
    // The last 200 ms are the newest three samples, when there are that many.
    const auto last = ring.Last(200);
    EXPECT_EQ(last.size(), std::min<std::size_t>(kept, 3));
    if (!last.empty()) {
        EXPECT_EQ(last.back().timeMs, ring.Newest().timeMs);
    }
}

INSTANTIATE_TEST_SUITE_P(Cases, RingBounds, ::testing::ValuesIn(kRingCases),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(SampleRingTest, DefaultHoldsTenMinutesAndTheBlackBoxMinuteAt100ms) {
    EXPECT_GE(SampleRing::kDefaultCapacity * 100, (600'000U + 60'000U));
    SampleRing ring;
    for (int i = 0; i < 20000; ++i) {
        ring.Push(At(i * 100));
    }
    EXPECT_EQ(ring.Size(), SampleRing::kDefaultCapacity);
    EXPECT_EQ(ring.At(0).timeMs, (20000 - static_cast<std::int64_t>(ring.Size())) * 100);
    EXPECT_EQ(ring.LowerBound(1'999'850), ring.Size() - 1);
    EXPECT_EQ(ring.LowerBound(5'000'000), ring.Size());
}

// --- the CSV format ---

TEST(SampleCsvTest, LinesReadBackAsWritten) {
    MonitorSample a = At(1000, 0x08B0, 12345);
    a.values = {12345, 20, 305, -17, 3};
    MonitorSample b = At(1100, 0x0890, 12500);
    b.marks = SampleMark::kStepEnd | SampleMark::kStepStart | SampleMark::kAlarm;
    b.endedStep = 3;
    b.step = 4;
    const std::string text = SampleCsv::Header() + SampleCsv::Lines(a, 1000) +
                             SampleCsv::Lines(b, 1000) +
                             SampleCsv::EventLine(b, 1000, SampleCsv::AlarmRecordEvent({5, 0, 12}));
    const auto lines = Lines(text);
    ASSERT_EQ(lines.size(), 7U);
    EXPECT_EQ(lines[1].substr(lines[1].find(',')),
              ",0,1,12.345,20,30.5,-0.017,3,08B0,0890000F42400000000000000003,");
    EXPECT_NE(lines[3].find(",100,1,,,,,,,,step end 3"), std::string::npos);
    EXPECT_NE(lines[4].find(",100,1,,,,,,,,step start 4"), std::string::npos);

    const auto record = SampleCsv::Parse(text);
    ASSERT_TRUE(record.has_value());
    ASSERT_EQ(record->samples.size(), 2U);
    EXPECT_EQ(record->samples[0].values, a.values);
    EXPECT_EQ(record->samples[0].status, 0x08B0);
    EXPECT_EQ(record->samples[0].Reply(), a.Reply());
    EXPECT_EQ(record->samples[1].timeMs, 100);
    EXPECT_TRUE(Has(record->samples[1].marks, SampleMark::kStepStart));
    EXPECT_TRUE(Has(record->samples[1].marks, SampleMark::kStepEnd));
    EXPECT_EQ(record->samples[1].step, 4);
    EXPECT_EQ(record->samples[1].endedStep, 3);
    EXPECT_EQ(record->alarmMs, 100);
    EXPECT_EQ(record->alarmCodes, (std::vector<int>{5, 0, 12}));
}

TEST(SampleCsvTest, LocalTimeCarriesMillisecondsAndTheOffset) {
    const std::string t = SampleCsv::LocalTime(kEpochMs + 42);
    // 2026-12-10T...:...:20.042+hh:mm
    ASSERT_EQ(t.size(), 29U) << t;
    EXPECT_EQ(t.substr(0, 8), "2026-12-");
    EXPECT_EQ(t.substr(19, 4), ".042");
    EXPECT_TRUE(t[23] == '+' || t[23] == '-') << t;
}

struct GarbageCase {
    const char* name;
    const char* line;
};

// Lines a damaged or foreign file may hold; each is skipped and the good lines stay.
constexpr GarbageCase kGarbage[] = {
    {"Empty", ""},
    {"TooFewColumns", "x,0,1,1.000,0,0.0"},
    {"TooManyColumns", "x,0,1,1.000,0,0.0,0.000,0,0890,r,,extra"},
    {"NotANumber", "x,abc,1,1.000,0,0.0,0.000,0,0890,r,"},
    {"TooManyDecimals", "x,0,1,1.0000,0,0.0,0.000,0,0890,r,"},
    {"StatusTooWide", "x,0,1,1.000,0,0.0,0.000,0,10890,r,"},
    {"StatusNotHex", "x,0,1,1.000,0,0.0,0.000,0,08G0,r,"},
    {"HugeNumber", "x,99999999999999999999999,1,1.000,0,0.0,0.000,0,0890,r,"},
    {"BadAlarmRecord", "x,0,1,,,,,,,,alarm record 5 x"},
    {"StepOfNothing", "x,12345,1,,,,,,,,step start 300"},
    {"Binary", "\x01\xff,\x80,,,,,,,,,"},
};

class CsvGarbage : public ::testing::TestWithParam<GarbageCase> {};

TEST_P(CsvGarbage, IsSkipped) {
    const std::string good = SampleCsv::Lines(At(0), 0);
    const std::string text = SampleCsv::Header() + good + GetParam().line + "\n" + good;
    const auto record = SampleCsv::Parse(text);
    ASSERT_TRUE(record.has_value());
    EXPECT_EQ(record->samples.size(), 2U);
    EXPECT_FALSE(record->alarmCodes.has_value());
    EXPECT_EQ(record->samples[0].marks, SampleMark::kNone);
}

INSTANTIATE_TEST_SUITE_P(Cases, CsvGarbage, ::testing::ValuesIn(kGarbage),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(SampleCsvTest, TextWithoutTheHeaderIsNotARecord) {
    EXPECT_FALSE(SampleCsv::Parse("").has_value());
    EXPECT_FALSE(SampleCsv::Parse("a,b,c\n" + SampleCsv::Lines(At(0), 0)).has_value());
    EXPECT_TRUE(SampleCsv::Parse(SampleCsv::Header()).has_value());
}

// --- the step and alarm marks ---

constexpr std::uint16_t kSv = kStatusSvonBit | kStatusAlarmClearBit;
constexpr std::uint16_t kDr = kStatusDriveBit;
constexpr std::uint16_t kInp = kStatusInPositionBit;

struct MarkCase {
    const char* name;
    std::vector<std::uint16_t> words;
    std::vector<std::string> marks;  // per sample: "S1" start of step 1, "E1" its end, "A" alarm
};

const MarkCase kMarkCases[] = {
    {"StepEndsInPosition",
     {kSv, kSv | kDr | 1, kSv | kDr | 1, kSv | kDr | 1 | kInp},
     {"", "S1", "", "E1"}},
    {"OriginRunEndsAtTheOrigin",
     {kSv, kSv | kDr, kSv, kSv | kStatusOriginBit},
     {"", "S0", "", "E0"}},
    {"ServoOffEndsIt", {kSv, kSv | kDr | 2, kStatusAlarmClearBit}, {"", "S2", "E2"}},
    {"NextStepEndsThePrevious",
     {kSv, kSv | kDr | 1, kSv | 1, kSv | kDr | 2},
     {"", "S1", "", "E1S2"}},
    {"AlarmEndsTheStepAndIsMarked",
     {kSv, kSv | kDr | 3, (kSv | kDr | 3) & ~kStatusAlarmClearBit},
     {"", "S3", "AE3"}},
    {"ReleasedInPositionEndsIt",
     {kSv | kInp, kSv | kDr | 4 | kInp, kSv | 4 | kInp},
     {"", "S4", "E4"}},
    {"NoEdgeAtTheFirstSample", {kSv | kDr | 1, kSv | kDr | 1 | kInp}, {"", ""}},
};

std::string MarksOf(const MonitorSample& s) {
    std::string m;
    if (Has(s.marks, SampleMark::kAlarm)) {
        m += "A";
    }
    if (Has(s.marks, SampleMark::kStepEnd)) {
        m += "E" + std::to_string(s.endedStep);
    }
    if (Has(s.marks, SampleMark::kStepStart)) {
        m += "S" + std::to_string(s.step);
    }
    return m;
}

class StepMarks : public ::testing::TestWithParam<MarkCase> {};

TEST_P(StepMarks, FollowTheStatusWord) {
    VirtualLoop loop;
    MonitorLog log(loop, nullptr, {});
    for (const std::uint16_t w : GetParam().words) {
        log.OnSample(At(loop.NowMs(), w));
        loop.Advance(100);
    }
    std::vector<std::string> got;
    for (std::size_t i = 0; i < log.Ring().Size(); ++i) {
        got.push_back(MarksOf(log.Ring().At(i)));
    }
    EXPECT_EQ(got, GetParam().marks);
}

INSTANTIATE_TEST_SUITE_P(Cases, StepMarks, ::testing::ValuesIn(kMarkCases),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(StepMarksTest, SilenceLeavesNoEdgeAcrossIt) {
    VirtualLoop loop;
    MonitorLog log(loop, nullptr, {});
    log.OnSample(At(0, kSv));
    log.OnSilence();
    log.OnSample(At(4000, (kSv | kDr) & ~kStatusAlarmClearBit));
    EXPECT_EQ(MarksOf(log.Ring().Newest()), "");
}

// --- the recorder ---

TEST(CsvRecorderTest, GrowsAsPartFileFlushedEverySecondAndIsRenamedOnStop) {
    VirtualLoop loop;
    TempDir dir;
    CsvRecorder rec(loop);
    const std::string path = dir.File("move.csv");
    ASSERT_TRUE(rec.Start(path));
    EXPECT_TRUE(fs::exists(path + ".part"));
    EXPECT_FALSE(fs::exists(path));
    for (int i = 0; i < 25; ++i) {
        ASSERT_TRUE(rec.Add(At(loop.NowMs())));
        loop.Advance(100);
    }
    // 2.5 s in: what came before the flush at 2 s is on disk, whatever a crash does now.
    const auto onDisk = Lines(ReadFile(path + ".part"));
    EXPECT_GE(onDisk.size(), 1U + 20U);
    loop.Advance(CsvRecorder::kFlushMs);
    EXPECT_EQ(Lines(ReadFile(path + ".part")).size(), 1U + 25U);
    ASSERT_TRUE(rec.Stop());
    EXPECT_FALSE(fs::exists(path + ".part"));
    const auto lines = Lines(ReadFile(path));
    ASSERT_EQ(lines.size(), 26U);
    EXPECT_EQ(lines[0] + "\n", SampleCsv::Header());
    EXPECT_EQ(rec.SamplesWritten(), 25U);
}

TEST(CsvRecorderTest, FailuresAreReportedNotTakenForSuccess) {
    VirtualLoop loop;
    {
        CsvRecorder rec(loop);
        EXPECT_FALSE(rec.Start("/nonexistent-folder/x.csv"));
        EXPECT_FALSE(rec.Recording());
        EXPECT_FALSE(rec.Add(At(0)));
        EXPECT_FALSE(rec.Stop());
    }
    if (fs::exists("/dev/full")) {
        // A full disk: the header cannot be flushed, and nothing is taken for a recording.
        TempDir dir;
        fs::create_symlink("/dev/full", dir.File("full.csv.part"));
        CsvRecorder rec(loop);
        EXPECT_FALSE(rec.Start(dir.File("full.csv")));
        EXPECT_TRUE(rec.Failed());
        EXPECT_FALSE(rec.Recording());
        EXPECT_FALSE(rec.Add(At(0)));
        EXPECT_FALSE(rec.Stop());
        EXPECT_FALSE(fs::exists(dir.File("full.csv")));
    }
}

// --- the black box ---

class BlackBoxTest : public ::testing::Test {
  protected:
    // Polls every 100 ms for `ms`, status as given.
    void Feed(std::int64_t ms, std::uint16_t status = kIdle) {
        for (std::int64_t end = loop.NowMs() + ms; loop.NowMs() < end;) {
            log.OnSample(At(loop.NowMs(), status, loop.NowMs() / 10));
            loop.Advance(100);
        }
    }
    std::vector<std::string> Records() const { return AlarmBlackBox::List(home.Alarms()); }

    StateHome home;
    VirtualLoop loop;
    MonitorLog log{loop, [this] { return kEpochMs + loop.NowMs(); },
                   AlarmBlackBox::DefaultFolder()};
};

TEST_F(BlackBoxTest, FolderFollowsTheEnvironment) {
    EXPECT_EQ(AlarmBlackBox::DefaultFolder(), home.Alarms());
    ::setenv("XDG_STATE_HOME", "relative/path", 1);
    const char* h = std::getenv("HOME");
    EXPECT_EQ(AlarmBlackBox::DefaultFolder(),
              std::string(h != nullptr && h[0] == '/' ? h : "") + "/.local/state/Zelm/alarms");
}

TEST_F(BlackBoxTest, AlarmRecordThatComesIsSavedWithTheMinuteBefore) {
    Feed(90'000);
    const std::int64_t alarmAt = loop.NowMs();
    Feed(1200, kIdle & ~kStatusAlarmClearBit);
    EXPECT_TRUE(Records().empty());
    log.OnAlarmRecord({5, 3, 0, 0});
    const auto names = Records();
    ASSERT_EQ(names.size(), 1U);
    EXPECT_TRUE(names[0].ends_with("-ID1-5.csv")) << names[0];
    const auto record = SampleCsv::Parse(ReadFile(home.Alarms() + "/" + names[0]));
    ASSERT_TRUE(record.has_value());
    ASSERT_FALSE(record->samples.empty());
    EXPECT_EQ(record->alarmCodes, (std::vector<int>{5, 3, 0, 0}));
    // 60 s before the alarm and the alarm itself, nothing after it.
    EXPECT_EQ(record->samples.size(), 601U);
    EXPECT_EQ(record->alarmMs, 60'000);
    EXPECT_EQ(record->samples.back().values[0], alarmAt / 10);
    EXPECT_TRUE(Has(record->samples.back().marks, SampleMark::kAlarm));
    // The record the upload or a reset reads later saves nothing more.
    log.OnAlarmRecord({0, 0, 0, 0});
    EXPECT_EQ(Records().size(), 1U);
}

TEST_F(BlackBoxTest, WithoutARecordItIsSavedAfterTheWait) {
    Feed(5'000);
    Feed(AlarmBlackBox::kRecordWaitMs - 100, kIdle & ~kStatusAlarmClearBit);
    EXPECT_TRUE(Records().empty());
    Feed(200, kIdle & ~kStatusAlarmClearBit);
    const auto names = Records();
    ASSERT_EQ(names.size(), 1U);
    EXPECT_TRUE(names[0].ends_with("-ID1-unknown.csv")) << names[0];
    const auto record = SampleCsv::Parse(ReadFile(home.Alarms() + "/" + names[0]));
    ASSERT_TRUE(record.has_value());
    EXPECT_EQ(record->samples.size(), 51U);  // all there was
    EXPECT_FALSE(record->alarmCodes.has_value());
}

TEST_F(BlackBoxTest, AnAlarmAlreadyActiveAtTheFirstSampleIsNoEdge) {
    Feed(3'000, kIdle & ~kStatusAlarmClearBit);
    loop.Advance(AlarmBlackBox::kRecordWaitMs);
    log.OnAlarmRecord({5});
    EXPECT_TRUE(Records().empty());
}

TEST_F(BlackBoxTest, KeepsTheNewestHundred) {
    fs::create_directories(home.Alarms());
    for (int i = 0; i < 120; ++i) {
        char name[64];
        std::snprintf(name, sizeof name, "2020%04d-000000-ID1-5.csv", i);
        std::ofstream(home.Alarms() + "/" + name) << SampleCsv::Header();
    }
    std::ofstream(home.Alarms() + "/notes.txt") << "kept";
    Feed(1'000);
    Feed(200, kIdle & ~kStatusAlarmClearBit);
    log.OnAlarmRecord({7});
    const auto names = Records();
    ASSERT_EQ(names.size(), AlarmBlackBox::kMaxFiles);
    EXPECT_TRUE(names.front().ends_with("-ID1-7.csv"));
    EXPECT_EQ(names.back(), "20200021-000000-ID1-5.csv");
    EXPECT_TRUE(fs::exists(home.Alarms() + "/notes.txt"));
}

TEST_F(BlackBoxTest, TwoAlarmsInOneSecondKeepTwoFiles) {
    Feed(2'000);
    Feed(100, kIdle & ~kStatusAlarmClearBit);
    log.OnAlarmRecord({4});
    Feed(100);
    Feed(100, kIdle & ~kStatusAlarmClearBit);
    log.OnAlarmRecord({4});
    EXPECT_EQ(Records().size(), 2U);
}

}  // namespace
}  // namespace tavro::test
