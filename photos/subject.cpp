#include "photos/subject.h"

#include <QFileInfo>
#include <QString>
#include <QStringList>

#include <opencv2/core.hpp>
#include <opencv2/imgproc.hpp>
#include <opencv2/objdetect.hpp>

#include <algorithm>
#include <cmath>
#include <optional>
#include <vector>

namespace fotarel {

namespace {

// A cascade of OpenCV's frontal face detectors, found where Debian's
// opencv-data package puts them (or under FOTAREL_OPENCV_DATA).
QString cascadePath(const QString& file)
{
    QStringList dirs;
    const QString given = qEnvironmentVariable("FOTAREL_OPENCV_DATA");
    if (!given.isEmpty())
        dirs << given;
    dirs << QStringLiteral("/usr/share/opencv4") << QStringLiteral("/usr/local/share/opencv4")
         << QStringLiteral("/usr/share/opencv");
    for (const QString& dir : dirs)
        if (QFileInfo(dir + QLatin1Char('/') + file).isFile())
            return dir + QLatin1Char('/') + file;
    return {};
}

// One detector of each kind per thread: a cascade classifier keeps scratch
// buffers and is not safe to share between threads.
struct Detectors {
    std::optional<cv::CascadeClassifier> find;    // fast, finds candidates
    std::optional<cv::CascadeClassifier> confirm; // slower, checks each candidate
};

std::optional<cv::CascadeClassifier> loadCascade(const QString& path)
{
    if (path.isEmpty())
        return std::nullopt;
    cv::CascadeClassifier loaded;
    try {
        if (loaded.load(path.toStdString()))
            return loaded;
    } catch (const cv::Exception&) {
        // A broken cascade file: no faces, salience takes over.
    }
    return std::nullopt;
}

Detectors* detectors()
{
    thread_local std::optional<Detectors> loaded;
    if (!loaded) {
        loaded.emplace();
        loaded->find = loadCascade(cascadePath(QStringLiteral("lbpcascades/lbpcascade_frontalface.xml")));
        loaded->confirm = loadCascade(cascadePath(QStringLiteral("haarcascades/haarcascade_frontalface_alt2.xml")));
    }
    return loaded->find && loaded->confirm ? &*loaded : nullptr;
}

cv::Mat greyOf(const QImage& picture)
{
    cv::Mat grey(picture.height(), picture.width(), CV_8UC1);
    for (int y = 0; y < picture.height(); ++y) {
        const auto* line = reinterpret_cast<const QRgb*>(picture.constScanLine(y));
        auto* out = grey.ptr<unsigned char>(y);
        for (int x = 0; x < picture.width(); ++x)
            out[x] = static_cast<unsigned char>(qGray(line[x]));
    }
    return grey;
}

QList<QRectF> findFaces(const QImage& picture)
{
    Detectors* detect = detectors();
    if (!detect)
        return {};
    cv::Mat grey = greyOf(picture);
    cv::equalizeHist(grey, grey);
    const int shortSide = std::min(picture.width(), picture.height());
    const int smallest = std::max(20, shortSide / 25);
    // The local binary pattern cascade is about three times as fast as the
    // Haar ones over the whole picture, but also takes more for faces than
    // they do; each of its finds is kept only when the Haar cascade finds a
    // face around it too, which costs little on so small a part.
    std::vector<cv::Rect> candidates, found;
    try {
        detect->find->detectMultiScale(grey, candidates, 1.1, 3, 0, cv::Size(smallest, smallest));
        const cv::Rect whole(0, 0, grey.cols, grey.rows);
        for (const cv::Rect& c : candidates) {
            const int pad = c.width / 3;
            const cv::Rect around = cv::Rect(c.x - pad, c.y - pad, c.width + 2 * pad, c.height + 2 * pad) & whole;
            std::vector<cv::Rect> confirmed;
            detect->confirm->detectMultiScale(grey(around), confirmed, 1.1, 2, 0,
                                              cv::Size(c.width * 2 / 3, c.height * 2 / 3));
            if (!confirmed.empty())
                found.push_back(c);
        }
    } catch (const cv::Exception&) {
        return {};
    }
    // Larger faces first, then top to bottom, left to right: a fixed order.
    std::sort(found.begin(), found.end(), [](const cv::Rect& a, const cv::Rect& b) {
        if (a.area() != b.area())
            return a.area() > b.area();
        if (a.y != b.y)
            return a.y < b.y;
        return a.x < b.x;
    });
    QList<QRectF> faces;
    const double w = picture.width(), h = picture.height();
    for (const cv::Rect& r : found)
        faces << QRectF(r.x / w, r.y / h, r.width / w, r.height / h);
    return faces;
}

// Salience: how much each spot differs from its neighbours (edges) and from
// the picture's average colour, on a picture of at most 64 pixels a side.
// The region is the spread of the energy above its average; a picture
// whose energy is nearly even (a wall, sky, noise) has none.
std::optional<QRectF> findSalientRegion(const QImage& picture)
{
    const QImage small = picture.scaled(64, 64, Qt::KeepAspectRatio, Qt::SmoothTransformation);
    const int w = small.width(), h = small.height();
    if (w < 8 || h < 8)
        return std::nullopt;
    double meanR = 0, meanG = 0, meanB = 0;
    for (int y = 0; y < h; ++y) {
        const auto* line = reinterpret_cast<const QRgb*>(small.constScanLine(y));
        for (int x = 0; x < w; ++x) {
            meanR += qRed(line[x]);
            meanG += qGreen(line[x]);
            meanB += qBlue(line[x]);
        }
    }
    const double n = double(w) * h;
    meanR /= n;
    meanG /= n;
    meanB /= n;
    std::vector<double> raw(size_t(w * h), 0.0);
    auto lum = [&small](int x, int y) { return double(qGray(small.pixel(x, y))); };
    for (int y = 1; y < h - 1; ++y) {
        for (int x = 1; x < w - 1; ++x) {
            const double gx = lum(x + 1, y) - lum(x - 1, y);
            const double gy = lum(x, y + 1) - lum(x, y - 1);
            const QRgb c = small.pixel(x, y);
            const double dr = qRed(c) - meanR, dg = qGreen(c) - meanG, db = qBlue(c) - meanB;
            raw[size_t(y * w + x)] = std::hypot(gx, gy) + 0.5 * std::sqrt(dr * dr + dg * dg + db * db);
        }
    }
    // Averaged over 5 x 5 spots: grain and noise even out, an object's
    // edges and colour stay.
    std::vector<double> energy(size_t(w * h), 0.0);
    double total = 0, totalSq = 0;
    int inner = 0;
    for (int y = 1; y < h - 1; ++y) {
        for (int x = 1; x < w - 1; ++x) {
            double sum = 0;
            int spots = 0;
            for (int dy = -2; dy <= 2; ++dy)
                for (int dx = -2; dx <= 2; ++dx) {
                    const int xx = x + dx, yy = y + dy;
                    if (xx >= 1 && yy >= 1 && xx < w - 1 && yy < h - 1) {
                        sum += raw[size_t(yy * w + xx)];
                        ++spots;
                    }
                }
            const double e = sum / spots;
            energy[size_t(y * w + x)] = e;
            total += e;
            totalSq += e * e;
            ++inner;
        }
    }
    const double mean = total / inner;
    const double spread = std::sqrt(std::max(0.0, totalSq / inner - mean * mean));
    // Nothing stands out where the energy hardly varies, against its own
    // level or at all (an object's edges vary it by tens of grey levels).
    if (spread < std::max(1.0, 0.35 * mean))
        return std::nullopt;
    // Weight of a spot: how far its energy rises above average.
    double sum = 0, cx = 0, cy = 0;
    for (int y = 1; y < h - 1; ++y)
        for (int x = 1; x < w - 1; ++x) {
            const double weight = std::max(0.0, energy[size_t(y * w + x)] - mean - 0.5 * spread);
            sum += weight;
            cx += weight * (x + 0.5);
            cy += weight * (y + 0.5);
        }
    if (sum <= 0)
        return std::nullopt;
    cx /= sum;
    cy /= sum;
    double vx = 0, vy = 0;
    for (int y = 1; y < h - 1; ++y)
        for (int x = 1; x < w - 1; ++x) {
            const double weight = std::max(0.0, energy[size_t(y * w + x)] - mean - 0.5 * spread);
            vx += weight * (x + 0.5 - cx) * (x + 0.5 - cx);
            vy += weight * (y + 0.5 - cy) * (y + 0.5 - cy);
        }
    const double sx = std::sqrt(vx / sum), sy = std::sqrt(vy / sum);
    const double left = std::clamp((cx - 1.5 * sx) / w, 0.0, 1.0), right = std::clamp((cx + 1.5 * sx) / w, 0.0, 1.0);
    const double top = std::clamp((cy - 1.5 * sy) / h, 0.0, 1.0), bottom = std::clamp((cy + 1.5 * sy) / h, 0.0, 1.0);
    // Energy spread over (nearly) the whole picture singles nothing out.
    if ((right - left) * (bottom - top) > 0.85)
        return std::nullopt;
    return QRectF(QPointF(left, top), QPointF(right, bottom));
}

struct Span {
    double from, to, weight;
};

// Where a window of `length` (fraction) starts on one axis so that it holds
// the most spans whole; ties go to the heavier spans, then to the window
// nearer the middle. The window is then centred on the spans it holds.
// Returns the start and how many spans it holds.
std::pair<double, int> placeOnAxis(double length, const std::vector<Span>& spans)
{
    const double last = std::max(0.0, 1.0 - length);
    const double eps = 1e-9;
    std::vector<double> starts;
    for (const Span& s : spans) {
        starts.push_back(std::clamp(s.from, 0.0, last));
        starts.push_back(std::clamp(s.to - length, 0.0, last));
    }
    double best = last / 2;
    int bestCount = -1;
    double bestWeight = -1, bestDistance = 2;
    for (double p : starts) {
        int count = 0;
        double weight = 0;
        for (const Span& s : spans)
            if (s.from >= p - eps && s.to <= p + length + eps) {
                ++count;
                weight += s.weight;
            }
        const double distance = std::abs(p + length / 2 - 0.5);
        if (count > bestCount || (count == bestCount && weight > bestWeight + eps)
            || (count == bestCount && std::abs(weight - bestWeight) <= eps && distance < bestDistance - eps)) {
            best = p;
            bestCount = count;
            bestWeight = weight;
            bestDistance = distance;
        }
    }
    if (bestCount <= 0)
        return {last / 2, 0};
    double from = 1, to = 0;
    for (const Span& s : spans)
        if (s.from >= best - eps && s.to <= best + length + eps) {
            from = std::min(from, s.from);
            to = std::max(to, s.to);
        }
    return {std::clamp((from + to) / 2 - length / 2, 0.0, last), bestCount};
}

double placeFaces(double length, const QList<QRectF>& faces, bool horizontal)
{
    // A face box holds the face from brows to chin; the head around it is
    // kept too where it fits.
    auto spans = [&](double pad) {
        std::vector<Span> out;
        for (const QRectF& f : faces) {
            const double from = horizontal ? f.left() : f.top();
            const double size = horizontal ? f.width() : f.height();
            out.push_back({std::max(0.0, from - pad * size), std::min(1.0, from + size + pad * size),
                           f.width() * f.height()});
        }
        return out;
    };
    const auto padded = placeOnAxis(length, spans(0.25));
    const auto tight = placeOnAxis(length, spans(0.0));
    return tight.second > padded.second ? tight.first : padded.first;
}

} // namespace

bool faceDetectorAvailable()
{
    return detectors() != nullptr;
}

Subject findSubject(const QImage& upright)
{
    Subject subject;
    if (upright.isNull())
        return subject;
    QImage picture = upright;
    const double k = std::min(double(kSubjectShortSide) / std::min(picture.width(), picture.height()),
                              2.0 * kSubjectShortSide / std::max(picture.width(), picture.height()));
    if (k < 1)
        picture = picture.scaled(std::max(1, int(picture.width() * k)), std::max(1, int(picture.height() * k)),
                                 Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    if (picture.format() != QImage::Format_RGB32)
        picture = picture.convertToFormat(QImage::Format_RGB32);
    subject.boxes = findFaces(picture);
    if (!subject.boxes.isEmpty()) {
        subject.kind = Subject::Kind::Faces;
        return subject;
    }
    if (const std::optional<QRectF> region = findSalientRegion(picture)) {
        subject.kind = Subject::Kind::Salient;
        subject.boxes = {*region};
    }
    return subject;
}

QPointF placeCrop(QSizeF size, const Subject& subject)
{
    const double w = std::clamp(size.width(), 0.0, 1.0), h = std::clamp(size.height(), 0.0, 1.0);
    switch (subject.kind) {
    case Subject::Kind::Faces:
        return QPointF(placeFaces(w, subject.boxes, true), placeFaces(h, subject.boxes, false));
    case Subject::Kind::Salient:
        if (!subject.boxes.isEmpty()) {
            const QPointF centre = subject.boxes.first().center();
            return QPointF(std::clamp(centre.x() - w / 2, 0.0, 1.0 - w), std::clamp(centre.y() - h / 2, 0.0, 1.0 - h));
        }
        break;
    case Subject::Kind::Nothing:
        break;
    }
    return QPointF((1.0 - w) / 2, (1.0 - h) / 2);
}

} // namespace fotarel
