#pragma once

// The outline (描边) drawn around lyric, karaoke and caption text, so light
// text stays readable on light pictures and dark text on dark ones. A style
// keeps it in three cells of its row: the colour's name, its 0x00BBGGRR
// value in decimal and the width.

#include "core/table.h"

#include <QColor>
#include <QFont>
#include <QPointF>
#include <QString>

class QPainter;

namespace fotarel {

struct TextOutline {
    QString colourName = QStringLiteral("clBlack");
    unsigned colourValue = 0;
    // Pixels around each glyph on a 1920-pixel-wide frame, scaled with the
    // picture it is drawn on; 0 draws no outline.
    int width = 2;

    friend bool operator==(const TextOutline&, const TextOutline&) = default;
};

inline constexpr int kOutlineDesignWidth = 1920;
inline constexpr int kMaxOutlineWidth = 10;

// The outline kept in cells first, first + 1, first + 2 of `row`. Cells a
// row does not have (rows saved before outlines existed) give the default
// thin dark outline; a width that is no number 0-10 gives the default width.
TextOutline outlineOfRow(const Row& row, int first);
void writeOutline(Row& row, int first, const TextOutline& outline);

// The outline's width in pixels on a picture `pictureWidth` pixels wide.
double outlinePixels(const TextOutline& outline, int pictureWidth);

// Draws `text` with its baseline starting at `baseline`, filled with `fill`
// and surrounded by `outline` `pixels` wide (nothing around it when 0).
void drawOutlinedText(QPainter& painter, QPointF baseline, const QFont& font, const QString& text, const QColor& fill,
                      const QColor& outline, double pixels);

} // namespace fotarel
