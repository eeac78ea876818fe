// White lyric, karaoke and caption lines over a white picture: the thin dark
// outline every new style carries keeps them readable; a width of 0 draws
// the text alone.
#include "render/overlays.h"

#include "audio/lyric_table.h"
#include "audio/music_table.h"
#include "effects/caption_columns.h"
#include "effects/caption_option.h"
#include "karaoke/karaoke_table.h"
#include "tests/support/temp_tree.h"

#include <QImage>
#include <QPainter>

#include <gtest/gtest.h>

namespace fotarel::render {
namespace {

int darkPixels(const QImage& image)
{
    int dark = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            dark += qGray(image.pixel(x, y)) < 100;
    return dark;
}

TEST(OverlayOutline, WhiteLinesOnWhiteShowTheirDarkOutline)
{
    test::TempTree tree;
    const WorkingFolder folder(tree.root());
    for (const int width : {TextOutline{}.width, 0}) {
        SCOPED_TRACE(width);
        Session session;
        TextOutline outline;
        outline.width = width;
        Row song = audio::songRow(1, "/m/a.mp3", 20000);
        Row lyric = audio::lyricRow(1, tree.write("a.lrc", "[00:00.00]白色的歌词\n"));
        audio::LyricStyle lyricStyle;
        lyricStyle.outline = outline;
        audio::writeStyle(lyric, lyricStyle);
        song[audio::MusicCol::LyricKey] = lyric[audio::LyricCol::SongKey] = "key";
        session.table(audio::names::MusicTable).appendRow(song);
        session.table(audio::names::LyricTable).appendRow(lyric);
        // A karaoke line not yet sung (it appears a second before 00:13).
        Row ksc = karaoke::karaokeRow(1, tree.write("a.ksc", "karaoke.add('00:13.000', '00:14.000', '白色', '400,400');\n"));
        karaoke::KaraokeStyle karaokeStyle;
        karaokeStyle.outline = outline;
        karaoke::applyStyle(ksc, karaokeStyle);
        session.table(karaoke::names::KaraokeTable).appendRow(ksc);
        const effects::CaptionOption caption = effects::parseCaptionOption("00:00|从1/2左向1/2右(横)|白色|黑体|20");
        ASSERT_TRUE(caption.row);
        Row captionRow = *caption.row;
        writeOutline(captionRow, effects::CaptionCol::Outline, outline);
        session.table(effects::kCaptionTable).appendRow(captionRow);

        const OverlayList overlays = makeOverlays(session, folder, {});
        ASSERT_EQ(overlays.size(), 3u);
        OverlayTime time;
        time.albumFrame = 300;
        time.song = 0;
        time.audioEntry = 0;
        time.songFrame = 300;
        time.songMs = 12000;
        for (std::size_t kind = 0; kind < overlays.size(); ++kind) {
            SCOPED_TRACE(kind);
            QImage frame(960, 540, QImage::Format_RGB32);
            frame.fill(Qt::white);
            QPainter painter(&frame);
            overlays[kind]->paint(painter, frame.size(), time);
            painter.end();
            if (width > 0)
                EXPECT_GT(darkPixels(frame), 100);
            else
                EXPECT_EQ(darkPixels(frame), 0);
        }
    }
}

} // namespace
} // namespace fotarel::render
