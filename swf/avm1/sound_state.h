#pragma once

// What the Sound class keeps (internal to fotarel_avm1): on a clip's script
// object (and on _global for the whole movie) the transform its Sound
// objects set; on a Sound object the sound attached or loaded.

#include <QByteArray>
#include <QString>

#include <cstdint>
#include <utility>
#include <vector>

namespace fotarel::swf::avm1 {

class Object;

struct SoundState {
    // The transform of the sounds of a clip (or of the movie).
    int volume = 100;
    int ll = 100, lr = 0, rr = 100, rl = 0;

    // A Sound object: the clip it was made for, by target path.
    bool hasOwner = false;
    QString ownerPath;

    enum class Load : uint8_t { None, Loading, Loaded, Failed };
    Load load = Load::None;
    QString url;
    bool streaming = false;
    double durationMs = 0;
    qint64 bytes = -1; // -1: nothing loaded
    bool playing = false;
    bool playWhenLoaded = false;
    bool completed = false; // played to its end
    double offsetMs = 0;
    int loops = 1;
    int64_t completeAt = 0; // movie time at which the playing sound ends
    Object* id3 = nullptr;  // the ID3 tags of a loaded file
};

struct Mp3Info {
    double durationMs = 0;
    // ID3 v2.3/v2.4 tags in file order, as the id3 object gets them: the
    // Flash Player's own names (songname, artist, ...) before the frame IDs.
    std::vector<std::pair<QString, QString>> tags;
};

// Reads an MP3 file's length from its MPEG audio frame headers and its ID3
// text and comment frames. Anything damaged ends the reading there.
Mp3Info readMp3(const QByteArray& bytes);

} // namespace fotarel::swf::avm1
