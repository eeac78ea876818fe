#pragma once

// The template effect preview: one photo's group template played with its
// real pictures, then the ending template, on copies in a preview folder so
// the album's work folders stay untouched. No window here: the preview
// window drives PreviewPlayback one frame per timer tick.

#include "core/session.h"
#include "core/working_folder.h"

#include <QImage>
#include <QSize>
#include <QString>

#include <memory>
#include <optional>

namespace fotarel::swf {
class Player;
}

namespace fotarel::preview {

inline constexpr QSize kPreviewSize{800, 450};
// The template's own frame rate.
inline constexpr int kFramesPerSecond = 25;

inline const QString kNoPhotos = QStringLiteral("没有找到相片文件，不能预览效果！");
inline const QString kNoneSelected = QStringLiteral("没有选中相片文件！");

// The row the preview shows, or the message that refuses it: no photos, or
// no row given (tile mode without a selected tile, list mode without a
// selected row) or a row past the table's end.
struct Choice {
    int row = -1;
    QString refusal;
};
Choice choosePhoto(const Session& session, std::optional<int> row);

// The preview root "smxcwjj\wj_yl_xg_1\wj_yl_xg_1\wj_yl_xg_1\".
QString previewRoot(const WorkingFolder& folder);
// The preview folder's name for group g ("wj_yl_xg" + g) and its movie.
QString groupFolder(const WorkingFolder& folder, int group);
QString groupMovie(const WorkingFolder& folder, const Session& session, int group);
QString endingMovie(const WorkingFolder& folder, const Session& session);
QString carryOver(const WorkingFolder& folder, const Session& session);

// The preview window's fields for a photo row, in their order:
// "相片名称：", "横照竖照：", "相片类型：", "相片序号：", "相片尺寸：".
QList<QPair<QString, QString>> photoFields(const Session& session, int row);

struct Prepared {
    int group = 0;
    int photoCount = 0; // pictures of the template (slots)
    bool ok = false;    // the group's movie and the ending movie were copied
};

// Deletes the preview root and fills it anew: the ending movie, the group's
// movie and the group's pictures (copied as they are: the player shows a
// loaded picture at its own pixel size, so the pictures keep their slot
// sizes and the whole stage is scaled to the preview's size when painted).
Prepared prepare(const Session& session, const WorkingFolder& folder, int row);

// Removes the preview root with its contents ("返回").
void removePreviewFolder(const WorkingFolder& folder);

class Playback {
public:
    enum class Phase { Idle, Group, Ending, Finished };

    Playback(const Session& session, const WorkingFolder& folder, Prepared prepared);
    ~Playback();

    // "播放": the black start picture as the carry-over, then the group's
    // movie from its first frame. False when a movie is no template (its
    // marker is wrong): the program must end.
    bool play();
    // The next frame into `frame` (kPreviewSize). `advance` > 1 steps the
    // timeline through that many frames (never past the movie's last) and
    // paints only the last, so a slow picture keeps the movie's time. After
    // the group movie's last frame its picture becomes the ending
    // template's carry-over and the ending template follows. Returns false
    // once the ending template's last frame has been shown (or the movie is
    // no template: see invalid()).
    bool step(QImage& frame, int advance = 1);
    // "停止".
    void stop();

    Phase phase() const { return phase_; }
    int frame() const { return frame_; } // 0-based frame of the current movie
    int totalFrames() const;
    bool invalid() const { return invalid_; }
    // How long a movie may take to send "picture_0", in player ticks.
    int picture0Ticks = 200;

private:
    bool load(const QString& movie);

    const Session& session_;
    const WorkingFolder& folder_;
    Prepared prepared_;
    std::unique_ptr<swf::Player> player_;
    Phase phase_ = Phase::Idle;
    int frame_ = -1;
    bool picture0_ = false;
    bool invalid_ = false;
};

} // namespace fotarel::preview
