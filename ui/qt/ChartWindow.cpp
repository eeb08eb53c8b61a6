#include "ui/qt/ChartWindow.h"

#include <QCategoryAxis>
#include <QChart>
#include <QChartView>
#include <QComboBox>
#include <QGraphicsLineItem>
#include <QGraphicsSimpleTextItem>
#include <QHBoxLayout>
#include <QLabel>
#include <QLegendMarker>
#include <QLineSeries>
#include <QListWidget>
#include <QMouseEvent>
#include <QPushButton>
#include <QScatterSeries>
#include <QSplitter>
#include <QVBoxLayout>
#include <QValueAxis>
#include <QWheelEvent>
#include <algorithm>
#include <cmath>
#include <fstream>
#include <iterator>

#include "link/StringIds.h"
#include "ui/qt/QtOwnership.h"

namespace tavro::qt {

namespace {

constexpr std::array<std::int64_t, 3> kSpansMs = {10'000, 60'000, 600'000};
// A longer window moves fewer pixels a second, so it is redrawn less often: 8, 2 and 1 px a
// frame at about 800 px.
constexpr std::array<int, 3> kRedrawPeriodsMs = {ChartWindow::kRedrawMs, 2 * ChartWindow::kRedrawMs,
                                                 10 * ChartWindow::kRedrawMs};
constexpr std::array<int, 3> kSpanTexts = {ids::IDS_CHART_10S, ids::IDS_CHART_1MIN,
                                           ids::IDS_CHART_10MIN};
// More points than a screen is wide only cost time: longer spans keep each bucket's extremes.
constexpr std::size_t kMaxPoints = 1600;
constexpr double kLanePitch = 1.5;

struct ValueSeries {
    int title;
    SampleValue field;
    double divisor;
    const char* format;
    const char* unit;
    Qt::Alignment side;
    QColor colour;
    double minPad;  // the least room above and below the values
};

constexpr std::array<ValueSeries, 4> kValueSeries = {{
    {ids::IDS_CHART_POSITION, SampleValue::kPosition, 1000.0, "%.3f", "mm", Qt::AlignLeft,
     QColor(0x1f, 0x77, 0xb4), 0.5},
    {ids::IDS_CHART_TARGET, SampleValue::kTarget, 1000.0, "%.3f", "mm", Qt::AlignLeft,
     QColor(0x2c, 0xa0, 0x2c), 0.5},
    {ids::IDS_CHART_SPEED, SampleValue::kSpeed, 1.0, "%.0f", "mm/s", Qt::AlignRight,
     QColor(0xff, 0x7f, 0x0e), 1.0},
    {ids::IDS_CHART_FORCE, SampleValue::kForce, 10.0, "%.1f", "", Qt::AlignRight,
     QColor(0x94, 0x67, 0xbd), 0.5},
}};

double ValueOf(const MonitorSample& s, const ValueSeries& v) {
    return static_cast<double>(s.values[static_cast<std::size_t>(v.field)]) / v.divisor;
}

// 1, 2 or 5 times a power of ten, so that a width shows about eight ticks.
double TickStep(double width) {
    const double raw = width / 8.0;
    const double power = std::pow(10.0, std::floor(std::log10(raw)));
    for (const double m : {1.0, 2.0, 5.0}) {
        if (m * power >= raw) {
            return m * power;
        }
    }
    return 10.0 * power;
}

// The format's %s filled with the value.
std::string WithValue(std::string format, const std::string& value) {
    const std::size_t at = format.find("%s");
    if (at != std::string::npos) {
        format.replace(at, 2, value);
    }
    return format;
}

QString Arg(const std::string& format, const std::string& value) {
    return QString::fromStdString(WithValue(format, value));
}

}  // namespace

// A chart view that reports the mouse and zooms the time axis with the wheel.
class ChartView : public QChartView {
  public:
    explicit ChartView(QChart* chart) : QChartView(chart) { setMouseTracking(true); }
    std::function<void(QPointF)> onMove;
    std::function<void(QPointF, bool)> onWheel;

  protected:
    void mouseMoveEvent(QMouseEvent* e) override {
        if (onMove) {
            onMove(e->position());
        }
        QChartView::mouseMoveEvent(e);
    }
    void wheelEvent(QWheelEvent* e) override {
        if (onWheel && e->angleDelta().y() != 0) {
            onWheel(e->position(), e->angleDelta().y() > 0);
        }
        e->accept();
    }
};

QString ChartWindow::Q(int id) const {
    return QString::fromStdString(text_(id));
}

ChartWindow::ChartWindow(MonitorLog& log, Text text, ui::FileChooser& chooser,
                         ui::Prompter& prompter, QWidget* parent)
    : QWidget(parent, Qt::Window),
      log_(log),
      text_(std::move(text)),
      chooser_(chooser),
      prompter_(prompter) {
    setWindowTitle(Q(ids::IDS_CHART_TITLE));
    setObjectName(QStringLiteral("chartWindow"));

    values_ = MakeQtOwned<QChart>();  // owned by its view
    values_->legend()->setAlignment(Qt::AlignTop);
    values_->setMargins(QMargins(4, 4, 4, 0));
    timeAxis_ = MakeQtOwned<QValueAxis>(values_);
    timeAxis_->setTitleText(Q(ids::IDS_CHART_TIME));
    timeAxis_->setLabelFormat(QStringLiteral("%.1f"));
    // Ticks at whole steps of time that stay put while the window scrolls.
    timeAxis_->setTickType(QValueAxis::TicksDynamic);
    timeAxis_->setTickAnchor(0.0);
    values_->addAxis(timeAxis_, Qt::AlignBottom);
    for (std::size_t i = 0; i < kValueSeries.size(); ++i) {
        const ValueSeries& v = kValueSeries[i];
        series_[i] = MakeQtOwned<QLineSeries>(values_);
        series_[i]->setName(Q(v.title));
        series_[i]->setPen(QPen(v.colour, 1.5));
        values_->addSeries(series_[i]);
        axes_[i] = MakeQtOwned<QValueAxis>(values_);
        axes_[i]->setTitleText(Q(v.title));
        axes_[i]->setLabelsColor(v.colour);
        axes_[i]->setTitleBrush(v.colour);
        axes_[i]->setGridLineVisible(i == 0);
        values_->addAxis(axes_[i], v.side);
        series_[i]->attachAxis(timeAxis_);
        series_[i]->attachAxis(axes_[i]);
    }
    markAxis_ = MakeQtOwned<QValueAxis>(values_);
    markAxis_->setRange(0.0, 1.0);
    markAxis_->setVisible(false);
    values_->addAxis(markAxis_, Qt::AlignRight);
    const auto marks = [&](QScatterSeries*& s, int title, QScatterSeries::MarkerShape shape,
                           QColor colour, double size) {
        s = MakeQtOwned<QScatterSeries>(values_);
        s->setName(Q(title));
        s->setMarkerShape(shape);
        s->setMarkerSize(size);
        s->setColor(colour);
        s->setBorderColor(colour);
        values_->addSeries(s);
        s->attachAxis(timeAxis_);
        s->attachAxis(markAxis_);
    };
    marks(stepStarts_, ids::IDS_CHART_STEP_START, QScatterSeries::MarkerShapeTriangle,
          QColor(0x20, 0x20, 0x20), 9.0);
    marks(stepEnds_, ids::IDS_CHART_STEP_END, QScatterSeries::MarkerShapeRectangle,
          QColor(0x80, 0x80, 0x80), 7.0);
    marks(alarms_, ids::IDS_CHART_ALARM, QScatterSeries::MarkerShapeStar, QColor(0xd6, 0x27, 0x28),
          14.0);
    alarmLine_ = MakeQtOwned<QLineSeries>(values_);
    alarmLine_->setPen(QPen(QColor(0xd6, 0x27, 0x28), 2.0, Qt::DashLine));
    values_->addSeries(alarmLine_);
    alarmLine_->attachAxis(timeAxis_);
    alarmLine_->attachAxis(markAxis_);
    values_->legend()->markers(alarmLine_).first()->setVisible(false);

    lanes_ = MakeQtOwned<QChart>();
    lanes_->legend()->hide();
    lanes_->setMargins(QMargins(4, 0, 4, 4));
    laneTimeAxis_ = MakeQtOwned<QValueAxis>(lanes_);
    laneTimeAxis_->setLabelsVisible(false);
    laneTimeAxis_->setTickType(QValueAxis::TicksDynamic);
    laneTimeAxis_->setTickAnchor(0.0);
    lanes_->addAxis(laneTimeAxis_, Qt::AlignBottom);
    auto* laneAxis = MakeQtOwned<QCategoryAxis>(lanes_);
    laneAxis->setLabelsPosition(QCategoryAxis::AxisLabelsPositionOnValue);
    laneAxis->setGridLineVisible(false);
    laneAxis->setTruncateLabels(false);
    QFont laneFont = laneAxis->labelsFont();
    laneFont.setPointSizeF(laneFont.pointSizeF() * 0.85);
    laneAxis->setLabelsFont(laneFont);
    for (std::size_t i = 0; i < kStatusLanes.size(); ++i) {
        const double base = static_cast<double>(i) * kLanePitch;
        laneAxis->append(QString::fromLatin1(kStatusLanes[i].name), base + 0.5);
        auto* lane = MakeQtOwned<QLineSeries>(lanes_);
        lane->setPen(QPen(QColor(0x30, 0x60, 0x90), 1.2));
        lanes_->addSeries(lane);
        laneSeries_.push_back(lane);
    }
    laneAxis->setRange(-0.3, static_cast<double>(kStatusLanes.size()) * kLanePitch - 0.2);
    lanes_->addAxis(laneAxis, Qt::AlignLeft);
    for (QLineSeries* lane : laneSeries_) {
        lane->attachAxis(laneTimeAxis_);
        lane->attachAxis(laneAxis);
    }

    valuesView_ = MakeQtOwned<ChartView>(values_);
    lanesView_ = MakeQtOwned<ChartView>(lanes_);
    for (QChart* c : {values_, lanes_}) {
        c->setDropShadowEnabled(false);
        c->setBackgroundRoundness(0);
    }
    for (ChartView* v : {valuesView_, lanesView_}) {
        v->setCacheMode(QGraphicsView::CacheBackground);
    }
    valuesView_->setRubberBand(QChartView::HorizontalRubberBand);
    lanesView_->setRubberBand(QChartView::HorizontalRubberBand);
    valuesView_->setMinimumHeight(280);
    lanesView_->setMinimumHeight(260);

    // The lanes share the values' time axis: their plot area follows the values' across. The
    // margins move it, not a fixed plot area: Qt Charts lays the axes of a fixed area out late
    // or not at all, and they then stand apart from the series. Queued, so that each chart has
    // finished its layout when the other follows it.
    const auto align = [this] {
        const QRectF want = values_->plotArea();
        const QRectF have = lanes_->plotArea();
        if (want.width() <= 0 || have.width() <= 0) {
            return;
        }
        // Margins are whole pixels: a difference under one is left, or a half pixel would be
        // corrected back and forth for ever.
        const auto shift = [](double d) {
            return std::abs(d) < 1.0 ? 0 : static_cast<int>(std::lround(d));
        };
        QMargins m = lanes_->margins();
        const int left = m.left() + shift(want.left() - have.left());
        const int right = m.right() + shift(have.right() - want.right());
        if (left != m.left() || right != m.right()) {
            m.setLeft(std::max(0, left));
            m.setRight(std::max(0, right));
            lanes_->setMargins(m);
        }
    };
    connect(values_, &QChart::plotAreaChanged, this, align, Qt::QueuedConnection);
    connect(lanes_, &QChart::plotAreaChanged, this, align, Qt::QueuedConnection);
    cursor_ = MakeQtOwned<QGraphicsLineItem>();
    laneCursor_ = MakeQtOwned<QGraphicsLineItem>();
    readout_ = MakeQtOwned<QGraphicsSimpleTextItem>();
    for (QGraphicsLineItem* c : {cursor_, laneCursor_}) {
        c->setPen(QPen(QColor(0x60, 0x60, 0x60), 1.0, Qt::DotLine));
        c->setZValue(20);
        c->hide();
    }
    readout_->setZValue(21);
    values_->scene()->addItem(cursor_);
    lanes_->scene()->addItem(laneCursor_);
    values_->scene()->addItem(readout_);

    const auto moved = [this](QChart* chart, QPointF at) {
        MoveCursor(chart->mapToValue(at, chart == values_ ? series_[0] : laneSeries_[0]).x());
    };
    valuesView_->onMove = [this, moved](QPointF at) { moved(values_, at); };
    lanesView_->onMove = [this, moved](QPointF at) { moved(lanes_, at); };
    const auto wheel = [this](QChart* chart, QPointF at, bool in) {
        const double x = chart->mapToValue(at, chart == values_ ? series_[0] : laneSeries_[0]).x();
        const double from = timeAxis_->min();
        const double to = timeAxis_->max();
        const double f = in ? 0.8 : 1.25;
        zoomed_ = true;
        ApplyRange(x - (x - from) * f, x + (to - x) * f);
        showAll_->setEnabled(true);
    };
    valuesView_->onWheel = [this, wheel](QPointF at, bool in) { wheel(values_, at, in); };
    lanesView_->onWheel = [this, wheel](QPointF at, bool in) { wheel(lanes_, at, in); };
    connect(timeAxis_, &QValueAxis::rangeChanged, this, [this](qreal a, qreal b) {
        if (!applying_) {
            Zoomed();
            ApplyRange(a, b);
        }
    });
    connect(laneTimeAxis_, &QValueAxis::rangeChanged, this, [this](qreal a, qreal b) {
        if (!applying_) {
            Zoomed();
            ApplyRange(a, b);
        }
    });

    // Controls above the charts, the black box list beside them.
    span_ = MakeQtOwned<QComboBox>();
    for (const int id : kSpanTexts) {
        span_->addItem(Q(id));
    }
    pause_ = MakeQtOwned<QPushButton>(Q(ids::IDS_CHART_PAUSE));
    showAll_ = MakeQtOwned<QPushButton>(Q(ids::IDS_CHART_SHOW_ALL));
    showAll_->setEnabled(false);
    recordButton_ = MakeQtOwned<QPushButton>(Q(ids::IDS_CHART_RECORD));
    state_ = MakeQtOwned<QLabel>();
    auto* controls = MakeQtOwned<QHBoxLayout>();
    controls->addWidget(MakeQtOwned<QLabel>(Q(ids::IDS_CHART_WINDOW)));
    controls->addWidget(span_);
    controls->addWidget(pause_);
    controls->addWidget(showAll_);
    controls->addSpacing(12);
    controls->addWidget(recordButton_);
    controls->addWidget(state_, 1);

    auto* charts = MakeQtOwned<QWidget>();
    auto* chartLayout = MakeQtOwned<QVBoxLayout>(charts);
    chartLayout->setContentsMargins(0, 0, 0, 0);
    chartLayout->setSpacing(0);
    chartLayout->addWidget(valuesView_, 3);
    chartLayout->addWidget(lanesView_, 2);

    auto* side = MakeQtOwned<QWidget>();
    auto* sideLayout = MakeQtOwned<QVBoxLayout>(side);
    sideLayout->setContentsMargins(0, 0, 0, 0);
    sideLayout->addWidget(MakeQtOwned<QLabel>(Q(ids::IDS_CHART_BLACK_BOX)));
    records_ = MakeQtOwned<QListWidget>();
    sideLayout->addWidget(records_, 1);
    live_ = MakeQtOwned<QPushButton>(Q(ids::IDS_CHART_LIVE));
    live_->setEnabled(false);
    sideLayout->addWidget(live_);

    auto* split = MakeQtOwned<QSplitter>(Qt::Horizontal);
    split->addWidget(charts);
    split->addWidget(side);
    split->setStretchFactor(0, 4);
    split->setStretchFactor(1, 1);
    side->setMaximumWidth(300);

    auto* layout = MakeQtOwned<QVBoxLayout>(this);
    layout->addLayout(controls);
    layout->addWidget(split, 1);

    connect(span_, &QComboBox::currentIndexChanged, this, [this](int i) { SetSpan(i); });
    connect(pause_, &QPushButton::clicked, this, [this] { SetPaused(!paused_); });
    connect(showAll_, &QPushButton::clicked, this, [this] {
        zoomed_ = false;
        showAll_->setEnabled(false);
        drawn_ = 0;
        liveTo_.reset();
        if (record_) {
            OpenRecord(recordName_);
        }
        Tick();
    });
    connect(recordButton_, &QPushButton::clicked, this, [this] { ToggleRecording(); });
    connect(live_, &QPushButton::clicked, this, [this] { ShowLive(); });
    connect(records_, &QListWidget::itemActivated, this, [this](QListWidgetItem* item) {
        if (AlarmBlackBox* box = log_.BlackBox()) {
            OpenRecord(box->Folder() + "/" + item->text().toStdString());
        }
    });
    RefreshRecords();
    resize(1200, 760);

    timer_.setInterval(kRedrawMs);
    connect(&timer_, &QTimer::timeout, this, [this] { Tick(); });
    timer_.start();
    Tick();
}

ChartWindow::~ChartWindow() = default;

void ChartWindow::SetSpan(int index) {
    if (index < 0 || static_cast<std::size_t>(index) >= kSpansMs.size()) {
        return;
    }
    if (span_->currentIndex() != index) {
        span_->setCurrentIndex(index);
    }
    spanMs_ = kSpansMs[static_cast<std::size_t>(index)];
    timer_.setInterval(kRedrawPeriodsMs[static_cast<std::size_t>(index)]);
    zoomed_ = false;
    showAll_->setEnabled(false);
    drawn_ = 0;
    liveTo_.reset();
    Tick();
}

void ChartWindow::SetPaused(bool paused) {
    paused_ = paused;
    pause_->setText(Q(paused ? ids::IDS_CHART_RESUME : ids::IDS_CHART_PAUSE));
    if (!paused) {
        drawn_ = 0;
        liveTo_.reset();
        Tick();
    }
}

void ChartWindow::RefreshRecords() {
    records_->clear();
    if (AlarmBlackBox* box = log_.BlackBox()) {
        for (const std::string& name : AlarmBlackBox::List(box->Folder())) {
            records_->addItem(QString::fromStdString(name));
        }
    }
}

bool ChartWindow::OpenRecord(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::string text;
    if (in) {
        text.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }
    auto record = SampleCsv::Parse(text);
    if (!record) {
        prompter_.Warn(ids::IDS_CHART_NOT_A_RECORD,
                       WithValue(T(ids::IDS_CHART_NOT_A_RECORD), path));
        return false;
    }
    record_ = std::move(record);
    recordName_ = path;
    live_->setEnabled(true);
    const std::string name = path.substr(path.find_last_of('/') + 1);
    state_->setText(Arg(T(ids::IDS_CHART_BLACK_BOX_OF), name));
    const double last = record_->samples.empty()
                            ? 1.0
                            : static_cast<double>(record_->samples.back().timeMs) / 1000.0;
    std::optional<double> alarm;
    if (record_->alarmMs) {
        alarm = static_cast<double>(*record_->alarmMs) / 1000.0;
    }
    zoomed_ = false;
    Draw(record_->samples, 0.0, std::max(last, 1.0), alarm);
    return true;
}

void ChartWindow::ShowLive() {
    record_.reset();
    live_->setEnabled(false);
    state_->clear();
    zoomed_ = false;
    showAll_->setEnabled(false);
    drawn_ = 0;
    liveTo_.reset();
    Tick();
}

void ChartWindow::Tick() {
    CsvRecorder& rec = log_.Recorder();
    if (rec.Failed() && !reportedFailure_) {
        reportedFailure_ = true;
        recordButton_->setText(Q(ids::IDS_CHART_RECORD));
        if (!record_) {
            state_->clear();
        }
        prompter_.Warn(ids::IDS_CHART_WRITE_FAILED,
                       WithValue(T(ids::IDS_CHART_WRITE_FAILED), rec.PartPath()));
    }
    const SampleRing& ring = log_.Ring();
    if (record_ || paused_ || ring.Pushed() == drawn_ || ring.Size() == 0) {
        return;
    }
    drawn_ = ring.Pushed();
    if (originMs_ < 0) {
        originMs_ = ring.At(0).timeMs;
    }
    const double newest = static_cast<double>(ring.Newest().timeMs - originMs_) / 1000.0;
    const double span = static_cast<double>(spanMs_) / 1000.0;
    // The time axis moves by a fifth of the window once the newest sample reaches its right
    // end: between steps only the series change, and the axes are not laid out again.
    const double step = span / 5.0;
    if (!liveTo_ || newest > *liveTo_ || newest < *liveTo_ - span) {
        liveTo_ = (std::floor(newest / step) + 1.0) * step;
    }
    const double from = *liveTo_ - span;
    const auto fromMs = originMs_ + static_cast<std::int64_t>(std::floor(from * 1000.0));
    std::vector<MonitorSample> samples;
    samples.reserve(ring.Size() - ring.LowerBound(fromMs));
    for (std::size_t i = ring.LowerBound(fromMs); i < ring.Size(); ++i) {
        samples.push_back(ring.At(i));
    }
    Draw(samples, from, *liveTo_, std::nullopt);
}

void ChartWindow::Draw(const std::vector<MonitorSample>& samples, double fromS, double toS,
                       std::optional<double> alarmS) {
    ++redraws_;
    shown_ = samples;
    const std::int64_t origin = record_ ? 0 : originMs_;
    shownOriginS_ = static_cast<double>(origin) / 1000.0;
    const auto x = [&](const MonitorSample& s) {
        return static_cast<double>(s.timeMs - origin) / 1000.0;
    };
    const std::size_t n = samples.size();
    const std::size_t bucket = n > kMaxPoints ? (2 * n + kMaxPoints - 1) / kMaxPoints : 1;
    std::array<double, kValueSeries.size()> lows{};
    std::array<double, kValueSeries.size()> highs{};
    for (std::size_t k = 0; k < kValueSeries.size(); ++k) {
        const ValueSeries& v = kValueSeries[k];
        QList<QPointF> points;
        points.reserve(static_cast<qsizetype>(n / bucket * 2 + 2));
        double lo = 0.0;
        double hi = 0.0;
        bool any = false;
        for (std::size_t i = 0; i < n; i += bucket) {
            const std::size_t end = std::min(n, i + bucket);
            std::size_t minAt = i;
            std::size_t maxAt = i;
            for (std::size_t j = i; j < end; ++j) {
                if (ValueOf(samples[j], v) < ValueOf(samples[minAt], v)) {
                    minAt = j;
                }
                if (ValueOf(samples[j], v) > ValueOf(samples[maxAt], v)) {
                    maxAt = j;
                }
            }
            for (const std::size_t j : {std::min(minAt, maxAt), std::max(minAt, maxAt)}) {
                const double y = ValueOf(samples[j], v);
                points.append(QPointF(x(samples[j]), y));
                lo = any ? std::min(lo, y) : y;
                hi = any ? std::max(hi, y) : y;
                any = true;
                if (minAt == maxAt) {
                    break;
                }
            }
        }
        series_[k]->replace(points);
        lows[k] = lo;
        highs[k] = hi;
    }
    // The two positions share their scale, so that the one can be read against the other.
    lows[0] = lows[1] = std::min(lows[0], lows[1]);
    highs[0] = highs[1] = std::max(highs[0], highs[1]);
    for (std::size_t k = 0; k < kValueSeries.size(); ++k) {
        const double pad = std::max((highs[k] - lows[k]) * 0.08, kValueSeries[k].minPad);
        const double low = lows[k] >= 0.0 ? std::max(0.0, lows[k] - pad) : lows[k] - pad;
        const double high = highs[k] + pad;
        // An axis keeps its range while the values fit and fill a good part of it, so that
        // it is not laid out again for every sample.
        QValueAxis& axis = *axes_[k];
        const bool fits = axis.min() <= lows[k] && axis.max() >= highs[k];
        const bool filled = (axis.max() - axis.min()) <= 2.0 * (high - low);
        if (!fits || !filled) {
            axis.setRange(low, high);
            axis.applyNiceNumbers();
        }
    }
    // Lanes: only the changes, as steps.
    for (std::size_t l = 0; l < kStatusLanes.size(); ++l) {
        const double base = static_cast<double>(l) * kLanePitch;
        const std::uint16_t bit = kStatusLanes[l].bit;
        QList<QPointF> points;
        bool was = false;
        for (std::size_t i = 0; i < n; ++i) {
            const bool on = (samples[i].status & bit) != 0;
            if (i == 0) {
                points.append(QPointF(x(samples[i]), base + (on ? 1.0 : 0.0)));
            } else if (on != was) {
                points.append(QPointF(x(samples[i]), base + (was ? 1.0 : 0.0)));
                points.append(QPointF(x(samples[i]), base + (on ? 1.0 : 0.0)));
            }
            was = on;
        }
        if (n > 0) {
            points.append(QPointF(x(samples[n - 1]), base + (was ? 1.0 : 0.0)));
        }
        // Most of the time only the lane's end has moved on.
        QLineSeries& lane = *laneSeries_[l];
        const int count = lane.count();
        bool sameButLast = count == points.size() && count > 1;
        for (int i = 0; sameButLast && i + 1 < count; ++i) {
            sameButLast = lane.at(i) == points[i];
        }
        if (sameButLast) {
            lane.replace(count - 1, points.back());
        } else {
            lane.replace(points);
        }
    }
    QList<QPointF> starts;
    QList<QPointF> ends;
    QList<QPointF> alarms;
    for (const MonitorSample& s : samples) {
        if (Has(s.marks, SampleMark::kStepStart)) {
            starts.append(QPointF(x(s), 0.96));
        }
        if (Has(s.marks, SampleMark::kStepEnd)) {
            ends.append(QPointF(x(s), 0.92));
        }
        if (Has(s.marks, SampleMark::kAlarm)) {
            alarms.append(QPointF(x(s), 0.96));
            if (!alarmS) {
                alarmS = x(s);
            }
        }
    }
    stepStarts_->replace(starts);
    stepEnds_->replace(ends);
    alarms_->replace(alarms);
    QList<QPointF> line;
    if (alarmS) {
        line = {QPointF(*alarmS, 0.0), QPointF(*alarmS, 1.0)};
    }
    alarmLine_->replace(line);
    if (!zoomed_) {
        ApplyRange(fromS, toS);
    }
}

void ChartWindow::ApplyRange(double fromS, double toS) {
    if (!(toS > fromS)) {
        toS = fromS + 0.1;
    }
    // Setting an axis, even to what it holds, lays the chart out again: only changes go in.
    if (timeAxis_->min() == fromS && timeAxis_->max() == toS && laneTimeAxis_->min() == fromS &&
        laneTimeAxis_->max() == toS) {
        return;
    }
    applying_ = true;
    const double step = TickStep(toS - fromS);
    const QString format = step < 1.0 ? QStringLiteral("%.1f") : QStringLiteral("%.0f");
    for (QValueAxis* axis : {timeAxis_, laneTimeAxis_}) {
        if (axis->tickInterval() != step) {
            axis->setTickInterval(step);
        }
        if (axis->labelFormat() != format) {
            axis->setLabelFormat(format);
        }
        axis->setRange(fromS, toS);
    }
    applying_ = false;
}

void ChartWindow::Zoomed() {
    zoomed_ = true;
    showAll_->setEnabled(true);
}

void ChartWindow::MoveCursor(double seconds) {
    if (shown_.empty()) {
        return;
    }
    const std::int64_t origin = record_ ? 0 : originMs_;
    const auto at = std::lower_bound(shown_.begin(), shown_.end(), seconds,
                                     [&](const MonitorSample& s, double t) {
                                         return static_cast<double>(s.timeMs - origin) / 1000.0 < t;
                                     });
    const MonitorSample& s = at == shown_.end() ? shown_.back() : *at;
    const double t = static_cast<double>(s.timeMs - origin) / 1000.0;
    const QRectF plot = values_->plotArea();
    const double px = values_->mapToPosition(QPointF(t, 0.0), series_[0]).x();
    if (px < plot.left() || px > plot.right()) {
        cursor_->hide();
        laneCursor_->hide();
        readout_->hide();
        return;
    }
    cursor_->setLine(px, plot.top(), px, plot.bottom());
    const QRectF lanePlot = lanes_->plotArea();
    const double lx = lanes_->mapToPosition(QPointF(t, 0.0), laneSeries_[0]).x();
    laneCursor_->setLine(lx, lanePlot.top(), lx, lanePlot.bottom());
    std::string text;
    char buf[96];
    std::snprintf(buf, sizeof buf, "%.1f s", t);
    text += buf;
    for (const ValueSeries& v : kValueSeries) {
        std::snprintf(buf, sizeof buf, v.format, ValueOf(s, v));
        text += "   " + T(v.title) + " " + buf;
    }
    std::string bits;
    for (const StatusLane& lane : kStatusLanes) {
        if ((s.status & lane.bit) != 0) {
            bits += std::string(bits.empty() ? "" : " ") + lane.name;
        }
    }
    text += "\n" + bits;
    readout_->setText(QString::fromStdString(text));
    readout_->setPos(plot.left() + 6, plot.top() + 4);
    cursor_->show();
    laneCursor_->show();
    readout_->show();
}

void ChartWindow::ToggleRecording() {
    CsvRecorder& rec = log_.Recorder();
    if (rec.Recording()) {
        const bool ok = rec.Stop();
        recordButton_->setText(Q(ids::IDS_CHART_RECORD));
        if (!record_) {
            state_->clear();
        }
        if (!ok) {
            reportedFailure_ = true;
            prompter_.Warn(ids::IDS_CHART_WRITE_FAILED,
                           WithValue(T(ids::IDS_CHART_WRITE_FAILED), rec.PartPath()));
        }
        return;
    }
    ui::FileRequest request;
    request.filter = T(ids::IDS_CHART_CSV_FILTER);
    request.defaultExtension = "csv";
    const auto path = chooser_.ChooseSave(request);
    if (!path) {
        return;
    }
    reportedFailure_ = false;
    if (!rec.Start(*path)) {
        reportedFailure_ = true;
        prompter_.Warn(ids::IDS_CHART_WRITE_FAILED,
                       WithValue(T(ids::IDS_CHART_WRITE_FAILED), rec.PartPath()));
        return;
    }
    recordButton_->setText(Q(ids::IDS_CHART_STOP));
    if (!record_) {
        state_->setText(Arg(T(ids::IDS_CHART_RECORDING), *path));
    }
}

}  // namespace tavro::qt
