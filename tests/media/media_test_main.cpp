// The media tests draw frames with QPainter text, which needs a
// QGuiApplication (offscreen under CTest).
#include <QGuiApplication>

extern "C" {
#include <libavutil/log.h>
}

#include <gtest/gtest.h>

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    // Encoder chatter (clipped coefficients and the like) hides test output.
    av_log_set_level(AV_LOG_ERROR);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
