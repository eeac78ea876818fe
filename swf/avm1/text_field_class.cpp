// TextField and TextFormat: the script side of text fields, and
// MovieClip.createTextField.

#include "swf/avm1/builtin_helpers.h"
#include "swf/avm1/interpreter.h"

#include <climits>
#include <cmath>

namespace fotarel::swf::avm1 {

void setupTextSnapshotClass(Interpreter& vm); // text_snapshot_class.cpp

namespace {

void accessor(Interpreter& vm, Object* o, const char* name, NativeFunction get, NativeFunction set,
              uint16_t flags = 0)
{
    const QString key = QString::fromLatin1(name);
    o->put(key, Value(), flags);
    Slot* s = o->slot(key, true);
    s->getter = vm.newNative(std::move(get));
    s->setter = vm.newNative(set ? std::move(set) : NativeFunction([](Interpreter&, Args&) { return Value(); }));
}

// Integers of text formats: rounded (cut toward zero before SWF 8); what
// does not fit an int32 (NaN and the infinities too) becomes its smallest
// value, as the Flash Player's conversion gives.
int roundedInt(double d, int version)
{
    if (!std::isfinite(d))
        return INT_MIN;
    const double r = version >= 8 ? std::nearbyint(d) : std::trunc(d);
    if (r < double(INT_MIN) || r > double(INT_MAX))
        return INT_MIN;
    return int(r);
}


Value optionalString(const std::optional<QString>& s)
{
    return s ? Value::string(*s) : Value::null();
}

Value optionalInt(const std::optional<int>& n)
{
    return n ? Value::number(*n) : Value::null();
}

Value optionalBool(const std::optional<bool>& b)
{
    return b ? Value::boolean(*b) : Value::null();
}

// TextFormat's font names are cut at 64 characters, as in the Flash Player.
constexpr int kFontNameLength = 64;

QString alignName(Interpreter& vm, const Value& v, bool& ok)
{
    const QString s = vm.toString(v).toLower();
    ok = s == QLatin1String("left") || s == QLatin1String("center") || s == QLatin1String("right") ||
         s == QLatin1String("justify");
    return s;
}

TextFormat* formatOf(const Value& v)
{
    return v.isObject() ? v.o->textFormat.get() : nullptr;
}

// Sets one member of a TextFormat from a script value by that member's rule.
void setFormatMember(Interpreter& vm, TextFormat& f, const QString& name, const Value& v, bool setter)
{
    const bool unset = v.isNullish();
    auto str = [&](std::optional<QString>& to) {
        if (unset)
            to.reset();
        else
            to = vm.toString(v);
    };
    // The setters keep the margins at 0 or more (before SWF 8 also indents
    // and leading); the constructor takes them as given.
    auto integer = [&](std::optional<int>& to, bool margin) {
        if (unset)
            to.reset();
        else
        {
            const double d = vm.toNumber(v);
            to = roundedInt(margin && setter && !(d > 0) ? 0 : d, vm.version());
        }
    };
    auto boolean = [&](std::optional<bool>& to) {
        if (unset)
            to.reset();
        else
            to = vm.toBoolean(v);
    };
    if (name == QLatin1String("font")) {
        str(f.font);
        if (f.font)
            f.font->truncate(kFontNameLength);
    } else if (name == QLatin1String("url")) {
        str(f.url);
    } else if (name == QLatin1String("target")) {
        str(f.target);
    } else if (name == QLatin1String("size")) {
        integer(f.size, false);
    } else if (name == QLatin1String("indent")) {
        integer(f.indent, vm.version() < 8);
    } else if (name == QLatin1String("leading")) {
        integer(f.leading, vm.version() < 8);
    } else if (name == QLatin1String("blockIndent")) {
        integer(f.blockIndent, vm.version() < 8);
    } else if (name == QLatin1String("leftMargin")) {
        integer(f.leftMargin, true);
    } else if (name == QLatin1String("rightMargin")) {
        integer(f.rightMargin, true);
    } else if (name == QLatin1String("color")) {
        if (unset)
            f.color.reset();
        else
            f.color = toUint32(vm.toNumber(v));
    } else if (name == QLatin1String("bold")) {
        boolean(f.bold);
    } else if (name == QLatin1String("italic")) {
        boolean(f.italic);
    } else if (name == QLatin1String("underline")) {
        boolean(f.underline);
    } else if (name == QLatin1String("bullet")) {
        boolean(f.bullet);
    } else if (name == QLatin1String("kerning")) {
        boolean(f.kerning);
    } else if (name == QLatin1String("align")) {
        if (unset && setter) {
            // The setter keeps the alignment for null and undefined.
        } else if (unset) {
            f.align.reset();
        } else {
            bool ok = false;
            const QString a = alignName(vm, v, ok);
            if (ok)
                f.align = a;
        }
    } else if (name == QLatin1String("letterSpacing")) {
        if (unset)
            f.letterSpacing.reset();
        else
            f.letterSpacing = vm.toNumber(v);
    } else if (name == QLatin1String("tabStops")) {
        if (unset) {
            f.tabStops.reset();
        } else if (v.isObject()) {
            // Any object with a length gives its elements (at most 1024).
            std::vector<int> stops;
            const double length = vm.toNumber(vm.getMember(v, QStringLiteral("length")));
            const int n = std::isfinite(length) && length > 0 ? int(std::min(length, 1024.0)) : 0;
            for (int i = 0; i < n; ++i)
                stops.push_back(roundedInt(vm.toNumber(vm.getMember(v, QString::number(i))), vm.version()));
            f.tabStops = std::move(stops);
        } else {
            f.tabStops = std::vector<int>{roundedInt(vm.toNumber(v), vm.version())};
        }
    }
}

Value formatMember(Interpreter& vm, const TextFormat& f, const QString& name)
{
    if (name == QLatin1String("font")) return optionalString(f.font);
    if (name == QLatin1String("url")) return optionalString(f.url);
    if (name == QLatin1String("target")) return optionalString(f.target);
    if (name == QLatin1String("align")) return optionalString(f.align);
    if (name == QLatin1String("size")) return optionalInt(f.size);
    if (name == QLatin1String("indent")) return optionalInt(f.indent);
    if (name == QLatin1String("leading")) return optionalInt(f.leading);
    if (name == QLatin1String("blockIndent")) return optionalInt(f.blockIndent);
    if (name == QLatin1String("leftMargin")) return optionalInt(f.leftMargin);
    if (name == QLatin1String("rightMargin")) return optionalInt(f.rightMargin);
    if (name == QLatin1String("color")) return f.color ? Value::number(*f.color) : Value::null();
    if (name == QLatin1String("bold")) return optionalBool(f.bold);
    if (name == QLatin1String("italic")) return optionalBool(f.italic);
    if (name == QLatin1String("underline")) return optionalBool(f.underline);
    if (name == QLatin1String("bullet")) return optionalBool(f.bullet);
    if (name == QLatin1String("kerning")) return optionalBool(f.kerning);
    if (name == QLatin1String("letterSpacing"))
        return f.letterSpacing ? Value::number(*f.letterSpacing) : Value::null();
    if (name == QLatin1String("tabStops")) {
        if (!f.tabStops)
            return Value::null();
        std::vector<Value> e;
        for (int t : *f.tabStops)
            e.push_back(Value::number(t));
        return Value::object(vm.newArray(std::move(e)));
    }
    return {};
}

// The members of TextFormat in the order the constructor takes them,
// followed by those it does not take.
const char* const kFormatMembers[] = {
    "font", "size", "color", "bold", "italic", "underline", "url", "target", "align",
    "leftMargin", "rightMargin", "indent", "leading", "blockIndent", "tabStops", "bullet",
    "kerning", "letterSpacing",
};
constexpr int kConstructorArgs = 13;

TextFieldModel* fieldOf(Interpreter& vm, const Value& v, DisplayObjectHost** host = nullptr)
{
    DisplayObjectHost* c = vm.clipOf(v);
    if (host)
        *host = c;
    return c ? c->textField() : nullptr;
}

QString autoSizeName(AutoSize a)
{
    switch (a) {
    case AutoSize::Left: return QStringLiteral("left");
    case AutoSize::Center: return QStringLiteral("center");
    case AutoSize::Right: return QStringLiteral("right");
    case AutoSize::None: break;
    }
    return QStringLiteral("none");
}

// A range argument of getTextFormat/setTextFormat/replaceText as an index
// into the text.
int rangeIndex(Interpreter& vm, const Value& v)
{
    const double d = vm.toNumber(v);
    if (std::isnan(d))
        return 0;
    return clampToInt(d);
}


QString lineBreaksOfField(QString s)
{
    // Line breaks of every kind become the field's own.
    s.replace(QLatin1String("\r\n"), QLatin1String("\r"));
    s.replace(QLatin1Char('\n'), QLatin1Char('\r'));
    return s;
}

// Where a field's variable lives: the object holding it and its name. The
// path is read from the field's parent timeline ("x", "clip.x", "/clip:x").
bool boundSlot(Interpreter& vm, DisplayObjectHost& field, const TextFieldModel& m, Value& holder, QString& name)
{
    DisplayObjectHost* parent = field.parent();
    if (m.variable.isEmpty() || !parent)
        return false;
    Object* timeline = vm.objectFor(parent);
    Frame f;
    f.version = vm.version();
    f.scope = {vm.global, timeline};
    f.timeline = f.baseTimeline = f.locals = timeline;
    f.thisv = Value::object(timeline);
    const QString& path = m.variable;
    if (!path.contains(QLatin1Char('/')) && !path.contains(QLatin1Char(':')) && !path.contains(QLatin1Char('.'))) {
        holder = Value::object(timeline);
        name = path;
        return true;
    }
    QString target;
    if (!vm.splitVariablePath(path, target, name) || name.isEmpty())
        return false;
    if (!path.contains(QLatin1Char('/')) && !path.contains(QLatin1Char(':'))) {
        holder = vm.getVariable(f, target);
    } else {
        DisplayObjectHost* clip = target.isEmpty() ? parent : vm.resolveClipPath(parent, target);
        holder = clip ? Value::object(vm.objectFor(clip)) : Value();
    }
    return holder.isObject();
}

// The field takes the value of its variable when that is defined. Only
// variables of timelines are followed after the binding was made (`fresh`
// is true when the variable was just named or the field just placed).
void pullBoundText(Interpreter& vm, DisplayObjectHost& field, TextFieldModel& m, bool fresh)
{
    Value holder;
    QString name;
    if (!boundSlot(vm, field, m, holder, name))
        return;
    if (!fresh && holder.o->kind != Object::Kind::Clip)
        return;
    const Value v = vm.getMember(holder, name);
    if (v.isUndefined())
        return;
    const QString text = vm.toString(v);
    if (m.html) {
        TextFieldModel parsed;
        parsed.multiline = m.multiline;
        parsed.condenseWhite = m.condenseWhite;
        appendHtml(parsed, text, m.newFormat);
        if (parsed.text != m.text) {
            m.replace(0, m.length(), QString(), m.newFormat);
            appendHtml(m, text, m.newFormat);
        }
    } else if (lineBreaksOfField(text) != m.text) {
        m.setText(lineBreaksOfField(text));
    }
}

// A script set the field's text: its variable follows.
void pushBoundText(Interpreter& vm, DisplayObjectHost& field, TextFieldModel& m)
{
    Value holder;
    QString name;
    if (boundSlot(vm, field, m, holder, name))
        vm.setMember(holder, name, Value::string(m.html ? toHtml(m) : m.text));
}

} // namespace

Object* Interpreter::newTextFormat(const TextFormat& f)
{
    Object* o = alloc(Object::Kind::Plain, textFormatProto ? textFormatProto : objectProto);
    o->textFormat = std::make_unique<TextFormat>(f);
    return o;
}

void Interpreter::initTextFieldObject(Object* o)
{
    o->proto = textFieldProto;
    makeBroadcaster(o);
    const Value listeners = getMember(Value::object(o), QStringLiteral("_listeners"));
    if (listeners.isObject() && listeners.o->kind == Object::Kind::Array)
        setArrayValues(listeners.o, {Value::object(o)});
}

void Interpreter::setupTextClasses()
{
    Interpreter& vm = *this;

    // --- TextFormat ---------------------------------------------------------
    textFormatProto = alloc(Object::Kind::Plain, objectProto);
    Object* formatCtor = newNative(
        [](Interpreter& v, Args& a) -> Value {
            Object* self = a.self.isObject() ? a.self.o : nullptr;
            if (!self)
                return {};
            self->textFormat = std::make_unique<TextFormat>();
            for (int i = 0; i < kConstructorArgs && size_t(i) < a.count(); ++i)
                setFormatMember(v, *self->textFormat, QString::fromLatin1(kFormatMembers[i]), a.at(size_t(i)),
                                false);
            return {};
        });
    formatCtor->put(QStringLiteral("prototype"), Value::object(textFormatProto), DontEnum | DontDelete);
    textFormatProto->put(QStringLiteral("constructor"), Value::object(formatCtor), DontEnum);
    global->put(QStringLiteral("TextFormat"), Value::object(formatCtor), DontEnum);
    for (const char* member : kFormatMembers) {
        const QString name = QString::fromLatin1(member);
        accessor(
            vm, textFormatProto, member,
            [name](Interpreter& v, Args& a) -> Value {
                const TextFormat* f = formatOf(a.self);
                return f ? formatMember(v, *f, name) : Value();
            },
            [name](Interpreter& v, Args& a) -> Value {
                if (TextFormat* f = formatOf(a.self))
                    setFormatMember(v, *f, name, a.at(0), true);
                return {};
            });
    }
    def(vm, textFormatProto, "getTextExtent", [](Interpreter& v, Args& a) -> Value {
        // The extent of one line of text in this format, measured as the
        // player lays text out (an approximation of the Flash Player's font).
        const TextFormat* f = formatOf(a.self);
        const double size = f && f->size ? *f->size : 12;
        const QString text = v.toString(a.at(0));
        Object* o = v.newObject();
        const double width = text.size() * size * 0.5;
        o->put(QStringLiteral("width"), Value::number(width));
        o->put(QStringLiteral("height"), Value::number(std::round(size * 1.15)));
        o->put(QStringLiteral("textFieldWidth"), Value::number(width + 4));
        o->put(QStringLiteral("textFieldHeight"), Value::number(std::round(size * 1.15) + 4));
        o->put(QStringLiteral("ascent"), Value::number(std::round(size * 0.9)));
        o->put(QStringLiteral("descent"), Value::number(std::round(size * 0.25)));
        return Value::object(o);
    });

    setupTextSnapshotClass(vm);

    // --- TextField ----------------------------------------------------------
    textFieldProto = alloc(Object::Kind::Plain, objectProto);
    Object* fieldCtor = newNative([](Interpreter&, Args&) { return Value(); });
    fieldCtor->put(QStringLiteral("prototype"), Value::object(textFieldProto), DontEnum | DontDelete);
    textFieldProto->put(QStringLiteral("constructor"), Value::object(fieldCtor), DontEnum);
    global->put(QStringLiteral("TextField"), Value::object(fieldCtor), DontEnum);

    using Get = std::function<Value(Interpreter&, DisplayObjectHost&, TextFieldModel&)>;
    using Set = std::function<void(Interpreter&, DisplayObjectHost&, TextFieldModel&, const Value&)>;
    // Accessors act on text fields only; on other objects they read
    // undefined and set nothing. Properties are listed newest first, so they
    // are made in the reverse of the Flash Player's order.
    // Properties the Flash Player adds for later movies (`since`) are plain
    // values for older ones: they read what was stored and store anything.
    auto prop = [&](const char* name, Get get, Set set = {}, int since = 0) {
        const QString stash = QString::fromLatin1(name);
        accessor(
            vm, textFieldProto, name,
            [get, since, stash](Interpreter& v, Args& a) -> Value {
                if (v.version() < since)
                    return Value();
                DisplayObjectHost* host = nullptr;
                TextFieldModel* m = fieldOf(v, a.self, &host);
                return m ? get(v, *host, *m) : Value();
            },
            [set, since, stash](Interpreter& v, Args& a) -> Value {
                if (v.version() < since) {
                    // The value becomes the object's own property.
                    if (a.self.isObject())
                        a.self.o->put(stash, a.at(0), 0, v.caseSensitive());
                    return Value();
                }
                DisplayObjectHost* host = nullptr;
                TextFieldModel* m = fieldOf(v, a.self, &host);
                if (m && set) {
                    set(v, *host, *m, a.at(0));
                    if (DisplayObjectHost* still = v.clipOf(a.self); still && still->textField())
                        still->textChanged();
                }
                return Value();
            });
    };
    auto flag = [&](const char* name, bool TextFieldModel::*member) {
        prop(
            name, [member](Interpreter&, DisplayObjectHost&, TextFieldModel& m) { return Value::boolean(m.*member); },
            [member](Interpreter& v, DisplayObjectHost&, TextFieldModel& m, const Value& x) {
                m.*member = v.toBoolean(x);
            });
    };
    auto metric = [&](const char* name, std::function<double(DisplayObjectHost&, TextFieldModel&)> fn) {
        prop(name, [fn](Interpreter&, DisplayObjectHost& h, TextFieldModel& m) { return Value::number(fn(h, m)); });
    };
    auto color = [&](const char* name, uint32_t TextFieldModel::*member) {
        prop(
            name, [member](Interpreter&, DisplayObjectHost&, TextFieldModel& m) { return Value::number(m.*member); },
            [member](Interpreter& v, DisplayObjectHost&, TextFieldModel& m, const Value& x) {
                m.*member = toUint32(v.toNumber(x)) & 0xffffff;
            });
    };

    prop("gridFitType", [](Interpreter&, DisplayObjectHost&, TextFieldModel& m) { return Value::string(m.gridFitType); },
         [](Interpreter& v, DisplayObjectHost&, TextFieldModel& m, const Value& x) {
             const QString s = v.toString(x);
             if (s == QLatin1String("none") || s == QLatin1String("pixel") || s == QLatin1String("subpixel"))
                 m.gridFitType = s;
         }, 8);
    prop("antiAliasType",
         [](Interpreter&, DisplayObjectHost&, TextFieldModel& m) { return Value::string(m.antiAliasType); },
         [](Interpreter& v, DisplayObjectHost&, TextFieldModel& m, const Value& x) {
             const QString s = v.toString(x);
             if (s == QLatin1String("normal") || s == QLatin1String("advanced"))
                 m.antiAliasType = s;
         }, 8);
    prop("thickness", [](Interpreter&, DisplayObjectHost&, TextFieldModel& m) { return Value::number(m.thickness); },
         [](Interpreter& v, DisplayObjectHost&, TextFieldModel& m, const Value& x) {
             const double d = v.toNumber(x);
             if (!std::isnan(d))
                 m.thickness = std::clamp(d, -200.0, 200.0);
         }, 8);
    prop("sharpness", [](Interpreter&, DisplayObjectHost&, TextFieldModel& m) { return Value::number(m.sharpness); },
         [](Interpreter& v, DisplayObjectHost&, TextFieldModel& m, const Value& x) {
             const double d = v.toNumber(x);
             if (!std::isnan(d))
                 m.sharpness = std::clamp(d, -400.0, 400.0);
         }, 8);
    prop("filters", [](Interpreter& v, DisplayObjectHost&, TextFieldModel&) { return Value::object(v.newArray()); }, {}, 8);
    prop("scroll", [](Interpreter&, DisplayObjectHost&, TextFieldModel& m) { return Value::number(m.scroll); },
         [](Interpreter& v, DisplayObjectHost& h, TextFieldModel& m, const Value& x) {
             const double d = v.toNumber(x);
             if (std::isnan(d))
                 return;
             const int lines = h.textMetrics().lineCount;
             m.scroll = std::clamp(clampToInt(d), 1, std::max(1, lines));
         });
    metric("maxscroll", [](DisplayObjectHost& h, TextFieldModel& m) {
        const TextMetrics t = h.textMetrics();
        const double visible = (m.yMax - m.yMin) / 20.0 - 4;
        int first = 1;
        // The last line that can be the first shown while the text's end is in view.
        const double total = t.lineBottoms.empty() ? 0 : t.lineBottoms.back();
        for (size_t i = 0; i < t.lineBottoms.size(); ++i) {
            const double top = i == 0 ? 0 : t.lineBottoms[i - 1];
            if (total - top <= visible + 0.01 || i + 1 == t.lineBottoms.size()) {
                first = int(i) + 1;
                break;
            }
        }
        return double(first);
    });
    color("borderColor", &TextFieldModel::borderColor);
    color("backgroundColor", &TextFieldModel::backgroundColor);
    prop("textColor",
         [](Interpreter&, DisplayObjectHost&, TextFieldModel& m) {
             return Value::number(m.formatOf(0, 0).color.value_or(0));
         },
         [](Interpreter& v, DisplayObjectHost&, TextFieldModel& m, const Value& x) {
             TextFormat f;
             f.color = toUint32(v.toNumber(x)) & 0xffffff;
             m.setFormat(0, m.length(), f);
             m.newFormat.apply(f);
         });
    prop("tabIndex", [](Interpreter&, DisplayObjectHost&, TextFieldModel& m) {
        return m.tabIndex ? Value::number(*m.tabIndex) : Value();
    }, [](Interpreter& v, DisplayObjectHost&, TextFieldModel& m, const Value& x) {
        if (x.isUndefined())
            m.tabIndex.reset();
        else
            m.tabIndex = toInt32(v.toNumber(x)); // a signed 32-bit number, as the Tab order compares it
    });
    prop("autoSize",
         [](Interpreter&, DisplayObjectHost&, TextFieldModel& m) { return Value::string(autoSizeName(m.autoSize)); },
         [](Interpreter& v, DisplayObjectHost&, TextFieldModel& m, const Value& x) {
             // true is "left"; other values count by their text.
             if (x.type == Value::Type::Boolean) {
                 m.autoSize = x.b ? AutoSize::Left : AutoSize::None;
                 return;
             }
             m.autoSize = AutoSize::None;
             if (!x.isString() && !x.isObject())
                 return;
             const QString s = v.toString(x).toLower();
             if (s == QLatin1String("left"))
                 m.autoSize = AutoSize::Left;
             else if (s == QLatin1String("center"))
                 m.autoSize = AutoSize::Center;
             else if (s == QLatin1String("right"))
                 m.autoSize = AutoSize::Right;
         });
    prop("text",
         [](Interpreter& v, DisplayObjectHost& h, TextFieldModel& m) {
             pullBoundText(v, h, m, false);
             return Value::string(m.text);
         },
         [](Interpreter& v, DisplayObjectHost& h, TextFieldModel& m, const Value& x) {
             const QString s = lineBreaksOfField(v.toString(x));
             if (m.html) {
                 // The text replaces everything, in the format of the first character.
                 const TextFormat f = m.formatOf(0, 0);
                 m.replace(0, m.length(), s, f);
             } else {
                 m.setText(s);
             }
             pushBoundText(v, h, m);
         });
    prop("type", [](Interpreter&, DisplayObjectHost&, TextFieldModel& m) {
        return Value::string(m.editable ? QStringLiteral("input") : QStringLiteral("dynamic"));
    }, [](Interpreter& v, DisplayObjectHost&, TextFieldModel& m, const Value& x) {
        const QString s = v.toString(x).toLower();
        if (s == QLatin1String("input"))
            m.editable = true;
        else if (s == QLatin1String("dynamic"))
            m.editable = false;
    });
    prop("htmlText",
         [](Interpreter& v, DisplayObjectHost& h, TextFieldModel& m) {
             pullBoundText(v, h, m, false);
             return Value::string(m.html ? toHtml(m) : m.text);
         },
         [](Interpreter& v, DisplayObjectHost& h, TextFieldModel& m, const Value& x) {
             const QString s = v.toString(x);
             if (!m.html) {
                 m.setText(lineBreaksOfField(s));
             } else {
                 m.replace(0, m.length(), QString(), m.newFormat);
                 appendHtml(m, s, m.newFormat);
             }
             pushBoundText(v, h, m);
         });
    prop("variable", [](Interpreter&, DisplayObjectHost&, TextFieldModel& m) {
        return m.variable.isEmpty() ? Value::null() : Value::string(m.variable);
    }, [](Interpreter& v, DisplayObjectHost& h, TextFieldModel& m, const Value& x) {
        m.variable = x.isNullish() ? QString() : v.toString(x);
        pullBoundText(v, h, m, true);
        // A variable that is not set yet starts with the field's initial text.
        Value holder;
        QString name;
        if (!m.initialText.isEmpty() && boundSlot(v, h, m, holder, name) && v.getMember(holder, name).isUndefined()) {
            m.setText(m.initialText);
            pushBoundText(v, h, m);
        }
    });
    prop("hscroll", [](Interpreter&, DisplayObjectHost&, TextFieldModel& m) { return Value::number(m.hscroll); },
         [](Interpreter& v, DisplayObjectHost& h, TextFieldModel& m, const Value& x) {
             const double d = v.toNumber(x);
             if (std::isnan(d))
                 return;
             const double maxh = std::max(0.0, h.textMetrics().textWidth - ((m.xMax - m.xMin) / 20.0 - 4));
             m.hscroll = std::clamp(clampToInt(d), 0, int(maxh));
         });
    metric("maxhscroll", [](DisplayObjectHost& h, TextFieldModel& m) {
        return std::max(0.0, std::floor(h.textMetrics().textWidth - ((m.xMax - m.xMin) / 20.0 - 4)));
    });
    prop("maxChars", [](Interpreter&, DisplayObjectHost&, TextFieldModel& m) {
        return m.maxChars > 0 ? Value::number(m.maxChars) : Value::null();
    }, [](Interpreter& v, DisplayObjectHost&, TextFieldModel& m, const Value& x) {
        const double d = v.toNumber(x);
        m.maxChars = std::isnan(d) ? 0 : std::max(0, clampToInt(d));
    });
    flag("embedFonts", &TextFieldModel::embedFonts);
    flag("html", &TextFieldModel::html);
    flag("border", &TextFieldModel::border);
    flag("background", &TextFieldModel::background);
    flag("wordWrap", &TextFieldModel::wordWrap);
    flag("password", &TextFieldModel::password);
    flag("multiline", &TextFieldModel::multiline);
    flag("selectable", &TextFieldModel::selectable);
    metric("length", [](DisplayObjectHost&, TextFieldModel& m) { return double(m.length()); });
    metric("bottomScroll", [](DisplayObjectHost& h, TextFieldModel& m) {
        const TextMetrics t = h.textMetrics();
        const double visible = (m.yMax - m.yMin) / 20.0 - 4;
        const double top = m.scroll > 1 && size_t(m.scroll - 1) <= t.lineBottoms.size()
                               ? t.lineBottoms[size_t(m.scroll - 2)]
                               : 0;
        int last = m.scroll;
        for (size_t i = size_t(m.scroll - 1); i < t.lineBottoms.size(); ++i)
            if (t.lineBottoms[i] - top <= visible + 0.01)
                last = int(i) + 1;
        return double(std::max(last, m.scroll));
    });
    metric("textWidth", [](DisplayObjectHost& h, TextFieldModel&) { return h.textMetrics().textWidth; });
    metric("textHeight", [](DisplayObjectHost& h, TextFieldModel&) { return h.textMetrics().textHeight; });
    prop("restrict", [](Interpreter&, DisplayObjectHost&, TextFieldModel& m) {
        return m.restrict ? Value::string(*m.restrict) : Value::null();
    }, [](Interpreter& v, DisplayObjectHost&, TextFieldModel& m, const Value& x) {
        if (x.isNullish())
            m.restrict.reset();
        else
            m.restrict = v.toString(x);
    });
    flag("condenseWhite", &TextFieldModel::condenseWhite);
    flag("mouseWheelEnabled", &TextFieldModel::mouseWheelEnabled);
    prop("styleSheet", [](Interpreter&, DisplayObjectHost&, TextFieldModel&) { return Value(); });

    // Methods act on text fields only.
    auto method = [&](const char* name, std::function<Value(Interpreter&, DisplayObjectHost&, TextFieldModel&, Args&)> fn,
                      uint16_t flags = 0) {
        textFieldProto->put(QString::fromLatin1(name), Value::object(vm.newNative([fn](Interpreter& v, Args& a) -> Value {
            DisplayObjectHost* host = nullptr;
            TextFieldModel* m = fieldOf(v, a.self, &host);
            if (!m)
                return {};
            Value r = fn(v, *host, *m, a);
            if (DisplayObjectHost* still = v.clipOf(a.self); still && still->textField())
                still->textChanged();
            return r;
        })), DontEnum | flags);
    };
    method("replaceText", [](Interpreter& v, DisplayObjectHost&, TextFieldModel& m, Args& a) {
        const int begin = rangeIndex(v, a.at(0)), end = rangeIndex(v, a.at(1));
        if (begin < 0 || end < begin || begin > m.length())
            return Value();
        const TextFormat f = m.formatOf(begin, begin);
        m.replace(begin, end, v.toString(a.at(2)), f);
        return Value();
    }, FromSwf7);
    method("getDepth", [](Interpreter&, DisplayObjectHost& h, TextFieldModel&, Args&) {
        return Value::number(h.depth());
    });
    method("setNewTextFormat", [](Interpreter&, DisplayObjectHost&, TextFieldModel& m, Args& a) {
        if (const TextFormat* f = formatOf(a.at(0)))
            m.newFormat.apply(*f);
        return Value();
    });
    method("getNewTextFormat", [](Interpreter& v, DisplayObjectHost&, TextFieldModel& m, Args&) {
        return Value::object(v.newTextFormat(m.newFormat));
    });
    method("removeTextField", [](Interpreter&, DisplayObjectHost& h, TextFieldModel&, Args&) {
        if (h.depth() >= 0)
            h.removeFromParent();
        return Value();
    });
    method("setTextFormat", [](Interpreter& v, DisplayObjectHost&, TextFieldModel& m, Args& a) {
        // (format), (index, format) or (begin, end, format).
        const size_t n = a.count();
        if (n == 0)
            return Value();
        const TextFormat* f = formatOf(a.at(n - 1));
        if (!f)
            return Value();
        int begin = 0, end = m.length();
        if (n == 2) {
            begin = rangeIndex(v, a.at(0));
            end = begin + 1;
        } else if (n >= 3) {
            begin = rangeIndex(v, a.at(0));
            end = rangeIndex(v, a.at(1));
        }
        if (begin < 0 || end <= begin)
            return Value();
        m.setFormat(begin, end, *f);
        return Value();
    });
    method("getTextFormat", [](Interpreter& v, DisplayObjectHost&, TextFieldModel& m, Args& a) {
        int begin = 0, end = m.length();
        if (a.count() == 1) {
            begin = rangeIndex(v, a.at(0));
            end = begin + 1;
        } else if (a.count() >= 2) {
            begin = rangeIndex(v, a.at(0));
            end = rangeIndex(v, a.at(1));
        }
        if (end > m.length())
            end = m.length();
        if (begin < 0 || begin > end)
            return Value::object(v.newTextFormat(TextFormat{}));
        return Value::object(v.newTextFormat(m.formatOf(begin, end)));
    });
    method("replaceSel", [](Interpreter& v, DisplayObjectHost&, TextFieldModel& m, Args& a) {
        const int begin = std::clamp(m.selectionBegin, 0, m.length());
        const int end = std::clamp(m.selectionEnd, begin, m.length());
        const QString s = v.toString(a.at(0));
        const TextFormat f = m.formatOf(begin, begin);
        m.replace(begin, end, s, f);
        m.selectionBegin = m.selectionEnd = begin + int(s.size());
        return Value();
    });

    // MovieClip.createTextField(name, depth, x, y, width, height): the new
    // field from SWF 8 on, nothing before.
    def(vm, clipProto, "createTextField", [](Interpreter& v, Args& a) -> Value {
        DisplayObjectHost* c = v.clipOf(a.self);
        if (!c || !c->isMovieClip() || a.count() < 6)
            return {};
        auto number = [&](size_t i) {
            const double d = v.toNumber(a.at(i));
            return std::isfinite(d) ? std::trunc(d) : 0.0;
        };
        const double depth = toInt32(v.toNumber(a.at(1)));
        DisplayObjectHost* made = c->createTextField(v.toString(a.at(0)), int(std::clamp(depth, -16384.0, 2130690045.0)),
                                                     number(2), number(3), std::abs(number(4)),
                                                     std::abs(number(5)));
        if (!made)
            return {};
        Object* o = v.objectFor(made);
        return v.version() >= 8 ? Value::object(o) : Value();
    });
}

} // namespace fotarel::swf::avm1
