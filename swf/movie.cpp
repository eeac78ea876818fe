#include "swf/movie.h"

#include "swf/bit_reader.h"
#include "swf/bitmap_decode.h"
#include "swf/shape_reader.h"

#include "core/text_decode.h"

#include <algorithm>

#include <lzma.h>
#include <zlib.h>

#include <QtEndian>

namespace fotarel::swf {

QString BitReader::string(int version)
{
    align();
    qint64 start = pos_;
    while (pos_ < size_ && d_[pos_] != 0)
        ++pos_;
    QByteArray raw(reinterpret_cast<const char*>(d_ + start), pos_ - start);
    if (pos_ < size_)
        ++pos_; // the terminator
    else
        overrun_ = true;
    return version >= 6 ? QString::fromUtf8(raw) : fotarel::decodeText(raw);
}

Rgba ColorTransform::apply(Rgba c) const
{
    auto ch = [](uint8_t v, float mul, float add) {
        float x = v * mul + add;
        return uint8_t(x < 0 ? 0 : x > 255 ? 255 : x + 0.5f > 255 ? 255 : int(x + 0.5f));
    };
    return Rgba{ch(c.r, rMul, rAdd), ch(c.g, gMul, gAdd), ch(c.b, bMul, bAdd), ch(c.a, aMul, aAdd)};
}

ColorTransform ColorTransform::after(const ColorTransform& in) const
{
    ColorTransform o;
    o.rMul = rMul * in.rMul;
    o.gMul = gMul * in.gMul;
    o.bMul = bMul * in.bMul;
    o.aMul = aMul * in.aMul;
    o.rAdd = in.rAdd * rMul + rAdd;
    o.gAdd = in.gAdd * gMul + gAdd;
    o.bAdd = in.bAdd * bMul + bAdd;
    o.aAdd = in.aAdd * aMul + aAdd;
    return o;
}

const char* tagName(int code)
{
    switch (code) {
    case 0: return "End";
    case 1: return "ShowFrame";
    case 2: return "DefineShape";
    case 4: return "PlaceObject";
    case 5: return "RemoveObject";
    case 6: return "DefineBits";
    case 7: return "DefineButton";
    case 8: return "JPEGTables";
    case 9: return "SetBackgroundColor";
    case 10: return "DefineFont";
    case 11: return "DefineText";
    case 12: return "DoAction";
    case 13: return "DefineFontInfo";
    case 14: return "DefineSound";
    case 15: return "StartSound";
    case 17: return "DefineButtonSound";
    case 18: return "SoundStreamHead";
    case 19: return "SoundStreamBlock";
    case 20: return "DefineBitsLossless";
    case 21: return "DefineBitsJPEG2";
    case 22: return "DefineShape2";
    case 23: return "DefineButtonCxform";
    case 24: return "Protect";
    case 26: return "PlaceObject2";
    case 28: return "RemoveObject2";
    case 32: return "DefineShape3";
    case 33: return "DefineText2";
    case 34: return "DefineButton2";
    case 35: return "DefineBitsJPEG3";
    case 36: return "DefineBitsLossless2";
    case 37: return "DefineEditText";
    case 39: return "DefineSprite";
    case 43: return "FrameLabel";
    case 45: return "SoundStreamHead2";
    case 46: return "DefineMorphShape";
    case 48: return "DefineFont2";
    case 56: return "ExportAssets";
    case 57: return "ImportAssets";
    case 58: return "EnableDebugger";
    case 59: return "DoInitAction";
    case 60: return "DefineVideoStream";
    case 61: return "VideoFrame";
    case 62: return "DefineFontInfo2";
    case 64: return "EnableDebugger2";
    case 65: return "ScriptLimits";
    case 66: return "SetTabIndex";
    case 69: return "FileAttributes";
    case 70: return "PlaceObject3";
    case 71: return "ImportAssets2";
    case 73: return "DefineFontAlignZones";
    case 74: return "CSMTextSettings";
    case 75: return "DefineFont3";
    case 76: return "SymbolClass";
    case 77: return "Metadata";
    case 78: return "DefineScalingGrid";
    case 82: return "DoABC";
    case 83: return "DefineShape4";
    case 84: return "DefineMorphShape2";
    case 86: return "DefineSceneAndFrameLabelData";
    case 87: return "DefineBinaryData";
    case 88: return "DefineFontName";
    case 89: return "StartSound2";
    case 90: return "DefineBitsJPEG4";
    case 91: return "DefineFont4";
    default: return "Unknown";
    }
}

QByteArray decompressContainer(const QByteArray& file, QString* error)
{
    auto fail = [&](const QString& why) {
        if (error)
            *error = why;
        return QByteArray();
    };
    if (file.size() < 8)
        return fail(QStringLiteral("file too short for a SWF header"));
    const char sig = file[0];
    if ((sig != 'F' && sig != 'C' && sig != 'Z') || file[1] != 'W' || file[2] != 'S')
        return fail(QStringLiteral("no SWF signature"));
    const quint32 declared = qFromLittleEndian<quint32>(file.constData() + 4);
    if (declared < 8)
        return fail(QStringLiteral("declared length %1 too short").arg(declared));
    // The declared length bounds the output, but never beyond our limit.
    const qint64 want = std::min<qint64>(declared, limits::kMaxMovieBytes);
    if (sig == 'F')
        return file.left(int(std::min<qint64>(file.size(), want)));

    QByteArray out;
    out.resize(int(want));
    memcpy(out.data(), file.constData(), 8);
    out[0] = 'F';
    qint64 produced = 8;
    if (sig == 'C') {
        z_stream zs{};
        if (inflateInit(&zs) != Z_OK)
            return fail(QStringLiteral("zlib init failed"));
        zs.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(file.constData() + 8));
        zs.avail_in = uInt(file.size() - 8);
        zs.next_out = reinterpret_cast<Bytef*>(out.data() + 8);
        zs.avail_out = uInt(want - 8);
        int rc = inflate(&zs, Z_FINISH);
        produced = 8 + qint64(zs.total_out);
        inflateEnd(&zs);
        if (rc != Z_STREAM_END && rc != Z_BUF_ERROR && rc != Z_OK)
            return fail(QStringLiteral("zlib data corrupt"));
    } else {
        // ZWS: length, compressed length, 5 property bytes, raw LZMA data.
        if (file.size() < 17)
            return fail(QStringLiteral("LZMA header truncated"));
        lzma_stream ls = LZMA_STREAM_INIT;
        if (lzma_alone_decoder(&ls, 256u << 20) != LZMA_OK)
            return fail(QStringLiteral("lzma init failed"));
        // Rebuild a .lzma header: properties and the uncompressed size.
        uint8_t header[13];
        memcpy(header, file.constData() + 12, 5);
        quint64 unpacked = quint64(declared - 8);
        for (int i = 0; i < 8; ++i)
            header[5 + i] = uint8_t(unpacked >> (8 * i));
        ls.next_in = header;
        ls.avail_in = sizeof header;
        ls.next_out = reinterpret_cast<uint8_t*>(out.data() + 8);
        ls.avail_out = size_t(want - 8);
        lzma_ret rc = lzma_code(&ls, LZMA_RUN);
        if (rc == LZMA_OK) {
            ls.next_in = reinterpret_cast<const uint8_t*>(file.constData() + 17);
            ls.avail_in = size_t(file.size() - 17);
            rc = lzma_code(&ls, LZMA_FINISH);
        }
        produced = 8 + qint64(ls.total_out);
        lzma_end(&ls);
        if (rc != LZMA_OK && rc != LZMA_STREAM_END && rc != LZMA_BUF_ERROR)
            return fail(QStringLiteral("LZMA data corrupt"));
    }
    out.resize(int(produced));
    return out;
}

namespace {

class Parser {
public:
    Parser(ParseResult& result, Movie& movie) : res_(result), m_(movie) {}

    void parseTags(BitReader& r, Timeline& timeline, int spriteId, int* frameCount);
    // Puts each video's packets in frame order, one per frame number.
    void finishVideos();

private:
    void log(const QString& line) { res_.log << line; }
    void define(uint16_t id, Character&& c, int code)
    {
        if (m_.characters.count(id)) {
            log(QStringLiteral("%1: character %2 defined twice, first kept").arg(tagName(code)).arg(id));
            return;
        }
        m_.characters[id] = std::make_shared<const Character>(std::move(c));
    }
    bool takeBitmapBudget(const QImage& img, uint16_t id)
    {
        const qint64 px = qint64(img.width()) * img.height();
        if (m_.bitmapPixels + px > limits::kMaxTotalBitmapPixels) {
            log(QStringLiteral("bitmap %1 skipped: movie bitmap memory limit reached").arg(id));
            return false;
        }
        m_.bitmapPixels += px;
        return true;
    }

    // Glyph outlines of all fonts share one budget of path elements, so a
    // font whose glyph offsets all point at one long record stays cheap.
    bool glyphsWithinBudget(const Font& f, int code, uint16_t id)
    {
        if (!f.glyphs.empty())
            glyphElements_ += f.glyphs.back().path.elementCount();
        if (glyphElements_ <= kMaxGlyphElements)
            return true;
        if (!glyphBudgetLogged_)
            log(QStringLiteral("%1 %2: glyph outline limit reached; further glyphs empty").arg(tagName(code)).arg(id));
        glyphBudgetLogged_ = true;
        return false;
    }
    static constexpr qint64 kMaxGlyphElements = 4'000'000;
    qint64 glyphElements_ = 0;
    bool glyphBudgetLogged_ = false;

    void defineBitmap(int code, BitReader& t);
    void defineFont(int code, BitReader& t);
    void defineFontInfo(int code, BitReader& t);
    void defineText(int code, BitReader& t);
    void defineEditText(BitReader& t);
    void defineButton(int code, BitReader& t);
    bool placeObject(int code, BitReader& t, PlaceObject& p);
    void defineVideoStream(BitReader& t);
    void videoFrame(BitReader& t);

    ParseResult& res_;
    Movie& m_;
    QByteArray jpegTables_;
    // Video streams still taking VideoFrame tags (the movie only hands out
    // read-only characters).
    std::map<uint16_t, std::shared_ptr<Character>> videos_;
};

void Parser::defineVideoStream(BitReader& t)
{
    const uint16_t id = t.u16();
    VideoStream v;
    v.declaredFrames = t.u16();
    v.width = t.u16();
    v.height = t.u16();
    const uint8_t flags = t.u8();
    v.deblocking = (flags >> 1) & 7;
    v.smoothing = flags & 1;
    v.codec = t.u8();
    if (t.overrun()) {
        log(QStringLiteral("DefineVideoStream %1 skipped: truncated").arg(id));
        return;
    }
    if (m_.characters.count(id)) {
        log(QStringLiteral("DefineVideoStream: character %1 defined twice, first kept").arg(id));
        return;
    }
    auto c = std::make_shared<Character>(std::move(v));
    videos_[id] = c;
    m_.characters[id] = c;
}

void Parser::videoFrame(BitReader& t)
{
    const uint16_t id = t.u16();
    const int frame = t.u16();
    auto it = videos_.find(id);
    if (t.overrun() || it == videos_.end()) {
        log(QStringLiteral("VideoFrame for %1 skipped: %2").arg(id).arg(t.overrun() ? "truncated" : "no such video"));
        return;
    }
    // Frame numbers are 16 bits; the packets' bytes come from the movie.
    std::get<VideoStream>(*it->second).packets.push_back(VideoPacket{frame, t.rest()});
}

void Parser::finishVideos()
{
    for (auto& [id, c] : videos_) {
        auto& packets = std::get<VideoStream>(*c).packets;
        std::stable_sort(packets.begin(), packets.end(),
                         [](const VideoPacket& a, const VideoPacket& b) { return a.frame < b.frame; });
        auto end = std::unique(packets.begin(), packets.end(),
                               [](const VideoPacket& a, const VideoPacket& b) { return a.frame == b.frame; });
        if (end != packets.end())
            log(QStringLiteral("video %1: %2 frames given twice, first kept").arg(id).arg(packets.end() - end));
        packets.erase(end, packets.end());
    }
    videos_.clear();
}

void Parser::defineBitmap(int code, BitReader& t)
{
    const uint16_t id = t.u16();
    QString why;
    QImage img;
    if (code == 20 || code == 36) {
        const int format = t.u8();
        const int w = t.u16(), h = t.u16();
        const int tableSize = format == 3 ? t.u8() + 1 : 0;
        img = decodeLossless(format, w, h, tableSize, code == 36, t.rest(), &why);
    } else if (code == 6) {
        img = decodeJpeg(jpegTables_, t.rest(), QByteArray(), &why);
    } else if (code == 21) {
        img = decodeImageData(t.rest(), &why);
    } else { // 35, 90
        const quint32 alphaOffset = t.u32();
        if (code == 90)
            t.u16(); // deblocking parameter: no effect on our output
        QByteArray data = t.bytes(alphaOffset);
        QByteArray alpha = t.rest();
        img = decodeJpeg(QByteArray(), data, alpha, &why);
    }
    if (img.isNull()) {
        log(QStringLiteral("%1 %2 skipped: %3").arg(tagName(code)).arg(id).arg(why));
        return;
    }
    if (!takeBitmapBudget(img, id))
        return;
    define(id, Bitmap{std::move(img)}, code);
}

void Parser::defineFont(int code, BitReader& t)
{
    const uint16_t id = t.u16();
    Font f;
    if (code == 10) {
        const qint64 base = t.pos();
        const uint16_t first = t.u16();
        const int n = first / 2;
        std::vector<uint32_t> offsets{first};
        for (int i = 1; i < n; ++i)
            offsets.push_back(t.u16());
        for (int i = 0; i < n && !t.overrun() && glyphsWithinBudget(f, code, id); ++i) {
            t.seek(base + offsets[size_t(i)]);
            f.glyphs.push_back(Glyph{readGlyph(t, 1), 0});
        }
        define(id, std::move(f), code);
        return;
    }
    const uint8_t flags = t.u8();
    t.u8(); // language
    const int nameLen = t.u8();
    f.name = fotarel::decodeText(t.bytes(nameLen)).remove(QChar(0));
    f.bold = flags & 0x01;
    f.italic = flags & 0x02;
    const bool wideOffsets = flags & 0x08;
    const bool wideCodes = flags & 0x04;
    f.hasLayout = flags & 0x80;
    if (code == 75)
        f.emSquare = 20480;
    const int n = t.u16();
    const qint64 base = t.pos();
    std::vector<uint32_t> offsets;
    for (int i = 0; i < n && !t.overrun(); ++i)
        offsets.push_back(wideOffsets ? t.u32() : t.u16());
    const uint32_t codeOffset = n ? (wideOffsets ? t.u32() : t.u16()) : 0;
    if (t.overrun())
        return log(QStringLiteral("%1 %2 skipped: truncated").arg(tagName(code)).arg(id));
    for (int i = 0; i < n && !t.overrun(); ++i) {
        t.seek(base + offsets[size_t(i)]);
        f.glyphs.push_back(Glyph{glyphsWithinBudget(f, code, id) ? readGlyph(t, 1) : QPainterPath(), 0});
    }
    // A glyph loop cut short by the end of the tag leaves fewer glyphs than
    // the header counted: the code and layout tables below are per glyph, so
    // the font is refused rather than read half-way.
    if (f.glyphs.size() != size_t(n))
        return log(QStringLiteral("%1 %2 skipped: truncated").arg(tagName(code)).arg(id));
    if (n) {
        t.seek(base + codeOffset);
        for (int i = 0; i < n; ++i)
            f.codes.push_back(wideCodes ? t.u16() : t.u8());
    }
    if (f.hasLayout) {
        // Ascent, descent and advances are unsigned: an advance past 32767
        // units moves the next glyph far right, not left.
        f.ascent = t.u16();
        f.descent = t.u16();
        t.s16(); // leading
        for (Glyph& g : f.glyphs)
            g.advance = t.u16();
    }
    define(id, std::move(f), code);
}

void Parser::defineFontInfo(int code, BitReader& t)
{
    const uint16_t id = t.u16();
    auto it = m_.characters.find(id);
    if (it == m_.characters.end() || !std::holds_alternative<Font>(*it->second))
        return log(QStringLiteral("%1 for unknown font %2").arg(tagName(code)).arg(id));
    Font f = std::get<Font>(*it->second);
    const int nameLen = t.u8();
    f.name = fotarel::decodeText(t.bytes(nameLen)).remove(QChar(0));
    const uint8_t flags = t.u8();
    f.bold = flags & 0x02;
    f.italic = flags & 0x04;
    const bool wide = (flags & 0x01) || code == 62;
    if (code == 62)
        t.u8(); // language
    f.codes.clear();
    for (size_t i = 0; i < f.glyphs.size() && !t.atEnd(); ++i)
        f.codes.push_back(wide ? t.u16() : t.u8());
    it->second = std::make_shared<const Character>(std::move(f));
}

void Parser::defineText(int code, BitReader& t)
{
    const uint16_t id = t.u16();
    StaticText st;
    st.bounds = readRect(t);
    st.matrix = readMatrix(t);
    const int glyphBits = t.u8(), advanceBits = t.u8();
    if (glyphBits > 32 || advanceBits > 32)
        return log(QStringLiteral("%1 %2 skipped: bad bit counts").arg(tagName(code)).arg(id));
    while (!t.overrun()) {
        const uint8_t head = t.u8();
        if (head == 0)
            break;
        TextRecord rec;
        rec.hasFont = head & 0x08;
        rec.hasColor = head & 0x04;
        rec.hasY = head & 0x02;
        rec.hasX = head & 0x01;
        if (rec.hasFont)
            rec.fontId = t.u16();
        if (rec.hasColor)
            rec.color = code == 33 ? readRgba(t) : readRgb(t);
        if (rec.hasX)
            rec.x = t.s16();
        if (rec.hasY)
            rec.y = t.s16();
        if (rec.hasFont)
            rec.height = t.u16();
        const int count = t.u8();
        for (int i = 0; i < count; ++i) {
            TextGlyph g;
            g.index = int(t.ub(glyphBits));
            g.advance = t.sb(advanceBits);
            rec.glyphs.push_back(g);
        }
        t.align();
        st.records.push_back(std::move(rec));
    }
    if (t.overrun())
        log(QStringLiteral("%1 %2: truncated records").arg(tagName(code)).arg(id));
    define(id, std::move(st), code);
}

void Parser::defineEditText(BitReader& t)
{
    const uint16_t id = t.u16();
    EditText e;
    e.bounds = readRect(t);
    const uint8_t f1 = t.u8(), f2 = t.u8();
    e.hasText = f1 & 0x80;
    e.wordWrap = f1 & 0x40;
    e.multiline = f1 & 0x20;
    e.password = f1 & 0x10;
    e.readOnly = f1 & 0x08;
    e.autoSize = f2 & 0x40;
    e.border = f2 & 0x08;
    e.html = f2 & 0x02;
    e.noSelect = f2 & 0x10;
    e.useOutlines = f2 & 0x01;
    e.hasFont = f1 & 0x01;
    if (e.hasFont)
        e.fontId = t.u16();
    if (f2 & 0x80)
        t.string(m_.version); // font class
    if (e.hasFont || (f2 & 0x80))
        e.height = t.u16();
    if (f1 & 0x04)
        e.color = readRgba(t);
    if (f1 & 0x02)
        e.maxLength = t.u16();
    if (f2 & 0x20) {
        e.align = t.u8();
        e.leftMargin = t.u16();
        e.rightMargin = t.u16();
        e.indent = t.u16();
        e.leading = t.s16();
    }
    e.variable = t.string(m_.version);
    if (e.hasText)
        e.initialText = t.string(m_.version);
    if (t.overrun())
        log(QStringLiteral("DefineEditText %1: truncated").arg(id));
    define(id, std::move(e), 37);
}

void Parser::defineButton(int code, BitReader& t)
{
    const uint16_t id = t.u16();
    Button b;
    qint64 actionStart = -1;
    if (code == 34) {
        b.trackAsMenu = t.u8() & 1;
        const qint64 here = t.pos();
        const uint16_t offset = t.u16();
        if (offset)
            actionStart = here + offset;
    }
    while (!t.overrun()) {
        const uint8_t flags = t.u8();
        if (flags == 0)
            break;
        ButtonRecord rec;
        rec.states = flags & 0x0f;
        rec.characterId = t.u16();
        rec.depth = t.u16();
        rec.matrix = readMatrix(t);
        if (code == 34) {
            rec.colorTransform = readColorTransform(t, true);
            if (flags & 0x10)
                rec.filters = readFilters(t);
            if (flags & 0x20)
                rec.blendMode = BlendMode(t.u8());
        }
        b.records.push_back(rec);
    }
    if (code == 7) {
        b.actions.push_back(ButtonAction{0x0008, t.rest()}); // release inside
    } else if (actionStart > 0) {
        t.seek(actionStart);
        while (!t.overrun() && !t.atEnd()) {
            const qint64 start = t.pos();
            const uint16_t size = t.u16();
            ButtonAction a;
            a.conditions = t.u16();
            a.actions = size ? t.bytes(size - 4) : t.rest();
            b.actions.push_back(std::move(a));
            if (size == 0)
                break;
            t.seek(start + size);
        }
    }
    if (t.overrun())
        log(QStringLiteral("%1 %2: truncated").arg(tagName(code)).arg(id));
    define(id, std::move(b), code);
}

bool Parser::placeObject(int code, BitReader& t, PlaceObject& p)
{
    if (code == 4) {
        p.version = 1;
        p.hasCharacter = true;
        p.characterId = t.u16();
        p.depth = t.u16();
        p.hasMatrix = true;
        p.matrix = readMatrix(t);
        if (!t.atEnd()) {
            p.hasColorTransform = true;
            p.colorTransform = readColorTransform(t, false);
        }
        return !t.overrun();
    }
    p.version = code == 26 ? 2 : 3;
    const uint8_t f1 = t.u8();
    const uint8_t f2 = code == 70 ? t.u8() : 0;
    p.depth = t.u16();
    if ((f2 & 0x08) || ((f2 & 0x10) && (f1 & 0x02)))
        t.string(m_.version); // class name (ActionScript 3 only)
    p.move = f1 & 0x01;
    p.hasCharacter = f1 & 0x02;
    if (p.hasCharacter)
        p.characterId = t.u16();
    if ((p.hasMatrix = f1 & 0x04))
        p.matrix = readMatrix(t);
    if ((p.hasColorTransform = f1 & 0x08))
        p.colorTransform = readColorTransform(t, true);
    if ((p.hasRatio = f1 & 0x10))
        p.ratio = t.u16();
    if ((p.hasName = f1 & 0x20))
        p.name = t.string(m_.version);
    if ((p.hasClipDepth = f1 & 0x40))
        p.clipDepth = t.u16();
    if ((p.hasFilters = f2 & 0x01))
        p.filters = readFilters(t);
    if ((p.hasBlendMode = f2 & 0x02)) {
        const uint8_t mode = t.u8();
        p.blendMode = mode <= 1 ? BlendMode::Normal : BlendMode(std::min<int>(mode, 14));
    }
    if ((p.hasCacheAsBitmap = f2 & 0x04))
        p.cacheAsBitmap = t.u8() != 0;
    if ((p.hasVisible = f2 & 0x20))
        p.visible = t.u8() != 0;
    if ((p.hasOpaqueBackground = f2 & 0x40))
        p.opaqueBackground = readRgba(t);
    if (f1 & 0x80) {
        t.u16();
        const bool wide = m_.version >= 6;
        wide ? t.u32() : t.u16();
        while (!t.overrun()) {
            ClipAction a;
            a.events = wide ? t.u32() : t.u16();
            if (a.events == 0)
                break;
            uint32_t size = t.u32();
            if (a.events & 0x20000) {
                a.keyCode = t.u8();
                size = size ? size - 1 : 0;
            }
            a.actions = t.bytes(size);
            p.clipActions.push_back(std::move(a));
        }
    }
    return !t.overrun() || code != 4;
}

void Parser::parseTags(BitReader& r, Timeline& timeline, int spriteId, int* frameCount)
{
    Frame frame;
    int frameIndex = 0;
    auto showFrame = [&] {
        if (int(timeline.frames.size()) >= limits::kMaxFrames)
            return;
        if (!frame.label.isEmpty())
            timeline.labels.emplace(frame.label, int(timeline.frames.size()));
        timeline.frames.push_back(std::move(frame));
        frame = Frame();
        ++frameIndex;
    };
    while (!r.atEnd()) {
        const qint64 tagStart = r.pos();
        const uint16_t head = r.u16();
        const int code = head >> 6;
        qint64 len = head & 0x3f;
        if (len == 0x3f)
            len = r.u32();
        if (r.overrun())
            break;
        if (len > r.remaining()) {
            log(QStringLiteral("%1 at %2: length %3 runs past the end, cut").arg(tagName(code)).arg(tagStart).arg(len));
            len = r.remaining();
        }
        res_.tags.push_back(TagInfo{code, tagStart, len, frameIndex, spriteId});
        BitReader t(r.here(), len);
        r.skip(len);
        if (code == 0)
            break;
        switch (code) {
        case 1:
            showFrame();
            break;
        case 2: case 22: case 32: case 83: {
            const uint16_t id = t.u16();
            QString why;
            ShapeData s = readShape(t, code == 2 ? 1 : code == 22 ? 2 : code == 32 ? 3 : 4, &why);
            if (!why.isEmpty())
                log(QStringLiteral("%1 %2: %3").arg(tagName(code)).arg(id).arg(why));
            define(id, std::move(s), code);
            break;
        }
        case 46: case 84: {
            const uint16_t id = t.u16();
            QString why;
            MorphShapeData s = readMorphShape(t, code == 46 ? 1 : 2, &why);
            if (!why.isEmpty())
                log(QStringLiteral("%1 %2: %3").arg(tagName(code)).arg(id).arg(why));
            define(id, std::move(s), code);
            break;
        }
        case 8:
            jpegTables_ = t.rest();
            break;
        case 6: case 20: case 21: case 35: case 36: case 90:
            defineBitmap(code, t);
            break;
        case 10: case 48: case 75:
            defineFont(code, t);
            break;
        case 13: case 62:
            defineFontInfo(code, t);
            break;
        case 11: case 33:
            defineText(code, t);
            break;
        case 37:
            defineEditText(t);
            break;
        case 7: case 34:
            defineButton(code, t);
            break;
        case 39: {
            const uint16_t id = t.u16();
            Sprite s;
            t.u16(); // declared frame count; the ShowFrame tags decide
            if (spriteId >= 0) {
                log(QStringLiteral("DefineSprite %1 inside a sprite ignored").arg(id));
                break;
            }
            int frames = 0;
            s.byteSize = t.remaining();
            BitReader inner(t.here(), t.remaining());
            parseTags(inner, s.timeline, id, &frames);
            s.frameCount = std::max<int>(1, int(s.timeline.frames.size()));
            s.timeline.frames.resize(size_t(s.frameCount));
            define(id, std::move(s), code);
            break;
        }
        case 4: case 26: case 70: {
            FrameItem item;
            item.kind = FrameItem::Place;
            if (!placeObject(code, t, item.place)) {
                log(QStringLiteral("%1 at %2 skipped: truncated").arg(tagName(code)).arg(tagStart));
                break;
            }
            frame.items.push_back(std::move(item));
            break;
        }
        case 5: case 28: {
            FrameItem item;
            item.kind = FrameItem::Remove;
            if (code == 5)
                t.u16();
            item.depth = t.u16();
            frame.items.push_back(std::move(item));
            break;
        }
        case 12: {
            FrameItem item;
            item.kind = FrameItem::Action;
            item.actions = t.rest();
            frame.items.push_back(std::move(item));
            break;
        }
        case 59: {
            InitAction a;
            a.spriteId = t.u16();
            a.actions = t.rest();
            m_.initActions.push_back(std::move(a));
            break;
        }
        case 43:
            frame.label = t.string(m_.version);
            break;
        case 9:
            m_.background = readRgb(t);
            m_.hasBackground = true;
            break;
        case 14: { // DefineSound: only its length is kept, for scripts to read
            const uint16_t id = t.u16();
            const uint8_t format = t.u8();
            const uint32_t samples = t.u32();
            static const double kRates[4] = {5512.5, 11025, 22050, 44100};
            if (!t.overrun())
                m_.soundLengthsMs[id] = double(samples) * 1000.0 / kRates[(format >> 2) & 3];
            break;
        }
        case 56: {
            const int n = t.u16();
            for (int i = 0; i < n && !t.overrun(); ++i) {
                const uint16_t id = t.u16();
                const QString name = t.string(m_.version);
                if (!t.overrun())
                    m_.exports[name] = id;
            }
            break;
        }
        case 60:
            defineVideoStream(t);
            break;
        case 61:
            videoFrame(t);
            break;
        default:
            break; // sound, metadata and ActionScript 3 tags carry nothing we paint
        }
    }
    if (!frame.items.empty() || !frame.label.isEmpty())
        showFrame();
    if (frameCount)
        *frameCount = frameIndex;
}

} // namespace

ParseResult parseMovie(const QByteArray& file)
{
    ParseResult res;
    QString error;
    const QByteArray data = decompressContainer(file, &error);
    if (data.isEmpty()) {
        res.error = error;
        return res;
    }
    auto movie = std::make_shared<Movie>();
    movie->signature = file[0];
    movie->fileLength = data.size();
    movie->version = uint8_t(data[3]);
    BitReader r(data.constData() + 8, data.size() - 8);
    movie->frameSize = readRect(r);
    movie->frameRate = r.u16() / 256.0;
    movie->frameCount = r.u16();
    if (r.overrun()) {
        res.error = QStringLiteral("header truncated");
        return res;
    }
    if (movie->frameSize.width() <= 0 || movie->frameSize.height() <= 0) {
        res.log << QStringLiteral("empty stage size; 550 x 400 used");
        movie->frameSize = Rect{0, 11000, 0, 8000};
    }
    if (!(movie->frameRate > 0))
        movie->frameRate = 12;
    Parser p(res, *movie);
    int frames = 0;
    p.parseTags(r, movie->timeline, -1, &frames);
    p.finishVideos();
    if (movie->timeline.frames.empty())
        movie->timeline.frames.resize(1);
    movie->frameCount = int(movie->timeline.frames.size());
    res.movie = std::move(movie);
    return res;
}

} // namespace fotarel::swf
