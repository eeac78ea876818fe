#pragma once

// One lyric line drawn as a picture, placed on a panel by its style. The
// style window's sample, the previews' black panel and the rendered frames
// all draw their line with this, so they look alike.

#include "audio/lyric_table.h"

#include <QImage>
#include <QPoint>
#include <QRect>
#include <QSize>
#include <QString>

namespace fotarel::audio {

struct LyricPicture {
    QImage image;   // the text on transparency with its outline; null when the text is blank
    QPoint position; // the image's top-left on the panel
    QRect box;       // the line's own box on the panel, where the style places it (the outline reaches beyond)
    int pixelSize = 0; // the font's pixel size after any shrinking
};

// Draws `text` (blank ends trimmed) in `style` for a panel of `panel` pixels
// whose lyric sizes follow a panel `designWidth` pixels wide (the size is
// s x designWidth div 513 points), everything then scaled by
// panel.width() / designWidth. A line wider than the panel less its two
// margins is shrunk until it fits, so nothing is cut at the panel's edge.
LyricPicture drawLyricLine(const QString& text, const LyricStyle& style, QSize panel, int designWidth);

} // namespace fotarel::audio
