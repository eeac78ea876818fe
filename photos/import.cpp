#include "photos/import.h"

#include "photos/crop.h"
#include "photos/fitting.h"
#include "photos/jpeg_codec.h"
#include "photos/measure.h"
#include "photos/photo_columns.h"
#include "photos/photo_paths.h"
#include "photos/thumbnails.h"
#include "photos/work_folders.h"
#include "photos/worker_pool.h"

#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QThread>

#include <future>
#include <vector>

namespace fotarel {

namespace {

// What a worker learns about one selected file before fitting: the header,
// the orientation, and the thumbnail (the first of the photo's two decodes).
struct Prepared {
    QString path;
    QString reason; // empty when usable
    JpegInfo info;
    Measurement measurement;
    QImage thumbnail;
    std::optional<Subject> subject; // found on the thumbnail's decode
};

QByteArray readWhole(const QString& path, QString* reason)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        *reason = reasonUnreadable();
        return {};
    }
    QByteArray bytes = file.readAll();
    if (bytes.isEmpty())
        *reason = reasonEmptyFile();
    return bytes;
}

Prepared prepare(const QString& path, QSize canvas, QSize box, bool findSubjects)
{
    Prepared p;
    p.path = path;
    const QByteArray bytes = readWhole(path, &p.reason);
    if (!p.reason.isEmpty())
        return p;
    const JpegProbe probe = probeJpeg(bytes);
    if (!probe.ok) {
        p.reason = probe.reason;
        return p;
    }
    p.info = probe.info;
    p.measurement = measurePhoto(p.info, canvas);
    const Thumbnail t = renderThumbnail(bytes, p.info, QSize(p.measurement.width, p.measurement.height), box,
                                        findSubjects ? &p.subject : nullptr);
    if (t.panel.isNull())
        p.reason = t.reason;
    else
        p.thumbnail = t.panel;
    return p;
}

// The thumbnail of a photo already measured (its arranged size known).
QImage thumbnailOf(const QString& path, QSize arranged, QSize box)
{
    QString reason;
    const QByteArray bytes = readWhole(path, &reason);
    if (!reason.isEmpty())
        return {};
    const JpegProbe probe = probeJpeg(bytes);
    return probe.ok ? renderThumbnail(bytes, probe.info, arranged, box).panel : QImage();
}

struct Cropped {
    QString reason; // empty when the picture was written
    QSize canvas;
    QImage canvasImage; // kept only for the last photo of the batch
    QRect crop;         // the part of the photo the picture shows
    bool handCropDropped = false; // the hand crop belonged to a photo of another size
};

bool writeFile(const QString& path, const QByteArray& bytes)
{
    QSaveFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size() && file.commit();
}

// What one crop job needs from its photo table row.
struct CropOrder {
    QString photo;
    CropGeometry geometry;
    QString target;
    CropRule rule = CropRule::Subject;
    QSize arranged;               // the photo's size when its row was made
    QSize slot;
    CropChoices choices;
    std::optional<QRect> byHand;  // the user's crop, kept
    std::optional<Subject> subject; // found already; else found on the crop's decode
    bool keepCanvas = false;
};

Cropped cropJob(const CropOrder& order)
{
    Cropped out;
    out.canvas = order.geometry.canvas;
    QString reason;
    const QByteArray bytes = readWhole(order.photo, &reason);
    if (!reason.isEmpty()) {
        out.reason = reason;
        return out;
    }
    const JpegProbe probe = probeJpeg(bytes);
    if (!probe.ok) {
        out.reason = probe.reason;
        return out;
    }
    // A crop set by hand on a photo that has since been replaced by one of
    // another size means nothing on the new one: the automatic crop is used.
    // The geometry follows the file as it is now.
    std::optional<QRect> byHand = order.byHand;
    CropGeometry geometry = order.geometry;
    const QSize upright = probe.info.upright();
    if (upright != order.arranged) {
        out.handCropDropped = byHand.has_value();
        byHand.reset();
        geometry = cropGeometry(upright.width(), upright.height(), order.slot.width(), order.slot.height(),
                                order.choices);
        out.canvas = geometry.canvas;
    }
    const CroppedPicture picture = renderCrop(bytes, probe.info, geometry, order.rule, byHand,
                                              order.subject ? &*order.subject : nullptr);
    if (picture.canvas.isNull()) {
        out.reason = picture.reason;
        return out;
    }
    out.crop = picture.crop;
    const QByteArray jpeg = encodeJpeg(picture.canvas, 90);
    if (jpeg.isEmpty() || !writeFile(order.target, jpeg))
        out.reason = QStringLiteral("无法写入剪裁后的相片");
    if (order.keepCanvas)
        out.canvasImage = picture.canvas;
    return out;
}

QString fileNameCell(const QString& path)
{
    const QString name = QFileInfo(path).fileName();
    return name.left(std::max<qsizetype>(0, name.size() - 4));
}

QString extensionCell(const QString& path)
{
    const QString name = QFileInfo(path).fileName();
    const qsizetype dot = name.lastIndexOf(QLatin1Char('.'));
    return dot < 0 ? QString() : name.mid(dot);
}

// Waits while window events keep running.
void pause(PhotoContext& ctx, std::chrono::milliseconds duration)
{
    const auto end = std::chrono::steady_clock::now() + duration;
    while (std::chrono::steady_clock::now() < end) {
        ctx.pump();
        QThread::msleep(10);
    }
}

} // namespace

QString skippedPhotosMessage(const QList<SkippedPhoto>& skipped)
{
    QString text = QStringLiteral("以下相片文件无法读取，已跳过：");
    for (const SkippedPhoto& s : skipped)
        text += QLatin1Char('\n') + s.path + QStringLiteral("（") + s.reason + QStringLiteral("）");
    return text;
}

QString cropsResetMessage(const QStringList& photos)
{
    return QStringLiteral("以下相片已换成另一尺寸的相片，原来的剪裁不再适用，已改为自动剪裁：\n")
           + photos.join(QLatin1Char('\n'));
}

Row visibleRowFor(const Row& photo, int number)
{
    auto cell = [&](int col) { return col < photo.size() ? photo.at(col) : QString(); };
    return Row{QString::number(number),
               cell(PhotoCol::Name),
               // Type and path as the file system has them: on Linux a
               // lower-cased path names another (usually no) file.
               cell(PhotoCol::Extension),
               cell(PhotoCol::Width),
               cell(PhotoCol::Height),
               cell(PhotoCol::Orientation) == kPortraitPhoto ? QStringLiteral("竖照片") : QStringLiteral("横照片"),
               QStringLiteral("已绑定"),
               cell(PhotoCol::Path)};
}

void rebuildVisibleList(Session& session, const std::function<void()>& pump)
{
    Table& photos = session.table(photo_tables::Photos);
    Table& visible = session.table(photo_tables::Visible);
    visible.clear();
    for (int r = 0; r < photos.rowCount(); ++r) {
        if (pump)
            pump();
        visible.appendRow(visibleRowFor(photos.row(r), r + 1));
        photos.setCell(r, PhotoCol::Number, QString::number(r + 1));
    }
}

PhotoFilesReport makePhotoFiles(PhotoContext& ctx, int firstRow, const std::function<void()>& advance,
                                const std::function<QImage(int row)>& readyThumbnail,
                                const std::function<std::optional<Subject>(int row)>& readySubject)
{
    PhotoFilesReport report;
    Session& session = ctx.session;
    Table& photos = session.table(photo_tables::Photos);
    auto pump = [&ctx] { ctx.pump(); };
    auto step = [&advance] {
        if (advance)
            advance();
    };
    WorkerPool pool(ctx.import.threads);

    // Work folders and the ending template.
    report.brokenPackages = prepareWorkFolders(session, ctx.folder, step, pump);
    if (!QFileInfo::exists(photo_paths::endingMovie(ctx.folder, session)))
        unpackEndingTemplate(session, ctx.folder, pump);

    // The crops start now on the workers, while the thumbnails are written.
    const CropChoices choices = cropChoicesFrom(session);
    const CropRule rule = cropRuleFrom(session);
    std::vector<std::future<Cropped>> crops;
    for (int r = firstRow; r < photos.rowCount(); ++r) {
        const Row& row = photos.row(r);
        CropOrder order;
        order.arranged = QSize(row.value(PhotoCol::Width).toInt(), row.value(PhotoCol::Height).toInt());
        order.slot = QSize(row.value(PhotoCol::SlotWidth).toInt(), row.value(PhotoCol::SlotHeight).toInt());
        order.choices = choices;
        order.geometry = cropGeometry(order.arranged.width(), order.arranged.height(), order.slot.width(),
                                      order.slot.height(), choices);
        order.target = photo_paths::picture(ctx.folder, session, row.value(PhotoCol::Group).toInt(),
                                            row.value(PhotoCol::PictureName));
        order.photo = row.value(PhotoCol::Path);
        order.rule = rule;
        if (row.value(PhotoCol::CropByHand) == kCropByHand)
            order.byHand = parseCropText(row.value(PhotoCol::Crop));
        if (readySubject)
            order.subject = readySubject(r);
        order.keepCanvas = r == photos.rowCount() - 1;
        crops.push_back(pool.submit([order] { return cropJob(order); }));
    }

    // Thumbnails, numbered by their photo table rows.
    const QSize box = thumbnailBox(session);
    for (int r = firstRow; r < photos.rowCount(); ++r) {
        if (photos.cell(r, PhotoCol::ThumbnailDone) != kNotDone)
            continue;
        step();
        QImage thumbnail = readyThumbnail ? readyThumbnail(r) : QImage();
        if (thumbnail.isNull())
            thumbnail = thumbnailOf(photos.cell(r, PhotoCol::Path),
                                    QSize(photos.cell(r, PhotoCol::Width).toInt(), photos.cell(r, PhotoCol::Height).toInt()),
                                    box);
        session.setInt(QStringLiteral("Edit_Width"), box.width());
        session.setInt(QStringLiteral("Edit_height"), box.height());
        thumbnail.save(photo_paths::thumbnail(ctx.folder, session, r + 1), "BMP");
        photos.setCell(r, PhotoCol::ThumbnailDone, QString(kDone));
    }

    // Crops, collected in table order.
    for (int r = firstRow; r < photos.rowCount(); ++r) {
        step();
        Cropped c = waitPumping(crops[size_t(r - firstRow)], std::function<void()>(pump));
        session.setInt(QStringLiteral("Edit_Width"), c.canvas.width());
        session.setInt(QStringLiteral("Edit_height"), c.canvas.height());
        session.set(QStringLiteral("Edit_Width_load"), photos.cell(r, PhotoCol::Width));
        session.set(QStringLiteral("Edit_height_load"), photos.cell(r, PhotoCol::Height));
        if (!c.canvasImage.isNull()) // the canvas file keeps the last photo's canvas
            c.canvasImage.save(photo_paths::cropCanvas(ctx.folder, session), "BMP");
        if (c.handCropDropped) {
            photos.setCell(r, PhotoCol::CropByHand, QString());
            report.cropsReset.append(photos.cell(r, PhotoCol::Path));
        }
        if (c.reason.isEmpty()) {
            photos.setCell(r, PhotoCol::CropDone, QString(kDone));
            photos.setCell(r, PhotoCol::Crop, cropText(c.crop));
        } else {
            report.failed.append({photos.cell(r, PhotoCol::Path), c.reason});
        }
    }
    if (!report.cropsReset.isEmpty())
        ctx.ui.showMessage(cropsResetMessage(report.cropsReset));
    return report;
}

ImportReport importPhotos(PhotoContext& ctx, const QStringList& files)
{
    ImportReport report;
    Session& session = ctx.session;
    auto pump = [&ctx] { ctx.pump(); };
    WorkerPool pool(ctx.import.threads);

    // 1. Measure every file (header only) and make its thumbnail picture.
    const QSize canvas(session.getInt(QStringLiteral("Edit_Width"), 1920),
                       session.getInt(QStringLiteral("Edit_height"), 1080));
    const QSize box = thumbnailBox(session);
    // Subjects are found on the thumbnail's decode, the smallest the photo
    // is decoded at.
    const bool findSubjects = cropRuleFrom(session) == CropRule::Subject;
    std::vector<std::future<Prepared>> pending;
    pending.reserve(size_t(files.size()));
    for (const QString& path : files)
        pending.push_back(
            pool.submit([path, canvas, box, findSubjects] { return prepare(path, canvas, box, findSubjects); }));
    std::vector<Prepared> good;
    bool landscape = false, portrait = false;
    for (auto& future : pending) {
        pump();
        Prepared p = waitPumping(future, std::function<void()>(pump));
        if (!p.reason.isEmpty()) {
            report.skipped.append({p.path, p.reason});
            continue;
        }
        (p.measurement.orientation == kPortraitPhoto ? portrait : landscape) = true;
        good.push_back(std::move(p));
    }
    const int n = int(good.size());
    if (n == 0) {
        if (!report.skipped.isEmpty())
            ctx.ui.showMessage(skippedPhotosMessage(report.skipped));
        return report;
    }
    report.refusal = fittingShortage(session, n, landscape, portrait);
    if (!report.refusal.isEmpty()) {
        ctx.ui.showMessage(report.refusal);
        return report;
    }

    Table& batch = session.table(photo_tables::Batch);
    batch.clear();
    for (int q = 0; q < n; ++q) {
        const Prepared& p = good[size_t(q)];
        Row row{QString::number(q + 1), p.path, fileNameCell(p.path), extensionCell(p.path),
                QString::number(p.measurement.width), QString::number(p.measurement.height),
                p.measurement.orientation};
        for (int i = 0; i < 13; ++i)
            row.append(QString());
        batch.appendRow(row);
    }

    // 2. The bar: one step per photo for the fitting, one for the work
    // folders, one per thumbnail, one per crop.
    const int maximum = 4 * n;
    int value = 0;
    ctx.ui.progress(kImportProgressBar, value, maximum);
    auto advance = [&] {
        ctx.ui.progress(kImportProgressBar, ++value, maximum);
        pump();
    };

    // 3. A new album clears the work area.
    Table& photos = session.table(photo_tables::Photos);
    const int firstNew = photos.rowCount();
    if (photos.isEmpty())
        session.set(QStringLiteral("Edit_daoru_moban_kaishishiyong_kaiguan"), QStringLiteral("kai"));

    // 4. Fitting, and the templates fixed by name. One that does not fit its
    // group refuses the batch: its rows and groups are taken back.
    const QString counterBefore = session.get(QStringLiteral("Edit_mobanleijia_sum"));
    fitBatch(session, ctx.random, advance);
    for (const auto& [group, name] : ctx.import.templates) {
        const QString problem = fixGroupTemplate(session, group, name, firstNew);
        if (problem.isEmpty())
            continue;
        while (photos.rowCount() > firstNew)
            photos.removeRow(photos.rowCount() - 1);
        session.set(QStringLiteral("Edit_mobanleijia_sum"), counterBefore);
        report.refusal = problem;
        ctx.ui.showMessage(problem);
        return report;
    }

    // 5-7. Work folders, the ending template, thumbnails and crops.
    const PhotoFilesReport made = makePhotoFiles(
        ctx, firstNew, advance,
        [&good, firstNew](int r) {
            QImage picture = std::move(good[size_t(r - firstNew)].thumbnail);
            return picture;
        },
        [&good, firstNew](int r) { return good[size_t(r - firstNew)].subject; });
    report.brokenPackages = made.brokenPackages;

    // 8. The visible list.
    rebuildVisibleList(session, pump);
    report.imported = n;

    // 9. The bar runs to its end, and the window closes a second later.
    while (value < maximum) {
        advance();
        pause(ctx, ctx.import.finishStep);
    }
    pause(ctx, ctx.import.finishHold);

    if (!report.skipped.isEmpty())
        ctx.ui.showMessage(skippedPhotosMessage(report.skipped));
    if (!report.brokenPackages.isEmpty())
        ctx.ui.showMessage(QStringLiteral("以下模板文件无法解压：\n") + report.brokenPackages.join(QLatin1Char('\n')));
    return report;
}

bool addPhotosCommand(PhotoContext& ctx)
{
    const QStringList files = ctx.ui.chooseOpenFiles(kPhotoFilter, {});
    if (files.isEmpty())
        return false;
    auto work = [&ctx, &files] { importPhotos(ctx, files); };
    if (ctx.view.runInImportWindow)
        ctx.view.runInImportWindow(work);
    else
        work();
    callHook(ctx.view.stopPlaceholder);
    Session& session = ctx.session;
    session.set(QStringLiteral("Edit_tubiao_liebiao"), QStringLiteral("tubiao"));
    const int count = session.table(photo_tables::Photos).rowCount();
    if (count > 0) {
        if (session.get(QStringLiteral("Edit_xianshikuang_pailie")) != QLatin1String("0"))
            callHook(ctx.view.destroyTiles);
        session.setInt(QStringLiteral("Edit_xianshikuang_pailie"), count);
        callHook(ctx.view.createTiles);
        callHook(ctx.view.showPhotoArea);
    }
    return true;
}

} // namespace fotarel
