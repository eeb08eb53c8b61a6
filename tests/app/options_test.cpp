#include <sys/stat.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <optional>
#include <string>
#include <vector>

#include "shell/InstanceLock.h"
#include "tests/cli/ChildProcess.h"
#include "tests/support/TempDir.h"

// The window program's --help and --version as a user runs them: from a shell without a
// display, while another copy of the program is running.
namespace tavro::test {
namespace {

using cli::test::ChildProcess;
using cli::test::ReadFile;

constexpr int kTimeoutMs = 20000;

struct OptionCase {
    const char* name;
    std::vector<std::string> args;
    const char* locale;
    const char* firstLine;
};

void PrintTo(const OptionCase& c, std::ostream* os) {
    *os << c.name;
}

const OptionCase kOptionCases[] = {
    {"HelpInEnglish", {"--help"}, "C.UTF-8", "Usage: tavro-config [OPTION]..."},
    {"HelpInJapanese", {"--help"}, "ja_JP.UTF-8", "使い方：tavro-config [オプション]..."},
    {"ShortHelp", {"-h"}, "en_US.UTF-8", "Usage: tavro-config [OPTION]..."},
    {"Version", {"--version"}, "C.UTF-8", "tavro-config " TAVRO_VERSION},
    {"VersionInJapanese", {"--version"}, "ja_JP.UTF-8", "tavro-config " TAVRO_VERSION},
    {"VersionAfterAQtOption",
     {"-platform", "xcb", "--version"},
     "C",
     "tavro-config " TAVRO_VERSION},
};

class Program : public ::testing::Test {
  protected:
    // The lock path follows XDG_RUNTIME_DIR in this process too, for as long as the test runs.
    void SetUp() override {
        if (const char* v = std::getenv("XDG_RUNTIME_DIR")) {
            savedRuntime_ = v;
        }
        ::setenv("XDG_RUNTIME_DIR", runtime_.Path().c_str(), 1);
    }
    void TearDown() override {
        if (savedRuntime_) {
            ::setenv("XDG_RUNTIME_DIR", savedRuntime_->c_str(), 1);
        } else {
            ::unsetenv("XDG_RUNTIME_DIR");
        }
    }

    // No display of any kind, and the platform that needs one.
    ChildProcess::Variables Environment(const std::string& locale) const {
        return {{"DISPLAY", ""},
                {"WAYLAND_DISPLAY", ""},
                {"QT_QPA_PLATFORM", "xcb"},
                {"XDG_RUNTIME_DIR", runtime_.Path()},
                {"XDG_CONFIG_HOME", config_.Path()},
                {"LC_ALL", locale}};
    }

    struct Result {
        int status;
        std::string out;
        std::string err;
    };

    Result Run(std::vector<std::string> args, const std::string& locale) const {
        args.insert(args.begin(), TAVRO_CONFIG_EXE);
        ChildProcess child(args, Environment(locale), output_.File("out"), output_.File("err"));
        const int status = child.Wait(kTimeoutMs);
        return {status, ReadFile(output_.File("out")), ReadFile(output_.File("err"))};
    }

    std::string LockPath() const { return InstanceLock::DefaultPath("tavro-config"); }

    bool SettingsFolderMade() const {
        struct stat st {};
        return ::stat(config_.File("Zelm").c_str(), &st) == 0;
    }

    std::optional<std::string> savedRuntime_;
    TempDir runtime_;
    TempDir config_;
    TempDir output_;
};

class ProgramOption : public Program, public ::testing::WithParamInterface<OptionCase> {};

TEST_P(ProgramOption, PrintsWithoutDisplayLockOrSettings) {
    const OptionCase& c = GetParam();
    const std::optional<InstanceLock> otherCopy = InstanceLock::Acquire(LockPath());
    ASSERT_TRUE(otherCopy.has_value() && otherCopy->Holds());

    const Result r = Run(c.args, c.locale);
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out.substr(0, r.out.find('\n')), c.firstLine);
    EXPECT_TRUE(r.out.ends_with("\n"));
    EXPECT_EQ(r.err, "");
    EXPECT_FALSE(SettingsFolderMade());
}

INSTANTIATE_TEST_SUITE_P(Options, ProgramOption, ::testing::ValuesIn(kOptionCases),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(Program, HelpThatCannotBeWrittenIsAFailure) {
    std::vector<std::string> args{TAVRO_CONFIG_EXE, "--help"};
    ChildProcess child(args, Environment("C.UTF-8"), "/dev/full", output_.File("err"));
    EXPECT_EQ(child.Wait(kTimeoutMs), 1);
}

// Without an option the same environment ends the program, unable to open a window: the
// answers above came without one.
TEST_F(Program, WithoutAnOptionTheWindowCannotOpenHere) {
    const Result r = Run({}, "C.UTF-8");
    EXPECT_NE(r.status, 0);
    EXPECT_EQ(r.out.find("Usage:"), std::string::npos);
    EXPECT_NE(r.err.find("display"), std::string::npos) << r.err;
}

}  // namespace
}  // namespace tavro::test
