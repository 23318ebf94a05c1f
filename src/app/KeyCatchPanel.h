#pragma once

// Typing a letter in one of the application's floating panels picks the tool
// of that key, as typing it in a graph does. The panel is watched rather than
// subclassed: a key the panel's focused control takes for itself (a letter in
// a text field) never gets here; one that travels up to the panel window does,
// and goes on to the panel's usual handling afterwards.

#include <QObject>

class ManagerServices;
class QWidget;

class KeyCatchPanel : public QObject {
public:
    // Watches the panel window for as long as both live.
    KeyCatchPanel(ManagerServices& controller, QWidget* panel);

    // The character a key's text stands for as a tool key: its first
    // character, capitals A to Z folded to a to z (every code up to 90 moves
    // by 32, so the other characters there name no tool); -1 for an empty
    // text (a dead key).
    static int toolCharacter(const QString& text);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    ManagerServices& controller_;
    QWidget* panel_;
};
