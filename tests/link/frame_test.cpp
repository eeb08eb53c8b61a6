#include <gtest/gtest.h>

#include "link/Frame.h"

namespace tavro {
namespace {

struct ChecksumCase {
    const char* text;
    int sum;
};

void PrintTo(const ChecksumCase& c, std::ostream* os) {
    *os << '"' << c.text << '"';
}

class ChecksumTest : public ::testing::TestWithParam<ChecksumCase> {};

TEST_P(ChecksumTest, IsTwosComplementOfByteSum) {
    const auto& c = GetParam();
    EXPECT_EQ(Checksum(c.text), c.sum);
    // The property that makes it useful: body plus checksum byte sums to 0 mod 256.
    unsigned total = Checksum(c.text);
    for (const char* p = c.text; *p != '\0'; ++p) {
        total += static_cast<unsigned char>(*p);
    }
    EXPECT_EQ(total % 256, 0U);
}

INSTANTIATE_TEST_SUITE_P(Examples, ChecksumTest,
                         ::testing::Values(ChecksumCase{"", 0x00}, ChecksumCase{"abc", 0xDA},
                                           ChecksumCase{"01 VE", 0xE4}, ChecksumCase{"01 MO", 0xE3},
                                           ChecksumCase{"\x80\x80", 0x00}));

TEST(BuildRequest, FramesAndUpdatesRecord) {
    RequestRecord last;
    EXPECT_EQ(BuildRequest(1, "VE", last), ":01 VEE4\r\n");
    EXPECT_EQ(last.controllerId, 1);
    EXPECT_EQ(last.body, "01 VE");
    EXPECT_EQ(last.code, "VE");
    EXPECT_EQ(last.args, "");
    EXPECT_EQ(last.checksum, 0xE4);

    const std::string f = BuildRequest(255, "EE 0 3 5.00000", last);
    EXPECT_EQ(f.substr(0, 4), ":FF ");
    EXPECT_EQ(last.code, "EE");
    EXPECT_EQ(last.args, "0 3 5.00000");
    EXPECT_EQ(last.body, "FF EE 0 3 5.00000");
}

TEST(BuildRequest, MonitorPollLeavesRecordAlone) {
    RequestRecord last;
    BuildRequest(2, "EE 0 1", last);
    const RequestRecord before = last;
    EXPECT_EQ(BuildRequest(1, "MO", last), ":01 MOE3\r\n");
    EXPECT_EQ(last.body, before.body);
    EXPECT_EQ(last.controllerId, 2);
    EXPECT_EQ(last.code, "EE");
}

TEST(BuildRequest, ChecksumWithLeadingZeroIsTwoDigits) {
    RequestRecord last;
    EXPECT_EQ(BuildRequest(6, "EE 9 49", last), ":06 EE 9 490A\r\n");
    EXPECT_EQ(last.checksum, 0x0A);
}

TEST(ParseReply, SplitsFields) {
    auto r = ParseReply("01EEOK12.5000AB");
    ASSERT_TRUE(r.has_value());
    EXPECT_EQ(r->controllerId, 1);
    EXPECT_EQ(r->code, "EE");
    EXPECT_EQ(r->status, "OK");
    EXPECT_EQ(r->data, "12.5000");
    EXPECT_EQ(r->body, "01EEOK12.5000");
    EXPECT_EQ(r->checksum, 0xAB);
}

TEST(ParseReply, EightCharactersIsWellFormedSevenIsNot) {
    auto r = ParseReply("01VEOK00");
    ASSERT_TRUE(r.has_value());
    EXPECT_EQ(r->data, "");
    EXPECT_FALSE(ParseReply("01VEOK0").has_value());
    EXPECT_FALSE(ParseReply("").has_value());
}

// A well-formed reply for the given code, ID text and data.
std::string Reply(const std::string& id, const std::string& code, const std::string& data,
                  bool lowercase = false) {
    std::string body = id + code + "OK" + data;
    char sum[3];
    std::snprintf(sum, sizeof sum, lowercase ? "%02x" : "%02X", Checksum(body));
    return body + sum;
}

struct CheckCase {
    const char* name;
    std::string reply;
    int requestId;
    const char* requestCode;
    bool ok;
};

class CheckReplyTest : public ::testing::TestWithParam<CheckCase> {};

TEST_P(CheckReplyTest, Verdict) {
    const auto& c = GetParam();
    RequestRecord last;
    last.controllerId = c.requestId;
    last.code = c.requestCode;
    auto r = ParseReply(c.reply);
    ASSERT_TRUE(r.has_value());
    EXPECT_EQ(CheckReply(*r, last), c.ok);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, CheckReplyTest,
    ::testing::Values(
        CheckCase{"matching", Reply("01", "EE", "3"), 1, "EE", true},
        CheckCase{"monitor_reply_while_EE_recorded", Reply("01", "MO", ""), 1, "EE", true},
        CheckCase{"other_code", Reply("01", "VE", "2.5"), 1, "EE", false},
        CheckCase{"other_id", Reply("02", "EE", "3"), 1, "EE", false},
        CheckCase{"lowercase_id", Reply("ff", "VE", "2.5"), 255, "VE", true},
        CheckCase{"lowercase_checksum", Reply("01", "VE", "2.5", true), 1, "VE", true},
        CheckCase{"bad_checksum", std::string("01VEOK2.500"), 1, "VE", false},
        CheckCase{"checksum_not_hex", std::string("01VEOK2.5ZZ"), 1, "VE", false}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(CheckReply, ChecksumOfZeroAndOfTenAreReadAsHex) {
    // Find bodies whose checksum is 0x0A, then write it lowercase.
    for (int v = 0; v < 1000; ++v) {
        std::string body = "01EEOK" + std::to_string(v);
        if (Checksum(body) == 0x0A) {
            RequestRecord last;
            last.controllerId = 1;
            last.code = "EE";
            auto r = ParseReply(body + "0a");
            ASSERT_TRUE(r.has_value());
            EXPECT_TRUE(CheckReply(*r, last));
            return;
        }
    }
    FAIL() << "no body with checksum 0x0A found";
}

TEST(IsOk, OnlyOkCounts) {
    auto ok = ParseReply("01VEOK00");
    auto ng = ParseReply("01VENG00");
    auto other = ParseReply("01VEok00");
    EXPECT_TRUE(IsOk(*ok));
    EXPECT_FALSE(IsOk(*ng));
    EXPECT_FALSE(IsOk(*other));
}

}  // namespace
}  // namespace tavro
