#include "tests/support/temp_tree.h"

#include "templates/package.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <stdexcept>

namespace fotarel::test {

TempTree::TempTree()
{
    if (!dir_.isValid())
        throw std::runtime_error("cannot create a temporary folder");
}

QString TempTree::path(const QString& relative) const
{
    QString rel = relative;
    rel.replace(QLatin1Char('\\'), QLatin1Char('/'));
    return dir_.path() + QLatin1Char('/') + rel;
}

QString TempTree::write(const QString& relative, const QByteArray& bytes) const
{
    const QString p = path(relative);
    QDir().mkpath(QFileInfo(p).absolutePath());
    QFile f(p);
    if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate) || f.write(bytes) != bytes.size())
        throw std::runtime_error("cannot write test file " + p.toStdString());
    return p;
}

void TempTree::mkdir(const QString& relative) const
{
    QDir().mkpath(path(relative));
}

bool TempTree::exists(const QString& relative) const
{
    return QFileInfo::exists(path(relative));
}

QByteArray descriptionIni(const QString& orientations, const QString& widths, const QString& heights, int photos,
                          int frames, const QString& type, const QString& category)
{
    return QStringLiteral("[l_x_w_j_s_y]\r\nl_x_w_j_s_y=s_y_l_x\r\n[1]\r\nmblx=%1\r\nmbfl=%2\r\nxpsl=%3\r\n"
                          "xpkd=%4\r\nxpgd=%5\r\nszhz=%6\r\nxpjpgmc=picture\r\nmbdx=%7\r\n")
        .arg(type, category)
        .arg(photos)
        .arg(widths, heights, orientations)
        .arg(frames)
        .toUtf8();
}

void addTemplate(const TempTree& tree, const QString& name, const QByteArray& ini, const QByteArray& movie)
{
    tree.write(QStringLiteral("smxcwjj/wj_0_or_2/wjj_02/%1.rar").arg(name), packPayload(ini));
    tree.write(QStringLiteral("smxcwjj/wj_0_or_2/wjj_01/%1.rar").arg(name), packPayload(movie));
}

} // namespace fotarel::test
