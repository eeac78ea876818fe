#include "templates/template_names.h"

#include "core/columns.h"
#include "core/table_names.h"
#include "core/working_folder.h"

#include <QFileInfo>

namespace fotarel {

namespace {

// "smxcwjj/wj_0_or_2/wjj_01/" without the working root: where a movie
// package's name starts inside any path to it.
QString movieFolderMark()
{
    QString mark = paths::kLibraryMovies;
    mark.replace(QLatin1Char('\\'), QLatin1Char('/'));
    return mark.mid(paths::kWorkRoot.size()) + QLatin1Char('/');
}

} // namespace

QString templateName(const QString& moviePath)
{
    QString path = moviePath;
    path.replace(QLatin1Char('\\'), QLatin1Char('/'));
    const QString mark = movieFolderMark();
    const qsizetype at = path.lastIndexOf(mark);
    if (at >= 0)
        return path.mid(at + mark.size());
    // Already a name; or a path outside any library ("/x/a.rar", "C:/x/a.rar").
    const bool absolute = path.startsWith(QLatin1Char('/')) || (path.size() > 1 && path.at(1) == QLatin1Char(':'));
    return absolute ? path.mid(path.lastIndexOf(QLatin1Char('/')) + 1) : path;
}

int findTemplate(const Session& session, const QString& nameOrPath)
{
    const Table& templates = session.table(tables::Templates);
    const QString name = templateName(nameOrPath);
    if (name.isEmpty())
        return -1;
    for (int r = 0; r < templates.rowCount(); ++r)
        if (templateName(templates.cell(r, TemplateCol::MoviePath)) == name)
            return r;
    // A template moved into another subfolder of the library keeps its file name.
    const QString file = QFileInfo(name).fileName();
    for (int r = 0; r < templates.rowCount(); ++r)
        if (QFileInfo(templates.cell(r, TemplateCol::MoviePath)).fileName() == file)
            return r;
    return -1;
}

} // namespace fotarel
