#pragma once

// Every window's bar holds the same menus. While one of them is open, a
// press on the bar of another window only closes it (an open menu keeps the
// press that closes it), and the user would have to press again: the menu
// pressed there opens at once instead, as it does on the same bar.

#include <QObject>

class QMenu;

class MenuHandOver : public QObject {
public:
    explicit MenuHandOver(QObject* parent);
    // Watches the menu for as long as both live.
    void watch(QMenu* menu);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
};
