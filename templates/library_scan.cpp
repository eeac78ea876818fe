#include "templates/library_scan.h"

#include "core/file_tree.h"
#include "core/table_names.h"

#include <QDir>
#include <QFileInfo>

#include <algorithm>

namespace fotarel {

namespace {

void walk(const QString& folder, QStringList& out, int depth)
{
    if (depth > 64)
        return; // deeper than any real library; guards against pathological trees
    QDir dir(folder);
    QFileInfoList entries = dir.entryInfoList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot,
                                              QDir::NoSort);
    std::sort(entries.begin(), entries.end(),
              [](const QFileInfo& a, const QFileInfo& b) { return a.fileName() < b.fileName(); });
    for (const QFileInfo& e : entries) {
        if (e.isSymLink())
            continue;
        if (e.isDir()) {
            walk(e.filePath(), out, depth + 1);
        } else if (e.isFile()) {
            const QString name = e.fileName();
            if (name.endsWith(QLatin1String(".rar")) || name.endsWith(QLatin1String(".RAR")))
                out.append(e.filePath());
        }
    }
}

QString pairLine(int k)
{
    return QStringLiteral("%1=   %2   %3").arg(k).arg(2 * k - 2).arg(2 * k - 1);
}

} // namespace

QStringList listPackages(const QString& folder)
{
    QStringList out;
    if (QFileInfo(folder).isDir())
        walk(QDir::cleanPath(folder), out, 0);
    return out;
}

ScanResult scanLibrary(Session& session, const WorkingFolder& folder, const std::function<void()>& pump)
{
    ScanResult result;
    const QString unpack = folder.path(paths::kDescriptionUnpack);
    deleteTree(unpack);
    result.unpackFolderReady = recreateFolder(unpack, pump);

    Table& files = session.table(tables::ScannedFiles);
    Table& lines = session.table(tables::PairLines);
    Table& descriptions = session.table(tables::PairDescriptions);
    Table& movies = session.table(tables::PairMovies);
    files.clear();
    lines.clear();
    descriptions.clear();
    movies.clear();

    const QStringList ini = listPackages(folder.path(paths::kLibraryDescriptions));
    const QStringList swf = listPackages(folder.path(paths::kLibraryMovies));
    for (const QString& f : ini)
        files.appendLine(f);
    for (const QString& f : swf)
        files.appendLine(f);

    const int pairs = static_cast<int>(std::min(ini.size(), swf.size()));
    for (int k = 1; k <= pairs; ++k)
        lines.appendLine(pairLine(k));
    for (int i = 0; i < pairs; ++i) {
        descriptions.appendLine(ini.at(i));
        movies.appendLine(swf.at(i));
    }
    for (qsizetype i = pairs; i < ini.size(); ++i)
        result.skipped.append({ini.at(i), QStringLiteral("没有对应的模板动画文件")});
    for (qsizetype i = pairs; i < swf.size(); ++i)
        result.skipped.append({swf.at(i), QStringLiteral("没有对应的模板描述文件")});
    result.pairCount = pairs;
    return result;
}

} // namespace fotarel
