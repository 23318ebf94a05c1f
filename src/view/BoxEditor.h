#pragma once

// The editor that sits over a text box while the text tool edits it. Rich
// text pasted or dropped into it comes from anywhere: elements nested past
// reason are read as their content (HtmlNesting), as when a document's text
// is read, so a paste cannot keep the program busy for minutes.

#include <QTextEdit>

class BoxEditor : public QTextEdit {
public:
    using QTextEdit::QTextEdit;

protected:
    void insertFromMimeData(const QMimeData* source) override;
};
