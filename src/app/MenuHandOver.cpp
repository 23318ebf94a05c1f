#include "app/MenuHandOver.h"

#include <QAction>
#include <QApplication>
#include <QMenu>
#include <QMenuBar>
#include <QMouseEvent>
#include <QPointer>
#include <QTimer>

MenuHandOver::MenuHandOver(QObject* parent)
        : QObject(parent)
{
}

void MenuHandOver::watch(QMenu* menu)
{
    menu->installEventFilter(this);
}

bool MenuHandOver::eventFilter(QObject* watched, QEvent* event)
{
    auto* menu = qobject_cast<QMenu*>(watched);
    if (!menu || event->type() != QEvent::MouseButtonPress)
        return false;
    const QPoint at = static_cast<QMouseEvent*>(event)->globalPosition().toPoint();
    if (menu->rect().contains(menu->mapFromGlobal(at)))
        return false;
    // The bar of the window the menu was opened from handles its own
    // presses.
    auto* bar = qobject_cast<QMenuBar*>(QApplication::widgetAt(at));
    if (!bar || bar->window() == QApplication::activeWindow())
        return false;
    QAction* pressed = bar->actionAt(bar->mapFromGlobal(at));
    if (!pressed || !pressed->menu())
        return false;
    // Once the open menu has closed.
    QTimer::singleShot(0, bar, [bar = QPointer<QMenuBar>(bar), pressed = QPointer<QAction>(pressed)] {
        if (!bar || !pressed)
            return;
        bar->window()->activateWindow();
        bar->setActiveAction(pressed);
    });
    return false;
}
