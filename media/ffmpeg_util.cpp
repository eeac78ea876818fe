#include "media/ffmpeg_util.h"

extern "C" {
#include <libavutil/log.h>
}

#include <cstdlib>
#include <mutex>

namespace fotarel::media::detail {

std::string errorText(int code)
{
    char buffer[AV_ERROR_MAX_STRING_SIZE] = {};
    if (av_strerror(code, buffer, sizeof buffer) < 0)
        return "error " + std::to_string(code);
    return buffer;
}

std::string fileUrl(const std::string& path)
{
    return "file:" + path;
}

void quietLibraryLog()
{
    static std::once_flag once;
    std::call_once(once, [] {
        const char* keep = std::getenv("FOTAREL_FFMPEG_LOG");
        if (!keep || !*keep)
            av_log_set_level(AV_LOG_QUIET);
    });
}

} // namespace fotarel::media::detail
