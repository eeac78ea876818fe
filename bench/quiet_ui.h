#pragma once

#include "engine/ui_port.h"

#include <cstdio>

namespace fotarel::bench {

// A UiPort for benchmarks: messages go to stderr, every confirmation is
// accepted, no file is chosen, progress is ignored.
class QuietUi : public UiPort {
public:
    void showMessage(const QString& text) override { std::fprintf(stderr, "message: %s\n", qPrintable(text)); }
    bool confirm(const QString&, const QString&, const QString&) override { return true; }
    QStringList chooseOpenFiles(const QString&, const QStringList&) override { return {}; }
    QString chooseSaveFile(const QString&) override { return {}; }
    void progress(const QString&, int, int) override {}
    void processEvents() override {}
};

} // namespace fotarel::bench
