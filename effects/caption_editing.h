#pragma once

// What the caption editor does to its working table, without windows:
// composing and appending a row, deleting rows, reordering by a drag, the
// display list's rows, and handing the table to the main window.

#include "core/table.h"
#include "core/text_outline.h"
#include "engine/ui_port.h"

#include <QString>
#include <QStringList>

#include <optional>
#include <vector>

namespace fotarel::effects {

// The choosers' items and defaults.
QStringList minuteItems();   // "00  分" .. "59  分"
QStringList secondItems();   // "00  秒" .. "59  秒"
QStringList sizeItems();     // "10" .. "40"
inline const QString kDefaultText = QStringLiteral("此处输入文字");
inline const QString kDefaultColour = QStringLiteral("clWhite");
inline const QString kDefaultFont = QStringLiteral("黑体");
inline const QString kDefaultSize = QStringLiteral("10");

// What the editor's choosers hold when "添加特效" is pressed. An empty text
// stands for a chooser with nothing chosen.
struct CaptionChoice {
    QString text;
    QString minuteItem;  // "07  分"
    QString secondItem;  // "30  秒"
    int effectIndex = 0; // position in the effect-name chooser; -1 for none
    QString effectName;
    QString colourName;  // "clWhite"
    QString fontName;
    QString sizeText;
    bool bold = false;
    bool italic = false;
    bool underline = false;
    TextOutline outline;
};

// The working row for `choice`, or the message that refuses it (checks in
// the editor's order: text, time, effect, font, size). The motion cells come
// from row `effectIndex` of `motions` (see motionTable).
struct ComposedRow {
    std::optional<Row> row;
    QString refusal;
};
ComposedRow composeRow(const CaptionChoice& choice, const Table& motions);

// "添加特效": appends the row or shows the refusal. Returns true when added.
bool addCaption(Table& working, const CaptionChoice& choice, const Table& motions, UiPort& ui);

// "删除特效": deletes the rows at `selected` (any order); with none selected
// shows "没有选中已添加的特效！". Returns true when something was deleted.
bool deleteCaptions(Table& working, const std::vector<int>& selected, UiPort& ui);

// A drag of the selected rows, pressed on `startRow` and released over
// `dropRow` (rowCount for below the last row): the new order as old row
// indices, or nullopt when nothing moves. The dragged rows keep their order
// and land before the row under the cursor; dropping below the last row puts
// them at the end; dropping on a dragged row, or with every row selected,
// moves nothing.
std::optional<std::vector<int>> dragOrder(int rowCount, std::vector<int> selected, int startRow, int dropRow);

// Rearranges `table` to `order` (old row indices).
void applyOrder(Table& table, const std::vector<int>& order);

// The display list's row for a working row: text, start time, effect name,
// colour name, font, size, "粗体"/"无", "斜体"/"无", "下划线"/"无", and the
// colour number as a tenth cell.
Row displayRow(const Row& working);
QStringList displayColumnCaptions();

// Replaces `mainTable` with a copy of every working row, each waiting
// ("tingzhi").
void handOver(const Table& working, Table& mainTable);

} // namespace fotarel::effects
