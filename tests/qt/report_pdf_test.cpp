// The repeatability report as Qt writes it: one page per target, in both languages, renamed
// into place only when complete, and, where poppler's pdftoppm is installed, drawn as a page
// shows it: the verdict in its colour.

#include <gtest/gtest.h>

#include <QtCore/QFile>
#include <QtCore/QProcess>
#include <QtCore/QStandardPaths>
#include <QtGui/QImage>

#include <fstream>
#include <regex>
#include <sstream>
#include <string>

#include "link/Numbers.h"
#include "monitor/RepeatReport.h"
#include "report/PdfReport.h"
#include "tests/support/TempDir.h"
#include "ui/StringTable.h"

namespace tavro::test {
namespace {

RepeatReport SampleReport(int targets, int ratedUm) {
    RepeatReport r;
    r.controller = {{"Controller ID", "1"},
                    {"Version", "2.60"},
                    {"Product Number", "KRM3M-50"},
                    {"Mounting Orientation", "Horizontal (0 to 45 degree)"},
                    {"Date", "2026-12-10 15:20"}};
    r.ratedUm = ratedUm;
    r.cycles = 20;
    r.settleMs = 100;
    r.end = RepeatEnd::kCompleted;
    for (int t = 0; t < targets; ++t) {
        r.targets.push_back({t + 1, 5000 + 10000 * t, true});
        r.stepData.push_back({{"Target position", Format("%d.000", 5 + 10 * t)}, {"Speed", "20"}});
        for (int c = 1; c <= r.cycles; ++c) {
            r.arrivals.push_back({c, t, 5000 + 10000 * t + (c * 7919 % 21) - 10, 1000 + c});
        }
    }
    for (int t = 0; t < targets; ++t) {
        r.stats.push_back(ComputeRepeatStats(
            r.arrivals, t, r.targets[static_cast<std::size_t>(t)].targetUm, ratedUm));
    }
    return r;
}

std::string ReadAll(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

// Page objects of the file: "/Type /Page", not the "/Pages" tree.
int PageCount(const std::string& pdf) {
    static const std::regex kPage(R"(/Type\s*/Page(?![a-zA-Z]))");
    return static_cast<int>(
        std::distance(std::sregex_iterator(pdf.begin(), pdf.end(), kPage), std::sregex_iterator()));
}

struct PdfCase {
    const char* name;
    Language language;
    int targets;
};
const PdfCase kPdfCases[] = {
    {"OneTargetEnglish", Language::kEnglish, 1},
    {"TwoTargetsEnglish", Language::kEnglish, 2},
    {"TwoTargetsJapanese", Language::kJapanese, 2},
};

class ReportPdfTest : public ::testing::TestWithParam<PdfCase> {};

TEST_P(ReportPdfTest, OnePagePerTarget) {
    const PdfCase& c = GetParam();
    TempDir dir;
    const std::string path = dir.File("report.pdf");
    std::string error;
    PdfReportPrinter printer;
    ASSERT_TRUE(printer.Print(SampleReport(c.targets, 20), StringTable(c.language), path, error))
        << error;
    const std::string pdf = ReadAll(path);
    ASSERT_EQ(pdf.rfind("%PDF-", 0), 0U);
    EXPECT_EQ(PageCount(pdf), c.targets);
}

INSTANTIATE_TEST_SUITE_P(Reports, ReportPdfTest, ::testing::ValuesIn(kPdfCases),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(ReportPdf, UnwritablePlaceFailsAndSaysWhere) {
    TempDir dir;
    const std::string path = dir.File("missing/report.pdf");
    std::string error;
    PdfReportPrinter printer;
    EXPECT_FALSE(printer.Print(SampleReport(1, 20), StringTable(Language::kEnglish), path, error));
    EXPECT_NE(error.find("missing/report.pdf"), std::string::npos) << error;
    EXPECT_FALSE(QFile::exists(QString::fromStdString(path)));
}

TEST(ReportPdf, AReportWithoutTargetsIsRefused) {
    TempDir dir;
    const std::string path = dir.File("report.pdf");
    std::string error;
    PdfReportPrinter printer;
    EXPECT_FALSE(printer.Print(RepeatReport{}, StringTable(Language::kEnglish), path, error));
    EXPECT_FALSE(QFile::exists(QString::fromStdString(path)));
}

// Counts the pixels near a colour.
int PixelsNear(const QImage& image, QColor colour) {
    int n = 0;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            const QColor p = image.pixelColor(x, y);
            if (std::abs(p.red() - colour.red()) < 40 &&
                std::abs(p.green() - colour.green()) < 40 &&
                std::abs(p.blue() - colour.blue()) < 40) {
                ++n;
            }
        }
    }
    return n;
}

struct VerdictCase {
    const char* name;
    int ratedUm;
    QColor shown;  // the verdict's colour
    QColor absent;
};
const VerdictCase kVerdicts[] = {
    {"Pass", 20, QColor(0, 128, 0), QColor(200, 0, 0)},
    {"Fail", 5, QColor(200, 0, 0), QColor(0, 128, 0)},
};

class ReportRenderTest : public ::testing::TestWithParam<VerdictCase> {};

TEST_P(ReportRenderTest, FirstPageShowsTheVerdictInItsColour) {
    const QString pdftoppm = QStandardPaths::findExecutable(QStringLiteral("pdftoppm"));
    if (pdftoppm.isEmpty()) {
        GTEST_SKIP() << "pdftoppm (poppler-utils) is not installed";
    }
    const VerdictCase& c = GetParam();
    TempDir dir;
    const std::string path = dir.File("report.pdf");
    std::string error;
    PdfReportPrinter printer;
    ASSERT_TRUE(
        printer.Print(SampleReport(1, c.ratedUm), StringTable(Language::kEnglish), path, error))
        << error;
    const QString stem = QString::fromStdString(std::string(TAVRO_TEST_OUTPUT_DIR) +
                                                "/repeatability-report-" + c.name);
    QProcess render;
    render.start(pdftoppm, {QStringLiteral("-png"), QStringLiteral("-r"), QStringLiteral("60"),
                            QStringLiteral("-singlefile"), QString::fromStdString(path), stem});
    ASSERT_TRUE(render.waitForFinished(30000));
    ASSERT_EQ(render.exitCode(), 0) << render.readAllStandardError().toStdString();
    const QImage page(stem + QStringLiteral(".png"));
    ASSERT_FALSE(page.isNull());
    // A4 at 60 dpi.
    EXPECT_NEAR(page.width(), 496, 2);
    EXPECT_NEAR(page.height(), 702, 2);
    EXPECT_GT(PixelsNear(page, c.shown), 100);
    EXPECT_EQ(PixelsNear(page, c.absent), 0);
    // The rated band behind the points.
    EXPECT_GT(PixelsNear(page, QColor(200, 230, 200)), 1000);
}

INSTANTIATE_TEST_SUITE_P(Verdicts, ReportRenderTest, ::testing::ValuesIn(kVerdicts),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace tavro::test
