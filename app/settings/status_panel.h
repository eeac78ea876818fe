#pragma once

#include "core/session.h"

#include <QFrame>
#include <QList>

class QLabel;
class QPushButton;
class QTimer;

namespace fotarel::app {

// The main window's status panel: counts of photos, songs, lyric files, text
// and picture effects, and the picture quality, TV standard and album length
// rule, refreshed every 50 ms. The same timer scrolls the help text up one
// pixel per tick and shows or hides the selected-photo preview image as
// Edit_Image_chakanxiangpian_T_or_F says. The help text scrolls inside its
// own area under the lines, starting at top 50 of that area. When the songs
// are shorter than the album, a line says by how much and a button offers
// to loop them ("以音乐循环播放补充帧频"); both hide once nothing is silent.
class StatusPanel : public QFrame {
    Q_OBJECT
public:
    static constexpr int kDefaultWidth = 160;
    static constexpr int kDefaultHeight = 550;
    // The lines with the short-music notice and its button under them: the
    // height a window must give the panel for all of it to show.
    static constexpr int kContentHeight = 4 + 8 * 20 + 2 * 20 + 8;

    explicit StatusPanel(Session& session, QWidget* parent = nullptr);

    // The main window's preview picture (Image_chakanxiangpian), if any.
    void setPreviewImage(QWidget* image) { preview_ = image; }
    void setHelpText(const QString& text);

    QTimer* timer() const { return timer_; }
    QLabel* helpLabel() const { return help_; }
    // The clipped part of the panel the help text scrolls in.
    QWidget* helpArea() const { return helpArea_; }
    QLabel* musicNotice() const { return musicNotice_; }
    QPushButton* loopMusicButton() const { return loopMusic_; }
    // One tick of the timer (also called by it).
    void refresh();

private:
    Session& session_;
    QList<QLabel*> lines_;
    QLabel* musicNotice_;
    QPushButton* loopMusic_;
    QWidget* helpArea_;
    QLabel* help_;
    QWidget* preview_ = nullptr;
    QTimer* timer_;
};

} // namespace fotarel::app
