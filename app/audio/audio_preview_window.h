#pragma once

#include "audio/lyric_preview.h"

#include <QDialog>

class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QTimer;

namespace fotarel::app {

class LyricPanel;

// "音乐预览" (TForm28) and "歌词预览" (TForm29): choose a song and a lyric file,
// play, and watch the lines appear in time on the black lyric panel
// (679 x 390) while the time labels run. The timer ticks every 10 ms.
class AudioPreviewWindow : public QDialog {
    Q_OBJECT
public:
    AudioPreviewWindow(Session& session, audio::AudioPlayer& player, UiPort& ui, audio::LyricPreview::Kind kind,
                  QWidget* parent = nullptr);

    // Opening: choosers refilled, nothing chosen, times "00:00"; then modal.
    void prepare();
    void open() override;

    audio::LyricPreview& preview() { return preview_; }
    QComboBox* songChooser() const { return songs_; }
    QComboBox* lyricChooser() const { return lyrics_; }
    QLabel* currentLabel() const { return current_; }
    QLabel* lengthLabel() const { return length_; }
    LyricPanel* panel() const { return panel_; }
    QPushButton* playButton() const { return play_; }
    QPushButton* stopButton() const { return stop_; }
    QTimer* timer() const { return timer_; }

    // One tick of the timer (tests call it directly).
    void tick();

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void stopPlaying();

    UiPort& ui_;
    audio::LyricPreview preview_;
    QComboBox* songs_;
    QComboBox* lyrics_;
    QLineEdit* chosenSong_;
    QLineEdit* chosenLyrics_;
    QLabel* current_;
    QLabel* length_;
    LyricPanel* panel_;
    QPushButton* play_;
    QPushButton* stop_;
    QTimer* timer_;
};

// "音乐预览" / "歌词预览": the checks, then the window.
void previewCommand(Session& session, UiPort& ui, AudioPreviewWindow& window, audio::LyricPreview::Kind kind);

} // namespace fotarel::app
