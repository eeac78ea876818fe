#include "app/audio/music_import_window.h"

#include "app/audio/audio_tile_area.h"
#include "audio/music_table.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QLabel>
#include <QProgressBar>
#include <QThread>
#include <QTimer>
#include <QVBoxLayout>

namespace fotarel::app {

// Passes everything to the program's port, except progress on the import's
// bar, which this window shows itself.
class AudioImportWindow::BarPort : public UiPort {
public:
    BarPort(UiPort& inner, QProgressBar* bar) : inner_(inner), bar_(bar) {}
    void showMessage(const QString& text) override { inner_.showMessage(text); }
    bool confirm(const QString& title, const QString& text, const QString& accept) override
    {
        return inner_.confirm(title, text, accept);
    }
    QStringList chooseOpenFiles(const QString& filter, const QStringList& preselected) override
    {
        return inner_.chooseOpenFiles(filter, preselected);
    }
    QString chooseSaveFile(const QString& filter) override { return inner_.chooseSaveFile(filter); }
    void progress(const QString& bar, int value, int maximum) override
    {
        if (bar != bar_->objectName()) {
            inner_.progress(bar, value, maximum);
            return;
        }
        bar_->setRange(0, maximum);
        bar_->setValue(value);
    }
    void processEvents() override { QCoreApplication::processEvents(); }

private:
    UiPort& inner_;
    QProgressBar* bar_;
};

AudioImportWindow::AudioImportWindow(UiPort& ui, const QString& objectName, const QString& title, const QString& barName,
                           const QString& timerName, QWidget* parent)
    : QDialog(parent), ui_(ui), bar_(new QProgressBar(this)), timer_(new QTimer(this))
{
    setObjectName(objectName);
    setWindowTitle(title);
    setModal(true);
    setFixedSize(420, 110);
    bar_->setObjectName(barName);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(new QLabel(QStringLiteral("正在%1，请稍候...").arg(title), this));
    layout->addWidget(bar_);
    timer_->setObjectName(timerName);
    timer_->setSingleShot(true);
    timer_->setInterval(1000);
    connect(timer_, &QTimer::timeout, this, &AudioImportWindow::importNow);
}

void AudioImportWindow::setDelays(int startMs, int closeMs)
{
    timer_->setInterval(startMs);
    closeMs_ = closeMs;
}

void AudioImportWindow::runModal(int files, std::function<void(UiPort&)> import)
{
    import_ = std::move(import);
    bar_->setRange(0, 2 * files);
    bar_->setValue(0);
    timer_->start();
    exec();
    import_ = {};
}

void AudioImportWindow::importNow()
{
    timer_->stop();
    BarPort port(ui_, bar_);
    if (import_)
        import_(port);
    // The window stays a moment so the full bar is seen.
    QElapsedTimer clock;
    clock.start();
    while (clock.elapsed() < closeMs_) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
        QThread::msleep(5);
    }
    accept();
}

MusicImportWindow::MusicImportWindow(Session& session, const WorkingFolder& folder, UiPort& ui, QWidget* parent)
    : AudioImportWindow(ui, QStringLiteral("TForm6"), QStringLiteral("添加音乐"), audio::kMusicProgressBar,
                   QStringLiteral("Timer_daoru_yinyue"), parent),
      session_(session),
      folder_(folder)
{
}

audio::MusicImportResult MusicImportWindow::run(const QStringList& files)
{
    audio::MusicImportResult result;
    runModal(static_cast<int>(files.size()),
             [&](UiPort& port) { result = audio::runMusicImport(session_, folder_, port, files); });
    return result;
}

LyricImportWindow::LyricImportWindow(Session& session, const WorkingFolder& folder, UiPort& ui, QWidget* parent)
    : AudioImportWindow(ui, QStringLiteral("TForm7"), QStringLiteral("添加歌词"), audio::kLyricProgressBar,
                   QStringLiteral("Timer_daoru_geci"), parent),
      session_(session),
      folder_(folder)
{
}

audio::LyricImportResult LyricImportWindow::run(const QStringList& files)
{
    audio::LyricImportResult result;
    runModal(static_cast<int>(files.size()),
             [&](UiPort& port) { result = audio::runLyricImport(session_, folder_, port, files); });
    return result;
}

void addMusicCommand(Session& session, const WorkingFolder& folder, UiPort& ui, MusicImportWindow& window,
                     AudioTileArea& tiles, const std::function<void()>& showArea)
{
    const QStringList files = audio::chooseSongs(ui, folder);
    if (files.isEmpty())
        return;
    window.run(files);
    session.set(QStringLiteral("Edit_tubiao_liebiao"), QStringLiteral("tubiao"));
    tiles.refreshList();
    if (session.table(audio::names::MusicTable).isEmpty())
        return;
    tiles.rebuildTiles();
    if (showArea)
        showArea();
}

void addLyricsCommand(Session& session, const WorkingFolder& folder, UiPort& ui, LyricImportWindow& window,
                      AudioTileArea& tiles, AudioTileArea& musicTiles, const std::function<void()>& showArea)
{
    const QStringList files = audio::chooseLyricFiles(ui, folder);
    if (files.isEmpty())
        return;
    window.run(files);
    session.set(QStringLiteral("Edit_tubiao_liebiao"), QStringLiteral("tubiao"));
    tiles.refreshList();
    musicTiles.refreshList();
    if (session.table(audio::names::LyricTable).isEmpty())
        return;
    tiles.rebuildTiles();
    if (showArea)
        showArea();
}

} // namespace fotarel::app
