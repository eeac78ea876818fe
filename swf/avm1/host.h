#pragma once

// The meeting point of the ActionScript 1/2 virtual machine (AVM1) and the
// player that owns the display list.
//
// Who owns what:
// - The player owns every display object and implements DisplayObjectHost on
//   each clip a script can reach, and PlayerHost once.
// - The VM (class Vm below) owns every script value: objects, functions,
//   arrays, the timeline variables of each clip and the handlers set on it
//   (onEnterFrame, onLoad, ...). It reaches clips only through the two
//   interfaces here and keeps no pointer to a clip that outlives the clip (see
//   ClipLink).
// - Nothing here is thread-safe: the player calls the VM, and the VM calls the
//   host back, on one thread.
//
// Calls from the VM into the host happen synchronously in the middle of a
// script (a script calls gotoAndStop, createEmptyMovieClip, ...). The host
// should not run frame scripts from inside such a call; it queues them and
// runs them after the VM call returns, the way Flash Player does. (Re-entrant
// calls into the VM work: they share the current run's budgets, report their
// own errors and never throw into the host.)

#include "swf/avm1/drawing.h"
#include "swf/avm1/text_field.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <array>
#include <cstdint>
#include <memory>
#include <optional>
#include <vector>

namespace fotarel::swf::avm1 {

class DisplayObjectHost;
class Object; // a script object of the VM (opaque to the host)

// The numbered properties of SWF 4 GetProperty/SetProperty, in their
// published order. Names: "_x", "_y", "_xscale", ...
enum class Property : int {
    X = 0, Y = 1, XScale = 2, YScale = 3, CurrentFrame = 4, TotalFrames = 5, Alpha = 6,
    Visible = 7, Width = 8, Height = 9, Rotation = 10, Target = 11, FramesLoaded = 12,
    Name = 13, DropTarget = 14, Url = 15, HighQuality = 16, FocusRect = 17,
    SoundBufTime = 18, Quality = 19, XMouse = 20, YMouse = 21,
};
constexpr int kPropertyCount = 22;

// Clip events whose script handlers ("onLoad", "onEnterFrame", ...) the VM
// calls when the host dispatches them (Vm::dispatchClipEvent).
enum class ClipEvent : int {
    Load, EnterFrame, Unload, MouseMove, MouseDown, MouseUp, KeyDown, KeyUp, Data,
    Press, Release, ReleaseOutside, RollOver, RollOut, DragOver, DragOut, Construct,
};

// One block of action bytes with the SWF version of the movie it comes from
// (the version selects the conversion and case rules). The bytes are shared
// (QByteArray copies are cheap) and kept alive by functions defined in them.
struct ActionBlock {
    QByteArray bytes;
    int swfVersion = 6;
};

// The shared handle between a clip and its script object. The host side
// (DisplayObjectHost) creates it on demand and clears `clip` in its destructor;
// the VM keeps a copy in the clip's script object, so a script reference to a
// removed clip sees `clip == nullptr` instead of a dangling pointer.
struct ClipLink {
    DisplayObjectHost* clip = nullptr;
    Object* object = nullptr; // the clip's script object; set and owned by the VM
    // The target path ("_level0.a.b") the clip had when it left the display
    // list for good. Scripts keep clips as paths: a reference to a clip that
    // is gone stands for whatever clip is at that path now.
    QString path;
};

// A clip's colour transform as the Color class sees it: multipliers in
// percent (-100..100) and offsets (-255..255) per channel.
struct ColorTransformValues {
    double ra = 100, rb = 0, ga = 100, gb = 0, ba = 100, bb = 0, aa = 100, ab = 0;
};

// Geometry as scripts see it, in pixels.
struct PixelRect {
    double xMin = 0, yMin = 0, xMax = 0, yMax = 0;
    bool empty = true; // nothing to bound (an empty clip)
};
// The affine map (x, y) -> (a x + c y + tx, b x + d y + ty).
struct PixelMatrix {
    double a = 1, b = 0, c = 0, d = 1, tx = 0, ty = 0;
};

// The painting state scripts set on a clip (SWF 8 and later): the blend
// mode by the SWF's numbers (1 normal .. 14 hardlight), bitmap caching and
// the colour filling the clip's bounds under it (0xRRGGBB; none when unset).
struct DisplayProps {
    int blendMode = 1;
    bool cacheAsBitmap = false;
    std::optional<uint32_t> opaqueBackground;
    // _focusrect of the object (SWF 6 and later): whether the yellow focus
    // rectangle is shown when it takes the focus; unset follows the player's.
    std::optional<bool> focusRect;
    // The scrolled and cropped part of the content: x, y, width, height in
    // pixels of the clip (scrollRect).
    std::optional<std::array<double, 4>> scrollRect;
};

// One clip (movie clip, level root; buttons and text fields may implement it
// too with the parts they support) as the VM sees it. Implemented by the
// player on its display objects.
class DisplayObjectHost {
public:
    DisplayObjectHost() = default;
    DisplayObjectHost(const DisplayObjectHost&) = delete;
    DisplayObjectHost& operator=(const DisplayObjectHost&) = delete;
    virtual ~DisplayObjectHost()
    {
        if (link_)
            link_->clip = nullptr;
    }

    // --- identity and tree -------------------------------------------------
    virtual QString name() const = 0;                  // instance name ("" when none)
    virtual void setName(const QString& name) = 0;     // _name = ...
    virtual DisplayObjectHost* parent() const = 0;      // nullptr for the root of a level
    virtual int level() const = 0;                      // level number of the movie this clip is in
    virtual int depth() const = 0;                      // depth in the parent (as scripts see it, no offset)
    // Child by instance name; `caseSensitive` is false for SWF 6 and earlier.
    virtual DisplayObjectHost* childByName(const QString& name, bool caseSensitive) const = 0;
    virtual QStringList childNames() const = 0;         // named children, for for..in
    virtual bool isMovieClip() const { return true; }   // false: button, text field
    virtual bool removed() const { return false; }      // off the display list, its unload handlers pending
    virtual int swfVersion() const = 0;                 // version of the movie the clip's code comes from
    virtual QString url() const = 0;                    // _url: the movie file it was loaded from

    // --- numbered properties -----------------------------------------------
    // Numeric value of _x, _y, _xscale, _yscale, _alpha (0..100), _visible
    // (0/1), _width, _height, _rotation (degrees), _currentframe, _totalframes,
    // _framesloaded, _highquality, _focusrect, _soundbuftime, _xmouse, _ymouse.
    // _name, _target, _url, _droptarget and _quality are text and are answered
    // by the VM from name(), parent() and url() (the rest as fixed values).
    virtual double property(Property p) const = 0;
    // Sets one of the writable numeric properties (_x, _y, _xscale, _yscale,
    // _alpha, _visible, _width, _height, _rotation, ...); the VM has already
    // converted the value to a number. Read-only ones are never passed.
    virtual void setProperty(Property p, double value) = 0;

    // --- timeline ----------------------------------------------------------
    virtual int currentFrame() const = 0;               // 1-based; 0 when the clip has no frames
    virtual int totalFrames() const = 0;
    virtual int framesLoaded() const { return totalFrames(); }
    virtual void play() = 0;
    virtual void stop() = 0;
    // Go to a 1-based frame (clamped by the host to the existing frames) and
    // play or stop there. The frame's scripts run after the current script.
    virtual void gotoFrame(int frame, bool andPlay) = 0;
    // 1-based frame of a label, or 0 when the clip has no such label.
    virtual int frameOfLabel(const QString& label) const = 0;
    // The DoAction blocks of a 1-based frame, for the SWF 4 call(frame)
    // action, which runs them at once on this clip without going there.
    // Hosts that do not keep them answer none and call() does nothing.
    virtual std::vector<ActionBlock> frameActions(int frame) const
    {
        (void)frame;
        return {};
    }

    // The colour transform of the Color class (setRGB, setTransform). Hosts
    // that do not support it keep the defaults: Color calls then do nothing.
    virtual ColorTransformValues colorTransform() const { return {}; }
    virtual void setColorTransform(const ColorTransformValues& values) { (void)values; }
    // The clip's own matrix in pixels (flash.geom.Transform.matrix). Hosts
    // without one answer the identity and ignore changes.
    virtual PixelMatrix localMatrix() const { return {}; }
    virtual void setLocalMatrix(const PixelMatrix& m) { (void)m; }
    // blendMode, cacheAsBitmap, opaqueBackground. Hosts that do not paint
    // keep the defaults.
    virtual DisplayProps displayProps() const { return {}; }
    virtual void setDisplayProps(const DisplayProps& props) { (void)props; }
    // The length in milliseconds of the sound exported under `name` from this
    // clip's movie (attachSound); negative when there is none.
    virtual double exportedSoundMs(const QString& name) const
    {
        (void)name;
        return -1;
    }

    // --- children ----------------------------------------------------------
    // Each returns the new clip (owned by the host) or nullptr when it failed
    // (no such exported symbol, no parent, depth limits). An existing object at
    // that depth is replaced, as Flash Player does.
    virtual DisplayObjectHost* createEmptyMovieClip(const QString& name, int depth) = 0;
    virtual DisplayObjectHost* attachMovie(const QString& exportName, const QString& name, int depth) = 0;
    // A copy of this clip, placed in this clip's parent.
    virtual DisplayObjectHost* duplicate(const QString& name, int depth) = 0;
    // removeMovieClip: only clips created by script (or moved to a script
    // depth by swapDepths) can be removed; false otherwise.
    virtual bool removeFromParent() = 0;
    // Swap with whatever is at `depth` in the same parent (or just move there).
    virtual void swapDepths(int depth) = 0;
    virtual int nextHighestDepth() const = 0;
    virtual void setMask(DisplayObjectHost* mask) = 0; // nullptr removes the mask

    // --- loading -----------------------------------------------------------
    // Load a movie or a JPEG into this clip, replacing its content (the clip
    // keeps its name, depth and position). May finish at once or later; the
    // host reports the progress with Vm::reportLoad on this clip. An empty
    // url or a failure is reported with LoadEvent::Error.
    virtual void loadMovie(const QString& url) = 0;
    virtual void unloadMovie() = 0;
    virtual qint64 bytesLoaded() const = 0;
    virtual qint64 bytesTotal() const = 0;

    // --- text fields -------------------------------------------------------
    // A text field answers its state (the VM changes it directly and then
    // calls textChanged); everything else answers nullptr.
    virtual TextFieldModel* textField() { return nullptr; }
    // After a script changed the field: the host lays the text out again
    // (and applies autoSize to the bounds).
    virtual void textChanged() {}
    // The laid-out text's size and lines.
    virtual TextMetrics textMetrics() { return {}; }
    // createTextField: a new empty text field child with these bounds
    // (pixels); nullptr when it cannot be made.
    virtual DisplayObjectHost* createTextField(const QString& name, int depth, double x, double y, double width,
                                               double height)
    {
        (void)name, (void)depth, (void)x, (void)y, (void)width, (void)height;
        return nullptr;
    }

    // The characters of the static texts (DefineText) among the clip's
    // children, in depth order (TextSnapshot), and the indexes where a new
    // line of text starts.
    struct StaticChars {
        QString text;
        std::vector<int> lineStarts;
    };
    virtual StaticChars staticText() const { return {}; }

    // Geometry (getBounds, hitTest, localToGlobal). The default is a clip
    // with nothing in it at the stage's origin.
    // The map from this clip's own coordinates to the stage's.
    virtual PixelMatrix toStage() const { return {}; }
    // The bounds of the clip's content in the coordinates of `space`
    // (nullptr: the clip's own), with strokes or without.
    virtual PixelRect boundsIn(const DisplayObjectHost* space, bool withStrokes) const
    {
        (void)space;
        (void)withStrokes;
        return {};
    }
    // Whether the point (x, y) of the clip's level lies in the clip's bounds,
    // or with `shapeFlag` on what the clip paints.
    virtual bool hitTestPoint(double x, double y, bool shapeFlag) const
    {
        (void)x;
        (void)y;
        (void)shapeFlag;
        return false;
    }
    virtual DisplayObjectHost* childAtDepth(int depth) const
    {
        (void)depth;
        return nullptr;
    }

    // --- drawing -----------------------------------------------------------
    // One drawing method call on this clip (hosts without drawing ignore it).
    virtual void draw(const DrawCommand& command) { (void)command; }

    // --- the VM's handle (not for the host to change) ------------------------
    const std::shared_ptr<ClipLink>& link()
    {
        if (!link_) {
            link_ = std::make_shared<ClipLink>();
            link_->clip = this;
        }
        return link_;
    }

    // The host calls this when the clip leaves the display list for good,
    // with the target path it had ("_level0.a.b"); later calls keep the first.
    bool hasLink() const { return link_ != nullptr; }
    void rememberPath(const QString& targetPath)
    {
        if (link_ && link_->path.isEmpty())
            link_->path = targetPath;
    }

    // _lockroot: the clip stands in for `_root` for code in it and below it.
    // Kept by the clip through loadMovie, which replaces only its content.
    bool lockRoot() const { return lockRoot_; }
    void setLockRoot(bool on) { lockRoot_ = on; }

private:
    std::shared_ptr<ClipLink> link_;
    bool lockRoot_ = false;
};

// The player as a whole. Implemented once by the player.
class PlayerHost {
public:
    virtual ~PlayerHost() = default;
    // The root clip of level n (0 = the main movie), or nullptr when none.
    virtual DisplayObjectHost* levelRoot(int level) = 0;
    // loadMovieNum(url, level) / unloadMovieNum(level): loads into a level,
    // creating it. Progress is reported with Vm::reportLoad on the level root.
    virtual void loadMovieNum(const QString& url, int level) = 0;
    virtual void unloadMovieNum(int level) = 0;
    // fscommand(command, args), and getURL("FSCommand:command", args).
    virtual void fscommand(const QString& command, const QString& args) = 0;
    // getURL of any other url (opening pages is up to the host, usually ignored).
    virtual void getUrl(const QString& url, const QString& window) = 0;
    // trace(...) output, one line per call; goes to the load log.
    virtual void trace(const QString& line) = 0;
    // An error of a script (malformed action record, exceeded action budget or
    // recursion depth, an exception nobody caught): one line for the log. The
    // VM stops the current run and goes on with the next one.
    virtual void scriptError(const QString& message) = 0;
    // Movie time in milliseconds since the main movie was loaded, advanced by
    // the player with every frame (frame count × 1000 / frame rate). getTimer()
    // and setInterval use it: no wall-clock time reaches scripts.
    virtual qint64 movieTimeMs() const = 0;
    // The clock of the Date class: milliseconds since 1970 (UTC) and the
    // local offset from UTC in minutes (east positive). By default the
    // clock starts at 1970 when the movie does and local time is UTC, so
    // a movie shows the same dates on every machine and every run.
    virtual double dateNowMs() const { return double(movieTimeMs()); }
    virtual int utcOffsetMinutes() const { return 0; }
    // The bytes of a file a script loads as text or variables (XML.load,
    // LoadVars.load, loadVariables), found as the player finds movies it
    // loads (relative, confined). nullopt, with the reason, when refused or
    // unreadable.
    virtual std::optional<QByteArray> readFile(const QString& url, QString* why)
    {
        (void)url;
        if (why)
            *why = QStringLiteral("no files");
        return std::nullopt;
    }
    // Stage.width and Stage.height: the main movie's frame size in pixels
    // (0 when the host does not say).
    virtual double stageWidth() const { return 0; }
    virtual double stageHeight() const { return 0; }
    // Key.isDown (key codes as the Flash Player numbers them; 1, 2 and 4 are
    // the left, right and middle mouse buttons), Key.getCode and Key.getAscii
    // of the last key pressed.
    virtual bool isKeyDown(int code) const
    {
        (void)code;
        return false;
    }
    virtual int lastKeyCode() const { return 0; }
    virtual int lastKeyAscii() const { return 0; }
    // Keyboard focus (Selection): the object that has it, or nullptr; the
    // VM stores a new one after it decided to move the focus there and before
    // it tells the handlers (onKillFocus, onSetFocus, Selection listeners).
    virtual DisplayObjectHost* focus() const { return nullptr; }
    virtual void storeFocus(DisplayObjectHost* target) { (void)target; }
    // The player's _focusrect (the root's; every object's in SWF 5): whether
    // an object taking the keyboard focus shows the focus rectangle.
    virtual bool focusRect() const { return true; }
    virtual void setFocusRect(bool shown) { (void)shown; }
};

// What scripts set on an object that decides whether it takes the keyboard
// focus and where it stands in the Tab order.
struct FocusTraits {
    std::optional<bool> tabEnabled;  // unset: the object's kind decides
    std::optional<int32_t> tabIndex; // set on any object: the order is by tabIndex
    bool tabChildren = true;         // false: no descendant is in the Tab order
    bool focusEnabled = false;       // a movie clip takes the focus from Selection.setFocus
    bool buttonHandlers = false;     // a movie clip with onPress, onRelease, ... acts as a button
    bool enabled = true;
};

// Progress of a load started by DisplayObjectHost::loadMovie or
// PlayerHost::loadMovieNum, reported by the host in this order:
// Start, (Progress)*, Complete, then Init once the loaded content's first
// frame has run; or Error at any point.
enum class LoadEvent : int { Start, Progress, Complete, Init, Error };


// Bounds that keep any script from hanging or exhausting the program. Every
// run (one call of runActions, runInitActions, dispatchClipEvent, an interval
// callback, reportLoad's handlers) stops with a script error when it passes
// one of them.
struct Limits {
    int64_t actionsPerRun = 1'000'000;      // executed actions in one run
    // Executed actions of all runs of one player frame. A frame ends when
    // the movie time changes or runIntervals() is called (once per frame).
    int64_t actionsPerFrame = 4'000'000;
    int callDepth = 256;                    // nested function calls (Flash Player's default)
    int64_t stringLength = 1 << 22;         // characters of one string
    int64_t arrayLength = 1 << 20;          // elements of one array
    int64_t heapBytes = 256ll * 1024 * 1024; // estimate of all live script data
    int intervals = 1000;                   // active setInterval timers
};

class Vm {
public:
    explicit Vm(PlayerHost& player, Limits limits = {});
    ~Vm();
    Vm(const Vm&) = delete;
    Vm& operator=(const Vm&) = delete;

    // Runs a DoAction block (a frame script, a button action, the bytes of an
    // onClipEvent handler) with `clip` as target and `this`. Returns false
    // when it stopped with a script error (already passed to scriptError).
    bool runActions(const ActionBlock& block, DisplayObjectHost& clip);
    // Runs a DoInitAction block; the host runs each sprite's block once,
    // before the first frame's DoAction of the frame that holds it. `clip` is
    // the root of the movie that defines the sprite.
    bool runInitActions(const ActionBlock& block, DisplayObjectHost& clip);
    // Calls the script handler of an event on a clip ("onEnterFrame",
    // "onLoad", ...), if the clip's script object has one. The host runs the
    // clip's onClipEvent bytes for the same event itself with runActions,
    // before this call. For Load the host calls it after the clip's first
    // frame; for Unload before it removes the clip.
    bool dispatchClipEvent(DisplayObjectHost& clip, ClipEvent event);
    // A clip of a symbol with an export name was placed by the timeline (or
    // made otherwise than by attachMovie): gives it the class scripts
    // registered for that name with Object.registerClass (prototype, then
    // the constructor runs on the clip). Call it after the clip's
    // onClipEvent(construct) bytes; nothing happens when no class is
    // registered. With `prototypeOnly` only the prototype is given (the
    // construct handler, which runs next, already sees the class's members).
    bool constructClip(DisplayObjectHost& clip, const QString& exportName, bool prototypeOnly = false);
    // Progress of a load into `clip` (see LoadEvent): calls the
    // MovieClipLoader listeners of that clip (onLoadStart, onLoadProgress,
    // onLoadComplete, onLoadInit, onLoadError). On Complete the clip's old
    // timeline variables are dropped, as a freshly loaded movie has none.
    void reportLoad(DisplayObjectHost& clip, LoadEvent event, const QString& error = {});
    // Once per player frame, after movieTimeMs() was advanced: runs every
    // setInterval callback that is due (in order of due time, each at most
    // once per tick). It also starts the frame's action budget
    // (Limits::actionsPerFrame).
    void runIntervals();
    // At the end of each frame (after its scripts): the text and variable
    // loads scripts asked for in it arrive (onData, onLoad, the Data event).
    void completeTextLoads();
    // Input: whether a movie clip catches the mouse as a button (it has a
    // handler such as onPress) and whether scripts left it enabled.
    bool clipButtonState(DisplayObjectHost& clip, bool* enabled);
    // Calls the listeners of a global broadcaster ("Mouse", "Key") with a
    // message ("onMouseDown", "onKeyUp", ...).
    void broadcastInput(const QString& object, const QString& message);
    // Keyboard focus: moves it to `target` (nullptr: nobody), stores it with
    // PlayerHost::storeFocus and calls onKillFocus, onSetFocus and the
    // Selection listeners. Nothing happens when it is there already.
    void changeFocus(DisplayObjectHost* target);
    FocusTraits focusTraits(DisplayObjectHost& clip);

    // SetVariable/GetVariable from outside: plain names ("x", taken on
    // _level0), dot paths ("_root.clip.x", "clip.x") and slash paths
    // ("/:x", "/clip:x", "_level0/clip:x"). getVariable returns the value
    // as text, or nullopt when the path or variable does not exist.
    bool setVariable(const QString& path, const QString& value);
    std::optional<QString> getVariable(const QString& path);

    // Math.random draws from a generator seeded here (the default seed is 0):
    // the same movie with the same calls gives the same results.
    void setRandomSeed(uint64_t seed);
    // Frees script data no longer reachable. The VM also does this on its
    // own between runs when much was allocated.
    void collectGarbage();

    const Limits& limits() const;

private:
    class Impl;
    std::unique_ptr<Impl> impl_;
};

} // namespace fotarel::swf::avm1
