#include <gtest/gtest.h>

#include <string>

#include "shell/CApp.h"
#include "shell/InstanceLock.h"
#include "tests/support/TempDir.h"

namespace tavro::test {
namespace {

TEST(InstanceLock, OneHolderAtATime) {
    TempDir dir;
    const std::string path = dir.File("tavro-config.lock");
    {
        const std::optional<InstanceLock> first = InstanceLock::Acquire(path);
        ASSERT_TRUE(first.has_value());
        EXPECT_TRUE(first->Holds());
        EXPECT_FALSE(InstanceLock::Acquire(path).has_value());

        int runs = 0;
        EXPECT_EQ(CApp::Run(path, [&] { ++runs; }), 0);
        EXPECT_EQ(runs, 0);
    }
    int runs = 0;
    EXPECT_EQ(
        CApp::Run(path,
                  [&] {
                      ++runs;
                      EXPECT_FALSE(InstanceLock::Acquire(path).has_value());  // held while running
                  }),
        0);
    EXPECT_EQ(runs, 1);
}

TEST(InstanceLock, ALockFileThatCannotBeMadeDoesNotKeepTheProgramFromRunning) {
    const std::optional<InstanceLock> lock = InstanceLock::Acquire("/nonexistent-dir/x.lock");
    ASSERT_TRUE(lock.has_value());
    EXPECT_FALSE(lock->Holds());
}

struct NameCase {
    const char* argv0;
    const char* name;
};

constexpr NameCase kNameCases[] = {
    {"/usr/local/bin/tavro-config", "tavro-config"},
    {"./tavro-config", "tavro-config"},
    {"tavro-config", "tavro-config"},
    {"/opt/tool/config.bin", "config"},
    {"/home/x/.hidden", ".hidden"},
    {"", "tavro-config"},
};

class ProgramNameTest : public ::testing::TestWithParam<NameCase> {};

TEST_P(ProgramNameTest, FileNameWithoutFolderAndExtension) {
    EXPECT_EQ(InstanceLock::ProgramName(GetParam().argv0), GetParam().name);
}

INSTANTIATE_TEST_SUITE_P(Names, ProgramNameTest, ::testing::ValuesIn(kNameCases));

}  // namespace
}  // namespace tavro::test
