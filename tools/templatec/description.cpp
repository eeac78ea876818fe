#include "tools/templatec/description.h"

#include <QStringList>

namespace fotarel::templatec {

namespace {

QString barList(const QStringList& items) { return "|" + items.join('|') + "|"; }

} // namespace

QByteArray descriptionIni(const Scene& s)
{
    QStringList w, h, o, names;
    for (size_t i = 0; i < s.photoSlots.size(); ++i) {
        w << QString::number(s.photoSlots[i].width);
        h << QString::number(s.photoSlots[i].height);
        o << s.photoSlots[i].orientation;
        names << QStringLiteral("picture_%1").arg(i + 1);
    }
    QString ini;
    ini += "[l_x_w_j_s_y]\r\nl_x_w_j_s_y=s_y_l_x\r\n\r\n[1]\r\n";
    ini += "mblx=" + s.type + "\r\n";
    ini += "mbfl=" + s.category + "\r\n";
    ini += "xpsl=" + QString::number(s.photoSlots.size()) + "\r\n";
    ini += "xpkd=" + barList(w) + "\r\n";
    ini += "xpgd=" + barList(h) + "\r\n";
    ini += "szhz=" + barList(o) + "\r\n";
    ini += "xpjpgmc=" + barList(names) + "\r\n";
    ini += "mbdx=" + QString::number(s.frames) + "\r\n";
    return ini.toUtf8();
}

} // namespace fotarel::templatec
