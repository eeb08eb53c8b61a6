#include "ui/qt/ReportList.h"

#include <algorithm>

#include <QHeaderView>
#include <QPainter>
#include <QScrollBar>
#include <QStyledItemDelegate>

#include "ui/qt/QtOwnership.h"
#include "ui/qt/QtPalette.h"

namespace tavro::qt {

namespace {

// Draws cells that carry their own colours in exactly those colours.
class CellColourDelegate : public QStyledItemDelegate {
  public:
    using QStyledItemDelegate::QStyledItemDelegate;

    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override {
        const QVariant value = index.data(ReportList::kColoursRole);
        if (!value.isValid()) {
            QStyledItemDelegate::paint(painter, option, index);
            return;
        }
        const QPoint packed = value.toPoint();
        QStyleOptionViewItem opt(option);
        initStyleOption(&opt, index);
        opt.state &= ~(QStyle::State_Selected | QStyle::State_HasFocus);
        const QPalette& system = option.widget != nullptr ? option.widget->palette() : opt.palette;
        const QColor background = PaletteColour(packed.x(), system);
        const QColor text = PaletteColour(packed.y(), system);
        opt.backgroundBrush = background;
        for (const auto group : {QPalette::Active, QPalette::Inactive, QPalette::Disabled}) {
            opt.palette.setColor(group, QPalette::Text, text);
            opt.palette.setColor(group, QPalette::HighlightedText, text);
        }
        painter->fillRect(opt.rect, background);
        const QWidget* widget = opt.widget;
        QStyle* style = widget != nullptr ? widget->style() : nullptr;
        if (style != nullptr) {
            style->drawControl(QStyle::CE_ItemViewItem, &opt, painter, widget);
        }
    }
};

Qt::Alignment ToQt(ui::Align align) {
    switch (align) {
        case ui::Align::kRight:
            return Qt::AlignRight | Qt::AlignVCenter;
        case ui::Align::kCentre:
            return Qt::AlignHCenter | Qt::AlignVCenter;
        case ui::Align::kLeft:
            break;
    }
    return Qt::AlignLeft | Qt::AlignVCenter;
}

}  // namespace

ReportList::ReportList(QWidget* parent) : QTableWidget(parent) {
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setShowGrid(true);
    setWordWrap(false);
    setTabKeyNavigation(false);
    setCornerButtonEnabled(false);
    setItemDelegate(MakeQtOwned<CellColourDelegate>(this));
    QHeaderView* header = horizontalHeader();
    header->setSectionsClickable(false);
    header->setSectionsMovable(false);
    header->setHighlightSections(false);
    header->setSectionResizeMode(QHeaderView::Fixed);
    header->setStretchLastSection(false);
    verticalHeader()->setVisible(false);
    verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 6);
}

void ReportList::focusInEvent(QFocusEvent* event) {
    // The toolkit makes the first row current on focus, so the first arrow key would skip
    // it; without a selection the first arrow key selects the first row.
    const bool hadCurrent = currentIndex().isValid();
    QTableWidget::focusInEvent(event);
    if (!hadCurrent && selectionModel() != nullptr && !selectionModel()->hasSelection()) {
        selectionModel()->setCurrentIndex(QModelIndex(), QItemSelectionModel::NoUpdate);
    }
}

void ReportList::ClearColumns() {
    setColumnCount(0);
    alignments_.clear();
    updateGeometry();
}

int ReportList::FittingWidth() const {
    int width = 2 * frameWidth();
    for (int column = 0; column < columnCount(); ++column) {
        width += columnWidth(column);
    }
    if (verticalScrollBarPolicy() != Qt::ScrollBarAlwaysOff) {
        width += verticalScrollBar()->sizeHint().width();
    }
    return width;
}

QSize ReportList::sizeHint() const {
    QSize size = QTableWidget::sizeHint();
    if (columnCount() > 0) {
        size.setWidth(FittingWidth());
    }
    return size;
}

QSize ReportList::minimumSizeHint() const {
    QSize size = QTableWidget::minimumSizeHint();
    if (columnCount() > 0) {
        size.setWidth(std::max(size.width(), FittingWidth()));
    }
    return size;
}

int ReportList::AddColumn(int width, const QString& heading, ui::Align align) {
    const int column = columnCount();
    setColumnCount(column + 1);
    alignments_.push_back(ToQt(align));
    auto* headerItem = MakeQtOwned<QTableWidgetItem>(heading);
    headerItem->setTextAlignment(alignments_.back());
    setHorizontalHeaderItem(column, headerItem);
    // The fixed header cannot be widened by the user, so a heading longer in one language
    // than the table's width widens its column instead of being cut off.
    setColumnWidth(column, std::max(width, horizontalHeader()->sectionSizeHint(column)));
    for (int row = 0; row < rowCount(); ++row) {
        auto* item = MakeQtOwned<QTableWidgetItem>();
        PrepareItem(*item, column);
        setItem(row, column, item);
    }
    updateGeometry();
    return column;
}

void ReportList::PrepareItem(QTableWidgetItem& item, int column) const {
    Qt::ItemFlags flags = Qt::ItemIsEnabled | Qt::ItemIsSelectable;
    if (column == 0 && checkBoxes_) {
        flags |= Qt::ItemIsUserCheckable;
        if (!item.data(Qt::CheckStateRole).isValid()) {
            item.setCheckState(Qt::Unchecked);
        }
    }
    item.setFlags(flags);
    if (column >= 0 && static_cast<std::size_t>(column) < alignments_.size()) {
        item.setTextAlignment(alignments_[static_cast<std::size_t>(column)]);
    }
}

void ReportList::SetCheckBoxes(bool on) {
    checkBoxes_ = on;
    for (int row = 0; row < rowCount(); ++row) {
        if (QTableWidgetItem* first = item(row, 0)) {
            if (!on) {
                first->setData(Qt::CheckStateRole, QVariant());
            }
            PrepareItem(*first, 0);
        }
    }
}

int ReportList::InsertRow(int row) {
    if (row < 0 || row > rowCount()) {
        row = rowCount();
    }
    insertRow(row);
    for (int column = 0; column < columnCount(); ++column) {
        auto* item = MakeQtOwned<QTableWidgetItem>();
        PrepareItem(*item, column);
        setItem(row, column, item);
    }
    return row;
}

void ReportList::SetCell(int row, int column, const QString& text) {
    if (QTableWidgetItem* it = item(row, column)) {
        it->setText(text);
    }
}

QString ReportList::Cell(int row, int column) const {
    const QTableWidgetItem* it = item(row, column);
    return it != nullptr ? it->text() : QString();
}

void ReportList::SetCellColours(int row, int column, ui::Colours colours) {
    if (QTableWidgetItem* it = item(row, column)) {
        it->setData(kColoursRole, colours.IsDefault()
                                      ? QVariant()
                                      : QVariant(QPoint(colours.background, colours.text)));
    }
}

ui::Colours ReportList::CellColours(int row, int column) const {
    const QTableWidgetItem* it = item(row, column);
    if (it == nullptr || !it->data(kColoursRole).isValid()) {
        return {};
    }
    const QPoint packed = it->data(kColoursRole).toPoint();
    return {packed.x(), packed.y()};
}

void ReportList::SetRowChecked(int row, bool checked) {
    if (QTableWidgetItem* it = item(row, 0); it != nullptr && checkBoxes_) {
        it->setCheckState(checked ? Qt::Checked : Qt::Unchecked);
    }
}

bool ReportList::RowChecked(int row) const {
    const QTableWidgetItem* it = item(row, 0);
    return it != nullptr && checkBoxes_ && it->checkState() == Qt::Checked;
}

int ReportList::SelectedRow() const {
    const QModelIndexList rows =
        selectionModel() != nullptr ? selectionModel()->selectedRows() : QModelIndexList();
    return rows.isEmpty() ? -1 : rows.front().row();
}

void ReportList::SelectRow(int row) {
    if (row < 0 || row >= rowCount()) {
        clearSelection();
        setCurrentIndex(QModelIndex());
        return;
    }
    setCurrentCell(row, 0, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
}

}  // namespace tavro::qt
