#pragma once

#include "audio/audio_player.h"
#include "core/session.h"
#include "core/working_folder.h"
#include "engine/ui_port.h"

#include <QObject>
#include <QString>

#include <functional>
#include <memory>
#include <vector>

class QWidget;

namespace fotarel::app {

class MusicTileArea;
class LyricTileArea;
class AudioTileArea;
class MusicImportWindow;
class LyricImportWindow;
class BindingWindow;
class LyricStyleWindow;
class AudioPreviewWindow;

// The music and lyric areas' commands: "添加歌词LRC", every command of the two
// areas' menus and tool buttons (previews, deleting, binding, lyric style),
// with the windows they open and the one audio player the previews share.
// After a command the two areas' lists and tiles show the tables again.
class AudioAreas : public QObject {
    Q_OBJECT
public:
    // `musicTiles` and `lyricTiles` live in the main window's areas;
    // `showArea(1)` shows the music area, `showArea(2)` the lyric area.
    AudioAreas(Session& session, const WorkingFolder& folder, UiPort& ui, MusicTileArea& musicTiles,
               LyricTileArea& lyricTiles, QWidget* window, std::function<void(int area)> showArea);
    ~AudioAreas() override;

    void addMusic();
    void addLyrics();
    // A command of the music menu or the lyric menu, by its caption.
    void musicCommand(const QString& caption);
    void lyricCommand(const QString& caption);

    // The buttons under each area besides "图标" and "列表": caption and command.
    struct Tool {
        QString objectName;
        QString caption;
        std::function<void()> run;
    };
    std::vector<Tool> musicTools();
    std::vector<Tool> lyricTools();

    audio::AudioPlayer& player() { return *player_; }
    MusicImportWindow* musicImportWindow() const { return musicImport_; }
    LyricImportWindow* lyricImportWindow() const { return lyricImport_; }
    BindingWindow* bindingWindow() const { return binding_; }
    LyricStyleWindow* styleWindow() const { return style_; }
    AudioPreviewWindow* musicPreview() const { return musicPreview_; }
    AudioPreviewWindow* lyricPreview() const { return lyricPreview_; }

signals:
    // The big preview: "        缩略图预览" with no picture after a deletion.
    void previewCleared();

private:
    void command(bool music, const QString& caption);
    void refresh(bool rebuildMusic, bool rebuildLyrics);

    Session& session_;
    const WorkingFolder& folder_;
    UiPort* port_;
    MusicTileArea& musicTiles_;
    LyricTileArea& lyricTiles_;
    std::function<void(int)> showArea_;
    std::unique_ptr<audio::AudioPlayer> player_;
    MusicImportWindow* musicImport_;
    LyricImportWindow* lyricImport_;
    BindingWindow* binding_;
    LyricStyleWindow* style_;
    AudioPreviewWindow* musicPreview_;
    AudioPreviewWindow* lyricPreview_;
};

} // namespace fotarel::app
