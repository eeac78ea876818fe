#include "media/ffmpeg_util.h"

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

} // namespace fotarel::media::detail
