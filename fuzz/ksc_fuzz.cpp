// Feeds arbitrary bytes to the KSC reader (text decoding included) and runs
// the line timing over the lines it keeps, at every frame of the first
// minutes and at the edges of each line.
#include "karaoke/karaoke_timeline.h"
#include "karaoke/ksc_file.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    using namespace fotarel::karaoke;
    const KscDocument document =
        parseKsc(QByteArray::fromRawData(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size)));
    if (!document.ok())
        return 0;
    const KaraokeTimeline timeline(document);
    for (qint64 ms = 0; ms < 120000; ms += 200)
        (void)timeline.at(ms);
    for (const KscLine& line : document.lines) {
        for (const qint64 ms : {line.startMs - 1, line.startMs, line.startMs + 39, line.endMs, line.endMs + 1000})
            (void)timeline.at(ms);
    }
    return 0;
}
