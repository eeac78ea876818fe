#pragma once

// Captions flying over the album: one track per row of the caption table,
// each starting once per album at its start time and flying its motion
// until it has left the picture. The same overlay paints the render's
// frames and the editor's preview panel.

#include "core/overlay.h"
#include "core/session.h"
#include "core/table.h"
#include "core/working_folder.h"

#include <QColor>
#include <QFont>
#include <QImage>
#include <QPoint>
#include <QPointF>
#include <QSizeF>
#include <QString>

#include <functional>
#include <memory>
#include <optional>
#include <vector>

namespace fotarel::effects {

using LogFn = std::function<void(const QString& line)>;

// One caption's timing and path, laid out on the 1920 × 1080 overlay panel.
struct CaptionTrack {
    int row = 0;                 // its row in the caption table
    QString text;
    QFont font;                  // pixel size on the overlay panel
    QColor colour;
    QColor outlineColour;
    double outlineWidth = 0;     // pixels on the overlay panel
    QSizeF box;                  // the caption's size on the overlay panel
    long long startFrame = 0;    // the first 0-based album frame whose time reaches the start time
    int steps = 0;               // steps until it has left the panel (the last one outside)
    QPointF start;               // top-left before the first step
    QPointF step;                // per frame

    // Steps made when 0-based album frame `albumFrame` is painted (the start
    // frame makes the first); the caption shows in that frame when
    // 1 <= steps made < `steps`.
    long long stepsAt(long long albumFrame) const { return albumFrame + 1 - startFrame; }
    bool visibleAt(long long albumFrame) const
    {
        const long long k = stepsAt(albumFrame);
        return k >= 1 && k < steps;
    }
    // 0-based album frames of its first and last appearance.
    long long firstVisibleFrame() const { return startFrame; }
    long long lastVisibleFrame() const { return startFrame + steps - 2; }
    QPointF topLeftAt(long long albumFrame) const { return start + step * double(stepsAt(albumFrame)); }
};

// "mm:ss" to seconds; nullopt unless both are two digits of 00-59.
std::optional<int> startSeconds(const QString& mmss);

// The family a row's font name draws with: the name when it is installed
// (or substituted to an installed font), otherwise the CJK font "黑体",
// reported through `log`.
QString resolveFontFamily(const QString& name, const LogFn& log);

// Lays out one caption-table row; nullopt (reported through `log`) for a row
// whose start time or motion cannot be read, or whose text is empty.
std::optional<CaptionTrack> makeTrack(const Row& row, int rowIndex, const LogFn& log);

class CaptionOverlay : public Overlay {
public:
    explicit CaptionOverlay(std::vector<CaptionTrack> tracks);

    void paint(QPainter& painter, QSize frameSize, const OverlayTime& time) override;

    const std::vector<CaptionTrack>& tracks() const { return tracks_; }
    // The first 0-based album frame at or after `from` on which a caption
    // shows; -1 when none shows from there on.
    long long nextVisibleFrame(long long from) const;
    // The last 0-based album frame on which a caption shows; -1 when none.
    long long lastVisibleFrame() const;

private:
    void prepare(QSize frameSize);

    std::vector<CaptionTrack> tracks_;
    QSize preparedFor_;
    double scaleX_ = 1;
    double scaleY_ = 1;
    std::vector<QImage> pictures_; // each track's inked picture at the prepared frame size
    std::vector<QPoint> offsets_;  // where that picture lies in the caption's box
};

// The overlay of the rows of `table` (only those in `rows` when given),
// or nullptr when none of them can fly.
std::unique_ptr<CaptionOverlay> makeCaptionOverlayFromTable(const Table& table, const LogFn& log,
                                                            const std::vector<int>& rows = {});

// The render's caption overlay from the session's caption table; nullptr
// when the table is empty.
std::unique_ptr<Overlay> makeCaptionOverlay(const Session& session, const WorkingFolder& folder, const LogFn& log);

} // namespace fotarel::effects
