// The five output commands with scripted dialogs: checks, messages,
// filters, output paths and the order of the windows.
#include "render/output_commands.h"
#include "render/output_settings.h"
#include "render/render_names.h"

#include "tests/support/scripted_ui.h"
#include "tests/support/temp_tree.h"
#include "audio/audio_names.h"
#include "karaoke/karaoke_names.h"
#include "photos/photo_columns.h"

#include <gtest/gtest.h>

#include <QFileInfo>

using namespace fotarel;
using namespace fotarel::render;

namespace {

struct CommandRun {
    Session session;
    test::ScriptedUi ui;
    test::TempTree tree;
    QStringList steps;
    bool cancelSize = false;
    OutputCommandHooks hooks{
        [this](bool wizard) {
            steps << (wizard ? "size+wizard" : "size");
            if (cancelSize)
                settings::cancelOutputSize(session);
        },
        [this] { steps << "lyricType"; },
        [this] { steps << "render"; },
        [this] { steps << "destroyTextEffects"; },
    };
    CommandRun() { session.table(photo_tables::Photos).appendRow({"1", "/p.jpg"}); }
    OutputCommandResult run(const QString& command) { return runOutputCommand(session, ui, command, hooks); }
};

} // namespace

TEST(OutputCommands, NoPhotosShowsTheMessageAndNothingElse)
{
    CommandRun r;
    r.session.table(photo_tables::Photos).clear();
    for (const char* command : {"VCD", "SVCD", "DVD", "AVI", "序列图"}) {
        r.ui.messages.clear();
        EXPECT_EQ(r.run(QString::fromUtf8(command)), OutputCommandResult::NoPhotos);
        EXPECT_EQ(r.ui.messages, QStringList{"没有添加相片文件！"});
    }
    EXPECT_TRUE(r.steps.isEmpty());
    EXPECT_TRUE(r.ui.filtersAsked.isEmpty());
    EXPECT_EQ(r.session.get(settings::vars::OutputType), "DVD");
}

TEST(OutputCommands, VideoCommandsAppendTheExtensionOnlyWhenTheNameLacksIt)
{
    struct Case {
        const char* command;
        const char* answer;
        const char* filter;
        const char* output;
        const char* shown;
    };
    const Case cases[] = {
        {"VCD", "/out/album.mpg", "VCD 格式相册|*.mpg", "/out/album.mpg", "album"},
        {"SVCD", "/out/a", "SVCD 格式相册|*.mpg", "/out/a.mpg", "a"},
        {"DVD", "/out/假期", "DVD 格式相册|*.mpg", "/out/假期.mpg", "假期"},
        {"DVD", "/out/假期.MPG", "DVD 格式相册|*.mpg", "/out/假期.MPG", "假期"},
        {"DVD", "/out/x.avi", "DVD 格式相册|*.mpg", "/out/x.avi.mpg", "x.avi"},
        {"AVI", "/out/trip", "AVI 格式相册|*.avi", "/out/trip.avi", "trip"},
        {"AVI", "/out/我的相册 gui.avi", "AVI 格式相册|*.avi", "/out/我的相册 gui.avi", "我的相册 gui"},
        {"AVI", "/out/v1.0", "AVI 格式相册|*.avi", "/out/v1.0.avi", "v1.0"},
    };
    for (const Case& c : cases) {
        CommandRun r;
        r.session.set(vars::OpenFolderWhenDone, "True");
        r.ui.saveAnswers.push_back(QString::fromUtf8(c.answer));
        EXPECT_EQ(r.run(QString::fromUtf8(c.command)), OutputCommandResult::Rendered) << c.command;
        EXPECT_EQ(r.session.get(settings::vars::OutputType), QString::fromUtf8(c.command));
        EXPECT_EQ(r.ui.filtersAsked, QStringList{QString::fromUtf8(c.filter)});
        EXPECT_EQ(r.session.get(vars::VideoOut), QString::fromUtf8(c.output)) << c.answer;
        EXPECT_EQ(r.session.get(vars::AudioOut), QString::fromUtf8(c.output));
        EXPECT_EQ(r.session.get(vars::OutputFileName), QString::fromUtf8(c.shown));
        EXPECT_EQ(r.session.get(vars::OpenFolderWhenDone), "False");
        EXPECT_EQ(r.steps, (QStringList{"size", "render", "destroyTextEffects"})) << c.command;
    }
}

TEST(OutputCommands, OutputFileNamesAgreeBetweenFrontEnds)
{
    // The rule both the save dialog's name and fotarel-cli's -o go through.
    EXPECT_EQ(videoOutputPath("a.Avi", settings::kAvi), "a.Avi");
    EXPECT_EQ(videoOutputPath("a.mpg", settings::kAvi), "a.mpg.avi");
    EXPECT_EQ(videoOutputPath("a", settings::kVcd), "a.mpg");
    EXPECT_EQ(videoOutputPath("dir.mpg/a", settings::kSvcd), "dir.mpg/a.mpg");
}

TEST(OutputCommands, CancelledDialogsStopTheCommand)
{
    CommandRun sizeCancelled;
    sizeCancelled.cancelSize = true;
    EXPECT_EQ(sizeCancelled.run("SVCD"), OutputCommandResult::Cancelled);
    EXPECT_EQ(sizeCancelled.session.get(settings::vars::OutputType), "SVCD");
    EXPECT_TRUE(sizeCancelled.ui.filtersAsked.isEmpty());
    EXPECT_EQ(sizeCancelled.steps, QStringList{"size"});

    CommandRun saveCancelled; // no scripted answer: the save dialog is cancelled
    EXPECT_EQ(saveCancelled.run("DVD"), OutputCommandResult::Cancelled);
    EXPECT_EQ(saveCancelled.steps, QStringList{"size"});
    EXPECT_TRUE(saveCancelled.session.get(vars::VideoOut).isEmpty());
}

TEST(OutputCommands, WizardTimerOnlyForDvdInTheWizard)
{
    CommandRun r;
    r.session.set(settings::vars::WizardStep, settings::kWizardMakeDvd);
    r.run("AVI");
    r.run("DVD");
    EXPECT_EQ(r.steps, (QStringList{"size", "size+wizard"}));
}

TEST(OutputCommands, LyricTypeWindowOnlyWithSongsAndKaraoke)
{
    CommandRun songsOnly;
    songsOnly.session.table(audio::names::MusicTable).appendRow({"1"});
    songsOnly.ui.saveAnswers.push_back("/o/a");
    songsOnly.run("DVD");
    EXPECT_FALSE(songsOnly.steps.contains("lyricType"));

    CommandRun both;
    both.session.table(audio::names::MusicTable).appendRow({"1"});
    both.session.table(karaoke::names::KaraokeTable).appendRow({"1"});
    both.ui.saveAnswers.push_back("/o/a");
    both.run("DVD");
    EXPECT_EQ(both.steps, (QStringList{"size", "lyricType", "render", "destroyTextEffects"}));
}

TEST(OutputCommands, ImageSequenceMakesANewFolderAndRefusesAnExistingOne)
{
    CommandRun r;
    settings::chooseImageFormat(r.session, "BMP");
    r.hooks.askOutputSize = [&](bool) { settings::chooseImageFormat(r.session, "TGA"); };
    const QString nested = r.tree.path("a/b/album");
    // A pass that is stopped writes no image: the folders the command made
    // go again, so the same name can be given once more.
    bool madeBeforeRender = false;
    r.hooks.runRenderWindow = [&] { madeBeforeRender = QFileInfo(nested).isDir(); };
    r.ui.saveAnswers.push_back(nested);
    EXPECT_EQ(r.run("序列图"), OutputCommandResult::Rendered);
    EXPECT_TRUE(madeBeforeRender);
    EXPECT_FALSE(QFileInfo::exists(r.tree.path("a")));

    // A pass that writes its images keeps them in the new folder.
    r.hooks.runRenderWindow = [&] { r.tree.write("a/b/album/01.TGA", "image"); };
    r.ui.saveAnswers.push_back(nested);
    EXPECT_EQ(r.run("序列图"), OutputCommandResult::Rendered);
    EXPECT_EQ(r.session.get(settings::vars::OutputType), "XLTP");
    EXPECT_EQ(r.ui.filtersAsked.last(), "生成 TGA 序列图片|*.TGA");
    EXPECT_TRUE(QFileInfo(nested).isDir());
    EXPECT_EQ(r.session.get(vars::VideoOut), nested + "/01.TGA");
    EXPECT_EQ(r.session.get(vars::OutputFileName), "album");

    r.ui.saveAnswers.push_back(nested);
    r.steps.clear();
    EXPECT_EQ(r.run("序列图"), OutputCommandResult::FolderExists);
    EXPECT_EQ(r.ui.messages, QStringList{"输入的文件名存在, 请更换保存的文件名！"});
    EXPECT_FALSE(r.steps.contains("render"));
}
