#include <gtest/gtest.h>

#include <array>
#include <cstdlib>
#include <optional>
#include <ostream>
#include <string>

#include "ui/Language.h"

namespace tavro {
namespace {

struct EnvCase {
    const char* name;
    const char* lcAll;
    const char* lcMessages;
    const char* lang;
    Language expected;
};

void PrintTo(const EnvCase& c, std::ostream* os) {
    *os << c.name;
}

constexpr std::array<EnvCase, 11> kEnvCases = {{
    {"NothingSet", "", "", "", Language::kEnglish},
    {"LangJapanese", "", "", "ja_JP.UTF-8", Language::kJapanese},
    {"LangBareJa", "", "", "ja", Language::kJapanese},
    {"LangEnglish", "", "", "en_US.UTF-8", Language::kEnglish},
    {"LangPosix", "", "", "POSIX", Language::kEnglish},
    {"LcMessagesJapanese", "", "ja_JP.eucJP", "C", Language::kJapanese},
    {"LcMessagesWinsOverLang", "", "en_GB.UTF-8", "ja_JP.UTF-8", Language::kEnglish},
    {"LcAllJapanese", "ja_JP.UTF-8", "en_US.UTF-8", "en_US.UTF-8", Language::kJapanese},
    {"LcAllWinsOverTheOthers", "C.UTF-8", "ja_JP.UTF-8", "ja_JP.UTF-8", Language::kEnglish},
    {"JavaneseIsNotJapanese", "", "", "jv_ID.UTF-8", Language::kEnglish},
    {"NameMustStartWithJa", "", "", "en_JP.UTF-8", Language::kEnglish},
}};

class UiLanguageTest : public ::testing::TestWithParam<EnvCase> {};

TEST_P(UiLanguageTest, FollowsTheFirstNonEmptyVariable) {
    const EnvCase& c = GetParam();
    EXPECT_EQ(UiLanguage({c.lcAll, c.lcMessages, c.lang}), c.expected);
}

INSTANTIATE_TEST_SUITE_P(Environments, UiLanguageTest, ::testing::ValuesIn(kEnvCases),
                         [](const auto& info) { return std::string(info.param.name); });

// Sets the three variables for one test and puts the machine's values back afterwards.
class ProcessEnvironment : public ::testing::Test {
  protected:
    void SetUp() override {
        for (std::size_t i = 0; i < kNames.size(); ++i) {
            const char* v = std::getenv(kNames[i]);
            saved_[i] = v != nullptr ? std::optional<std::string>(v) : std::nullopt;
        }
    }
    void TearDown() override {
        for (std::size_t i = 0; i < kNames.size(); ++i) {
            if (saved_[i]) {
                setenv(kNames[i], saved_[i]->c_str(), 1);
            } else {
                unsetenv(kNames[i]);
            }
        }
    }
    static constexpr std::array<const char*, 3> kNames = {"LC_ALL", "LC_MESSAGES", "LANG"};

  private:
    std::array<std::optional<std::string>, 3> saved_;
};

TEST_F(ProcessEnvironment, ReadsTheThreeVariables) {
    unsetenv("LC_ALL");
    setenv("LC_MESSAGES", "ja_JP.UTF-8", 1);
    setenv("LANG", "de_DE.UTF-8", 1);
    const LocaleEnvironment env = LocaleEnvironment::FromProcess();
    EXPECT_EQ(env.lcAll, "");
    EXPECT_EQ(env.lcMessages, "ja_JP.UTF-8");
    EXPECT_EQ(env.lang, "de_DE.UTF-8");
    EXPECT_EQ(UiLanguage(env), Language::kJapanese);
}

TEST(FontRule, JapanesePrefersAJapaneseFontAndCharacterSet) {
    const FontRule& ja = FontRuleFor(Language::kJapanese);
    EXPECT_TRUE(ja.japaneseCharset);
    EXPECT_EQ(ja.charset, 128);
    ASSERT_FALSE(ja.families.empty());
    EXPECT_EQ(ja.families.front(), "Noto Sans CJK JP");

    const FontRule& en = FontRuleFor(Language::kEnglish);
    EXPECT_FALSE(en.japaneseCharset);
    EXPECT_EQ(en.charset, 0);
    EXPECT_TRUE(en.families.empty());

    // Per-control font tables: Japanese / other index, as for the Monitor/Test values (12 / 14).
    EXPECT_EQ(FontIndexFor(Language::kJapanese, 12, 14), 12);
    EXPECT_EQ(FontIndexFor(Language::kEnglish, 12, 14), 14);
}

}  // namespace
}  // namespace tavro
