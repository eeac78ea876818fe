// GoogleTest main for the audio player over Qt Multimedia.
//
// Qt 6.4's FFmpeg media plugin does not free the I/O context and codec
// options it allocates for each opened source. Those leaks are the plugin's,
// not ours; under LeakSanitizer they are suppressed by the plugin's name,
// which needs full stack unwinding (FFmpeg has no frame pointers).
#include <QGuiApplication>

#include <gtest/gtest.h>

extern "C" const char* __asan_default_options()
{
    return "fast_unwind_on_malloc=0";
}

extern "C" const char* __lsan_default_suppressions()
{
    return "leak:libffmpegmediaplugin.so\n";
}

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
