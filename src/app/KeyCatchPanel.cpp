#include "app/KeyCatchPanel.h"

#include "model/ManagerServices.h"

#include <QAbstractItemView>
#include <QAbstractSpinBox>
#include <QComboBox>
#include <QKeyEvent>
#include <QKeySequenceEdit>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTextEdit>
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
    if (text.size() != 1)
        return -1;
    const char16_t code = text.front().unicode();
    if (code >= u'A' && code <= u'Z')
        return code + 32;
    if (code >= u'a' && code <= u'z')
        return code;
    return -1;
}

bool KeyCatchPanel::takesTyping(const QWidget* widget)
{
    // A control's inner parts (a spin box's field, a table's editor) count
    // as the control.
    for (const QWidget* w = widget; w && !w->isWindow(); w = w->parentWidget()) {
        if (const auto* field = qobject_cast<const QLineEdit*>(w))
            return !field->isReadOnly();
        if (const auto* text = qobject_cast<const QTextEdit*>(w))
            return !text->isReadOnly();
        if (const auto* text = qobject_cast<const QPlainTextEdit*>(w))
            return !text->isReadOnly();
        if (qobject_cast<const QAbstractSpinBox*>(w) || qobject_cast<const QComboBox*>(w)
            || qobject_cast<const QKeySequenceEdit*>(w) || qobject_cast<const QAbstractItemView*>(w))
            return true;
    }
    return false;
}

bool KeyCatchPanel::eventFilter(QObject* watched, QEvent* event)
{
    if (watched != panel_ || event->type() != QEvent::KeyPress)
        return false;
    const auto* key = static_cast<QKeyEvent*>(event);
    // Ctrl is the menus' and Alt the macros'; Shift only makes capitals.
    if (key->modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier))
        return false;
    if (takesTyping(panel_->focusWidget()))
        return false;
    const int character = toolCharacter(key->text());
    if (character >= 0)
        controller_.getShortcut(character);
    return false;
}
