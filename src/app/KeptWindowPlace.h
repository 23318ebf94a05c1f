#pragma once

// A window that keeps the place and size its user gave it, across closing
// and restarting: its geometry goes under a user-defaults key a moment after
// each move or resize and when it is hidden, and comes back (restore) before
// it is shown, fitted inside the free area of a screen. A window with
// nothing stored is placed by its owner.

#include <QObject>
#include <QString>
#include <QTimer>

class QWidget;
class UserDefaults;

class KeptWindowPlace : public QObject {
public:
    // Watches the window for as long as both live.
    KeptWindowPlace(QWidget* window, QString key, UserDefaults& defaults);

    // Gives the window its stored place and size; false when none is stored
    // (or what is stored cannot be read).
    bool restore();
    // Stores where the window is now.
    void store();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QWidget* window_;
    QString key_;
    UserDefaults& defaults_;
    // Moves come many to a drag; the place is stored once the window rests.
    QTimer settled_;
};
