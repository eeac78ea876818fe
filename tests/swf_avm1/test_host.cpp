#include "tests/swf_avm1/test_host.h"

#include <algorithm>

namespace fotarel::swf::avm1::test {

FakeClip::FakeClip(FakePlayer& p, FakeClip* parent, QString name, int depth, int frameCount)
    : player(p), parent_(parent), name_(std::move(name)), depth_(depth), frames(frameCount)
{
    props[size_t(Property::XScale)] = 100;
    props[size_t(Property::YScale)] = 100;
    props[size_t(Property::Alpha)] = 100;
    props[size_t(Property::Visible)] = 1;
    if (parent) {
        level_ = parent->level_;
        version = parent->version;
    }
}

DisplayObjectHost* FakeClip::childByName(const QString& name, bool caseSensitive) const
{
    for (const auto& [d, c] : children)
        if (c->name_.compare(name, caseSensitive ? Qt::CaseSensitive : Qt::CaseInsensitive) == 0)
            return c.get();
    return nullptr;
}

QStringList FakeClip::childNames() const
{
    QStringList names;
    for (const auto& [d, c] : children)
        if (!c->name_.isEmpty())
            names.append(c->name_);
    return names;
}

void FakeClip::gotoFrame(int f, bool andPlay)
{
    frame = std::clamp(f, 1, std::max(frames, 1));
    playing = andPlay;
    if (onGoto)
        onGoto(frame);
}

int FakeClip::frameOfLabel(const QString& label) const
{
    const auto it = labels.find(label);
    return it == labels.end() ? 0 : it->second;
}

std::vector<ActionBlock> FakeClip::frameActions(int f) const
{
    const auto it = frameScripts.find(f);
    return it == frameScripts.end() ? std::vector<ActionBlock>{} : it->second;
}

FakeClip* FakeClip::add(const QString& name, int depth, int frameCount)
{
    auto clip = std::make_unique<FakeClip>(player, this, name, depth, frameCount);
    FakeClip* raw = clip.get();
    children[depth] = std::move(clip);
    return raw;
}

FakeClip* FakeClip::child(const QString& name) const
{
    return static_cast<FakeClip*>(childByName(name, true));
}

DisplayObjectHost* FakeClip::createEmptyMovieClip(const QString& name, int depth)
{
    FakeClip* c = add(name, depth);
    c->scripted = true;
    return c;
}

DisplayObjectHost* FakeClip::attachMovie(const QString& exportName, const QString& name, int depth)
{
    if (!player.exportedSymbols.contains(exportName))
        return nullptr;
    FakeClip* c = add(name, depth, 5);
    c->scripted = true;
    return c;
}

DisplayObjectHost* FakeClip::duplicate(const QString& name, int depth)
{
    if (!parent_)
        return nullptr;
    // The copy may take this clip's own depth and so destroy it: copy first.
    const auto copied = props;
    FakeClip* c = parent_->add(name, depth, frames);
    c->props = copied;
    c->scripted = true;
    return c;
}

bool FakeClip::removeFromParent()
{
    if (!parent_ || !scripted)
        return false;
    parent_->children.erase(depth_); // destroys this
    return true;
}

void FakeClip::swapDepths(int depth)
{
    if (!parent_ || depth == depth_)
        return;
    auto& siblings = parent_->children;
    auto self = std::move(siblings[depth_]);
    siblings.erase(depth_);
    auto other = siblings.find(depth);
    if (other != siblings.end()) {
        other->second->depth_ = depth_;
        siblings[depth_] = std::move(other->second);
    }
    self->depth_ = depth;
    self->scripted = true;
    siblings[depth] = std::move(self);
}

int FakeClip::nextHighestDepth() const
{
    return children.empty() ? 0 : std::max(0, children.rbegin()->first + 1);
}

void FakeClip::loadMovie(const QString& url)
{
    player.loads.append(name_ + '|' + url);
    url_ = url;
    loaded = 0;
    total = 1000;
}

FakePlayer::FakePlayer()
{
    levels[0] = std::make_unique<FakeClip>(*this, nullptr, QString(), 0, 10);
}

DisplayObjectHost* FakePlayer::levelRoot(int level)
{
    const auto it = levels.find(level);
    return it == levels.end() ? nullptr : it->second.get();
}

void FakePlayer::loadMovieNum(const QString& url, int level)
{
    loads.append(QStringLiteral("_level%1|%2").arg(level).arg(url));
    auto& slot = levels[level];
    if (!slot) {
        slot = std::make_unique<FakeClip>(*this, nullptr, QString(), 0, 1);
        slot->level_ = level;
    }
    slot->url_ = url;
}

} // namespace fotarel::swf::avm1::test
