#pragma once

#include <QString>

#include <optional>

namespace fotarel::audio {

// The playing time of an audio file in milliseconds, read with FFmpeg's
// demuxers and decoders. Empty when the file cannot be opened, holds no audio
// stream, or its first audio packets cannot be decoded.
//
// When the container only estimates its duration from the bit rate (an MP3
// with a variable bit rate and no Xing/VBRI header), every packet is read and
// their durations summed, so such files get their true length.
std::optional<qint64> songLengthMs(const QString& path);

} // namespace fotarel::audio
