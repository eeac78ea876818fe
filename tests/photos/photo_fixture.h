#pragma once

#include "core/session.h"
#include "core/working_folder.h"
#include "photos/photo_context.h"
#include "photos/photo_dialogs.h"
#include "photos/random_source.h"
#include "tests/photos/jpeg_fixtures.h"
#include "tests/support/scripted_ui.h"
#include "tests/support/temp_tree.h"

#include <deque>

namespace fotarel::test {

// Draws taken from a script; 0 once the script is used up. Records every n.
class FixedDraws : public RandomSource {
public:
    int draw(int n) override
    {
        asked.push_back(n);
        if (script.empty())
            return 0;
        const int v = script.front();
        script.pop_front();
        return v;
    }
    std::deque<int> script;
    std::vector<int> asked;
};

class ScriptedDialogs : public PhotoDialogs {
public:
    bool confirmDelete(const QString& text) override
    {
        confirmTexts.append(text);
        return confirmAnswer;
    }
    RefillAnswer askRefill() override
    {
        ++refillAsked;
        return refillAnswer;
    }
    Replacement chooseReplacement(const QList<Row>& candidates) override
    {
        candidatesShown = candidates;
        ++replacementAsked;
        if (replacements.empty())
            return {};
        Replacement r = replacements.front();
        replacements.pop_front();
        return r;
    }

    bool confirmAnswer = true;
    RefillAnswer refillAnswer = RefillAnswer::Cancel;
    std::deque<Replacement> replacements;
    QStringList confirmTexts;
    QList<Row> candidatesShown;
    int refillAsked = 0;
    int replacementAsked = 0;
};

// A program folder with a template library, the folders start-up makes and
// the ending template, and a session loaded from it.
struct PhotoRun {
    TempTree tree;
    WorkingFolder folder{tree.root()};
    Session session;
    ScriptedUi ui;
    FixedDraws random;
    ScriptedDialogs dialogs;
    PhotoContext ctx{session, folder, ui, random, &dialogs, {}, {std::chrono::milliseconds(0),
                                                                 std::chrono::milliseconds(0), 2}};
    QStringList hookCalls;

    PhotoRun();
    // Template packages, each an INI description with a distinct movie
    // ("movie:" + name), then the library is loaded and classified.
    void addTemplate(const QString& name, const QString& orientations, const QString& widths,
                     const QString& heights, int photos);
    void loadLibrary();
    // Writes a photo file under photos/.
    QString photo(const QString& name, const QImage& picture, const JpegOptions& options = {});
    QString photo(const QString& name, int w, int h, const JpegOptions& options = {});
    // Imports the files through the import.
    void import(const QStringList& files);

    QString cell(int row, int col) const;
    QStringList column(int col) const;
    QByteArray read(const QString& relative) const;
    bool exists(const QString& relative) const { return tree.exists(relative); }
};

} // namespace fotarel::test
