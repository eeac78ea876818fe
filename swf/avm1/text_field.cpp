// Text field state: formats per character and the Flash Player's HTML.

#include "swf/avm1/text_field.h"
#include "swf/avm1/markup.h"

#include <QHash>

#include <algorithm>

namespace fotarel::swf::avm1 {

namespace {

template <typename T>
void take(std::optional<T>& to, const std::optional<T>& from)
{
    if (from)
        to = from;
}

template <typename T>
void keepEqual(std::optional<T>& mine, const std::optional<T>& other)
{
    if (mine != other)
        mine.reset();
}

// HTML input is bounded like any text a script gives: tags nest at most this
// deep (deeper ones are read as plain text runs of their parent).
constexpr int kMaxTagDepth = 64;

QString colorText(uint32_t c)
{
    return QStringLiteral("#%1").arg(c & 0xffffff, 6, 16, QLatin1Char('0')).toUpper();
}

struct Tag {
    QString name; // lower case
    QHash<QString, QString> attrs; // lower-case names
    bool closing = false;
    bool selfClosing = false;
};

// Reads a tag starting after '<'; `i` ends after '>'. False when malformed.
bool readTag(const QString& s, qsizetype& i, Tag& tag)
{
    const qsizetype n = s.size();
    if (i < n && s[i] == QLatin1Char('/')) {
        tag.closing = true;
        ++i;
    }
    qsizetype start = i;
    while (i < n && !s[i].isSpace() && s[i] != QLatin1Char('>') && s[i] != QLatin1Char('/'))
        ++i;
    tag.name = s.mid(start, i - start).toLower();
    while (i < n && s[i] != QLatin1Char('>')) {
        if (s[i].isSpace()) {
            ++i;
            continue;
        }
        if (s[i] == QLatin1Char('/')) {
            tag.selfClosing = true;
            ++i;
            continue;
        }
        start = i;
        while (i < n && s[i] != QLatin1Char('=') && !s[i].isSpace() && s[i] != QLatin1Char('>'))
            ++i;
        const QString key = s.mid(start, i - start).toLower();
        while (i < n && s[i].isSpace())
            ++i;
        QString value;
        if (i < n && s[i] == QLatin1Char('=')) {
            ++i;
            while (i < n && s[i].isSpace())
                ++i;
            if (i < n && (s[i] == QLatin1Char('"') || s[i] == QLatin1Char('\''))) {
                const QChar q = s[i++];
                start = i;
                while (i < n && s[i] != q)
                    ++i;
                value = s.mid(start, i - start);
                if (i < n)
                    ++i;
            } else {
                start = i;
                while (i < n && !s[i].isSpace() && s[i] != QLatin1Char('>'))
                    ++i;
                value = s.mid(start, i - start);
            }
        }
        tag.attrs.insert(key, value);
    }
    if (i >= n)
        return false;
    ++i;
    return true;
}

// Entities of the Flash Player's HTML; anything else stays as written.
bool readEntity(const QString& s, qsizetype& i, QChar& out)
{
    static const QHash<QString, QChar> names = {
        {QStringLiteral("amp"), QLatin1Char('&')},  {QStringLiteral("lt"), QLatin1Char('<')},
        {QStringLiteral("gt"), QLatin1Char('>')},   {QStringLiteral("quot"), QLatin1Char('"')},
        {QStringLiteral("apos"), QLatin1Char('\'')}, {QStringLiteral("nbsp"), QChar(0xa0)},
    };
    const qsizetype semi = s.indexOf(QLatin1Char(';'), i + 1);
    if (semi < 0 || semi - i > 10)
        return false;
    const QString name = s.mid(i + 1, semi - i - 1);
    if (name.startsWith(QLatin1Char('#'))) {
        bool ok = false;
        const uint code = name.startsWith(QLatin1String("#x"), Qt::CaseInsensitive) ? name.mid(2).toUInt(&ok, 16)
                                                                                     : name.mid(1).toUInt(&ok, 10);
        if (!ok || code > 0xffff)
            return false;
        out = QChar(char16_t(code));
    } else {
        const auto it = names.constFind(name.toLower());
        if (it == names.constEnd())
            return false;
        out = *it;
    }
    i = semi + 1;
    return true;
}

} // namespace

void TextFormat::apply(const TextFormat& o)
{
    take(font, o.font);
    take(url, o.url);
    take(target, o.target);
    take(align, o.align);
    take(size, o.size);
    take(leftMargin, o.leftMargin);
    take(rightMargin, o.rightMargin);
    take(indent, o.indent);
    take(leading, o.leading);
    take(blockIndent, o.blockIndent);
    take(color, o.color);
    take(bold, o.bold);
    take(italic, o.italic);
    take(underline, o.underline);
    take(bullet, o.bullet);
    take(kerning, o.kerning);
    take(letterSpacing, o.letterSpacing);
    take(tabStops, o.tabStops);
}

void TextFormat::intersect(const TextFormat& o)
{
    keepEqual(font, o.font);
    keepEqual(url, o.url);
    keepEqual(target, o.target);
    keepEqual(align, o.align);
    keepEqual(size, o.size);
    keepEqual(leftMargin, o.leftMargin);
    keepEqual(rightMargin, o.rightMargin);
    keepEqual(indent, o.indent);
    keepEqual(leading, o.leading);
    keepEqual(blockIndent, o.blockIndent);
    keepEqual(color, o.color);
    keepEqual(bold, o.bold);
    keepEqual(italic, o.italic);
    keepEqual(underline, o.underline);
    keepEqual(bullet, o.bullet);
    keepEqual(kerning, o.kerning);
    keepEqual(letterSpacing, o.letterSpacing);
    keepEqual(tabStops, o.tabStops);
}

TextFormat defaultTextFormat()
{
    TextFormat f;
    f.font = QStringLiteral("Times New Roman");
    f.size = 12;
    f.color = 0;
    f.bold = f.italic = f.underline = f.bullet = f.kerning = false;
    f.url = f.target = QString();
    f.align = QStringLiteral("left");
    f.leftMargin = f.rightMargin = f.indent = f.leading = f.blockIndent = 0;
    f.letterSpacing = 0;
    f.tabStops = std::vector<int>{};
    return f;
}

void TextFieldModel::replace(int begin, int end, const QString& s, const TextFormat& format)
{
    begin = std::clamp(begin, 0, length());
    end = std::clamp(end, begin, length());
    text.replace(begin, end - begin, s);
    auto shared = std::make_shared<const TextFormat>(format);
    formats.erase(formats.begin() + begin, formats.begin() + end);
    formats.insert(formats.begin() + begin, size_t(s.size()), shared);
}

TextFormat TextFieldModel::formatOf(int begin, int end) const
{
    begin = std::max(begin, 0);
    end = std::min(end, length());
    if (begin >= length())
        return newFormat;
    if (end <= begin)
        return *formats[size_t(begin)];
    TextFormat f = *formats[size_t(begin)];
    const TextFormat* last = formats[size_t(begin)].get();
    for (int i = begin + 1; i < end; ++i) {
        if (formats[size_t(i)].get() != last) {
            last = formats[size_t(i)].get();
            f.intersect(*last);
        }
    }
    return f;
}

void TextFieldModel::setFormat(int begin, int end, const TextFormat& format)
{
    begin = std::max(begin, 0);
    end = std::min(end, length());
    const TextFormat* lastIn = nullptr;
    std::shared_ptr<const TextFormat> lastOut;
    for (int i = begin; i < end; ++i) {
        if (formats[size_t(i)].get() != lastIn) {
            lastIn = formats[size_t(i)].get();
            TextFormat f = *lastIn;
            f.apply(format);
            lastOut = std::make_shared<const TextFormat>(std::move(f));
        }
        formats[size_t(i)] = lastOut;
    }
}

void appendHtml(TextFieldModel& model, const QString& html, const TextFormat& base)
{
    const bool condenseWhite = model.condenseWhite;
    std::vector<TextFormat> stack{base};
    QString run;
    auto flush = [&] {
        if (!run.isEmpty()) {
            model.replace(model.length(), model.length(), run, stack.back());
            run.clear();
        }
    };
    auto newline = [&] {
        run += QLatin1Char('\r');
    };
    const qsizetype n = html.size();
    qsizetype i = 0;
    bool lastSpace = false;
    while (i < n) {
        const QChar c = html[i];
        if (c == QLatin1Char('<')) {
            qsizetype j = i + 1;
            Tag tag;
            if (!readTag(html, j, tag))
                break; // an unterminated tag ends the text
            i = j;
            if (tag.closing) {
                if (model.multiline && (tag.name == QLatin1String("p") || tag.name == QLatin1String("li"))) {
                    // The paragraph's break takes the format of its last character.
                    flush();
                    const TextFormat& last = model.length() > 0 ? *model.formats.back() : stack.back();
                    model.replace(model.length(), model.length(), QStringLiteral("\r"), last);
                }
                if (stack.size() > 1 && (tag.name == QLatin1String("p") || tag.name == QLatin1String("font") ||
                                         tag.name == QLatin1String("b") || tag.name == QLatin1String("i") ||
                                         tag.name == QLatin1String("u") || tag.name == QLatin1String("a") ||
                                         tag.name == QLatin1String("li") || tag.name == QLatin1String("textformat"))) {
                    flush();
                    stack.pop_back();
                }
                continue;
            }
            if (tag.name == QLatin1String("br") || tag.name == QLatin1String("sbr")) {
                if (model.multiline)
                    newline();
                continue;
            }
            TextFormat f = stack.back();
            if (tag.name == QLatin1String("b"))
                f.bold = true;
            else if (tag.name == QLatin1String("i"))
                f.italic = true;
            else if (tag.name == QLatin1String("u"))
                f.underline = true;
            else if (tag.name == QLatin1String("li")) {
                f.bullet = true;
                // A list item starts its own paragraph.
                flush();
                if (model.multiline && model.length() > 0 && model.text.back() != QLatin1Char('\r'))
                    model.replace(model.length(), model.length(), QStringLiteral("\r"), *model.formats.back());
            }
            else if (tag.name == QLatin1String("a")) {
                f.url = tag.attrs.value(QStringLiteral("href"));
                f.target = tag.attrs.value(QStringLiteral("target"));
            } else if (tag.name == QLatin1String("p")) {
                if (tag.attrs.contains(QStringLiteral("align")))
                    f.align = tag.attrs.value(QStringLiteral("align")).toLower();
            } else if (tag.name == QLatin1String("font")) {
                if (tag.attrs.contains(QStringLiteral("face")))
                    f.font = tag.attrs.value(QStringLiteral("face"));
                if (tag.attrs.contains(QStringLiteral("size"))) {
                    const QString sz = tag.attrs.value(QStringLiteral("size"));
                    bool ok = false;
                    const int v = sz.toInt(&ok);
                    if (ok && (sz.startsWith(QLatin1Char('+')) || sz.startsWith(QLatin1Char('-'))))
                        f.size = f.size.value_or(12) + v;
                    else if (ok)
                        f.size = v;
                }
                if (tag.attrs.contains(QStringLiteral("color"))) {
                    QString col = tag.attrs.value(QStringLiteral("color"));
                    if (col.startsWith(QLatin1Char('#')))
                        col = col.mid(1);
                    bool ok = false;
                    const uint v = col.toUInt(&ok, 16);
                    if (ok)
                        f.color = v;
                }
                if (tag.attrs.contains(QStringLiteral("letterspacing")))
                    f.letterSpacing = tag.attrs.value(QStringLiteral("letterspacing")).toDouble();
                if (tag.attrs.contains(QStringLiteral("kerning")))
                    f.kerning = tag.attrs.value(QStringLiteral("kerning")).toInt() != 0;
            } else if (tag.name == QLatin1String("textformat")) {
                auto num = [&](const char* name, std::optional<int>& to) {
                    const QString key = QString::fromLatin1(name);
                    if (tag.attrs.contains(key))
                        to = tag.attrs.value(key).toInt();
                };
                num("leftmargin", f.leftMargin);
                num("rightmargin", f.rightMargin);
                num("indent", f.indent);
                num("leading", f.leading);
                num("blockindent", f.blockIndent);
            } else {
                continue; // unknown tags are dropped, their text kept
            }
            if (tag.selfClosing || stack.size() >= kMaxTagDepth)
                continue;
            flush();
            stack.push_back(std::move(f));
            continue;
        }
        QChar ch = c;
        if (c == QLatin1Char('&')) {
            if (!readEntity(html, i, ch))
                ++i;
        } else {
            ++i;
            if (c == QLatin1Char('\n') || c == QLatin1Char('\r')) {
                if (condenseWhite) {
                    ch = QLatin1Char(' ');
                } else {
                    // "\r\n" is one line break.
                    if (c == QLatin1Char('\r') && i < n && html[i] == QLatin1Char('\n'))
                        ++i;
                    ch = QLatin1Char('\r');
                }
            }
        }
        const bool space = condenseWhite && (ch == QLatin1Char(' ') || ch == QLatin1Char('\t'));
        if (space && lastSpace)
            continue;
        lastSpace = space;
        run += ch;
    }
    flush();
}

QString toHtml(const TextFieldModel& model)
{
    QString out;
    const int n = model.length();
    if (n == 0)
        return out;
    int start = 0;
    auto fontAttrs = [](const TextFormat& f, const TextFormat* base) {
        QString a;
        auto differs = [&](auto member) { return !base || (f.*member) != (base->*member); };
        if (differs(&TextFormat::font))
            a += QStringLiteral(" FACE=\"%1\"").arg(escapeMarkup(f.font.value_or(QString())));
        if (differs(&TextFormat::size))
            a += QStringLiteral(" SIZE=\"%1\"").arg(f.size.value_or(12));
        if (differs(&TextFormat::color))
            a += QStringLiteral(" COLOR=\"%1\"").arg(colorText(f.color.value_or(0)));
        if (differs(&TextFormat::letterSpacing))
            a += QStringLiteral(" LETTERSPACING=\"%1\"").arg(f.letterSpacing.value_or(0));
        if (differs(&TextFormat::kerning))
            a += QStringLiteral(" KERNING=\"%1\"").arg(f.kerning.value_or(false) ? 1 : 0);
        return a;
    };
    // One paragraph per line; a text that ends with a break still ends there.
    do {
        int end = start;
        while (end < n && model.text[end] != QLatin1Char('\r'))
            ++end;
        const TextFormat& first = start < n ? *model.formats[size_t(start)] : model.newFormat;
        QString body;
        // FONT tags nest: a run whose font matches an open tag closes the
        // ones inside it; any other run opens a tag inside the innermost one
        // with what differs from it.
        std::vector<const TextFormat*> open{&first};
        auto sameFont = [](const TextFormat& a, const TextFormat& b) {
            return a.font == b.font && a.size == b.size && a.color == b.color && a.letterSpacing == b.letterSpacing &&
                   a.kerning == b.kerning;
        };
        auto run = [&](const QString& text, const TextFormat& f) {
            size_t level = open.size();
            while (level > 0 && !sameFont(*open[level - 1], f))
                --level;
            if (level > 0) {
                for (; open.size() > level; open.pop_back())
                    body += QStringLiteral("</FONT>");
            } else {
                body += QStringLiteral("<FONT") + fontAttrs(f, open.back()) + QLatin1Char('>');
                open.push_back(&f);
            }
            QString piece = escapeMarkup(text);
            if (f.underline.value_or(false))
                piece = QStringLiteral("<U>") + piece + QStringLiteral("</U>");
            if (f.italic.value_or(false))
                piece = QStringLiteral("<I>") + piece + QStringLiteral("</I>");
            if (f.bold.value_or(false))
                piece = QStringLiteral("<B>") + piece + QStringLiteral("</B>");
            if (!f.url.value_or(QString()).isEmpty())
                piece = QStringLiteral("<A HREF=\"%1\" TARGET=\"%2\">")
                            .arg(escapeMarkup(*f.url), escapeMarkup(f.target.value_or(QString()))) +
                        piece + QStringLiteral("</A>");
            body += piece;
        };
        int i = start;
        // An empty paragraph still shows the styles of its break.
        if (start == end)
            run(QString(), first);
        while (i < end) {
            int j = i + 1;
            while (j < end && *model.formats[size_t(j)] == *model.formats[size_t(i)])
                ++j;
            run(model.text.mid(i, j - i), *model.formats[size_t(i)]);
            i = j;
        }
        // A break in another format than the text before it is written as an
        // empty run of its own.
        if (start < end && end < n && !(*model.formats[size_t(end)] == *model.formats[size_t(end - 1)]))
            run(QString(), *model.formats[size_t(end)]);
        for (; open.size() > 1; open.pop_back())
            body += QStringLiteral("</FONT>");
        QString para = QStringLiteral("<FONT") + fontAttrs(first, nullptr) + QLatin1Char('>') + body +
                       QStringLiteral("</FONT>");
        if (first.bullet.value_or(false))
            para = QStringLiteral("<LI>") + para + QStringLiteral("</LI>");
        else
            para = QStringLiteral("<P ALIGN=\"%1\">").arg(first.align.value_or(QStringLiteral("left")).toUpper()) +
                   para + QStringLiteral("</P>");
        QString tf;
        auto attr = [&](const char* name, const std::optional<int>& v) {
            if (v.value_or(0) != 0)
                tf += QStringLiteral(" %1=\"%2\"").arg(QLatin1String(name)).arg(*v);
        };
        attr("LEFTMARGIN", first.leftMargin);
        attr("RIGHTMARGIN", first.rightMargin);
        attr("INDENT", first.indent);
        attr("LEADING", first.leading);
        attr("BLOCKINDENT", first.blockIndent);
        if (!first.tabStops.value_or(std::vector<int>{}).empty()) {
            QStringList stops;
            for (int t : *first.tabStops)
                stops << QString::number(t);
            tf += QStringLiteral(" TABSTOPS=\"%1\"").arg(stops.join(QLatin1Char(',')));
        }
        if (!tf.isEmpty())
            para = QStringLiteral("<TEXTFORMAT") + tf + QLatin1Char('>') + para + QStringLiteral("</TEXTFORMAT>");
        out += para;
        start = end + 1;
    } while (start < n);
    return out;
}

} // namespace fotarel::swf::avm1
