#include "media/audio_probe.h"

#include "media/audio_reader.h"
#include "media/ffmpeg_util.h"

namespace fotarel::media {

AudioProbe probeAudio(const std::string& path)
{
    detail::quietLibraryLog();
    AudioProbe probe;
    detail::AudioReader reader;
    if (!reader.open(path)) {
        probe.error = reader.error();
        return probe;
    }
    while (const AVFrame* frame = reader.next()) {
        if (probe.sampleRate == 0) {
            probe.sampleRate = frame->sample_rate;
            probe.channels = frame->ch_layout.nb_channels;
        }
    }
    if (!reader.error().empty()) {
        probe.error = reader.error();
        return probe;
    }
    probe.ok = true;
    probe.samples = reader.decodedSamples();
    probe.milliseconds = (reader.decodedMicroseconds() + 500) / 1000;
    return probe;
}

} // namespace fotarel::media
