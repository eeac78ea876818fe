#pragma once

// The lyric type choice of the dialog "歌词类型选择": LRC lines, karaoke lines
// or both, held in the session variable `Edit1_shiyong_lrc_or_ksc`. It only
// matters while the karaoke table has rows; without them LRC lyrics always run.

#include "core/session.h"

#include <QLatin1StringView>
#include <QString>

namespace fotarel::karaoke {

inline constexpr QLatin1StringView kLyricTypeVariable{"Edit1_shiyong_lrc_or_ksc"};
inline constexpr QLatin1StringView kUseLrc{"shiyong_lrc"};
inline constexpr QLatin1StringView kUseKsc{"shiyong_ksc"};
inline constexpr QLatin1StringView kUseBoth{"shiyong_lrcksc"};

inline const QString kLyricTypeTitle = QStringLiteral("歌词类型选择");
inline const QString kLyricTypeExplanation =
    QStringLiteral("说明：检测到已经添加了 LRC 歌词文件和卡拉OK歌词文件，选择后，点[确定]按钮开始制作");
inline const QString kChoiceLrc = QStringLiteral("使用LRC歌词");
inline const QString kChoiceKsc = QStringLiteral("使用卡拉OK歌词");
inline const QString kChoiceBoth = QStringLiteral("两种歌词都使用");

// Whether an output command asks for the lyric type: songs and karaoke rows.
bool lyricTypeAsked(const Session& session);
// Whether a pass draws karaoke lines (karaoke rows, and not "LRC only").
bool karaokeRuns(const Session& session);
// Whether a pass draws LRC lines (no karaoke rows, or not "karaoke only").
bool lrcRuns(const Session& session);

} // namespace fotarel::karaoke
