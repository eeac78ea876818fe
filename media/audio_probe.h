#pragma once

#include <cstdint>
#include <string>

namespace fotarel::media {

// What a real decoder found in an audio file.
struct AudioProbe {
    bool ok = false;
    std::int64_t milliseconds = 0; // decoded duration, rounded to the nearest ms
    std::int64_t samples = 0;      // decoded samples per channel
    int sampleRate = 0;            // rate of the first decoded frame
    int channels = 0;
    std::string error;             // why the file could not be measured
};

// Measures an audio file (path in UTF-8) by decoding all of it. Container
// headers only estimate the length of some files (an MP3 without a Xing or
// VBRI header gets a length from its first frame's bit rate, which is
// wrong for variable bit rates), so the length always comes from the
// decoded sample count. Decoding an MP3 costs roughly 20 ms per minute.
AudioProbe probeAudio(const std::string& path);

} // namespace fotarel::media
