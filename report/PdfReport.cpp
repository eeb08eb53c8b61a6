#include "report/PdfReport.h"

#include <QtCore/QFile>
#include <QtCore/QMarginsF>
#include <QtCore/QSaveFile>
#include <QtGui/QFont>
#include <QtGui/QGuiApplication>
#include <QtGui/QPageLayout>
#include <QtGui/QPageSize>
#include <QtGui/QPainter>
#include <QtGui/QPdfWriter>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <memory>
#include <vector>

#include "link/Numbers.h"
#include "link/StringIds.h"

namespace tavro {

namespace {

constexpr int kDpi = 300;
constexpr int kHistogramBins = 15;
const QColor kPassColour(0, 128, 0);
const QColor kFailColour(200, 0, 0);
const QColor kBandColour(200, 230, 200);
const QColor kPointColour(20, 60, 160);
const QColor kGridColour(200, 200, 200);

QString Q(const std::string& s) {
    return QString::fromStdString(s);
}

std::string Mm(double um) {
    return Format("%.3f", um / 1000.0);
}

// Lays one page out from the top down; units are device pixels at kDpi.
class PageLayout {
  public:
    PageLayout(QPainter& p, const StringTable& strings, int width)
        : p_(p), strings_(strings), width_(width) {}

    int Y() const { return y_; }
    void Skip(int dy) { y_ += dy; }
    int Px(double mm) const { return static_cast<int>(std::lround(mm * kDpi / 25.4)); }

    void Font(double points, bool bold = false) {
        QFont f = p_.font();
        f.setPointSizeF(points);
        f.setBold(bold);
        p_.setFont(f);
    }
    int LineHeight() const { return p_.fontMetrics().height(); }

    void Text(const std::string& text, int x = 0) {
        p_.drawText(QRect(x, y_, width_ - x, LineHeight()), Qt::AlignLeft | Qt::AlignVCenter,
                    Q(text));
        y_ += LineHeight();
    }

    // Caption and value pairs in two columns.
    void Pairs(const std::vector<RepeatReport::Line>& lines, int columns = 2) {
        const int colWidth = width_ / columns;
        const int captionWidth = columns == 1 ? colWidth * 7 / 10 : colWidth * 11 / 20;
        const int rows = (static_cast<int>(lines.size()) + columns - 1) / columns;
        const int h = LineHeight();
        for (int i = 0; i < static_cast<int>(lines.size()); ++i) {
            const int col = i / rows;
            const int row = i % rows;
            const int x = col * colWidth;
            const int y = y_ + row * h;
            const auto& l = lines[static_cast<std::size_t>(i)];
            p_.drawText(QRect(x, y, captionWidth, h), Qt::AlignLeft | Qt::AlignVCenter,
                        Q(l.caption));
            p_.drawText(QRect(x + captionWidth, y, colWidth - captionWidth, h),
                        Qt::AlignLeft | Qt::AlignVCenter, Q(l.value));
        }
        y_ += rows * h;
    }

    void Heading(int id) {
        Skip(Px(3));
        Font(11, true);
        Text(std::string(strings_.Text(id)));
        Font(9);
        p_.setPen(QPen(Qt::black, 2));
        p_.drawLine(0, y_, width_, y_);
        Skip(Px(1.5));
    }

  private:
    QPainter& p_;
    const StringTable& strings_;
    int width_;
    int y_ = 0;
};

// A rounded step for the axis ticks, µm.
double TickStep(double span) {
    const double raw = span / 5.0;
    const double magnitude = std::pow(10.0, std::floor(std::log10(raw > 0 ? raw : 1.0)));
    for (const double m : {1.0, 2.0, 5.0, 10.0}) {
        if (raw <= m * magnitude) {
            return m * magnitude;
        }
    }
    return 10.0 * magnitude;
}

struct Axis {
    double lo;
    double hi;
};

// The deviation axis holds every arrival and the whole rated band.
Axis DeviationAxis(const std::vector<double>& deviations, int ratedUm) {
    double extent = ratedUm > 0 ? ratedUm * 1.25 : 1.0;
    for (const double d : deviations) {
        extent = std::max(extent, std::fabs(d) * 1.1);
    }
    return {-extent, extent};
}

void DrawScatter(QPainter& p, const QRect& box, const std::vector<int>& cycles,
                 const std::vector<double>& deviations, int lastCycle, int ratedUm,
                 const StringTable& strings) {
    const Axis axis = DeviationAxis(deviations, ratedUm);
    const int left = box.left();
    const int right = box.right();
    const auto yOf = [&](double um) {
        return box.bottom() - static_cast<int>((um - axis.lo) / (axis.hi - axis.lo) * box.height());
    };
    const int cycleSpan = std::max(1, lastCycle - 1);
    const auto xOf = [&](int cycle) {
        return lastCycle <= 1 ? (left + right) / 2
                              : left + static_cast<int>(static_cast<double>(cycle - 1) / cycleSpan *
                                                        (right - left));
    };
    if (ratedUm > 0) {
        p.fillRect(QRect(QPoint(left, yOf(ratedUm)), QPoint(right, yOf(-ratedUm))), kBandColour);
    }
    p.setPen(QPen(kGridColour, 1));
    const double step = TickStep(axis.hi - axis.lo);
    QFont small = p.font();
    small.setPointSizeF(7);
    p.setFont(small);
    for (double t = std::ceil(axis.lo / step) * step; t <= axis.hi; t += step) {
        const int y = yOf(t);
        p.setPen(QPen(kGridColour, 1));
        p.drawLine(left, y, right, y);
        p.setPen(Qt::black);
        p.drawText(QRect(box.left() - 260, y - 30, 240, 60), Qt::AlignRight | Qt::AlignVCenter,
                   Q(Format("%+.3f", t / 1000.0)));
    }
    const int cycleStep = static_cast<int>(std::max(1.0, TickStep(cycleSpan)));
    for (int c = 1; c <= lastCycle; c += cycleStep) {
        p.drawText(QRect(xOf(c) - 120, box.bottom() + 10, 240, 50), Qt::AlignHCenter | Qt::AlignTop,
                   QString::number(c));
    }
    p.setPen(QPen(Qt::black, 2));
    p.drawRect(box);
    p.setPen(QPen(Qt::black, 1, Qt::DashLine));
    p.drawLine(left, yOf(0), right, yOf(0));
    p.setPen(Qt::NoPen);
    p.setBrush(kPointColour);
    const int r = std::clamp(box.width() / std::max(1, lastCycle) / 3, 4, 12);
    for (std::size_t i = 0; i < deviations.size(); ++i) {
        p.drawEllipse(QPoint(xOf(cycles[i]), yOf(deviations[i])), r, r);
    }
    p.setBrush(Qt::NoBrush);
    p.setPen(Qt::black);
    p.drawText(QRect(left, box.bottom() + 50, box.width(), 50), Qt::AlignHCenter | Qt::AlignTop,
               Q(std::string(strings.Text(ids::IDS_REPORT_CYCLE))));
    p.save();
    p.translate(box.left() - 300, box.center().y());
    p.rotate(-90);
    p.drawText(QRect(-box.height() / 2, -50, box.height(), 50), Qt::AlignCenter,
               Q(std::string(strings.Text(ids::IDS_REPORT_DEVIATION))));
    p.restore();
}

void DrawHistogram(QPainter& p, const QRect& box, const std::vector<double>& deviations,
                   int ratedUm) {
    const Axis axis = DeviationAxis(deviations, ratedUm);
    std::vector<int> bins(kHistogramBins, 0);
    for (const double d : deviations) {
        int b = static_cast<int>((d - axis.lo) / (axis.hi - axis.lo) * kHistogramBins);
        b = std::clamp(b, 0, kHistogramBins - 1);
        ++bins[static_cast<std::size_t>(b)];
    }
    const int most = std::max(1, *std::max_element(bins.begin(), bins.end()));
    const auto xOf = [&](double um) {
        return box.left() + static_cast<int>((um - axis.lo) / (axis.hi - axis.lo) * box.width());
    };
    if (ratedUm > 0) {
        p.fillRect(QRect(QPoint(xOf(-ratedUm), box.top()), QPoint(xOf(ratedUm), box.bottom())),
                   kBandColour);
    }
    const double binWidth = box.width() / static_cast<double>(kHistogramBins);
    p.setPen(QPen(Qt::black, 1));
    p.setBrush(kPointColour);
    for (int b = 0; b < kHistogramBins; ++b) {
        const int h = bins[static_cast<std::size_t>(b)] * (box.height() - 40) / most;
        if (h > 0) {
            p.drawRect(QRect(box.left() + static_cast<int>(b * binWidth), box.bottom() - h,
                             static_cast<int>(binWidth), h));
        }
    }
    p.setBrush(Qt::NoBrush);
    QFont small = p.font();
    small.setPointSizeF(7);
    p.setFont(small);
    for (const double t : {axis.lo, 0.0, axis.hi}) {
        p.drawText(QRect(xOf(t) - 200, box.bottom() + 10, 400, 50), Qt::AlignHCenter | Qt::AlignTop,
                   Q(Format("%+.3f", t / 1000.0)));
    }
    p.drawText(QRect(box.left(), box.top(), box.width() - 10, 50), Qt::AlignRight | Qt::AlignTop,
               QString::number(most));
    p.setPen(QPen(Qt::black, 2));
    p.drawRect(box);
}

// A window-less application for a program that has none (tavro-cli), for the fonts.
std::unique_ptr<QGuiApplication> EnsureApplication() {
    if (QCoreApplication::instance() != nullptr) {
        return nullptr;
    }
    if (std::getenv("QT_QPA_PLATFORM") == nullptr) {
        ::setenv("QT_QPA_PLATFORM", "offscreen", 0);
    }
    static int argc = 1;
    static char name[] = "tavro-cli";
    static char* argv[] = {name, nullptr};
    return std::make_unique<QGuiApplication>(argc, argv);
}

void DrawPage(QPainter& p, QPdfWriter& writer, const RepeatReport& report,
              const StringTable& strings, std::size_t target, int pages) {
    const auto text = [&](int id) { return std::string(strings.Text(id)); };
    const int width = writer.width();
    const int height = writer.height();
    PageLayout page(p, strings, width);
    const RepeatTarget& t = report.targets[target];
    const RepeatStats& s = report.stats[target];

    page.Font(16, true);
    page.Text(text(ids::IDS_REPORT_TITLE));
    page.Font(11);
    page.Text(
        strings.Format(ids::IDS_REPORT_TARGET, t.step, static_cast<double>(t.targetUm) / 1000.0));
    page.Font(9);
    page.Text(strings.Format(ids::IDS_REPORT_RUN, report.cycles, report.settleMs, s.count));
    if (s.ratedUm > 0) {
        page.Text(strings.Format(ids::IDS_REPORT_RATED, s.ratedUm / 1000.0));
    }
    if (!t.absolute) {
        page.Text(text(ids::IDS_REPORT_RELATIVE));
    }
    if (report.end != RepeatEnd::kCompleted) {
        p.setPen(kFailColour);
        page.Text(strings.Format(ids::IDS_REPORT_INCOMPLETE, text(RepeatEndText(report.end))));
        p.setPen(Qt::black);
    }

    page.Heading(ids::IDS_REPORT_CONTROLLER);
    page.Pairs(report.controller, 1);
    page.Heading(ids::IDS_REPORT_STEP_DATA);
    page.Pairs(report.stepData[target]);

    std::vector<int> cycles;
    std::vector<double> deviations;
    for (const RepeatArrival& a : report.arrivals) {
        if (a.target == static_cast<int>(target)) {
            cycles.push_back(a.cycle);
            deviations.push_back(DeviationUm(report, a));
        }
    }
    int lastCycle = 1;
    for (const int c : cycles) {
        lastCycle = std::max(lastCycle, c);
    }

    page.Heading(ids::IDS_REPORT_SCATTER);
    const int plotLeft = page.Px(25);
    const QRect scatter(plotLeft, page.Y() + page.Px(2), width - plotLeft - page.Px(2),
                        page.Px(50));
    DrawScatter(p, scatter, cycles, deviations, lastCycle, s.ratedUm, strings);
    page.Skip(scatter.height() + page.Px(14));

    // The histogram on the left, the statistics and the verdict on the right.
    const int top = page.Y();
    page.Heading(ids::IDS_REPORT_HISTOGRAM);
    const QRect histogram(page.Px(2), page.Y() + page.Px(1), width / 2 - page.Px(8), page.Px(40));
    DrawHistogram(p, histogram, deviations, s.ratedUm);

    const std::vector<RepeatReport::Line> table = {
        {text(ids::IDS_REPEAT_COL_ARRIVALS), Format("%d", s.count)},
        {text(2243), Mm(s.mean)},
        {text(2244), Mm(s.stdDev)},
        {text(2245), Mm(s.min)},
        {text(2246), Mm(s.max)},
        {text(2247), Mm(s.range)},
        {text(2248), Mm(s.halfRange)},
        {text(2249), Format("%+.3f", s.largestDeviation / 1000.0)},
        {text(2250), s.ratedUm > 0 ? Mm(s.ratedUm) : text(ids::IDS_NO_VALUE)},
        {text(2252), Format("%.0f", s.moveMean)},
        {text(2253), Format("%.0f", s.moveP95)},
        {text(2254), Format("%.0f", s.moveMax)},
    };
    p.save();
    p.translate(width / 2, top);
    PageLayout right(p, strings, width / 2);
    right.Heading(ids::IDS_REPORT_STATISTICS);
    right.Pairs(table, 1);
    right.Skip(right.Px(3));
    right.Font(28, true);
    p.setPen(s.verdict == RepeatVerdict::kPass   ? kPassColour
             : s.verdict == RepeatVerdict::kFail ? kFailColour
                                                 : QColor(Qt::black));
    right.Text(text(VerdictText(s.verdict)));
    p.setPen(Qt::black);
    const int rightBottom = top + right.Y();
    p.restore();
    const int contentBottom = std::max(histogram.bottom() + page.Px(8), rightBottom);

    // The signature line sits at the foot of the page, below whatever the texts took.
    const int footer = std::max(height - page.Px(22), contentBottom + page.Px(10));
    page.Font(9);
    p.setPen(QPen(Qt::black, 2));
    const int signWidth = width * 3 / 5;
    p.drawText(QRect(0, footer - page.Px(7), signWidth, page.Px(6)),
               Qt::AlignLeft | Qt::AlignBottom, Q(text(ids::IDS_REPORT_SIGNATURE)));
    p.drawLine(0, footer + page.Px(4), signWidth - page.Px(5), footer + page.Px(4));
    p.drawText(QRect(signWidth, footer - page.Px(7), width - signWidth, page.Px(6)),
               Qt::AlignLeft | Qt::AlignBottom, Q(text(ids::IDS_REPORT_SIGN_DATE)));
    p.drawLine(signWidth, footer + page.Px(4), width, footer + page.Px(4));
    p.drawText(QRect(0, height - page.Px(6), width, page.Px(6)), Qt::AlignRight | Qt::AlignBottom,
               Q(strings.Format(ids::IDS_REPORT_PAGE, static_cast<int>(target) + 1, pages)));
}

}  // namespace

bool PdfReportPrinter::Print(const RepeatReport& report, const StringTable& strings,
                             const std::string& path, std::string& error) {
    const std::unique_ptr<QGuiApplication> app = EnsureApplication();
    if (report.targets.empty() || report.stats.size() != report.targets.size() ||
        report.stepData.size() != report.targets.size()) {
        error = path + ": nothing to report";
        return false;
    }
    // Written beside the report and renamed over it once complete.
    QSaveFile file(Q(path));
    if (!file.open(QIODevice::WriteOnly)) {
        error = path + ": " + file.errorString().toStdString();
        return false;
    }
    {
        QPdfWriter writer(&file);
        writer.setResolution(kDpi);
        writer.setPageLayout(QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Portrait,
                                         QMarginsF(15, 15, 15, 15), QPageLayout::Millimeter));
        writer.setTitle(Q(std::string(strings.Text(ids::IDS_REPORT_TITLE))));
        writer.setCreator(QStringLiteral("tavro"));
        QPainter painter;
        if (!painter.begin(&writer)) {
            error = path + ": the PDF could not be started";
            file.cancelWriting();
            return false;
        }
        QFont font(strings.language() == Language::kJapanese ? QStringLiteral("Noto Sans CJK JP")
                                                             : QStringLiteral("DejaVu Sans"));
        font.setStyleHint(QFont::SansSerif);
        painter.setFont(font);
        const int pages = static_cast<int>(report.targets.size());
        for (std::size_t i = 0; i < report.targets.size(); ++i) {
            if (i > 0) {
                writer.newPage();
            }
            DrawPage(painter, writer, report, strings, i, pages);
        }
        painter.end();
    }
    if (!file.commit()) {
        error = path + ": " + file.errorString().toStdString();
        return false;
    }
    return true;
}

}  // namespace tavro
