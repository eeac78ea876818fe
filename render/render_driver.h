#pragma once

// One render pass's driver: the player, the start frame, the template-use
// and sequence tables, the frame and audio lists, the next-template
// procedure and the clean-up of the pass's working files. It runs on the
// thread that runs the pass and touches no window.

#include "core/session.h"
#include "core/working_folder.h"
#include "render/overlays.h"
#include "render/song_clock.h"

#include <QImage>
#include <QSize>

#include <chrono>
#include <functional>
#include <memory>

class QPainter;

namespace fotarel::swf {
class Player;
}

namespace fotarel::render {

// The panel the player and the overlays live on.
inline constexpr int kPanelWidth = 1920;
inline constexpr int kPanelHeight = 1080;
// Frames added after the templates' frames for the ending template.
inline constexpr int kEndingReserve = 100;

class RenderDriver {
public:
    RenderDriver(Session& session, const WorkingFolder& folder, QSize frameSize);
    ~RenderDriver();
    RenderDriver(const RenderDriver&) = delete;
    RenderDriver& operator=(const RenderDriver&) = delete;

    // Set-up steps 1 to 9: player, start values, the black start frame and
    // first carry-over picture, the template-use table, the sequence, the
    // frame and audio lists (see album_length.h), the song clock and the
    // overlays (see overlays.h). `overall` moves
    // ProgressBar1 (value, maximum). Returns the album's frame count, or -1
    // for an album longer than kMaxAlbumFrames (see album_length.h).
    int setUp(const std::function<void(int, int)>& overall = {});

    // The next-template procedure. Returns false when the loaded movie is no
    // template (its marker is wrong): the program must end.
    bool nextTemplate();

    // Deletes the pass's four working files (each only if it exists).
    void removeWorkingFiles() const;

    // The picture of the overlay panel at the frame size: the player's
    // current frame with the overlays of 0-based album frame `albumFrame`
    // over it.
    void capturePanel(QImage& target, long long albumFrame);
    // The player's picture at the panel's full size without overlays: the
    // next template starts from it (carry-over).
    QImage captureCarryOver();
    // The carry-over picture of the frame just made by capturePanel().
    QImage carryOverFrom(const QImage& frame);
    // Writes the last-frame files and the carry-over picture from `panel`.
    bool writeCarryOver(const QImage& panel);

    swf::Player* player() const { return player_.get(); }
    bool playerUsable() const;
    const QImage& startFrame() const { return startFrame_; }
    QSize frameSize() const { return frameSize_; }
    Session& session() { return session_; }
    const WorkingFolder& folder() const { return folder_; }
    const SongClock& songClock() const { return songClock_; }
    std::size_t overlayCount() const { return overlays_.size(); }

    void addLoadLog(const QString& text);
    void addErrorLog(const QString& text);

    // How long a movie may take to send "picture_0", in player ticks and
    // wall time; a movie that misses both is logged and skipped.
    int picture0Ticks = 200;
    std::chrono::milliseconds picture0Time{5000};

private:
    QString path(const QString& relative) const { return folder_.path(relative); }
    void replacePlayer();
    bool loadMovie(const QString& file);
    // Frames the ending template's first frame holds before it plays, so
    // that it fills the album's last kEndingReserve frames.
    int endingHold() const;
    // The start frame and first carry-over picture at the panel's size: the
    // first group's first picture fitted on black (black without photos).
    QImage openingPicture() const;
    void fillTemplateUse();

    Session& session_;
    const WorkingFolder& folder_;
    QSize frameSize_;
    SongClock songClock_;
    OverlayList overlays_;
    std::unique_ptr<swf::Player> player_;
    bool picture0_ = false;
    QImage startFrame_;
    QImage lastCarryOver_;
};

} // namespace fotarel::render
