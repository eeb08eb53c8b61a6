#include <gtest/gtest.h>

#include <string>

#include "tests/sim/ControllerFixture.h"
#include "tests/support/TempDir.h"

namespace tavro::sim::test {
namespace {

using Alarms = ControllerFixture;

TEST_F(Alarms, RaisedAlarmStopsTheTableAndDropsTheAlarmBit) {
    Home();
    Set(3, 0, 20000);
    Drive(1);
    loop.Advance(300);
    c.RaiseAlarm(4);
    EXPECT_EQ(Word() & kBitAlarm, 0);
    EXPECT_FALSE(c.ServoOn());
    EXPECT_FALSE(c.Moving());
    EXPECT_EQ(Do("RE"), "0400000000000000000000000000000000000000");
}

TEST_F(Alarms, NoMotionWhileAnAlarmIsPresent) {
    Home();
    c.RaiseAlarm(5);
    Set(3, 0, 5000);
    Drive(1);
    EXPECT_FALSE(c.Moving());
    EXPECT_FALSE(c.ServoOn());
}

TEST_F(Alarms, ResetClearsThePresentAlarmAndKeepsTheHistory) {
    c.RaiseAlarm(3);
    c.RaiseAlarm(11);
    Do("RE 0");
    EXPECT_NE(Word() & kBitAlarm, 0);
    EXPECT_EQ(Do("RE"), "0B03000000000000000000000000000000000000");
    Do("MD 1");
    Do("OE 0 1 0");
    EXPECT_TRUE(c.ServoOn()) << "the servo comes back with the next SVON";
}

TEST_F(Alarms, HistoryKeepsTheTwentyMostRecent) {
    for (int code = 1; code <= 25; ++code) {
        c.RaiseAlarm(code);
    }
    EXPECT_EQ(Do("RE"), "191817161514131211100F0E0D0C0B0A09080706");
}

TEST_F(Alarms, CodesOutsideAByteAreIgnored) {
    c.RaiseAlarm(0);
    c.RaiseAlarm(256);
    EXPECT_FALSE(c.AlarmActive());
    EXPECT_EQ(c.History()[0], 0);
}

using Outputs = ControllerFixture;

TEST_F(Outputs, FactoryFunctionsAreBusyAndInPosition) {
    Home();
    EXPECT_EQ(Word() & (kBitBusy | kBitOut0), 0) << "no step has run since the origin";
    Set(3, 0, 2000);
    Drive(1);
    EXPECT_EQ(Word() & (kBitBusy | kBitOut0), kBitBusy);
    loop.Advance(1000);
    EXPECT_EQ(Word() & (kBitBusy | kBitOut0), kBitOut0);
}

// A sequence of manual-output commands and the output bits it leaves.
struct ManualCase {
    const char* name;
    const char* commands[3];
    std::uint16_t outputs;  // bits 6..9 afterwards, at rest without alarm
};

constexpr ManualCase kManual[] = {
    {"BusyOn", {"SW 0 1", nullptr, nullptr}, kBitBusy | kBitAlarm},
    {"AlarmOutputOff", {"SW 1 0", nullptr, nullptr}, 0},
    {"BothOuts", {"SW 2 1", "SW 3 1", nullptr}, kBitAlarm | kBitOut0 | kBitOut1},
    {"OnThenOff", {"SW 2 1", "SW 2 0", nullptr}, kBitAlarm},
    {"AllOff", {"SW 4 0", nullptr, nullptr}, 0},
    {"ReleasedToTheirFunctions", {"SW 0 1", "SW 1 0", "SW 4 1"}, kBitAlarm},
};

// Manual outputs over the functions.
class ManualOutputs : public Outputs, public ::testing::WithParamInterface<ManualCase> {};

TEST_P(ManualOutputs, DriveTheOutputBits) {
    for (const char* command : GetParam().commands) {
        if (command != nullptr) {
            Do(command);
        }
    }
    EXPECT_EQ(c.Outputs(), GetParam().outputs);
    EXPECT_EQ(Word() & kOutputBits, GetParam().outputs);
}

INSTANTIATE_TEST_SUITE_P(Sim, ManualOutputs, ::testing::ValuesIn(kManual),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(Outputs, AreaFunctionFollowsThePosition) {
    Home();
    Set(0, 9, 5);  // OUT1: AREA A of the running step
    Set(3, 11, 3000);
    Set(3, 12, 6000);
    Set(3, 0, 10000);
    Drive(1);
    loop.Advance(200);
    EXPECT_EQ(Word() & kBitOut1, 0);
    loop.Advance(200);
    EXPECT_NE(Word() & kBitOut1, 0);
    loop.Advance(600);
    EXPECT_EQ(Word() & kBitOut1, 0);
}

// Non-volatile memory: "EU" stores, a restart loads, a state file carries it across runs.
class Memory : public ::testing::Test {
  protected:
    ControllerOptions Options() const {
        ControllerOptions o;
        o.stateFile = dir.File("memory.txt");
        return o;
    }

    tavro::test::TempDir dir;
    VirtualLoop loop;
};

TEST_F(Memory, StoredParametersSurviveARestartAndUnstoredOnesDoNot) {
    {
        SimController c(loop, Options());
        ASSERT_TRUE(c.Execute("EE 3 0 1500.00000").ok);
        ASSERT_TRUE(c.Execute("EU").ok);
        ASSERT_TRUE(c.Execute("EE 3 1 2.50000").ok);
        c.RaiseAlarm(6);
        EXPECT_EQ(c.StateError(), "");
    }
    SimController again(loop, Options());
    EXPECT_EQ(again.StateError(), "");
    EXPECT_EQ(again.Execute("EE 3 0").data, "1500.000000");
    EXPECT_EQ(again.Execute("EE 3 1").data, "1.000000");
    EXPECT_EQ(again.History()[0], 6);
}

TEST_F(Memory, PowerCycleLoadsStoredValuesAndForgetsTheRest) {
    SimController c(loop, ControllerOptions{});
    ASSERT_TRUE(c.Execute("EE 0 19 2.00000").ok);
    ASSERT_TRUE(c.Execute("EU").ok);
    ASSERT_TRUE(c.Execute("EE 0 19 3.00000").ok);
    ASSERT_TRUE(c.Execute("MD 1").ok);
    c.RaiseAlarm(2);
    c.PowerCycle();
    EXPECT_FLOAT_EQ(c.Parameter(0, 19), 2.0F);
    EXPECT_FALSE(c.AlarmActive());
    EXPECT_FALSE(c.TestMode());
    EXPECT_FALSE(c.OriginDone());
}

TEST_F(Memory, LineSpeedChangesAtTheNextPowerOnOnly) {
    SimController c(loop, ControllerOptions{});
    ASSERT_TRUE(c.Execute("EE 0 22 2.00000").ok);
    ASSERT_TRUE(c.Execute("EU").ok);
    ASSERT_TRUE(c.Execute("AB").ok);
    ASSERT_TRUE(c.Execute("SP").ok);
    EXPECT_EQ(c.LineSpeed(), 19200);
    c.PowerCycle();
    EXPECT_EQ(c.LineSpeed(), 9600);
}

TEST_F(Memory, ResetSequenceReloadsTheStoredParameters) {
    SimController c(loop, ControllerOptions{});
    ASSERT_TRUE(c.Execute("MD 1").ok);
    ASSERT_TRUE(c.Execute("EE 0 10 90.00000").ok);
    ASSERT_TRUE(c.Execute("SP").ok);
    EXPECT_FLOAT_EQ(c.Parameter(0, 10), 90.0F) << "SP alone is no reset";
    ASSERT_TRUE(c.Execute("AB").ok);
    ASSERT_TRUE(c.Execute("SP").ok);
    EXPECT_FLOAT_EQ(c.Parameter(0, 10), 0.0F);
    EXPECT_TRUE(c.TestMode()) << "the link keeps its mode across the reset";
}

TEST_F(Memory, PresetsAreHeldInBothMemoriesUntilAFactoryReset) {
    ControllerOptions o;
    o.presets = {{3, 11, 4012.5F}, {22, 0, -1500.0F}, {1, 1, 21.25F}};
    SimController c(loop, o);
    EXPECT_EQ(c.Execute("EE 3 11").data, "4012.500000");
    EXPECT_FLOAT_EQ(c.StoredParameter(1, 1), 21.25F);
    EXPECT_FLOAT_EQ(c.Parameter(18, 0), -1500.0F);
    // Still there after the reset the tool ends its downloads with.
    ASSERT_TRUE(c.Execute("AB").ok);
    ASSERT_TRUE(c.Execute("SP").ok);
    EXPECT_FLOAT_EQ(c.Parameter(3, 11), 4012.5F);
    ASSERT_TRUE(c.Execute("ED").ok);
    EXPECT_FLOAT_EQ(c.Parameter(3, 11), 0.0F);
    EXPECT_FLOAT_EQ(c.StoredParameter(1, 1), 20.0F);
}

TEST_F(Memory, FactoryResetIsStoredToo) {
    {
        ControllerOptions o = Options();
        o.id = 9;
        SimController c(loop, o);
        EXPECT_EQ(c.Id(), 9);
        ASSERT_TRUE(c.Execute("EU").ok);
    }
    {
        SimController c(loop, Options());
        EXPECT_EQ(c.Id(), 9) << "the stored ID wins over the options";
        ASSERT_TRUE(c.Execute("ED").ok);
        EXPECT_EQ(c.Id(), 1);
    }
    SimController c(loop, Options());
    EXPECT_EQ(c.Id(), 1);
}

TEST_F(Memory, UnwritableMemoryAnswersNgWithTheEepromAlarm) {
    ControllerOptions o;
    o.stateFile = dir.File("missing-folder/memory.txt");
    SimController c(loop, o);
    EXPECT_FALSE(c.Execute("EU").ok);
    EXPECT_TRUE(c.AlarmActive());
    EXPECT_EQ(c.History()[0], kAlarmEeprom);
    EXPECT_NE(c.StateError(), "");
}

// A state file that must not be loaded.
struct DamagedCase {
    const char* name;
    const char* content;
};

constexpr DamagedCase kDamaged[] = {
    {"Empty", ""},
    {"NoFormatLine", "0/0=50\n"},
    {"UnknownFormat", "format=7\n0/0=50\n"},
    {"ValueNotANumber", "format=1\n0/0=50\n0/1=three\n"},
    {"ValueInfinite", "format=1\n0/0=50\n0/1=1e999\n"},
    {"AddressOutsideTheGroups", "format=1\n0/0=50\n23/0=1\n"},
    {"AliasGroupIsNotStored", "format=1\n0/0=50\n22/0=1\n"},
    {"AddressGarbage", "format=1\n0/0=50\n0/x=1\n"},
    {"NoEqualsSign", "format=1\n0/0=50\nhello\n"},
    {"ShortAlarmHistory", "format=1\n0/0=50\nalarms=1 2 3\n"},
    {"AlarmCodeTooLarge", "format=1\n0/0=50\nalarms=300 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0\n"},
    {"BinaryBytes", "format=1\n0/0=50\n\x01\xFF\x7F=\x80\n"},
};

// Damaged state files.
class DamagedState : public Memory, public ::testing::WithParamInterface<DamagedCase> {};

TEST_P(DamagedState, IsReportedAndNothingOfItIsLoaded) {
    dir.Write("memory.txt", GetParam().content);
    SimController c(loop, Options());
    EXPECT_NE(c.StateError(), "");
    EXPECT_FLOAT_EQ(c.Parameter(0, 0), 20.0F) << "0/0=50 of the damaged file must not load";
    EXPECT_TRUE(c.Execute("EU").ok) << "the next store replaces the damaged file";
    EXPECT_EQ(c.StateError(), "");
}

INSTANTIATE_TEST_SUITE_P(Sim, DamagedState, ::testing::ValuesIn(kDamaged),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(Memory, EveryValueComesBackBitForBit) {
    ParameterBank bank = ParameterBank::Factory(ControllerOptions{});
    bank.Set(2, 40, 0.000123456F);
    bank.Set(3, 0, -19999.5F);
    bank.Set(0, 21, 3.0e30F);
    AlarmHistory history{};
    history[19] = 255;
    std::string error;
    ASSERT_TRUE(SaveState(dir.File("m"), bank, history, error)) << error;
    ParameterBank loaded;
    AlarmHistory loadedHistory{};
    ASSERT_TRUE(LoadState(dir.File("m"), loaded, loadedHistory, error)) << error;
    EXPECT_TRUE(loaded == bank);
    EXPECT_EQ(loadedHistory, history);
}

}  // namespace
}  // namespace tavro::sim::test
