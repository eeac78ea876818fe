#include "photos/fitting.h"

#include "core/bar_list.h"
#include "core/columns.h"
#include "core/table_names.h"
#include "photos/photo_columns.h"
#include "templates/classification.h"

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

void fillCandidates(Session& session, QLatin1StringView source, QLatin1StringView target, Selection selection)
{
    const Table& from = session.table(source);
    Table& to = session.table(target);
    to.clear();
    for (int i = 0; i < from.rowCount(); ++i)
        if (accepts(selection, from.cell(i, ClassCol::PhotoCount)))
            to.appendRow(from.row(i));
}

int countAccepted(const Table& from, Selection selection, bool* hasMulti)
{
    int n = 0;
    for (int i = 0; i < from.rowCount(); ++i) {
        const QString count = from.cell(i, ClassCol::PhotoCount);
        if (accepts(selection, count)) {
            ++n;
            if (hasMulti && count != QLatin1String("1"))
                *hasMulti = true;
        }
    }
    return n;
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
        auto cell = [&](int col) { return col < candidate.size() ? candidate.at(col) : QString(); };
        batch.setCell(r, PhotoCol::Group, QString::number(group));
        batch.setCell(r, PhotoCol::PairNumber, cell(ClassCol::PairNumber));
        batch.setCell(r, PhotoCol::Label, label);
        batch.setCell(r, PhotoCol::TemplatePhotos, cell(ClassCol::PhotoCount));
        batch.setCell(r, PhotoCol::PictureName, QStringLiteral("picture_%1").arg(slot));
        batch.setCell(r, PhotoCol::MoviePackage, cell(ClassCol::MoviePath));
        batch.setCell(r, PhotoCol::SlotWidth, sizes.widths.value(slot - 1));
        batch.setCell(r, PhotoCol::SlotHeight, sizes.heights.value(slot - 1));
        batch.setCell(r, PhotoCol::TemplateWidths, cell(ClassCol::SlotWidths));
        batch.setCell(r, PhotoCol::TemplateHeights, cell(ClassCol::SlotHeights));
        batch.setCell(r, PhotoCol::TemplateOrientations, cell(ClassCol::SlotOrientations));
        batch.setCell(r, PhotoCol::TemplateJpgNames, cell(ClassCol::JpgNames));
        batch.setCell(r, PhotoCol::FrameCount, cell(ClassCol::FrameCount));
    }

    bool assigned(int r) const { return !batch.cell(r, PhotoCol::Label).isEmpty(); }
    bool is(int r, QLatin1StringView orientation) const { return batch.cell(r, PhotoCol::Orientation) == orientation; }

    int unassigned(QLatin1StringView orientation) const
    {
        int n = 0;
        for (int r = 0; r < batch.rowCount(); ++r)
            if (is(r, orientation) && !assigned(r))
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
            if (is(r, kLandscapePhoto) && !assigned(r) && k < need) {
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
            if (is(r, kPortraitPhoto) && !assigned(r) && k < photos) {
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
        row << QString(kNotDone) << QString(kNotDone);
        session.table(photo_tables::Photos).appendRow(row);
    }
};

} // namespace

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
        if (selection == Selection::SinglesOnly) {
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
