#pragma once

#include "tools/templatec/scene.h"

#include <QByteArray>
#include <QPainterPath>
#include <QString>

namespace fotarel::templatec {

// The SWF 8 movie of a template (CWS).
QByteArray compileMovie(const Scene& scene);

// The INI description text of a template.
QByteArray descriptionIni(const Scene& scene);

// Glyph outlines of a title, centred on the origin, in pixels. Needs a
// QGuiApplication (fonts are read at compile time only).
QPainterPath titleOutline(const QString& text, const QString& font, double pixelSize);

// Compiles every "*.tpl" source of `sourceDir` into the working folder
// `workDir` ("smxcwjj"): descriptions in wj_0_or_2/wjj_02, movies in
// wj_0_or_2/wjj_01 (same file name), the ending movie as wj_0_or_1/wj_1.rar.
// Packages of earlier runs that no source names any longer are removed.
// With `rawDir` set, the plain SWF and INI files go there as well.
// Returns the number of templates; throws SourceError.
int compileLibrary(const QString& sourceDir, const QString& workDir, const QString& rawDir = {});

} // namespace fotarel::templatec
