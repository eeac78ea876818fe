#pragma once

// A parsed SWF movie: header, characters by id and the root timeline. Parsing
// happens once; the player and the renderer only read this data.

#include "swf/records.h"

#include <QImage>
#include <QPainterPath>
#include <QStringList>

#include <variant>

namespace fotarel::swf {

// Limits that keep hostile files from exhausting memory or time.
namespace limits {
constexpr qint64 kMaxMovieBytes = 64ll * 1024 * 1024;     // decompressed movie
constexpr int kMaxBitmapSide = 8192;                      // pixels per side
constexpr qint64 kMaxBitmapPixels = 32ll * 1024 * 1024;   // one bitmap
constexpr qint64 kMaxTotalBitmapPixels = 96ll * 1024 * 1024; // all bitmaps of a movie
constexpr int kMaxFrames = 16000;
constexpr int kMaxNesting = 32;                           // clip nesting when playing and painting
constexpr int kMaxDisplayObjects = 20000;                 // live display objects of a player
constexpr int kMaxEdgesPerShape = 1 << 20;
} // namespace limits

struct Bitmap {
    QImage image; // Format_ARGB32_Premultiplied
};

struct Sprite {
    Timeline timeline;
    int frameCount = 0;
    qint64 byteSize = 0; // its tags' bytes, what getBytesTotal reports for its clips
};

struct Glyph {
    QPainterPath path; // EM square of 1024 units (DefineFont3: 20480)
    double advance = 0;
};

struct Font {
    QString name;
    bool bold = false, italic = false;
    double emSquare = 1024;
    std::vector<Glyph> glyphs;
    std::vector<uint16_t> codes; // character code per glyph
    double ascent = 0, descent = 0;
    bool hasLayout = false;
};

struct TextGlyph {
    int index = 0;
    double advance = 0;
};

struct TextRecord {
    uint16_t fontId = 0;
    bool hasFont = false;
    Rgba color;
    bool hasColor = false;
    double x = 0, y = 0;
    bool hasX = false, hasY = false;
    double height = 0;
    std::vector<TextGlyph> glyphs;
};

struct StaticText {
    Rect bounds;
    Matrix matrix;
    std::vector<TextRecord> records;
};

struct EditText {
    Rect bounds;
    bool wordWrap = false, multiline = false, password = false, readOnly = false;
    bool html = false, useOutlines = false, border = false, autoSize = false, noSelect = false;
    int maxLength = 0; // 0: no limit
    uint16_t fontId = 0;
    bool hasFont = false;
    double height = 240; // twips
    Rgba color{0, 0, 0, 255};
    int align = 0; // 0 left, 1 right, 2 centre, 3 justify
    double leftMargin = 0, rightMargin = 0, indent = 0, leading = 0;
    QString variable;
    QString initialText;
    bool hasText = false;
};

struct ButtonRecord {
    uint8_t states = 0; // bit 0 up, 1 over, 2 down, 3 hit test
    uint16_t characterId = 0;
    uint16_t depth = 0;
    Matrix matrix;
    ColorTransform colorTransform;
    std::vector<Filter> filters;
    BlendMode blendMode = BlendMode::Normal;
};

struct ButtonAction {
    uint16_t conditions = 0;
    QByteArray actions;
};

struct Button {
    std::vector<ButtonRecord> records;
    std::vector<ButtonAction> actions;
    bool trackAsMenu = false;
};

// One VideoFrame tag: the compressed picture shown at this frame number.
struct VideoPacket {
    int frame = 0;
    QByteArray data;
};

// DefineVideoStream with the VideoFrame tags that belong to it. Placing it
// shows the packet whose frame number is the placement's ratio.
struct VideoStream {
    enum Codec : uint8_t { SorensonH263 = 2, ScreenVideo = 3, Vp6 = 4, Vp6Alpha = 5, ScreenVideo2 = 6 };
    int declaredFrames = 0;
    int width = 0, height = 0; // pixels
    int deblocking = 0;        // 0: as the packets say, 1: off, 2-7: filter strength
    bool smoothing = false;
    uint8_t codec = 0;
    std::vector<VideoPacket> packets; // ascending frame numbers, one packet per frame
};

using Character = std::variant<std::monostate, ShapeData, MorphShapeData, Bitmap, Sprite, Font, StaticText,
                               EditText, Button, VideoStream>;

struct InitAction {
    uint16_t spriteId = 0;
    QByteArray actions;
};

struct Movie {
    int version = 0;
    char signature = 'F'; // F, C or Z
    qint64 fileLength = 0; // uncompressed, as getBytesTotal reports it
    Rect frameSize;
    double frameRate = 12;
    int frameCount = 0;
    Rgba background{255, 255, 255, 255};
    bool hasBackground = false;
    std::map<uint16_t, std::shared_ptr<const Character>> characters;
    Timeline timeline;
    std::vector<InitAction> initActions; // in file order
    std::map<QString, uint16_t> exports; // linkage name -> character id
    std::map<uint16_t, double> soundLengthsMs; // DefineSound: character id -> length (nothing is played)
    qint64 bitmapPixels = 0;

    const Character* character(uint16_t id) const
    {
        auto it = characters.find(id);
        return it == characters.end() ? nullptr : it->second.get();
    }
};

// One tag as found in the file, for the dump tool.
struct TagInfo {
    int code = 0;
    qint64 offset = 0;
    qint64 length = 0;
    int frame = 0;
    int spriteId = -1; // tag inside the DefineSprite with this id
};

struct ParseResult {
    std::shared_ptr<Movie> movie; // null when the file is no usable movie
    QString error;                // why it is unusable
    QStringList log;              // skipped or repaired tags
    std::vector<TagInfo> tags;
};

// Parses a whole file (FWS, CWS or ZWS).
ParseResult parseMovie(const QByteArray& file);

// Decompresses the container; returns the uncompressed file with an "FWS"
// signature, or an empty array and a message.
QByteArray decompressContainer(const QByteArray& file, QString* error);

const char* tagName(int code);

} // namespace fotarel::swf
