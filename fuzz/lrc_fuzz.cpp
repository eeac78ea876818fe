// Feeds arbitrary bytes to the LRC reader: text decoding, the split into tag
// rows and header rows, the timed lines and their lookup, and the session's
// LRC tables.
#include "audio/lrc.h"

#include "core/text_decode.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const QString text = fotarel::decodeText(
        QByteArray::fromRawData(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size)));
    const fotarel::audio::lrc::Parse parse = fotarel::audio::lrc::parseText(text);
    const fotarel::audio::lrc::Timeline timeline(parse);
    for (qint64 ms : {qint64(0), qint64(999), qint64(61000), qint64(3660000), qint64(1) << 40})
        (void)timeline.textAt(ms);
    for (const auto& line : timeline.lines())
        (void)timeline.indexAt(line.ms);
    static fotarel::Session session;
    fotarel::audio::lrc::storeParse(session, parse);
    return 0;
}
