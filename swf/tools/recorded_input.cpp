#include "swf/tools/recorded_input.h"

#include "swf/player.h"

#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>

namespace fotarel::swf {

bool RecordedInput::load(const QString& path, QString* error)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly)) {
        if (error)
            *error = QStringLiteral("cannot read %1").arg(path);
        return false;
    }
    events_ = QJsonDocument::fromJson(f.readAll()).array();
    next_ = 0;
    return true;
}

void RecordedInput::giveFrame(Player& player)
{
    for (; next_ < events_.size(); ++next_) {
        const QJsonObject e = events_[next_].toObject();
        const QString type = e.value(QLatin1String("type")).toString();
        if (type == QLatin1String("Wait")) {
            ++next_;
            return;
        }
        const QJsonArray pos = e.value(QLatin1String("pos")).toArray();
        const QPointF at(pos.at(0).toDouble() / mouseScale_, pos.at(1).toDouble() / mouseScale_);
        if (type == QLatin1String("MouseMove")) {
            player.mouseMove(at);
        } else if (type == QLatin1String("MouseDown") || type == QLatin1String("MouseUp")) {
            const QString btn = e.value(QLatin1String("btn")).toString();
            const int button = btn == QLatin1String("Right") ? 2 : btn == QLatin1String("Middle") ? 4 : 1;
            player.mouseButton(at, type == QLatin1String("MouseDown"), button);
        } else if (type == QLatin1String("KeyDown") || type == QLatin1String("KeyUp")) {
            const QJsonValue k = e.value(QLatin1String("key"));
            player.key(k.isObject() ? k.toObject().value(QLatin1String("Char")).toString() : k.toString(),
                       type == QLatin1String("KeyDown"));
        } else if (type == QLatin1String("TextInput")) {
            player.textInput(e.value(QLatin1String("codepoint")).toString());
        }
    }
}

} // namespace fotarel::swf
