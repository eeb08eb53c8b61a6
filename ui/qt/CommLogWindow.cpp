#include "ui/qt/CommLogWindow.h"

#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QLabel>
#include <QPushButton>
#include <QScrollBar>
#include <QTableView>
#include <QTimer>
#include <QVBoxLayout>
#include <algorithm>

#include "link/StringIds.h"

namespace tavro::qt {

namespace {

constexpr LineProblem kProblems[] = {
    LineProblem::kAll, LineProblem::kAnyProblem, LineProblem::kResends, LineProblem::kTimeouts,
    LineProblem::kNg,  LineProblem::kSpoilt,     LineProblem::kDropped,
};

QString FromUtf8(const std::string& text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

}  // namespace

CommLogTable::CommLogTable(commlog::CommLogModel& model, QObject* parent)
    : QAbstractTableModel(parent), model_(model) {}

int CommLogTable::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(model_.RowCount());
}

int CommLogTable::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : commlog::CommLogModel::kColumnCount;
}

QVariant CommLogTable::data(const QModelIndex& index, int role) const {
    if (!index.isValid()) {
        return {};
    }
    const auto row = static_cast<std::size_t>(index.row());
    if (role == Qt::DisplayRole) {
        return FromUtf8(model_.Cell(row, index.column()));
    }
    if (role == Qt::ForegroundRole) {
        const LineEntry* e = model_.Entry(row);
        if (e != nullptr && e->Is(LineProblem::kAnyProblem)) {
            return QColor(Qt::darkRed);
        }
    }
    if (role == Qt::TextAlignmentRole && (index.column() == commlog::CommLogModel::kTime ||
                                          index.column() == commlog::CommLogModel::kLatency)) {
        return QVariant(Qt::AlignRight | Qt::AlignVCenter);
    }
    return {};
}

QVariant CommLogTable::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation == Qt::Horizontal && role == Qt::DisplayRole) {
        return FromUtf8(model_.Header(section));
    }
    return {};
}

void CommLogTable::Apply(const commlog::CommLogModel::Change& change, std::size_t rowsBefore) {
    if (change.reset) {
        beginResetModel();
        endResetModel();
        return;
    }
    // The model has already changed; the views are told in the same order.
    if (change.removed > 0) {
        beginRemoveRows({}, 0, static_cast<int>(change.removed) - 1);
        endRemoveRows();
    }
    if (change.added > 0) {
        const int first = static_cast<int>(rowsBefore - change.removed);
        beginInsertRows({}, first, first + static_cast<int>(change.added) - 1);
        endInsertRows();
    }
}

CommLogWindow::CommLogWindow(LineLog& log, const StringTable& strings, ui::FileChooser& chooser,
                             ui::Prompter& prompter, CommLogLink link, QWidget* parent)
    : QWidget(parent, Qt::Window),
      log_(log),
      strings_(strings),
      chooser_(chooser),
      prompter_(prompter),
      link_(std::move(link)),
      model_(std::make_unique<commlog::CommLogModel>(log, strings)) {
    setObjectName(QStringLiteral("commLogWindow"));
    setWindowTitle(Text(ids::IDS_COMMLOG_TITLE));

    auto* layout = new QVBoxLayout(this);
    auto* bar = new QHBoxLayout;
    bar->addWidget(new QLabel(Text(ids::IDS_COMMLOG_COMMAND_FILTER), this));
    codes_ = new QComboBox(this);
    codes_->setObjectName(QStringLiteral("commLogCodes"));
    codes_->setSizeAdjustPolicy(QComboBox::AdjustToContents);
    bar->addWidget(codes_);
    bar->addWidget(new QLabel(Text(ids::IDS_COMMLOG_PROBLEM_FILTER), this));
    problems_ = new QComboBox(this);
    problems_->setObjectName(QStringLiteral("commLogProblems"));
    for (std::size_t i = 0; i < std::size(kProblems); ++i) {
        problems_->addItem(Text(ids::IDS_COMMLOG_PROBLEM_FIRST + static_cast<int>(i)));
    }
    bar->addWidget(problems_);
    bar->addStretch();
    pause_ = new QPushButton(Text(ids::IDS_COMMLOG_PAUSE), this);
    pause_->setObjectName(QStringLiteral("commLogPause"));
    pause_->setCheckable(true);
    auto* copy = new QPushButton(Text(ids::IDS_COMMLOG_COPY), this);
    copy->setObjectName(QStringLiteral("commLogCopy"));
    auto* saveText = new QPushButton(Text(ids::IDS_COMMLOG_SAVE_TEXT), this);
    saveText->setObjectName(QStringLiteral("commLogSaveText"));
    auto* saveCsv = new QPushButton(Text(ids::IDS_COMMLOG_SAVE_CSV), this);
    saveCsv->setObjectName(QStringLiteral("commLogSaveCsv"));
    auto* clear = new QPushButton(Text(ids::IDS_COMMLOG_CLEAR), this);
    clear->setObjectName(QStringLiteral("commLogClear"));
    for (QPushButton* b : {pause_, copy, saveText, saveCsv, clear}) {
        bar->addWidget(b);
    }
    layout->addLayout(bar);

    table_ = new CommLogTable(*model_, this);
    view_ = new QTableView(this);
    view_->setObjectName(QStringLiteral("commLogTable"));
    view_->setModel(table_);
    view_->setSelectionBehavior(QAbstractItemView::SelectRows);
    view_->setSelectionMode(QAbstractItemView::ExtendedSelection);
    view_->verticalHeader()->setVisible(false);
    view_->verticalHeader()->setDefaultSectionSize(view_->fontMetrics().height() + 4);
    view_->horizontalHeader()->setStretchLastSection(false);
    view_->horizontalHeader()->setSectionResizeMode(commlog::CommLogModel::kData,
                                                    QHeaderView::Stretch);
    view_->setWordWrap(false);
    // Fixed widths: fitting the columns to their contents would read every row of the ring.
    const int digit = view_->fontMetrics().horizontalAdvance(QLatin1Char('0'));
    view_->setColumnWidth(commlog::CommLogModel::kTime, digit * 12);
    view_->setColumnWidth(commlog::CommLogModel::kDirection, digit * 5);
    view_->setColumnWidth(commlog::CommLogModel::kId, digit * 4);
    view_->setColumnWidth(commlog::CommLogModel::kCommand, digit * 13);
    view_->setColumnWidth(commlog::CommLogModel::kStatus, digit * 30);
    view_->setColumnWidth(commlog::CommLogModel::kLatency, digit * 16);
    layout->addWidget(view_, 1);

    summary_ = new QLabel(this);
    summary_->setObjectName(QStringLiteral("commLogSummary"));
    summary_->setWordWrap(true);
    summary_->setTextInteractionFlags(Qt::TextSelectableByMouse);
    layout->addWidget(summary_);

    connect(codes_, &QComboBox::activated, this, [this](int index) {
        const std::size_t before = model_->RowCount();
        ApplyChange(model_->SetCodeFilter(index <= 0 ? std::string()
                                                     : codes_->itemText(index).toStdString()),
                    before);
    });
    connect(problems_, &QComboBox::activated, this, [this](int index) {
        const auto i = static_cast<std::size_t>(
            std::clamp(index, 0, static_cast<int>(std::size(kProblems)) - 1));
        ShowProblems(kProblems[i]);
    });
    connect(pause_, &QPushButton::toggled, this, [this](bool on) {
        model_->SetPaused(on);
        if (!on) {
            Refresh();
        }
    });
    connect(copy, &QPushButton::clicked, this, [this] { Copy(); });
    connect(saveText, &QPushButton::clicked, this,
            [this] { Save(commlog::CommLogModel::FileFormat::kText); });
    connect(saveCsv, &QPushButton::clicked, this,
            [this] { Save(commlog::CommLogModel::FileFormat::kCsv); });
    connect(clear, &QPushButton::clicked, this, [this] { Clear(); });
    connect(view_->verticalScrollBar(), &QScrollBar::valueChanged, this,
            [this](int value) { follow_ = value >= view_->verticalScrollBar()->maximum(); });

    timer_ = new QTimer(this);
    connect(timer_, &QTimer::timeout, this, [this] {
        if (isVisible()) {
            Refresh();
        }
    });
    timer_->start(kRefreshMs);
    FillCodes();
    Refresh();
    resize(980, 520);
}

CommLogWindow::~CommLogWindow() = default;

QString CommLogWindow::Text(int id) const {
    return FromUtf8(std::string(strings_.Text(id)));
}

void CommLogWindow::FillCodes() {
    const auto& codes = model_->Codes();
    if (codes_->count() == static_cast<int>(codes.size()) + 1) {
        return;
    }
    if (codes_->count() == 0) {
        codes_->addItem(Text(ids::IDS_COMMLOG_ALL_COMMANDS));
    }
    for (std::size_t i = static_cast<std::size_t>(codes_->count() - 1); i < codes.size(); ++i) {
        codes_->addItem(FromUtf8(codes[i]));
    }
}

void CommLogWindow::ApplyChange(const commlog::CommLogModel::Change& change,
                                std::size_t rowsBefore) {
    table_->Apply(change, rowsBefore);
    FillCodes();
    if (follow_ && change.added > 0) {
        view_->scrollToBottom();
    }
    const PortInfo* port = link_.port ? link_.port() : nullptr;
    const int baud = link_.baud ? link_.baud() : 0;
    summary_->setText(FromUtf8(commlog::SummaryText(log_.Summary(baud), strings_, port)));
}

void CommLogWindow::Refresh() {
    const std::size_t before = model_->RowCount();
    ApplyChange(model_->Refresh(), before);
}

void CommLogWindow::ShowProblems(LineProblem problem) {
    const auto* at = std::find(std::begin(kProblems), std::end(kProblems), problem);
    problems_->setCurrentIndex(static_cast<int>(at - std::begin(kProblems)));
    const std::size_t before = model_->RowCount();
    ApplyChange(model_->SetProblemFilter(problem), before);
}

void CommLogWindow::Copy() {
    std::vector<std::size_t> rows;
    for (const QModelIndex& index : view_->selectionModel()->selectedRows()) {
        rows.push_back(static_cast<std::size_t>(index.row()));
    }
    std::sort(rows.begin(), rows.end());
    QApplication::clipboard()->setText(FromUtf8(model_->CopyText(rows)));
}

void CommLogWindow::Save(commlog::CommLogModel::FileFormat format) {
    model_->Save(format, chooser_, prompter_);
}

void CommLogWindow::Clear() {
    log_.Clear();
    Refresh();
}

}  // namespace tavro::qt
