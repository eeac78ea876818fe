#pragma once

// Frame 1's script of a template movie: loads the pictures into their
// holders, centres or scales them, sizes the print borders, and reports
// picture_0 to the host once every load has finished or failed.

#include <QByteArray>
#include <QString>

#include <utility>
#include <vector>

namespace fotarel::templatec {

// ("centre:" or "cover:" followed by the holder clip's name, picture url).
using PictureLoad = std::pair<QString, QString>;
// (holder clip's name, border width in pixels).
using PictureBorder = std::pair<QString, int>;

QByteArray loaderScript(int pictureLoads, const std::vector<PictureLoad>& loads, const std::vector<PictureBorder>& borders);

} // namespace fotarel::templatec
