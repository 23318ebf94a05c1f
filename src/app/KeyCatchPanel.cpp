#include "app/KeyCatchPanel.h"

#include "model/ManagerServices.h"

#include <QKeyEvent>
#include <QWidget>

KeyCatchPanel::KeyCatchPanel(ManagerServices& controller, QWidget* panel)
        : QObject(panel)
        , controller_(controller)
        , panel_(panel)
{
    panel->installEventFilter(this);
}

int KeyCatchPanel::toolCharacter(const QString& text)
{
    if (text.isEmpty())
        return -1;
    int code = text.front().unicode();
    if (code <= 90)
        code += 32;
    return code;
}

bool KeyCatchPanel::eventFilter(QObject* watched, QEvent* event)
{
    if (watched != panel_ || event->type() != QEvent::KeyPress)
        return false;
    const auto* key = static_cast<QKeyEvent*>(event);
    // Ctrl is the menus' and Alt the macros'; Shift only makes capitals.
    if (key->modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier))
        return false;
    const int character = toolCharacter(key->text());
    if (character >= 0)
        controller_.getShortcut(character);
    return false;
}
