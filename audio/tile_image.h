#pragma once

#include <QImage>
#include <QString>

namespace fotarel::audio {

// The picture of a song's tile: a 130 x 115 panel with a fixed background
// and the song's name as a white caption (宋体, 12 pixels) in the box
// left 5, top 98, 124 x 12.
inline constexpr int kTileImageWidth = 130;
inline constexpr int kTileImageHeight = 115;

// The caption is left-aligned when the name, measured in 宋体 11 pixels, is
// 130 pixels wide or wider, and centred otherwise. Needs a QGuiApplication.
bool captionLeftAligned(const QString& name);

QImage renderMusicTile(const QString& name);

// Renders the tile and saves it as a Windows bitmap; false when it cannot be
// written.
bool saveMusicTile(const QString& name, const QString& path);

} // namespace fotarel::audio
