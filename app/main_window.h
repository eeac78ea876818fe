#pragma once

#include "core/session.h"
#include "core/working_folder.h"
#include "engine/single_instance.h"
#include "engine/startup.h"

#include <QKeySequence>
#include <QWidget>

#include <functional>
#include <memory>
#include <optional>

class QAbstractButton;
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
class LyricTileArea;
class AudioAreas;
class StatusPanel;
class AlbumLengthDialog;
class OtherSettingsDialog;
class CaptionEditorWindow;
class SidePanels;
class HintWindow;
class CommandHints;
class WizardWindow;
class BrowserWindow;

// The main window (TForm1). It owns the session; its first show runs the
// start-up, its close box asks before it cleans the working tree and ends.
//
// Outline, top to bottom: the title bar (caption, layout buttons, close box);
// the command bar (addCommand, left to right); the area bar with the three
// area switches and the shown area's own tools (addAreaTool); the areas on
// the left and the right-hand status panels beside them.
class MainWindow : public QWidget {
    Q_OBJECT
public:
    static constexpr unsigned kBackgroundColour = 1185821;
    static constexpr int kCommandBarHeight = 44;
    static constexpr int kAreaBarHeight = 28;

    MainWindow(WorkingFolder folder, SingleInstanceGuard& guard, QWidget* parent = nullptr);
    // Program data and working tree in one folder.
    MainWindow(const QString& programFolder, SingleInstanceGuard& guard, QWidget* parent = nullptr);
    ~MainWindow() override;

    Session& session() { return session_; }
    const WorkingFolder& workingFolder() const { return folder_; }
    QtUiPort& ui() { return *ui_; }
    MessageWindow* messageWindow() const { return messages_; }
    ConfirmWindow* exitConfirmWindow() const { return exitConfirm_; }
    bool startupDone() const { return startupDone_; }
    const StartupReport& startupReport() const { return startupReport_; }

    // The three area frames. Every direct child of an area frame is kept
    // the frame's full size (put smaller things inside such a child).
    QFrame* photoArea() const { return photoArea_; }
    QFrame* musicArea() const { return musicArea_; }
    QFrame* lyricArea() const { return lyricArea_; }
    PhotoArea* photos() const { return photos_.get(); }
    MusicTileArea* musicTiles() const { return musicTiles_; }
    LyricTileArea* lyricTiles() const { return lyricTiles_; }
    AudioAreas* audioAreas() const { return audio_; }
    StatusPanel* statusPanel() const { return status_; }
    CaptionEditorWindow* captionEditor() const { return captions_; }
    SidePanels* sidePanels() const { return side_; }
    HintWindow* generalHint() const { return generalHint_; }
    HintWindow* tileHint(int area) const { return tileHints_[area]; }
    WizardWindow* wizard() const { return wizard_; }
    QTimer* wizardTimer() const { return wizardTimer_; }
    QTimer* hoverTimer() const { return hoverTimer_; }

    // Shows one of the three areas ("相片区域", "音乐区域", "歌词区域").
    enum class Area { Photos, Music, Lyrics };
    void chooseArea(Area area);

    // A command of the command bar, after the ones already there. `run` may
    // be empty when the command is connected elsewhere (found by its object
    // name). Its hint text comes from its object name. `shortcut` is its
    // keyboard shortcut, if any.
    QPushButton* addCommand(const QString& objectName, const QString& caption, std::function<void()> run,
                            const QKeySequence& shortcut = {});
    // A tool of one area's bar, shown while that area is.
    QPushButton* addAreaTool(Area area, const QString& objectName, const QString& caption, std::function<void()> run);

    // A command of the command bar or the area bar by its object name.
    QAbstractButton* commandButton(const QString& objectName) const;

    // Applies a layout ("kaishibuju", "quanpingbuju", "heshibuju"),
    // records it in Edit_jiemian and remembers it for the next start.
    void applyLayout(const QString& word);
    // The layout the previous run ended in ("kaishibuju" the first time).
    static QString rememberedLayout();

    // Runs the wizard step recorded in xiangce_xiangdao_buzhou (the wizard
    // timer's tick): presses the main window's command for it.
    void runWizardStep();
    void openWizard();

    // The template effect preview of a photo row (tile double-click, the
    // context menu's and the browser's "预览效果", F5); without a row or
    // photos the message window says why.
    void previewPhoto(std::optional<int> row);
    // The selected photo row of the photos area (tile or list), if any.
    std::optional<int> selectedPhotoRow() const;
    // "大图片浏览".
    void openBrowser();
    BrowserWindow* browser() const { return browser_; }

    // "保存相册" / "打开相册": the album as a project file (project/README.md).
    // Saving returns true when the album was written.
    bool saveAlbumCommand();
    void openAlbumCommand();
    // Opens the album project at `path` as "打开相册" does.
    void openAlbumFile(const QString& path);
    // A project to open once start-up is done, in place of the album wizard.
    void openAtStart(const QString& path) { startProject_ = path; }

public slots:
    // The close box of the title bar: ask once (save a changed album, leave
    // it, or stay), then hide, clean and close.
    void closeCommand();

signals:
    // Start-up ended; exitCode >= 0 means the program must end with it.
    void startupFinished(int exitCode);
    // The close box's exit has cleaned the working tree: the program ends.
    void exitDone();

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void runStartup();
    void exitTimerTick();
    void hoverTick();
    QFrame* makeArea(const QString& name);
    void buildCommands();
    void buildAreaBar();
    void relayout();
    void showTileHint(const QString& variable, const QString& tileName);

    Session session_;
    WorkingFolder folder_;
    SingleInstanceGuard& guard_;
    TitleBar* title_;
    MessageWindow* messages_;
    ConfirmWindow* exitConfirm_;
    std::unique_ptr<QtUiPort> ui_;
    QByteArray savedAlbum_; // the album as last saved or opened (project text)
    QFrame* photoArea_;
    QFrame* musicArea_;
    QFrame* lyricArea_;
    std::unique_ptr<PhotoArea> photos_;
    MusicTileArea* musicTiles_;
    LyricTileArea* lyricTiles_;
    AudioAreas* audio_ = nullptr;
    StatusPanel* status_;
    SidePanels* side_;
    AlbumLengthDialog* albumLength_;
    OtherSettingsDialog* otherSettings_;
    CaptionEditorWindow* captions_;
    QWidget* commands_;
    QWidget* areaBar_;
    QList<QPushButton*> commandButtons_;
    QList<QPushButton*> areaSwitches_;
    QList<QPushButton*> areaTools_[3];
    Area shownArea_ = Area::Photos;
    HintWindow* generalHint_;
    HintWindow* tileHints_[3];
    QString hintedTile_[3];
    CommandHints* commandHints_;
    WizardWindow* wizard_ = nullptr;
    BrowserWindow* browser_;
    QTimer* wizardStartTimer_;
    QTimer* wizardTimer_;
    QTimer* hoverTimer_;
    QTimer* exitTimer_;
    bool startupStarted_ = false;
    bool startupDone_ = false;
    StartupReport startupReport_;
    QString startProject_;
};

} // namespace fotarel::app
