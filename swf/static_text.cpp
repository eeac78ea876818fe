// The characters of a clip's static texts, as TextSnapshot reads them.

#include "swf/clip.h"

namespace fotarel::swf {

avm1::DisplayObjectHost::StaticChars Clip::staticText() const
{
    StaticChars out;
    for (const auto& [depth, child] : children) {
        if (!child || child->kind != Kind::StaticText || !child->character || !child->movie)
            continue;
        const auto* st = std::get_if<StaticText>(child->character.get());
        if (!st)
            continue;
        // Each text starts a line; inside it, a record that moves down does.
        if (!out.text.isEmpty())
            out.lineStarts.push_back(int(out.text.size()));
        const Font* font = nullptr;
        double y = 0;
        bool first = true;
        for (const TextRecord& rec : st->records) {
            if (rec.hasFont) {
                const Character* ch = child->movie->character(rec.fontId);
                font = ch ? std::get_if<Font>(ch) : nullptr;
            }
            if (rec.hasY && rec.y != y) {
                if (!first && !out.text.isEmpty() && (out.lineStarts.empty() || out.lineStarts.back() != out.text.size()))
                    out.lineStarts.push_back(int(out.text.size()));
                y = rec.y;
            }
            first = false;
            for (const TextGlyph& g : rec.glyphs) {
                // A glyph without a code (a font without its code table) reads as nothing.
                if (font && g.index >= 0 && size_t(g.index) < font->codes.size())
                    out.text += QChar(char16_t(font->codes[size_t(g.index)]));
            }
        }
    }
    return out;
}

} // namespace fotarel::swf
