// Text fields on the stage: state from DefineEditText and createTextField,
// layout in device fonts, painting, and the Clip side of the VM's text field
// calls.

#include "swf/text_field_display.h"

#include "swf/player.h"

#include <QFontMetricsF>
#include <QGuiApplication>
#include <QHash>
#include <QRegularExpression>

#include <cmath>
#include <optional>
#include <map>

namespace fotarel::swf {

namespace {

using avm1::TextFieldModel;
using avm1::TextFormat;

constexpr double kGutterTwips = 40; // 2 pixels between the bounds and the text

QColor toColor(Rgba c) { return QColor(c.r, c.g, c.b, c.a); }

Rgba rgbOf(uint32_t c) { return Rgba{uint8_t(c >> 16), uint8_t(c >> 8), uint8_t(c), 255}; }

bool haveFonts() { return qobject_cast<QGuiApplication*>(QCoreApplication::instance()) != nullptr; }

// The Flash Player's generic device font names.
QString deviceFamily(const QString& name)
{
    if (name == QLatin1String("_sans") || name.isEmpty())
        return QStringLiteral("Sans Serif");
    if (name == QLatin1String("_serif"))
        return QStringLiteral("Serif");
    if (name == QLatin1String("_typewriter"))
        return QStringLiteral("Monospace");
    return name;
}

QFont deviceFont(const TextFormat& f)
{
    QFont font(deviceFamily(f.font.value_or(QString())));
    font.setPixelSize(std::clamp(f.size.value_or(12), 1, 2000));
    font.setBold(f.bold.value_or(false));
    font.setItalic(f.italic.value_or(false));
    font.setUnderline(f.underline.value_or(false));
    return font;
}

// Embedded-font metrics are kept in whole twips. Measuring (line breaks,
// textWidth, textHeight) cuts them down; drawing places glyphs by advances
// rounded to the nearest twip, so a glyph 15.996 px wide starts the next one
// on a whole pixel as in the Flash Player's pictures.
enum class Twips { Down, Nearest };
double toTwips(double pixels, Twips rounding = Twips::Down)
{
    return (rounding == Twips::Down ? std::floor(pixels * 20 + 1e-9) : std::round(pixels * 20)) / 20;
}

// The movie's embedded font for a format of a field with embedFonts: the
// font of the format's name with glyphs, the one of the format's style
// first.
const Font* embeddedFont(const TextFieldModel& m, const Movie* movie, const TextFormat& f)
{
    if (!m.embedFonts || !movie || !f.font)
        return nullptr;
    const Font* found = nullptr;
    for (const auto& [id, ch] : movie->characters) {
        const Font* font = ch ? std::get_if<Font>(ch.get()) : nullptr;
        if (!font || font->glyphs.empty() || font->codes.empty() || font->name != *f.font)
            continue;
        if (font->bold == f.bold.value_or(false) && font->italic == f.italic.value_or(false))
            return font;
        if (!found)
            found = font;
    }
    return found;
}

// Metrics of one format, measured once per layout: the embedded font's own
// when the field uses one, the device font's otherwise.
struct Measure {
    std::optional<QFontMetricsF> fm;
    const Font* embedded = nullptr;
    QHash<uint16_t, int> glyphOf; // embedded: glyph index by character code
    double scale = 0;             // embedded: pixels per font unit
    double size = 12, ascent = 0, descent = 0, letterSpacing = 0;
    bool kerning = false;
    Measure(const TextFormat& f, const Font* font)
    {
        size = std::clamp(f.size.value_or(12), 1, 2000);
        kerning = f.kerning.value_or(false);
        letterSpacing = f.letterSpacing.value_or(0);
        if (font) {
            embedded = font;
            scale = size / font->emSquare;
            for (size_t i = 0; i < font->codes.size() && i < font->glyphs.size(); ++i)
                glyphOf.insert(font->codes[i], int(i));
            ascent = toTwips(font->hasLayout ? font->ascent * scale : size * 0.8);
            descent = toTwips(font->hasLayout ? font->descent * scale : size * 0.2);
        } else if (haveFonts()) {
            fm.emplace(deviceFont(f));
            ascent = fm->ascent();
            descent = fm->descent();
        } else {
            ascent = size * 0.9;
            descent = size * 0.25;
        }
    }
    // The kerning adjustment between `a` and the `b` after it (embedded
    // fonts, when the format asks for kerning).
    double kern(QChar a, QChar b, Twips rounding) const
    {
        if (!kerning || !embedded || embedded->kerning.empty())
            return 0;
        const auto it = embedded->kerning.find((uint32_t(a.unicode()) << 16) | b.unicode());
        return it == embedded->kerning.end() ? 0 : toTwips(it->second * scale, rounding);
    }
    // The embedded glyph of `c`, or -1 (the character is not in the font).
    int glyph(QChar c) const { return glyphOf.value(c.unicode(), -1); }
    double advance(QChar c, Twips rounding = Twips::Down) const
    {
        if (c == QLatin1Char('\r'))
            return 0;
        if (embedded) {
            const int g = glyph(c);
            if (g < 0)
                return size * 0.5 + letterSpacing; // missing from the font: room, no glyph
            const Glyph& gl = embedded->glyphs[size_t(g)];
            return toTwips(embedded->hasLayout ? gl.advance * scale
                                               : gl.path.boundingRect().right() * scale + size * 0.1,
                           rounding) +
                   letterSpacing;
        }
        return (fm ? fm->horizontalAdvance(c) : size * 0.5) + letterSpacing;
    }
};

// The format of character i of `text` (which is the model's own text, or a
// variable's value shown in the format of the field's first character).
const TextFormat& formatAt(const TextFieldModel& m, const QString& text, int i)
{
    if (m.formats.empty())
        return m.newFormat;
    if (text.size() != m.text.size() || i >= int(m.formats.size()))
        return *m.formats[std::min(size_t(std::max(i, 0)), m.formats.size() - 1)];
    return *m.formats[size_t(std::max(i, 0))];
}

// The measures of a text's formats, each made on first use.
class Measures {
public:
    Measures(const TextFieldModel& m, const QString& text, const Movie* movie) : m_(m), text_(text), movie_(movie) {}
    const Measure& at(int i)
    {
        const TextFormat& f = formatAt(m_, text_, i);
        auto it = cache_.find(&f);
        if (it == cache_.end())
            it = cache_.try_emplace(&f, f, embeddedFont(m_, movie_, f)).first;
        return it->second;
    }

private:
    const TextFieldModel& m_;
    const QString& text_;
    const Movie* movie_;
    std::map<const TextFormat*, Measure> cache_;
};

// The room character i takes before the next one of its paragraph (which
// ends at `end`): its advance, kerned with the next character when both
// are in the same format.
double advanceAt(Measures& measures, const QString& text, int i, int end, Twips rounding = Twips::Down)
{
    const Measure& me = measures.at(i);
    double w = me.advance(text[i], rounding);
    if (me.kerning && i + 1 < end && &measures.at(i + 1) == &me)
        w += me.kern(text[i], text[i + 1], rounding);
    return w;
}

QString variablePath(const Clip& clip, const QString& variable)
{
    if (variable.startsWith(QLatin1Char('/')) || variable.startsWith(QLatin1String("_level")) || !clip.parentClip)
        return variable;
    if (variable.contains(QLatin1Char(':')) || variable.contains(QLatin1Char('/')))
        return variable;
    return clip.parentClip->targetPath() + QLatin1Char('.') + variable;
}

QString plainText(const TextFieldModel& m, const QString& value)
{
    if (!m.html)
        return value;
    TextFieldModel scratch;
    scratch.multiline = m.multiline;
    scratch.condenseWhite = m.condenseWhite;
    avm1::appendHtml(scratch, value, m.newFormat);
    return scratch.text;
}

QString normalizedBreaks(QString s)
{
    s.replace(QLatin1String("\r\n"), QLatin1String("\r"));
    s.replace(QLatin1Char('\n'), QLatin1Char('\r'));
    return s;
}

// A device coordinate on the pixel grid: to the nearest pixel edge, halves
// going down (20.5 -> 20), as the Flash Player places field boxes.
int snapToPixel(double v) { return int(std::ceil(v - 0.5)); }

// The field's box on whole device pixels when the field is upright: its
// corners may lean by less than half a pixel (a rotation of a fraction of a
// degree still paints straight). The rectangle's right and bottom are the
// pixel edges the box ends at.
std::optional<QRect> pixelBox(const QRectF& box, const QTransform& world)
{
    const QPolygonF corners = world.map(QPolygonF(box));
    const QRectF bounds = corners.boundingRect();
    const double lean = std::max(std::abs(world.m12()) * box.width(), std::abs(world.m21()) * box.height());
    if (lean >= 0.5 || world.m11() <= 0 || world.m22() <= 0 || !std::isfinite(bounds.width()) ||
        !std::isfinite(bounds.height()) || std::abs(bounds.left()) > 1e7 || std::abs(bounds.top()) > 1e7 ||
        bounds.width() > 1e7 || bounds.height() > 1e7)
        return std::nullopt;
    const int x0 = snapToPixel(bounds.left()), y0 = snapToPixel(bounds.top());
    const int x1 = snapToPixel(bounds.right()), y1 = snapToPixel(bounds.bottom());
    return QRect(QPoint(x0, y0), QSize(x1 - x0, y1 - y0));
}

// A one-pixel border along the pixel box: the top and left lines on the
// box's first row and column, the right and bottom lines on the first
// column and row past it. Fields of older movies placed from the timeline
// leave the bottom right corner pixel out, as the Flash Player draws them.
void paintPixelBorder(QPainter& p, const QRect& r, const QColor& color, bool openCorner)
{
    const int x0 = r.left(), y0 = r.top(), x1 = r.left() + r.width(), y1 = r.top() + r.height();
    p.fillRect(QRect(x0, y0, x1 - x0 + 1, 1), color);                  // top
    p.fillRect(QRect(x0, y0 + 1, 1, y1 - y0), color);                  // left
    p.fillRect(QRect(x1, y0 + 1, 1, y1 - y0 - (openCorner ? 1 : 0)), color); // right
    p.fillRect(QRect(x0 + 1, y1, x1 - x0 - (openCorner ? 1 : 0), 1), color); // bottom
}

} // namespace

std::unique_ptr<TextFieldModel> editTextModel(const EditText& e, const Movie& movie)
{
    auto m = std::make_unique<TextFieldModel>();
    m->xMin = e.bounds.xMin;
    m->yMin = e.bounds.yMin;
    m->xMax = e.bounds.xMax;
    m->yMax = e.bounds.yMax;
    m->wordWrap = e.wordWrap;
    m->multiline = e.multiline;
    m->password = e.password;
    m->editable = !e.readOnly;
    m->html = e.html;
    m->border = m->background = e.border;
    m->embedFonts = e.useOutlines;
    m->autoSize = e.autoSize ? avm1::AutoSize::Left : avm1::AutoSize::None;
    m->selectable = !e.noSelect;
    m->maxChars = e.maxLength;
    m->variable = e.variable;
    TextFormat f = avm1::defaultTextFormat();
    if (e.hasFont) {
        const Character* ch = movie.character(e.fontId);
        if (ch && std::holds_alternative<Font>(*ch)) {
            const Font& font = std::get<Font>(*ch);
            // The font's own style does not make the field's format bold or italic.
            f.font = font.name;
        }
    }
    f.size = int(std::lround(e.height / 20.0));
    f.color = (uint32_t(e.color.r) << 16) | (uint32_t(e.color.g) << 8) | e.color.b;
    static const char* const kAligns[] = {"left", "right", "center", "justify"};
    f.align = QString::fromLatin1(kAligns[std::clamp(e.align, 0, 3)]);
    f.leftMargin = int(std::lround(e.leftMargin / 20.0));
    f.rightMargin = int(std::lround(e.rightMargin / 20.0));
    f.indent = int(std::lround(e.indent / 20.0));
    f.leading = int(std::lround(e.leading / 20.0));
    m->newFormat = f;
    if (e.hasText) {
        if (e.html)
            avm1::appendHtml(*m, e.initialText, f);
        else
            m->setText(normalizedBreaks(e.initialText));
        m->initialText = m->text;
    }
    return m;
}

std::unique_ptr<TextFieldModel> scriptTextModel(double width, double height)
{
    auto m = std::make_unique<TextFieldModel>();
    m->xMax = width * 20;
    m->yMax = height * 20;
    return m;
}

TextLayout layoutText(const TextFieldModel& m, const QString& text, const Movie* movie)
{
    TextLayout out;
    const int n = std::min(int(text.size()), kMaxLaidOutChars);
    Measures measures(m, text, movie);
    auto measure = [&](int i) -> const Measure& { return measures.at(i); };
    const double areaWidth = std::max(0.0, (m.xMax - m.xMin) / 20.0 - 4);
    double top = 0;
    int paragraph = 0;
    while (true) {
        int end = paragraph;
        while (end < n && text[end] != QLatin1Char('\r'))
            ++end;
        const TextFormat& pf = formatAt(m, text, paragraph);
        const double left = pf.leftMargin.value_or(0) + pf.blockIndent.value_or(0);
        const double right = pf.rightMargin.value_or(0);
        int i = paragraph;
        bool first = true;
        do {
            TextLine line;
            line.begin = i;
            const double indent = first ? pf.indent.value_or(0) : 0;
            const double avail = areaWidth - left - right - indent;
            double x = 0, xAtBreak = 0;
            int breakAt = -1;
            while (i < end) {
                const double w = advanceAt(measures, text, i, end);
                if (m.wordWrap && i > line.begin && x + w > avail && text[i] != QLatin1Char(' ')) {
                    if (breakAt > line.begin) {
                        i = breakAt;
                        x = xAtBreak;
                    }
                    break;
                }
                x += w;
                ++i;
                if (text[i - 1] == QLatin1Char(' ')) {
                    breakAt = i;
                    xAtBreak = x;
                }
            }
            line.end = i;
            line.width = x;
            const int last = std::max(line.begin, line.end - 1);
            for (int c = line.begin; c <= last; ++c) {
                const Measure& me = measure(std::min(c, std::max(n - 1, 0)));
                line.ascent = std::max(line.ascent, me.ascent);
                line.descent = std::max(line.descent, me.descent);
                if (c >= n)
                    break;
            }
            line.leading = formatAt(m, text, line.begin).leading.value_or(0);
            const QString align = pf.align.value_or(QStringLiteral("left"));
            if (align == QLatin1String("right"))
                line.x = areaWidth - right - line.width;
            else if (align == QLatin1String("center"))
                line.x = left + indent + (avail - line.width) / 2;
            else
                line.x = left + indent;
            line.top = top;
            top += line.ascent + line.descent + line.leading;
            out.width = std::max(out.width, line.width);
            out.lines.push_back(line);
            first = false;
        } while (i < end);
        if (end >= n)
            break;
        paragraph = end + 1;
    }
    // The last line's leading is not part of the text's height, unless it
    // is the only line.
    out.height = out.lines.size() > 1 ? top - out.lines.back().leading : top;
    return out;
}

void applyAutoSize(TextFieldModel& m, const TextLayout& layout)
{
    if (m.autoSize == avm1::AutoSize::None)
        return;
    const double height = (std::ceil(layout.height) + 4) * 20;
    m.yMax = m.yMin + height;
    if (m.wordWrap)
        return;
    const double width = (std::ceil(layout.width) + 4) * 20;
    switch (m.autoSize) {
    case avm1::AutoSize::Left:
        m.xMax = m.xMin + width;
        break;
    case avm1::AutoSize::Right:
        m.xMin = m.xMax - width;
        break;
    case avm1::AutoSize::Center: {
        const double centre = (m.xMin + m.xMax) / 2;
        m.xMin = centre - width / 2;
        m.xMax = centre + width / 2;
        break;
    }
    case avm1::AutoSize::None:
        break;
    }
}

QString displayedText(const Clip& clip)
{
    const TextFieldModel* m = clip.field.get();
    if (!m)
        return {};
    if (!m->variable.isEmpty() && clip.player.scriptEngine()) {
        if (auto v = clip.player.scriptEngine()->getVariable(variablePath(clip, m->variable)))
            return normalizedBreaks(plainText(*m, *v));
    }
    return m->text;
}

void bindPlacedField(Clip& clip)
{
    TextFieldModel* m = clip.field.get();
    ScriptEngine* engine = clip.player.scriptEngine();
    if (!m || m->variable.isEmpty() || !engine)
        return;
    const QString path = variablePath(clip, m->variable);
    if (auto v = engine->getVariable(path)) {
        m->setText(normalizedBreaks(plainText(*m, *v)));
    } else if (!m->text.isEmpty()) {
        engine->setVariable(path, m->html ? avm1::toHtml(*m) : m->text);
    }
}

void paintTextField(QPainter& p, const Clip& clip, const QTransform& world, const ColorTransform& cx)
{
    const TextFieldModel* m = clip.field.get();
    if (!m)
        return;
    const QRectF box(QPointF(m->xMin, m->yMin), QPointF(m->xMax, m->yMax));
    const EditText* e = clip.character && std::holds_alternative<EditText>(*clip.character)
                            ? &std::get<EditText>(*clip.character)
                            : nullptr;
    const std::optional<QRect> pixels = pixelBox(box, world);
    if (pixels) {
        // Upright fields are painted on whole pixels, without antialiasing.
        p.setTransform(QTransform());
        if (m->background)
            p.fillRect(*pixels, toColor(cx.apply(rgbOf(m->backgroundColor))));
        if (m->border)
            paintPixelBorder(p, *pixels, toColor(cx.apply(rgbOf(m->borderColor))),
                             e && clip.movie && clip.movie->version <= 8);
        p.setTransform(world);
    } else {
        p.setTransform(world);
        if (m->background)
            p.fillRect(box, toColor(cx.apply(rgbOf(m->backgroundColor))));
        if (m->border) {
            QPen pen(toColor(cx.apply(rgbOf(m->borderColor))), 1.0);
            pen.setCosmetic(true);
            p.setPen(pen);
            p.setBrush(Qt::NoBrush);
            p.drawRect(box);
        }
    }
    QString text = displayedText(clip);
    text.truncate(kMaxLaidOutChars);
    if (m->password)
        text.fill(QLatin1Char('*'));
    if (text.isEmpty())
        return;
    const QRectF area = box.adjusted(kGutterTwips, kGutterTwips, -kGutterTwips, -kGutterTwips);
    const Movie* movie = clip.movie.get();
    const TextLayout layout = layoutText(*m, text, movie);
    if (layout.lines.empty())
        return;
    Measures measures(*m, text, movie);
    p.save();
    if (pixels) {
        p.setTransform(QTransform());
        p.setClipRect(*pixels, Qt::IntersectClip);
    } else {
        p.setClipRect(box, Qt::IntersectClip);
    }
    // Text is laid out in pixels from the text area's top left.
    const size_t firstLine = size_t(std::clamp(m->scroll - 1, 0, int(layout.lines.size()) - 1));
    const double scrollTop = layout.lines[firstLine].top;
    const QTransform textToDevice = QTransform::fromTranslate(-m->hscroll, -scrollTop) *
                                    QTransform::fromScale(20, 20) *
                                    QTransform::fromTranslate(area.left(), area.top()) * world;
    p.setTransform(textToDevice);
    for (size_t li = firstLine; li < layout.lines.size(); ++li) {
        const TextLine& line = layout.lines[li];
        if ((line.top - scrollTop) * 20 > area.height())
            break;
        double x = line.x;
        const double baseline = line.top + line.ascent;
        int i = line.begin;
        while (i < line.end) {
            const TextFormat& f = formatAt(*m, text, i);
            int j = i + 1;
            while (j < line.end && &formatAt(*m, text, j) == &f)
                ++j;
            QString run = text.mid(i, j - i);
            run.remove(QLatin1Char('\r'));
            const Measure& me = measures.at(i);
            const QColor color = toColor(cx.apply(rgbOf(f.color.value_or(0))));
            const double spacing = f.letterSpacing.value_or(0);
            if (me.embedded) {
                // Embedded glyphs: outlines in font units, baseline at y = 0.
                for (int k = i; k < j; ++k) {
                    if (text[k] == QLatin1Char('\r'))
                        continue;
                    const int g = me.glyph(text[k]);
                    if (g >= 0) {
                        p.setTransform(QTransform::fromScale(me.scale, me.scale) *
                                       QTransform::fromTranslate(x, baseline) * textToDevice);
                        p.fillPath(me.embedded->glyphs[size_t(g)].path, color);
                    }
                    x += advanceAt(measures, text, k, line.end, Twips::Nearest);
                }
                p.setTransform(textToDevice);
            } else if (haveFonts()) {
                // Device fonts need the GUI application's font database.
                p.setFont(deviceFont(f));
                p.setPen(color);
                if (spacing == 0) {
                    p.drawText(QPointF(x, baseline), run);
                    x += me.fm->horizontalAdvance(run);
                } else {
                    for (QChar c : run) {
                        p.drawText(QPointF(x, baseline), QString(c));
                        x += me.advance(c);
                    }
                }
            }
            i = j;
        }
    }
    p.restore();
}

// ------------------------------------------------------- Clip: text fields

void Clip::textChanged()
{
    if (!field)
        return;
    if (field->autoSize != avm1::AutoSize::None)
        applyAutoSize(*field, layoutText(*field, field->text, movie.get()));
}

avm1::TextMetrics Clip::textMetrics()
{
    avm1::TextMetrics out;
    if (!field)
        return out;
    const TextLayout layout = layoutText(*field, field->text, movie.get());
    out.textWidth = layout.width;
    out.textHeight = layout.height;
    out.lineCount = std::max<int>(1, int(layout.lines.size()));
    for (const TextLine& l : layout.lines)
        out.lineBottoms.push_back(l.top + l.ascent + l.descent);
    return out;
}

avm1::DisplayObjectHost* Clip::createTextField(const QString& n, int d, double x, double y, double width,
                                               double height)
{
    if (!isSprite() || player.nestingOf(*this) >= limits::kMaxNesting ||
        player.liveObjects >= limits::kMaxDisplayObjects)
        return nullptr;
    auto c = std::make_unique<Clip>(player, this, Kind::EditText);
    c->movie = movie;
    c->instanceName = n;
    c->depthValue = d + kScriptDepthBase;
    c->placedByScript = true;
    c->bornTick = player.currentTick();
    // The field sits at (x, y) in its parent; its bounds start at its origin.
    c->matrix.tx = x * 20;
    c->matrix.ty = y * 20;
    c->field = scriptTextModel(width, height);
    Clip* out = c.get();
    std::unique_ptr<Clip> old = std::move(children[out->depthValue]);
    children[out->depthValue] = std::move(c);
    player.retire(std::move(old));
    return out;
}

void Clip::resizeTextField(bool width, double pixels)
{
    // A field's _width and _height set its bounds (before its scale), not
    // its scale.
    if (!field)
        return;
    const double twips = std::max(0.0, pixelsToTwips(pixels));
    if (width)
        field->xMax = field->xMin + twips;
    else
        field->yMax = field->yMin + twips;
}

} // namespace fotarel::swf
