#include <gtest/gtest.h>

#include <string_view>
#include <vector>

#include "ui/FileFilter.h"

namespace tavro::ui {
namespace {

TEST(FileFilterTest, ReadsTheStepDataFilterAsWritten) {
    const auto entries = ParseFileFilter("Step Data File (*.dat) | *.dat||");
    ASSERT_EQ(entries.size(), 1u);
    EXPECT_EQ(entries[0].description, "Step Data File (*.dat)");
    EXPECT_EQ(entries[0].patterns, std::vector<std::string>{"*.dat"});
    EXPECT_EQ(FilterLabel(entries[0]), "Step Data File (*.dat)");
}

TEST(FileFilterTest, ReadsSeveralEntriesAndPatternLists) {
    const auto entries = ParseFileFilter("Data (*.dat;*.txt)|*.dat; *.txt|All files|*.*||");
    ASSERT_EQ(entries.size(), 2u);
    EXPECT_EQ(entries[0].patterns, (std::vector<std::string>{"*.dat", "*.txt"}));
    EXPECT_EQ(FilterLabel(entries[0]), "Data (*.dat *.txt)");
    EXPECT_EQ(FilterLabel(entries[1]), "All files (*.*)");
}

// The label always shows the patterns that apply, whatever the description claims.
TEST(FileFilterTest, LabelReplacesAStaleParenthesis) {
    EXPECT_EQ(FilterLabel({"Steps (*.txt)", {"*.dat"}}), "Steps (*.dat)");
    EXPECT_EQ(FilterLabel({"", {"*.dat"}}), "(*.dat)");
}

struct BrokenFilter {
    const char* name;
    std::string_view filter;
    std::size_t entries;
};

constexpr BrokenFilter kBrokenFilters[] = {
    {"Empty", "", 0},
    {"OnlyBars", "||||", 0},
    {"DescriptionWithoutPattern", "Step Data File (*.dat)", 0},
    {"EmptyPatternList", "Steps| ; ;|Data|*.dat||", 1},
    {"MissingTerminator", "Data|*.dat", 1},
    {"PatternWithoutDescription", "|*.dat||", 1},
};

class BrokenFilterTest : public testing::TestWithParam<BrokenFilter> {};

TEST_P(BrokenFilterTest, KeepsOnlyEntriesWithPatterns) {
    const auto entries = ParseFileFilter(GetParam().filter);
    EXPECT_EQ(entries.size(), GetParam().entries);
    for (const auto& e : entries) {
        EXPECT_FALSE(e.patterns.empty());
        EXPECT_FALSE(e.description.empty());
    }
}

INSTANTIATE_TEST_SUITE_P(Filters, BrokenFilterTest, testing::ValuesIn(kBrokenFilters),
                         [](const auto& info) { return std::string(info.param.name); });

struct ExtensionCase {
    const char* name;
    const char* path;
    const char* extension;
    const char* expected;
};

constexpr ExtensionCase kExtensionCases[] = {
    {"Appended", "/home/u/steps", "dat", "/home/u/steps.dat"},
    {"KeptWhenPresent", "/home/u/steps.dat", "dat", "/home/u/steps.dat"},
    {"OtherExtensionKept", "/home/u/steps.txt", "dat", "/home/u/steps.txt"},
    {"DotInFolderIgnored", "/home/u/v1.2/steps", "dat", "/home/u/v1.2/steps.dat"},
    {"HiddenFileGetsOne", "/home/u/.steps", "dat", "/home/u/.steps.dat"},
    {"LeadingDotOfExtension", "steps", ".dat", "steps.dat"},
    {"NoExtensionWanted", "/home/u/steps", "", "/home/u/steps"},
    {"FolderLeftAlone", "/home/u/", "dat", "/home/u/"},
};

class DefaultExtensionTest : public testing::TestWithParam<ExtensionCase> {};

TEST_P(DefaultExtensionTest, AppendsOnlyWhenTheNameHasNone) {
    EXPECT_EQ(WithDefaultExtension(GetParam().path, GetParam().extension), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(Paths, DefaultExtensionTest, testing::ValuesIn(kExtensionCases),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace tavro::ui
