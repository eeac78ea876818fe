#pragma once

// The interpreter behind Vm (internal to fotarel_avm1).

#include "swf/avm1/runtime.h"

#include <QSet>

#include <map>
#include <memory>
#include <tuple>
#include <stdexcept>

namespace fotarel::swf::avm1 {

// A fatal error of the current run (malformed record, a bound passed): not
// catchable by scripts.
struct ScriptError : std::runtime_error {
    using std::runtime_error::runtime_error;
};

struct DepthGuard {
    int& depth;
    explicit DepthGuard(int& d) : depth(d) { ++depth; }
    ~DepthGuard() { --depth; }
};

// A value thrown by a script (Throw), caught by Try regions.
struct ScriptThrow {
    Value value;
};

struct Region {
    enum class Kind : uint8_t { With, Try } kind = Kind::With;
    enum class Phase : uint8_t { Try, Catch, Finally } phase = Phase::Try;
    int start = 0;        // first byte of the body
    int catchStart = 0;   // Try: end of the try body
    int finallyStart = 0; // Try: end of the catch body
    int end = 0;          // end of the whole construct
    size_t scopeSize = 0; // With: scope chain size to restore
    bool hasCatch = false;
    bool hasFinally = false;
    bool catchInRegister = false;
    int catchRegister = 0;
    QString catchName;
    enum class Pending : uint8_t { None, Throw, Return } pending = Pending::None;
    Value pendingValue;
};

class DecodedBlock;

struct Frame {
    QByteArray code;
    std::shared_ptr<DecodedBlock> program; // the decoded records of `code` (set by execute when empty)
    int pc = 0;
    int end = 0;
    int version = 6;
    std::vector<Value> stack;
    std::vector<Value> registers;
    std::vector<Object*> scope; // scope chain, global first
    Object* timeline = nullptr; // target of timeline actions and undeclared variables
    Object* baseTimeline = nullptr; // the timeline SetTarget("") returns to
    Object* locals = nullptr;   // where `var` declares
    Value thisv;
    Object* home = nullptr;     // prototype the running method was found on (for super)
    int homeDepth = -1;         // __proto__ links from `this` to `home` at the call (-1: none)
    std::shared_ptr<const std::vector<QString>> constants;
    std::vector<Region> regions;
    bool isFunction = false;
    // The clip of baseTimeline was on the display list when the frame began:
    // once it is removed, the next call ends the frame.
    bool timelineWasLive = false;
    // A DefineFunction2 that preloads or suppresses `this` / `super` has
    // them only in registers: by name they are looked up like any variable.
    bool thisByName = true;
    bool superByName = true;
};

// escape() and unescape(): UTF-8 bytes as %XX, all but letters and digits.
QString escapeText(const QString& s);
QString unescapeText(const QString& s);

// "_levelN" names level N; the prefix's letter case counts from SWF 7.
bool levelNumber(const QString& name, int& level, Qt::CaseSensitivity cs = Qt::CaseInsensitive);

// Sets one of the load state members (loaded, _bytesLoaded, _bytesTotal).
void setLoadState(Object* o, const char* name, const Value& v);


// A start or end index of slice/substring-like methods: negative counts from
// the end; the result lies in [0, length].
double relativeIndex(double i, double length);

struct Interval {
    int id = 0;
    bool once = false;  // setTimeout
    Value function;     // a function, or the object whose `method` is called
    QString method;
    std::vector<Value> args;
    int64_t period = 0;
    int64_t due = 0;
};

class Interpreter {
public:
    Interpreter(PlayerHost& player, Limits limits);
    ~Interpreter();

    PlayerHost& player;
    Limits limits;

    // --- heap --------------------------------------------------------------
    Object* alloc(Object::Kind kind, Object* proto);
    Object* newObject() { return alloc(Object::Kind::Plain, objectProto); }
    Object* newArray(std::vector<Value> elements = {});
    // Arrays keep their elements as properties "0", "1", ... beside a length
    // of their own, so elements below the length may be missing (holes).
    // The elements 0 .. length-1 in order, a missing one undefined; a length
    // past the array bound ends the run.
    std::vector<Value> arrayValues(Object* array);
    // Replaces the elements (not DontDelete ones) and sets the length.
    void setArrayValues(Object* array, const std::vector<Value>& values);
    // Sets the length; a shorter one deletes the elements at and after it.
    void setArrayLength(Object* array, int32_t length);
    // Deletes the elements 0 .. count-1 (not DontDelete ones).
    void deleteElements(Object* array, int32_t count);
    // Adds a native method (not enumerable) to an object.
    void defineMethod(Object* o, const char* name, NativeFunction fn);
    Object* newNative(NativeFunction fn, NativeFunction construct = {});
    Object* newScriptFunction(std::shared_ptr<ScriptFunction> fn);
    void noteAllocation(int64_t bytes);
    void collectGarbage();
    void maybeCollect();

    // --- the running state -------------------------------------------------
    int version() const { return version_; }
    bool caseSensitive() const { return version_ >= 7; }
    [[noreturn]] void fail(const QString& message);
    void checkString(const QString& s);
    // Runs a top-level block; reports errors to the player. Returns false on error.
    bool runTopLevel(const ActionBlock& block, DisplayObjectHost& clip);
    // Runs a callback (handler, interval) as a top-level run.
    bool runCallback(const std::function<void()>& fn);

    Value call(const Value& function, const Value& self, std::vector<Value> args, Object* home = nullptr);
    // The object `super` stands for in a method of `home` called on `self`,
    // and the prototype it reaches now.
    Object* makeSuper(const Value& self, Object* home, int homeDepth);
    Object* superHome(const Object* sup) const;
    Value callSuperConstructor(Object* super, std::vector<Value> args);
    // Whether the clip of the frame's own timeline left the display list.
    static bool timelineRemoved(const Frame& f);
    Value callMethod(const Value& object, const QString& name, std::vector<Value> args);
    Value construct(const Value& ctor, std::vector<Value> args);

    // --- conversions -------------------------------------------------------
    Value toPrimitive(const Value& v, bool preferString = false);
    double toNumber(const Value& v);
    QString toString(const Value& v);
    bool toBoolean(const Value& v) const;
    double toInteger(const Value& v);
    bool looseEquals(const Value& a, const Value& b);
    bool strictEquals(const Value& a, const Value& b) const;
    // a < b: a boolean, or undefined when a side is NaN. Operands convert
    // left first unless rightFirst (Greater converts its left operand, the
    // right side of the comparison, first).
    Value lessThan(const Value& a, const Value& b, bool rightFirst = false);
    QString typeOf(const Value& v) const;
    // A primitive as an object, made as the Flash Player makes it: by
    // `new` with the constructor _global holds under the class name at that
    // moment (String, Number, Boolean); null when that is no function or
    // refuses (undefined and null never become objects).
    Object* toObject(const Value& v);
    Object* toObject(const Value& v, Object* ctor); // with that constructor, already found
    // That constructor of a string, number or boolean (getters run), or null.
    Object* primitiveConstructor(const Value& v);
    // Whether `ctor` is the VM's own constructor of the primitive's class.
    bool isBuiltinConstructor(const Value& primitive, const Object* ctor) const;
    // `v instanceof klass`: only an object (a clip that still exists) is an
    // instance; the class becomes an object, its own `prototype` is read as
    // stored (no getter, no version flags) and looked for on v's chain.
    bool instanceOf(const Value& v, const Value& klass);

    // --- members -----------------------------------------------------------
    Value getMember(const Value& object, const QString& name);
    // Property read with presence: false when neither the object, its
    // prototypes nor (for clips) its display properties and children have it.
    bool getProperty(Object* o, const Value& self, const QString& name, Value& out, Object** where = nullptr);
    void setMember(const Value& object, const QString& name, const Value& value);
    // setMember after any watch had its say.
    void setMemberUnwatched(const Value& object, const QString& name, const Value& value);
    // Own property assignment: setters, read-only flags, inherited accessors.
    void setMemberPlain(const Value& object, const QString& name, const Value& value);
    QHash<QPair<Object*, QString>, int> watching_; // watches running now, by depth
    // Script getters, setters and watches running inside one another: past
    // 65 of them a getter reads the stored value, a setter stores the value
    // and a watch is not called, so a property whose handler uses itself
    // ends instead of failing the run.
    static constexpr int kPropertyHandlerDepth = 65;
    int propertyHandlers_ = 0;
    bool propertyHandlerMayRun(const Object* handler) const
    {
        return propertyHandlers_ < kPropertyHandlerDepth || !handler->script;
    }
    bool deleteMember(const Value& object, const QString& name);
    // "__proto__", without letter case before SWF 7.
    bool isProtoName(const QString& name) const;
    // Looks a property up along the prototype chain; `where` receives the
    // object that holds it.
    Slot* lookup(Object* o, const QString& name, Object** where = nullptr);
    QStringList enumerate(const Value& object);

    // --- variables and paths -----------------------------------------------
    // `holder` (optional) receives the scope object that had the variable.
    Value getVariable(Frame& f, const QString& name, Object** holder = nullptr);
    void setVariable(Frame& f, const QString& name, const Value& value);
    Object* objectFor(DisplayObjectHost* clip);
    // The clip a value stands for: a clip object's own clip, or, once that is
    // gone, the clip now at the target path it had (nullptr when none).
    DisplayObjectHost* clipOf(const Value& v) const;
    // A clip object whose clip is gone: the object of the clip now at its
    // path, or nullptr (also for live clips and other objects).
    Object* liveClipObject(Object* o);
    DisplayObjectHost* clipAtTargetPath(const QString& path) const;
    // Resolves a target path ("_root.a.b", "/a/b", "../x", "_level1", "a")
    // relative to a clip; nullptr when it does not exist.
    DisplayObjectHost* resolveClipPath(DisplayObjectHost* base, const QString& path);
    // The object a target path names: clips, then (past a timeline variable
    // that holds one) plain objects and their members; undefined when none.
    Value resolvePath(DisplayObjectHost* base, const QString& path);
    QString targetPath(DisplayObjectHost* clip) const;     // "_level0.a.b"
    QString slashPath(DisplayObjectHost* clip) const;      // "/a/b"
    Value clipProperty(DisplayObjectHost* clip, int prop);
    void setClipProperty(DisplayObjectHost* clip, int prop, const Value& v);
    DisplayObjectHost* rootOf(DisplayObjectHost* clip) const;
    // Splits "path:var" / "path.var" into target and variable name.
    bool splitVariablePath(const QString& path, QString& target, QString& var) const;

    // --- clips and loads ---------------------------------------------------
    Value clipMember(Object* clipObject, const QString& name, bool& found);
    bool setClipMember(Object* clipObject, const QString& name, const Value& value);
    void loadInto(DisplayObjectHost* clip, const QString& url);
    // GetURL/GetURL2: "FSCommand:" urls, loads into "_levelN" or (with
    // loadTarget) into the clip the window names, other urls to the player.
    void getUrlOrLoad(DisplayObjectHost* base, const QString& url, const QString& window, bool loadTarget);
    // gotoAndPlay/gotoAndStop with a frame number (1-based, plus `bias`), a
    // label, or "path:frame".
    void gotoFrameValue(DisplayObjectHost* clip, const Value& frame, bool play, int bias = 0);
    // The clip and 1-based frame a frame value names (number, label or
    // "path:frame"); false when there is none.
    bool resolveFrame(DisplayObjectHost* clip, const Value& frame, int bias, DisplayObjectHost*& target, int& number);
    // call(frame): runs that frame's actions on its clip now.
    void callFrame(DisplayObjectHost* clip, const Value& frame);
    // Gives a clip made by attachMovie the class registered for its symbol.
    void applyRegisteredClass(DisplayObjectHost* clip, const QString& exportName, const Value& init,
                              bool prototypeOnly = false);
    void reportLoad(DisplayObjectHost& clip, LoadEvent event, const QString& error);
    void runIntervals();

    // --- execution ---------------------------------------------------------
    Value execute(Frame& f);
    // The built-ins, one setup function per class or global object.
    void setupBuiltins();
    void setupObjectClass();
    void setupFunctionClass();
    void setupStringClass();
    void setupNumberClass();
    void setupBooleanClass();
    void setupErrorClass();
    void setupMath();
    void setupGlobalFunctions();
    void setupSystem();
    void setupStage();
    void setupArrayClass();
    void setupClipClasses();
    void setupClipGeometry();
    void setupDisplayProps();
    void setupDrawingMethods();
    void setupFlashPackage(); // flash.display.BitmapData and the flash.geom classes
    // flash.geom: Point, Rectangle, Matrix, ColorTransform, Transform, and
    // MovieClip.transform (geom_classes.cpp).
    void setupGeomClasses();
    // Date (date_class.cpp).
    void setupDateClass();
    // ASnative, ASSetNative, ASSetNativeAccessor (native_table.cpp).
    void setupNativeTable();
    // Color (color_class.cpp).
    void setupColorClass();
    // A new object of a flash.geom class (as scripts see it under `_global`).
    Value newGeom(const char* className, std::vector<Value> args);
    void setupXmlClasses();
    void setupBroadcaster();
    void setupLoadVars();
    // Sound (sound_class.cpp): sounds loading or playing, kept alive until
    // they end; loads finish with the text loads, sounds end in runIntervals.
    void setupSoundClass();
    void startSound(Object* sound);
    void completeSoundLoads();
    void tickSounds();
    std::vector<Object*> activeSounds;
    void setupTextClasses();
    // A TextFormat object holding `format`.
    Object* newTextFormat(const TextFormat& format);
    // A text field's script object: TextField.prototype, and a broadcaster
    // listening to itself.
    void initTextFieldObject(Object* o);
    // load, sendAndLoad, getBytesLoaded ... on a LoadVars-like prototype.
    void installTextLoading(Object* proto);
    void startTextLoad(Object* target, const QString& url);
    // Queues a text load: into `target`'s onData, or with `clip` set the
    // variables of that clip (loadVariables).
    void requestText(Object* target, DisplayObjectHost* clip, const QString& url);
    void completeTextLoads();
    struct TextLoad {
        Object* target = nullptr;
        std::shared_ptr<ClipLink> clip;
        QString url;
    };
    std::vector<TextLoad> textLoads;
    // AsBroadcaster.initialize: `_listeners` and the three broadcaster methods.
    void makeBroadcaster(Object* o);
    // Input (key_mouse.cpp): whether a clip has button handlers, and its `enabled`.
    bool clipButtonState(DisplayObjectHost* clip, bool* enabled);
    void broadcastInput(const QString& object, const QString& message);
    void setupKeyMethods(Object* key);
    // Keyboard focus (selection.cpp): the Selection object, moving the focus
    // with its events, and the properties that put objects in the Tab order.
    void setupSelection();
    bool changeFocus(DisplayObjectHost* target);
    FocusTraits focusTraits(DisplayObjectHost* clip);

    // --- state -------------------------------------------------------------
    Object* global = nullptr;
    Object* objectProto = nullptr;
    Object* functionProto = nullptr;
    Object* arrayProto = nullptr;
    Object* stringProto = nullptr;
    Object* numberProto = nullptr;
    Object* booleanProto = nullptr;
    Object* stringCtor_ = nullptr; // the built-in constructors, whatever _global holds now
    Object* numberCtor_ = nullptr;
    Object* booleanCtor_ = nullptr;
    Object* clipProto = nullptr;
    Object* loaderProto = nullptr;
    Object* errorProto = nullptr;
    Object* xmlNodeProto = nullptr;
    Object* xmlProto = nullptr;
    Object* textFieldProto = nullptr;
    Object* textFormatProto = nullptr;
    Object* broadcasterMethods_ = nullptr; // AsBroadcaster as first made
    Object* classRegistry = nullptr; // Object.registerClass: export name -> constructor
    // ASnative(category, index): the built-in functions by their numbers,
    // kept as properties "category,index" of a plain object.
    Object* nativeTable = nullptr;
    void registerNatives(int category, const char* commaNames, Object* holder);

    std::vector<Object*> heap;
    int64_t liveBytes = 0;
    int64_t allocatedSinceGc = 0;
    std::vector<std::shared_ptr<ClipLink>> links;

    std::map<int, Interval> intervals;
    int nextIntervalId = 1;
    struct PendingLoad {
        std::shared_ptr<ClipLink> link;
        Object* loader = nullptr;
        int level = -1; // a load into a level that had no movie yet: its root once it has one
    };
    std::vector<PendingLoad> pendingLoads;

    uint64_t rng = 0;
    double random(); // [0, 1)

    int64_t actionsLeft = 0;
    int64_t frameActionsLeft = 0;
    int64_t frameTime = INT64_MIN;
    bool frameBound = false; // the current run's budget is what is left of the frame's
    [[noreturn]] void budgetExceeded();
    void startFrame(int64_t now);
    int callDepth = 0;
    int runDepth = 0;
    Object* runningFunction_ = nullptr; // the script function running now (arguments.caller of the next)
    int version_ = 6;
    // What a script asked for that is not built: one line through
    // PlayerHost::scriptError per feature and VM.
    void noteMissing(const QString& feature);
    // A Flash Player class or global object the VM does not provide.
    void noteMissingBuiltin(const QString& name);
    QSet<QString> missingNoted_;
    bool emptyBoundsWide = false; // an empty clip's bounds read 6710886.4 (see getBounds)
    QString stageAlign_, stageScaleMode_; // Stage.align and Stage.scaleMode as scripts set them
    Frame* current = nullptr; // innermost running frame

private:
    void markValue(const Value& v, std::vector<Object*>& work);
    // The decoded records of a block, kept per block (its bytes' address)
    // and text rule, so loops and repeated frames decode once.
    std::shared_ptr<DecodedBlock> programFor(const QByteArray& code, int version);
    using ProgramKey = std::tuple<const char*, qsizetype, bool>;
    std::map<ProgramKey, std::shared_ptr<DecodedBlock>> programs_;
    int64_t programBytes_ = 0;
};

} // namespace fotarel::swf::avm1
