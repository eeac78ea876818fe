#include "photos/editing.h"

#include "core/file_tree.h"
#include "core/table_names.h"
#include "photos/crop.h"
#include "photos/import.h"
#include "photos/jpeg_codec.h"
#include "photos/measure.h"
#include "photos/photo_columns.h"
#include "photos/photo_paths.h"
#include "photos/thumbnails.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

#include <algorithm>
#include <set>

namespace fotarel {

namespace {

const QString kCounter = QStringLiteral("Edit_mobanleijia_sum");
const QString kTiles = QStringLiteral("Edit_xianshikuang_pailie");

void renameIfExists(const QString& from, const QString& to)
{
    if (QFileInfo::exists(from))
        QFile::rename(from, to);
}

// Deletes the thumbnail of row `number` and moves every later one down a
// number, so that thumbnail n keeps belonging to row n.
void dropThumbnail(PhotoContext& ctx, int number, int count)
{
    QFile::remove(photo_paths::thumbnail(ctx.folder, ctx.session, number));
    for (int n = number + 1; n <= count; ++n)
        renameIfExists(photo_paths::thumbnail(ctx.folder, ctx.session, n),
                       photo_paths::thumbnail(ctx.folder, ctx.session, n - 1));
}

void removePhotoRow(PhotoContext& ctx, int row)
{
    Table& visible = ctx.session.table(photo_tables::Visible);
    if (row < visible.rowCount())
        visible.removeRow(row);
    ctx.session.table(photo_tables::Photos).removeRow(row);
}

void clearCandidateLists(Session& session)
{
    for (QLatin1StringView name : {tables::LandscapeCandidates, tables::LandscapeSingleCandidates,
                                   tables::PortraitCandidates, tables::PortraitSingleCandidates})
        session.table(name).clear();
}

// A photo that is the last of its group: the group goes with it.
void deleteWithGroup(PhotoContext& ctx, int row)
{
    Session& session = ctx.session;
    Table& photos = session.table(photo_tables::Photos);
    const int group = photos.cell(row, PhotoCol::Group).toInt();
    deleteTree(photo_paths::groupFolder(ctx.folder, group));
    dropThumbnail(ctx, row + 1, photos.rowCount());
    removePhotoRow(ctx, row);
    session.setInt(kCounter, session.getInt(kCounter) - 1);
    regroup(ctx, RegroupAfter::Deletion);
    session.setInt(kTiles, std::max(0, session.getInt(kTiles) - 1));
    callHook(ctx.view.destroyLastTile);
    callHook(ctx.view.reloadTiles);
}

struct ReplacementPhoto {
    QString path;
    bool isNew = false;
};

QList<Row> candidateRows(const Session& session, const QList<int>& candidates)
{
    const Table& photos = session.table(photo_tables::Photos);
    QList<Row> rows;
    for (int r : candidates) {
        const Row& p = photos.row(r);
        rows.append(Row{QString::number(r + 1), p.value(PhotoCol::Name), p.value(PhotoCol::Extension),
                        p.value(PhotoCol::Width), p.value(PhotoCol::Height), p.value(PhotoCol::Orientation),
                        QStringLiteral("已绑定"), p.value(PhotoCol::Path)});
    }
    return rows;
}

bool writeFile(const QString& path, const QByteArray& bytes)
{
    QSaveFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size() && file.commit();
}

// Asks which photo fills the slot of `row`; false when the user cancels.
bool chooseReplacement(PhotoContext& ctx, int row, ReplacementPhoto* out)
{
    Session& session = ctx.session;
    const Table& photos = session.table(photo_tables::Photos);
    const QString orientation = photos.cell(row, PhotoCol::Orientation);
    QList<int> candidates;
    for (int r = 0; r < photos.rowCount(); ++r)
        if (photos.cell(r, PhotoCol::Orientation) == orientation)
            candidates.append(r);

    session.setInt(QStringLiteral("Edit_delete_ID"), row);
    const PhotoDialogs::RefillAnswer answer = ctx.dialogs->askRefill();
    if (answer == PhotoDialogs::RefillAnswer::Cancel)
        return false;
    if (answer == PhotoDialogs::RefillAnswer::Random) {
        session.set(QStringLiteral("Edit_buchong_xuanxiang"), QStringLiteral("suiji_xuanze_xinxiangpian"));
        const int pick = std::clamp(ctx.random.draw(int(candidates.size())), 0, int(candidates.size()) - 1);
        out->path = photos.cell(candidates.at(pick), PhotoCol::Path);
        out->isNew = false;
        return true;
    }
    const QList<Row> rows = candidateRows(session, candidates);
    for (;;) {
        const PhotoDialogs::Replacement choice = ctx.dialogs->chooseReplacement(rows);
        using Kind = PhotoDialogs::Replacement::Kind;
        if (choice.kind == Kind::Cancel)
            return false;
        if (choice.kind == Kind::Existing) {
            session.set(QStringLiteral("Edit_buchong_xuanxiang"), QStringLiteral("xuanze_xinxiangpian"));
            const int pick = choice.selected >= 0 && choice.selected < candidates.size() ? choice.selected : 0;
            out->path = photos.cell(candidates.at(pick), PhotoCol::Path);
            out->isNew = false;
            return true;
        }
        session.set(QStringLiteral("Edit_buchong_xuanxiang"), QStringLiteral("tianjia_xinxiangpian"));
        const QStringList files = ctx.ui.chooseOpenFiles(kPhotoFilter, {});
        if (files.isEmpty())
            continue; // back to the window, which stays open
        QFile file(files.first());
        const QByteArray bytes = file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
        const JpegProbe probe = probeJpeg(bytes);
        if (!probe.ok) {
            ctx.ui.showMessage(skippedPhotosMessage({{files.first(), probe.reason}}));
            continue;
        }
        const QSize upright = probe.info.upright();
        const bool landscape = upright.width() >= upright.height();
        if (landscape != (orientation != kPortraitPhoto)) {
            ctx.ui.showMessage(wrongOrientationMessage(landscape));
            continue;
        }
        out->path = files.first();
        out->isNew = true;
        return true;
    }
}

// Crops the replacement into the deleted photo's picture and replaces the
// deleted row. Returns false (nothing changed) when the photo cannot be read.
bool refillCrop(PhotoContext& ctx, int row, const ReplacementPhoto& replacement)
{
    Session& session = ctx.session;
    Table& photos = session.table(photo_tables::Photos);
    const Row deleted = photos.row(row);

    QFile file(replacement.path);
    const QByteArray bytes = file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    const JpegProbe probe = probeJpeg(bytes);
    if (!probe.ok) {
        ctx.ui.showMessage(skippedPhotosMessage({{replacement.path, probe.reason}}));
        return false;
    }
    const Measurement m = measurePhoto(probe.info, QSize(1920, 1080));
    const CropGeometry geometry = cropGeometry(m.width, m.height, deleted.value(PhotoCol::SlotWidth).toInt(),
                                               deleted.value(PhotoCol::SlotHeight).toInt(), CropChoices{}, true);
    const CroppedPicture picture = renderCrop(bytes, probe.info, geometry, cropRuleFrom(session));
    QImage thumbnail;
    if (replacement.isNew) {
        const Thumbnail t = renderThumbnail(bytes, probe.info, QSize(m.width, m.height), thumbnailBox(session));
        thumbnail = t.panel;
    }
    if (picture.canvas.isNull() || (replacement.isNew && thumbnail.isNull())) {
        ctx.ui.showMessage(skippedPhotosMessage(
            {{replacement.path, picture.canvas.isNull() ? picture.reason : reasonUnreadable()}}));
        return false;
    }
    session.setInt(QStringLiteral("Edit_Width"), geometry.canvas.width());
    session.setInt(QStringLiteral("Edit_height"), geometry.canvas.height());
    session.setInt(QStringLiteral("Edit_Width_load"), m.width);
    session.setInt(QStringLiteral("Edit_height_load"), m.height);
    picture.canvas.save(ctx.folder.path(paths::kGroupFolders + QStringLiteral("t_p_1.bmp")), "BMP");
    writeFile(photo_paths::picture(ctx.folder, session, deleted.value(PhotoCol::Group).toInt(),
                                   deleted.value(PhotoCol::PictureName)),
              encodeJpeg(picture.canvas, 90));

    if (replacement.isNew) {
        const QFileInfo info(replacement.path);
        const QString name = info.fileName();
        const qsizetype dot = name.lastIndexOf(QLatin1Char('.'));
        Row added{QString(), replacement.path, name.left(std::max<qsizetype>(0, name.size() - 4)),
                  dot < 0 ? QString() : name.mid(dot), QString::number(m.width), QString::number(m.height)};
        for (int col = PhotoCol::Orientation; col < PhotoCol::Count; ++col)
            added.append(deleted.value(col));
        added[PhotoCol::Crop] = cropText(picture.crop);
        added[PhotoCol::CropByHand].clear();
        photos.appendRow(added);
    }
    // Thumbnails keep following their rows: the deleted photo's goes, the
    // later ones move down, and a new photo gets its own at the end.
    const int countBefore = photos.rowCount();
    dropThumbnail(ctx, row + 1, countBefore);
    removePhotoRow(ctx, row);
    if (replacement.isNew) {
        session.table(photo_tables::Visible).appendRow(visibleRowFor(photos.row(photos.rowCount() - 1), 0));
        thumbnail.save(photo_paths::thumbnail(ctx.folder, session, photos.rowCount()), "BMP");
    }
    regroup(ctx, RegroupAfter::Deletion);
    return true;
}

void refill(PhotoContext& ctx, int row)
{
    if (!ctx.dialogs)
        return;
    ReplacementPhoto replacement;
    if (!chooseReplacement(ctx, row, &replacement))
        return;
    ctx.session.set(QStringLiteral("Edit_zhaopian_dizhi"), replacement.path);
    bool done = false;
    auto work = [&] { done = refillCrop(ctx, row, replacement); };
    if (ctx.view.runInImportWindow)
        ctx.view.runInImportWindow(work);
    else
        work();
    if (!done)
        return;
    // The tiles are rebuilt so that they match the table again.
    Session& session = ctx.session;
    callHook(ctx.view.destroyTiles);
    const int count = session.table(photo_tables::Photos).rowCount();
    session.setInt(kTiles, count);
    if (count > 0)
        callHook(ctx.view.createTiles);
}

} // namespace

void deletePhotoRow(PhotoContext& ctx, int row)
{
    const Table& photos = ctx.session.table(photo_tables::Photos);
    if (row < 0 || row >= photos.rowCount())
        return;
    const QString group = photos.cell(row, PhotoCol::Group);
    bool othersInGroup = false;
    for (int r = 0; r < photos.rowCount(); ++r)
        if (r != row && photos.cell(r, PhotoCol::Group) == group)
            othersInGroup = true;
    if (photos.cell(row, PhotoCol::TemplatePhotos).toInt() <= 1 || !othersInGroup)
        deleteWithGroup(ctx, row);
    else
        refill(ctx, row);
}

QString wrongOrientationMessage(bool newPhotoIsLandscape)
{
    return QStringLiteral("添加的新相片不是") + (newPhotoIsLandscape ? QStringLiteral("竖照片") : QStringLiteral("横照片"))
        + QStringLiteral(",请重新添加！");
}

void regroup(PhotoContext& ctx, RegroupAfter after)
{
    Session& session = ctx.session;
    Table& photos = session.table(photo_tables::Photos);

    // 1. Every group folder moves to its temporary name; an empty done flag
    // marks a row whose group is not renumbered yet.
    std::set<int> groups;
    if (after == RegroupAfter::Swap) {
        for (int g = 1; g <= session.getInt(kCounter); ++g)
            groups.insert(g);
    } else {
        for (int r = 0; r < photos.rowCount(); ++r)
            groups.insert(photos.cell(r, PhotoCol::Group).toInt());
    }
    for (int g : groups)
        renameIfExists(photo_paths::groupFolder(ctx.folder, g), photo_paths::groupFolderTemporary(ctx.folder, g));
    for (int r = 0; r < photos.rowCount(); ++r)
        photos.setCell(r, PhotoCol::ThumbnailDone, QString());

    // 2. Groups are numbered in the order of their first photo.
    int m = 0;
    for (int r = 0; r < photos.rowCount(); ++r) {
        if (!photos.cell(r, PhotoCol::ThumbnailDone).isEmpty())
            continue;
        const QString oldGroup = photos.cell(r, PhotoCol::Group);
        const int g = oldGroup.toInt();
        ++m;
        const QString temporary = photo_paths::groupFolderTemporary(ctx.folder, g);
        renameIfExists(temporary + QLatin1Char('/') + photo_paths::groupMovieName(session, g),
                       temporary + QLatin1Char('/') + photo_paths::groupMovieName(session, m));
        renameIfExists(temporary, photo_paths::groupFolder(ctx.folder, m));
        for (int k = r; k < photos.rowCount(); ++k) {
            if (photos.cell(k, PhotoCol::ThumbnailDone).isEmpty() && photos.cell(k, PhotoCol::Group) == oldGroup) {
                photos.setCell(k, PhotoCol::Group, QString::number(m));
                photos.setCell(k, PhotoCol::ThumbnailDone, QString(kDone));
            }
        }
    }

    // 3. The album is empty again.
    if (photos.isEmpty()) {
        session.table(photo_tables::DragScratch).clear();
        session.table(photo_tables::Batch).clear();
        clearCandidateLists(session);
        callHook(ctx.view.restartPlaceholder);
    }

    // 4. Captions, selection.
    Table& visible = session.table(photo_tables::Visible);
    for (int r = 0; r < visible.rowCount(); ++r)
        visible.setCell(r, VisibleCol::Number, QString::number(r + 1));
    for (int r = 0; r < photos.rowCount(); ++r)
        photos.setCell(r, PhotoCol::Number, QString::number(r + 1));
    session.set(QStringLiteral("Edit_xiangpian_down_id"), QStringLiteral("wu"));
    callHook(ctx.view.hideFrames);
}

void deleteSelectedPhotos(PhotoContext& ctx, const QList<int>& listSelection)
{
    Session& session = ctx.session;
    const Table& photos = session.table(photo_tables::Photos);
    if (photos.isEmpty())
        return;
    QList<int> rows;
    if (session.get(QStringLiteral("Edit_tubiao_liebiao")) == QLatin1String("liebiao")) {
        rows = listSelection;
    } else {
        bool ok = false;
        const int selected = session.get(QStringLiteral("Edit_xiangpian_down_id")).toInt(&ok);
        if (ok)
            rows.append(selected);
    }
    rows.erase(std::remove_if(rows.begin(), rows.end(), [&](int r) { return r < 0 || r >= photos.rowCount(); }),
               rows.end());
    if (rows.isEmpty()) {
        ctx.ui.showMessage(QStringLiteral("没有选中相片文件！"));
        return;
    }
    session.set(QStringLiteral("Edit_delete_leixing"), QStringLiteral("dan_ge_shang_chu"));
    if (!ctx.dialogs || !ctx.dialogs->confirmDelete(kConfirmDeleteOne))
        return;
    callHook(ctx.view.clearPreview);
    // Several selected rows are handled from the last to the first, so the
    // rows still to come keep their numbers.
    std::sort(rows.begin(), rows.end());
    rows.erase(std::unique(rows.begin(), rows.end()), rows.end());
    for (auto it = rows.rbegin(); it != rows.rend(); ++it)
        deletePhotoRow(ctx, *it);
}

void deleteAllPhotos(PhotoContext& ctx)
{
    Session& session = ctx.session;
    if (session.table(photo_tables::Photos).isEmpty())
        return;
    session.set(QStringLiteral("Edit_delete_leixing"), QStringLiteral("quan_bu_shang_chu"));
    if (!ctx.dialogs || !ctx.dialogs->confirmDelete(kConfirmDeleteAll))
        return;
    clearAllPhotos(ctx);
}

void clearAllPhotos(PhotoContext& ctx)
{
    Session& session = ctx.session;
    session.set(kCounter, QStringLiteral("0"));
    for (QLatin1StringView name : {photo_tables::Visible, photo_tables::DragScratch, photo_tables::Photos,
                                   photo_tables::Batch})
        session.table(name).clear();
    clearCandidateLists(session);
    callHook(ctx.view.destroyTiles);
    session.set(kTiles, QStringLiteral("0"));
    for (const char* name : {"Edit_MouseDown_kaiguan", "Edit_MouseDown", "Edit_MouseDown_kuangdu", "Edit_Height_chazhi",
                             "Edit_Panel_xianshikuang_daxiao", "Edit_chakankongjian_shiyong",
                             "Edit_chakankongjian_shiyong_2"})
        session.set(QString::fromLatin1(name), QString());
    session.set(QStringLiteral("Edit_xiangpian_down_id"), QStringLiteral("wu"));
    callHook(ctx.view.hideFrames);
    auto pump = [&ctx] { ctx.pump(); };
    deleteTree(ctx.folder.path(paths::kPhotoThumbs));
    deleteTree(ctx.folder.path(paths::kGroupFolders));
    recreateFolder(ctx.folder.path(paths::kPhotoThumbs), pump);
    recreateFolder(ctx.folder.path(paths::kGroupFolders), pump);
    callHook(ctx.view.restartPlaceholder);
    callHook(ctx.view.clearBrowser);
}

QList<int> dropTargets(int dragged, QPoint draggedAt, const QList<QPoint>& tilePositions)
{
    QList<int> targets;
    for (int i = 0; i < tilePositions.size(); ++i) {
        if (i == dragged)
            continue;
        const QPoint d = tilePositions.at(i) - draggedAt;
        if (std::abs(d.x()) < 50 && std::abs(d.y()) < 50)
            targets.append(i);
    }
    return targets;
}

void swapPhotos(PhotoContext& ctx, int dragged, const QList<int>& targets)
{
    Session& session = ctx.session;
    Table& photos = session.table(photo_tables::Photos);
    Table& visible = session.table(photo_tables::Visible);
    bool swapped = false;
    for (int t : targets) {
        if (t < 0 || t >= photos.rowCount() || dragged < 0 || dragged >= photos.rowCount() || t == dragged)
            continue;
        photos.swapRows(dragged, t);
        if (dragged < visible.rowCount() && t < visible.rowCount())
            visible.swapRows(dragged, t);
        session.set(QStringLiteral("Edit_tuodong_huhuan_yes_or_no"), QStringLiteral("tuodong_huhuan_yes"));
        session.setInt(QStringLiteral("Edit_tuodong_huhuan_yes_id"), t);
        swapped = true;
    }
    if (!swapped)
        return;
    // Thumbnails follow their photos: each row's caption still holds the
    // number the row had before the swap, which names its thumbnail.
    const int count = photos.rowCount();
    for (int n = 1; n <= count; ++n)
        renameIfExists(photo_paths::thumbnail(ctx.folder, session, n),
                       photo_paths::thumbnailTemporary(ctx.folder, session, n));
    for (int r = 0; r < count; ++r) {
        const int old = photos.cell(r, PhotoCol::Number).toInt();
        renameIfExists(photo_paths::thumbnailTemporary(ctx.folder, session, old),
                       photo_paths::thumbnail(ctx.folder, session, r + 1));
    }
    regroup(ctx, RegroupAfter::Swap);
    callHook(ctx.view.reloadTiles);
}

} // namespace fotarel
