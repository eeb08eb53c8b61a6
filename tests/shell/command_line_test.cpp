#include <gtest/gtest.h>

#include <array>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "shell/CommandLine.h"

namespace tavro {
namespace {

enum class Answer { kWindow, kHelp, kVersion };

struct ArgsCase {
    const char* name;
    std::vector<std::string> args;
    Answer expected;
};

void PrintTo(const ArgsCase& c, std::ostream* os) {
    *os << c.name;
}

const ArgsCase kArgsCases[] = {
    {"NoArguments", {}, Answer::kWindow},
    {"QtOptionsGoToTheToolkit", {"-platform", "offscreen", "-style", "fusion"}, Answer::kWindow},
    {"Help", {"--help"}, Answer::kHelp},
    {"ShortHelp", {"-h"}, Answer::kHelp},
    {"Version", {"--version"}, Answer::kVersion},
    {"HelpAfterQtOptions", {"-style", "fusion", "--help"}, Answer::kHelp},
    {"FirstOfTheTwoWins", {"--version", "--help"}, Answer::kVersion},
    {"HelpFirstWins", {"-h", "--version"}, Answer::kHelp},
    {"NearMissIsNotHelp", {"--helpme"}, Answer::kWindow},
    {"WordWithoutDashesIsNotHelp", {"help"}, Answer::kWindow},
    {"SingleDashVersionIsNotOurs", {"-version"}, Answer::kWindow},
};

class CommandLineArgs : public ::testing::TestWithParam<ArgsCase> {};

TEST_P(CommandLineArgs, AnswersOrLeavesTheWindowToOpen) {
    const ArgsCase& c = GetParam();
    for (Language language : {Language::kEnglish, Language::kJapanese}) {
        SCOPED_TRACE(language == Language::kEnglish ? "English" : "Japanese");
        const auto text = CommandLineText(c.args, language);
        const std::vector<std::string> help{"--help"};
        const std::vector<std::string> version{"--version"};
        switch (c.expected) {
            case Answer::kWindow:
                EXPECT_FALSE(text.has_value());
                break;
            case Answer::kHelp:
                EXPECT_EQ(text, CommandLineText(help, language));
                break;
            case Answer::kVersion:
                EXPECT_EQ(text, CommandLineText(version, language));
                break;
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Arguments, CommandLineArgs, ::testing::ValuesIn(kArgsCases),
                         [](const auto& info) { return std::string(info.param.name); });

std::string Help(Language language) {
    const std::vector<std::string> args{"--help"};
    return CommandLineText(args, language).value_or("");
}

TEST(CommandLineText, VersionIsTheProjectsInEitherLanguage) {
    const std::vector<std::string> args{"--version"};
    EXPECT_EQ(CommandLineText(args, Language::kEnglish), "tavro-config " TAVRO_VERSION "\n");
    EXPECT_EQ(CommandLineText(args, Language::kJapanese), "tavro-config " TAVRO_VERSION "\n");
}

TEST(CommandLineText, HelpIsInTheUsersLanguage) {
    EXPECT_TRUE(Help(Language::kEnglish).starts_with("Usage: tavro-config [OPTION]...\n"));
    EXPECT_TRUE(Help(Language::kJapanese).starts_with("使い方：tavro-config [オプション]...\n"));
}

// Options, variables, paths and commands: the ASCII words that a translation must keep.
std::set<std::string> LiteralWords(const std::string& text) {
    std::set<std::string> words;
    std::string word;
    auto flush = [&] {
        while (!word.empty() &&
               std::string_view(").,:;\"").find(word.back()) != std::string_view::npos) {
            word.pop_back();
        }
        while (!word.empty() && (word.front() == '(' || word.front() == '"')) {
            word.erase(0, 1);
        }
        if (!word.empty() &&
            (word.front() == '-' || word.front() == '$' || word.find('/') != std::string::npos)) {
            words.insert(word);
        }
        word.clear();
    };
    for (unsigned char c : text) {
        if (c > ' ' && c < 0x80) {
            word += static_cast<char>(c);
        } else {
            flush();
        }
    }
    flush();
    return words;
}

TEST(CommandLineText, BothLanguagesNameTheSameOptionsFilesAndCommands) {
    const std::set<std::string> english = LiteralWords(Help(Language::kEnglish));
    EXPECT_TRUE(english.contains("--version"));
    EXPECT_TRUE(english.contains("$XDG_CONFIG_HOME/Zelm/MOTOR-PID.ini"));
    EXPECT_TRUE(english.contains("$USER"));
    EXPECT_EQ(LiteralWords(Help(Language::kJapanese)), english);
    // The one command a user copies from the help, whole.
    for (Language language : {Language::kEnglish, Language::kJapanese}) {
        EXPECT_NE(Help(language).find("\n    sudo usermod -aG dialout $USER\n"), std::string::npos);
    }
}

// Columns on a terminal: East Asian wide characters take two.
int Columns(const std::string& line) {
    int columns = 0;
    for (std::size_t i = 0; i < line.size();) {
        const auto lead = static_cast<unsigned char>(line[i]);
        char32_t cp = lead;
        std::size_t length = 1;
        if (lead >= 0xF0) {
            cp = lead & 0x07U;
            length = 4;
        } else if (lead >= 0xE0) {
            cp = lead & 0x0FU;
            length = 3;
        } else if (lead >= 0xC0) {
            cp = lead & 0x1FU;
            length = 2;
        }
        for (std::size_t k = 1; k < length && i + k < line.size(); ++k) {
            cp = (cp << 6) | (static_cast<unsigned char>(line[i + k]) & 0x3FU);
        }
        i += length;
        const bool wide = (cp >= 0x1100 && cp <= 0x115F) || (cp >= 0x2E80 && cp <= 0xA4CF) ||
                          (cp >= 0xAC00 && cp <= 0xD7A3) || (cp >= 0xF900 && cp <= 0xFAFF) ||
                          (cp >= 0xFF00 && cp <= 0xFF60) || (cp >= 0xFFE0 && cp <= 0xFFE6);
        columns += wide ? 2 : 1;
    }
    return columns;
}

TEST(CommandLineText, HelpFitsAnEightyColumnTerminal) {
    EXPECT_EQ(Columns("使い方：x"), 9);
    for (Language language : {Language::kEnglish, Language::kJapanese}) {
        std::istringstream in(Help(language));
        std::string line;
        while (std::getline(in, line)) {
            EXPECT_LE(Columns(line), 80) << line;
        }
    }
}

}  // namespace
}  // namespace tavro
