#include "tools/templatec/scene.h"

#include <QFile>
#include <QFileInfo>

#include <algorithm>
#include <cmath>
#include <numbers>

namespace fotarel::templatec {

double applyEase(Ease e, double t)
{
    t = std::clamp(t, 0.0, 1.0);
    switch (e) {
    case Ease::Linear: return t;
    case Ease::In: return t * t * t;
    case Ease::Out: return 1 - std::pow(1 - t, 3);
    case Ease::InOut: return t < 0.5 ? 4 * t * t * t : 1 - std::pow(-2 * t + 2, 3) / 2;
    case Ease::Back: {
        const double c1 = 1.70158, c3 = c1 + 1;
        return 1 + c3 * std::pow(t - 1, 3) + c1 * std::pow(t - 1, 2);
    }
    case Ease::Sine: return -(std::cos(std::numbers::pi * t) - 1) / 2;
    }
    return t;
}

double Track::at(double frame, double fallback) const
{
    if (keys.empty())
        return fallback;
    // Before its first key a property moves from its default at frame 0.
    if (frame < keys.front().frame) {
        const Key& k = keys.front();
        return fallback + (k.value - fallback) * applyEase(k.ease, std::max(0.0, frame) / k.frame);
    }
    if (frame >= keys.back().frame)
        return keys.back().value;
    for (size_t i = 1; i < keys.size(); ++i) {
        const Key& a = keys[i - 1];
        const Key& b = keys[i];
        if (frame <= b.frame) {
            const double t = b.frame == a.frame ? 1.0 : (frame - a.frame) / double(b.frame - a.frame);
            return a.value + (b.value - a.value) * applyEase(b.ease, t);
        }
    }
    return keys.back().value;
}

double propDefault(Prop p)
{
    switch (p) {
    case Prop::X: return kStageWidth / 2.0;
    case Prop::Y: return kStageHeight / 2.0;
    case Prop::Scale:
    case Prop::ScaleX:
    case Prop::ScaleY: return 1.0;
    case Prop::Alpha: return 100.0;
    default: return 0.0;
    }
}

double layerValue(const Layer& l, Prop p, double frame) { return l.tracks[int(p)].at(frame, propDefault(p)); }

double maskProgress(const MaskDef& m, int frame)
{
    if (frame <= m.from)
        return 0;
    if (frame >= m.to)
        return 1;
    return applyEase(Ease::InOut, (frame - m.from) / double(m.to - m.from));
}

QString sceneClass(const Scene& s)
{
    if (s.photoSlots.empty())
        return {};
    for (const QString& c : {QStringLiteral("heng"), QStringLiteral("shu"), QStringLiteral("shuheng")})
        if (std::all_of(s.photoSlots.begin(), s.photoSlots.end(), [&](const Slot& sl) { return sl.orientation == c; }))
            return c;
    return QStringLiteral("gaojimoban");
}

namespace {

QStringList tokenize(const QString& line)
{
    QStringList out;
    QString cur;
    bool quoted = false, has = false;
    for (QChar ch : line) {
        if (quoted) {
            if (ch == '"') {
                quoted = false;
            } else {
                cur += ch;
            }
            continue;
        }
        if (ch == '"') {
            quoted = true;
            has = true;
        } else if (ch.isSpace()) {
            if (has)
                out << cur;
            cur.clear();
            has = false;
        } else {
            cur += ch;
            has = true;
        }
    }
    if (has)
        out << cur;
    return out;
}

struct Reader {
    QString file;
    int line = 0;
    [[noreturn]] void fail(const QString& why) const
    {
        throw SourceError(QStringLiteral("%1:%2: %3").arg(file).arg(line).arg(why).toStdString());
    }
    double number(const QString& s) const
    {
        bool ok = false;
        const double v = s.toDouble(&ok);
        if (!ok || !std::isfinite(v))
            fail(QStringLiteral("not a number: \"%1\"").arg(s));
        return v;
    }
    int integer(const QString& s) const
    {
        bool ok = false;
        const int v = s.toInt(&ok);
        if (!ok)
            fail(QStringLiteral("not an integer: \"%1\"").arg(s));
        return v;
    }
    QColor color(const QString& s) const
    {
        QString t = s;
        if (!t.startsWith('#') || (t.size() != 7 && t.size() != 9))
            fail(QStringLiteral("colour must be #rrggbb or #rrggbbaa: \"%1\"").arg(s));
        bool ok = false;
        const uint v = t.mid(1, 6).toUInt(&ok, 16);
        if (!ok)
            fail(QStringLiteral("bad colour \"%1\"").arg(s));
        QColor c = QColor::fromRgb(QRgb(v));
        if (t.size() == 9)
            c.setAlpha(int(t.mid(7, 2).toUInt(&ok, 16)));
        return c;
    }
    Ease ease(const QString& s) const
    {
        static const std::map<QString, Ease> names{{"linear", Ease::Linear}, {"in", Ease::In},     {"out", Ease::Out},
                                                   {"inout", Ease::InOut},   {"back", Ease::Back}, {"sine", Ease::Sine}};
        const auto it = names.find(s);
        if (it == names.end())
            fail(QStringLiteral("unknown easing \"%1\"").arg(s));
        return it->second;
    }
};

// Reads "key value key value ..." pairs starting at index i.
std::map<QString, QString> pairs(const Reader& r, const QStringList& t, int i)
{
    std::map<QString, QString> out;
    for (; i < t.size(); i += 2) {
        if (i + 1 >= t.size())
            r.fail(QStringLiteral("\"%1\" needs a value").arg(t[i]));
        out[t[i]] = t[i + 1];
    }
    return out;
}

const QStringList kMaskKinds{"iris",     "wipe-left", "wipe-right", "wipe-up", "wipe-down", "blinds-h", "blinds-v",
                             "diamond",  "heart",     "clock",      "barn-h",  "barn-v",    "circles",  "checker"};
const QStringList kShapes{"rect", "roundrect", "circle", "ring", "heart", "star", "frame", "gradient", "radial", "vignette", "emblem"};
const QStringList kParticles{"petals", "snow", "hearts", "bokeh", "stars"};

} // namespace

Scene parseScene(const QString& text, const QString& fileName)
{
    Scene s;
    s.name = QFileInfo(fileName).completeBaseName();
    Reader r{fileName, 0};
    Layer* layer = nullptr;
    const QStringList lines = text.split('\n');
    for (const QString& raw : lines) {
        ++r.line;
        QString l = raw;
        if (l.trimmed().startsWith("# ") || l.trimmed() == "#")
            continue;
        // Comments: a line starting with "# ", or " # " after a statement.
        if (const int hash = l.indexOf(QStringLiteral(" # ")); hash >= 0)
            l = l.left(hash);
        const QStringList t = tokenize(l);
        if (t.isEmpty())
            continue;
        const QString& k = t[0];
        auto need = [&](int n) {
            if (t.size() < n)
                r.fail(QStringLiteral("\"%1\" needs %2 values").arg(k).arg(n - 1));
        };
        if (k == "type") {
            need(2);
            s.type = t[1];
        } else if (k == "category") {
            need(2);
            s.category = t[1];
        } else if (k == "frames") {
            need(2);
            s.frames = r.integer(t[1]);
        } else if (k == "ending") {
            s.ending = true;
        } else if (k == "slot") {
            need(4);
            Slot sl{r.integer(t[1]), r.integer(t[2]), t[3]};
            if (sl.orientation != "heng" && sl.orientation != "shu" && sl.orientation != "shuheng")
                r.fail("slot orientation must be heng, shu or shuheng");
            // A pan slot, far wider or taller than 2.2 : 1, reaches past the
            // stage along its long side (up to four stages) and pans there.
            const bool wide = sl.width * 5 > sl.height * 11 && sl.height <= kStageHeight && sl.width <= 4 * kStageWidth;
            const bool tall = sl.height * 5 > sl.width * 11 && sl.width <= kStageWidth && sl.height <= 4 * kStageHeight;
            if ((sl.width == 0) != (sl.height == 0) || sl.width < 0 || sl.height < 0 ||
                ((sl.width > kStageWidth || sl.height > kStageHeight) && !wide && !tall))
                r.fail("slot size must be 0 0, fit the stage, or be a pan slot beyond 2.2 : 1");
            s.photoSlots.push_back(sl);
        } else if (k == "show") {
            need(3);
            s.showFrames[r.integer(t[1])] = r.integer(t[2]);
        } else if (k == "layer") {
            need(2);
            s.layers.emplace_back();
            layer = &s.layers.back();
            layer->line = r.line;
            const QString kind = t[1];
            int rest = 2;
            if (kind == "carry") {
                layer->kind = LayerKind::Carry;
            } else if (kind == "photo" || kind == "backdrop") {
                need(3);
                layer->kind = kind == "photo" ? LayerKind::Photo : LayerKind::Backdrop;
                layer->slot = r.integer(t[2]);
                rest = 3;
            } else if (kind == "film") {
                layer->kind = LayerKind::Film;
            } else if (kind == "particles") {
                need(4);
                layer->kind = LayerKind::Particles;
                layer->particle = t[2];
                if (!kParticles.contains(layer->particle))
                    r.fail("unknown particle kind " + layer->particle);
                layer->count = r.integer(t[3]);
                rest = 4;
            } else if (kind == "title") {
                need(3);
                layer->kind = LayerKind::Title;
                layer->text = t[2];
                rest = 3;
            } else if (kShapes.contains(kind)) {
                layer->kind = LayerKind::Shape;
                layer->shape = kind;
            } else {
                r.fail("unknown layer kind " + kind);
            }
            for (const auto& [key, v] : pairs(r, t, rest)) {
                if (key == "w")
                    layer->w = r.number(v);
                else if (key == "h")
                    layer->h = r.number(v);
                else if (key == "r")
                    layer->r = r.number(v);
                else if (key == "color")
                    layer->color = r.color(v);
                else if (key == "color2")
                    layer->color2 = r.color(v);
                else if (key == "angle")
                    layer->angle = r.number(v);
                else if (key == "border")
                    layer->border = r.integer(v);
                else if (key == "shadow")
                    layer->shadow = v == "on";
                else if (key == "blur")
                    layer->blur = r.number(v);
                else if (key == "seed")
                    layer->seed = r.integer(v);
                else if (key == "from")
                    layer->lifeFrom = r.integer(v);
                else if (key == "to")
                    layer->lifeTo = r.integer(v);
                else if (key == "size")
                    layer->size = r.number(v);
                else if (key == "font")
                    layer->font = v;
                else
                    r.fail("unknown layer option " + key);
            }
        } else if (k == "at" || k == "mask") {
            if (!layer)
                r.fail("\"" + k + "\" before the first layer");
            if (k == "mask") {
                need(4);
                MaskDef m;
                m.kind = t[1];
                if (!kMaskKinds.contains(m.kind))
                    r.fail("unknown mask " + m.kind);
                m.from = r.integer(t[2]);
                m.to = r.integer(t[3]);
                if (m.to <= m.from)
                    r.fail("mask must end after it starts");
                for (const auto& [key, v] : pairs(r, t, 4)) {
                    if (key == "dir")
                        m.out = v == "out";
                    else if (key == "count")
                        m.count = std::max(1, r.integer(v));
                    else if (key == "cx")
                        m.cx = r.number(v);
                    else if (key == "cy")
                        m.cy = r.number(v);
                    else
                        r.fail("unknown mask option " + key);
                }
                layer->mask = m;
                continue;
            }
            need(2);
            const int frame = r.integer(t[1]);
            auto kv = pairs(r, t, 2);
            Ease e = Ease::InOut;
            if (auto it = kv.find("ease"); it != kv.end()) {
                e = r.ease(it->second);
                kv.erase(it);
            }
            static const std::map<QString, Prop> props{{"x", Prop::X},         {"y", Prop::Y},         {"scale", Prop::Scale},
                                                       {"sx", Prop::ScaleX},    {"sy", Prop::ScaleY},   {"rot", Prop::Rot},
                                                       {"alpha", Prop::Alpha},  {"bright", Prop::Bright}};
            for (const auto& [key, v] : kv) {
                const auto it = props.find(key);
                if (it == props.end())
                    r.fail("unknown property " + key);
                Track& tr = layer->tracks[int(it->second)];
                if (!tr.keys.empty() && tr.keys.back().frame >= frame)
                    r.fail("keys of a property must rise in frame order");
                tr.keys.push_back({frame, r.number(v), e});
            }
        } else {
            r.fail("unknown statement " + k);
        }
    }
    r.line = 0;
    if (s.frames <= 0)
        r.fail("frames missing");
    if (!s.ending && s.photoSlots.empty())
        r.fail("a template needs at least one slot");
    for (const Layer& l : s.layers)
        if ((l.kind == LayerKind::Photo || l.kind == LayerKind::Backdrop) && (l.slot < 1 || l.slot > int(s.photoSlots.size())))
            throw SourceError(QStringLiteral("%1:%2: slot %3 does not exist").arg(fileName).arg(l.line).arg(l.slot).toStdString());
    for (size_t i = 1; i <= s.photoSlots.size(); ++i)
        if (!s.showFrames.count(int(i)))
            throw SourceError(QStringLiteral("%1: slot %2 has no \"show\" frame").arg(fileName).arg(i).toStdString());
    return s;
}

Scene loadScene(const QString& path)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        throw SourceError(("cannot read " + path).toStdString());
    return parseScene(QString::fromUtf8(f.readAll()), path);
}

} // namespace fotarel::templatec
