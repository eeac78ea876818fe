#pragma once

// How long an album is and which templates and songs fill it: the template
// sequence table, the frame list and the audio list of a render pass.
//
// Following the photos (also whenever there is no music): every template
// once, in work-folder order, then 100 frames for the ending template; with
// "loop the music" the songs are listed again and again until they last as
// long as the album. Following the music: the album lasts as long as the
// songs (their frames-needed cells); the templates play once and the ending
// template holds the last picture to the end, or with "loop the pictures"
// the templates repeat in order until the songs end. Songs shorter than the
// photos never cut a photo off: the album then follows the photos.

#include "core/session.h"
#include "core/working_folder.h"

#include <functional>

namespace fotarel::render {

// The longest album a pass makes: ten hours at 25 frames a second. Its frame
// list, song list and sequence are sized by the length, so a longer one (a
// template or song whose frame count is out of all measure) is refused
// rather than made.
inline constexpr int kMaxAlbumFrames = 10 * 3600 * 25;

// "相册有 N 帧，超过了最长的 900000 帧（10 小时）。"
QString albumTooLongText(long long frames);

struct AlbumLength {
    int templateFrames = 0; // one pass through the templates
    int musicFrames = 0;    // the songs once
    int totalFrames = 0;    // T
    int sequenceRows = 0;
    int audioEntries = 0;
    // Frames the album would have when that is more than kMaxAlbumFrames
    // (then the lists are not built); 0 otherwise.
    long long tooLong = 0;
};

// Computes the album length from the template-use table, the music table
// and the album-length flags, without changing anything.
AlbumLength planAlbumLength(const Session& session);

// The frames of an album that follows the photos (every group's movie once
// and the ending template's reserve), from the photo table: what the status
// panel and the command line know before a pass fills the template-use table.
int photoAlbumFrames(const Session& session);

// The album's frames that play without music: the songs are shorter than an
// album that follows the photos and they are not looped. 0 without songs
// (the album is meant to be silent) or when the songs cover it.
int silentFrames(const Session& session);

// "音乐比相册短 01:36" when silentFrames() > 0, else empty.
QString shortMusicNotice(const Session& session);

// Fills the template sequence table, the frame list (T times the frame file)
// and the audio list. `overall` follows ProgressBar1 (value, maximum 2 T).
// Returns T, or -1 for an album longer than kMaxAlbumFrames (nothing built).
int buildAlbumLists(Session& session, const WorkingFolder& folder, const std::function<void(int, int)>& overall = {});

} // namespace fotarel::render
