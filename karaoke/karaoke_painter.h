#pragma once

// Paints one song's karaoke lines over a picture of any size: the preview
// panel (800 × 450) and the frames of a render (1280 × 720, 1920 × 1080)
// show the same layout, scaled from the preview panel.
//
// Line A stands 75 pixels from the left edge, a quarter of the panel's
// height above its bottom; line B 50 pixels lower, right-aligned 20 pixels
// from the right edge behind five spaces. Each line is drawn once into two
// pictures, one in the base colour and one in the sung colour; per frame the
// base picture is placed and the sung picture over it, clipped to the width
// sung so far. Both carry the style's outline.

#include "karaoke/karaoke_table.h"
#include "karaoke/karaoke_timeline.h"
#include "karaoke/ksc_file.h"

#include <QFont>
#include <QImage>
#include <QRect>
#include <QSize>
#include <QString>

#include <array>
#include <vector>

class QPainter;

namespace fotarel::karaoke {

// The preview panel the layout is designed on.
inline constexpr int kPanelWidth = 800;
inline constexpr int kPanelHeight = 450;

// Where a slot's line goes and how wide its sung part is, in frame pixels.
struct PlacedLine {
    int line = -1;
    QRect rect;        // the line's box in the frame (its outline reaches a little beyond)
    int sungWidth = 0; // pixels of the sung picture shown from its left edge
};

class KaraokePainter {
public:
    KaraokePainter(const KscDocument& document, const KaraokeStyle& style);

    // Draws the lines showing at `songMs` (the song's own position).
    void paint(QPainter& painter, QSize frameSize, qint64 songMs);

    // What paint() would draw (tests and the benchmark).
    std::array<PlacedLine, 2> layout(QSize frameSize, qint64 songMs);

    // Frees the line pictures (they are drawn again when needed).
    void releasePictures() { pictures_ = {}; }

    // The font the lines are drawn with at a frame size.
    QFont fontFor(QSize frameSize) const;
    // The line's text as shown (converted to the row's script).
    QString lineText(int line) const;
    const KaraokeTimeline& timeline() const { return timeline_; }

private:
    struct Picture {
        int line = -1;
        QSize frameSize;
        QImage base;
        QImage sung;
        std::vector<int> edges; // x of the right edge of units 0..n-1 (cumulative width)
        int labelWidth = 0;     // the text with its five trailing spaces, plus the margin
        int pad = 0;            // room for the outline around the text, in pixels
    };
    void prepare(Picture& picture, int line, QSize frameSize) const;
    PlacedLine place(const Picture& picture, int slot, const SlotView& view, QSize frameSize) const;

    KaraokeStyle style_;
    KaraokeTimeline timeline_;
    std::vector<std::vector<QString>> units_; // per line, converted
    std::array<Picture, 2> pictures_;
};

} // namespace fotarel::karaoke
