#include "templates/classification.h"

#include "core/bar_list.h"
#include "core/columns.h"
#include "core/table_names.h"

namespace fotarel {

namespace {

// Splits through the orientation scratch lists, as every later reader expects
// them to hold the last split.
QStringList splitOrientations(Session& session, const QString& text)
{
    const BarListSplit split = splitBarList(text);
    Table& bars = session.table(tables::OrientationBars);
    Table& items = session.table(tables::OrientationItems);
    bars.clear();
    items.clear();
    for (int p : split.barPositions)
        bars.appendLine(QString::number(p));
    for (const QString& item : split.items)
        items.appendLine(item);
    return split.items;
}

bool allEqual(const QStringList& items, const QString& word)
{
    for (const QString& item : items) {
        if (item != word)
            return false;
    }
    return true;
}

Row classRow(const Row& templateRow)
{
    Row row;
    for (int c = TemplateCol::Type; c <= TemplateCol::PairNumber; ++c)
        row.append(templateRow.value(c));
    row.append(QStringLiteral("0"));
    row.append(QStringLiteral("0"));
    row.append(templateRow.value(TemplateCol::FrameCount));
    return row;
}

} // namespace

QString classifySlots(const QString& orientations)
{
    const QStringList items = splitBarList(orientations).items;
    if (items.isEmpty())
        return {};
    if (allEqual(items, kClassLandscape))
        return kClassLandscape;
    if (allEqual(items, kClassPortrait))
        return kClassPortrait;
    if (allEqual(items, kClassEither))
        return kClassEither;
    return kClassMixed;
}

void classifyTemplates(Session& session)
{
    Table& templates = session.table(tables::Templates);
    Table& landscape = session.table(tables::Landscape);
    Table& portrait = session.table(tables::Portrait);
    Table& mixed = session.table(tables::Mixed);
    landscape.clear();
    portrait.clear();
    mixed.clear();

    for (int r = 0; r < templates.rowCount(); ++r) {
        const QStringList items = splitOrientations(session, templates.cell(r, TemplateCol::SlotOrientations));
        if (!items.isEmpty())
            templates.setCell(r, TemplateCol::Class, classifySlots(templates.cell(r, TemplateCol::SlotOrientations)));
    }
    for (int r = 0; r < templates.rowCount(); ++r) {
        const QString cls = templates.cell(r, TemplateCol::Class);
        const Row row = classRow(templates.row(r));
        if (cls == kClassLandscape) {
            landscape.appendRow(row);
        } else if (cls == kClassPortrait) {
            portrait.appendRow(row);
        } else if (cls == kClassEither) {
            landscape.appendRow(row);
            portrait.appendRow(row);
        } else if (cls == kClassMixed) {
            mixed.appendRow(row);
        }
    }
}

void countSlots(Session& session)
{
    struct ListRule {
        QLatin1StringView name;
        bool eitherIsLandscape;
        bool eitherIsPortrait;
    };
    const ListRule rules[] = {
        {tables::Landscape, true, false},
        {tables::Portrait, false, true},
        {tables::Mixed, true, false},
    };
    for (const ListRule& rule : rules) {
        Table& list = session.table(rule.name);
        for (int r = 0; r < list.rowCount(); ++r) {
            const QStringList items = splitOrientations(session, list.cell(r, ClassCol::SlotOrientations));
            if (items.isEmpty())
                continue;
            const auto h = items.count(kClassLandscape);
            const auto s = items.count(kClassPortrait);
            const auto b = items.count(kClassEither);
            list.setCell(r, ClassCol::LandscapeSlots, QString::number(h + (rule.eitherIsLandscape ? b : 0)));
            list.setCell(r, ClassCol::PortraitSlots, QString::number(s + (rule.eitherIsPortrait ? b : 0)));
        }
    }
}

SlotSizes readSlotSizes(Session& session, const QString& listName, int row)
{
    Table& bars = session.table(tables::SizeBars);
    Table& widthList = session.table(tables::SlotWidths);
    Table& heightList = session.table(tables::SlotHeights);
    bars.clear();
    widthList.clear();
    heightList.clear();

    SlotSizes sizes;
    const bool candidate = listName == tables::LandscapeCandidates || listName == tables::LandscapeSingleCandidates
                        || listName == tables::PortraitCandidates || listName == tables::PortraitSingleCandidates;
    if (!candidate)
        return sizes;
    const Table& list = session.table(listName);
    if (row < 0 || row >= list.rowCount())
        return sizes;

    const BarListSplit w = splitBarList(list.cell(row, ClassCol::SlotWidths));
    const BarListSplit h = splitBarList(list.cell(row, ClassCol::SlotHeights));
    for (int p : w.barPositions)
        bars.appendLine(QString::number(p));
    for (const QString& item : w.items)
        widthList.appendLine(item);
    for (const QString& item : h.items)
        heightList.appendLine(item);
    sizes.widths = w.items;
    sizes.heights = h.items;
    return sizes;
}

} // namespace fotarel
