#pragma once

#include <QString>

#include <optional>

namespace fotarel::audio {

// The playing time of an audio file in milliseconds, measured by decoding it
// (media::probeAudio). Empty when the file cannot be opened or nothing in it
// decodes as audio.
std::optional<qint64> songLengthMs(const QString& path);

} // namespace fotarel::audio
