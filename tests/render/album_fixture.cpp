#include "tests/render/album_fixture.h"

#include "tests/swf/swf_builder.h"
#include "templates/package.h"

#include "tests/support/run_program.h"

namespace fotarel::test {

namespace {

// if (!(0 < _root.<clip>._width)) skip `rest` bytes.
QByteArray widthCheck(const char* clip, int rest)
{
    swftest::Actions a;
    a.push(0).push(clip).push(8).op(0x22).op(0x48).op(0x12).jumpIf(rest);
    QByteArray bytes = a.finish();
    bytes.chop(1);
    return bytes;
}

} // namespace

QByteArray templateMovie(const MovieOptions& o)
{
    swftest::Movie m;
    m.width = 192;
    m.height = 108;
    m.tag(9, QByteArray("\x00\x00\x00", 3));
    swftest::Movie empty;
    empty.showFrame();
    m.tag(39, swftest::defineSprite(1, empty));

    if (o.sendsPicture0) {
        swftest::Actions tail;
        tail.getUrl("FSCommand:picture_0", "").op(0x07);
        QByteArray tailBytes = tail.finish();
        QByteArray watch;
        if (o.photoSlot) {
            const QByteArray check0 = widthCheck("_root.pic0", int(tailBytes.size()) - 1);
            watch = widthCheck("_root.pic1", int(check0.size() + tailBytes.size()) - 1) + check0 + tailBytes;
        } else {
            watch = widthCheck("_root.pic0", int(tailBytes.size()) - 1) + tailBytes;
        }
        swftest::Movie watcher;
        watcher.tag(12, watch);
        watcher.showFrame();
        watcher.showFrame();
        m.tag(39, swftest::defineSprite(2, watcher));
    }
    swftest::Place pic0;
    pic0.depth = 1;
    pic0.characterId = 1;
    pic0.name = "pic0";
    m.tag(26, swftest::placeObject2(pic0));
    if (o.photoSlot) {
        swftest::Place pic1;
        pic1.depth = 2;
        pic1.characterId = 1;
        pic1.name = "pic1";
        m.tag(26, swftest::placeObject2(pic1));
    }
    if (o.sendsPicture0) {
        swftest::Place w;
        w.depth = 3;
        w.characterId = 2;
        m.tag(26, swftest::placeObject2(w));
    }
    if (o.whiteRight) {
        m.tag(2, swftest::rectShape(10, 1, swftest::solidFill(255, 255, 255, 255, false), 96 * 20, 0, 192 * 20,
                                    108 * 20));
        swftest::Place r;
        r.depth = 5;
        r.characterId = 10;
        m.tag(26, swftest::placeObject2(r));
    }
    swftest::Actions start;
    if (o.marker)
        start.push("l_x_z_f_c").push("l_x_z_f_c_s_y_w_j").op(0x1d);
    if (o.photoSlot)
        start.push("picture_1.rar").push("pic1").getUrl2(0x40);
    start.push("../../pic/picture_0.rar").push("pic0").getUrl2(0x40);
    m.tag(12, start.finish());
    for (int i = 0; i < o.frames; ++i) {
        if (i == o.blackFrom) {
            m.tag(2, swftest::rectShape(11, 1, swftest::solidFill(0, 0, 0, 255, false), 0, 0, 192 * 20, 108 * 20));
            swftest::Place black;
            black.depth = 6;
            black.characterId = 11;
            m.tag(26, swftest::placeObject2(black));
        }
        m.showFrame();
    }
    return m.finish();
}

AlbumRun::AlbumRun()
{
    MovieOptions ending;
    ending.frames = 4;
    ending.photoSlot = false;
    ending.whiteRight = true;
    tree.write("smxcwjj/wj_0_or_1/wj_1.rar", packPayload(templateMovie(ending)));
}

void AlbumRun::addMovieTemplate(const QString& name, const MovieOptions& options)
{
    fotarel::test::addTemplate(tree, name, descriptionIni("|heng|", "|192|", "|108|", 1, options.frames),
                               templateMovie(options));
}

void AlbumRun::importColours(const QList<QColor>& colours)
{
    QStringList files;
    for (int i = 0; i < colours.size(); ++i) {
        QImage img(240, 135, QImage::Format_RGB32);
        img.fill(colours[i]);
        files << photo(QStringLiteral("p%1.jpg").arg(i + 1), img);
    }
    import(files);
}

QList<QImage> decodeFrames(const QString& file)
{
    const QByteArray raw = runProgram("ffmpeg", {"-v", "error", "-i", file, "-fps_mode", "passthrough", "-vf", "scale=32:18",
                                                 "-f", "rawvideo", "-pix_fmt", "rgb24", "-"})
                               .out;
    QList<QImage> frames;
    const int size = 32 * 18 * 3;
    for (qsizetype at = 0; at + size <= raw.size(); at += size)
        frames << QImage(reinterpret_cast<const uchar*>(raw.constData() + at), 32, 18, 32 * 3,
                         QImage::Format_RGB888)
                      .copy();
    return frames;
}

QString probe(const QString& file, const QString& stream, const QString& entry)
{
    QStringList args{"-v", "error"};
    if (!stream.isEmpty())
        args << "-select_streams" << stream;
    if (entry.contains("nb_read_frames"))
        args << "-count_frames";
    args << "-show_entries" << entry << "-of" << "default=nw=1:nk=1" << file;
    return QString::fromUtf8(runProgram("ffprobe", args).out).trimmed();
}

bool makeTone(const QString& path, double seconds)
{
    return runProgram("ffmpeg", {"-v", "error", "-y", "-f", "lavfi", "-i",
                                 QString("sine=frequency=440:duration=%1").arg(seconds), "-ac", "2", "-c:a",
                                 "libmp3lame", path})
        .ok();
}

} // namespace fotarel::test
