#include "effects/caption_editing.h"

#include "core/colours.h"
#include "effects/caption_columns.h"
#include "effects/motions.h"

#include <algorithm>

namespace fotarel::effects {

namespace {

QStringList numbered(int from, int to, const QString& unit)
{
    QStringList items;
    for (int i = from; i <= to; ++i)
        items << QStringLiteral("%1%2").arg(i, 2, 10, QLatin1Char('0')).arg(unit);
    return items;
}

QString styleWord(bool on, const QString& word)
{
    return on ? word : QStringLiteral("0");
}

} // namespace

QStringList captionColumnCaptions()
{
    return {QStringLiteral("文字"),     QStringLiteral("开始时间"),     QStringLiteral("结束时间"),
            QStringLiteral("启动"),     QStringLiteral("文字装饰特效"), QStringLiteral("x_zhi"),
            QStringLiteral("y_zhi"),    QStringLiteral("文字特效名称"), QStringLiteral("字体颜色"),
            QStringLiteral("字体名称"), QStringLiteral("字体大小"),     QStringLiteral("粗体"),
            QStringLiteral("斜体"),     QStringLiteral("下划线"),       QStringLiteral("字体颜色(数字)"),
            QStringLiteral("描边颜色"), QStringLiteral("描边颜色(数字)"), QStringLiteral("描边宽度")};
}

QStringList minuteItems() { return numbered(0, 59, QStringLiteral("  分")); }
QStringList secondItems() { return numbered(0, 59, QStringLiteral("  秒")); }

QStringList sizeItems()
{
    QStringList items;
    for (int i = 10; i <= 40; ++i)
        items << QString::number(i);
    return items;
}

ComposedRow composeRow(const CaptionChoice& c, const Table& motions)
{
    if (c.text.isEmpty())
        return {std::nullopt, QStringLiteral("没有输入文字内容！")};
    if (c.minuteItem.isEmpty() || c.secondItem.isEmpty())
        return {std::nullopt, QStringLiteral("(文字出现时间)不能为空！")};
    if (c.effectIndex < 0 || c.effectIndex >= motions.rowCount() || c.effectName.isEmpty())
        return {std::nullopt, QStringLiteral("(文字特效)不能为空！")};
    if (c.fontName.isEmpty())
        return {std::nullopt, QStringLiteral("(文字字体)不能为空！")};
    if (c.sizeText.isEmpty())
        return {std::nullopt, QStringLiteral("(文字大小)不能为空！")};

    Row row(CaptionCol::Count);
    row[CaptionCol::Text] = c.text;
    row[CaptionCol::Start] = c.minuteItem.left(2) + QLatin1Char(':') + c.secondItem.left(2);
    row[CaptionCol::End] = kNoEndTime;
    row[CaptionCol::State] = kStateStopped;
    row[CaptionCol::Motion] = motions.cell(c.effectIndex, MotionCol::Name);
    row[CaptionCol::FixedX] = motions.cell(c.effectIndex, MotionCol::FixedX);
    row[CaptionCol::FixedY] = motions.cell(c.effectIndex, MotionCol::FixedY);
    row[CaptionCol::EffectName] = c.effectName;
    row[CaptionCol::ColourName] = c.colourName;
    row[CaptionCol::FontName] = c.fontName;
    row[CaptionCol::FontSize] = c.sizeText;
    row[CaptionCol::Bold] = styleWord(c.bold, kBoldWord);
    row[CaptionCol::Italic] = styleWord(c.italic, kItalicWord);
    row[CaptionCol::Underline] = styleWord(c.underline, kUnderlineWord);
    row[CaptionCol::ColourValue] = QString::number(colourValueForName(c.colourName).value_or(0xFFFFFF));
    writeOutline(row, CaptionCol::Outline, c.outline);
    return {row, {}};
}

bool addCaption(Table& working, const CaptionChoice& choice, const Table& motions, UiPort& ui)
{
    ComposedRow composed = composeRow(choice, motions);
    if (!composed.row) {
        ui.showMessage(composed.refusal);
        return false;
    }
    working.appendRow(std::move(*composed.row));
    return true;
}

bool deleteCaptions(Table& working, const std::vector<int>& selected, UiPort& ui)
{
    std::vector<int> rows;
    for (int r : selected)
        if (r >= 0 && r < working.rowCount())
            rows.push_back(r);
    if (rows.empty()) {
        ui.showMessage(QStringLiteral("没有选中已添加的特效！"));
        return false;
    }
    std::sort(rows.begin(), rows.end());
    rows.erase(std::unique(rows.begin(), rows.end()), rows.end());
    for (auto it = rows.rbegin(); it != rows.rend(); ++it)
        working.removeRow(*it);
    return true;
}

std::optional<std::vector<int>> dragOrder(int rowCount, std::vector<int> selected, int startRow, int dropRow)
{
    std::sort(selected.begin(), selected.end());
    selected.erase(std::unique(selected.begin(), selected.end()), selected.end());
    selected.erase(std::remove_if(selected.begin(), selected.end(), [&](int r) { return r < 0 || r >= rowCount; }),
                   selected.end());
    if (selected.empty() || int(selected.size()) == rowCount || startRow < 0 || startRow >= rowCount)
        return std::nullopt;
    const bool toEnd = dropRow >= rowCount;
    if (!toEnd && (dropRow < 0 || std::binary_search(selected.begin(), selected.end(), dropRow)))
        return std::nullopt; // dropped on a dragged row (the start row among them)

    std::vector<int> rest;
    for (int r = 0; r < rowCount; ++r)
        if (!std::binary_search(selected.begin(), selected.end(), r))
            rest.push_back(r);
    // The insertion point is where the row under the cursor stands once the
    // dragged rows are out.
    const std::size_t p =
        toEnd ? rest.size() : std::size_t(std::find(rest.begin(), rest.end(), dropRow) - rest.begin());
    std::vector<int> order(rest.begin(), rest.begin() + std::ptrdiff_t(p));
    order.insert(order.end(), selected.begin(), selected.end());
    order.insert(order.end(), rest.begin() + std::ptrdiff_t(p), rest.end());
    if (std::is_sorted(order.begin(), order.end()))
        return std::nullopt; // every row where it was
    return order;
}

void applyOrder(Table& table, const std::vector<int>& order)
{
    std::vector<Row> rows;
    rows.reserve(order.size());
    for (int r : order)
        rows.push_back(table.row(r));
    table.clear();
    for (Row& r : rows)
        table.appendRow(std::move(r));
}

QStringList displayColumnCaptions()
{
    return {QStringLiteral("文字内容"), QStringLiteral("开始时间"), QStringLiteral("文字特效名称"),
            QStringLiteral("字体颜色"), QStringLiteral("字体名称"), QStringLiteral("字体大小"),
            QStringLiteral("粗体字型"), QStringLiteral("斜体字型"), QStringLiteral("下划线字型")};
}

Row displayRow(const Row& w)
{
    auto style = [&](int column, const QString& word, const QString& shown) {
        return w.value(column) == word ? shown : QStringLiteral("无");
    };
    return {w.value(CaptionCol::Text),
            w.value(CaptionCol::Start),
            w.value(CaptionCol::EffectName),
            colourDisplayName(w.value(CaptionCol::ColourName)),
            w.value(CaptionCol::FontName),
            w.value(CaptionCol::FontSize),
            style(CaptionCol::Bold, kBoldWord, QStringLiteral("粗体")),
            style(CaptionCol::Italic, kItalicWord, QStringLiteral("斜体")),
            style(CaptionCol::Underline, kUnderlineWord, QStringLiteral("下划线")),
            w.value(CaptionCol::ColourValue)};
}

void handOver(const Table& working, Table& mainTable)
{
    mainTable.clear();
    for (int r = 0; r < working.rowCount(); ++r) {
        Row row = working.row(r);
        while (row.size() < CaptionCol::Count)
            row << QString();
        row[CaptionCol::State] = kStateStopped;
        mainTable.appendRow(std::move(row));
    }
}

} // namespace fotarel::effects
