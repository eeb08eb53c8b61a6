#include <gtest/gtest.h>

#include <string>

#include "link/Frame.h"
#include "tests/sim/BusFixture.h"

namespace tavro::sim::test {
namespace {

// One factory controller at ID 1 on the line.
class Conformance : public BusFixture {
  protected:
    Conformance() { bus.AddController(ControllerOptions{}); }
};

TEST_F(Conformance, VersionReplyIsFramedAndChecksummed) {
    RequestRecord last;
    bus.FromHost(BuildRequest(1, "VE", last));
    loop.RunDue();
    // Body "01VEOK2.60" sums to 0x25C; two's complement of 0x5C is 0xA4.
    EXPECT_EQ(received, ":01VEOK2.60A4\r\n");
}

// One command form and the answer it gets from a factory controller.
struct FormCase {
    const char* name;
    const char* command;
    bool ok;
    const char* data;  // nullptr: not compared here
};

constexpr FormCase kForms[] = {
    {"Version", "VE", true, "2.60"},
    {"Monitor", "MO", true, nullptr},
    {"StopAll", "OE 0 0 0", true, ""},
    {"ServoOnWithoutDrive", "OE 0 1 0", true, ""},
    {"InchingStepInputs", "OE 19 1 0", true, ""},
    {"TestMode", "MD 1", true, ""},
    {"MonitorMode", "MD 0", true, ""},
    {"ManualOutput", "SW 2 1", true, ""},
    {"ReleaseOutputs", "SW 4 1", true, ""},
    {"ReadStroke", "EE 0 0", true, "20.000000"},
    {"ReadSeries", "EE 0 1", true, "2.000000"},
    {"ReadId", "EE 0 3", true, "1.000000"},
    {"ReadSpeedCode", "EE 0 22", true, "3.000000"},
    {"ReadLastCellOfGroup2", "EE 2 56", true, "0.000100"},
    {"ReadJogAlias", "EE 22 2", true, "10.000000"},
    {"WriteStepTarget", "EE 3 0 12345.00000", true, ""},
    {"WriteNegativeInching", "EE 20 0 -500.00000", true, ""},
    {"AlarmHistory", "RE", true, "0000000000000000000000000000000000000000"},
    {"AlarmReset", "RE 0", true, ""},
    {"Commit", "EU", true, ""},
    {"CommitAb", "AB", true, ""},
    {"CommitSp", "SP", true, ""},
    {"FactoryDefaults", "ED", true, ""},
    {"UnknownCommand", "ZZ", false, ""},
    {"LowercaseCommand", "ve", false, ""},
    {"ArgumentToBareCommand", "VE 1", false, ""},
    {"GroupOutsideTheMap", "EE 23 0", false, ""},
    {"ParameterOutsideGroup0", "EE 0 25", false, ""},
    {"ParameterOutsideAStepGroup", "EE 3 16", false, ""},
    {"NegativeGroup", "EE -1 0", false, ""},
    {"StepNumberTooHigh", "OE 20 1 1", false, ""},
    {"ServoFlagNotBinary", "OE 0 2 0", false, ""},
    {"MissingInput", "OE 0 1", false, ""},
    {"ModeOutOfRange", "MD 2", false, ""},
    {"OutputOutOfRange", "SW 5 1", false, ""},
    {"AlarmResetOtherThanZero", "RE 1", false, ""},
    {"ValueNotANumber", "EE 3 0 abc", false, ""},
    {"ValueWithTrailingText", "EE 3 0 1.0x", false, ""},
    {"StrokeNotOfferedByTheActuator", "EE 0 0 25.00000", false, ""},
    {"IdZero", "EE 0 3 0.00000", false, ""},
    {"IdFraction", "EE 0 3 2.50000", false, ""},
    {"SpeedCodeOutOfRange", "EE 0 22 6.00000", false, ""},
    {"DelayBelowMinimum", "EE 0 24 0.00000", false, ""},
    {"DoubleSpace", "EE  0 0", false, ""},
    {"TrailingSpace", "VE ", false, ""},
    {"TooManyArguments", "EE 0 0 1 2", false, ""},
};

// Every command form, well and badly formed.
class CommandForms : public Conformance, public ::testing::WithParamInterface<FormCase> {};

TEST_P(CommandForms, AnswerAsTheReplyFormsSay) {
    const FormCase& c = GetParam();
    const auto reply = Ask(1, c.command);
    ASSERT_TRUE(reply.has_value());
    EXPECT_TRUE(checked) << "reply does not pass the engine's check: " << reply->body;
    EXPECT_EQ(reply->controllerId, 1);
    EXPECT_EQ(reply->code, std::string(c.command).substr(0, 2));
    EXPECT_EQ(reply->status, c.ok ? "OK" : "NG");
    if (c.data != nullptr) {
        EXPECT_EQ(reply->data, c.data);
    }
}

INSTANTIATE_TEST_SUITE_P(Sim, CommandForms, ::testing::ValuesIn(kForms),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(Conformance, MonitorReplyCarriesStatusWordAndValuesBlock) {
    const auto reply = Ask(1, "MO");
    ASSERT_TRUE(reply.has_value());
    ASSERT_EQ(reply->data.size(), 28U);
    EXPECT_EQ(reply->data.find_first_not_of("0123456789ABCDEF"), std::string::npos);
    // At power-on: monitor mode, no alarm (bit 7 set), no origin.
    EXPECT_EQ(reply->data.substr(0, 4), "0080");
}

// A parameter, a value to write and the text it reads back as.
struct WriteReadCase {
    const char* name;
    int group;
    int parameter;
    double value;
    const char* readBack;
};

constexpr WriteReadCase kWriteReads[] = {
    {"Stroke", 0, 0, 50.0, "50.000000"},
    {"StepInputMethod", 0, 2, 1.0, "1.000000"},
    {"OriginOffset", 0, 11, -120.0, "-120.000000"},
    {"OvcThreshold", 0, 19, 1.5, "1.500000"},
    {"MinimumDelay", 0, 24, 10.2, "10.200000"},
    {"ReturnPidTd", 1, 15, 0.00012, "0.000120"},
    {"LastPidSetTd", 2, 56, 0.00035, "0.000350"},
    {"StepTime", 3, 1, 1.25, "1.250000"},
    {"StepPushWord", 17, 5, 32774.0, "32774.000000"},
    {"InchingDistance", 21, 0, -12345.0, "-12345.000000"},
    {"JogSpeedThroughAlias", 22, 2, 55.0, "55.000000"},
};

// Writes read back.
class WriteThenRead : public Conformance, public ::testing::WithParamInterface<WriteReadCase> {};

TEST_P(WriteThenRead, ReturnsTheWrittenValue) {
    const WriteReadCase& c = GetParam();
    char write[64];
    std::snprintf(write, sizeof write, "EE %d %d %.5f", c.group, c.parameter, c.value);
    const auto w = Ask(1, write);
    ASSERT_TRUE(w && w->status == "OK");
    char read[32];
    std::snprintf(read, sizeof read, "EE %d %d", c.group, c.parameter);
    const auto r = Ask(1, read);
    ASSERT_TRUE(r.has_value());
    EXPECT_TRUE(checked);
    EXPECT_EQ(r->status, "OK");
    EXPECT_EQ(r->data, c.readBack);
}

INSTANTIATE_TEST_SUITE_P(Sim, WriteThenRead, ::testing::ValuesIn(kWriteReads),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(Conformance, RefusedWriteKeepsTheOldValue) {
    ASSERT_EQ(Ask(1, "EE 0 0 25.00000")->status, "NG");
    EXPECT_EQ(Ask(1, "EE 0 0")->data, "20.000000");
}

TEST_F(Conformance, IdWriteIsAnsweredFromTheNewId) {
    const auto w = Ask(1, "EE 0 3 5.00000");
    ASSERT_TRUE(w.has_value());
    EXPECT_EQ(w->controllerId, 5);
    EXPECT_EQ(w->status, "OK");
    EXPECT_FALSE(Ask(1, "VE").has_value());
    EXPECT_EQ(Ask(5, "VE")->status, "OK");
}

TEST_F(Conformance, FactoryDefaultsAnswerFromIdOneAndRestoreParameters) {
    ASSERT_EQ(Ask(1, "EE 0 3 7.00000")->controllerId, 7);
    ASSERT_EQ(Ask(7, "EE 3 0 4000.00000")->status, "OK");
    const auto ed = Ask(7, "ED");
    ASSERT_TRUE(ed.has_value());
    EXPECT_EQ(ed->controllerId, 1);
    EXPECT_EQ(ed->status, "OK");
    const auto ve = Ask(1, "VE");
    ASSERT_TRUE(ve.has_value());
    EXPECT_EQ(ve->data, "2.60");
    EXPECT_EQ(Ask(1, "EE 3 0")->data, "0.000000");
    EXPECT_FALSE(Ask(7, "VE").has_value());
}

TEST_F(Conformance, ControllerWithoutVersionCommandAnswersWithCodeNg) {
    ControllerOptions foreign;
    foreign.id = 2;
    foreign.knowsVersion = false;
    bus.AddController(foreign);
    const auto reply = Ask(2, "VE");
    ASSERT_TRUE(reply.has_value());
    EXPECT_EQ(reply->code, "NG");
    EXPECT_EQ(reply->status, "NG");
    EXPECT_EQ(reply->checksum, static_cast<int>(Checksum(reply->body)));
}

TEST_F(Conformance, AlarmHistoryHasFourEntriesBelowVersion25) {
    ControllerOptions old;
    old.id = 2;
    old.version = "2.49";
    bus.AddController(old);
    bus.Controller(2)->RaiseAlarm(3);
    const auto re = Ask(2, "RE");
    ASSERT_TRUE(re.has_value());
    EXPECT_EQ(re->data, "03000000");
}

}  // namespace
}  // namespace tavro::sim::test
