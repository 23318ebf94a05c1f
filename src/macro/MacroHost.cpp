#include "macro/MacroHost.h"

#include "io/DocumentArchive.h"
#include "macro/Macro.h"
#include "macro/PerlJob.h"
#include "model/VexaDocument.h"
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

void MacroHost::consoleWrite(const QString& text, bool error)
{
    if (text.isEmpty())
        return;
    if (error)
        ++consoleErrorsWritten_;
    consoleAppend(consoleAtLineStart() ? text : QLatin1Char('\n') + text, error);
}

bool MacroHost::getInput(const QString& message)
{
    const QString key = QStringLiteral("input");
    const std::optional<QString> answer
        = Alert::input(QStringLiteral("Input"), message, stringVariables().value(key));
    // A cancelled question leaves no stale answer behind for the macro to
    // take as the user's.
    stringVariables().insert(key, answer.value_or(QString()));
    return answer.has_value();
}

QString MacroHost::inputPanelValue()
{
    return stringVariables().value(QStringLiteral("input"));
}

MacroHost::~MacroHost()
{
    Macro::perlHostWillGoAway(this);
    if (shared() == this)
        setShared(nullptr);
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

Outcome MacroHost::saveDocument(VexaDocument* document)
{
    return Outcome::failed(
        document ? QStringLiteral("the document has no file yet; save it with saveas and a path")
                 : QStringLiteral("there is no document"));
}

Outcome MacroHost::saveDocumentAs(VexaDocument* document, const QString& path)
{
    if (!document)
        return Outcome::failed(QStringLiteral("there is no document"));
    VexaDocument& main = document->MPD ? *document->MPD : *document;
    return DocumentArchive::writeToFile(main, path);
}

Outcome MacroHost::printDocument(VexaDocument*)
{
    return Outcome::failed(QStringLiteral("there is no printer here"));
}
