#pragma once

#include "core/working_folder.h"
#include "engine/ui_port.h"

namespace fotarel {

inline const QString kExitTitle = QStringLiteral("退出本软件");
inline const QString kExitQuestion = QStringLiteral("确定要退出本软件吗？");
// Leaving a changed album asks this one question instead, with "保存",
// "不保存" and "取消".
inline const QString kUnsavedExitQuestion = QStringLiteral("相册已经修改，退出前是否保存？");
inline const QString kSaveAnswer = QStringLiteral("保存");
inline const QString kDontSaveAnswer = QStringLiteral("不保存");

// Asks "确定要退出本软件吗？"; true when the user chose "确定".
bool confirmExit(UiPort& ui);

// What the exit timer does to the working tree before the window closes:
// removes the session's folders and the loose scratch files. The template
// library, the ending template's package and the sample files stay.
void cleanWorkingTreeAtExit(const WorkingFolder& folder);

} // namespace fotarel
