#pragma once

#include "core/session.h"

#include <QList>
#include <QPair>
#include <QString>

#include <optional>

namespace fotarel::app {

// What a tile's information hint shows: which hint window ("TForm31" photos,
// "TForm32" music, "TForm33" lyrics), its lines (caption, value) and its
// fixed footer.
struct TileHintContent {
    QString window;
    QList<QPair<QString, QString>> lines;
    QString footer;
};

// The hint for the tile a hover variable names; empty when the variable is
// not a hover variable or the tile has no row.
std::optional<TileHintContent> tileHintFor(const Session& session, const QString& hoverVariable,
                                           const QString& tileName);

} // namespace fotarel::app
