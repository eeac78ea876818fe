#pragma once

// The SWF player: loads a movie, keeps its display list and timelines, steps
// them deterministically and paints the current frame into a QImage.
//
// Stepping rule (see swf/README.md): setting the frame number from k to k+1
// is one tick (the root goes to k+1, playing child clips advance one frame,
// enterFrame handlers and frame scripts run once); any other value is a jump
// of the root timeline that rebuilds its display list from the frame tags.

#include "swf/avm1/host.h"
#include "swf/clip.h"
#include "swf/movie.h"
#include "swf/renderer.h"
#include "swf/video_playback.h"

#include <QImage>

#include <functional>
#include <deque>
#include <map>
#include <set>
#include <memory>

namespace fotarel::swf {

class ScriptEngine;

// What the player calls to run scripts; the AVM1 adapter implements it.
class ScriptEngine {
public:
    virtual ~ScriptEngine() = default;
    virtual void runActions(const QByteArray& actions, int version, Clip& clip) = 0;
    virtual void runInitActions(const QByteArray& actions, int version, Clip& root) = 0;
    virtual void clipEvent(Clip& clip, avm1::ClipEvent event) = 0;
    // A timeline-placed clip of an exported symbol: with `prototypeOnly` the
    // class registered for the name lends its prototype; otherwise its
    // constructor runs on the clip too.
    virtual void constructClip(Clip& clip, const QString& exportName, bool prototypeOnly) = 0;
    virtual void reportLoad(Clip& clip, avm1::LoadEvent event, const QString& error) = 0;
    virtual void runIntervals() = 0;
    virtual void completeTextLoads() = 0;
    virtual bool clipButtonState(Clip& clip, bool* enabled) = 0;
    virtual void broadcastInput(const QString& object, const QString& message) = 0;
    virtual void changeFocus(Clip* target) = 0;
    virtual avm1::FocusTraits focusTraits(Clip& clip) = 0;
    virtual bool setVariable(const QString& path, const QString& value) = 0;
    virtual std::optional<QString> getVariable(const QString& path) = 0;
};

class Player final : public avm1::PlayerHost, public DisplayTree {
    friend class Clip;

public:
    Player();
    ~Player() override;
    Player(const Player&) = delete;
    Player& operator=(const Player&) = delete;

    // Loads a movie file (or a picture, told apart by content). Returns false
    // and logs the reason when the file is unusable. The movie's first frame
    // is shown (frame 0) and plays until Stop.
    bool load(const QString& path);
    bool loadData(const QByteArray& bytes, const QString& path);
    void stopPlaying();
    bool isLoaded() const { return root_ != nullptr; }
    int totalFrames() const;
    int frameNum() const; // 0-based
    void setFrameNum(int frame);
    // One tick: the root advances when it plays, child clips advance, scripts run.
    void tick();
    // Completes loads that were started and runs the scripts they trigger,
    // without advancing any timeline (for hosts that wait on a load).
    void settle();

    // Input as a user gives it (recorded events of the conformance runner):
    // positions in stage pixels; key names as "Enter", "ArrowLeft", "a".
    void mouseMove(const QPointF& stagePx);
    // button: 1 left, 2 right, 4 middle (their Key.isDown codes).
    void mouseButton(const QPointF& stagePx, bool down, int button = 1);
    void key(const QString& name, bool down);
    void textInput(const QString& text);
    QPointF mousePosition() const { return mouse_; }

    bool setVariable(const QString& path, const QString& value);
    std::optional<QString> getVariable(const QString& path);

    // Paints the current frame, the stage scaled to fill the image.
    void paint(QImage& target);
    QImage paint(const QSize& size);
    Renderer& renderer() { return *renderer_; }

    std::function<void(const QString& command, const QString& args)> onFsCommand;
    std::function<void(const QString& line)> onTrace;
    const QStringList& loadLog() const { return loadLog_; }
    const QStringList& errorLog() const { return errorLog_; }

    const Movie* movie() const { return movie_.get(); }
    Clip* root() const { return root_.get(); }
    QSizeF stageSize() const; // pixels
    double frameRate() const { return movie_ ? movie_->frameRate : 12; }

    // The folder beyond which relative loads may not go.
    void setConfinementFolder(const QString& folder) { confinement_ = folder; }
    ScriptEngine* scriptEngine() const { return engine_.get(); }

    // avm1::PlayerHost
    avm1::DisplayObjectHost* levelRoot(int level) override;
    void loadMovieNum(const QString& url, int level) override;
    void unloadMovieNum(int level) override;
    std::optional<QByteArray> readFile(const QString& url, QString* why) override;
    void fscommand(const QString& command, const QString& args) override;
    void getUrl(const QString& url, const QString& window) override;
    void trace(const QString& line) override;
    void scriptError(const QString& message) override;
    qint64 movieTimeMs() const override;
    double stageWidth() const override { return stageSize().width(); }
    double stageHeight() const override { return stageSize().height(); }
    bool isKeyDown(int code) const override { return keysDown_.count(code) > 0; }
    int lastKeyCode() const override { return lastKeyCode_; }
    int lastKeyAscii() const override { return lastKeyAscii_; }
    avm1::DisplayObjectHost* focus() const override;
    void storeFocus(avm1::DisplayObjectHost* target) override;
    bool focusRect() const override { return focusRect_; }
    void setFocusRect(bool shown) override { focusRect_ = shown; }

    // Used by clips.
    void logLoad(const QString& line);
    void logError(const QString& line);
    std::unique_ptr<Clip> instantiate(Clip& parent, const std::shared_ptr<const Movie>& movie, uint16_t id, int depth);
    void applyPlace(Clip& clip, const PlaceObject& place, int frameIndex);
    void showButtonState(Clip& button, int state); // 0 up, 1 over, 2 down
    void enterFrame(Clip& clip, int frame, bool runActions);
    void gotoFrame(Clip& clip, int frame);
    void queueActions(Clip& clip, const QByteArray& actions);
    void requestLoad(Clip* target, int level, const QString& url);
    int liveObjects = 0;
    bool drawingRefusalLogged = false; // a full drawing was refused (logged once)
    qint64 currentTick() const { return ticks_; }
    int nestingOf(const Clip& clip) const;
    QString resolvePath(const QString& url, QString* why) const;
    // The keyboard focus (focus.cpp): moving it (with its script events) and
    // losing it when the focused object or an ancestor is removed or hidden.
    void focusTo(Clip* target);
    void dropFocusWithin(Clip& clip);

private:
    // Frame scripts, events and load reports that one host call may run before
    // the rest is dropped (a script that keeps jumping between frames).
    static constexpr int kMaxQueuedPerCall = 20000;
    static constexpr int kMaxLogLines = 2000;

    struct PendingScript {
        Clip* clip;
        std::shared_ptr<avm1::ClipLink> link;
        QByteArray actions;
        int kind; // 0 frame actions, 1 load, 2 enterFrame, 3 load report, 4 unload, 5 initialize, 6 construct
    };
    struct PendingLoad {
        std::shared_ptr<avm1::ClipLink> target; // null: a level
        int level = 0;
        QString url;
        bool unload = false; // unloadMovieNum: the level goes away
    };

    void advance(Clip& clip, bool forceRoot);
    void collectEnterFrame(Clip& clip, std::vector<std::shared_ptr<avm1::ClipLink>>& out);
    void runQueued();
    void runPending(const PendingScript& s);
    bool runConstruction();
    void startPlacedClip(Clip& clip);
    void retireTree(Clip& clip, int nesting);
    void completeLoads();
    void endFrame();
    void runClipEventBytes(Clip& clip, uint32_t eventMask);

    // Input (input.cpp).
    void mouseClipEvent(avm1::ClipEvent event, uint32_t mask, const QString& listenerMessage);
    void inputClipEvent(avm1::ClipEvent event, uint32_t mask, const QString& broadcaster, const QString& message);
    Clip* pickButton(Clip& clip, const QPointF& levelPx, int nesting);
    void updateHover();
    bool buttonEvent(Clip* clip, avm1::ClipEvent event, uint32_t mask);
    struct TabStopRef {
        std::shared_ptr<avm1::ClipLink> link;
        std::optional<int32_t> tabIndex;
    };
    void collectTabStops(Clip& clip, std::vector<TabStopRef>& out, int nesting);
    void tabFocus(bool backward);
    Clip* pickTextField(Clip& clip, const QPointF& levelPx, int nesting);
    void clickFocus();

    // DisplayTree, the renderer's view of the player.
    const Movie* stageMovie() const override { return movie_.get(); }
    std::vector<const Clip*> levelRoots() const override;
    std::optional<QString> boundText(const QString& variablePath) override { return getVariable(variablePath); }
    std::optional<QRectF> focusHighlight() const override;
    void resetRoot();
    void nameIfUnnamed(Clip& clip);
    Clip* resolveVariableTarget(const QString& path, QString* name);

    std::shared_ptr<const Movie> movie_;
    std::unique_ptr<Clip> root_;
    QString path_;
    QString confinement_;
    std::unique_ptr<ScriptEngine> engine_;
    void retire(std::unique_ptr<Clip> clip);

    std::vector<PendingScript> queue_;
    // Initialize and construct events of clips the timeline placed: they run
    // before the next queued script, all initialize events first.
    std::deque<PendingScript> initQueue_, constructQueue_;
    std::vector<std::unique_ptr<Clip>> graveyard_; // removed clips until their unload events ran
    std::vector<PendingLoad> loads_;
    std::map<int, std::unique_ptr<Clip>> levels_; // levels above 0
    QStringList loadLog_, errorLog_;
    qint64 ticks_ = 0;
    qint64 instancesNamed_ = 0;
    QPointF mouse_;
    bool mouseDown_ = false;
    std::shared_ptr<avm1::ClipLink> hovered_; // the button under the mouse
    std::shared_ptr<avm1::ClipLink> pressed_; // the button the mouse went down on
    std::shared_ptr<avm1::ClipLink> focus_;   // the object with the keyboard focus
    bool focusShown_ = false;                 // it shows the focus rectangle
    bool focusRect_ = true;                   // _focusrect of the player (kept across loads)
    std::set<int> keysDown_;                  // key codes (and mouse buttons 1, 2, 4) held down
    int lastKeyCode_ = 0, lastKeyAscii_ = 0;
    int runDepth_ = 0;
    std::unique_ptr<Renderer> renderer_;
    std::shared_ptr<VideoDecoderBudget> videoDecoders_ = std::make_shared<VideoDecoderBudget>();
};

} // namespace fotarel::swf
