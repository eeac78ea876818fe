#pragma once

#include <QPoint>
#include <QRect>
#include <QSize>
#include <QString>

namespace fotarel::hints {

// The general hint's text for a main-window command or label, by its
// object name; empty when the control has none.
QString commandHint(const QString& objectName);

// The fading of a hint window. It waits two seconds, fades in ten alpha
// units a tick, stays fully shown two seconds, then fades out ten units a
// tick. The window follows phase(), alpha() and visible(); its timer fires
// after interval() milliseconds (-1: no timer).
class HintFade {
public:
    static constexpr int kDelayMs = 2000;
    static constexpr int kStep = 10;
    // The time between two fading ticks. Ten units a tick from 0 to 255 is
    // 26 ticks: at this interval a fade lasts about 0.4 s.
    static constexpr int kFadeTickMs = 15;

    enum class Phase { Hidden, Waiting, FadingIn, Shown, FadingOut };

    // The cursor came to rest on a control or tile: wait, then fade in.
    void start();
    // The cursor left (or the control was clicked): a shown hint fades out
    // from where it is; one still waiting is never seen.
    void end();
    // Gone at once, without fading (the cursor left a tile).
    void closeNow();
    // One tick of the window's timer.
    void tick();

    Phase phase() const { return phase_; }
    int alpha() const { return alpha_; }
    bool visible() const { return phase_ == Phase::FadingIn || phase_ == Phase::Shown || phase_ == Phase::FadingOut; }
    int interval() const;
    // True on the tick that first shows the window (it is placed then).
    bool justShown() const { return justShown_; }

private:
    Phase phase_ = Phase::Hidden;
    int alpha_ = 0;
    bool justShown_ = false;
};

// Where the general hint goes: 20 pixels left of and 10 below the cursor,
// kept inside the screen (above the cursor when it would pass the bottom).
QPoint generalHintPosition(QPoint cursor, QSize window, const QRect& screen);

} // namespace fotarel::hints
