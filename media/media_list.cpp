#include "media/audio_probe.h"
#include "media/conversion.h"

namespace fotarel::media {

int MediaList::add(const std::string& path)
{
    if (kind_ == Kind::Audio) {
        const AudioProbe probe = probeAudio(path);
        if (probe.ok)
            samples_ += probe.samples;
    }
    entries_.emplace_back(path);
    return size() - 1;
}

int MediaList::add(const QImage& image)
{
    if (kind_ != Kind::Frame)
        return -1;
    entries_.emplace_back(image);
    return size() - 1;
}

std::optional<std::string> MediaList::name(int index) const
{
    if (index < 0 || index >= size())
        return std::nullopt;
    if (const std::string* path = std::get_if<std::string>(&entries_[static_cast<std::size_t>(index)]))
        return *path;
    return std::nullopt;
}

void MediaList::answer(SourceAnswer& answer, int index) const
{
    if (index < 0 || index >= size()) {
        answer.finished();
        return;
    }
    const auto& entry = entries_[static_cast<std::size_t>(index)];
    if (const std::string* path = std::get_if<std::string>(&entry))
        answer.setFile(*path);
    else
        answer.setImage(std::get<QImage>(entry));
}

} // namespace fotarel::media
