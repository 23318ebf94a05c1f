#include "view/TextRuns.h"

#include "model/VexaDocument.h"
#include "view/VexaTextView.h"

#include <QFontInfo>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>

#include <algorithm>
#include <cmath>
#include <utility>
#include <vector>

namespace TextRuns {

QTextCharFormat formatAt(const QTextCursor& range)
{
    if (!range.hasSelection())
        return range.charFormat();
    // The format a cursor reports is that of the character before it: the
    // first character of the selection is the one after its start.
    QTextCursor first(range);
    first.setPosition(range.selectionStart() + 1);
    return first.charFormat();
}

QFont fontAt(const QTextCursor& range)
{
    const QTextDocument* text = range.document();
    const QFont own = text ? text->defaultFont() : QFont();
    return formatAt(range).font().resolve(own);
}

void restyle(QTextCursor& range, const std::function<void(QTextCharFormat&)>& change)
{
    if (!range.hasSelection()) {
        QTextCharFormat format = range.charFormat();
        change(format);
        range.setCharFormat(format);
        return;
    }
    const int start = range.selectionStart();
    const int end = range.selectionEnd();
    // The runs first, then the changes: a change may join or split runs.
    std::vector<std::pair<std::pair<int, int>, QTextCharFormat>> runs;
    QTextDocument* text = range.document();
    for (QTextBlock block = text->findBlock(start); block.isValid() && block.position() <= end;
         block = block.next()) {
        // An empty paragraph has no run; its own format is what typing in it
        // takes, so it changes too.
        if (block.length() <= 1)
            runs.push_back({{block.position(), block.position()}, block.charFormat()});
        for (auto it = block.begin(); !it.atEnd(); ++it) {
            const QTextFragment fragment = it.fragment();
            if (!fragment.isValid())
                continue;
            const int from = std::max(start, fragment.position());
            const int to = std::min(end, fragment.position() + fragment.length());
            if (from < to)
                runs.push_back({{from, to}, fragment.charFormat()});
        }
    }
    QTextCursor cursor(text);
    cursor.beginEditBlock();
    for (auto& [span, format] : runs) {
        change(format);
        if (span.first == span.second) {
            cursor.setPosition(span.first);
            cursor.setBlockCharFormat(format);
            continue;
        }
        cursor.setPosition(span.first);
        cursor.setPosition(span.second, QTextCursor::KeepAnchor);
        cursor.setCharFormat(format);
    }
    cursor.endEditBlock();
}

void setFont(QTextCharFormat& format, const QFont& font)
{
    // A face named by its style alone would not survive the file, which keeps
    // weights and slants: the face is asked for by those.
    QFont f = font;
    if (!f.styleName().isEmpty()) {
        const QFontInfo face(f);
        f.setStyleName(QString());
        f.setWeight(QFont::Weight(face.weight()));
        f.setItalic(face.italic());
    }
    f.setHintingPreference(QFont::PreferNoHinting);
    format.setFont(f);
}

void setBold(QTextCharFormat& format, bool on)
{
    format.clearProperty(QTextFormat::FontStyleName);
    format.setFontWeight(on ? QFont::Bold : QFont::Normal);
}

void setItalic(QTextCharFormat& format, bool on)
{
    format.clearProperty(QTextFormat::FontStyleName);
    format.setFontItalic(on);
}

void stepSize(QTextCharFormat& format, const QFont& textFont, int points)
{
    // Each run steps from its own size; a run that names none has the
    // text's own.
    const double now = format.font().resolve(textFont).pointSizeF();
    const double size = std::clamp(std::round((now > 0 ? now : 12) + points), 1.0, VexaTextView::maxSide);
    format.setFontPointSize(size);
}

void registerUndo(VexaTextView& box, const QString& before)
{
    VexaDocument* d = box.PD;
    if (!d)
        return;
    // Aimed at the box: it goes from the undo steps when the box goes.
    d->undoManager().registerUndo(static_cast<const TextBoxItem*>(&box), [&box, d, before] {
        registerUndo(box, box.document().toHtml());
        box.setRichText(before);
        box.textHasChanged();
        (d->MPD ? d->MPD : d)->replot();
    });
}

} // namespace TextRuns
