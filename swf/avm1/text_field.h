#pragma once

// The state of a text field as scripts and the renderer share it: its text,
// the format of each character, and the settings of the TextField class.
// The host (the player) owns one per text field and answers it through
// DisplayObjectHost::textField(); the VM reads and changes it; the renderer
// paints from it; the host lays the text out for the metrics scripts read.

#include <QString>

#include <cstdint>
#include <memory>
#include <optional>
#include <vector>

namespace fotarel::swf::avm1 {

// A TextFormat: every member may be unset (null to scripts; in a format read
// from a range of text, unset means the characters differ).
struct TextFormat {
    std::optional<QString> font, url, target, align;
    std::optional<int> size, leftMargin, rightMargin, indent, leading, blockIndent;
    std::optional<uint32_t> color;
    std::optional<bool> bold, italic, underline, bullet, kerning;
    std::optional<double> letterSpacing;
    std::optional<std::vector<int>> tabStops;

    // Takes every member `other` sets.
    void apply(const TextFormat& other);
    // Keeps only the members equal in both (a format over a range).
    void intersect(const TextFormat& other);
    bool operator==(const TextFormat&) const = default;
};

// The format a field starts with: Times New Roman 12, black, left.
TextFormat defaultTextFormat();

// What the host's layout found: the size of the text (pixels, without the
// gutter) and its lines.
struct TextMetrics {
    double textWidth = 0, textHeight = 0;
    int lineCount = 1;
    std::vector<double> lineBottoms; // bottom of each line from the top of the text, pixels
};

enum class AutoSize : uint8_t { None, Left, Center, Right };

struct TextFieldModel {
    // Lines are separated by "\r" (the Flash Player's own line break).
    QString text;
    // One format per character of `text` (shared: most characters share one).
    std::vector<std::shared_ptr<const TextFormat>> formats;
    TextFormat newFormat = defaultTextFormat(); // for text added later (getNewTextFormat)

    // Bounds of the field in its own space, twips.
    double xMin = 0, yMin = 0, xMax = 0, yMax = 0;

    bool html = false, condenseWhite = false, multiline = false, wordWrap = false, password = false;
    bool selectable = true, border = false, background = false, embedFonts = false;
    bool editable = false; // type "input"
    bool mouseWheelEnabled = true;
    uint32_t borderColor = 0x000000, backgroundColor = 0xffffff;
    AutoSize autoSize = AutoSize::None;
    int maxChars = 0;            // 0: no limit (null to scripts)
    std::optional<QString> restrict;
    QString variable;            // "" when unbound (null to scripts)
    QString initialText;         // of the DefineEditText record (plain text)
    int scroll = 1, hscroll = 0; // first visible line (1-based), horizontal pixels
    QString antiAliasType = QStringLiteral("normal");
    QString gridFitType = QStringLiteral("pixel");
    double sharpness = 0, thickness = 0;
    std::optional<int> tabIndex;
    int selectionBegin = 0, selectionEnd = 0; // where replaceSel acts

    int length() const { return int(text.size()); }
    // Replaces [begin, end) with `s`, its characters taking `format`.
    void replace(int begin, int end, const QString& s, const TextFormat& format);
    // The whole text becomes `s` in the new-text format.
    void setText(const QString& s) { replace(0, length(), s, newFormat); }
    // The format shared by [begin, end); an empty range answers the format
    // of the character at begin (or the new-text format past the end).
    TextFormat formatOf(int begin, int end) const;
    void setFormat(int begin, int end, const TextFormat& format);
};

// HTML of the Flash Player's text fields: <p align>, <font face size color>,
// <b>, <i>, <u>, <a href target>, <br>, <li>, <textformat>, entities. The
// text is appended to `model` in formats derived from `base`, by the model's
// multiline and condenseWhite settings (a single-line field's paragraphs
// run together).
void appendHtml(TextFieldModel& model, const QString& html, const TextFormat& base);
// The field's text and formats written back as the Flash Player's HTML.
QString toHtml(const TextFieldModel& model);

} // namespace fotarel::swf::avm1
