#pragma once

// The karaoke settings window "卡拉OK设置" (TForm46): the karaoke table's list,
// import, delete, style, match, and the preview panel that plays a song with
// a karaoke file's lines wiped in time.

#include "audio/audio_player.h"
#include "core/session.h"
#include "core/working_folder.h"
#include "engine/ui_port.h"
#include "karaoke/karaoke_settings.h"

#include <QDialog>

#include <memory>
#include <vector>

class QComboBox;
class QLineEdit;
class QPushButton;
class QTimer;
class QTreeWidget;

namespace fotarel::app {

class KaraokePanel;

class KaraokeSettingsWindow : public QDialog {
    Q_OBJECT
public:
    static inline const QString kNoFileChosen = QStringLiteral("没有选择卡拉OK歌词文件！");

    // Without a player the window makes its own over Qt Multimedia.
    KaraokeSettingsWindow(Session& session, const WorkingFolder& folder, UiPort& ui,
                          audio::AudioPlayer* player = nullptr, QWidget* parent = nullptr);
    ~KaraokeSettingsWindow() override;

    // The main window's "卡拉OK设置": fills the song chooser and the list, then
    // shows the window modally.
    void run();
    // What run() does before showing the window (tests show it themselves).
    void prepare();

    karaoke::KaraokePreview& preview() { return *preview_; }
    QTreeWidget* list() const { return list_; }
    QWidget* panel() const;

    // The commands, as their buttons run them.
    void importFiles();
    void deleteSelected();
    void deleteAll();
    void setStyle();
    void showMatch();
    void chooseListRow();
    // The song chooser: music-table row `row`.
    void chooseSong(int row);
    void play();
    void pause();
    void stop();

protected:
    void reject() override;

private:
    void rebuildList();
    void refreshDisplays();
    void setPlayingState(bool playing);
    // The karaoke row to play with the chosen song, -1 for none.
    int fileForChosenSong() const;
    std::vector<int> selectedRows() const;

    Session& session_;
    const WorkingFolder& folder_;
    UiPort& ui_;
    std::unique_ptr<audio::AudioPlayer> ownPlayer_;
    std::unique_ptr<karaoke::KaraokePreview> preview_;
    KaraokePanel* panel_;
    QTreeWidget* list_;
    QComboBox* songs_;
    QLineEdit* chosenSong_;
    QLineEdit* chosenFile_;
    QLineEdit* current_;
    QLineEdit* total_;
    std::vector<QWidget*> lockedWhilePlaying_;
    QTimer* timer_;
    QPushButton* pauseButton_ = nullptr;
    QPushButton* stopButton_ = nullptr;
};

} // namespace fotarel::app
