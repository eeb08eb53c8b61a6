#pragma once

#include <QString>
#include <QTableWidget>
#include <vector>

#include "ui/FormTypes.h"

namespace tavro::qt {

// A report-style list: whole-row single selection, grid lines, headers that neither resize
// nor react to clicks, an optional check box in column 0 and colours per cell. A cell with
// colours of its own is drawn only in them, with no selection highlight over it.
class ReportList : public QTableWidget {
    Q_OBJECT

  public:
    explicit ReportList(QWidget* parent = nullptr);

    void ClearColumns();
    int AddColumn(int width, const QString& heading, ui::Align align);
    void SetCheckBoxes(bool on);
    bool CheckBoxes() const { return checkBoxes_; }
    int InsertRow(int row);  // -1 or beyond the end appends
    void SetCell(int row, int column, const QString& text);
    QString Cell(int row, int column) const;
    void SetCellColours(int row, int column, ui::Colours colours);
    ui::Colours CellColours(int row, int column) const;
    void SetRowChecked(int row, bool checked);
    bool RowChecked(int row) const;
    int SelectedRow() const;
    void SelectRow(int row);  // -1 clears

    static constexpr int kColoursRole = Qt::UserRole + 1;

    // Wide enough for every column, so the layout never hides one behind a scroll bar.
    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

  protected:
    void focusInEvent(QFocusEvent* event) override;

  private:
    void PrepareItem(QTableWidgetItem& item, int column) const;
    int FittingWidth() const;

    std::vector<Qt::Alignment> alignments_;
    bool checkBoxes_ = false;
};

}  // namespace tavro::qt
