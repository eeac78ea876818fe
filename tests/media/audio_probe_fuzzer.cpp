// Feeds arbitrary bytes to the audio probe as a song file: whatever a
// damaged or disguised file holds, the probe must answer without crashing
// or hanging.
#include "media/audio_probe.h"

extern "C" {
#include <libavutil/log.h>
#include <libavutil/mem.h>
}

#include <cstdint>
#include <cstdio>
#include <string>

#include <unistd.h>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    static const std::string path = "/tmp/fotarel-probe-fuzz-" + std::to_string(getpid()) + ".mp3";
    av_log_set_level(AV_LOG_QUIET);
    // Some demuxers believe sizes in their headers and ask for a gigabyte;
    // FFmpeg then fails the open, which is the path worth exercising, and
    // the fuzzer stays within its memory limit.
    av_max_alloc(64 << 20);
    std::FILE* file = std::fopen(path.c_str(), "wb");
    if (!file)
        return 0;
    std::fwrite(data, 1, size, file);
    std::fclose(file);
    const fotarel::media::AudioProbe probe = fotarel::media::probeAudio(path);
    if (probe.ok && (probe.milliseconds < 0 || probe.samples <= 0))
        __builtin_trap(); // a success must have measured something
    if (!probe.ok && probe.error.empty())
        __builtin_trap(); // a failure must say why
    std::remove(path.c_str());
    return 0;
}
