#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <string>
#include <vector>

#include "tests/sim/ControllerFixture.h"

namespace tavro::sim::test {
namespace {

using Motion = ControllerFixture;

TEST_F(Motion, ServoFollowsSvonInTestModeOnly) {
    Do("OE 0 1 0");
    EXPECT_FALSE(c.ServoOn()) << "monitor mode at power-on: the connector decides";
    EXPECT_EQ(Word() & kBitSvon, 0);
    Do("MD 1");
    EXPECT_TRUE(c.ServoOn()) << "entering test mode applies the inputs sent before";
    EXPECT_NE(Word() & kBitSvon, 0);
    Do("OE 0 0 0");
    EXPECT_FALSE(c.ServoOn());
}

TEST_F(Motion, ReturnToOriginTakesTimeThenReportsBit11) {
    Do("MD 1");
    Do("OE 0 1 1");
    // From mid-stroke (10 mm) at 20 mm/s is 500 ms, then 300 ms to find the origin.
    EXPECT_NE(Word() & kBitBusy, 0);
    EXPECT_EQ(Word() & kBitOriginDone, 0);
    loop.Advance(250);
    EXPECT_NEAR(c.Position(), 5000.0, 1.0);
    loop.Advance(549);
    EXPECT_EQ(Word() & kBitOriginDone, 0);
    EXPECT_NE(Word() & kBitBusy, 0);
    loop.Advance(1);
    EXPECT_NE(Word() & kBitOriginDone, 0);
    EXPECT_EQ(Word() & kBitBusy, 0);
    EXPECT_EQ(c.Position(), 0.0);
}

TEST_F(Motion, StepsNeedTheOriginFirst) {
    Do("MD 1");
    Set(3, 0, 5000);
    Drive(1);
    loop.Advance(2000);
    EXPECT_FALSE(c.Moving());
    EXPECT_NEAR(c.Position(), 10000.0, 1e-6);
}

TEST_F(Motion, StepByPositioningTimeTravelsAtConstantSpeed) {
    Home();
    Set(3, 0, 15000);
    Set(3, 1, 1.5);
    Drive(1);
    EXPECT_NE(Word() & kBitBusy, 0);
    EXPECT_EQ(Word() & kBitInPosition, 0);
    loop.Advance(750);
    EXPECT_NEAR(c.Position(), 7500.0, 1e-6);
    EXPECT_NEAR(c.Speed(), 10.0, 1e-9);
    Do("OE 1 1 0");  // the tool releases DRIVE before the step ends; the move goes on
    loop.Advance(749);
    EXPECT_EQ(Word() & kBitInPosition, 0);
    loop.Advance(1);
    EXPECT_NE(Word() & kBitInPosition, 0);
    EXPECT_EQ(Word() & kBitBusy, 0);
    EXPECT_EQ(c.Position(), 15000.0);
}

TEST_F(Motion, StepBySpeedFollowsATrapezoid) {
    Home();
    Set(0, 2, 1);  // speed entry
    Set(4, 0, 20000);
    Set(4, 2, 100);
    Set(4, 3, 1000);
    Set(4, 4, 1000);
    Drive(2);
    // 100 ms to reach 100 mm/s over 5 mm, 100 ms at speed, 100 ms to stop.
    loop.Advance(100);
    EXPECT_NEAR(c.Position(), 5000.0, 1e-6);
    loop.Advance(50);
    EXPECT_NEAR(c.Speed(), 100.0, 1e-9);
    EXPECT_EQ(HexField(c.MonitorData(), 12, 4), 100U);
    loop.Advance(100);
    EXPECT_NEAR(c.Speed(), 50.0, 1e-9);
    loop.Advance(50);
    EXPECT_TRUE(c.InPosition());
    EXPECT_EQ(c.Position(), 20000.0);
}

TEST_F(Motion, ShortStepBySpeedNeverReachesItsSpeed) {
    Home();
    Set(0, 2, 1);
    Set(3, 0, 1000);
    Set(3, 2, 400);
    Set(3, 3, 1000);
    Set(3, 4, 1000);
    Drive(1);
    // Triangle: 1 mm at 1000 mm/s² each way peaks at 31.6 mm/s after 31.6 ms.
    loop.Advance(31);
    EXPECT_LT(c.Speed(), 32.0);
    EXPECT_GT(c.Speed(), 30.0);
    loop.Advance(33);
    EXPECT_TRUE(c.InPosition());
}

// A step so slow that no clock counts to its end: it is under way for good, and does not
// arrive at once either.
TEST_F(Motion, StepSlowerThanAnyClockNeverArrives) {
    Home();
    Set(0, 2, 1);
    Set(3, 0, 5000);
    Do("EE 3 2 0.000000000000000001");
    Drive(1);
    loop.Advance(100000);
    EXPECT_TRUE(c.Moving());
    EXPECT_FALSE(c.InPosition());
    EXPECT_LT(c.Position(), 1.0);
    Do("OE 1 0 0");
    EXPECT_FALSE(c.Moving());
}

TEST_F(Motion, RelativeStepMovesFromWhereTheTableIs) {
    Home();
    Set(3, 0, 4000);
    Set(3, 8, 1);
    Drive(1);
    loop.Advance(1000);
    Do("OE 1 1 0");
    Drive(1);
    loop.Advance(1000);
    EXPECT_EQ(c.Position(), 8000.0);
}

TEST_F(Motion, TargetOutsideTheStrokeRaisesTheStepDataAlarm) {
    Home();
    Set(3, 0, 20001);
    Drive(1);
    EXPECT_TRUE(c.AlarmActive());
    EXPECT_EQ(c.History()[0], kAlarmStepData);
    EXPECT_EQ(Word() & kBitAlarm, 0);
    EXPECT_FALSE(c.Moving());
}

TEST_F(Motion, ZeroOperatingTimeDoesNotOperate) {
    Home();
    Set(3, 0, 5000);
    Set(3, 1, 0);
    Drive(1);
    loop.Advance(1000);
    EXPECT_FALSE(c.Moving());
    EXPECT_FALSE(c.InPosition());
    EXPECT_EQ(c.Position(), 0.0);
}

// Where a work piece is and how the pushing step ends.
struct PushCase {
    const char* name;
    double workpieceMm;
    double stopUm;
    bool complete;
    unsigned forceField;  // 0.1 units
};

constexpr PushCase kPushes[] = {
    {"MeetsTheWorkpiece", 12.0, 12000.0, true, 25},
    {"WorkpieceBeyondTheRange", 16.0, 15000.0, false, 0},
    {"NoWorkpiece", -1.0, 15000.0, false, 0},
};

// Pushing steps with and without a work piece.
class Pushing : public Motion, public ::testing::WithParamInterface<PushCase> {};

TEST_P(Pushing, PushesOnFromTheTargetWithinTheRange) {
    const PushCase& p = GetParam();
    Home();
    c.SetWorkpiece(p.workpieceMm);
    Set(3, 0, 10000);
    Set(3, 1, 0.5);
    Set(3, 5, 0x8000 | 5);  // pushing at 5 mm/s
    Set(3, 6, 2.5);
    Set(3, 10, 5000);
    Drive(1);
    loop.Advance(500);
    EXPECT_NEAR(c.Position(), 10000.0, 1e-6);
    EXPECT_TRUE(c.Moving()) << "pushing follows the approach";
    loop.Advance(1001);
    EXPECT_FALSE(c.Moving());
    EXPECT_NEAR(c.Position(), p.stopUm, 1e-6);
    EXPECT_EQ((Word() & kBitInPosition) != 0, p.complete);
    EXPECT_EQ(HexField(c.MonitorData(), 16, 2), p.forceField);
}

INSTANTIATE_TEST_SUITE_P(Sim, Pushing, ::testing::ValuesIn(kPushes),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(Motion, JogRunsUntilDriveIsReleased) {
    Home();
    Set(19, 2, 10);
    Drive(17);
    loop.Advance(500);
    EXPECT_NEAR(c.Position(), 5000.0, 1e-6);
    EXPECT_NE(Word() & kBitBusy, 0);
    Do("OE 17 1 0");
    EXPECT_FALSE(c.Moving());
    loop.Advance(500);
    EXPECT_NEAR(c.Position(), 5000.0, 1e-6);
    Set(18, 2, 50);
    Drive(16);
    loop.Advance(1000);
    EXPECT_EQ(c.Position(), 0.0) << "the jog stops at the stroke end";
    EXPECT_FALSE(c.Moving());
}

TEST_F(Motion, InchingMovesTheSignedDistanceWithinTheStroke) {
    Home();
    Set(21, 0, 3000);
    Set(21, 2, 20);
    Drive(19);
    loop.Advance(150);
    EXPECT_TRUE(c.InPosition());
    EXPECT_EQ(c.Position(), 3000.0);
    Do("OE 18 1 0");
    Set(20, 0, -5000);
    Set(20, 2, 20);
    Do("OE 18 1 1");
    loop.Advance(1000);
    EXPECT_EQ(c.Position(), 0.0) << "clamped at the connector end";
}

TEST_F(Motion, ServoOffStopsTheTableWhereItIs) {
    Home();
    Set(3, 0, 20000);
    Set(3, 1, 2.0);
    Drive(1);
    loop.Advance(400);
    Do("OE 0 0 0");
    EXPECT_FALSE(c.Moving());
    loop.Advance(2000);
    EXPECT_NEAR(c.Position(), 4000.0, 1e-6);
    EXPECT_FALSE(c.InPosition());
}

TEST_F(Motion, MonitorModeFollowsTheConnectorAndIgnoresTheTool) {
    Do("OE 0 1 1");
    EXPECT_FALSE(c.Moving());
    c.SetPhysicalInputs(kBitSvon);
    c.SetPhysicalInputs(kBitSvon | kBitDrive);
    EXPECT_TRUE(c.Moving());
    EXPECT_EQ(c.Inputs(), kBitSvon | kBitDrive);
    loop.Advance(1000);
    EXPECT_TRUE(c.OriginDone());
}

TEST_F(Motion, StepInputsShowTheSelectedStep) {
    Do("MD 1");
    Do("OE 5 1 0");
    EXPECT_EQ(c.Inputs(), 5 | kBitSvon);
    Do("OE 17 1 0");
    EXPECT_EQ(c.Inputs(), kBitSvon) << "jog and inching steps have no input pattern";
}

// An actuator series, its position constant and a stroke it comes in.
struct SeriesCase {
    const char* name;
    int series;
    int scale;
    int stroke;
};

constexpr SeriesCase kSeriesCases[] = {
    {"F", 1, 125, 10},
    {"Standard", 2, 3000, 50},
    {"M", 3, 500, 30},
};

// The values block for each series.
class MonitorValues : public ::testing::TestWithParam<SeriesCase> {};

TEST_P(MonitorValues, PositionsDecodeToTheModelsPosition) {
    const SeriesCase& s = GetParam();
    VirtualLoop loop;
    ControllerOptions options;
    options.series = s.series;
    options.stroke = s.stroke;
    SimController c(loop, options);
    const double perCount = s.scale / 100.0;
    const double stroke = s.stroke * 1000.0;
    for (double pos : {0.0, perCount, 7 * perCount, 1234.0, 4321.5, stroke / 3, stroke}) {
        c.PlaceTable(pos);
        const std::string mo = c.MonitorData();
        ASSERT_EQ(mo.size(), 28U);
        const std::int64_t decoded = DecodePosition(HexField(mo, 4, 8), s.scale);
        EXPECT_LE(std::fabs(static_cast<double>(decoded) - pos), perCount / 2 + 1.0)
            << s.name << " at " << pos;
        const double counts = pos / perCount;
        if (counts == std::floor(counts)) {
            EXPECT_EQ(decoded, static_cast<std::int64_t>(pos)) << s.name << " at " << pos;
        }
    }
}

TEST_P(MonitorValues, TargetAndStepShowWhatRuns) {
    const SeriesCase& s = GetParam();
    VirtualLoop loop;
    ControllerOptions options;
    options.series = s.series;
    options.stroke = s.stroke;
    SimController c(loop, options);
    for (const char* command : {"MD 1", "OE 0 1 0", "OE 0 1 1"}) {
        ASSERT_TRUE(c.Execute(command).ok);
    }
    loop.Advance(5000);
    const double target = s.stroke * 500.0;
    ASSERT_TRUE(c.Execute("EE 9 0 " + std::to_string(target)).ok);
    ASSERT_TRUE(c.Execute("OE 7 1 0").ok);
    ASSERT_TRUE(c.Execute("OE 7 1 1").ok);
    loop.Advance(100);
    const std::string mo = c.MonitorData();
    const double perCount = s.scale / 100.0;
    EXPECT_LE(std::fabs(static_cast<double>(DecodePosition(HexField(mo, 18, 8), s.scale)) - target),
              perCount / 2 + 1.0);
    EXPECT_EQ(HexField(mo, 26, 2), 7U);
    EXPECT_NE(HexField(mo, 0, 4) & kBitBusy, 0U);
}

INSTANTIATE_TEST_SUITE_P(Sim, MonitorValues, ::testing::ValuesIn(kSeriesCases),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace tavro::sim::test

namespace tavro::sim::test {
namespace {

ControllerOptions Scatter(double um, std::uint64_t draws) {
    ControllerOptions o;
    o.scatterUm = um;
    o.scatterDraws = draws;
    return o;
}

class ScatteredArrivals : public ControllerFixture {
  protected:
    explicit ScatteredArrivals(ControllerOptions o = Scatter(20.0, 5)) : ControllerFixture(o) {}

    // Arrivals at step 1 (5 mm), coming from step 2 (15 mm) each time.
    std::vector<double> Arrivals(int n) {
        Home();
        Set(3, 0, 5000);
        Set(4, 0, 15000);
        std::vector<double> at;
        for (int i = 0; i < n; ++i) {
            for (const int s : {2, 1}) {
                Drive(s);
                loop.RunUntil([this] { return c.InPosition(); }, 5000);
                EXPECT_TRUE(c.InPosition());
                if (s == 1) {
                    at.push_back(c.Position());
                }
            }
        }
        return at;
    }
};

TEST_F(ScatteredArrivals, StayWithinTheScatterAndSpreadOverIt) {
    const std::vector<double> at = Arrivals(40);
    double lo = at.front();
    double hi = at.front();
    for (const double p : at) {
        EXPECT_GE(p, 5000.0 - 20.0);
        EXPECT_LE(p, 5000.0 + 20.0);
        EXPECT_EQ(p, std::round(p));  // whole micrometres
        lo = std::min(lo, p);
        hi = std::max(hi, p);
    }
    // Forty even draws over ±20 µm reach well beyond half of it on both sides.
    EXPECT_LT(lo, 5000.0 - 10.0);
    EXPECT_GT(hi, 5000.0 + 10.0);
}

TEST_F(ScatteredArrivals, TheSameDrawsGiveTheSameArrivals) {
    const std::vector<double> first = Arrivals(10);
    VirtualLoop otherLoop;
    SimController other(otherLoop, Scatter(20.0, 5));
    ASSERT_TRUE(other.Execute("MD 1").ok);
    ASSERT_TRUE(other.Execute("OE 0 1 0").ok);
    ASSERT_TRUE(other.Execute("OE 0 1 1").ok);
    otherLoop.RunUntil([&] { return other.OriginDone(); }, 10000);
    ASSERT_TRUE(other.Execute("EE 3 0 5000.00000").ok);
    ASSERT_TRUE(other.Execute("EE 4 0 15000.00000").ok);
    std::vector<double> second;
    for (int i = 0; i < 10; ++i) {
        for (const int s : {2, 1}) {
            ASSERT_TRUE(other.Execute("OE " + std::to_string(s) + " 1 0").ok);
            ASSERT_TRUE(other.Execute("OE " + std::to_string(s) + " 1 1").ok);
            otherLoop.RunUntil([&] { return other.InPosition(); }, 5000);
            if (s == 1) {
                second.push_back(other.Position());
            }
        }
    }
    EXPECT_EQ(first, second);
}

class ExactArrivals : public ScatteredArrivals {
  protected:
    ExactArrivals() : ScatteredArrivals(ControllerOptions{}) {}
};

TEST_F(ExactArrivals, WithoutScatterEveryArrivalIsOnTarget) {
    for (const double p : Arrivals(5)) {
        EXPECT_EQ(p, 5000.0);
    }
}

}  // namespace
}  // namespace tavro::sim::test
