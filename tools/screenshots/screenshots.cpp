// Takes screenshots of the desktop program's windows for the documentation.
//
//   fotarel-screenshots OUTPUT_FOLDER SUFFIX
//
// Run it under an X server of the screen size wanted (scripts/screenshots.sh
// runs it under Xvfb at 1366 x 768 and 1920 x 1080). It copies the template
// library beside the program into a temporary program folder, opens the main
// window there, and walks through what a new user sees: the album wizard,
// the photos added (the demo photos of fotarel-cli), a photo selected with
// its hint, the music area with a song, the karaoke settings previewing a
// karaoke file against it, the template preview playing, the photo browser,
// and the caption editor with its preview. Each picture is the whole screen, saved as
// OUTPUT_FOLDER/NAME-SUFFIX.png.
#include "app/hints/hint_window.h"
#include "app/karaoke/karaoke_settings_window.h"
#include "app/main_window.h"
#include "app/audio/music_import_window.h"
#include "app/audio/audio_tile_area.h"
#include "app/effects/caption_editor_window.h"
#include "app/photos/browser_window.h"
#include "app/photos/photo_area.h"
#include "app/photos/photo_tiles.h"
#include "app/preview/preview_window.h"
#include "app/qt_ui_port.h"
#include "app/wizard/wizard_window.h"
#include "cli/demo_media.h"
#include "core/file_tree.h"
#include "core/fonts.h"
#include "photos/import.h"

#include <QAbstractButton>
#include <QComboBox>
#include <QLineEdit>
#include <QApplication>
#include <QDir>
#include <QDirIterator>
#include <QEventLoop>
#include <QFile>
#include <QLabel>
#include <QMouseEvent>
#include <QScreen>
#include <QTemporaryDir>
#include <QTimer>
#include <QTreeWidget>

#include <cstdio>

using namespace fotarel;
using namespace fotarel::app;

namespace {

QString outFolder, suffix;

void wait(int ms)
{
    QEventLoop loop;
    QTimer::singleShot(ms, &loop, &QEventLoop::quit);
    loop.exec();
}

void shoot(const QString& name)
{
    wait(300);
    const QPixmap picture = QGuiApplication::primaryScreen()->grabWindow(0);
    const QString path = outFolder + QLatin1Char('/') + name + QLatin1Char('-') + suffix + QStringLiteral(".png");
    std::printf("%s %s\n", picture.save(path) ? "wrote" : "could not write", qPrintable(path));
}

// The desktop's answers, except that the open dialog answers with the
// demo files.
class DemoUi : public UiPort {
public:
    DemoUi(UiPort& real, QStringList files) : real_(real), files_(std::move(files)) {}
    void showMessage(const QString& text) override { real_.showMessage(text); }
    bool confirm(const QString& title, const QString& text, const QString& accept) override
    {
        return real_.confirm(title, text, accept);
    }
    QStringList chooseOpenFiles(const QString&, const QStringList&) override { return files_; }
    QString chooseSaveFile(const QString& filter) override { return real_.chooseSaveFile(filter); }
    void progress(const QString& bar, int value, int maximum) override { real_.progress(bar, value, maximum); }
    void processEvents() override { real_.processEvents(); }

private:
    UiPort& real_;
    QStringList files_;
};

} // namespace

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Fotarel"));
    if (argc < 3) {
        std::fprintf(stderr, "usage: fotarel-screenshots OUTPUT_FOLDER SUFFIX\n");
        return 2;
    }
    outFolder = QString::fromLocal8Bit(argv[1]);
    suffix = QString::fromLocal8Bit(argv[2]);
    QDir().mkpath(outFolder);
    registerFontSubstitutions();

    QTemporaryDir program;
    const QString library = QCoreApplication::applicationDirPath() + QStringLiteral("/smxcwjj");
    if (!copyTree(library + QStringLiteral("/wj_0_or_2"), program.path() + QStringLiteral("/smxcwjj/wj_0_or_2")) ||
        !copyTree(library + QStringLiteral("/wj_0_or_1"), program.path() + QStringLiteral("/smxcwjj/wj_0_or_1"))) {
        std::fprintf(stderr, "no template library beside the program: build the template_library target\n");
        return 1;
    }
    const QString media = program.path() + QStringLiteral("/demo");
    QDir().mkpath(media);
    const QStringList photos = cli::writeDemoPhotos(media);
    const QString song = cli::writeDemoSong(media + QStringLiteral("/春天的歌.mp3"), 20);

    SingleInstanceGuard guard(program.path() + QStringLiteral("/lock"));
    MainWindow window(program.path(), guard);
    window.applyLayout(QStringLiteral("kaishibuju"));
    window.show();
    while (!window.wizard() || !window.wizard()->isVisible())
        wait(50);
    shoot(QStringLiteral("1-wizard"));
    window.wizard()->close();

    // Photos, as "添加相片" adds them.
    PhotoContext& photosContext = window.photos()->context();
    DemoUi photoUi(window.ui(), photos);
    PhotoContext demo{photosContext.session, photosContext.folder, photoUi, photosContext.random,
                      photosContext.dialogs, photosContext.view, photosContext.import};
    addPhotosCommand(demo);
    window.photos()->refreshList();
    wait(500);
    // A tile pressed: the selected-photo panel shows it; its hint fades in.
    if (QLabel* tile = window.photos()->tiles()->tile(1)) {
        const QPoint centre = tile->rect().center();
        QMouseEvent move(QEvent::MouseMove, centre, tile->mapToGlobal(centre), Qt::NoButton, Qt::NoButton,
                         Qt::NoModifier);
        QApplication::sendEvent(tile, &move);
        QMouseEvent press(QEvent::MouseButtonPress, centre, tile->mapToGlobal(centre), Qt::LeftButton,
                          Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(tile, &press);
        QMouseEvent release(QEvent::MouseButtonRelease, centre, tile->mapToGlobal(centre), Qt::LeftButton,
                            Qt::NoButton, Qt::NoModifier);
        QApplication::sendEvent(tile, &release);
        window.session().set(QStringLiteral("Edit_chakankongjian_shiyong_2"), tile->objectName());
        HintWindow* hint = window.tileHint(0);
        hint->cursor = [tile, centre] { return tile->mapToGlobal(centre); };
        window.hoverTimer()->stop();
        hint->timer()->stop();
        while (hint->fade().phase() != hints::HintFade::Phase::Shown)
            hint->tick();
        hint->timer()->stop();
    }
    shoot(QStringLiteral("2-photos"));
    window.tileHint(0)->closeNow();

    // A command's hint.
    if (QWidget* dvd = window.commandButton(QStringLiteral("suiButton12"))) {
        HintWindow* hint = window.generalHint();
        QEnterEvent enter(QPointF(10, 10), QPointF(10, 10), dvd->mapToGlobal(QPointF(10, 10)));
        QApplication::sendEvent(dvd, &enter);
        hint->cursor = [dvd] { return dvd->mapToGlobal(QPoint(dvd->width() / 2, dvd->height())); };
        hint->timer()->stop();
        while (hint->fade().phase() != hints::HintFade::Phase::Shown)
            hint->tick();
        hint->timer()->stop();
        shoot(QStringLiteral("3-command-hint"));
        hint->closeNow();
    }

    // The music area with the song.
    if (!song.isEmpty()) {
        DemoUi songUi(window.ui(), {song});
        MusicImportWindow importWindow(window.session(), window.workingFolder(), songUi, &window);
        addMusicCommand(window.session(), window.workingFolder(), songUi, importWindow, *window.musicTiles(),
                        [&window] { window.chooseArea(MainWindow::Area::Music); });
        shoot(QStringLiteral("4-music"));
        window.chooseArea(MainWindow::Area::Photos);

        // "卡拉OK设置" with a karaoke file for the song, previewed three seconds in.
        const QString ksc = media + QStringLiteral("/春天的歌.ksc");
        QFile file(ksc);
        if (file.open(QIODevice::WriteOnly))
            file.write("karaoke.add('00:01.000', '00:03.600', '[春天]在哪里呀', '500,300,300,400,400');\r\n"
                       "karaoke.add('00:03.000', '00:06.000', '春天在那青翠的山林里', '300,300,300,300,300,300,300,300,300,300');\r\n");
        file.close();
        DemoUi kscUi(window.ui(), {ksc});
        KaraokeSettingsWindow karaoke(window.session(), window.workingFolder(), kscUi, nullptr, &window);
        karaoke.prepare();
        karaoke.importFiles();
        karaoke.list()->setCurrentItem(karaoke.list()->topLevelItem(0));
        karaoke.chooseListRow();
        karaoke.chooseSong(0);
        karaoke.show();
        karaoke.play();
        wait(3300);
        shoot(QStringLiteral("4-karaoke"));
        karaoke.stop();
        karaoke.close();
    }

    // The template preview, two seconds into playing.
    QTimer::singleShot(2600, &window, [] {
        shoot(QStringLiteral("5-preview"));
        if (auto* preview = qobject_cast<PreviewWindow*>(QApplication::activeModalWidget()))
            preview->goBack();
    });
    window.previewPhoto(0);

    // The photo browser at its default zoom and larger.
    window.openBrowser();
    shoot(QStringLiteral("6-browser"));
    window.browser()->setZoom(5);
    shoot(QStringLiteral("7-browser-zoom"));
    window.browser()->close();

    // The caption editor with two captions, one second into "全部预览".
    CaptionEditorWindow* captions = window.captionEditor();
    captions->prepareOpening();
    captions->show();
    const struct {
        const char* text;
        int effect;
        const char* colour;
        const char* size;
    } rows[] = {{"生日快乐", 1, "clYellow", "24"}, {"Happy Birthday", 25, "clAqua", "20"}};
    for (const auto& r : rows) {
        captions->findChild<QLineEdit*>(QStringLiteral("suiEdit_wenzi"))->setText(QString::fromUtf8(r.text));
        captions->findChild<QComboBox*>(QStringLiteral("suiComboBox_texiao_name"))->setCurrentIndex(r.effect);
        captions->findChild<QComboBox*>(QStringLiteral("suiColorBox_texiao_name"))->setCurrentText(QString::fromLatin1(r.colour));
        captions->findChild<QComboBox*>(QStringLiteral("suiFontSizeComboBox_texiao_name"))
            ->setCurrentText(QString::fromLatin1(r.size));
        captions->addCaption();
    }
    shoot(QStringLiteral("8-captions"));
    captions->previewAll();
    for (int i = 0; i < 150; ++i)
        captions->previewTick();
    shoot(QStringLiteral("9-captions-preview"));
    captions->close();
    return 0;
}
