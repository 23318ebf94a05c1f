#include "macro/MacroHost.h"

#include "macro/PerlJob.h"
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

void MacroHost::setPerlTask(PerlJob* job)
{
    gtask_ = job;
}

PerlJob* MacroHost::perlTask() const
{
    return static_cast<PerlJob*>(gtask_.data());
}

void MacroHost::terminatePerlTask()
{
    if (PerlJob* job = perlTask())
        job->terminate();
}
