// Crops that keep the subject: a real face pasted at the corners and edges
// of real background photos must stay in the crop of every slot shape the
// template library has; salient objects and plain photos get their crops;
// hand crops are clamped.
#include "photos/crop.h"
#include "photos/jpeg_codec.h"
#include "photos/measure.h"
#include "photos/subject.h"
#include "tests/photos/jpeg_fixtures.h"

#include <QDir>
#include <QFile>
#include <QPainter>
#include <QRegularExpression>

#include <gtest/gtest.h>

using namespace fotarel;

namespace {

QByteArray readFile(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

QImage decodeFile(const QString& path, QSize size)
{
    const QByteArray bytes = readFile(path);
    const JpegProbe probe = probeJpeg(bytes);
    if (!probe.ok)
        return {};
    return decodeUpright(bytes, probe.info, size).image;
}

QString dataPath(const char* name)
{
    return QStringLiteral(FOTAREL_SUBJECT_DATA "/") + QLatin1String(name);
}

struct SlotShape {
    QString what;
    QSize slot;         // 0 x 0: full frame
    CropChoices choices;
};

// Every slot size of the library's sources, and full frame under each of
// the crop choices.
std::vector<SlotShape> libraryShapes()
{
    std::vector<SlotShape> shapes;
    std::set<std::pair<int, int>> seen;
    const QDir library(QStringLiteral(FOTAREL_LIBRARY_SOURCE));
    const QRegularExpression slotLine(QStringLiteral("^slot\\s+(\\d+)\\s+(\\d+)"));
    for (const QString& name : library.entryList({QStringLiteral("*.tpl")}, QDir::Files, QDir::Name)) {
        for (const QString& line : QString::fromUtf8(readFile(library.filePath(name))).split(QLatin1Char('\n'))) {
            const QRegularExpressionMatch m = slotLine.match(line);
            if (!m.hasMatch())
                continue;
            const int w = m.captured(1).toInt(), h = m.captured(2).toInt();
            if ((w == 0) != (h == 0) || !seen.insert({w, h}).second)
                continue;
            if (w == 0) {
                for (bool full : {true, false})
                    for (bool zoom : {true, false})
                        shapes.push_back({QStringLiteral("full frame %1/%2").arg(full).arg(zoom), {0, 0}, {full, zoom}});
            } else {
                shapes.push_back({QStringLiteral("%1 x %2 (%3)").arg(w).arg(h).arg(name), {w, h}, {}});
            }
        }
    }
    return shapes;
}

double keptShare(const QRect& crop, const QRect& subject)
{
    const QRect kept = crop.intersected(subject);
    return double(kept.width()) * kept.height() / (double(subject.width()) * subject.height());
}

} // namespace

TEST(Subject, FacesAtCornersAndEdgesStayInEveryLibrarySlot)
{
    ASSERT_TRUE(faceDetectorAvailable()) << "the face cascade of opencv-data is not installed";
    const std::vector<SlotShape> shapes = libraryShapes();
    ASSERT_GT(shapes.size(), 10u);
    const QImage head = decodeFile(dataPath("astronaut_head.jpg"), QSize(200, 220));
    ASSERT_FALSE(head.isNull());

    const QSize photos[] = {{1600, 1200}, {1200, 1600}, {1500, 1500}, {2400, 1000}, {1000, 2000}};
    // Where the head goes, as fractions of the free room: corners and the
    // middles of the edges.
    const QPointF places[] = {{0, 0}, {1, 0}, {0, 1}, {1, 1}, {0.5, 0}, {0.5, 1}, {0, 0.5}, {1, 0.5}};
    for (const char* background : {"rocket.jpg", "coffee.jpg"}) {
        for (const QSize& size : photos) {
            QImage photo = decodeFile(dataPath(background), size);
            ASSERT_FALSE(photo.isNull());
            const int headHeight = std::min(size.width(), size.height()) * 28 / 100;
            const QSize headSize(headHeight * 200 / 220, headHeight);
            for (const QPointF& place : places) {
                const QRect box(QPoint(int(place.x() * (size.width() - headSize.width())),
                                       int(place.y() * (size.height() - headSize.height()))),
                                headSize);
                QImage composed = photo.copy();
                QPainter(&composed).drawImage(box, head);
                const QByteArray jpeg = test::jpegOf(composed);
                const JpegProbe probe = probeJpeg(jpeg);
                ASSERT_TRUE(probe.ok);
                // The subject is found once, on the reduced decode the crop
                // makes, and then placed for every slot shape.
                const Subject subject = findSubject(decodeReduced(jpeg, probe.info, QSize(960, 960)).image);
                SCOPED_TRACE(QStringLiteral("%1 %2x%3, head at %4,%5")
                                 .arg(background)
                                 .arg(size.width())
                                 .arg(size.height())
                                 .arg(box.x())
                                 .arg(box.y())
                                 .toStdString());
                ASSERT_EQ(subject.kind, Subject::Kind::Faces);
                for (const SlotShape& shape : shapes) {
                    // Pan slots (beyond 2.2 : 1) only take panoramas and
                    // tall photos of their direction.
                    const double slotRatio = shape.slot.isEmpty() ? 1 : double(shape.slot.width()) / shape.slot.height();
                    const double photoRatio = double(size.width()) / size.height();
                    if ((slotRatio > 2.2 && photoRatio <= 2.2) || (slotRatio < 1 / 2.2 && photoRatio >= 1 / 2.2))
                        continue;
                    const Measurement m = measurePhoto(probe.info, QSize(1920, 1080));
                    const CropGeometry g = cropGeometry(m.width, m.height, shape.slot.width(), shape.slot.height(),
                                                       shape.choices);
                    const QSizeF part = visiblePart(g);
                    const QPointF at = placeCrop(part, subject);
                    const QRect crop(int(at.x() * size.width()), int(at.y() * size.height()),
                                     int(part.width() * size.width()), int(part.height() * size.height()));
                    EXPECT_GE(keptShare(crop, box), 0.9) << shape.what.toStdString();
                }
            }
        }
    }
}

TEST(Subject, TheCutPictureShowsTheFaceAndReportsItsCrop)
{
    // End to end on one photo: the picture cut for a narrow portrait slot
    // from a landscape photo with the head at its right edge shows the
    // head, and the crop it reports is where the head is.
    const QImage head = decodeFile(dataPath("astronaut_head.jpg"), QSize(200, 220));
    QImage photo = decodeFile(dataPath("rocket.jpg"), QSize(2400, 1200));
    ASSERT_FALSE(head.isNull());
    ASSERT_FALSE(photo.isNull());
    const QRect box(2400 - 330, 600, 300, 330);
    QPainter(&photo).drawImage(box, head);
    const QByteArray jpeg = test::jpegOf(photo);
    const JpegProbe probe = probeJpeg(jpeg);
    ASSERT_TRUE(probe.ok);
    const CropGeometry g = cropGeometry(2400, 1200, 420, 560, {});
    const CroppedPicture subject = renderCrop(jpeg, probe.info, g, CropRule::Subject);
    ASSERT_FALSE(subject.canvas.isNull());
    EXPECT_GE(keptShare(subject.crop, box), 0.9);
    const CroppedPicture corner = renderCrop(jpeg, probe.info, g, CropRule::TopLeft);
    EXPECT_EQ(corner.crop, QRect(0, 0, 900, 1200));
    EXPECT_LT(keptShare(corner.crop, box), 0.01);
    // The picture is the crop scaled to the slot: its middle column is the
    // photo's column at the same place in the crop.
    const QImage expected = photo.copy(subject.crop).scaled(420, 560, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    const QColor got = subject.canvas.pixelColor(210, 300), want = expected.pixelColor(210, 300);
    EXPECT_NEAR(got.red(), want.red(), 40);
    EXPECT_NEAR(got.green(), want.green(), 40);
    EXPECT_NEAR(got.blue(), want.blue(), 40);
}

TEST(Subject, SalientObjectOrNothing)
{
    struct Case {
        const char* what;
        QColor background;
        bool grain;           // fine even noise all over
        QRect object;         // empty: none
        Subject::Kind kind;
    };
    const Case cases[] = {
        {"plain grey", QColor(120, 120, 120), false, {}, Subject::Kind::Nothing},
        {"even grain", QColor(90, 110, 130), true, {}, Subject::Kind::Nothing},
        {"red ball at the left", QColor(70, 120, 200), false, {60, 500, 260, 260}, Subject::Kind::Salient},
        {"red ball at the bottom right", QColor(70, 120, 200), true, {1300, 820, 240, 240}, Subject::Kind::Salient},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        QImage photo(1600, 1200, QImage::Format_RGB32);
        photo.fill(c.background);
        if (c.grain) {
            unsigned seed = 7;
            for (int y = 0; y < photo.height(); ++y)
                for (int x = 0; x < photo.width(); ++x) {
                    seed = seed * 1103515245u + 12345u;
                    const int d = int((seed >> 16) % 21) - 10;
                    const QColor b = c.background;
                    photo.setPixel(x, y, qRgb(b.red() + d, b.green() + d, b.blue() + d));
                }
        }
        if (!c.object.isEmpty()) {
            QPainter painter(&photo);
            painter.setRenderHint(QPainter::Antialiasing);
            painter.setBrush(QColor(230, 30, 20));
            painter.setPen(Qt::NoPen);
            painter.drawEllipse(c.object);
        }
        const QByteArray jpeg = test::jpegOf(photo);
        const JpegProbe probe = probeJpeg(jpeg);
        ASSERT_TRUE(probe.ok);
        const Subject subject = findSubject(decodeReduced(jpeg, probe.info, QSize(800, 600)).image);
        EXPECT_EQ(subject.kind, c.kind);
        // A tall slot: the crop is 900 of the 1600 columns.
        const CroppedPicture picture =
            renderCrop(jpeg, probe.info, cropGeometry(1600, 1200, 420, 560, {}), CropRule::Subject);
        ASSERT_FALSE(picture.canvas.isNull());
        if (c.object.isEmpty()) // the middle
            EXPECT_NEAR(picture.crop.x() + picture.crop.width() / 2.0, 800, 1) << picture.crop.x();
        else
            EXPECT_GE(keptShare(picture.crop, c.object), 0.9);
        // The same picture gives the same crop.
        EXPECT_EQ(renderCrop(jpeg, probe.info, cropGeometry(1600, 1200, 420, 560, {}), CropRule::Subject).crop,
                  picture.crop);
    }
}

TEST(Subject, GroupsOfFacesThatDoNotAllFit)
{
    // Fractions of a 16:9 photo cut for a narrow slot a third of its width.
    auto faces = [](std::initializer_list<double> lefts) {
        Subject s;
        s.kind = Subject::Kind::Faces;
        for (double left : lefts)
            s.boxes << QRectF(left, 0.4, 0.06, 0.1);
        return s;
    };
    const QSizeF narrow(1.0 / 3, 1.0);
    struct Case {
        const char* what;
        Subject subject;
        double from, to; // the window must hold [from, to]
    };
    const Case cases[] = {
        {"all fit: centred on the group", faces({0.30, 0.40, 0.50}), 0.30, 0.56},
        {"two on the left, three on the right: the three", faces({0.02, 0.10, 0.62, 0.72, 0.85}), 0.62, 0.91},
        {"a lone face at the far right", faces({0.93}), 0.93, 0.99},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const double x = placeCrop(narrow, c.subject).x();
        EXPECT_LE(x, c.from + 1e-9);
        EXPECT_GE(x + narrow.width(), c.to - 1e-9);
        EXPECT_GE(x, 0.0);
        EXPECT_LE(x + narrow.width(), 1.0 + 1e-9);
    }
    // Nothing found: the middle.
    EXPECT_EQ(placeCrop(narrow, Subject{}), QPointF(1.0 / 3, 0));
}

TEST(Subject, HandCropsAreClampedIntoThePhotoWithTheSlotsAspect)
{
    const QSize photo(4000, 3000), slot(400, 300);
    struct Case {
        const char* what;
        QRect given;
        std::optional<QRect> kept;
    };
    const Case cases[] = {
        {"inside stays", {100, 200, 800, 600}, QRect(100, 200, 800, 600)},
        {"aspect follows the slot", {100, 200, 800, 100}, QRect(100, 200, 800, 600)},
        {"past the right and bottom edges moves in", {3800, 2900, 800, 600}, QRect(3200, 2400, 800, 600)},
        {"before the left and top edges moves in", {-500, -40, 800, 600}, QRect(0, 0, 800, 600)},
        {"larger than the photo shrinks to it", {-10, -10, 9000, 6750}, QRect(0, 0, 4000, 3000)},
        {"no area", {10, 10, 0, 600}, std::nullopt},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(fitHandCrop(c.given, photo, slot), c.kept);
    }
    // Written and read back as the photo table keeps it.
    EXPECT_EQ(parseCropText(cropText(QRect(12, 34, 560, 78))), QRect(12, 34, 560, 78));
    for (const char* broken : {"", "1,2,3", "a,b,c,d", "1,2,0,4", "1,2,3,-4"})
        EXPECT_EQ(parseCropText(QString::fromLatin1(broken)), std::nullopt) << broken;
}
