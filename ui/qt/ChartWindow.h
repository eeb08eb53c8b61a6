#pragma once

#include <QPointer>
#include <QTimer>
#include <QWidget>
#include <array>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "monitor/MonitorLog.h"
#include "monitor/SampleCsv.h"
#include "ui/FileChooser.h"
#include "ui/Prompter.h"

class QChart;
class QChartView;
class QComboBox;
class QLabel;
class QLineSeries;
class QListWidget;
class QPushButton;
class QScatterSeries;
class QValueAxis;
class QGraphicsLineItem;
class QGraphicsSimpleTextItem;

namespace tavro::qt {

class ChartView;

// The live chart of the monitor samples: four values over time, each on its own axis, the
// status bits as lanes below, step and alarm marks, a cursor, zoom, recording and the alarm
// black box records. Reads the log's ring at most ten times a second.
class ChartWindow : public QWidget {
    Q_OBJECT

  public:
    using Text = std::function<std::string(int id)>;
    // At most ten redraws a second (the 10 s window); longer windows fewer.
    static constexpr int kRedrawMs = 100;

    ChartWindow(MonitorLog& log, Text text, ui::FileChooser& chooser, ui::Prompter& prompter,
                QWidget* parent = nullptr);
    ~ChartWindow() override;

    // 0: 10 s, 1: 1 min, 2: 10 min.
    void SetSpan(int index);
    void SetPaused(bool paused);
    // Shows a saved record; false when the file is no record.
    bool OpenRecord(const std::string& path);
    void ShowLive();
    void RefreshRecords();
    int Redraws() const { return redraws_; }

  private:
    void Tick();
    void Draw(const std::vector<MonitorSample>& samples, double fromS, double toS,
              std::optional<double> alarmS);
    void ApplyRange(double fromS, double toS);
    void MoveCursor(double seconds);
    void Zoomed();
    void ToggleRecording();
    std::string T(int id) const { return text_(id); }
    QString Q(int id) const;

    MonitorLog& log_;
    Text text_;
    ui::FileChooser& chooser_;
    ui::Prompter& prompter_;
    QTimer timer_;
    std::uint64_t drawn_ = 0;  // samples pushed when last drawn
    int redraws_ = 0;
    bool paused_ = false;
    bool zoomed_ = false;
    bool applying_ = false;  // ranges are being set by the window itself
    std::int64_t originMs_ = -1;
    std::int64_t spanMs_ = 10'000;
    std::optional<double> liveTo_;  // the live time axis's right end
    std::optional<MonitorRecord> record_;
    std::string recordName_;
    bool reportedFailure_ = false;
    std::vector<MonitorSample> shown_;
    double shownOriginS_ = 0;

    QChart* values_ = nullptr;
    QChart* lanes_ = nullptr;
    ChartView* valuesView_ = nullptr;
    ChartView* lanesView_ = nullptr;
    std::array<QLineSeries*, 4> series_{};
    std::array<QValueAxis*, 4> axes_{};
    std::vector<QLineSeries*> laneSeries_;
    QScatterSeries* stepStarts_ = nullptr;
    QScatterSeries* stepEnds_ = nullptr;
    QScatterSeries* alarms_ = nullptr;
    QLineSeries* alarmLine_ = nullptr;
    QValueAxis* timeAxis_ = nullptr;
    QValueAxis* laneTimeAxis_ = nullptr;
    QValueAxis* markAxis_ = nullptr;
    QGraphicsLineItem* cursor_ = nullptr;
    QGraphicsLineItem* laneCursor_ = nullptr;
    QGraphicsSimpleTextItem* readout_ = nullptr;
    QComboBox* span_ = nullptr;
    QPushButton* pause_ = nullptr;
    QPushButton* showAll_ = nullptr;
    QPushButton* recordButton_ = nullptr;
    QPushButton* live_ = nullptr;
    QLabel* state_ = nullptr;
    QListWidget* records_ = nullptr;
};

}  // namespace tavro::qt
