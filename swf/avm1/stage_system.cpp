// System and Stage: a movie played from local files, on a stage of the
// player's size.

#include "swf/avm1/builtin_helpers.h"

namespace fotarel::swf::avm1 {

// System: a movie played from local files, with no network access.
void Interpreter::setupSystem()
{
    Interpreter& vm = *this;
    Object* system = newObject();
    global->put(QStringLiteral("System"), Value::object(system), DontEnum);
    Object* security = newObject();
    system->put(QStringLiteral("security"), Value::object(security));
    security->put(QStringLiteral("sandboxType"), Value::string(QStringLiteral("localWithFile")));
    for (const char* ignored : {"allowDomain", "allowInsecureDomain", "loadPolicyFile"})
        def(vm, security, ignored, [](Interpreter&, Args&) { return Value(); });
    system->put(QStringLiteral("useCodepage"), Value::boolean(false));
    system->put(QStringLiteral("exactSettings"), Value::boolean(true));
}

// Stage: read-only size from the player; align and scaleMode as scripts set them.
void Interpreter::setupStage()
{
    Object* stage = newObject();
    global->put(QStringLiteral("Stage"), Value::object(stage), DontEnum);
    auto readOnly = [&](const char* name, NativeFunction getter) {
        stage->put(QString::fromLatin1(name), Value(), DontDelete);
        stage->slot(QString::fromLatin1(name), true)->getter = newNative(std::move(getter));
    };
    readOnly("width", [](Interpreter& v, Args&) { return Value::number(v.player.stageWidth()); });
    readOnly("height", [](Interpreter& v, Args&) { return Value::number(v.player.stageHeight()); });
    // align keeps the edge letters it is given, in the order L T R B;
    // scaleMode takes one of four names in any case and ignores others.
    auto accessor = [&](const char* name, NativeFunction getter, NativeFunction setter) {
        stage->put(QString::fromLatin1(name), Value(), DontDelete);
        Slot* s = stage->slot(QString::fromLatin1(name), true);
        s->getter = newNative(std::move(getter));
        s->setter = newNative(std::move(setter));
    };
    stageAlign_ = QString();
    stageScaleMode_ = QStringLiteral("showAll");
    accessor("align", [](Interpreter& v, Args&) { return Value::string(v.stageAlign_); },
             [](Interpreter& v, Args& a) {
                 const QString given = v.toString(a.at(0)).toUpper();
                 QString out;
                 for (QChar c : {QLatin1Char('L'), QLatin1Char('T'), QLatin1Char('R'), QLatin1Char('B')})
                     if (given.contains(c))
                         out += c;
                 v.stageAlign_ = out;
                 return Value();
             });
    accessor("scaleMode", [](Interpreter& v, Args&) { return Value::string(v.stageScaleMode_); },
             [](Interpreter& v, Args& a) {
                 const QString given = v.toString(a.at(0));
                 for (const char* mode : {"showAll", "exactFit", "noBorder", "noScale"})
                     if (given.compare(QLatin1String(mode), Qt::CaseInsensitive) == 0)
                         v.stageScaleMode_ = QLatin1String(mode);
                 return Value();
             });
}

} // namespace fotarel::swf::avm1
