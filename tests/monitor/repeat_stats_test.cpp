// The statistics of a repeatability run on fixed samples, and the CSV of its arrivals.

#include <gtest/gtest.h>

#include <cmath>
#include <fstream>
#include <ostream>
#include <sstream>
#include <string>
#include <vector>

#include "monitor/RepeatReport.h"
#include "monitor/RepeatStats.h"
#include "tests/support/TempDir.h"

namespace tavro::test {
namespace {

struct StatsCase {
    const char* name;
    std::vector<std::int64_t> positions;  // µm, at target 0
    std::int64_t targetUm;
    int ratedUm;
    double mean;
    double stdDev;
    double min;
    double max;
    double halfRange;
    double largestDeviation;
    RepeatVerdict verdict;
};

const StatsCase kCases[] = {
    {"SymmetricWithinRating",
     {10000, 10004, 9996, 10002, 9998},
     10000,
     5,
     10000.0,
     std::sqrt(10.0),
     9996,
     10004,
     4.0,
     4.0,
     RepeatVerdict::kPass},
    {"SameSpreadTighterRating",
     {10000, 10004, 9996, 10002, 9998},
     10000,
     3,
     10000.0,
     std::sqrt(10.0),
     9996,
     10004,
     4.0,
     4.0,
     RepeatVerdict::kFail},
    // Off the target by 20 µm but tight: repeatability passes, the deviation tells the offset.
    {"OffsetButRepeatable",
     {20010, 20030, 20020},
     20000,
     20,
     20020.0,
     10.0,
     20010,
     20030,
     10.0,
     30.0,
     RepeatVerdict::kPass},
    {"LargestDeviationBelowTarget",
     {4990, 5001, 5002},
     5000,
     90,
     4997.666666666667,
     std::sqrt(((4990 - 4997.666666666667) * (4990 - 4997.666666666667) +
                (5001 - 4997.666666666667) * (5001 - 4997.666666666667) +
                (5002 - 4997.666666666667) * (5002 - 4997.666666666667)) /
               2.0),
     4990,
     5002,
     6.0,
     -10.0,
     RepeatVerdict::kPass},
    {"HalfRangeOnTheRatingPasses",
     {49980, 50020},
     50000,
     20,
     50000.0,
     std::sqrt(800.0),
     49980,
     50020,
     20.0,
     20.0,
     RepeatVerdict::kPass},
    {"SingleArrival", {7000}, 7003, 5, 7000.0, 0.0, 7000, 7000, 0.0, -3.0, RepeatVerdict::kPass},
    {"UnknownSeriesIsNotJudged",
     {1, 2, 3},
     2,
     0,
     2.0,
     1.0,
     1,
     3,
     1.0,
     1.0,
     RepeatVerdict::kUnrated},
};

void PrintTo(const StatsCase& c, std::ostream* os) {
    *os << c.name;
}

class RepeatStatsTest : public ::testing::TestWithParam<StatsCase> {};

TEST_P(RepeatStatsTest, KnownSample) {
    const StatsCase& c = GetParam();
    std::vector<RepeatArrival> arrivals;
    int cycle = 1;
    for (const std::int64_t p : c.positions) {
        arrivals.push_back({cycle, 0, p, 100});
        // Arrivals at another target never enter the statistics of this one.
        arrivals.push_back({cycle, 1, p + 123456, 99999});
        ++cycle;
    }
    const RepeatStats s = ComputeRepeatStats(arrivals, 0, c.targetUm, c.ratedUm);
    EXPECT_EQ(s.count, static_cast<int>(c.positions.size()));
    EXPECT_NEAR(s.mean, c.mean, 1e-9);
    EXPECT_NEAR(s.stdDev, c.stdDev, 1e-9);
    EXPECT_EQ(s.min, c.min);
    EXPECT_EQ(s.max, c.max);
    EXPECT_EQ(s.range, c.max - c.min);
    EXPECT_EQ(s.halfRange, c.halfRange);
    EXPECT_EQ(s.largestDeviation, c.largestDeviation);
    EXPECT_EQ(s.verdict, c.verdict);
    EXPECT_EQ(s.ratedUm, c.ratedUm);
    EXPECT_EQ(s.moveMax, 100.0);
}

INSTANTIATE_TEST_SUITE_P(Samples, RepeatStatsTest, ::testing::ValuesIn(kCases),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(RepeatStats, NoArrivalsAtTheTargetJudgeNothing) {
    const std::vector<RepeatArrival> arrivals = {{1, 1, 5000, 100}};
    const RepeatStats s = ComputeRepeatStats(arrivals, 0, 5000, 20);
    EXPECT_EQ(s.count, 0);
    EXPECT_EQ(s.verdict, RepeatVerdict::kUnrated);
}

TEST(RepeatStats, MoveTimesMeanNearestRank95AndMax) {
    std::vector<RepeatArrival> arrivals;
    for (int i = 1; i <= 20; ++i) {
        arrivals.push_back({i, 0, 1000, i * 100});
    }
    const RepeatStats s = ComputeRepeatStats(arrivals, 0, 1000, 5);
    EXPECT_DOUBLE_EQ(s.moveMean, 1050.0);
    EXPECT_DOUBLE_EQ(s.moveP95, 1900.0);  // the 19th of 20
    EXPECT_DOUBLE_EQ(s.moveMax, 2000.0);
}

TEST(RepeatStats, NearestRankPercentile) {
    struct Case {
        std::vector<double> values;
        double p;
        double expected;
    };
    const Case cases[] = {
        {{}, 95.0, 0.0},
        {{42.0}, 95.0, 42.0},
        {{5.0, 1.0, 4.0, 2.0, 3.0}, 95.0, 5.0},
        {{5.0, 1.0, 4.0, 2.0, 3.0}, 50.0, 3.0},
        {{5.0, 1.0, 4.0, 2.0, 3.0}, 100.0, 5.0},
        {{5.0, 1.0, 4.0, 2.0, 3.0}, 1.0, 1.0},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(NearestRankPercentile(c.values, c.p), c.expected) << c.p;
    }
}

TEST(RepeatCsv, PathBesideTheReport) {
    EXPECT_EQ(CsvPathFor("/tmp/run.pdf"), "/tmp/run.csv");
    EXPECT_EQ(CsvPathFor("/tmp/RUN.PDF"), "/tmp/RUN.csv");
    EXPECT_EQ(CsvPathFor("report"), "report.csv");
    EXPECT_EQ(CsvPathFor(".pdf"), ".pdf.csv");
}

RepeatReport TwoTargetReport() {
    RepeatReport r;
    r.targets = {{1, 5000, true}, {2, 0, false}};
    r.arrivals = {{1, 0, 5004, 812}, {1, 1, 15010, 640}, {2, 0, 4990, 800}, {2, 1, 15020, 655}};
    r.stats = {ComputeRepeatStats(r.arrivals, 0, 5000, 20),
               ComputeRepeatStats(r.arrivals, 1, 15015, 20)};
    return r;
}

TEST(RepeatCsv, EveryArrivalOneLine) {
    TempDir dir;
    const std::string path = dir.File("run.csv");
    std::string error;
    ASSERT_TRUE(WriteRepeatCsv(TwoTargetReport(), path, error)) << error;
    std::ifstream in(path);
    std::stringstream text;
    text << in.rdbuf();
    // The relative step's deviations are from its mean, 15015.
    EXPECT_EQ(text.str(),
              "cycle,step,target_mm,position_mm,deviation_mm,move_ms\n"
              "1,1,5.000,5.004,+0.004,812\n"
              "1,2,0.000,15.010,-0.005,640\n"
              "2,1,5.000,4.990,-0.010,800\n"
              "2,2,0.000,15.020,+0.005,655\n");
    std::ifstream tmp(path + ".tmp");
    EXPECT_FALSE(tmp.good()) << "the temporary file stayed";
}

TEST(RepeatCsv, UnwritablePlaceLeavesNothingAndSaysWhy) {
    TempDir dir;
    const std::string path = dir.File("missing/run.csv");
    std::string error;
    EXPECT_FALSE(WriteRepeatCsv(TwoTargetReport(), path, error));
    EXPECT_NE(error.find("missing/run.csv"), std::string::npos) << error;
    std::ifstream in(path);
    EXPECT_FALSE(in.good());
}

TEST(RepeatCsv, ReplacesAnOlderFileWhole) {
    TempDir dir;
    const std::string path = dir.File("run.csv");
    {
        std::ofstream old(path);
        old << std::string(4096, 'x');
    }
    std::string error;
    ASSERT_TRUE(WriteRepeatCsv(TwoTargetReport(), path, error)) << error;
    std::ifstream in(path);
    std::stringstream text;
    text << in.rdbuf();
    EXPECT_EQ(text.str().find('x'), std::string::npos);
}

}  // namespace
}  // namespace tavro::test
