#include <gtest/gtest.h>

#include <sys/stat.h>

#include "link/CIniRw.h"
#include "link/ProfileFile.h"
#include "link/SettingsDir.h"
#include "tests/support/TempDir.h"

namespace tavro {
namespace {

class SettingsTest : public ::testing::Test {
  protected:
    test::TempDir tmp;
    std::string Dir() const { return tmp.Path() + "/cfg/Zelm"; }
    std::string Ini() const { return Dir() + "/MOTOR-PID.ini"; }
    ProfileFile File() const { return ProfileFile(Ini()); }
    void WriteIni(const std::string& content) {
        EnsureDirectory(Dir());
        std::FILE* f = std::fopen(Ini().c_str(), "wb");
        ASSERT_NE(f, nullptr);
        std::fwrite(content.data(), 1, content.size(), f);
        std::fclose(f);
    }
};

TEST_F(SettingsTest, FirstStartOffersDefaultsAndWritesAllSixKeys) {
    CIniRw ini(Dir());
    EXPECT_EQ(ini.GetComPort(), 4);
    EXPECT_EQ(ini.GetBaudRate(), 19200);
    const ProfileFile f = File();
    EXPECT_EQ(f.GetInt("SERIAL", "COM", -1), 4);
    EXPECT_EQ(f.GetInt("SERIAL", "BAUDRATE", -1), 19200);
    EXPECT_EQ(f.GetInt("SERIAL", "AUTO", -1), 0);
    EXPECT_EQ(f.GetInt("SERIAL", "SLV_AUTO", -1), 1);
    EXPECT_EQ(f.GetInt("SERIAL", "SLV_ST", -1), 1);
    EXPECT_EQ(f.GetInt("SERIAL", "SLV_ED", -1), 1);
    // The quick search key is no default the first start writes; missing, it reads off.
    EXPECT_EQ(f.GetInt("SERIAL", "SLV_QUICK", -1), -1);
    EXPECT_EQ(ini.GetSlvQuick(), 0);
}

TEST_F(SettingsTest, FolderIsCreatedOnDemand) {
    CIniRw ini(Dir());
    ini.SetAuto(1);
    struct stat st {};
    ASSERT_EQ(::stat(Dir().c_str(), &st), 0);
    EXPECT_TRUE(S_ISDIR(st.st_mode));
    EXPECT_EQ(ini.GetAuto(), 1);
}

TEST_F(SettingsTest, ZeroComRewritesEveryDefault) {
    WriteIni("[SERIAL]\nCOM=0\nBAUDRATE=57600\nAUTO=1\nSLV_AUTO=0\nSLV_ST=3\nSLV_ED=9\n");
    CIniRw ini(Dir());
    EXPECT_EQ(ini.GetComPort(), 4);
    EXPECT_EQ(ini.GetBaudRate(), 19200);
    EXPECT_EQ(ini.GetAuto(), 0);
    EXPECT_EQ(ini.GetSlvRange(), 257);
}

TEST_F(SettingsTest, RangeIsPacked) {
    CIniRw ini(Dir());
    ini.SetSlvRange(1 * 256 + 10);
    EXPECT_EQ(ini.GetSlvRange(), 266);
    EXPECT_EQ(File().GetInt("SERIAL", "SLV_ST", -1), 1);
    EXPECT_EQ(File().GetInt("SERIAL", "SLV_ED", -1), 10);
}

TEST_F(SettingsTest, MissingKeysGiveZeroWhereTheReadersSaySo) {
    WriteIni("[SERIAL]\nCOM=3\n");
    CIniRw ini(Dir());
    EXPECT_EQ(ini.GetAuto(), 0);
    EXPECT_EQ(ini.GetSlvAuto(), 0);
    EXPECT_EQ(ini.GetSlvRange(), 0);
    EXPECT_EQ(ini.GetSlvQuick(), 0);
    EXPECT_EQ(ini.GetComPort(), 3);
}

TEST_F(SettingsTest, QuickSearchBoxIsRememberedBesideTheOtherKeys) {
    WriteIni("[SERIAL]\nCOM=3\nSLV_AUTO=1\n");
    CIniRw ini(Dir());
    ini.SetSlvQuick(1);
    EXPECT_EQ(ini.GetSlvQuick(), 1);
    EXPECT_EQ(File().GetInt("SERIAL", "SLV_QUICK", -1), 1);
    EXPECT_EQ(ini.GetSlvAuto(), 1);
    EXPECT_EQ(ini.GetComPort(), 3);
    ini.SetSlvQuick(0);
    EXPECT_EQ(ini.GetSlvQuick(), 0);
}

TEST_F(SettingsTest, SuccessfulOpenRecordsPortSpeedAndAuto) {
    CIniRw ini(Dir());
    ini.SetComAndSpeed(1, 38400, "/dev/ttyUSB1");
    EXPECT_EQ(ini.GetComPort(), 1);
    EXPECT_EQ(ini.GetBaudRate(), 38400);
    EXPECT_EQ(ini.GetAuto(), 1);
    EXPECT_EQ(ini.GetPortPath(), "/dev/ttyUSB1");
}

struct ValueCase {
    const char* name;
    const char* file;
    int com;
};

class SettingsValueTest : public SettingsTest, public ::testing::WithParamInterface<ValueCase> {};

TEST_P(SettingsValueTest, ReadsLeadingIntegerOrDefault) {
    WriteIni(GetParam().file);
    EXPECT_EQ(CIniRw(Dir()).GetComPort(), GetParam().com);
}

INSTANTIATE_TEST_SUITE_P(
    Files, SettingsValueTest,
    ::testing::Values(ValueCase{"plain", "[SERIAL]\nCOM=7\n", 7},
                      ValueCase{"crlf", "[SERIAL]\r\nCOM=7\r\n", 7},
                      ValueCase{"no_trailing_newline", "[SERIAL]\nCOM=7", 7},
                      ValueCase{"leading_integer", "[SERIAL]\nCOM=12abc\n", 12},
                      ValueCase{"spaces", "[ SERIAL ]\n  com =  5 \n", 5},
                      ValueCase{"first_duplicate_wins", "[SERIAL]\nCOM=5\nCOM=9\n", 5},
                      ValueCase{"garbage_is_zero_so_default", "[SERIAL]\nCOM=abc\n", 4},
                      ValueCase{"negative_is_zero_so_default", "[SERIAL]\nCOM=-3\n", 4},
                      ValueCase{"huge_saturates", "[SERIAL]\nCOM=99999999999999999999\n",
                                2147483647},
                      ValueCase{"other_section_only", "[OTHER]\nCOM=6\n", 4},
                      ValueCase{"binary_garbage", "\x01\xff[SERIAL\n=\n\x80=COM\n", 4},
                      ValueCase{"empty_file", "", 4}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(SettingsTest, WritingKeepsOtherSectionsAndLineEnds) {
    WriteIni("; comment\r\n[OTHER]\r\nX=1\r\n[SERIAL]\r\nCOM=2\r\n\r\n[LAST]\r\nY=2\r\n");
    CIniRw ini(Dir());
    ini.SetAuto(1);
    const std::string text = tmp.Read("cfg/Zelm/MOTOR-PID.ini");
    EXPECT_EQ(
        text,
        "; comment\r\n[OTHER]\r\nX=1\r\n[SERIAL]\r\nCOM=2\r\nAUTO=1\r\n\r\n[LAST]\r\nY=2\r\n");
}

// Writing the same value a second time leaves the file as the first write left it, whatever
// line ends the file came with.
struct RewriteCase {
    const char* name;
    const char* file;
    const char* written;
};

constexpr RewriteCase kRewrites[] = {
    {"crlf", "[SERIAL]\r\nCOM=2\r\n", "[SERIAL]\r\nCOM=2\r\nAUTO=1\r\n"},
    {"lf", "[SERIAL]\nCOM=2\n", "[SERIAL]\nCOM=2\nAUTO=1\n"},
    {"last_line_cut_after_cr", "[SERIAL]\r\nCOM=2\r", "[SERIAL]\r\nCOM=2\r\nAUTO=1\r\n"},
    {"last_line_ends_in_two_cr", "X=1\r\r", "X=1\r\r\n\r\n[SERIAL]\r\nAUTO=1\r\n"},
};

class SettingsRewriteTest : public SettingsTest,
                            public ::testing::WithParamInterface<RewriteCase> {};

TEST_P(SettingsRewriteTest, SecondWriteChangesNothing) {
    WriteIni(GetParam().file);
    CIniRw(Dir()).SetAuto(1);
    EXPECT_EQ(tmp.Read("cfg/Zelm/MOTOR-PID.ini"), GetParam().written);
    CIniRw(Dir()).SetAuto(1);
    EXPECT_EQ(tmp.Read("cfg/Zelm/MOTOR-PID.ini"), GetParam().written);
    EXPECT_EQ(File().GetInt("SERIAL", "AUTO", -1), 1);
}

INSTANTIATE_TEST_SUITE_P(Files, SettingsRewriteTest, ::testing::ValuesIn(kRewrites),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(SettingsTest, FailedWriteLeavesTheOldFile) {
    WriteIni("[SERIAL]\nCOM=2\n");
    // A folder where the temporary file should go makes the write fail, even for root.
    const std::string blocker = Ini() + ".tmp" + std::to_string(::getpid());
    ASSERT_EQ(::mkdir(blocker.c_str(), 0700), 0);
    ProfileFile f = File();
    EXPECT_FALSE(f.WriteString("SERIAL", "COM", "9"));
    ::rmdir(blocker.c_str());
    EXPECT_EQ(File().GetInt("SERIAL", "COM", -1), 2);
}

TEST(SettingsDir, FollowsXdgConfigHome) {
    const char* old = std::getenv("XDG_CONFIG_HOME");
    const std::string saved = old != nullptr ? old : "";
    const char* oldHome = std::getenv("HOME");
    const std::string savedHome = oldHome != nullptr ? oldHome : "";
    ::setenv("XDG_CONFIG_HOME", "/somewhere/cfg", 1);
    EXPECT_EQ(DefaultSettingsDir(), "/somewhere/cfg/Zelm");
    ::setenv("XDG_CONFIG_HOME", "relative", 1);  // not absolute: ignored
    ::setenv("HOME", "/home/u", 1);
    EXPECT_EQ(DefaultSettingsDir(), "/home/u/.config/Zelm");
    ::setenv("HOME", savedHome.c_str(), 1);
    if (old != nullptr) {
        ::setenv("XDG_CONFIG_HOME", saved.c_str(), 1);
    } else {
        ::unsetenv("XDG_CONFIG_HOME");
    }
}

}  // namespace
}  // namespace tavro
