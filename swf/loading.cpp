// Loading movies and pictures: the first movie, loadMovie/loadMovieNum into
// clips and levels (confined to the movie's folder), and text files for scripts.

#include "swf/player.h"

#include "swf/avm1_engine.h"
#include "swf/bitmap_decode.h"
#include "swf/renderer.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace fotarel::swf {

bool Player::load(const QString& path)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly)) {
        logError(QStringLiteral("cannot open %1").arg(path));
        return false;
    }
    if (f.size() > limits::kMaxMovieBytes) {
        logError(QStringLiteral("%1 is larger than %2 bytes").arg(path).arg(limits::kMaxMovieBytes));
        return false;
    }
    return loadData(f.readAll(), path);
}

namespace {

bool looksLikeSwf(const QByteArray& b)
{
    return b.size() >= 3 && (b[0] == 'F' || b[0] == 'C' || b[0] == 'Z') && b[1] == 'W' && b[2] == 'S';
}

// A movie of one frame that shows a picture at its natural size.
std::shared_ptr<Movie> pictureMovie(const QImage& img)
{
    auto m = std::make_shared<Movie>();
    m->version = 8;
    m->frameSize = Rect{0, img.width() * 20, 0, img.height() * 20};
    m->frameCount = 1;
    m->timeline.frames.resize(1);
    return m;
}

// Whether the bytes start like a picture file the player decodes (JPEG, PNG,
// GIF). A file that does not is loaded as an empty movie, as the Flash Player
// does; one that does but cannot be decoded fails its load.
bool looksLikePicture(const QByteArray& b)
{
    return b.startsWith("\xff\xd8") || b.startsWith("\x89PNG") || b.startsWith("GIF8");
}

} // namespace

bool Player::loadData(const QByteArray& bytes, const QString& path)
{
    queue_.clear();
    loads_.clear();
    levels_.clear();
    root_.reset();
    movie_.reset();
    renderer_->clear();
    ticks_ = 0;
    instancesNamed_ = 0;
    engine_ = makeAvm1Engine(*this); // no script state survives a new movie
    path_ = path;
    QImage picture;
    if (looksLikeSwf(bytes)) {
        ParseResult res = parseMovie(bytes);
        for (const QString& line : res.log)
            logError(QStringLiteral("%1: %2").arg(QFileInfo(path).fileName(), line));
        if (!res.movie) {
            logError(QStringLiteral("%1: %2").arg(path, res.error));
            return false;
        }
        movie_ = std::move(res.movie);
    } else {
        QString why;
        picture = decodeImageData(bytes, &why);
        if (picture.isNull()) {
            logError(QStringLiteral("%1: neither a movie nor a picture (%2)").arg(path, why));
            return false;
        }
        movie_ = pictureMovie(picture);
    }
    logLoad(QStringLiteral("loaded %1 (%2 frames)").arg(path).arg(movie_->frameCount));
    resetRoot();
    root_->loadedImage = picture;
    if (engine_) {
        for (const InitAction& a : movie_->initActions)
            engine_->runInitActions(a.actions, movie_->version, *root_);
    }
    enterFrame(*root_, 0, true);
    runQueued();
    endFrame();
    return true;
}

void Player::resetRoot()
{
    root_ = std::make_unique<Clip>(*this, nullptr, Clip::Kind::Sprite);
    root_->movie = movie_;
    root_->timeline = &movie_->timeline;
    root_->movieUrl = path_;
    // A movie counts its uncompressed length; a picture its file's.
    root_->loadedBytes = movie_->fileLength > 0 ? movie_->fileLength : QFileInfo(path_).size();
}


QString Player::resolvePath(const QString& url, QString* why) const
{
    QString u = url.trimmed();
    u.replace(QLatin1Char('\\'), QLatin1Char('/'));
    if (u.startsWith(QLatin1String("file:///")))
        u = u.mid(7);
    // A local file is found without its query ("movie.swf?v=2") or fragment,
    // as the Flash Player opens local files.
    for (const QChar mark : {QLatin1Char('?'), QLatin1Char('#')})
        if (const qsizetype cut = u.indexOf(mark); cut >= 0)
            u.truncate(cut);
    if (u.isEmpty()) {
        *why = QStringLiteral("empty path");
        return {};
    }
    if (u.startsWith(QLatin1Char('/')) || (u.size() > 1 && u[1] == QLatin1Char(':')) || u.contains(QLatin1String("://"))) {
        *why = QStringLiteral("absolute path or address refused: %1").arg(url);
        return {};
    }
    const QString movieDir = QFileInfo(path_).absolutePath();
    QString rootDir = confinement_;
    if (rootDir.isEmpty()) {
        // The working folder "smxcwjj" that holds the movie; otherwise the
        // movie's own folder.
        rootDir = movieDir;
        for (QDir d(movieDir);; ) {
            if (d.dirName() == QLatin1String("smxcwjj")) {
                rootDir = d.absolutePath();
                break;
            }
            if (!d.cdUp())
                break;
        }
    }
    const QString full = QDir::cleanPath(movieDir + QLatin1Char('/') + u);
    const QString root = QDir::cleanPath(QFileInfo(rootDir).absoluteFilePath());
    if (full != root && !full.startsWith(root + QLatin1Char('/'))) {
        *why = QStringLiteral("path leaves %1: %2").arg(root, url);
        return {};
    }
    return full;
}

void Player::requestLoad(Clip* target, int level, const QString& url)
{
    PendingLoad l;
    if (target)
        l.target = target->link();
    l.level = level;
    l.url = url;
    logLoad(QStringLiteral("load requested: %1").arg(url));
    if (loads_.size() < 256)
        loads_.push_back(std::move(l));
    else
        logError(QStringLiteral("too many loads pending; %1 refused").arg(url));
}

avm1::DisplayObjectHost* Player::levelRoot(int level)
{
    if (level == 0)
        return root_.get();
    auto it = levels_.find(level);
    return it == levels_.end() ? nullptr : it->second.get();
}

void Player::loadMovieNum(const QString& url, int level)
{
    if (level == 0) {
        requestLoad(root_.get(), 0, url);
        return;
    }
    requestLoad(nullptr, level, url);
}

void Player::unloadMovieNum(int level)
{
    if (level == 0) {
        if (root_)
            root_->unloadMovie();
    } else if (loads_.size() < 256) {
        // As the Flash Player does, the level goes away with the loads of the
        // next tick, not in the middle of the script that asked (which may
        // be running on that very level).
        PendingLoad l;
        l.level = level;
        l.unload = true;
        loads_.push_back(std::move(l));
    }
}

std::optional<QByteArray> Player::readFile(const QString& url, QString* why)
{
    // Text a script loads becomes one script string: no larger than that.
    constexpr qint64 kMaxTextBytes = 8 * 1024 * 1024;
    const QString file = resolvePath(url, why);
    if (file.isEmpty())
        return std::nullopt;
    QFile f(file);
    if (!f.open(QIODevice::ReadOnly) || f.size() > kMaxTextBytes) {
        if (why)
            *why = QStringLiteral("cannot read %1").arg(file);
        return std::nullopt;
    }
    logLoad(QStringLiteral("text loaded: %1").arg(file));
    return f.readAll();
}

void Player::completeLoads()
{
    std::vector<PendingLoad> loads;
    loads.swap(loads_);
    // The loaded movies' first frames run in the order of the loads; their
    // onLoadInit events follow all of them, newest load first, as in the
    // Flash Player.
    std::vector<std::pair<Clip*, std::shared_ptr<avm1::ClipLink>>> inits;
    for (PendingLoad& l : loads) {
        if (l.unload) {
            levels_.erase(l.level);
            continue;
        }
        Clip* target = nullptr;
        if (l.target) {
            target = static_cast<Clip*>(l.target->clip);
            if (!target)
                continue; // the clip went away
        } else {
            auto& slot = levels_[l.level];
            if (!slot) {
                slot = std::make_unique<Clip>(*this, nullptr, Clip::Kind::Sprite);
                slot->levelNumber = l.level;
            }
            target = slot.get();
        }
        auto link = target->link();
        auto fail = [&](const QString& why) {
            logError(QStringLiteral("load of %1 failed: %2").arg(l.url, why));
            if (engine_)
                engine_->reportLoad(*target, avm1::LoadEvent::Error, why);
        };
        if (engine_)
            engine_->reportLoad(*target, avm1::LoadEvent::Start, QString());
        if (!link->clip)
            continue;
        QString why;
        const QString file = resolvePath(l.url, &why);
        if (file.isEmpty()) {
            fail(why);
            continue;
        }
        QFile f(file);
        if (!f.open(QIODevice::ReadOnly) || f.size() > limits::kMaxMovieBytes) {
            fail(QStringLiteral("cannot read %1").arg(file));
            continue;
        }
        const QByteArray bytes = f.readAll();
        std::shared_ptr<const Movie> loaded;
        QImage picture;
        qint64 loadedSize = bytes.size();
        if (looksLikeSwf(bytes)) {
            ParseResult res = parseMovie(bytes);
            for (const QString& line : res.log)
                logError(QStringLiteral("%1: %2").arg(QFileInfo(file).fileName(), line));
            if (!res.movie) {
                fail(res.error);
                continue;
            }
            loaded = std::move(res.movie);
        } else if (looksLikePicture(bytes)) {
            picture = decodeImageData(bytes, &why);
            if (picture.isNull()) {
                fail(why);
                continue;
            }
            loaded = pictureMovie(picture);
        } else {
            loaded = pictureMovie(QImage());
            loadedSize = 0;
        }
        // The clip keeps its name, depth and placement; its content is new.
        target->children.clear();
        target->drawing.reset();
        target->movie = loaded;
        target->timeline = &loaded->timeline;
        target->frame = -1;
        target->playing = true;
        target->loadedImage = picture;
        target->loadedBytes = loaded->fileLength > 0 ? loaded->fileLength : loadedSize;
        target->movieUrl = file;
        target->kind = Clip::Kind::Sprite;
        target->character.reset();
        logLoad(QStringLiteral("loaded %1 into %2").arg(l.url, target->targetPath()));
        if (engine_) {
            engine_->reportLoad(*target, avm1::LoadEvent::Progress, QString());
            if (link->clip)
                engine_->reportLoad(*target, avm1::LoadEvent::Complete, QString());
            if (!link->clip)
                continue;
            for (const InitAction& a : loaded->initActions)
                engine_->runInitActions(a.actions, loaded->version, *target);
        }
        if (!link->clip)
            continue;
        enterFrame(*target, 0, true);
        target->bornTick = ticks_;
        inits.emplace_back(target, link);
    }
    for (auto it = inits.rbegin(); it != inits.rend(); ++it)
        if (queue_.size() < size_t(kMaxQueuedPerCall))
            queue_.push_back(PendingScript{it->first, it->second, QByteArray(), 3});
}

} // namespace fotarel::swf
