#include "app/audio/audio_areas.h"

#include "app/audio/audio_tile_area.h"
#include "app/audio/binding_window.h"
#include "app/audio/lyric_style_window.h"
#include "app/audio/music_import_window.h"
#include "app/audio/audio_preview_window.h"
#include "audio/binding_commands.h"
#include "audio/music_table.h"
#include "audio/qt_audio_player.h"
#include "render/output_settings.h"

#include <QDateTime>
#include <QWidget>

namespace fotarel::app {

using audio::Side;

AudioAreas::AudioAreas(Session& session, const WorkingFolder& folder, UiPort& ui, MusicTileArea& musicTiles,
                       LyricTileArea& lyricTiles, QWidget* window, std::function<void(int)> showArea)
    : QObject(window),
      session_(session),
      folder_(folder),
      port_(&ui),
      musicTiles_(musicTiles),
      lyricTiles_(lyricTiles),
      showArea_(std::move(showArea)),
      player_(std::make_unique<audio::QtAudioPlayer>()),
      musicImport_(new MusicImportWindow(session, folder, *port_, window)),
      lyricImport_(new LyricImportWindow(session, folder, *port_, window)),
      binding_(new BindingWindow(session, *port_, window)),
      style_(new LyricStyleWindow(session, window)),
      musicPreview_(new AudioPreviewWindow(session, *player_, *port_, audio::LyricPreview::Kind::Music, window)),
      lyricPreview_(new AudioPreviewWindow(session, *player_, *port_, audio::LyricPreview::Kind::Lyrics, window))
{
    connect(&musicTiles_, &AudioTileArea::menuCommand, this, [this](const QString& c) { musicCommand(c); });
    connect(&lyricTiles_, &AudioTileArea::menuCommand, this, [this](const QString& c) { lyricCommand(c); });
    connect(&musicTiles_, &AudioTileArea::previewRequested, this,
            [this] { musicCommand(QStringLiteral("音乐预览")); });
    connect(&lyricTiles_, &AudioTileArea::previewRequested, this,
            [this] { lyricCommand(QStringLiteral("歌词预览")); });
}

AudioAreas::~AudioAreas() = default;

void AudioAreas::addMusic()
{
    addMusicCommand(session_, folder_, *port_, *musicImport_, musicTiles_, [this] { showArea_(1); });
    // Songs bound by position show in the lyric list.
    lyricTiles_.refreshList();
}

void AudioAreas::addLyrics()
{
    addLyricsCommand(session_, folder_, *port_, *lyricImport_, lyricTiles_, musicTiles_, [this] { showArea_(2); });
}

void AudioAreas::musicCommand(const QString& caption)
{
    command(true, caption);
}

void AudioAreas::lyricCommand(const QString& caption)
{
    command(false, caption);
}

void AudioAreas::command(bool music, const QString& caption)
{
    const Side side = music ? Side::Music : Side::Lyrics;
    AudioTileArea& tiles = music ? static_cast<AudioTileArea&>(musicTiles_) : lyricTiles_;
    const std::optional<int> selected = tiles.selectedRow();
    UiPort& ui = *port_;
    if (caption == QStringLiteral("音乐预览")) {
        previewCommand(session_, ui, *musicPreview_, audio::LyricPreview::Kind::Music);
    } else if (caption == QStringLiteral("歌词预览")) {
        previewCommand(session_, ui, *lyricPreview_, audio::LyricPreview::Kind::Lyrics);
    } else if (caption == QStringLiteral("歌词设置")) {
        if (lyricStyleCommand(session_, ui, *style_, selected))
            lyricTiles_.refreshList();
    } else if (caption == QStringLiteral("删除音乐") || caption == QStringLiteral("删除歌词")) {
        if (audio::deleteOneCommand(session_, folder_, ui, side, selected)) {
            emit previewCleared();
            if (music && session_.table(audio::names::MusicTable).isEmpty())
                settings::resetAlbumLengthWithoutMusic(session_);
            refresh(music, !music);
        }
    } else if (caption == QStringLiteral("全部删除")) {
        if (audio::deleteAllCommand(session_, folder_, ui, side)) {
            emit previewCleared();
            if (music)
                settings::resetAlbumLengthWithoutMusic(session_);
            refresh(music, !music);
        }
    } else if (caption == QStringLiteral("手动绑定")) {
        if (audio::mayBindByHand(session_, ui, side, selected) && binding_->run(side, *selected))
            refresh(false, false);
    } else if (caption == QStringLiteral("自动绑定")) {
        if (audio::automaticBindingCommand(session_, ui, side, QDateTime::currentDateTime()))
            refresh(false, false);
    } else if (caption == QStringLiteral("手动解绑")) {
        if (audio::unbindOneCommand(session_, ui, side, selected))
            refresh(false, false);
    } else if (caption == QStringLiteral("全部解绑")) {
        if (audio::unbindAllCommand(session_, ui))
            refresh(false, false);
    }
}

void AudioAreas::refresh(bool rebuildMusic, bool rebuildLyrics)
{
    for (AudioTileArea* tiles : {static_cast<AudioTileArea*>(&musicTiles_), static_cast<AudioTileArea*>(&lyricTiles_)}) {
        const bool rebuild = tiles == &musicTiles_ ? rebuildMusic : rebuildLyrics;
        if (rebuild) {
            tiles->destroyTiles();
            tiles->createTiles();
        }
        tiles->refreshList();
    }
}

std::vector<AudioAreas::Tool> AudioAreas::musicTools()
{
    return {{QStringLiteral("suiButton_yinyue_yulan"), QStringLiteral("预览"),
             [this] { musicCommand(QStringLiteral("音乐预览")); }},
            {QStringLiteral("suiButton_yinyue_bangding"), QStringLiteral("绑定"),
             [this] { musicCommand(QStringLiteral("手动绑定")); }},
            {QStringLiteral("suiButton_yinyue_shanchu"), QStringLiteral("删除"),
             [this] { musicCommand(QStringLiteral("删除音乐")); }},
            {QStringLiteral("suiButton_yinyue_quanshan"), QStringLiteral("全删"),
             [this] { musicCommand(QStringLiteral("全部删除")); }}};
}

std::vector<AudioAreas::Tool> AudioAreas::lyricTools()
{
    return {{QStringLiteral("suiButton_geci_shezhi"), QStringLiteral("设置"),
             [this] { lyricCommand(QStringLiteral("歌词设置")); }},
            {QStringLiteral("suiButton_geci_yulan"), QStringLiteral("预览"),
             [this] { lyricCommand(QStringLiteral("歌词预览")); }},
            {QStringLiteral("suiButton_geci_bangding"), QStringLiteral("绑定"),
             [this] { lyricCommand(QStringLiteral("手动绑定")); }},
            {QStringLiteral("suiButton_geci_shanchu"), QStringLiteral("删除"),
             [this] { lyricCommand(QStringLiteral("删除歌词")); }},
            {QStringLiteral("suiButton_geci_quanshan"), QStringLiteral("全删"),
             [this] { lyricCommand(QStringLiteral("全部删除")); }}};
}

} // namespace fotarel::app
