#pragma once

#include <QString>
#include <QStringList>

namespace fotarel::cli {

// "fotarel-cli make": an album from files named on the command line.
int makeAlbum(const QStringList& arguments);
// "fotarel-cli plan PHOTOS...": how the photos go into the album (groups,
// templates, slots, crops), without rendering.
int planAlbum(const QStringList& arguments);
// "fotarel-cli demo OUT": an album from photos and a song made on the spot.
int makeDemo(const QStringList& arguments);

// Why a run cannot start when it has no private working folder.
QString workFolderUnavailableMessage();

} // namespace fotarel::cli
