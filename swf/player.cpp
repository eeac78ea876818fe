// The player's clock, host events, variables, input and painting.

#include "swf/player.h"

#include "swf/avm1_engine.h"
#include "swf/renderer.h"

#include <QRegularExpression>

#include <cmath>

namespace fotarel::swf {

Player::Player() : renderer_(std::make_unique<Renderer>(*this)) { engine_ = makeAvm1Engine(*this); }

Player::~Player()
{
    queue_.clear();
    {
        auto dead = std::move(graveyard_);
    }
    levels_.clear();
    root_.reset();
}

void Player::logLoad(const QString& line)
{
    if (loadLog_.size() < kMaxLogLines)
        loadLog_ << line;
}

void Player::logError(const QString& line)
{
    if (errorLog_.size() < kMaxLogLines)
        errorLog_ << line;
}


int Player::nestingOf(const Clip& clip) const
{
    int n = 0;
    for (const Clip* c = &clip; c; c = c->parentClip)
        ++n;
    return n;
}



void Player::stopPlaying()
{
    if (root_)
        root_->playing = false;
}

int Player::totalFrames() const { return root_ ? root_->totalFrames() : 0; }
int Player::frameNum() const { return root_ ? std::max(0, root_->frame) : 0; }

void Player::setFrameNum(int f)
{
    if (!root_ || totalFrames() <= 0)
        return;
    f = std::clamp(f, 0, totalFrames() - 1);
    if (f == root_->frame + 1) {
        ticks_++;
        completeLoads();
        advance(*root_, true);
        runQueued();
        if (engine_)
            engine_->runIntervals();
        endFrame();
        return;
    }
    completeLoads();
    gotoFrame(*root_, f);
    runQueued();
    endFrame();
}

void Player::tick()
{
    if (!root_)
        return;
    ticks_++;
    completeLoads();
    advance(*root_, false);
    runQueued();
    if (engine_)
        engine_->runIntervals();
    endFrame();
}

void Player::settle()
{
    completeLoads();
    runQueued();
    endFrame();
}

void Player::endFrame()
{
    // Text and variables scripts asked for arrive at the end of the frame;
    // what their handlers queue runs in the same frame.
    if (engine_) {
        engine_->completeTextLoads();
        runQueued();
    }
}

qint64 Player::movieTimeMs() const { return qint64(std::llround(ticks_ * 1000.0 / frameRate())); }


// ---------------------------------------------------------------- host events

void Player::fscommand(const QString& command, const QString& args)
{
    logLoad(QStringLiteral("fscommand %1 %2").arg(command, args));
    if (onFsCommand)
        onFsCommand(command, args);
}

void Player::getUrl(const QString& url, const QString& window)
{
    logLoad(QStringLiteral("getURL %1 %2 ignored").arg(url, window));
}

void Player::trace(const QString& line)
{
    logLoad(QStringLiteral("trace: %1").arg(line));
    if (onTrace)
        onTrace(line);
}

void Player::scriptError(const QString& message) { logError(QStringLiteral("script: %1").arg(message)); }

// ---------------------------------------------------------------- variables

Clip* Player::resolveVariableTarget(const QString& path, QString* name)
{
    if (!root_)
        return nullptr;
    QString p = path;
    int cut = p.lastIndexOf(QLatin1Char(':'));
    if (cut < 0)
        cut = p.lastIndexOf(QLatin1Char('.'));
    *name = cut < 0 ? p : p.mid(cut + 1);
    const QString target = cut < 0 ? QString() : p.left(cut);
    Clip* c = root_.get();
    const QStringList parts = target.split(QRegularExpression(QStringLiteral("[./]")), Qt::SkipEmptyParts);
    for (const QString& part : parts) {
        if (part == QLatin1String("_root") || part == QLatin1String("_level0"))
            c = root_.get();
        else if (part == QLatin1String("_parent"))
            c = c->parentClip ? c->parentClip : c;
        else if (part.startsWith(QLatin1String("_level")))
            c = static_cast<Clip*>(levelRoot(part.mid(6).toInt()));
        else
            c = static_cast<Clip*>(c->childByName(part, false));
        if (!c)
            return nullptr;
    }
    return c;
}

void Player::mouseMove(const QPointF& stagePx)
{
    mouse_ = stagePx;
}

void Player::mouseButton(const QPointF& stagePx, bool down)
{
    mouse_ = stagePx;
    mouseDown_ = down;
}

void Player::key(const QString& name, bool down)
{
    Q_UNUSED(name);
    Q_UNUSED(down);
}

void Player::textInput(const QString& text)
{
    Q_UNUSED(text);
}

bool Player::setVariable(const QString& path, const QString& value)
{
    if (!root_)
        return false;
    if (engine_)
        return engine_->setVariable(path, value);
    QString name;
    Clip* c = resolveVariableTarget(path, &name);
    if (!c || name.isEmpty())
        return false;
    c->variables[name] = value;
    return true;
}

std::optional<QString> Player::getVariable(const QString& path)
{
    if (!root_)
        return std::nullopt;
    if (engine_)
        return engine_->getVariable(path);
    QString name;
    Clip* c = resolveVariableTarget(path, &name);
    if (!c)
        return std::nullopt;
    auto it = c->variables.find(name);
    if (it == c->variables.end())
        return std::nullopt;
    return it->second;
}

// ---------------------------------------------------------------- painting

QSizeF Player::stageSize() const
{
    if (!movie_)
        return {};
    return QSizeF(movie_->frameSize.width() / 20.0, movie_->frameSize.height() / 20.0);
}

std::vector<const Clip*> Player::levelRoots() const
{
    std::vector<const Clip*> roots;
    if (!root_)
        return roots;
    roots.push_back(root_.get());
    for (const auto& [level, clip] : levels_)
        if (clip)
            roots.push_back(clip.get());
    return roots;
}

void Player::paint(QImage& target) { renderer_->paint(target); }

QImage Player::paint(const QSize& size)
{
    QImage img(size, QImage::Format_ARGB32_Premultiplied);
    paint(img);
    return img;
}

} // namespace fotarel::swf
