#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <climits>
#include <cstdint>
#include <optional>
#include <ostream>
#include <span>
#include <string>
#include <vector>

#include "ui/StringTable.h"

namespace tavro {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;

std::vector<int> OnlyIn(Language language, Language other) {
    std::vector<int> ids;
    for (const int id : StringTable::Ids(language)) {
        if (LookupString(other, id).empty()) {
            ids.push_back(id);
        }
    }
    return ids;
}

// Decodes UTF-8 strictly; nullopt for a malformed, overlong or surrogate sequence.
std::optional<std::vector<std::uint32_t>> DecodeUtf8(std::string_view s) {
    std::vector<std::uint32_t> out;
    std::size_t i = 0;
    while (i < s.size()) {
        const auto b = static_cast<unsigned char>(s[i]);
        int extra = 0;
        std::uint32_t cp = 0;
        std::uint32_t min = 0;
        if (b < 0x80) {
            cp = b;
        } else if ((b & 0xE0) == 0xC0) {
            extra = 1, cp = b & 0x1F, min = 0x80;
        } else if ((b & 0xF0) == 0xE0) {
            extra = 2, cp = b & 0x0F, min = 0x800;
        } else if ((b & 0xF8) == 0xF0) {
            extra = 3, cp = b & 0x07, min = 0x10000;
        } else {
            return std::nullopt;
        }
        if (i + static_cast<std::size_t>(extra) >= s.size() && extra > 0) {
            return std::nullopt;
        }
        for (int k = 1; k <= extra; ++k) {
            const auto c = static_cast<unsigned char>(s[i + static_cast<std::size_t>(k)]);
            if ((c & 0xC0) != 0x80) {
                return std::nullopt;
            }
            cp = (cp << 6) | (c & 0x3F);
        }
        if (cp < min || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) {
            return std::nullopt;
        }
        out.push_back(cp);
        i += static_cast<std::size_t>(extra) + 1;
    }
    return out;
}

// Characters that take two columns: the ideographic space and punctuation, kana, kanji and
// the full-width forms.
bool IsFullWidth(std::uint32_t cp) {
    return (cp >= 0x3000 && cp <= 0x30FF) || (cp >= 0x4E00 && cp <= 0x9FFF) ||
           (cp >= 0xFF01 && cp <= 0xFF60) || (cp >= 0xFFE0 && cp <= 0xFFE6);
}

TEST(StringTables, BothHoldTheSameIds) {
    EXPECT_THAT(OnlyIn(Language::kEnglish, Language::kJapanese), IsEmpty())
        << "IDs without a Japanese text";
    EXPECT_THAT(OnlyIn(Language::kJapanese, Language::kEnglish), IsEmpty())
        << "IDs without an English text";
}

struct LanguageCase {
    const char* name;
    Language language;
};

void PrintTo(const LanguageCase& c, std::ostream* os) {
    *os << c.name;
}

constexpr std::array<LanguageCase, 2> kLanguages = {{
    {"English", Language::kEnglish},
    {"Japanese", Language::kJapanese},
}};

class EachTable : public ::testing::TestWithParam<LanguageCase> {};

TEST_P(EachTable, IdsAreSortedWithoutDuplicates) {
    const auto entries = StringTable::Entries(GetParam().language);
    ASSERT_FALSE(entries.empty());
    std::vector<int> outOfOrder;
    for (std::size_t i = 1; i < entries.size(); ++i) {
        if (entries[i].id <= entries[i - 1].id) {
            outOfOrder.push_back(entries[i].id);
        }
    }
    EXPECT_THAT(outOfOrder, IsEmpty()) << "rows not above the row before them";
}

TEST_P(EachTable, EveryTextIsNonEmptyUtf8) {
    std::vector<int> bad;
    for (const StringEntry& e : StringTable::Entries(GetParam().language)) {
        if (e.text.empty() || !DecodeUtf8(e.text)) {
            bad.push_back(e.id);
        }
    }
    EXPECT_THAT(bad, IsEmpty());
}

TEST_P(EachTable, EveryIdIsFoundByLookup) {
    const Language language = GetParam().language;
    for (const StringEntry& e : StringTable::Entries(language)) {
        EXPECT_EQ(LookupString(language, e.id), e.text) << e.id;
    }
}

INSTANTIATE_TEST_SUITE_P(Languages, EachTable, ::testing::ValuesIn(kLanguages),
                         [](const auto& info) { return std::string(info.param.name); });

std::vector<std::string> Conversions(std::string_view text) {
    std::vector<std::string> found;
    for (const Conversion& c : ParseConversions(text)) {
        found.push_back((c.conversion == 0 ? "malformed " : "") + std::string(c.text));
    }
    return found;
}

TEST(StringTables, SameConversionsInTheSameOrder) {
    for (const StringEntry& e : StringTable::Entries(Language::kEnglish)) {
        const std::string_view ja = LookupString(Language::kJapanese, e.id);
        const auto en = Conversions(e.text);
        EXPECT_EQ(en, Conversions(ja)) << "ID " << e.id;
        for (const std::string& conversion : en) {
            EXPECT_EQ(conversion.find("malformed"), std::string::npos)
                << "ID " << e.id << ": " << conversion;
        }
    }
}

struct Layout {
    std::size_t lineBreaks;
    bool leading;
    bool trailing;
    bool operator==(const Layout&) const = default;
};

Layout LayoutOf(std::string_view t) {
    return {static_cast<std::size_t>(std::count(t.begin(), t.end(), '\n')), t.starts_with('\n'),
            t.ends_with('\n')};
}

// Captions are sized for their line structure (two-line buttons, labels that start with an
// empty line to align with their neighbours), and messages keep their paragraphs.
TEST(StringTables, JapaneseKeepsTheLineStructure) {
    std::vector<int> differing;
    for (const StringEntry& e : StringTable::Entries(Language::kEnglish)) {
        if (!(LayoutOf(e.text) == LayoutOf(LookupString(Language::kJapanese, e.id)))) {
            differing.push_back(e.id);
        }
    }
    EXPECT_THAT(differing, IsEmpty());
}

TEST(StringTables, StepBrowserPseudoRowsFillTenColumns) {
    for (const int id : {251, 252}) {
        const std::string_view en = LookupString(Language::kEnglish, id);
        EXPECT_EQ(en.size(), 10U) << id;
        const auto ja = DecodeUtf8(LookupString(Language::kJapanese, id));
        ASSERT_TRUE(ja.has_value()) << id;
        EXPECT_EQ(ja->size(), 10U) << id;
        for (const std::uint32_t cp : *ja) {
            EXPECT_TRUE(IsFullWidth(cp)) << id << ": U+" << std::hex << cp;
        }
    }
}

struct KnownText {
    const char* name;
    Language language;
    int id;
    const char* text;
};

void PrintTo(const KnownText& c, std::ostream* os) {
    *os << c.name;
}

constexpr std::array<KnownText, 9> kKnownTexts = {{
    {"PortOpenFailure", Language::kEnglish, 231,
     "Cannot open COM port.\nPlease start the software offline."},
    {"NoResponse", Language::kEnglish, 306,
     "No response from the controller.\nCheck the following:\n - Is the ID of the connected "
     "controller correct?\n - Has the controller ID been duplicated?\n - Is power supplied to "
     "the controller?\n - Is the controller setting cable connected?"},
    {"FactoryDefaultId", Language::kEnglish, 268, "%d (Factory default value)"},
    {"NoAlarmCode", Language::kEnglish, 1150, " -"},
    {"TargetPositionHelp", Language::kEnglish, 638,
     "Target position: Input the absolute distance from the origin position to the position "
     "where the table is to travel.\nSetting range: %.0f to %.0f mm (0.001mm increments) The "
     "connector side is considered as absolute 0.\nPositioning repeatability: KRM3-*: "
     "+-0.09mm, KRM3F-*: +-0.005mm, KRM3M-*: +-0.02mm"},
    {"HeaderKeepsTrailingSpaces", Language::kEnglish, 679, "Time   "},
    {"ProgramSpelling", Language::kEnglish, 401, "BUSY: Enabled during opreration.\n"},
    {"EndPseudoRow", Language::kEnglish, 251, "-E  N   D-"},
    {"JapaneseEndPseudoRow", Language::kJapanese, 251, "－　　終　　了　　－"},
}};

class KnownTexts : public ::testing::TestWithParam<KnownText> {};

TEST_P(KnownTexts, AreByteExact) {
    EXPECT_EQ(LookupString(GetParam().language, GetParam().id), GetParam().text);
}

INSTANTIATE_TEST_SUITE_P(StringTables, KnownTexts, ::testing::ValuesIn(kKnownTexts),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(StringTables, UnknownIdsAreEmpty) {
    // 1139 and 1500 are control IDs that stand next to quoted captions.
    for (const int id : {0, -1, 1, 999, 1139, 1500, 99999, INT_MIN, INT_MAX}) {
        EXPECT_TRUE(LookupString(Language::kEnglish, id).empty()) << id;
        EXPECT_TRUE(LookupString(Language::kJapanese, id).empty()) << id;
        EXPECT_FALSE(HasString(id)) << id;
        EXPECT_EQ(StringTable(Language::kJapanese).Format(id, 1, "x"), "") << id;
    }
}

TEST(StringTables, ViewFormatsInItsLanguage) {
    const StringTable en(Language::kEnglish);
    const StringTable ja(Language::kJapanese);
    EXPECT_EQ(en.Text(233), "Cancel");
    EXPECT_EQ(ja.Text(233), "キャンセル");
    EXPECT_EQ(en.Format(268, 1), "1 (Factory default value)");
    EXPECT_EQ(ja.Format(268, 1), "1（工場出荷時の値）");
    EXPECT_EQ(en.Format(301, 3, 1, 19200), "<<COM3 / Controller ID1 / Communication speed19200>>");
    EXPECT_EQ(en.Format(960, 'A' + 2), "STC");
}

TEST(StringTables, MissingStringsNamesTheAbsentIdsInOrder) {
    constexpr std::array ids = {231, 99999, 1170, 1139, 1150};
    EXPECT_THAT(MissingStrings(ids), ElementsAre(99999, 1139));
}

// The string IDs that the static tables of the pages and dialogs name: captions of the
// control table, combo items, list headings and cell texts, tab captions, alarm texts.
constexpr std::array kTabCaptions = {400, 510, 600, 700};
constexpr std::array kComSelectionDialog = {230, 231, 232, 233, 234, 235, 236};
constexpr std::array kIdSearchDialog = {260, 261, 262, 263, 264, 265, 266, 267, 268,
                                        269, 270, 271, 272, 273, 274, 275, 276, 277};
constexpr std::array kIoSetupPage = {415, 416, 460, 461, 462, 463, 464, 465, 504, 466,
                                     505, 467, 506, 468, 469, 470, 471, 472, 480, 481,
                                     408, 409, 490, 491, 492, 493, 494, 496, 497, 498,
                                     499, 275, 410, 507, 420, 421, 422, 423, 412};
constexpr std::array kBasicSetupPage = {530, 560, 561, 564, 562, 563, 531, 532,
                                        541, 542, 543, 544, 549, 545, 550, 551};
constexpr std::array kStepDataSetupPage = {660, 661, 662, 663, 664, 665, 666, 667, 670, 671,
                                           672, 673, 674, 690, 691, 692, 693, 694, 695};
constexpr std::array kMonitorTestPage = {
    778, 779, 780, 781, 782, 783, 784, 799, 715, 716, 717, 725, 718, 726, 719, 727, 785, 786, 787,
    788, 789, 790, 791, 792, 793, 751, 795, 796, 797, 798, 774, 755, 756, 757, 732, 728, 758, 760,
    733, 744, 745, 748, 749, 731, 810, 811, 736, 766, 767, 768, 776, 775, 800, 801, 777};
constexpr std::array kComboTables = {424, 425, 426, 427, 428, 429, 430, 431, 432, 421, 533, 534,
                                     535, 536, 537, 538, 539, 540, 546, 547, 762, 765, 763, 764};
constexpr std::array kListTables = {675, 676, 677, 678, 679, 680, 681, 682, 683, 684, 685,
                                    686, 687, 770, 771, 772, 773, 763, 732, 940, 941, 942,
                                    943, 944, 945, 946, 947, 949, 950, 952, 953, 954, 955,
                                    956, 957, 958, 963, 964, 965, 967, 966, 959};
constexpr std::array kAlarmTexts = {1150, 1151, 1152, 1153, 1154, 1155, 1156,
                                    1157, 1158, 1159, 1160, 1161, 1162, 1170};

struct IdGroup {
    const char* name;
    std::span<const int> ids;
};

void PrintTo(const IdGroup& c, std::ostream* os) {
    *os << c.name;
}

constexpr std::array<IdGroup, 10> kIdGroups = {{
    {"TabCaptions", kTabCaptions},
    {"ComSelectionDialog", kComSelectionDialog},
    {"IdSearchDialog", kIdSearchDialog},
    {"IoSetupPage", kIoSetupPage},
    {"BasicSetupPage", kBasicSetupPage},
    {"StepDataSetupPage", kStepDataSetupPage},
    {"MonitorTestPage", kMonitorTestPage},
    {"ComboTables", kComboTables},
    {"ListTables", kListTables},
    {"AlarmTexts", kAlarmTexts},
}};

class TableIds : public ::testing::TestWithParam<IdGroup> {};

TEST_P(TableIds, ExistInBothLanguages) {
    EXPECT_THAT(MissingStrings(GetParam().ids), IsEmpty());
}

INSTANTIATE_TEST_SUITE_P(StringTables, TableIds, ::testing::ValuesIn(kIdGroups),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace tavro
