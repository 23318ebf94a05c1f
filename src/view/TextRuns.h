#pragma once

// The runs of a text box's rich text as the Format menu and the font panel
// change them: every run in a range keeps what it has and takes one change
// (a font, bold, a size step, a colour), so a run in italics stays in
// italics when the range turns bold.

#include <QColor>
#include <QFont>
#include <QString>
#include <QTextCharFormat>

#include <functional>

class QTextCursor;
class VexaTextView;

namespace TextRuns {

// The format the range shows: that of its first character, or, without a
// selection, what the cursor would type next.
QTextCharFormat formatAt(const QTextCursor& range);
// The font the range shows, every property resolved against the text's own
// font.
QFont fontAt(const QTextCursor& range);

// Changes every run of the range by `change`, as one step of the text's own
// undo. Without a selection it changes what the cursor types next.
void restyle(QTextCursor& range, const std::function<void(QTextCharFormat&)>& change);

// The changes themselves. A font from the font panel is taken by its family,
// weight, slant, size and decorations, drawn unhinted as the box draws all
// its text, so that screen, files and pictures show the same face.
void setFont(QTextCharFormat& format, const QFont& font);
void setBold(QTextCharFormat& format, bool on);
void setItalic(QTextCharFormat& format, bool on);
// Sizes step by one point, between 1 point and the largest a box shows.
void stepSize(QTextCharFormat& format, const QFont& textFont, int points);

// Leaves the way back to the box's text as `before` (a toHtml() of it) had
// it as an undo step of its document's window; undone, the text as it is
// now becomes the redo step.
void registerUndo(VexaTextView& box, const QString& before);

} // namespace TextRuns
