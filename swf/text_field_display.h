#pragma once

// Text fields on the stage: the state a DefineEditText record (or
// createTextField) starts with, the layout of its text in device fonts, and
// its painting. Scripts change the state through avm1::TextFieldModel; the
// player lays the text out again after each change (metrics, autoSize).

#include "swf/avm1/text_field.h"
#include "swf/movie.h"

#include <QPainter>
#include <QString>

#include <memory>
#include <vector>

namespace fotarel::swf {

class Clip;

// The state of a field placed from a DefineEditText record.
std::unique_ptr<avm1::TextFieldModel> editTextModel(const EditText& e, const Movie& movie);
// The state of a field made by createTextField: its size in pixels.
std::unique_ptr<avm1::TextFieldModel> scriptTextModel(double width, double height);

// One laid-out line: characters [begin, end) of the text, sizes in pixels.
struct TextLine {
    int begin = 0, end = 0;
    double x = 0;      // left edge of the first character, from the text area's left (after the gutter)
    double top = 0;    // from the top of the text
    double width = 0, ascent = 0, descent = 0, leading = 0;
};

struct TextLayout {
    std::vector<TextLine> lines;
    double width = 0, height = 0; // textWidth, textHeight
};

// Text beyond this many characters is kept but neither laid out nor painted
// (no field shows that much; it bounds the work a script can cause).
constexpr int kMaxLaidOutChars = 65536;

// Lays out `text` (the field's text, or what a bound variable shows) with the
// model's per-character formats. A field with embedFonts measures with the
// movie's font of each format's name (glyph advances, ascent, descent).
// Device fonts need a GUI application; without one the sizes come from the
// format alone.
TextLayout layoutText(const avm1::TextFieldModel& m, const QString& text, const Movie* movie = nullptr);

// Grows or moves the bounds for autoSize after a layout.
void applyAutoSize(avm1::TextFieldModel& m, const TextLayout& layout);

// Paints the field (background, border, text) with `world` mapping the
// field's twips to the device.
void paintTextField(QPainter& p, const Clip& clip, const QTransform& world, const ColorTransform& cx);

// The text a field shows: its bound variable's value when the variable
// exists, its own text otherwise.
QString displayedText(const Clip& clip);

// A field placed on the stage with a variable: it takes the variable's value,
// or gives the variable its own initial text when the variable is not set.
void bindPlacedField(Clip& clip);

} // namespace fotarel::swf
