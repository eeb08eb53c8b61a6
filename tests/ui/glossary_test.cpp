// The Japanese table against the glossary: one term per concept, nothing left in English,
// full-width punctuation, help texts written one sentence per line.

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <string>
#include <vector>

#include "tests/ui/Glossary.h"
#include "ui/StringTable.h"

namespace tavro::test {
namespace {

using ::testing::IsEmpty;

std::string_view Japanese(int id) {
    return LookupString(Language::kJapanese, id);
}

// The text with its printf conversions taken out, so that "%s" or "%.0f" reads as no word.
std::string WithoutConversions(std::string_view text) {
    std::string out(text);
    const auto conversions = ParseConversions(text);
    for (auto it = conversions.rbegin(); it != conversions.rend(); ++it) {
        const auto at = static_cast<std::size_t>(it->text.data() - text.data());
        out.replace(at, it->text.size(), " ");
    }
    return out;
}

TEST(Glossary, ReadsWithItsThreeTables) {
    const Glossary& g = ProgramGlossary();
    ASSERT_FALSE(g.terms.empty());
    for (const GlossaryTerm& t : g.terms) {
        EXPECT_FALSE(t.japanese.empty()) << t.meaning;
        EXPECT_FALSE(t.english.empty()) << t.meaning;
        EXPECT_EQ(std::count(t.replaced.begin(), t.replaced.end(), t.japanese), 0) << t.meaning;
    }
}

TEST(Glossary, ReaderRefusesAFileWithoutItsTables) {
    std::string error;
    EXPECT_FALSE(ReadGlossary("/nonexistent/glossary.md", error).has_value());
    EXPECT_FALSE(error.empty());
}

struct WordCase {
    const char* text;
    const char* phrase;
    bool found;
};

constexpr std::array<WordCase, 6> kWordCases = {{
    {"Comm", "Comm", true},
    {"Communication speed", "Comm", false},
    {"Set to [%s] OK?", "OK", true},
    {"\"Jog\" \"Speed\"", "Jog", true},
    {"Pushing Sp", "Push", false},
    {"Threshold (The output range", "Threshold (", true},
}};

TEST(Glossary, PhrasesMatchWholeWordsOnly) {
    for (const WordCase& c : kWordCases) {
        EXPECT_EQ(ContainsWord(c.text, c.phrase), c.found) << c.text << " / " << c.phrase;
    }
}

TEST(Glossary, ForeignWordsSkipTechnicalNamesAndOptions) {
    const Glossary& g = ProgramGlossary();
    EXPECT_THAT(ForeignWords("BUSY：動作中にONします。", g), IsEmpty());
    EXPECT_THAT(ForeignWords("--yes を指定してください。", g), IsEmpty());
    EXPECT_THAT(ForeignWords("－Ｅ　　Ｎ　　　Ｄ－", g), ::testing::ElementsAre("E", "N", "D"));
    EXPECT_THAT(ForeignWords("Get Pos.", g), ::testing::ElementsAre("Get", "Pos"));
}

class TermTest : public ::testing::TestWithParam<GlossaryTerm> {};

// Where the English names the concept, the Japanese says the term and nothing it replaces.
TEST_P(TermTest, JapaneseSaysTheTermWhereTheEnglishNamesTheConcept) {
    const GlossaryTerm& t = GetParam();
    int named = 0;
    for (const StringEntry& e : StringTable::Entries(Language::kEnglish)) {
        const bool names = std::any_of(t.english.begin(), t.english.end(),
                                       [&](const auto& p) { return ContainsWord(e.text, p); });
        if (!names ||
            std::find(t.unchecked.begin(), t.unchecked.end(), e.id) != t.unchecked.end()) {
            continue;
        }
        ++named;
        const std::string ja(Japanese(e.id));
        EXPECT_NE(ja.find(t.japanese), std::string::npos) << "ID " << e.id << ": " << ja;
        const std::string rest = Without(ja, t.japanese);
        for (const std::string& r : t.replaced) {
            EXPECT_EQ(rest.find(r), std::string::npos) << "ID " << e.id << " says " << r;
        }
    }
    EXPECT_GT(named, 0) << "no English text names " << t.meaning;
}

// A replaced term appears in no Japanese text, except as part of an approved term.
TEST_P(TermTest, ReplacedTermsAppearNowhere) {
    const GlossaryTerm& t = GetParam();
    for (const StringEntry& e : StringTable::Entries(Language::kJapanese)) {
        for (const std::string& r : t.replaced) {
            std::string rest(e.text);
            for (const GlossaryTerm& approved : ProgramGlossary().terms) {
                if (approved.japanese.find(r) != std::string::npos) {
                    rest = Without(rest, approved.japanese);
                }
            }
            EXPECT_EQ(rest.find(r), std::string::npos) << "ID " << e.id << " says " << r;
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Glossary, TermTest, ::testing::ValuesIn(ProgramGlossary().terms),
                         [](const auto& info) { return "Term" + std::to_string(info.index); });

TEST(JapaneseTable, ContainsNoLatinWordButTechnicalNames) {
    std::vector<std::string> foreign;
    for (const StringEntry& e : StringTable::Entries(Language::kJapanese)) {
        for (const std::string& w : ForeignWords(WithoutConversions(e.text), ProgramGlossary())) {
            foreign.push_back(std::to_string(e.id) + ": " + w);
        }
    }
    EXPECT_THAT(foreign, IsEmpty());
}

TEST(JapaneseTable, BracketsAndColonsAreFullWidthOutsideTheListedFragments) {
    std::vector<std::string> halfWidth;
    for (const StringEntry& e : StringTable::Entries(Language::kJapanese)) {
        std::string rest(e.text);
        for (const std::string& fragment : ProgramGlossary().halfWidthFragments) {
            rest = Without(rest, fragment);
        }
        if (rest.find_first_of("():") != std::string::npos) {
            halfWidth.push_back(std::to_string(e.id) + ": " + std::string(e.text));
        }
    }
    EXPECT_THAT(halfWidth, IsEmpty());
}

// Captions of buttons that texts tell the user to click (the return-to-origin button is left
// out: its caption is also the operation's name, which texts quote as 「原点復帰」).
constexpr std::array kButtonCaptions = {233, 236, 242, 246, 263, 265, 266, 277, 291, 292,
                                        360, 361, 362, 363, 364, 365, 366, 367, 415, 416,
                                        731, 758, 759, 766, 767, 768, 777, 990, 1134};

// Button names stand in [ ]; 「」 quote screens, fields and operations.
TEST(JapaneseTable, ButtonNamesStandInSquareBrackets) {
    for (const int id : kButtonCaptions) {
        const std::string caption = Without(std::string(Japanese(id)), "\n");
        ASSERT_FALSE(caption.empty()) << id;
        for (const StringEntry& e : StringTable::Entries(Language::kJapanese)) {
            EXPECT_EQ(std::string(e.text).find("「" + caption + "」"), std::string::npos)
                << "ID " << e.id << " quotes the button " << caption;
        }
    }
}

// The help lines of the step fields, as the pages and the Detail dialog show them.
constexpr std::array kHelpTexts = {638, 639, 640, 641, 644, 645, 646, 647, 648,  649,  910, 911,
                                   912, 913, 914, 915, 916, 917, 919, 920, 922,  923,  924, 925,
                                   926, 927, 928, 931, 932, 933, 934, 935, 1135, 1136, 1137};
// The ones that once ran on: one sentence per line.
constexpr std::array kOneSentencePerLine = {638, 639, 640, 641, 644, 645, 646, 647,
                                            910, 911, 912, 913, 914, 915, 916, 917};

std::vector<std::string> Lines(std::string_view text) {
    std::vector<std::string> lines;
    std::size_t start = 0;
    for (std::size_t nl = text.find('\n'); nl != std::string_view::npos;
         nl = text.find('\n', start)) {
        lines.emplace_back(text.substr(start, nl - start));
        start = nl + 1;
    }
    lines.emplace_back(text.substr(start));
    return lines;
}

int Count(std::string_view text, std::string_view part) {
    int n = 0;
    for (std::size_t at = text.find(part); at != std::string_view::npos;
         at = text.find(part, at + part.size())) {
        ++n;
    }
    return n;
}

TEST(JapaneseTable, HelpLinesEndInAFullStopOrAreHeadings) {
    for (const int id : kHelpTexts) {
        ASSERT_FALSE(Japanese(id).empty()) << id;
        for (const std::string& line : Lines(Japanese(id))) {
            EXPECT_TRUE(line.ends_with("。") || line.ends_with("：")) << id << ": " << line;
        }
    }
    for (const int id : kOneSentencePerLine) {
        for (const std::string& line : Lines(Japanese(id))) {
            EXPECT_EQ(Count(line, "。"), 1) << id << ": " << line;
        }
    }
}

// Absolute is the position from the origin, relative the distance from the current position;
// a help text that mixes them can send the table somewhere unexpected.
struct MovementHelp {
    int id;
    bool relative;
};

constexpr std::array<MovementHelp, 8> kMovementHelps = {{
    {638, false},
    {639, true},
    {640, false},
    {641, true},
    {910, false},
    {911, true},
    {912, false},
    {913, true},
}};

TEST(StringTables, TargetPositionHelpFollowsTheMovementMode) {
    for (const MovementHelp& h : kMovementHelps) {
        const std::string_view en = LookupString(Language::kEnglish, h.id);
        const std::string_view ja = Japanese(h.id);
        if (h.relative) {
            EXPECT_NE(en.find("relative distance that the table is to travel from the current "
                              "table position"),
                      std::string_view::npos)
                << h.id;
            EXPECT_NE(ja.find("現在位置からの移動量"), std::string_view::npos) << h.id;
            EXPECT_EQ(ja.find("原点から"), std::string_view::npos) << h.id;
        } else {
            EXPECT_NE(en.find("absolute distance from the origin position"), std::string_view::npos)
                << h.id;
            EXPECT_NE(ja.find("原点からの位置"), std::string_view::npos) << h.id;
            EXPECT_EQ(ja.find("現在位置から"), std::string_view::npos) << h.id;
        }
        EXPECT_EQ(en.find("relative distance from the origin"), std::string_view::npos) << h.id;
        EXPECT_EQ(en.find("absolute distance that"), std::string_view::npos) << h.id;
    }
}

}  // namespace
}  // namespace tavro::test
