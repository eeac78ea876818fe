// Writes the build-time seed corpora of the fuzz targets from real inputs:
//
//   fuzz_seeds OUT LIBRARY [MOVIES...]
//
// LIBRARY is the compiled template library (packages of 23 layers). Every
// package becomes a seed of layer_step_fuzz; its payload, a movie or a
// description, a seed of swf_fuzz or ini_fuzz. Every movie, of the library
// and of the MOVIES folders (searched recursively for *.swf), gives its
// action blocks (frame actions, init actions, button and clip events) to
// avm1_fuzz. fuzz_jpeg_header gets small camera-like JPEGs written here with
// libjpeg: EXIF orientation in both byte orders, progressive, CMYK, grey,
// restart markers, arithmetic coding.
//
// Seeds are named by a hash of their bytes, so a rerun rewrites the same
// files and duplicates collapse.
#include "swf/movie.h"
#include "templates/package.h"

#include <QCryptographicHash>
#include <QDir>
#include <QDirIterator>
#include <QFile>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <string>
#include <vector>

#include <jpeglib.h>

namespace {

// Movies larger than this mutate slowly; the suite's are far smaller.
constexpr qint64 kMaxSeedBytes = 256 * 1024;

class SeedWriter {
public:
    explicit SeedWriter(const QString& root) : root_(root) {}

    void add(const char* target, const QString& prefix, const QByteArray& bytes)
    {
        if (bytes.isEmpty() || bytes.size() > kMaxSeedBytes)
            return;
        const QDir dir(root_ + '/' + QLatin1String(target));
        if (!dir.exists())
            QDir().mkpath(dir.path());
        const QString hash = QString::fromLatin1(QCryptographicHash::hash(bytes, QCryptographicHash::Sha1).toHex().left(16));
        QFile out(dir.filePath(prefix + '-' + hash));
        if (out.exists())
            return;
        if (!out.open(QIODevice::WriteOnly) || out.write(bytes) != bytes.size()) {
            std::fprintf(stderr, "fuzz_seeds: cannot write %s\n", qPrintable(out.fileName()));
            std::exit(1);
        }
        ++written_[target];
    }

    void report() const
    {
        for (const auto& [target, n] : written_)
            std::printf("fuzz_seeds: %d new seeds for %s\n", n, target.c_str());
    }

private:
    QString root_;
    std::map<std::string, int> written_;
};

QByteArray readFile(const QString& path)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly) || f.size() > fotarel::swf::limits::kMaxMovieBytes)
        return {};
    return f.readAll();
}

bool isMovie(const QByteArray& b)
{
    return b.size() > 8 && (b[0] == 'F' || b[0] == 'C' || b[0] == 'Z') && b[1] == 'W' && b[2] == 'S';
}

// The action fuzzer reads its first byte as the movie version (4 + b % 5).
void addActions(SeedWriter& seeds, const QString& prefix, int version, const QByteArray& actions)
{
    if (actions.isEmpty())
        return;
    const int v = std::clamp(version, 4, 8);
    seeds.add("avm1_fuzz", prefix, QByteArray(1, char(v - 4)) + actions);
}

void addTimelineActions(SeedWriter& seeds, const QString& prefix, int version, const fotarel::swf::Timeline& t)
{
    using fotarel::swf::FrameItem;
    for (const auto& frame : t.frames) {
        for (const FrameItem& item : frame.items) {
            if (item.kind == FrameItem::Action)
                addActions(seeds, prefix, version, item.actions);
            else if (item.kind == FrameItem::Place)
                for (const auto& clip : item.place.clipActions)
                    addActions(seeds, prefix, version, clip.actions);
        }
    }
}

void addMovie(SeedWriter& seeds, const QString& prefix, const QByteArray& bytes)
{
    seeds.add("swf_fuzz", prefix, bytes);
    const fotarel::swf::ParseResult parsed = fotarel::swf::parseMovie(bytes);
    if (!parsed.movie)
        return;
    const fotarel::swf::Movie& m = *parsed.movie;
    addTimelineActions(seeds, prefix, m.version, m.timeline);
    for (const auto& init : m.initActions)
        addActions(seeds, prefix, m.version, init.actions);
    for (const auto& [id, character] : m.characters) {
        if (const auto* sprite = std::get_if<fotarel::swf::Sprite>(character.get()))
            addTimelineActions(seeds, prefix, m.version, sprite->timeline);
        else if (const auto* button = std::get_if<fotarel::swf::Button>(character.get()))
            for (const auto& action : button->actions)
                addActions(seeds, prefix, m.version, action.actions);
    }
}

void addLibrary(SeedWriter& seeds, const QString& folder)
{
    QDirIterator it(folder, QDir::Files, QDirIterator::Subdirectories);
    int packages = 0;
    while (it.hasNext()) {
        const QString path = it.next();
        QByteArray data = readFile(path);
        QByteArray probe = data;
        if (fotarel::applyLayerStep(probe))
            continue; // not a package
        ++packages;
        const QString prefix = QStringLiteral("tpl-") + QFileInfo(path).completeBaseName();
        seeds.add("layer_step_fuzz", prefix, data);
        bool ok = true;
        for (int i = 0; i < fotarel::kPackageLayers && ok; ++i)
            ok = !fotarel::applyLayerStep(data);
        if (!ok)
            continue;
        if (isMovie(data))
            addMovie(seeds, prefix, data);
        else
            seeds.add("ini_fuzz", prefix, data);
    }
    if (packages == 0)
        std::fprintf(stderr, "fuzz_seeds: no template package under %s\n", qPrintable(folder));
}

void addMovies(SeedWriter& seeds, const QString& folder)
{
    QDirIterator it(folder, {QStringLiteral("*.swf")}, QDir::Files, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString path = it.next();
        const QByteArray data = readFile(path);
        if (isMovie(data))
            addMovie(seeds, QStringLiteral("movie-") + QFileInfo(path).dir().dirName(), data);
    }
}

// ---- JPEG ------------------------------------------------------------------

struct JpegKind {
    const char* name;
    J_COLOR_SPACE space;
    int components;
    bool progressive;
    bool arithmetic;
    int restartRows;
    int orientation;  // 0: no EXIF
    bool bigEndianExif;
};

void put16(QByteArray& b, bool big, unsigned v)
{
    if (big) {
        b.append(char(v >> 8));
        b.append(char(v));
    } else {
        b.append(char(v));
        b.append(char(v >> 8));
    }
}

void put32(QByteArray& b, bool big, std::uint32_t v)
{
    put16(b, big, big ? v >> 16 : v & 0xffff);
    put16(b, big, big ? v & 0xffff : v >> 16);
}

// An EXIF block as a camera writes it: make and model held outside their
// entries, the orientation, and a pointer to an EXIF sub-directory.
QByteArray exifBlock(int orientation, bool big)
{
    QByteArray t(big ? "MM" : "II");
    put16(t, big, 42);
    put32(t, big, 8);
    const char make[] = "CAMERA";       // 7 bytes with its terminator
    const char model[] = "MODEL 100";   // 10 bytes
    const int entries = 4;
    const std::uint32_t dataAt = 8 + 2 + 12 * entries + 4;
    const std::uint32_t subAt = dataAt + sizeof make + sizeof model;
    put16(t, big, entries);
    put16(t, big, 0x010f); put16(t, big, 2); put32(t, big, sizeof make); put32(t, big, dataAt);
    put16(t, big, 0x0110); put16(t, big, 2); put32(t, big, sizeof model); put32(t, big, dataAt + sizeof make);
    put16(t, big, 0x0112); put16(t, big, 3); put32(t, big, 1); put16(t, big, unsigned(orientation)); put16(t, big, 0);
    put16(t, big, 0x8769); put16(t, big, 4); put32(t, big, 1); put32(t, big, subAt);
    put32(t, big, 0); // no next directory
    t.append(make, sizeof make);
    t.append(model, sizeof model);
    put16(t, big, 1); // sub-directory: exposure time 1/100
    put16(t, big, 0x829a); put16(t, big, 5); put32(t, big, 1); put32(t, big, subAt + 2 + 12 + 4);
    put32(t, big, 0);
    put32(t, big, 1);
    put32(t, big, 100);
    return QByteArray("Exif\0\0", 6) + t;
}

QByteArray writeJpeg(const JpegKind& k)
{
    jpeg_compress_struct c{};
    jpeg_error_mgr err{};
    c.err = jpeg_std_error(&err);
    jpeg_create_compress(&c);
    unsigned char* out = nullptr;
    unsigned long outSize = 0;
    jpeg_mem_dest(&c, &out, &outSize);
    c.image_width = 24;
    c.image_height = 16;
    c.input_components = k.components;
    c.in_color_space = k.space;
    jpeg_set_defaults(&c);
    jpeg_set_quality(&c, 80, TRUE);
    if (k.progressive)
        jpeg_simple_progression(&c);
    c.arith_code = k.arithmetic ? TRUE : FALSE;
    c.restart_in_rows = k.restartRows;
    c.write_JFIF_header = k.orientation == 0 ? TRUE : FALSE; // cameras write EXIF instead
    jpeg_start_compress(&c, TRUE);
    if (k.orientation) {
        const QByteArray exif = exifBlock(k.orientation, k.bigEndianExif);
        jpeg_write_marker(&c, JPEG_APP0 + 1, reinterpret_cast<const JOCTET*>(exif.constData()), unsigned(exif.size()));
    }
    std::vector<JSAMPLE> row(size_t(c.image_width) * size_t(k.components));
    while (c.next_scanline < c.image_height) {
        for (JDIMENSION x = 0; x < c.image_width; ++x)
            for (int ch = 0; ch < k.components; ++ch)
                row[x * size_t(k.components) + size_t(ch)] = JSAMPLE((x * 10 + c.next_scanline * 15 + ch * 70) & 0xff);
        JSAMPROW rows[1] = {row.data()};
        jpeg_write_scanlines(&c, rows, 1);
    }
    jpeg_finish_compress(&c);
    jpeg_destroy_compress(&c);
    QByteArray bytes(reinterpret_cast<const char*>(out), qsizetype(outSize));
    std::free(out);
    return bytes;
}

void addJpegs(SeedWriter& seeds)
{
    const JpegKind kinds[] = {
        {"jfif", JCS_RGB, 3, false, false, 0, 0, false},
        {"exif6-le", JCS_RGB, 3, false, false, 0, 6, false},
        {"exif8-be", JCS_RGB, 3, false, false, 0, 8, true},
        {"exif3-progressive", JCS_RGB, 3, true, false, 0, 3, false},
        {"cmyk", JCS_CMYK, 4, false, false, 0, 0, false},
        {"grey-restart", JCS_GRAYSCALE, 1, false, false, 1, 5, true},
        {"restart", JCS_RGB, 3, false, false, 1, 1, false},
        {"arithmetic", JCS_RGB, 3, false, true, 0, 0, false},
    };
    for (const JpegKind& k : kinds)
        seeds.add("fuzz_jpeg_header", QStringLiteral("jpeg-") + QLatin1String(k.name), writeJpeg(k));
}

} // namespace

int main(int argc, char** argv)
{
    if (argc < 3) {
        std::fprintf(stderr, "usage: fuzz_seeds OUT LIBRARY [MOVIES...]\n");
        return 2;
    }
    SeedWriter seeds(QString::fromLocal8Bit(argv[1]));
    addLibrary(seeds, QString::fromLocal8Bit(argv[2]));
    for (int i = 3; i < argc; ++i) {
        if (QFileInfo(QString::fromLocal8Bit(argv[i])).isDir())
            addMovies(seeds, QString::fromLocal8Bit(argv[i]));
    }
    addJpegs(seeds);
    seeds.report();
    return 0;
}
