#include "view/BoxEditor.h"

#include "util/HtmlNesting.h"

#include <QMimeData>

void BoxEditor::insertFromMimeData(const QMimeData* source)
{
    if (!source || !source->hasHtml() || !acceptRichText()) {
        QTextEdit::insertFromMimeData(source);
        return;
    }
    QMimeData limited;
    limited.setHtml(HtmlNesting::limited(source->html()));
    if (source->hasText())
        limited.setText(source->text());
    QTextEdit::insertFromMimeData(&limited);
}
