#pragma once

// The Format menu and the font of the text panel: fonts, sizes, bold,
// italic, underline and colour of a text box's characters. They act on the
// current text box: while it is edited, on the characters selected in its
// editor (without a selection, on what is typed next), which the editor's
// own undo takes back; otherwise on all of it, as one step of the window's
// undo. Every change replots the document, so it counts as an edit.
//
// The font panel reaches the box through the shared relay, which a press on
// a box, Format > Font… and the text panel's button arm.
//
// Main thread only.

#include "app/FontChange.h"

#include <QColor>
#include <QFont>
#include <QObject>
#include <QPointer>

#include <functional>

class ManagerServices;
class QColorDialog;
class QMenu;
class QTextCharFormat;
class QTextCursor;
class QTextEdit;
class QWidget;
class VexaTextView;

class TextFormat : public QObject, public FontReceiver {
public:
    // Which of the relay's receivers' fonts a text box's is.
    static constexpr int fontId = 6;

    TextFormat(ManagerServices& manager, FontChange& relay, QObject* parent = nullptr);
    ~TextFormat() override;

    // The Format menu, made on first request, owned by `owner`.
    QMenu* menu(QWidget* owner);

    // The font and colour of the characters acted on; the user's font and
    // black without a current box.
    QFont font() const;
    QColor color() const;

    // The font panel on the current box's font, its picks going to the box.
    void chooseFont();
    // Arms the relay for the current box without showing the panel.
    void takeFontPanel();
    void receiveFont(const FontChange& relay) override;
    void toggleBold();
    void toggleItalic();
    void toggleUnderline();
    // One point larger or smaller, each run from its own size.
    void bigger();
    void smaller();
    // The colour panel on the characters' colour; its choice is applied.
    void chooseColor();
    void setColor(const QColor& color);
    // The colour panel; null until first shown.
    QColorDialog* colorPanel() const;

private:
    VexaTextView* box() const;
    // The editor writing into the box, if any.
    static QTextEdit* editorOf(const VexaTextView& box);
    // The characters acted on: the editor's cursor while the box is edited,
    // else all of its text.
    QTextCursor range(VexaTextView& box) const;
    // Applies the change to the characters acted on; a beep without a box.
    void restyle(const std::function<void(QTextCharFormat&)>& change);

    ManagerServices& M;
    FontChange& relay_;
    QPointer<QMenu> menu_;
    QPointer<QColorDialog> colorPanel_;
};
