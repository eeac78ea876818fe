#include "app/main_window.h"

#include "app/audio/music_import_window.h"
#include "app/audio/audio_areas.h"
#include "app/audio/audio_tile_area.h"
#include "app/confirm_window.h"
#include "app/effects/caption_editor_window.h"
#include "app/hints/hint_window.h"
#include "app/hints/tile_hints.h"
#include "app/message_window.h"
#include "app/photos/browser_window.h"
#include "app/photos/photo_area.h"
#include "app/preview/preview_window.h"
#include "app/qt_ui_port.h"
#include "app/karaoke/karaoke_settings_window.h"
#include "app/render/output_buttons.h"
#include "app/settings/album_length_dialog.h"
#include "app/settings/other_settings_dialog.h"
#include "app/settings/status_panel.h"
#include "app/side_panels.h"
#include "app/title_bar.h"
#include "app/window_activation.h"
#include "app/wizard/wizard_window.h"
#include "core/colours.h"
#include "engine/exit_command.h"
#include "engine/layouts.h"
#include "engine/wizard.h"
#include "photos/browser.h"
#include "photos/photo_columns.h"
#include "photos/preview.h"
#include "photos/thumbnails.h"
#include "project/album_project.h"

#include <QCloseEvent>
#include <QCursor>
#include <QDir>
#include <QFrame>
#include <QPushButton>
#include <QScreen>
#include <QSettings>
#include <QShortcut>
#include <QStandardPaths>
#include <QTimer>
#include <QTreeWidget>

#include <cstdio>

namespace fotarel::app {

namespace {

const QString kCommandStyle = QStringLiteral(
    "QPushButton { color: white; background: #3a4452; border: 1px solid #56606e; border-radius: 4px;"
    " font-family: '微软雅黑'; font-size: 14px; padding: 0 4px; }"
    "QPushButton:hover { background: #4a5666; }"
    "QPushButton:pressed { background: #2c3440; }");
const QString kAreaBarStyle = QStringLiteral(
    "QPushButton { color: #d9dee5; background: transparent; border: none; font-family: '微软雅黑';"
    " font-size: 13px; padding: 0 8px; }"
    "QPushButton:hover { color: white; text-decoration: underline; }"
    "QPushButton:checked { color: rgb(253, 209, 2); }");

const char* const kHoverVariables[3] = {"Edit_chakankongjian_shiyong_2", "Edit_chakankongjian_shiyong_yinyue2",
                                        "Edit_chakankongjian_shiyong_geci2"};

QString layoutSettingsFile()
{
    return QStandardPaths::writableLocation(QStandardPaths::AppConfigLocation) + QStringLiteral("/layout.ini");
}

// Every direct child of an area frame covers the whole area.
class FillChildren : public QObject {
public:
    using QObject::QObject;
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::Resize)
            if (auto* frame = qobject_cast<QWidget*>(watched))
                for (QWidget* child : frame->findChildren<QWidget*>(Qt::FindDirectChildrenOnly))
                    if (!child->isWindow())
                        child->setGeometry(frame->rect());
        return false;
    }
};

} // namespace

MainWindow::MainWindow(const QString& programFolder, SingleInstanceGuard& guard, QWidget* parent)
    : MainWindow(WorkingFolder(programFolder), guard, parent)
{
}

MainWindow::MainWindow(WorkingFolder folder, SingleInstanceGuard& guard, QWidget* parent)
    : QWidget(parent, Qt::Window | Qt::FramelessWindowHint),
      folder_(std::move(folder)),
      guard_(guard),
      title_(new TitleBar(QStringLiteral("Fotarel2018"), this)),
      messages_(new MessageWindow(this)),
      exitConfirm_(new ConfirmWindow(QStringLiteral("TForm25"), kExitTitle, this)),
      ui_(std::make_unique<QtUiPort>(this, messages_, exitConfirm_)),
      photoArea_(makeArea(QStringLiteral("Panel_xianshikuang"))),
      musicArea_(makeArea(QStringLiteral("Panel_xianshikuang_yinyue"))),
      lyricArea_(makeArea(QStringLiteral("Panel_xianshikuang_geci"))),
      photos_(std::make_unique<PhotoArea>(session_, folder_, *ui_, photoArea_)),
      musicTiles_(new MusicTileArea(session_, folder_, musicArea_)),
      lyricTiles_(new LyricTileArea(session_, folder_, lyricArea_)),
      status_(new StatusPanel(session_, this)),
      side_(new SidePanels(status_, this)),
      albumLength_(new AlbumLengthDialog(session_, this)),
      otherSettings_(new OtherSettingsDialog(session_, this)),
      captions_(new CaptionEditorWindow(session_, *ui_, this)),
      commands_(new QWidget(this)),
      areaBar_(new QWidget(this)),
      generalHint_(new HintWindow(QStringLiteral("TForm30"), QStringLiteral("提示窗口"), this)),
      tileHints_{new HintWindow(QStringLiteral("TForm31"), QStringLiteral("相片控件渐变提示信息"), this),
                 new HintWindow(QStringLiteral("TForm32"), QStringLiteral("音乐控件渐变提示信息"), this),
                 new HintWindow(QStringLiteral("TForm33"), QStringLiteral("歌词控件渐变提示信息"), this)},
      commandHints_(new CommandHints(generalHint_, this)),
      browser_(nullptr),
      wizardStartTimer_(new QTimer(this)),
      wizardTimer_(new QTimer(this)),
      hoverTimer_(new QTimer(this)),
      exitTimer_(new QTimer(this))
{
    setObjectName(QStringLiteral("TForm1"));
    setWindowTitle(QStringLiteral("Fotarel2018"));
    connect(title_, &TitleBar::closeClicked, this, &MainWindow::closeCommand);
    title_->addLayoutButtons({layouts::kStart, layouts::kFullScreen, layouts::kFitted},
                             {QStringLiteral("开始布局"), QStringLiteral("全屏"), QStringLiteral("还原")});
    connect(title_, &TitleBar::layoutRequested, this, &MainWindow::applyLayout);
    connect(title_, &TitleBar::doubleClicked, this, [this] {
        applyLayout(layouts::afterTitleDoubleClick(session_.get(QStringLiteral("Edit_jiemian"))));
    });

    exitTimer_->setObjectName(QStringLiteral("Timer_tuichuruanjian"));
    exitTimer_->setInterval(1);
    connect(exitTimer_, &QTimer::timeout, this, &MainWindow::exitTimerTick);
    wizardStartTimer_->setObjectName(QStringLiteral("Timer_qidongxiangdao"));
    wizardStartTimer_->setSingleShot(true);
    wizardStartTimer_->setInterval(1);
    connect(wizardStartTimer_, &QTimer::timeout, this, &MainWindow::openWizard);
    wizardTimer_->setObjectName(QStringLiteral("Timer_xiangce_xiangdao"));
    wizardTimer_->setSingleShot(true);
    wizardTimer_->setInterval(1);
    connect(wizardTimer_, &QTimer::timeout, this, &MainWindow::runWizardStep);
    // The hover timer closes a tile's hint once the cursor has left the tile
    // (a tile under a moving cursor gets no leave event when it is dragged
    // or rebuilt), and keeps the cursor's place in the shown area.
    hoverTimer_->setObjectName(QStringLiteral("Timer_zuobiao"));
    hoverTimer_->setInterval(50);
    connect(hoverTimer_, &QTimer::timeout, this, &MainWindow::hoverTick);
    session_.setHoverListener([this](const QString& variable, const QString& tile) { showTileHint(variable, tile); });

    audio_ = new AudioAreas(session_, folder_, *ui_, *musicTiles_, *lyricTiles_, this,
                            [this](int area) { chooseArea(Area(area)); });
    buildCommands();
    buildAreaBar();
    connect(photos_.get(), &PhotoArea::photoAreaWanted, this, [this] { chooseArea(Area::Photos); });
    connect(side_, &SidePanels::areaWanted, this, [this](int area) { chooseArea(Area(area)); });
    connect(photos_.get(), &PhotoArea::photoSelected, this, [this](int row) {
        const Table& photos = session_.table(photo_tables::Photos);
        if (row < photos.rowCount())
            side_->showSelectedPhoto(renderPhotoInBox(photos.cell(row, PhotoCol::Path),
                                                      QSize(SidePanels::kPreviewWidth, SidePanels::kPreviewHeight)));
    });
    photos_->context().view.clearPreview = [this] { side_->clearSelectedPhoto(); };
    connect(photos_.get(), &PhotoArea::previewRequested, this, [this](int row) { previewPhoto(row); });
    BrowserWindow::Hooks browserHooks;
    browserHooks.preview = [this](int row) { previewPhoto(row >= 0 ? std::optional<int>(row) : std::nullopt); };
    browserHooks.deleteRow = [this](int row) {
        // As the list view's "删除": the main window shows its list with
        // the same row selected, then deletes it.
        photos_->showList();
        QTreeWidget* list = photos_->list();
        list->clearSelection();
        if (QTreeWidgetItem* item = list->topLevelItem(row)) {
            list->setCurrentItem(item);
            item->setSelected(true);
        }
        photos_->deleteOne();
    };
    browserHooks.deleteAll = [this] { photos_->deleteAll(); };
    browserHooks.message = [this](const QString& text) { ui_->showMessage(text); };
    browser_ = new BrowserWindow(session_, browserHooks, this);
    photos_->context().view.clearBrowser = [this] { browser_->clear(); };
    connect(side_, &SidePanels::browserWanted, this, &MainWindow::openBrowser);
    new WindowActivation(this);
    new QShortcut(QKeySequence(Qt::CTRL | Qt::Key_B), this, [this] { openBrowser(); });
    new QShortcut(QKeySequence(Qt::Key_F5), this, [this] { previewPhoto(selectedPhotoRow()); });

    auto* fill = new FillChildren(this);
    for (QFrame* area : {photoArea_, musicArea_, lyricArea_})
        area->installEventFilter(fill);

    const QString remembered = rememberedLayout();
    if (QScreen* screen = this->screen())
        setGeometry(layouts::windowGeometry(remembered, screen->geometry(), screen->availableGeometry()));
    commandHints_->attachAll(this);
}

MainWindow::~MainWindow() = default;

QFrame* MainWindow::makeArea(const QString& name)
{
    auto* area = new QFrame(this);
    area->setObjectName(name);
    // A size already, so the contents built over it get one; the layout
    // places the areas again.
    area->setGeometry(5, 100, 880, 550);
    area->setAutoFillBackground(true);
    QPalette pal = area->palette();
    pal.setColor(QPalette::Window, QColor(0x2a, 0x31, 0x3a));
    area->setPalette(pal);
    area->hide();
    return area;
}

QPushButton* MainWindow::addCommand(const QString& objectName, const QString& caption, std::function<void()> run,
                                    const QKeySequence& shortcut)
{
    auto* button = new QPushButton(caption, commands_);
    button->setObjectName(objectName);
    button->setCursor(Qt::PointingHandCursor);
    button->setFocusPolicy(Qt::NoFocus);
    if (run)
        connect(button, &QPushButton::clicked, this, std::move(run));
    if (!shortcut.isEmpty()) {
        // One shortcut per key: a second one on the button itself would make
        // the key ambiguous, and an ambiguous key does nothing.
        auto* key = new QShortcut(shortcut, this);
        connect(key, &QShortcut::activated, button, &QPushButton::click);
    }
    commandButtons_ << button;
    commandHints_->attachAll(commands_);
    relayout();
    return button;
}

QPushButton* MainWindow::addAreaTool(Area area, const QString& objectName, const QString& caption,
                                     std::function<void()> run)
{
    auto* b = new QPushButton(caption, areaBar_);
    b->setObjectName(objectName);
    b->setCursor(Qt::PointingHandCursor);
    b->setFocusPolicy(Qt::NoFocus);
    if (run)
        connect(b, &QPushButton::clicked, this, std::move(run));
    areaTools_[int(area)] << b;
    b->setVisible(area == shownArea_);
    commandHints_->attachAll(areaBar_);
    relayout();
    return b;
}

void MainWindow::buildCommands()
{
    commands_->setObjectName(QStringLiteral("Panel_mingling"));
    commands_->setStyleSheet(kCommandStyle);
    addCommand(QStringLiteral("suiButton1"), QStringLiteral("添加相片"), [this] { photos_->addPhotos(); },
               QKeySequence(Qt::CTRL | Qt::Key_1));
    addCommand(QStringLiteral("suiButton2"), QStringLiteral("添加音乐"), [this] { audio_->addMusic(); },
               QKeySequence(Qt::CTRL | Qt::Key_2));
    addCommand(QStringLiteral("suiButton3"), QStringLiteral("添加歌词"), [this] { audio_->addLyrics(); },
               QKeySequence(Qt::CTRL | Qt::Key_3));
    addCommand(QStringLiteral("suiButton_kalaok_shezhi"), QStringLiteral("卡拉OK设置"), [this] {
        // One settings window for the program's run, made when first opened; it
        // plays through the audio areas' player, so only one song sounds at a time.
        auto* karaoke = findChild<KaraokeSettingsWindow*>();
        if (!karaoke)
            karaoke = new KaraokeSettingsWindow(session_, folder_, *ui_, &audio_->player(), this);
        karaoke->run();
    });
    addCommand(QStringLiteral("suiButton4"), QStringLiteral("相册长度"), [this] { albumLength_->run(); });
    addCommand(QStringLiteral("suiButton9"), QStringLiteral("其它设置"), [this] { otherSettings_->run(); });
    addCommand(QStringLiteral("suiButton5"), QStringLiteral("文字特效"), [this] { captions_->run(); });
    addCommand(QStringLiteral("suiButton_xiangdao"), QStringLiteral("相册向导"), [this] { openWizard(); },
               QKeySequence(Qt::Key_F1));
    addCommand(QStringLiteral("suiButton_dakai_xiangce"), QStringLiteral("打开相册"), [this] { openAlbumCommand(); },
               QKeySequence(Qt::CTRL | Qt::Key_O));
    addCommand(QStringLiteral("suiButton_baocun_xiangce"), QStringLiteral("保存相册"), [this] { saveAlbumCommand(); },
               QKeySequence(Qt::CTRL | Qt::Key_S));
    // The output commands; OutputButtons finds them by name and runs them.
    QPushButton* first = addCommand(QStringLiteral("suiButton10"), QStringLiteral("VCD"), {});
    first->setProperty("groupStart", true);
    addCommand(QStringLiteral("suiButton11"), QStringLiteral("SVCD"), {});
    addCommand(QStringLiteral("suiButton12"), QStringLiteral("DVD"), {}, QKeySequence(Qt::CTRL | Qt::Key_D));
    addCommand(QStringLiteral("suiButton38"), QStringLiteral("AVI"), {});
    addCommand(QStringLiteral("suiButton_mp4"), QStringLiteral("MP4"), {}, QKeySequence(Qt::CTRL | Qt::Key_M));
    addCommand(QStringLiteral("suiButton39"), QStringLiteral("序列图"), {});
    new OutputButtons(this, session_, folder_, *ui_);
}

void MainWindow::buildAreaBar()
{
    areaBar_->setObjectName(QStringLiteral("Panel_quyu"));
    areaBar_->setStyleSheet(kAreaBarStyle);
    const std::pair<const char*, const char*> switches[] = {
        {"Label_xiangpianquyu", "相片区域"}, {"Label_yinyuequyu", "音乐区域"}, {"Label_geciquyu", "歌词区域"}};
    for (int i = 0; i < 3; ++i) {
        auto* b = new QPushButton(QString::fromUtf8(switches[i].second), areaBar_);
        b->setObjectName(QString::fromLatin1(switches[i].first));
        b->setCheckable(true);
        b->setChecked(i == 0);
        b->setCursor(Qt::PointingHandCursor);
        b->setFocusPolicy(Qt::NoFocus);
        connect(b, &QPushButton::clicked, this, [this, i] { chooseArea(Area(i)); });
        areaSwitches_ << b;
    }
    PhotoArea* photos = photos_.get();
    addAreaTool(Area::Photos, QStringLiteral("suiButton13"), QStringLiteral("图标"), [photos] { photos->showTiles(); });
    addAreaTool(Area::Photos, QStringLiteral("suiButton14"), QStringLiteral("列表"), [photos] { photos->showList(); });
    addAreaTool(Area::Photos, QStringLiteral("suiButton15"), QStringLiteral("删除"), [photos] { photos->deleteOne(); });
    addAreaTool(Area::Photos, QStringLiteral("suiButton16"), QStringLiteral("全删"), [photos] { photos->deleteAll(); });
    MusicTileArea* music = musicTiles_;
    addAreaTool(Area::Music, QStringLiteral("suiButton17"), QStringLiteral("图标"), [music] { music->showTiles(); });
    addAreaTool(Area::Music, QStringLiteral("suiButton18"), QStringLiteral("列表"), [music] { music->showList(); });
    for (const AudioAreas::Tool& tool : audio_->musicTools())
        addAreaTool(Area::Music, tool.objectName, tool.caption, tool.run);
    LyricTileArea* lyrics = lyricTiles_;
    addAreaTool(Area::Lyrics, QStringLiteral("suiButton19"), QStringLiteral("图标"), [lyrics] { lyrics->showTiles(); });
    addAreaTool(Area::Lyrics, QStringLiteral("suiButton20"), QStringLiteral("列表"), [lyrics] { lyrics->showList(); });
    for (const AudioAreas::Tool& tool : audio_->lyricTools())
        addAreaTool(Area::Lyrics, tool.objectName, tool.caption, tool.run);
    // A selected song or lyric file shows its tile picture in the big preview.
    for (AudioTileArea* tiles : {static_cast<AudioTileArea*>(musicTiles_), static_cast<AudioTileArea*>(lyricTiles_)})
        connect(tiles, &AudioTileArea::previewSelected, this, [this](const QString& caption, const QString& path) {
            side_->previewTitle()->setText(caption);
            side_->previewPicture()->setPixmap(QPixmap(path).scaled(SidePanels::kPreviewWidth,
                                                                    SidePanels::kPreviewHeight, Qt::KeepAspectRatio));
        });
    connect(audio_, &AudioAreas::previewCleared, side_, &SidePanels::clearSelectedPhoto);
}

void MainWindow::relayout()
{
    const int w = width(), h = height();
    title_->setGeometry(0, 0, w, TitleBar::kHeight);

    // Commands left to right at their natural widths; a row that would pass
    // the window's edge continues on the next one, so no caption is cut.
    constexpr int kButtonHeight = 32, kRowHeight = 38, kSpacing = 6, kGroupGap = 18;
    // The roomy padding while one row holds every command, a tight one
    // before a second row is needed.
    int natural = 8;
    for (QPushButton* b : std::as_const(commandButtons_))
        natural += std::max(64, b->fontMetrics().horizontalAdvance(b->text()) + 30) + kSpacing +
                   (b->property("groupStart").toBool() ? kGroupGap : 0);
    const int padding = natural <= w - 8 ? 30 : 18;
    int x = 8, row = 0;
    for (QPushButton* b : std::as_const(commandButtons_)) {
        const int bw = std::max(padding == 30 ? 64 : 48, b->fontMetrics().horizontalAdvance(b->text()) + padding);
        if (b->property("groupStart").toBool())
            x += kGroupGap;
        if (x + bw > w - 8 && x > 8) {
            x = 8;
            ++row;
        }
        b->setGeometry(x, 6 + row * kRowHeight, bw, kButtonHeight);
        x += bw + kSpacing;
    }
    const int commandHeight = std::max(kCommandBarHeight, 6 + (row + 1) * kRowHeight);
    commands_->setGeometry(0, TitleBar::kHeight, w, commandHeight);

    const int top = TitleBar::kHeight + commandHeight;
    const int areaWidth = std::max(100, w - layouts::kPanelWidth - 15);
    areaBar_->setGeometry(5, top, areaWidth, kAreaBarHeight);
    x = 0;
    auto place = [&x](QPushButton* b) {
        const int bw = b->fontMetrics().horizontalAdvance(b->text()) + 18;
        b->setGeometry(x, 2, bw, kAreaBarHeight - 4);
        x += bw + 2;
    };
    for (QPushButton* b : std::as_const(areaSwitches_))
        place(b);
    x += 24;
    for (QPushButton* b : std::as_const(areaTools_[int(shownArea_)]))
        place(b);

    const QRect areaRect(5, top + kAreaBarHeight, areaWidth, std::max(100, h - top - kAreaBarHeight - 5));
    for (QFrame* area : {photoArea_, musicArea_, lyricArea_})
        area->setGeometry(areaRect);
    side_->setGeometry(w - layouts::kPanelWidth - 5, top, layouts::kPanelWidth, std::max(0, h - top - 5));
}

void MainWindow::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    relayout();
}

void MainWindow::chooseArea(Area area)
{
    // Choosing the music or lyric area forgets the selected tile; choosing the
    // photo area keeps it. The tile/list choice stays as it was.
    if (area != Area::Photos)
        session_.set(QStringLiteral("Edit_xiangpian_down_id"), QStringLiteral("wu"));
    shownArea_ = area;
    photoArea_->setVisible(area == Area::Photos);
    musicArea_->setVisible(area == Area::Music);
    lyricArea_->setVisible(area == Area::Lyrics);
    for (int i = 0; i < 3; ++i) {
        areaSwitches_[i]->setChecked(i == int(area));
        for (QPushButton* b : std::as_const(areaTools_[i]))
            b->setVisible(i == int(area));
    }
    relayout();
}

QString MainWindow::rememberedLayout()
{
    const QSettings settings(layoutSettingsFile(), QSettings::IniFormat);
    const QString word = settings.value(QStringLiteral("Edit_jiemian")).toString();
    return layouts::isLayoutWord(word) ? word : layouts::kStart;
}

void MainWindow::applyLayout(const QString& word)
{
    const QString layout = layouts::isLayoutWord(word) ? word : layouts::kStart;
    session_.set(QStringLiteral("Edit_jiemian"), layout);
    if (QScreen* screen = this->screen())
        setGeometry(layouts::windowGeometry(layout, screen->geometry(), screen->availableGeometry()));
    QDir().mkpath(QFileInfo(layoutSettingsFile()).path());
    QSettings settings(layoutSettingsFile(), QSettings::IniFormat);
    settings.setValue(QStringLiteral("Edit_jiemian"), layout);
}

void MainWindow::showTileHint(const QString& variable, const QString& tileName)
{
    for (int i = 0; i < 3; ++i) {
        if (variable != QLatin1String(kHoverVariables[i]))
            continue;
        HintWindow* hint = tileHints_[i];
        // Moving inside the tile that already has its hint changes nothing.
        if (hintedTile_[i] == tileName && hint->fade().phase() != hints::HintFade::Phase::Hidden)
            return;
        const auto content = tileHintFor(session_, variable, tileName);
        if (!content)
            return;
        hintedTile_[i] = tileName;
        hint->startLines(content->lines, content->footer);
        hoverTimer_->start();
    }
}

void MainWindow::hoverTick()
{
    const QFrame* areas[3] = {photoArea_, musicArea_, lyricArea_};
    bool anyHint = false;
    const QPoint cursor = QCursor::pos();
    for (int i = 0; i < 3; ++i) {
        if (areas[i]->isVisible()) {
            const QPoint inArea = areas[i]->mapFromGlobal(cursor);
            session_.setInt(QStringLiteral("Edit_x"), inArea.x());
            session_.setInt(QStringLiteral("Edit_y"), inArea.y());
        }
        HintWindow* hint = tileHints_[i];
        if (hint->fade().phase() == hints::HintFade::Phase::Hidden)
            continue;
        const QWidget* tile = areas[i]->findChild<QWidget*>(hintedTile_[i]);
        if (!tile || !tile->isVisible() || !tile->rect().contains(tile->mapFromGlobal(cursor))) {
            hint->closeNow();
            hintedTile_[i].clear();
            continue;
        }
        anyHint = true;
    }
    if (!anyHint)
        hoverTimer_->stop();
}

QAbstractButton* MainWindow::commandButton(const QString& objectName) const
{
    // Only the command bar and the area bar: other windows have buttons of
    // the same names.
    if (auto* b = commands_->findChild<QAbstractButton*>(objectName))
        return b;
    return areaBar_->findChild<QAbstractButton*>(objectName);
}

std::optional<int> MainWindow::selectedPhotoRow() const
{
    bool ok = false;
    if (session_.get(QStringLiteral("Edit_tubiao_liebiao")) == QLatin1String("liebiao")) {
        const QList<QTreeWidgetItem*> items = photos_->list()->selectedItems();
        if (items.isEmpty())
            return std::nullopt;
        return photos_->list()->indexOfTopLevelItem(items.first());
    }
    const int row = session_.get(QStringLiteral("Edit_xiangpian_down_id")).toInt(&ok);
    return ok ? std::optional<int>(row) : std::nullopt;
}

void MainWindow::previewPhoto(std::optional<int> row)
{
    tileHints_[0]->closeNow();
    const preview::Choice choice = preview::choosePhoto(session_, row);
    if (!choice.refusal.isEmpty()) {
        ui_->showMessage(choice.refusal);
        return;
    }
    session_.set(QStringLiteral("Edit_shuangji_yulan_or_qitacaozuo"), QStringLiteral("shuangji_yulan"));
    session_.set(QStringLiteral("Edit_Image_chakanxiangpian_T_or_F"), QStringLiteral("False"));
    PreviewWindow window(session_, folder_, this);
    window.message = [this](const QString& text) { ui_->showMessage(text); };
    bool invalid = false;
    connect(&window, &PreviewWindow::invalidTemplate, &window, [&window, &invalid] {
        invalid = true;
        window.close();
    });
    window.prepare(choice.row);
    if (!invalid)
        window.exec();
    if (invalid)
        close(); // a movie that is no template ends the program, as a render does
}

void MainWindow::openBrowser()
{
    if (session_.table(photo_tables::Photos).isEmpty()) {
        ui_->showMessage(browser::kNoPhotosToOpen);
        return;
    }
    browser_->open();
}

void MainWindow::openWizard()
{
    if (!wizard_) {
        wizard_ = new WizardWindow(
            [this](const QString& command) { return commandButton(command) != nullptr; }, this);
        connect(wizard_, &WizardWindow::stepPressed, this, [this](int step) {
            if (wizard::press(session_, *ui_, step))
                wizardTimer_->start();
        });
    }
    wizard_->refreshSteps();
    wizard_->show();
    wizard_->raise();
}

void MainWindow::runWizardStep()
{
    wizardTimer_->stop();
    const QString command = wizard::commandForRecordedStep(session_);
    if (QAbstractButton* button = commandButton(command))
        button->click();
}

void MainWindow::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    if (!startupStarted_) {
        startupStarted_ = true;
        QTimer::singleShot(0, this, &MainWindow::runStartup);
    }
}

void MainWindow::runStartup()
{
    StartupHooks hooks;
    hooks.prepareWindow = [this] {
        QPalette pal = palette();
        pal.setColor(QPalette::Window, colourFromValue(kBackgroundColour));
        setPalette(pal);
        setAutoFillBackground(true);
    };
    hooks.placeAreas = [this] {
        const QColor background = photoArea_->palette().color(QPalette::Window);
        for (QFrame* area : {photoArea_, musicArea_, lyricArea_}) {
            QPalette pal = area->palette();
            pal.setColor(QPalette::Window, background);
            area->setPalette(pal);
        }
        applyLayout(rememberedLayout());
        chooseArea(Area::Photos);
    };
    startupReport_ = fotarel::runStartup(session_, folder_, guard_, *ui_, hooks);
    startupDone_ = true;

    int exitCode = -1;
    switch (startupReport_.outcome) {
    case StartupOutcome::Ready:
        savedAlbum_ = project::projectText(session_); // the empty album needs no saving
        status_->timer()->start();
        commandHints_->attachAll(this);
        // A project given to the program opens instead of the album wizard.
        if (startProject_.isEmpty())
            wizardStartTimer_->start();
        else
            QTimer::singleShot(0, this, [this] { openAlbumFile(startProject_); });
        break;
    case StartupOutcome::AnotherInstanceRunning:
        exitCode = 0;
        break;
    case StartupOutcome::InvalidTemplateMarker:
        std::fprintf(stderr, "Fotarel: template description %s has no valid marker; the program ends.\n",
                     qPrintable(startupReport_.detail));
        exitCode = 0;
        break;
    case StartupOutcome::FolderUnavailable:
        exitCode = 1;
        break;
    }
    emit startupFinished(exitCode);
}

bool MainWindow::saveAlbumCommand()
{
    QString path = ui_->chooseSaveFile(project::kProjectFilter);
    if (path.isEmpty())
        return false;
    if (!path.endsWith(project::kProjectExtension, Qt::CaseInsensitive))
        path += project::kProjectExtension;
    const QString error = project::saveProject(session_, path);
    if (!error.isEmpty()) {
        ui_->showMessage(error);
        return false;
    }
    savedAlbum_ = project::projectText(session_);
    return true;
}

void MainWindow::openAlbumCommand()
{
    const QStringList files = ui_->chooseOpenFiles(project::kProjectFilter, {});
    if (!files.isEmpty())
        openAlbumFile(files.first());
}

void MainWindow::openAlbumFile(const QString& path)
{
    // The photos area shows the import window while the groups are rebuilt.
    bool opened = false;
    auto work = [this, &path, &opened] { opened = project::openProject(photos_->context(), path).opened; };
    if (photos_->context().view.runInImportWindow)
        photos_->context().view.runInImportWindow(work);
    else
        work();
    if (!opened)
        return;
    savedAlbum_ = project::projectText(session_);
    musicTiles_->rebuildTiles();
    lyricTiles_->rebuildTiles();
}

void MainWindow::closeCommand()
{
    // One question: a changed album asks whether to save it ("取消" stays in
    // the program, as does a save that did not happen); an unchanged one
    // only asks whether to leave.
    if (project::albumChanged(session_, savedAlbum_)) {
        switch (exitConfirm_->askThree(kUnsavedExitQuestion, kSaveAnswer, kDontSaveAnswer)) {
        case ConfirmWindow::Answer::Cancel:
            return;
        case ConfirmWindow::Answer::Accept:
            if (!saveAlbumCommand())
                return;
            break;
        case ConfirmWindow::Answer::Other:
            break;
        }
    } else if (!confirmExit(*ui_)) {
        return;
    }
    // The window goes at once; the working tree is cleaned behind it.
    hide();
    exitTimer_->start();
}

void MainWindow::exitTimerTick()
{
    exitTimer_->stop();
    status_->timer()->stop();
    cleanWorkingTreeAtExit(folder_);
    close();
    // The window was hidden already, so its closing is no "last window
    // closed": the program is told to end.
    emit exitDone();
}

void MainWindow::closeEvent(QCloseEvent* event)
{
    // Closing by any means ends the program; only the close box's path
    // (closeCommand) cleans the working tree first.
    if (wizard_)
        wizard_->close();
    event->accept();
}

} // namespace fotarel::app
