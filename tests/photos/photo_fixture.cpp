#include "tests/photos/photo_fixture.h"

#include "engine/startup.h"
#include "photos/import.h"
#include "photos/photo_columns.h"
#include "templates/package.h"

#include <QDir>
#include <QFile>

#include <stdexcept>

namespace fotarel::test {

PhotoRun::PhotoRun()
{
    tree.mkdir("smxcwjj/tp_wj/tp_slt_1");
    tree.mkdir("smxcwjj/wj_0_or_1/wj_1_jy");
    tree.write("smxcwjj/wj_0_or_1/wj_1.rar", packPayload("ending movie"));
    for (const char* name : {"destroyTiles", "createTiles", "destroyLastTile", "reloadTiles", "restartPlaceholder",
                             "stopPlaceholder", "showPhotoArea", "clearPreview", "clearBrowser"}) {
        const QString hook = QString::fromLatin1(name);
        std::function<void()> record = [this, hook] { hookCalls << hook; };
        if (hook == "destroyTiles") ctx.view.destroyTiles = record;
        else if (hook == "createTiles") ctx.view.createTiles = record;
        else if (hook == "destroyLastTile") ctx.view.destroyLastTile = record;
        else if (hook == "reloadTiles") ctx.view.reloadTiles = record;
        else if (hook == "restartPlaceholder") ctx.view.restartPlaceholder = record;
        else if (hook == "stopPlaceholder") ctx.view.stopPlaceholder = record;
        else if (hook == "showPhotoArea") ctx.view.showPhotoArea = record;
        else if (hook == "clearPreview") ctx.view.clearPreview = record;
        else ctx.view.clearBrowser = record;
    }
}

void PhotoRun::addTemplate(const QString& name, const QString& orientations, const QString& widths,
                           const QString& heights, int photos)
{
    fotarel::test::addTemplate(tree, name, descriptionIni(orientations, widths, heights, photos, 100),
                               QByteArray("movie:") + name.toUtf8());
}

void PhotoRun::loadLibrary()
{
    const StartupReport report = loadTemplateLibrary(session, folder, ui);
    if (report.outcome != StartupOutcome::Ready)
        throw std::runtime_error("template library did not load");
}

QString PhotoRun::photo(const QString& name, const QImage& picture, const JpegOptions& options)
{
    return tree.write("photos/" + name, jpegOf(picture, options));
}

QString PhotoRun::photo(const QString& name, int w, int h, const JpegOptions& options)
{
    return photo(name, quadrants(w, h), options);
}

void PhotoRun::import(const QStringList& files)
{
    importPhotos(ctx, files);
}

QString PhotoRun::cell(int row, int col) const
{
    return session.table(photo_tables::Photos).cell(row, col);
}

QStringList PhotoRun::column(int col) const
{
    QStringList out;
    const Table& t = session.table(photo_tables::Photos);
    for (int r = 0; r < t.rowCount(); ++r)
        out << t.cell(r, col);
    return out;
}

QByteArray PhotoRun::read(const QString& relative) const
{
    QFile f(tree.path(relative));
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

} // namespace fotarel::test
