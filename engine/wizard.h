#pragma once

#include "core/session.h"
#include "engine/ui_port.h"

#include <QString>

#include <array>

namespace fotarel::wizard {

// The album wizard ("相册向导"): four steps, each recorded in
// xiangce_xiangdao_buzhou and carried out by the main window's own command.
inline const QString kStepVariable = QStringLiteral("xiangce_xiangdao_buzhou");
inline const QString kNoPhotosMessage = QStringLiteral("没有找到相片文件，先添加相片，再制作DVD相册！");

struct Step {
    QString buttonName; // the wizard's button
    QString caption;    // its caption
    QString word;       // the value of the step variable
    QString command;    // the object name of the main window's command it runs
};

// The steps in order: add photos, add music, add lyrics, make a DVD album.
const std::array<Step, 4>& steps();

// A step button was pressed. Returns true when the step was recorded and
// the main window's wizard timer must run it; the DVD step refuses (with
// the message) while the album has no photos.
bool press(Session& session, UiPort& ui, int step);

// The command the wizard timer runs for the recorded step, tested in step
// order; empty when no step is recorded.
QString commandForRecordedStep(const Session& session);

} // namespace fotarel::wizard
