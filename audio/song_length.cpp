#include "audio/song_length.h"

#include "media/audio_probe.h"

namespace fotarel::audio {

std::optional<qint64> songLengthMs(const QString& path)
{
    // The probe decodes the whole file, so the length is right also where
    // the container only estimates it (VBR MP3 without a Xing/VBRI header).
    // Paths go to FFmpeg as UTF-8, so Chinese characters, spaces and quotes
    // pass through unchanged.
    const media::AudioProbe probe = media::probeAudio(path.toStdString());
    if (!probe.ok)
        return std::nullopt;
    return static_cast<qint64>(probe.milliseconds);
}

} // namespace fotarel::audio
