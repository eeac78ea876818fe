#include "app/karaoke/karaoke_settings_window.h"

#include "app/karaoke/karaoke_dialogs.h"
#include "audio/music_table.h"
#include "audio/qt_audio_player.h"
#include "karaoke/karaoke_table.h"

#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPushButton>
#include <QTimer>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace fotarel::app {

// The black 800 × 450 preview panel `Panel_ksc`.
class KaraokePanel : public QWidget {
public:
    KaraokePanel(karaoke::KaraokePreview& preview, QWidget* parent) : QWidget(parent), preview_(preview)
    {
        setObjectName(QStringLiteral("Panel_ksc"));
        setFixedSize(karaoke::kPanelWidth, karaoke::kPanelHeight);
    }

protected:
    void paintEvent(QPaintEvent*) override
    {
        QPainter p(this);
        p.fillRect(rect(), Qt::black);
        if (preview_.showingLines())
            preview_.painter()->paint(p, size(), preview_.positionMs());
    }

private:
    karaoke::KaraokePreview& preview_;
};

namespace {

QLineEdit* readOnlyEdit(const QString& objectName, QWidget* parent, int width)
{
    auto* edit = new QLineEdit(parent);
    edit->setObjectName(objectName);
    edit->setReadOnly(true);
    edit->setFixedWidth(width);
    return edit;
}

constexpr int kDisplayTickMs = 20;

} // namespace

KaraokeSettingsWindow::KaraokeSettingsWindow(Session& session, const WorkingFolder& folder, UiPort& ui,
                                             audio::AudioPlayer* player, QWidget* parent)
    : QDialog(parent),
      session_(session),
      folder_(folder),
      ui_(ui),
      ownPlayer_(player ? nullptr : std::make_unique<audio::QtAudioPlayer>()),
      preview_(std::make_unique<karaoke::KaraokePreview>(session, player ? *player : *ownPlayer_, ui)),
      panel_(new KaraokePanel(*preview_, this)),
      list_(new QTreeWidget(this)),
      songs_(new QComboBox(this)),
      chosenSong_(readOnlyEdit(QStringLiteral("suiEdit_xuanzhongyinyue"), this, 220)),
      chosenFile_(readOnlyEdit(QStringLiteral("suiEdit_xuanzhonggeci"), this, 220)),
      current_(readOnlyEdit(QStringLiteral("suiEdit_dangqianshijian"), this, 90)),
      total_(readOnlyEdit(QStringLiteral("suiEdit_zongshijian"), this, 90)),
      timer_(new QTimer(this))
{
    setObjectName(QStringLiteral("TForm46"));
    setWindowTitle(QStringLiteral("卡拉OK设置"));
    setModal(true);

    list_->setObjectName(karaoke::names::KaraokeTable);
    list_->setRootIsDecorated(false);
    list_->setSelectionMode(QAbstractItemView::ExtendedSelection);
    list_->setHeaderLabels(karaoke::karaokeListColumns());
    list_->setMinimumHeight(150);
    connect(list_, &QTreeWidget::itemClicked, this, [this] { chooseListRow(); });
    songs_->setObjectName(QStringLiteral("ComboBox_xuanzeyinyue"));
    songs_->setMinimumWidth(220);
    connect(songs_, &QComboBox::activated, this, &KaraokeSettingsWindow::chooseSong);

    auto button = [this](const char* name, const QString& caption, void (KaraokeSettingsWindow::*run)()) {
        auto* b = new QPushButton(caption, this);
        b->setObjectName(QString::fromLatin1(name));
        connect(b, &QPushButton::clicked, this, run);
        return b;
    };
    QPushButton* importButton = button("suiButton_daoru", QStringLiteral("导入卡拉OK歌词"), &KaraokeSettingsWindow::importFiles);
    QPushButton* deleteButton = button("suiButton_shanchu", QStringLiteral("删除歌词"), &KaraokeSettingsWindow::deleteSelected);
    QPushButton* deleteAllButton = button("suiButton_quanshan", QStringLiteral("全删歌词"), &KaraokeSettingsWindow::deleteAll);
    QPushButton* styleButton = button("suiButton_shezhi", QStringLiteral("设置歌词"), &KaraokeSettingsWindow::setStyle);
    QPushButton* matchButton = button("suiButton_pipei", QStringLiteral("查看匹配"), &KaraokeSettingsWindow::showMatch);
    QPushButton* playButton = button("suiButton_bofang", QStringLiteral("播放"), &KaraokeSettingsWindow::play);
    QPushButton* pauseButton = button("suiButton_zanting", QStringLiteral("暂停"), &KaraokeSettingsWindow::pause);
    QPushButton* stopButton = button("suiButton_tingzhi", QStringLiteral("停止"), &KaraokeSettingsWindow::stop);
    pauseButton_ = pauseButton;
    stopButton_ = stopButton;
    auto* back = new QPushButton(QStringLiteral("返     回"), this);
    back->setObjectName(QStringLiteral("suiButton_fanhui"));
    connect(back, &QPushButton::clicked, this, &KaraokeSettingsWindow::reject);
    lockedWhilePlaying_ = {importButton, deleteButton, deleteAllButton, styleButton, list_, songs_};

    auto* side = new QGridLayout;
    int row = 0;
    auto field = [&](const QString& caption, QWidget* widget) {
        side->addWidget(new QLabel(caption, this), row, 0);
        side->addWidget(widget, row, 1);
        ++row;
    };
    field(QStringLiteral("选择音乐"), songs_);
    field(QStringLiteral("选中的音乐"), chosenSong_);
    field(QStringLiteral("选中的歌词"), chosenFile_);
    field(QStringLiteral("当前时间"), current_);
    field(QStringLiteral("总时间"), total_);
    auto* transport = new QHBoxLayout;
    transport->addWidget(playButton);
    transport->addWidget(pauseButton);
    transport->addWidget(stopButton);
    side->addLayout(transport, row++, 0, 1, 2);
    side->setRowStretch(row++, 1);
    for (QPushButton* b : {importButton, deleteButton, deleteAllButton, styleButton, matchButton, back})
        side->addWidget(b, row++, 0, 1, 2);

    auto* top = new QHBoxLayout;
    top->addWidget(panel_);
    top->addLayout(side);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addWidget(list_);

    timer_->setObjectName(QStringLiteral("Timer2"));
    timer_->setInterval(kDisplayTickMs);
    connect(timer_, &QTimer::timeout, this, [this] {
        if (preview_->tick())
            setPlayingState(false);
        refreshDisplays();
        panel_->update();
    });
    prepare();
}

KaraokeSettingsWindow::~KaraokeSettingsWindow()
{
    timer_->stop();
}

QWidget* KaraokeSettingsWindow::panel() const
{
    return panel_;
}

void KaraokeSettingsWindow::prepare()
{
    session_.set(QStringLiteral("Edit_jiance_chushihua"), QStringLiteral("1"));
    songs_->clear();
    const Table& music = session_.table(audio::names::MusicTable);
    for (int i = 0; i < music.rowCount(); ++i)
        songs_->addItem(music.cell(i, audio::MusicCol::Name));
    songs_->setCurrentIndex(-1);
    preview_->chooseSong(-1);
    rebuildList();
    setPlayingState(false);
}

void KaraokeSettingsWindow::run()
{
    prepare();
    exec();
}

void KaraokeSettingsWindow::reject()
{
    // "返     回" and the close box stop the preview.
    if (preview_->playing() || !preview_->chosenSongName().isEmpty())
        preview_->stop();
    setPlayingState(false);
    QDialog::reject();
}

void KaraokeSettingsWindow::rebuildList()
{
    list_->clear();
    const Table& table = session_.table(karaoke::names::KaraokeTable);
    for (int i = 0; i < table.rowCount(); ++i)
        new QTreeWidgetItem(list_, karaoke::karaokeListRow(table.row(i)));
    list_->header()->resizeSections(QHeaderView::ResizeToContents);
}

void KaraokeSettingsWindow::refreshDisplays()
{
    chosenSong_->setText(preview_->chosenSongName());
    chosenFile_->setText(preview_->chosenFileName());
    current_->setText(preview_->currentTimeText());
    total_->setText(preview_->totalTimeText());
}

void KaraokeSettingsWindow::setPlayingState(bool playing)
{
    for (QWidget* w : lockedWhilePlaying_)
        w->setEnabled(!playing);
    // "暂停" while a song plays, "停止" while one plays or is paused: at any
    // other time they would do nothing.
    pauseButton_->setEnabled(playing);
    stopButton_->setEnabled(playing || preview_->showingLines());
    if (playing)
        timer_->start();
    else
        timer_->stop();
    refreshDisplays();
    panel_->update();
}

std::vector<int> KaraokeSettingsWindow::selectedRows() const
{
    std::vector<int> rows;
    for (QTreeWidgetItem* item : list_->selectedItems())
        rows.push_back(list_->indexOfTopLevelItem(item));
    return rows;
}

void KaraokeSettingsWindow::importFiles()
{
    karaoke::importKaraokeCommand(session_, ui_, folder_, preview_->chosenSongRow());
    rebuildList();
}

void KaraokeSettingsWindow::deleteSelected()
{
    const std::vector<int> rows = selectedRows();
    if (!session_.table(karaoke::names::KaraokeTable).isEmpty() && !rows.empty()) {
        preview_->stop();
        preview_->forgetFile();
        setPlayingState(false);
    }
    if (karaoke::deleteKaraokeCommand(session_, ui_, rows))
        rebuildList();
    refreshDisplays();
}

void KaraokeSettingsWindow::deleteAll()
{
    if (!session_.table(karaoke::names::KaraokeTable).isEmpty()) {
        preview_->stop();
        preview_->forgetFile();
        setPlayingState(false);
    }
    if (karaoke::deleteAllKaraokeCommand(session_, ui_))
        rebuildList();
    refreshDisplays();
}

void KaraokeSettingsWindow::setStyle()
{
    if (!karaoke::canSetStyle(session_, ui_, *preview_))
        return;
    const int row = preview_->chosenRow();
    Table& table = session_.table(karaoke::names::KaraokeTable);
    KaraokeStyleDialog dialog(this);
    dialog.setStyle(karaoke::styleOfRow(table.row(row)));
    if (dialog.exec() == QDialog::Accepted) {
        karaoke::applyStyle(table.row(row), dialog.style());
        rebuildList();
    }
    // The file is chosen again to be previewed with its new style.
    preview_->stop();
    preview_->forgetFile();
    preview_->chooseSong(-1);
    songs_->setCurrentIndex(-1);
    setPlayingState(false);
}

void KaraokeSettingsWindow::showMatch()
{
    KaraokeMatchWindow window(session_, this);
    window.exec();
}

void KaraokeSettingsWindow::chooseListRow()
{
    const std::vector<int> rows = selectedRows();
    QTreeWidgetItem* current = list_->currentItem();
    const int row = current && current->isSelected() ? list_->indexOfTopLevelItem(current)
                                                      : (rows.empty() ? -1 : rows.front());
    preview_->chooseFile(row);
    refreshDisplays();
    panel_->update();
}

void KaraokeSettingsWindow::chooseSong(int row)
{
    if (songs_->currentIndex() != row)
        songs_->setCurrentIndex(row);
    preview_->chooseSong(row);
    panel_->update();
    refreshDisplays();
}

int KaraokeSettingsWindow::fileForChosenSong() const
{
    const std::vector<int> rows = selectedRows();
    if (!rows.empty())
        return rows.front();
    // The file the album shows over the chosen song (bound to it, matching
    // its name, or paired by position).
    const int song = songs_->currentIndex();
    const std::vector<int> bySong = karaoke::karaokeRowsOfSongs(session_);
    return song >= 0 && song < static_cast<int>(bySong.size()) ? bySong[static_cast<size_t>(song)] : -1;
}

void KaraokeSettingsWindow::play()
{
    // A song is chosen but no file yet: the file that goes with the song
    // (the one selected in the list, else the one paired with it) plays,
    // rather than a message that no file was imported.
    if (!preview_->chosenSongName().isEmpty() && preview_->chosenFileName().isEmpty() &&
        !session_.table(karaoke::names::KaraokeTable).isEmpty()) {
        const int row = fileForChosenSong();
        if (row < 0) {
            ui_.showMessage(kNoFileChosen);
            return;
        }
        list_->setCurrentItem(list_->topLevelItem(row));
        const bool chosen = preview_->chooseFile(row);
        refreshDisplays();
        if (!chosen)
            return;
    }
    if (preview_->play())
        setPlayingState(true);
}

void KaraokeSettingsWindow::pause()
{
    if (preview_->pause())
        setPlayingState(false);
}

void KaraokeSettingsWindow::stop()
{
    preview_->stop();
    setPlayingState(false);
}

} // namespace fotarel::app
