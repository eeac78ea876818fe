// templatec: compiles the template sources of library/ into the working
// folder's template library (description and movie packages, ending movie).
#include "tools/templatec/compile.h"

#include <QGuiApplication>

#include <cstdio>

int main(int argc, char** argv)
{
    // Title glyphs are read from fonts through Qt; no display is needed.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() < 3 || args.size() > 4) {
        std::fprintf(stderr,
                     "usage: templatec SOURCE_DIR WORK_DIR [RAW_DIR]\n"
                     "  compiles every SOURCE_DIR/*.tpl into WORK_DIR (the working folder smxcwjj):\n"
                     "  wj_0_or_2/wjj_02 (descriptions), wj_0_or_2/wjj_01 (movies), wj_0_or_1/wj_1.rar\n"
                     "  (ending); RAW_DIR also receives the plain .swf and .ini files.\n");
        return 2;
    }
    try {
        const int n = fotarel::templatec::compileLibrary(args[1], args[2], args.size() > 3 ? args[3] : QString());
        std::printf("templatec: %d templates\n", n);
    } catch (const std::exception& e) {
        std::fprintf(stderr, "templatec: %s\n", e.what());
        return 1;
    }
    return 0;
}
