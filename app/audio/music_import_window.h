#pragma once

#include "audio/lyric_import.h"
#include "audio/music_import.h"
#include "core/session.h"
#include "core/working_folder.h"
#include "engine/ui_port.h"

#include <QDialog>

#include <functional>

class QProgressBar;
class QTimer;

namespace fotarel::app {

class AudioTileArea;

// The modal window an import of songs ("添加音乐", TForm6) or lyric files
// ("添加歌词", TForm7) runs in, with its progress bar. Its one-shot timer
// (1000 ms) runs the import; the window closes itself 1000 ms after the
// import ended.
class AudioImportWindow : public QDialog {
    Q_OBJECT
public:
    // The timer's and the closing wait's lengths (1000 ms each).
    void setDelays(int startMs, int closeMs);
    QProgressBar* progressBar() const { return bar_; }

protected:
    AudioImportWindow(UiPort& ui, const QString& objectName, const QString& title, const QString& barName,
                 const QString& timerName, QWidget* parent);
    // Shows the window modally; its timer calls `import` with a port that
    // moves this window's bar.
    void runModal(int files, std::function<void(UiPort&)> import);

private:
    class BarPort;
    void importNow();

    UiPort& ui_;
    QProgressBar* bar_;
    QTimer* timer_;
    int closeMs_ = 1000;
    std::function<void(UiPort&)> import_;
};

class MusicImportWindow : public AudioImportWindow {
    Q_OBJECT
public:
    MusicImportWindow(Session& session, const WorkingFolder& folder, UiPort& ui, QWidget* parent = nullptr);
    // Shows the window modally and imports `files` in it.
    audio::MusicImportResult run(const QStringList& files);

private:
    Session& session_;
    const WorkingFolder& folder_;
};

class LyricImportWindow : public AudioImportWindow {
    Q_OBJECT
public:
    LyricImportWindow(Session& session, const WorkingFolder& folder, UiPort& ui, QWidget* parent = nullptr);
    audio::LyricImportResult run(const QStringList& files);

private:
    Session& session_;
    const WorkingFolder& folder_;
};

// "添加音乐MP3": the open dialog, the import window, then the tiles rebuilt
// and `showArea` called when the music table has rows.
void addMusicCommand(Session& session, const WorkingFolder& folder, UiPort& ui, MusicImportWindow& window,
                     AudioTileArea& tiles, const std::function<void()>& showArea);
// "添加歌词LRC": the same for lyric files; the music list's lyric column
// changes too, so `musicTiles` refreshes its list.
void addLyricsCommand(Session& session, const WorkingFolder& folder, UiPort& ui, LyricImportWindow& window,
                      AudioTileArea& tiles, AudioTileArea& musicTiles, const std::function<void()>& showArea);

} // namespace fotarel::app
