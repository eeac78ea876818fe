#pragma once

#include <QString>
#include <QStringList>

#include <vector>

namespace fotarel {

// One row of a table: cell 0 is the row caption, cell k the k-th cell after it.
using Row = QStringList;

// An ordered list of rows of text cells. Every list and table of the session
// (list boxes, list views) is a Table; a list box is a table whose rows hold
// only the caption. Cells are addressed by position; reading past the end of a
// row gives an empty text, writing past it widens the row.
class Table {
public:
    Table() = default;
    explicit Table(QStringList columnCaptions);

    const QStringList& columnCaptions() const { return captions_; }

    int rowCount() const { return static_cast<int>(rows_.size()); }
    bool isEmpty() const { return rows_.empty(); }

    const Row& row(int index) const;
    Row& row(int index);

    QString cell(int rowIndex, int column) const;
    void setCell(int rowIndex, int column, const QString& text);

    void appendRow(Row row);
    void insertRow(int index, Row row);
    void removeRow(int index);
    void swapRows(int a, int b);
    void clear() { rows_.clear(); }

    // For list boxes: the caption of every row, in order.
    QStringList lines() const;
    void appendLine(const QString& line) { appendRow(Row{line}); }

private:
    QStringList captions_;
    std::vector<Row> rows_;
};

} // namespace fotarel
