#pragma once

#include <QAbstractTableModel>
#include <QWidget>
#include <functional>
#include <memory>

#include "commlog/CommLogModel.h"
#include "link/LineLog.h"
#include "link/PortList.h"
#include "ui/FileChooser.h"
#include "ui/Prompter.h"
#include "ui/StringTable.h"

class QComboBox;
class QLabel;
class QPushButton;
class QTableView;
class QTimer;

namespace tavro::qt {

// The rows of the communication log model as a Qt table model.
class CommLogTable : public QAbstractTableModel {
    Q_OBJECT
  public:
    explicit CommLogTable(commlog::CommLogModel& model, QObject* parent = nullptr);

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

    // Tells the views what the model's last change was.
    void Apply(const commlog::CommLogModel::Change& change, std::size_t rowsBefore);

  private:
    commlog::CommLogModel& model_;
};

// What the window needs of the link, read whenever the summary is drawn.
struct CommLogLink {
    std::function<int()> baud;
    std::function<const PortInfo*()> port;  // nullptr when no port is open
};

// The communication log window: a live table of the line log with filters by command and by
// problem, pause, copy, save as text or CSV, and the summary line with its hints. It reads the
// log on its own timer, so the link never waits for it.
class CommLogWindow : public QWidget {
    Q_OBJECT
  public:
    static constexpr int kRefreshMs = 250;

    CommLogWindow(LineLog& log, const StringTable& strings, ui::FileChooser& chooser,
                  ui::Prompter& prompter, CommLogLink link, QWidget* parent = nullptr);
    ~CommLogWindow() override;

    // Takes in new entries now (the timer does it while the window is shown).
    void Refresh();
    // As if chosen in the problem filter.
    void ShowProblems(LineProblem problem);
    commlog::CommLogModel& Model() { return *model_; }

  private:
    void FillCodes();
    void ApplyChange(const commlog::CommLogModel::Change& change, std::size_t rowsBefore);
    void Copy();
    void Save(commlog::CommLogModel::FileFormat format);
    void Clear();
    QString Text(int id) const;

    LineLog& log_;
    const StringTable& strings_;
    ui::FileChooser& chooser_;
    ui::Prompter& prompter_;
    CommLogLink link_;
    std::unique_ptr<commlog::CommLogModel> model_;
    CommLogTable* table_ = nullptr;
    QTableView* view_ = nullptr;
    QComboBox* codes_ = nullptr;
    QComboBox* problems_ = nullptr;
    QPushButton* pause_ = nullptr;
    QLabel* summary_ = nullptr;
    QTimer* timer_ = nullptr;
    bool follow_ = true;  // keeps the newest row in view while the user has not scrolled up
};

}  // namespace tavro::qt
