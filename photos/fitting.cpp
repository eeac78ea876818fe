#include "photos/fitting.h"

#include "core/bar_list.h"
#include "core/columns.h"
#include "core/table_names.h"
#include "photos/photo_columns.h"
#include "templates/classification.h"
#include "templates/template_names.h"

#include <QFileInfo>

#include <algorithm>
#include <cmath>
#include <stdexcept>

namespace fotarel {

namespace {

const QString kCounter = QStringLiteral("Edit_mobanleijia_sum");

enum class Selection { SinglesOnly, UpToTwo, All };

Selection selectionFor(int batchSize)
{
    if (batchSize < 5)
        return Selection::SinglesOnly;
    return batchSize <= 11 ? Selection::UpToTwo : Selection::All;
}

bool accepts(Selection selection, const QString& photoCount)
{
    switch (selection) {
    case Selection::SinglesOnly:
        return photoCount == QLatin1String("1");
    case Selection::UpToTwo:
        return photoCount == QLatin1String("1") || photoCount == QLatin1String("2");
    case Selection::All:
        return true;
    }
    return false;
}

// The shape (width / height) of a single-photo template's slot; 0 when the
// template has several slots or a full-frame one.
double slotShape(const Row& row)
{
    if (row.value(ClassCol::PhotoCount) != QLatin1String("1"))
        return 0;
    const int w = splitBarList(row.value(ClassCol::SlotWidths)).items.value(0).toInt();
    const int h = splitBarList(row.value(ClassCol::SlotHeights)).items.value(0).toInt();
    return w > 0 && h > 0 ? double(w) / h : 0;
}

bool beyondPanLimit(double shape)
{
    return shape > kPanAspect || (shape > 0 && shape < 1 / kPanAspect);
}

// A pan template: one slot far wider or taller than a photo, which it
// travels along. Only panoramas and tall photos get one.
bool isPanTemplate(const Row& row)
{
    return beyondPanLimit(slotShape(row));
}

void fillCandidates(Session& session, QLatin1StringView source, QLatin1StringView target, Selection selection)
{
    const Table& from = session.table(source);
    Table& to = session.table(target);
    to.clear();
    for (int i = 0; i < from.rowCount(); ++i)
        if (accepts(selection, from.cell(i, ClassCol::PhotoCount)) && !isPanTemplate(from.row(i)))
            to.appendRow(from.row(i));
}

int countAccepted(const Table& from, Selection selection, bool* hasMulti)
{
    int n = 0;
    for (int i = 0; i < from.rowCount(); ++i) {
        if (isPanTemplate(from.row(i)))
            continue;
        const QString count = from.cell(i, ClassCol::PhotoCount);
        if (accepts(selection, count)) {
            ++n;
            if (hasMulti && count != QLatin1String("1"))
                *hasMulti = true;
        }
    }
    return n;
}

// Writes candidate `candidate`'s template, slot `slot` of it, into row `r`.
void writeTemplate(Table& rows, int r, const Row& candidate, const SlotSizes& sizes, int slot)
{
    auto cell = [&](int col) { return col < candidate.size() ? candidate.at(col) : QString(); };
    rows.setCell(r, PhotoCol::PairNumber, cell(ClassCol::PairNumber));
    rows.setCell(r, PhotoCol::TemplatePhotos, cell(ClassCol::PhotoCount));
    rows.setCell(r, PhotoCol::PictureName, QStringLiteral("picture_%1").arg(slot));
    rows.setCell(r, PhotoCol::MoviePackage, cell(ClassCol::MoviePath));
    rows.setCell(r, PhotoCol::SlotWidth, sizes.widths.value(slot - 1));
    rows.setCell(r, PhotoCol::SlotHeight, sizes.heights.value(slot - 1));
    rows.setCell(r, PhotoCol::TemplateWidths, cell(ClassCol::SlotWidths));
    rows.setCell(r, PhotoCol::TemplateHeights, cell(ClassCol::SlotHeights));
    rows.setCell(r, PhotoCol::TemplateOrientations, cell(ClassCol::SlotOrientations));
    rows.setCell(r, PhotoCol::TemplateJpgNames, cell(ClassCol::JpgNames));
    rows.setCell(r, PhotoCol::FrameCount, cell(ClassCol::FrameCount));
}

struct Fitter {
    Session& session;
    RandomSource& random;
    Table& batch;

    int nextGroup()
    {
        const int group = session.getInt(kCounter) + 1;
        session.setInt(kCounter, group);
        return group;
    }

    int drawFrom(QLatin1StringView list)
    {
        const int n = session.table(list).rowCount();
        if (n == 0)
            throw std::logic_error("no template to draw from in " + std::string(list.data(), size_t(list.size())));
        const int pick = random.draw(n);
        return pick >= 0 && pick < n ? pick : 0;
    }

    void assign(int r, QLatin1StringView list, int c, int slot, const QString& label, int group)
    {
        const Row candidate = session.table(list).row(c);
        const SlotSizes sizes = readSlotSizes(session, QString(list), c);
        batch.setCell(r, PhotoCol::Group, QString::number(group));
        batch.setCell(r, PhotoCol::Label, label);
        writeTemplate(batch, r, candidate, sizes, slot);
    }

    // The pan template of the library, of row r's orientation, whose slot
    // shape is nearest the photo's; -1 when r is no panorama or tall photo,
    // or the library has none for it.
    int panTemplateFor(int r) const
    {
        const double w = batch.cell(r, PhotoCol::Width).toDouble(), h = batch.cell(r, PhotoCol::Height).toDouble();
        if (w <= 0 || h <= 0 || !beyondPanLimit(w / h))
            return -1;
        const Table& list = session.table(is(r, kPortraitPhoto) ? tables::Portrait : tables::Landscape);
        int best = -1;
        double bestDistance = 0;
        for (int i = 0; i < list.rowCount(); ++i) {
            const double shape = slotShape(list.row(i));
            if (!beyondPanLimit(shape) || (shape > 1) != (w > h))
                continue;
            const double distance = std::abs(std::log(shape) - std::log(w / h));
            if (best < 0 || distance < bestDistance) {
                best = i;
                bestDistance = distance;
            }
        }
        return best;
    }

    // Row r pans across its own template: the fills of other templates
    // leave it out.
    bool pans(int r) const { return panTemplateFor(r) >= 0; }

    void panChoice(int q)
    {
        const Row candidate =
            session.table(is(q, kPortraitPhoto) ? tables::Portrait : tables::Landscape).row(panTemplateFor(q));
        batch.setCell(q, PhotoCol::Group, QString::number(nextGroup()));
        batch.setCell(q, PhotoCol::Label, QStringLiteral("picture_1quanjing"));
        writeTemplate(batch, q, candidate,
                      SlotSizes{splitBarList(candidate.value(ClassCol::SlotWidths)).items,
                                splitBarList(candidate.value(ClassCol::SlotHeights)).items},
                      1);
    }

    bool assigned(int r) const { return !batch.cell(r, PhotoCol::Label).isEmpty(); }
    bool is(int r, QLatin1StringView orientation) const { return batch.cell(r, PhotoCol::Orientation) == orientation; }

    int unassigned(QLatin1StringView orientation) const
    {
        int n = 0;
        for (int r = 0; r < batch.rowCount(); ++r)
            if (is(r, orientation) && !assigned(r) && !pans(r))
                ++n;
        return n;
    }

    void landscapeChoice(int q)
    {
        const int c = drawFrom(tables::LandscapeCandidates);
        const Table& list = session.table(tables::LandscapeCandidates);
        if (list.cell(c, ClassCol::PhotoCount) == QLatin1String("1")) {
            assign(q, tables::LandscapeCandidates, c, 1, QStringLiteral("picture_1h"), nextGroup());
            return;
        }
        const int need = list.cell(c, ClassCol::LandscapeSlots).toInt();
        if (need > unassigned(kLandscapePhoto)) {
            const int d = drawFrom(tables::LandscapeSingleCandidates);
            assign(q, tables::LandscapeSingleCandidates, d, 1, QStringLiteral("picture_1he不成立"), nextGroup());
            return;
        }
        const int group = nextGroup();
        int k = 0;
        for (int r = 0; r < batch.rowCount(); ++r) {
            if (is(r, kLandscapePhoto) && !assigned(r) && !pans(r) && k < need) {
                ++k;
                assign(r, tables::LandscapeCandidates, c, k, QStringLiteral("picture_%1  heng").arg(k), group);
            }
        }
    }

    void portraitChoice(int q)
    {
        const int c = drawFrom(tables::PortraitCandidates);
        const Table& list = session.table(tables::PortraitCandidates);
        if (list.cell(c, ClassCol::PhotoCount) == QLatin1String("1")) {
            assign(q, tables::PortraitCandidates, c, 1, QStringLiteral("picture_1s"), nextGroup());
            return;
        }
        const int need = list.cell(c, ClassCol::PortraitSlots).toInt();
        // A portrait template that would use up exactly the remaining
        // portrait photos is not filled; a single-photo template is used.
        if (need >= unassigned(kPortraitPhoto)) {
            const int d = drawFrom(tables::PortraitSingleCandidates);
            assign(q, tables::PortraitSingleCandidates, d, 1, QStringLiteral("picture_1sh不成立"), nextGroup());
            return;
        }
        const int group = nextGroup();
        // The portrait fill stops at the template's photo count.
        const int photos = list.cell(c, ClassCol::PhotoCount).toInt();
        int k = 0;
        for (int r = 0; r < batch.rowCount(); ++r) {
            if (is(r, kPortraitPhoto) && !assigned(r) && !pans(r) && k < photos) {
                ++k;
                assign(r, tables::PortraitCandidates, c, k, QStringLiteral("picture_%1  shu").arg(k), group);
            }
        }
    }

    void appendPhotoRow(int q)
    {
        Row row = batch.row(q);
        while (row.size() < PhotoCol::ThumbnailDone)
            row.append(QString());
        row = row.mid(0, PhotoCol::ThumbnailDone);
        row << QString(kNotDone) << QString(kNotDone) << QString() << QString();
        session.table(photo_tables::Photos).appendRow(row);
    }
};

} // namespace

QString templateShortName(const QString& moviePath)
{
    return QFileInfo(templateName(moviePath)).completeBaseName();
}

QString fixGroupTemplate(Session& session, int group, const QString& name, int firstRow)
{
    Table& photos = session.table(photo_tables::Photos);
    QList<int> rows;
    for (int r = std::max(0, firstRow); r < photos.rowCount(); ++r)
        if (photos.cell(r, PhotoCol::Group).toInt() == group)
            rows.append(r);
    if (rows.isEmpty())
        return QStringLiteral("新加的相片中没有第 %1 组，不能为它指定模板 %2。").arg(group).arg(name);
    const bool portrait = photos.cell(rows.first(), PhotoCol::Orientation) == kPortraitPhoto;
    const Table& list = session.table(portrait ? tables::Portrait : tables::Landscape);
    int c = -1;
    for (int i = 0; i < list.rowCount() && c < 0; ++i)
        if (templateShortName(list.cell(i, ClassCol::MoviePath)) == name
            || templateName(list.cell(i, ClassCol::MoviePath)) == name)
            c = i;
    const QString kind = portrait ? QStringLiteral("竖照片") : QStringLiteral("横照片");
    if (c < 0)
        return QStringLiteral("没有名为 %1 的%2模板，第 %3 组不能使用它。").arg(name, kind).arg(group);
    const int slotCount = list.cell(c, portrait ? ClassCol::PortraitSlots : ClassCol::LandscapeSlots).toInt();
    if (slotCount != rows.size() || list.cell(c, ClassCol::PhotoCount).toInt() != rows.size())
        return QStringLiteral("模板 %1 有 %2 个相片位，第 %3 组有 %4 张%5，不能使用它。")
            .arg(name)
            .arg(list.cell(c, ClassCol::PhotoCount))
            .arg(group)
            .arg(rows.size())
            .arg(kind);
    const Row candidate = list.row(c);
    const SlotSizes sizes{splitBarList(candidate.value(ClassCol::SlotWidths)).items,
                          splitBarList(candidate.value(ClassCol::SlotHeights)).items};
    for (int k = 0; k < rows.size(); ++k)
        writeTemplate(photos, rows[k], candidate, sizes, k + 1);
    return {};
}

QString fittingShortage(const Session& session, int batchSize, bool landscape, bool portrait)
{
    const Selection selection = selectionFor(batchSize);
    auto check = [&](QLatin1StringView classList, const QString& what) -> QString {
        bool multi = false;
        const Table& from = session.table(classList);
        if (countAccepted(from, selection, &multi) == 0
            || (multi && countAccepted(from, Selection::SinglesOnly, nullptr) == 0))
            return QStringLiteral("模板库中没有可用于%1的单张模板，不能添加相片！").arg(what);
        return {};
    };
    if (landscape) {
        const QString problem = check(tables::Landscape, QStringLiteral("横照片"));
        if (!problem.isEmpty())
            return problem;
    }
    if (portrait)
        return check(tables::Portrait, QStringLiteral("竖照片"));
    return {};
}

void fitBatch(Session& session, RandomSource& random, const std::function<void()>& step)
{
    Table& batch = session.table(photo_tables::Batch);
    Fitter fitter{session, random, batch};
    const int n = batch.rowCount();
    const Selection selection = selectionFor(n);

    fillCandidates(session, tables::Landscape, tables::LandscapeCandidates, selection);
    fillCandidates(session, tables::Portrait, tables::PortraitCandidates, selection);
    if (selection != Selection::SinglesOnly) {
        fillCandidates(session, tables::Landscape, tables::LandscapeSingleCandidates, Selection::SinglesOnly);
        fillCandidates(session, tables::Portrait, tables::PortraitSingleCandidates, Selection::SinglesOnly);
    }

    for (int q = 0; q < n; ++q) {
        if (step)
            step();
        if (!fitter.assigned(q) && fitter.pans(q)) {
            fitter.panChoice(q);
        } else if (selection == Selection::SinglesOnly) {
            const QLatin1StringView list =
                fitter.is(q, kPortraitPhoto) ? tables::PortraitCandidates : tables::LandscapeCandidates;
            const int group = fitter.nextGroup();
            fitter.assign(q, list, fitter.drawFrom(list), 1, QStringLiteral("picture_1"), group);
        } else {
            if (fitter.is(q, kLandscapePhoto) && !fitter.assigned(q))
                fitter.landscapeChoice(q);
            if (fitter.is(q, kPortraitPhoto) && !fitter.assigned(q))
                fitter.portraitChoice(q);
        }
        fitter.appendPhotoRow(q);
    }
}

} // namespace fotarel
