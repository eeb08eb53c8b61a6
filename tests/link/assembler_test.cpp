#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "link/FrameAssembler.h"

namespace tavro {
namespace {

std::vector<std::string> Assemble(const std::string& bytes) {
    std::vector<std::string> out;
    FrameAssembler a([&out](std::string_view f) { out.emplace_back(f); });
    a.Feed(bytes);
    return out;
}

struct Case {
    const char* name;
    std::string bytes;
    std::vector<std::string> frames;
};

class AssemblerTest : public ::testing::TestWithParam<Case> {};

TEST_P(AssemblerTest, Delivers) {
    EXPECT_EQ(Assemble(GetParam().bytes), GetParam().frames);
}

INSTANTIATE_TEST_SUITE_P(
    Sequences, AssemblerTest,
    ::testing::Values(
        Case{"plain", ":01VEOK\r\n", {"01VEOK"}},
        Case{"noise_before_colon", "xx\r\n\x01junk:01VEOK\r\n", {"01VEOK"}},
        Case{"second_colon_restarts", ":01VE:02VEOK\r\n", {"02VEOK"}},
        Case{"bare_line_feed_drops", ":01VEOK\n:02VEOK\r\n", {"02VEOK"}},
        Case{"cr_then_other_drops", ":01VEOK\rX\n:02VEOK\r\n", {"02VEOK"}},
        Case{"bytes_above_7f_kept", std::string(":01\xB0\xFFOK\r\n"), {"01\xB0\xFFOK"}},
        Case{"two_frames", ":A\r\n:B\r\n", {"A", "B"}}, Case{"empty_frame", ":\r\n", {""}},
        Case{"lf_without_frame_ignored", "\r\n\n", {}},
        Case{"unterminated_then_new", ":0102030405:06\r\n", {"06"}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(Assembler, OverlongFrameIsDroppedAndNextOneArrives) {
    std::string noise(":" + std::string(FrameAssembler::kMaxFrameLength + 10, 'A') + "\r\n");
    std::vector<std::string> out;
    FrameAssembler a([&out](std::string_view f) { out.emplace_back(f); });
    a.Feed(noise);
    EXPECT_TRUE(out.empty());
    EXPECT_EQ(a.DroppedOverlong(), 1U);
    a.Feed(":01VEOK\r\n");
    ASSERT_EQ(out.size(), 1U);
    EXPECT_EQ(out[0], "01VEOK");
}

TEST(Assembler, LongestAcceptedFrameArrives) {
    std::string body(FrameAssembler::kMaxFrameLength, 'B');
    auto out = Assemble(":" + body + "\r\n");
    ASSERT_EQ(out.size(), 1U);
    EXPECT_EQ(out[0], body);
}

TEST(Assembler, EndlessGarbageKeepsMemoryBounded) {
    FrameAssembler a([](std::string_view) {});
    std::string junk(100000, 'Z');
    a.Feed(":");
    a.Feed(junk);
    EXPECT_FALSE(a.Collecting());
    EXPECT_EQ(a.DroppedOverlong(), 1U);
}

TEST(Assembler, SinkMayFeedWhileHandlingAFrame) {
    std::vector<std::string> out;
    FrameAssembler a;
    a.SetSink([&](std::string_view f) {
        out.emplace_back(f);
        if (out.size() == 1) {
            a.Feed(":C\r\n");
        }
    });
    a.Feed(":A\r\n");
    EXPECT_EQ(out, (std::vector<std::string>{"A", "C"}));
}

}  // namespace
}  // namespace tavro
