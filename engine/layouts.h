#pragma once

#include <QRect>
#include <QSize>
#include <QString>

namespace fotarel::layouts {

// The main window's three layouts, recorded in Edit_jiemian by these words.
inline const QString kStart = QStringLiteral("kaishibuju");       // "开始布局"
inline const QString kFullScreen = QStringLiteral("quanpingbuju"); // "全屏"
inline const QString kFitted = QStringLiteral("heshibuju");       // "还原"

// The window's geometry for a layout word on a screen of geometry `screen`
// whose free area (without the desktop's panels) is `available`. Full
// screen takes the whole screen; the other two take their size from the
// screen's size, centred in the free area and never larger than it. An
// unknown word gives the start layout.
QRect windowGeometry(const QString& layout, const QRect& screen, const QRect& available);

// The start layout's size on a screen of `screen` pixels.
QSize startSize(QSize screen);

// A double click on the title: the start layout unless it is the current
// one, full screen when it is.
QString afterTitleDoubleClick(const QString& current);

bool isLayoutWord(const QString& word);

// The right-hand status panels, top to bottom, 185 pixels wide, 2 pixels
// apart: "相片区域", "音乐区域", "歌词区域", "其它相关", "帮助信息". The
// help panel takes the height that is left and is hidden when less than
// kMinHelpHeight remains; the others keep their heights.
inline constexpr int kPanelWidth = 185;
inline constexpr int kPanelGap = 2;
inline constexpr int kMinHelpHeight = 60;
struct PanelPlan {
    int top[5];
    int height[5]; // 0: hidden
};
PanelPlan planPanels(int top, int available, const int fixedHeights[4]);

} // namespace fotarel::layouts
