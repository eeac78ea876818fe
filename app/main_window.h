#pragma once

#include "core/session.h"
#include "core/working_folder.h"
#include "engine/single_instance.h"
#include "engine/startup.h"

#include <QWidget>

#include <memory>

class QFrame;
class QPushButton;
class QTimer;

namespace fotarel::app {

class TitleBar;
class MessageWindow;
class ConfirmWindow;
class QtUiPort;
class PhotoArea;
class MusicTileArea;
class MusicImportWindow;
class StatusPanel;
class AlbumLengthDialog;
class OtherSettingsDialog;
class CaptionEditorWindow;

// The main window (TForm1). It owns the session; its first show runs the
// start-up, its close box asks before it cleans the working tree and ends.
class MainWindow : public QWidget {
    Q_OBJECT
public:
    static constexpr int kClientWidth = 1096;
    static constexpr int kClientHeight = 671;
    static constexpr unsigned kBackgroundColour = 1185821;

    MainWindow(const QString& programFolder, SingleInstanceGuard& guard, QWidget* parent = nullptr);
    ~MainWindow() override;

    Session& session() { return session_; }
    const WorkingFolder& workingFolder() const { return folder_; }
    QtUiPort& ui() { return *ui_; }
    MessageWindow* messageWindow() const { return messages_; }
    ConfirmWindow* exitConfirmWindow() const { return exitConfirm_; }
    bool startupDone() const { return startupDone_; }
    const StartupReport& startupReport() const { return startupReport_; }

    QFrame* photoArea() const { return photoArea_; }
    QFrame* musicArea() const { return musicArea_; }
    QFrame* lyricArea() const { return lyricArea_; }
    PhotoArea* photos() const { return photos_.get(); }
    MusicTileArea* musicTiles() const { return musicTiles_; }
    StatusPanel* statusPanel() const { return status_; }
    CaptionEditorWindow* captionEditor() const { return captions_; }

    // Shows one of the three areas ("相片区域", "音乐区域", "歌词区域").
    enum class Area { Photos, Music, Lyrics };
    void chooseArea(Area area);

public slots:
    // The close box of the title bar: ask, then clean and close.
    void closeCommand();

signals:
    // Start-up ended; exitCode >= 0 means the program must end with it.
    void startupFinished(int exitCode);

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void runStartup();
    void exitTimerTick();
    QFrame* makeArea(const QString& name);
    QPushButton* addCommand(const QString& objectName, const QString& caption, int row);
    void buildCommands();
    void buildAreaBar();

    Session session_;
    WorkingFolder folder_;
    SingleInstanceGuard& guard_;
    TitleBar* title_;
    MessageWindow* messages_;
    ConfirmWindow* exitConfirm_;
    std::unique_ptr<QtUiPort> ui_;
    QFrame* photoArea_;
    QFrame* musicArea_;
    QFrame* lyricArea_;
    std::unique_ptr<PhotoArea> photos_;
    MusicTileArea* musicTiles_;
    MusicImportWindow* musicImport_;
    StatusPanel* status_;
    AlbumLengthDialog* albumLength_;
    OtherSettingsDialog* otherSettings_;
    CaptionEditorWindow* captions_;
    QWidget* commands_;
    QList<QWidget*> photoTools_;
    QList<QWidget*> musicTools_;
    QTimer* exitTimer_;
    bool startupStarted_ = false;
    bool startupDone_ = false;
    StartupReport startupReport_;
};

} // namespace fotarel::app
