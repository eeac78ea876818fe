// swfdump MOVIE [--fills]: lists the tags, characters, frames and action blocks of a
// movie; --fills also lists each shape's fill and line styles and first edges (all of
// them with a third argument), and the blend modes and filters objects are placed with.
#include "swf/movie.h"

#include <QFile>
#include <QGuiApplication>

#include <cstdio>

using namespace fotarel::swf;

namespace {

const char* kindName(const Character& c)
{
    switch (c.index()) {
    case 1: return "shape";
    case 2: return "morph shape";
    case 3: return "bitmap";
    case 4: return "sprite";
    case 5: return "font";
    case 6: return "text";
    case 7: return "edit text";
    case 8: return "button";
    case 9: return "video";
    default: return "?";
    }
}

void dumpTimeline(const Timeline& t, const char* indent)
{
    for (size_t f = 0; f < t.frames.size(); ++f) {
        const Frame& fr = t.frames[f];
        std::printf("%sframe %zu%s%s\n", indent, f + 1, fr.label.isEmpty() ? "" : " label ",
                    qPrintable(fr.label));
        for (const FrameItem& it : fr.items) {
            if (it.kind == FrameItem::Place) {
                const PlaceObject& p = it.place;
                std::printf("%s  place%d depth %d%s char %d%s%s%s\n", indent, p.version, p.depth, p.move ? " move" : "",
                            p.hasCharacter ? p.characterId : -1, p.hasName ? " name " : "", qPrintable(p.name),
                            p.hasClipDepth ? qPrintable(QStringLiteral(" clip to %1").arg(p.clipDepth)) : "");
                if (p.blendMode != BlendMode::Normal || p.cacheAsBitmap)
                    std::printf("%s    blend %d%s\n", indent, int(p.blendMode), p.cacheAsBitmap ? " cacheAsBitmap" : "");
                for (const Filter& x : p.filters)
                    std::printf("%s    filter %d #%02x%02x%02x%02x blur %g x %g angle %g distance %g strength %g "
                                "passes %d%s%s%s\n",
                                indent, int(x.type), x.color.r, x.color.g, x.color.b, x.color.a, x.blurX, x.blurY,
                                x.angle, x.distance, x.strength, x.passes, x.inner ? " inner" : "",
                                x.knockout ? " knockout" : "", x.compositeSource ? "" : " no-source");
            } else if (it.kind == FrameItem::Remove) {
                std::printf("%s  remove depth %d\n", indent, it.depth);
            } else {
                std::printf("%s  actions %lld bytes\n", indent, static_cast<long long>(it.actions.size()));
            }
        }
    }
}

} // namespace

int main(int argc, char** argv)
{
    // Headless tools: no display needed unless the caller picks a platform.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    if (argc < 2) {
        std::fprintf(stderr, "usage: swfdump MOVIE [--fills]\n");
        return 2;
    }
    const bool verbose = argc > 2 && QByteArray(argv[2]) == "--fills";
    QFile f(QString::fromLocal8Bit(argv[1]));
    if (!f.open(QIODevice::ReadOnly)) {
        std::fprintf(stderr, "cannot open %s\n", argv[1]);
        return 1;
    }
    const ParseResult r = parseMovie(f.readAll());
    for (const QString& line : r.log)
        std::printf("log: %s\n", qPrintable(line));
    if (!r.movie) {
        std::fprintf(stderr, "error: %s\n", qPrintable(r.error));
        return 1;
    }
    const Movie& m = *r.movie;
    std::printf("%cWS version %d, stage %g x %g, %g fps, %d frames, background #%02x%02x%02x\n", m.signature, m.version,
                m.frameSize.width() / 20.0, m.frameSize.height() / 20.0, m.frameRate, m.frameCount, m.background.r,
                m.background.g, m.background.b);
    std::printf("tags:\n");
    for (const TagInfo& t : r.tags)
        std::printf("  @%lld %s (%d) %lld bytes, frame %d%s\n", static_cast<long long>(t.offset), tagName(t.code), t.code,
                    static_cast<long long>(t.length), t.frame + 1,
                    t.spriteId >= 0 ? qPrintable(QStringLiteral(" in sprite %1").arg(t.spriteId)) : "");
    std::printf("characters:\n");
    for (const auto& [id, c] : m.characters) {
        std::printf("  %d %s", id, kindName(*c));
        if (const auto* b = std::get_if<Bitmap>(c.get()))
            std::printf(" %d x %d", b->image.width(), b->image.height());
        if (const auto* s = std::get_if<ShapeData>(c.get()))
            std::printf(" %zu edges, %zu fills, %zu lines", s->edges.size(), s->fills.size(), s->lines.size());
        if (const auto* v = std::get_if<VideoStream>(c.get()))
            std::printf(" %d x %d, codec %d, %zu of %d frames, deblocking %d, smoothing %d", v->width, v->height, v->codec,
                        v->packets.size(), v->declaredFrames, v->deblocking, v->smoothing ? 1 : 0);
        std::printf("\n");
        if (const auto* s = std::get_if<ShapeData>(c.get()); s && verbose) {
            for (const FillStyle& fill : s->fills) {
                std::printf("      fill type 0x%02x #%02x%02x%02x%02x", unsigned(fill.type), fill.color.r, fill.color.g, fill.color.b,
                            fill.color.a);
                if (fill.type == FillType::Focal)
                    std::printf(" focal %g", fill.gradient.focal);
                for (const GradientStop& g : fill.gradient.stops)
                    std::printf(" [%d #%02x%02x%02x%02x]", g.ratio, g.color.r, g.color.g, g.color.b, g.color.a);
                std::printf("\n");
            }
            for (const LineStyle& l : s->lines)
                std::printf("      line width %d #%02x%02x%02x%02x\n", l.width, l.color.r, l.color.g, l.color.b, l.color.a);
            for (size_t e = 0; e < s->edges.size() && e < (argc > 3 ? 100000u : 12u); ++e)
                std::printf("      edge (%g,%g) -> (%g,%g) c %d (%g,%g) fills %d/%d line %d\n", s->edges[e].from.x(),
                            s->edges[e].from.y(), s->edges[e].to.x(), s->edges[e].to.y(), s->edges[e].curve ? 1 : 0, s->edges[e].control.x(), s->edges[e].control.y(), s->edges[e].fill0,
                            s->edges[e].fill1, s->edges[e].line);
        }
        if (const auto* sp = std::get_if<Sprite>(c.get()))
            dumpTimeline(sp->timeline, "    ");
    }
    for (const auto& [name, id] : m.exports)
        std::printf("export %s = %d\n", qPrintable(name), id);
    for (const InitAction& a : m.initActions)
        std::printf("init actions for %d: %lld bytes\n", a.spriteId, static_cast<long long>(a.actions.size()));
    std::printf("timeline:\n");
    dumpTimeline(m.timeline, "  ");
    return 0;
}
