#include "tools/templatec/compile.h"

#include "tools/templatec/description.h"
#include "tools/templatec/movie.h"
#include "tools/templatec/scene.h"

#include "templates/package.h"

#include <QDir>
#include <QFile>

namespace fotarel::templatec {

int compileLibrary(const QString& sourceDir, const QString& workDir, const QString& rawDir)
{
    const QDir src(sourceDir);
    const QStringList files = src.entryList({QStringLiteral("*.tpl")}, QDir::Files, QDir::Name);
    const QString descDir = workDir + "/wj_0_or_2/wjj_02", movieDir = workDir + "/wj_0_or_2/wjj_01",
                  endDir = workDir + "/wj_0_or_1";
    for (const QString& d : {descDir, movieDir, endDir})
        if (!QDir().mkpath(d))
            throw SourceError(("cannot create " + d).toStdString());
    if (!rawDir.isEmpty())
        QDir().mkpath(rawDir);
    QStringList written;
    int count = 0;
    bool ending = false;
    for (const QString& file : files) {
        const Scene s = loadScene(src.filePath(file));
        const QByteArray movie = compileMovie(s);
        if (!rawDir.isEmpty()) {
            QFile m(rawDir + "/" + s.name + ".swf");
            if (m.open(QIODevice::WriteOnly))
                m.write(movie);
            QFile i(rawDir + "/" + s.name + ".ini");
            if (!s.ending && i.open(QIODevice::WriteOnly))
                i.write(descriptionIni(s));
        }
        if (s.ending) {
            if (ending)
                throw SourceError("more than one ending template");
            ending = true;
            if (!writePackage(endDir + "/wj_1.rar", movie))
                throw SourceError("cannot write the ending template");
            continue;
        }
        if (!writePackage(descDir + "/" + s.name + ".rar", descriptionIni(s)) ||
            !writePackage(movieDir + "/" + s.name + ".rar", movie))
            throw SourceError(("cannot write the packages of " + s.name).toStdString());
        written << s.name + ".rar";
        ++count;
    }
    // Remove packages of templates that no longer exist, so descriptions and
    // movies keep pairing by position.
    for (const QString& d : {descDir, movieDir})
        for (const QString& f : QDir(d).entryList(QDir::Files))
            if (!written.contains(f))
                QFile::remove(d + "/" + f);
    return count;
}

} // namespace fotarel::templatec
