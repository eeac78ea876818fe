#pragma once
// Recorded input events for the command-line players: a JSON list of
// {"type": "MouseMove", "pos": [x, y]}, MouseDown/MouseUp (with "btn": Left,
// Right or Middle), KeyDown/KeyUp (with "key": a name or {"Char": c}),
// TextInput (with "codepoint") and Wait. The events up to each Wait belong to
// one frame.

#include <QJsonArray>
#include <QString>

namespace fotarel::swf {

class Player;

class RecordedInput {
public:
    // Reads the events; false (with `error` set) when the file cannot be read.
    bool load(const QString& path, QString* error);
    // Recorded positions are window pixels: stage pixels times this.
    void setMouseScale(double scale) { mouseScale_ = scale > 0.01 && scale < 100 ? scale : 1; }
    // Gives the player the events up to the next Wait (and steps past it).
    void giveFrame(Player& player);
    bool done() const { return next_ >= events_.size(); }

private:
    QJsonArray events_;
    qsizetype next_ = 0;
    double mouseScale_ = 1;
};

} // namespace fotarel::swf
