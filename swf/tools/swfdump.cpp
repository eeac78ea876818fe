// swfdump MOVIE: lists the tags, characters, frames and action blocks of a movie.
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
        std::fprintf(stderr, "usage: swfdump MOVIE\n");
        return 2;
    }
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
        std::printf("\n");
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
