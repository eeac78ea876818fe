// MP3 files as the Sound class sees them: the length, counted from the MPEG
// audio frame headers (samples per frame over the sample rate), and the
// ID3v2 text frames.

#include "swf/avm1/sound_state.h"

#include <QStringDecoder>

namespace fotarel::swf::avm1 {

namespace {

uint32_t syncSafe(const uint8_t* p)
{
    return (uint32_t(p[0] & 0x7f) << 21) | (uint32_t(p[1] & 0x7f) << 14) | (uint32_t(p[2] & 0x7f) << 7)
           | uint32_t(p[3] & 0x7f);
}

uint32_t bigEndian(const uint8_t* p)
{
    return (uint32_t(p[0]) << 24) | (uint32_t(p[1]) << 16) | (uint32_t(p[2]) << 8) | uint32_t(p[3]);
}

// A text of an ID3 frame in its encoding (0 Latin-1, 1 UTF-16 with a byte
// order mark, 2 UTF-16 big endian, 3 UTF-8), up to its terminator.
// `used` receives the bytes taken, the terminator included.
QString id3Text(int encoding, const QByteArray& data, qsizetype from, qsizetype* used = nullptr)
{
    const bool wide = encoding == 1 || encoding == 2;
    qsizetype end = from;
    if (wide) {
        while (end + 1 < data.size() && (data[end] != 0 || data[end + 1] != 0))
            end += 2;
    } else {
        while (end < data.size() && data[end] != 0)
            ++end;
    }
    const QByteArray text = data.mid(from, end - from);
    if (used)
        *used = std::min(data.size(), end + (wide ? 2 : 1)) - from;
    switch (encoding) {
    case 0: return QString::fromLatin1(text);
    case 3: return QString::fromUtf8(text);
    case 2: {
        auto decode = QStringDecoder(QStringDecoder::Utf16BE);
        return decode(text);
    }
    default: {
        QStringDecoder::Encoding e = QStringDecoder::Utf16LE;
        QByteArray body = text;
        if (body.size() >= 2 && uint8_t(body[0]) == 0xfe && uint8_t(body[1]) == 0xff) {
            e = QStringDecoder::Utf16BE;
            body.remove(0, 2);
        } else if (body.size() >= 2 && uint8_t(body[0]) == 0xff && uint8_t(body[1]) == 0xfe) {
            body.remove(0, 2);
        }
        auto decode = QStringDecoder(e);
        return decode(body);
    }
    }
}

// The Flash Player's own names of the common frames.
QString friendlyName(const QString& id)
{
    static const std::pair<const char*, const char*> names[] = {
        {"TIT2", "songname"}, {"TPE1", "artist"}, {"TALB", "album"}, {"TYER", "year"},
        {"TCON", "genre"},    {"TRCK", "track"},  {"COMM", "comment"},
    };
    for (const auto& [frame, name] : names)
        if (id == QLatin1String(frame))
            return QString::fromLatin1(name);
    return {};
}

void setTag(std::vector<std::pair<QString, QString>>& tags, const QString& name, const QString& value, bool append)
{
    for (auto& [n, v] : tags)
        if (n == name) {
            v = append ? v + QLatin1Char(',') + value : value;
            return;
        }
    tags.emplace_back(name, value);
}

// Reads the ID3v2 tag at the start; returns the bytes it takes (0: none).
qsizetype readId3(const QByteArray& bytes, Mp3Info& info)
{
    if (bytes.size() < 10 || !bytes.startsWith("ID3"))
        return 0;
    const auto* d = reinterpret_cast<const uint8_t*>(bytes.constData());
    const int major = d[3];
    const qsizetype size = qsizetype(syncSafe(d + 6));
    const qsizetype end = std::min<qsizetype>(bytes.size(), 10 + size);
    if (major != 3 && major != 4)
        return end;
    qsizetype p = 10;
    if (d[5] & 0x40 && p + 4 <= end) // an extended header
        p += major == 4 ? qsizetype(syncSafe(d + p)) : qsizetype(bigEndian(d + p)) + 4;
    while (p + 10 <= end && d[p] != 0) {
        const QString id = QString::fromLatin1(bytes.mid(p, 4));
        const qsizetype frameSize = major == 4 ? qsizetype(syncSafe(d + p + 4)) : qsizetype(bigEndian(d + p + 4));
        const qsizetype body = p + 10;
        if (frameSize <= 0 || body + frameSize > end)
            break;
        const QByteArray data = bytes.mid(body, frameSize);
        const int encoding = uint8_t(data[0]);
        QString text;
        bool known = false;
        if (id == QLatin1String("COMM") && data.size() >= 4) {
            qsizetype used = 0;
            id3Text(encoding, data, 4, &used); // the description
            text = id3Text(encoding, data, 4 + used);
            known = true;
        } else if (id.startsWith(QLatin1Char('T')) && id != QLatin1String("TXXX")) {
            text = id3Text(encoding, data, 1);
            known = true;
        }
        if (known) {
            const QString name = friendlyName(id);
            if (!name.isEmpty())
                setTag(info.tags, name, text, false);
            // Repeated comment frames are kept together.
            setTag(info.tags, id, text, id == QLatin1String("COMM"));
        }
        p = body + frameSize;
    }
    return end;
}

} // namespace

Mp3Info readMp3(const QByteArray& bytes)
{
    Mp3Info info;
    qsizetype p = readId3(bytes, info);
    static const int kBitrates[2][16] = {
        {0, 32, 40, 48, 56, 64, 80, 96, 112, 128, 160, 192, 224, 256, 320, 0}, // MPEG 1 layer III
        {0, 8, 16, 24, 32, 40, 48, 56, 64, 80, 96, 112, 128, 144, 160, 0},     // MPEG 2 / 2.5 layer III
    };
    static const int kRates[4][3] = {{11025, 12000, 8000}, {0, 0, 0}, {22050, 24000, 16000}, {44100, 48000, 32000}};
    const auto* d = reinterpret_cast<const uint8_t*>(bytes.constData());
    double seconds = 0;
    // Every step moves on by at least one byte: the walk ends.
    while (p + 4 <= bytes.size()) {
        const uint32_t h = bigEndian(d + p);
        const int version = int(h >> 19) & 3;  // 3: MPEG 1, 2: MPEG 2, 0: MPEG 2.5
        const int layer = int(h >> 17) & 3;    // 1: layer III
        const int bitrateIndex = int(h >> 12) & 15;
        const int rateIndex = int(h >> 10) & 3;
        if ((h >> 21) != 0x7ff || version == 1 || layer != 1 || bitrateIndex == 0 || bitrateIndex == 15
            || rateIndex == 3) {
            ++p;
            continue;
        }
        const int bitrate = kBitrates[version == 3 ? 0 : 1][bitrateIndex] * 1000;
        const int rate = kRates[version][rateIndex];
        const int samples = version == 3 ? 1152 : 576;
        const qsizetype frameBytes = qsizetype(samples / 8) * bitrate / rate + ((h >> 9) & 1);
        seconds += double(samples) / rate;
        p += std::max<qsizetype>(frameBytes, 1);
    }
    info.durationMs = seconds * 1000.0;
    return info;
}

} // namespace fotarel::swf::avm1
