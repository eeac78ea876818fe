#pragma once

#include "engine/hints.h"

#include <QList>
#include <QPair>
#include <QPointer>
#include <QSet>
#include <QWidget>

#include <functional>

class QLabel;
class QTimer;

namespace fotarel::app {

// A fading hint window: borderless, background colour 4456584, white text,
// corners cut to a radius of 3 pixels, faded by window alpha. The general
// hint (TForm30) shows one text; the tile hints (TForm31, TForm32, TForm33)
// show a caption and value per line and a fixed footer line.
class HintWindow : public QWidget {
    Q_OBJECT
public:
    static constexpr unsigned kBackgroundColour = 4456584;

    HintWindow(const QString& objectName, const QString& title, QWidget* parent);

    // The general hint: wait, then fade in near the cursor, kept on screen.
    void startText(const QString& text);
    // A tile hint: the lines (caption, value) and the footer; placed at the
    // cursor like the general hint.
    void startLines(const QList<QPair<QString, QString>>& lines, const QString& footer);
    // Fade out (general hint: mouse leave or click).
    void end();
    // Gone at once (tile hint: the cursor left the tile).
    void closeNow();

    const hints::HintFade& fade() const { return fade_; }
    QTimer* timer() const { return timer_; }
    // One tick of the fading timer (the timer calls it; tests call it).
    void tick();
    // Where the cursor is; the screen's cursor unless a test sets one.
    std::function<QPoint()> cursor;
    QLabel* textLabel() const { return text_; }
    // The value labels of a tile hint, in line order.
    const QList<QLabel*>& valueLabels() const { return values_; }

protected:
    void resizeEvent(QResizeEvent*) override;

private:
    void begin();
    void apply();

    hints::HintFade fade_;
    QTimer* timer_;
    QLabel* text_;
    QList<QLabel*> captions_;
    QList<QLabel*> values_;
    QLabel* footer_;
};

// Starts the general hint when the cursor enters a control that has a hint
// text and ends it when the cursor leaves or the control is pressed.
class CommandHints : public QObject {
    Q_OBJECT
public:
    explicit CommandHints(HintWindow* window, QObject* parent = nullptr);
    // Every child of `root` whose object name has a hint text, once each.
    void attachAll(QWidget* root);
    void attach(QWidget* control, const QString& text);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    HintWindow* window_;
    QSet<QObject*> attached_;
};

} // namespace fotarel::app
