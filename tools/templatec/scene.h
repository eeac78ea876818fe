#pragma once

// A template source: photoSlots, frame count, and layers with keyframed tracks.
// Parsed from the readable text files under library/ (see library/README.md).

#include <QColor>
#include <QString>
#include <QStringList>

#include <map>
#include <optional>
#include <stdexcept>
#include <vector>

namespace fotarel::templatec {

inline constexpr int kStageWidth = 1920;
inline constexpr int kStageHeight = 1080;
inline constexpr double kFrameRate = 25.0;

struct SourceError : std::runtime_error {
    using std::runtime_error::runtime_error;
};

enum class Ease { Linear, In, Out, InOut, Back, Sine };
double applyEase(Ease e, double t);

struct Key {
    int frame = 0;
    double value = 0;
    Ease ease = Ease::InOut; // easing of the segment that ends at this key
};

// One animated property. Before its first key it moves from its default
// value at frame 0 to that key; after the last key it holds the last value.
struct Track {
    std::vector<Key> keys;
    double at(double frame, double fallback) const;
    bool empty() const { return keys.empty(); }
};

enum class Prop { X, Y, Scale, ScaleX, ScaleY, Rot, Alpha, Bright, Count };

struct Slot {
    int width = 0, height = 0; // 0 x 0: full frame
    QString orientation;       // heng, shu, shuheng
    bool fullFrame() const { return width == 0 && height == 0; }
};

struct MaskDef {
    QString kind; // iris, wipe-left, wipe-right, wipe-up, wipe-down, blinds-h, blinds-v, diamond, heart, clock, barn-h, barn-v, circles
    int from = 0, to = 0;
    bool out = false; // hide instead of reveal
    int count = 8;    // strips or cells
    double cx = 960, cy = 540; // centre of iris-like masks
};

enum class LayerKind { Carry, Photo, Backdrop, Shape, Particles, Title, Film };

struct Layer {
    LayerKind kind = LayerKind::Shape;
    int slot = 0; // photo and backdrop: 1-based slot
    // Shapes: rect, roundrect, circle, ring, heart, star, frame, gradient
    QString shape;
    double w = 0, h = 0, r = 0; // sizes in pixels
    QColor color = Qt::white, color2 = Qt::black;
    double angle = 90; // gradient direction in degrees
    // Photo: white border around the picture and a soft shadow.
    int border = 0;
    bool shadow = false;
    double blur = 0; // blur filter on the layer, pixels
    // Particles
    QString particle; // petals, snow, hearts, bokeh, stars
    int count = 0;
    int seed = 1;
    int lifeFrom = 0, lifeTo = -1; // frames where particles are emitted
    // Title
    QString text;
    double size = 96;
    QString font = QStringLiteral("serif");
    std::optional<MaskDef> mask;
    Track tracks[int(Prop::Count)];
    int line = 0;
};

struct Scene {
    QString name; // output file name (without extension)
    QString type, category;
    int frames = 0;
    bool ending = false;
    std::vector<Slot> photoSlots;
    std::map<int, int> showFrames; // slot -> frame where it is fully shown
    std::vector<Layer> layers;
};

// Parses a source text; throws SourceError with "file:line: reason".
Scene parseScene(const QString& text, const QString& fileName);
Scene loadScene(const QString& path);

// The value of a property at a frame, with its default when the track is empty.
double propDefault(Prop p);
double layerValue(const Layer& l, Prop p, double frame);

// Mask progress at a frame: 0 before `from`, 1 after `to`, eased between.
double maskProgress(const MaskDef& m, int frame);

// The class the description's orientation list gives (heng, shu, shuheng, gaojimoban).
QString sceneClass(const Scene& s);

} // namespace fotarel::templatec
