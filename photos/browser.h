#pragma once

// The photo browser ("大图片浏览"): every photo of the album as a large,
// zoomable picture. The sizes and limits live here; the window only shows.

#include <QImage>
#include <QRect>
#include <QSize>
#include <QString>

namespace fotarel::browser {

inline constexpr QSize kDefaultWindow{928, 690};
inline constexpr QSize kDefaultBox{235, 195};
inline constexpr int kMinZoom = 1;
inline constexpr int kMaxZoom = 20;

inline const QString kNoPhotosToOpen = QStringLiteral("没有添加相片文件！");
inline const QString kNoPhotos = QStringLiteral("没有找到相片文件！");
inline const QString kNoneSelected = QStringLiteral("没有选中相片文件！");

// The thumbnail box at a zoom value (clamped to 1 … 20): 55 × zoom by
// 41 × zoom.
QSize boxForZoom(int zoom);
int clampZoom(int zoom);

// The browser's three window sizes on a screen.
enum class WindowSize { Default, Enlarged, FullScreen };
QRect windowGeometry(WindowSize size, const QRect& screen);

// The picture's size inside a box: the box less 8 pixels each way, a
// landscape or square photo by width, a portrait one by height, then
// reduced to fit the other side. Never below 1 × 1.
QSize fitInBox(QSize photo, QSize box);

// One cell of the browser: the photo decoded at its fitted size (the JPEG
// decoder scales in the DCT domain, so a large photo is never decoded
// whole), centred on a white frame 8 pixels larger, in the middle of a box
// of the browser's background. A broken photo gives the empty box.
QImage renderCell(const QString& photoPath, QSize box);

// The next selected index after moving `delta` from `current` among
// `count` photos: kept inside 0 … count − 1; -1 when there are none.
int step(int current, int count, int delta);

} // namespace fotarel::browser
