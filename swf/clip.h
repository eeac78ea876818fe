#pragma once

// A display object of the player's display list, as the player keeps it and
// as scripts see it through avm1::DisplayObjectHost.

#include "swf/avm1/host.h"
#include "swf/drawing.h"
#include "swf/movie.h"

#include <QImage>

#include <cmath>
#include <map>
#include <optional>
#include <memory>

namespace fotarel::swf {

class Player;
class VideoPlayback;

// Depths given by scripts are stored above the timeline's depths: scripts see
// a stored depth minus this.
constexpr int kScriptDepthBase = 16384;

// A position set by a script (_x, _y, a matrix's tx and ty) is kept in
// whole twips, cut toward zero as the Flash Player converts it: 3.94 px
// reads back as 3.9, -2.94 as -2.9.
inline double pixelsToTwips(double pixels)
{
    return std::trunc(pixels * 20);
}

// One display object: a shape, morph, text, button or movie clip (sprite, the
// root of a level, or a clip made by script). Movie clips have a timeline and
// children; the others only their placement.
class Clip final : public avm1::DisplayObjectHost {
public:
    enum class Kind : uint8_t { Shape, Morph, Bitmap, Sprite, StaticText, EditText, Button, Video };

    Clip(Player& player, Clip* parent, Kind kind);
    ~Clip() override;

    Kind kind;
    Player& player;
    Clip* parentClip;
    std::shared_ptr<const Movie> movie; // the movie whose characters this clip uses
    std::shared_ptr<const Character> character;
    uint16_t characterId = 0;
    int depthValue = 0; // depth in the parent as the file gives it (scripts see it minus 16384)
    QString instanceName;

    Matrix matrix;
    ColorTransform cxform; // the colour transform (named so: colorTransform() is the script view)
    uint16_t ratio = 0;
    int clipDepth = 0;
    BlendMode blendMode = BlendMode::Normal;
    std::vector<Filter> filters;
    bool cacheAsBitmap = false;
    // The colour painted over the object's bounds under its content (the
    // Flash Player's opaqueBackground; its alpha is not used).
    std::optional<Rgba> opaqueBackground;
    // scrollRect (twips of the content): only this part of the content is
    // shown, with its top left corner at the clip's origin.
    std::optional<QRectF> scrollRect;
    bool visible = true;
    std::optional<bool> focusRect; // _focusrect set on the object (unset: the player's)
    bool placedByScript = false;
    std::vector<ClipAction> clipActions;
    Clip* maskClip = nullptr; // setMask
    bool isMaskOf = false;

    // Movie clips.
    const Timeline* timeline = nullptr;
    int frame = -1; // 0-based current frame, -1 before the first
    bool playing = true;
    std::map<int, std::unique_ptr<Clip>> children;
    std::map<QString, QString> variables; // used when no script engine is attached
    QImage loadedImage;                   // a picture loaded into this clip
    std::unique_ptr<Drawing> drawing;     // what the drawing methods made, painted beneath the children
    qint64 loadedBytes = 0;
    QString movieUrl;
    int levelNumber = 0;
    qint64 bornTick = -1; // the tick during which the clip was created (it does not advance in it)
    int placeFrame = -1; // the parent's frame whose PlaceObject made it (-1: not the timeline's)
    bool loadEventPending = false;
    bool offList = false; // taken off the display list; only its unload handlers still run
    bool depthBySwap = false; // moved by swapDepths: the timeline no longer moves it

    // Buttons: the state shown (0 up, 1 over, 2 down) and the shapes of the
    // hit state, which the mouse is tested against but which are not painted.
    int buttonState = 0;
    std::vector<std::unique_ptr<Clip>> buttonHitParts;
    bool buttonHit(const QPointF& levelPx) const; // level pixels
    QTransform toLevelTransform() const;          // twips of this clip -> its level's twips

    // Text fields (DefineEditText, createTextField): the state scripts and
    // the renderer share (text_field_display.cpp).
    std::unique_ptr<avm1::TextFieldModel> field;

    // Videos (DefineVideoStream): the decoder state, whose picture follows
    // the ratio when painted.
    std::unique_ptr<VideoPlayback> video;

    bool isSprite() const { return kind == Kind::Sprite; }
    // Shapes, static text and bitmaps have no script object: the clip they
    // sit in answers for them (by name and by depth).
    bool scriptable() const
    {
        return kind == Kind::Sprite || kind == Kind::Button || kind == Kind::EditText || kind == Kind::Video;
    }
    Clip* child(int depth) const;
    QTransform worldTransform() const; // twips of this clip -> stage twips
    QTransform toParent() const;       // twips of this clip -> its parent's (the matrix after any scroll)
    QString targetPath() const;        // "_level0.a.b"
    QPointF localMouse() const;        // the mouse in this clip's pixels (_xmouse, _ymouse)

    // avm1::DisplayObjectHost
    QString name() const override { return instanceName; }
    void setName(const QString& n) override { instanceName = n; }
    DisplayObjectHost* parent() const override { return parentClip; }
    int level() const override;
    int depth() const override { return depthValue - 16384; }
    DisplayObjectHost* childByName(const QString& name, bool caseSensitive) const override;
    QStringList childNames() const override;
    bool isMovieClip() const override { return kind == Kind::Sprite; }
    bool removed() const override { return offList; }
    int swfVersion() const override { return movie ? movie->version : 6; }
    QString url() const override;
    double property(avm1::Property p) const override;
    void setProperty(avm1::Property p, double value) override;
    int currentFrame() const override { return timeline ? frame + 1 : 0; }
    int totalFrames() const override { return timeline ? int(timeline->frames.size()) : 0; }
    void play() override { playing = true; }
    void stop() override { playing = false; }
    void gotoFrame(int frame, bool andPlay) override;
    int frameOfLabel(const QString& label) const override;
    std::vector<avm1::ActionBlock> frameActions(int frame) const override;
    avm1::ColorTransformValues colorTransform() const override;
    double exportedSoundMs(const QString& name) const override;
    void setColorTransform(const avm1::ColorTransformValues& values) override;
    avm1::DisplayProps displayProps() const override;
    void setDisplayProps(const avm1::DisplayProps& props) override;
    DisplayObjectHost* createEmptyMovieClip(const QString& name, int depth) override;
    DisplayObjectHost* attachMovie(const QString& exportName, const QString& name, int depth) override;
    DisplayObjectHost* duplicate(const QString& name, int depth) override;
    bool removeFromParent() override;
    void swapDepths(int depth) override;
    int nextHighestDepth() const override;
    void setMask(DisplayObjectHost* mask) override;
    void loadMovie(const QString& url) override;
    void unloadMovie() override;
    qint64 bytesLoaded() const override { return loadedBytes; }
    qint64 bytesTotal() const override { return loadedBytes; }
    avm1::TextFieldModel* textField() override { return field.get(); }
    void textChanged() override;
    avm1::TextMetrics textMetrics() override;
    DisplayObjectHost* createTextField(const QString& name, int depth, double x, double y, double width,
                                       double height) override;
    // _width/_height of a text field: its bounds change, not its scale.
    void resizeTextField(bool width, double pixels);
    StaticChars staticText() const override;
    avm1::PixelMatrix toStage() const override;
    avm1::PixelMatrix localMatrix() const override;
    void setLocalMatrix(const avm1::PixelMatrix& m) override;
    avm1::PixelRect boundsIn(const DisplayObjectHost* space, bool withStrokes) const override;
    bool hitTestPoint(double x, double y, bool shapeFlag) const override;
    DisplayObjectHost* childAtDepth(int depth) const override;
    void draw(const avm1::DrawCommand& command) override; // drawing.cpp

private:
    // Scale and rotation as scripts read and write them. They are kept beside
    // the matrix while it stays the one they made (a negative _xscale a
    // script wrote reads back negative, a zero scale keeps the rotation);
    // a matrix set otherwise is decomposed again: scales from the axis
    // lengths, rotations from the directions of both axes.
    struct Decomposed {
        double a = 1, b = 0, c = 0, d = 1; // the linear part they belong to
        double scaleX = 1, scaleY = 1, rotationX = 0, rotationY = 0; // rotations in radians
    };
    mutable Decomposed decomposed_;
    const Decomposed& decomposed() const;
    bool hitsShapes(const QPointF& levelTwips, const QTransform& toLevel, int nesting) const;
    double scaleX() const;
    double scaleY() const;
    double rotation() const;
    void setScaleRotation(double sx, double sy, double rotDegrees);
};

// Bounds of what a clip paints, in the coordinates `toParent` maps the
// clip's own twips to. Without strokes only drawings made by script leave
// their line widths out (parsed shapes keep only their outer bounds).
QRectF clipBounds(const Clip& clip, const QTransform& toParent, int nesting = 0, bool withStrokes = true);

// Where a clip is painted: filtered and cached objects have their top left
// corner moved onto a whole pixel, as the Flash Player paints them.
QTransform placedWorld(const Clip& clip, const QTransform& parentWorld);

} // namespace fotarel::swf
