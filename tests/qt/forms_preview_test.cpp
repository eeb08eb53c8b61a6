#include <gtest/gtest.h>

#include <QFileInfo>
#include <QImage>
#include <string>
#include <string_view>
#include <vector>

#include "app/preview/FormPreview.h"
#include "app/preview/PreviewOptions.h"
#include "tests/support/TempDir.h"

namespace tavro::test {
namespace {

using preview::ParsePreviewArgs;

struct ArgsCase {
    const char* name;
    std::vector<std::string_view> args;
    bool ok;
    Language language = Language::kEnglish;
    int controlType = 1;
    std::vector<int> templates = {};
};

class PreviewArgsTest : public testing::TestWithParam<ArgsCase> {};

TEST_P(PreviewArgsTest, ReadsOrRefusesTheCommandLine) {
    const ArgsCase& c = GetParam();
    std::string error;
    const auto options = ParsePreviewArgs(c.args, error);
    ASSERT_EQ(options.has_value(), c.ok) << error;
    if (!c.ok) {
        EXPECT_FALSE(error.empty());
        return;
    }
    EXPECT_EQ(options->language, c.language);
    EXPECT_EQ(options->controlType, c.controlType);
    EXPECT_EQ(options->templates, c.templates);
    EXPECT_EQ(options->outDir, "shots");
}

INSTANTIATE_TEST_SUITE_P(
    CommandLines, PreviewArgsTest,
    testing::Values(
        ArgsCase{"Defaults", {"--out", "shots"}, true},
        ArgsCase{"JapanesePulse",
                 {"--lang", "ja", "--type", "2", "--out", "shots"},
                 true,
                 Language::kJapanese,
                 2},
        ArgsCase{"ChosenFormsOnceEach",
                 {"--out", "shots", "204", "200", "204"},
                 true,
                 Language::kEnglish,
                 1,
                 {204, 200}},
        ArgsCase{"NoOut", {"--lang", "en"}, false}, ArgsCase{"OutWithoutValue", {"--out"}, false},
        ArgsCase{"EmptyValue", {"--out", ""}, false},
        ArgsCase{"UnknownLanguage", {"--lang", "de", "--out", "shots"}, false},
        ArgsCase{"TypeZero", {"--type", "0", "--out", "shots"}, false},
        ArgsCase{"TypeNotANumber", {"--type", "1x", "--out", "shots"}, false},
        ArgsCase{"TypeTooLarge", {"--type", "99999999999999999999", "--out", "shots"}, false},
        ArgsCase{"UnknownForm", {"--out", "shots", "999"}, false},
        ArgsCase{"NegativeForm", {"--out", "shots", "-5"}, false},
        ArgsCase{"UnknownOption", {"--out", "shots", "--fast"}, false}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(PreviewHelpTest, NeedsNoOutFolder) {
    std::string error;
    const std::vector<std::string_view> args{"--help"};
    const auto options = ParsePreviewArgs(args, error);
    ASSERT_TRUE(options) << error;
    EXPECT_TRUE(options->help);
}

TEST(PreviewRenderTest, WritesAPictureOfEachFormAskedFor) {
    TempDir dir;
    preview::PreviewOptions options;
    options.outDir = dir.Path();
    options.language = Language::kJapanese;
    options.templates = {200, 212, 204};
    std::vector<std::string> errors;
    const auto written = preview::RenderPreviews(options, errors);
    EXPECT_TRUE(errors.empty()) << errors.front();
    ASSERT_EQ(written.size(), 4u);
    for (const char* name : {"200.png", "212.png", "204.png", "204-level0.png"}) {
        const QImage image(QString::fromStdString(dir.File(name)));
        EXPECT_FALSE(image.isNull()) << name;
    }
    // Without its PID section the detail dialog is shorter.
    EXPECT_LT(QImage(QString::fromStdString(dir.File("204-level0.png"))).height(),
              QImage(QString::fromStdString(dir.File("204.png"))).height());
}

TEST(PreviewRenderTest, ReportsAFolderItCannotWriteTo) {
    TempDir dir;
    dir.Write("file", "not a folder");
    preview::PreviewOptions options;
    options.outDir = dir.File("file");
    options.templates = {200};
    std::vector<std::string> errors;
    EXPECT_TRUE(preview::RenderPreviews(options, errors).empty());
    EXPECT_EQ(errors.size(), 1u);
}

}  // namespace
}  // namespace tavro::test
