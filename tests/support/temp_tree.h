#pragma once

#include <QByteArray>
#include <QString>
#include <QTemporaryDir>

namespace fotarel::test {

// A temporary program folder for tests, with helpers to lay out files.
class TempTree {
public:
    TempTree();
    QString root() const { return dir_.path(); }
    // Absolute path of a relative path written with "\" or "/".
    QString path(const QString& relative) const;
    // Writes a file, creating its folders.
    QString write(const QString& relative, const QByteArray& bytes) const;
    void mkdir(const QString& relative) const;
    bool exists(const QString& relative) const;

private:
    QTemporaryDir dir_;
};

// The INI text of a template description with the marker.
QByteArray descriptionIni(const QString& orientations, const QString& widths, const QString& heights,
                          int photos, int frames, const QString& type = QStringLiteral("横照单张"),
                          const QString& category = QStringLiteral("全屏效果"));

// Writes a description package and a movie package as template number
// `name` (e.g. "t01") into the library of `tree`.
void addTemplate(const TempTree& tree, const QString& name, const QByteArray& ini,
                 const QByteArray& movie = QByteArray("FWS\x08movie", 9));

} // namespace fotarel::test
