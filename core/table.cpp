#include "core/table.h"

#include <stdexcept>
#include <utility>

namespace fotarel {

Table::Table(QStringList columnCaptions) : captions_(std::move(columnCaptions)) {}

const Row& Table::row(int index) const
{
    if (index < 0 || index >= rowCount())
        throw std::out_of_range("table row " + std::to_string(index) + " out of range");
    return rows_[static_cast<size_t>(index)];
}

Row& Table::row(int index)
{
    return const_cast<Row&>(std::as_const(*this).row(index));
}

QString Table::cell(int rowIndex, int column) const
{
    const Row& r = row(rowIndex);
    return column >= 0 && column < r.size() ? r.at(column) : QString();
}

void Table::setCell(int rowIndex, int column, const QString& text)
{
    if (column < 0)
        throw std::out_of_range("negative table column");
    Row& r = row(rowIndex);
    while (r.size() <= column)
        r.append(QString());
    r[column] = text;
}

void Table::appendRow(Row row)
{
    rows_.push_back(std::move(row));
}

void Table::insertRow(int index, Row row)
{
    if (index < 0 || index > rowCount())
        throw std::out_of_range("table insert position out of range");
    rows_.insert(rows_.begin() + index, std::move(row));
}

void Table::removeRow(int index)
{
    row(index); // range check
    rows_.erase(rows_.begin() + index);
}

void Table::swapRows(int a, int b)
{
    std::swap(row(a), row(b));
}

QStringList Table::lines() const
{
    QStringList out;
    out.reserve(rowCount());
    for (const Row& r : rows_)
        out.append(r.isEmpty() ? QString() : r.first());
    return out;
}

} // namespace fotarel
