#pragma once

#include <QString>

namespace fotarel::templatec {

// Compiles every "*.tpl" source of `sourceDir` into the working folder
// `workDir` ("smxcwjj"): descriptions in wj_0_or_2/wjj_02, movies in
// wj_0_or_2/wjj_01 (same file name), the ending movie as wj_0_or_1/wj_1.rar.
// Packages of earlier runs that no source names any longer are removed.
// With `rawDir` set, the plain SWF and INI files go there as well.
// Returns the number of templates; throws SourceError.
int compileLibrary(const QString& sourceDir, const QString& workDir, const QString& rawDir = {});

} // namespace fotarel::templatec
