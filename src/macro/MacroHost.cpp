#include "macro/MacroHost.h"

#include "platform/Alert.h"

namespace {
MacroHost* g_shared = nullptr;
}

MacroHost* MacroHost::shared()
{
    return g_shared;
}

void MacroHost::setShared(MacroHost* host)
{
    g_shared = host;
}

bool MacroHost::getInput(const QString& message)
{
    const QString key = QStringLiteral("input");
    const std::optional<QString> answer = Alert::input(QStringLiteral("Input"), message, stringVariables().value(key));
    // A cancelled question leaves no stale answer behind for the macro to
    // take as the user's.
    stringVariables().insert(key, answer.value_or(QString()));
    return answer.has_value();
}

QString MacroHost::inputPanelValue()
{
    return stringVariables().value(QStringLiteral("input"));
}
