#include "render/frame_compositor.h"

#include "render/render_driver.h"
#include "render/render_names.h"

#include "swf/player.h"

#include <algorithm>

namespace fotarel::render {

QString timeText(long long frames)
{
    const long long s = frames * 4 / 100; // 0.04 s a frame, truncated
    long long m = s / 60;
    while (m > 60)
        m -= 60;
    const long long seconds = s - 60 * (s / 60);
    return QStringLiteral("%1:%2").arg(m, 2, 10, QLatin1Char('0')).arg(seconds, 2, 10, QLatin1Char('0'));
}

bool FrameCompositor::checkPlayer(const QString& prefix)
{
    Session& session = driver_.session();
    if (driver_.playerUsable()) {
        session.set(vars::PlayerCheck, prefix + QString::number(driver_.player()->totalFrames()));
        return true;
    }
    driver_.addErrorLog(session.get(vars::PlayerCheck) + QStringLiteral(" : 错误"));
    return driver_.nextTemplate();
}

bool FrameCompositor::compose(QImage& frame)
{
    Session& session = driver_.session();
    // 1. Player check.
    if (!checkPlayer(QStringLiteral("1- ")))
        return false;

    // 2-3. Next frame of the movie.
    const int movieFrame = session.getInt(vars::MovieFrame, -1) + 1;
    session.setInt(vars::MovieFrame, movieFrame);
    const long long albumFrame = session.getInt(vars::AlbumFrame) + 1LL;
    session.setInt(vars::AlbumFrame, albumFrame);
    swf::Player* player = driver_.player();
    if (driver_.playerUsable()) {
        // Negative while the ending template holds its first frame.
        const int target = std::clamp(movieFrame, 0, std::max(0, player->totalFrames() - 1));
        if (player->frameNum() != target)
            player->setFrameNum(target);
    }

    // 4-9. The panel's picture with the overlays of this very frame: the
    // start frame is frame 0 of the album and of its sound, so this frame is
    // `albumFrame` and its time albumFrame × 40 ms.
    driver_.capturePanel(frame, albumFrame);
    session.set(vars::AlbumTime, timeText(albumFrame));

    // 10. End of the template: its last frame has been made.
    const int total = driver_.playerUsable() ? player->totalFrames() : 0;
    if (movieFrame > total - 2 && session.get(vars::EndingSwitch) == kEndingOff) {
        driver_.writeCarryOver(driver_.carryOverFrom(frame));
        if (!driver_.nextTemplate())
            return false;
    }

    // 11. Second player check.
    return checkPlayer(QStringLiteral("2- "));
}

} // namespace fotarel::render
