#include "core/table.h"

#include <gtest/gtest.h>

#include <stdexcept>

using fotarel::Row;
using fotarel::Table;

TEST(Table, CellsByPositionWithCaptionAtZero)
{
    Table t;
    t.appendRow(Row{"caption", "a"});
    EXPECT_EQ(t.cell(0, 0), "caption");
    EXPECT_EQ(t.cell(0, 1), "a");
    EXPECT_EQ(t.cell(0, 5), ""); // past the end reads empty
    t.setCell(0, 4, "e");        // writing past the end widens the row
    EXPECT_EQ(t.row(0), (Row{"caption", "a", "", "", "e"}));
}

TEST(Table, RowOperationsKeepOrderAndCheckRange)
{
    Table t;
    for (const char* c : {"1", "2", "3"})
        t.appendLine(c);
    t.swapRows(0, 2);
    t.insertRow(1, Row{"x"});
    t.removeRow(3);
    EXPECT_EQ(t.lines(), (QStringList{"3", "x", "2"}));
    EXPECT_THROW(t.row(3), std::out_of_range);
    EXPECT_THROW(t.cell(-1, 0), std::out_of_range);
    EXPECT_THROW(t.insertRow(5, Row{}), std::out_of_range);
}
