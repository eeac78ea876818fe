#pragma once

#include "audio/music_import.h"
#include "core/session.h"
#include "core/working_folder.h"
#include "engine/ui_port.h"

#include <QDialog>

#include <functional>

class QProgressBar;
class QTimer;

namespace fotarel::app {

class MusicTileArea;

// "添加音乐" (TForm6): the modal window the music import runs in, with its
// progress bar ProgressBar_yinyue. Its one-shot timer (1000 ms) runs the
// import; the window closes itself 1000 ms after the import ended.
class MusicImportWindow : public QDialog {
    Q_OBJECT
public:
    MusicImportWindow(Session& session, const WorkingFolder& folder, UiPort& ui, QWidget* parent = nullptr);

    // Shows the window modally and imports `files` in it.
    audio::MusicImportResult run(const QStringList& files);

    // The timer's and the closing wait's lengths (1000 ms each).
    void setDelays(int startMs, int closeMs);
    QProgressBar* progressBar() const { return bar_; }

private:
    class BarPort;
    void importNow();

    Session& session_;
    const WorkingFolder& folder_;
    UiPort& ui_;
    QProgressBar* bar_;
    QTimer* timer_;
    int closeMs_ = 1000;
    QStringList files_;
    audio::MusicImportResult result_;
};

// "添加音乐MP3": the open dialog, the import window, then the tiles rebuilt
// and `showMusicArea` called when the music table has rows.
void addMusicCommand(Session& session, const WorkingFolder& folder, UiPort& ui, MusicImportWindow& window,
                     MusicTileArea& tiles, const std::function<void()>& showMusicArea);

} // namespace fotarel::app
