#pragma once

// Typing a letter in one of the application's floating panels picks the tool
// of that key, as typing it in a graph does. The panel is watched rather than
// subclassed: a key the panel's focused control takes for itself (a letter in
// a text field) never gets here; one that travels up to the panel window does,
// and goes on to the panel's usual handling afterwards. Only a plain letter
// picks a tool, and never while an editable control has the focus: Return in
// a field, a letter a list or a pop-up passes on, belong to that control.

#include <QObject>

class ManagerServices;
class QWidget;

class KeyCatchPanel : public QObject {
public:
    // Watches the panel window for as long as both live.
    KeyCatchPanel(ManagerServices& controller, QWidget* panel);

    // The tool key a key's text stands for: a letter A to Z or a to z, folded
    // to small; -1 for anything else (a digit, Return, an empty text).
    static int toolCharacter(const QString& text);

    // Whether the widget takes typing of its own: a field, spin box, pop-up,
    // key box, table or text that can be edited.
    static bool takesTyping(const QWidget* widget);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    ManagerServices& controller_;
    QWidget* panel_;
};
