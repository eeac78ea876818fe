#pragma once

// A small in-memory player for the VM tests and the fuzz target: clips with
// numbered properties, frames and labels, children by depth, and a player
// that records trace lines, errors, fscommands and load requests.

#include "swf/avm1/host.h"

#include <functional>
#include <map>
#include <memory>
#include <vector>

namespace fotarel::swf::avm1::test {

class FakePlayer;

class FakeClip : public DisplayObjectHost {
public:
    FakeClip(FakePlayer& player, FakeClip* parent, QString name, int depth, int frames = 1);

    QString name() const override { return name_; }
    void setName(const QString& n) override { name_ = n; }
    DisplayObjectHost* parent() const override { return parent_; }
    int level() const override { return level_; }
    int depth() const override { return depth_; }
    DisplayObjectHost* childByName(const QString& name, bool caseSensitive) const override;
    QStringList childNames() const override;
    int swfVersion() const override { return version; }
    QString url() const override { return url_; }
    double property(Property p) const override { return props[size_t(p)]; }
    void setProperty(Property p, double value) override { props[size_t(p)] = value; }
    int currentFrame() const override { return frame; }
    int totalFrames() const override { return frames; }
    void play() override { playing = true; }
    void stop() override { playing = false; }
    void gotoFrame(int f, bool andPlay) override;
    int frameOfLabel(const QString& label) const override;
    std::vector<ActionBlock> frameActions(int f) const override;
    DisplayObjectHost* createEmptyMovieClip(const QString& name, int depth) override;
    DisplayObjectHost* attachMovie(const QString& exportName, const QString& name, int depth) override;
    DisplayObjectHost* duplicate(const QString& name, int depth) override;
    bool removeFromParent() override;
    void swapDepths(int depth) override;
    int nextHighestDepth() const override;
    void setMask(DisplayObjectHost* m) override { mask = m; }
    void loadMovie(const QString& url) override;
    void unloadMovie() override { url_.clear(); loaded = 0; total = 0; }
    qint64 bytesLoaded() const override { return loaded; }
    qint64 bytesTotal() const override { return total; }
    ColorTransformValues colorTransform() const override { return color; }
    void setColorTransform(const ColorTransformValues& values) override { color = values; }

    FakeClip* add(const QString& name, int depth, int frames = 1);
    FakeClip* child(const QString& name) const;

    FakePlayer& player;
    FakeClip* parent_;
    QString name_;
    int depth_;
    int level_ = 0;
    int version = 6;
    QString url_;
    std::vector<double> props = std::vector<double>(kPropertyCount, 0.0);
    int frame = 1;
    int frames = 1;
    bool playing = true;
    std::map<QString, int> labels;
    std::map<int, std::vector<ActionBlock>> frameScripts; // for call(frame)
    std::map<int, std::unique_ptr<FakeClip>> children; // by depth
    DisplayObjectHost* mask = nullptr;
    ColorTransformValues color;
    qint64 loaded = 0;
    qint64 total = 0;
    bool scripted = false; // made by script: removable
    std::function<void(int)> onGoto; // runs inside gotoFrame, as a host that runs frame scripts at once
};

class FakePlayer : public PlayerHost {
public:
    FakePlayer();

    DisplayObjectHost* levelRoot(int level) override;
    void loadMovieNum(const QString& url, int level) override;
    // As the player does: level 0 is emptied, never removed (a script may
    // still be running on it); other levels go away.
    void unloadMovieNum(int level) override
    {
        if (level == 0)
            root()->children.clear();
        else
            levels.erase(level);
    }
    void fscommand(const QString& command, const QString& args) override { commands.append(command + '|' + args); }
    void getUrl(const QString& url, const QString& window) override { urls.append(url + '|' + window); }
    void trace(const QString& line) override { traces.append(line); }
    void scriptError(const QString& message) override { errors.append(message); }
    qint64 movieTimeMs() const override { return timeMs; }
    double stageWidth() const override { return 1920; }
    double stageHeight() const override { return 1080; }
    std::optional<QByteArray> readFile(const QString& url, QString* why) override
    {
        const auto it = files.find(url);
        if (it != files.end())
            return it->second;
        if (why)
            *why = QStringLiteral("no such file");
        return std::nullopt;
    }

    FakeClip* root() { return levels.at(0).get(); }

    std::map<int, std::unique_ptr<FakeClip>> levels;
    QStringList exportedSymbols{QStringLiteral("photoHolder")};
    QStringList traces, errors, commands, urls;
    QStringList loads; // "target|url" of every loadMovie/loadMovieNum
    qint64 timeMs = 0;
    std::map<QString, QByteArray> files; // what readFile answers, by url
};

} // namespace fotarel::swf::avm1::test
