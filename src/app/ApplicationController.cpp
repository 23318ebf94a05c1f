#include "app/ApplicationController.h"

#include "model/Tool.h"

const QStringList& ApplicationController::mouseModeNames()
{
    static const QStringList names = [] {
        QStringList list;
        for (const ToolRow& row : toolRows())
            list << QLatin1String(row.title);
        return list;
    }();
    return names;
}

QString ApplicationController::mouseModeToolTip(const QString& title)
{
    const ToolRow* row = toolRowNamed(title);
    return row ? QLatin1String(row->toolTip) : QString();
}

QChar ApplicationController::mouseModeKey(const QString& title)
{
    const ToolRow* row = toolRowNamed(title);
    return row ? QChar::fromLatin1(row->key) : QChar();
}

QString ApplicationController::mouseModeForKey(int character)
{
    for (const ToolRow& row : toolRows())
        if (character == row.key)
            return QLatin1String(row.title);
    return QString();
}
