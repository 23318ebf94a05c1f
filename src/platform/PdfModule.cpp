#include "platform/PdfModule.h"

#include "platform/LoadableModule.h"

namespace {

#ifndef VEXA_EPS_MODULE
#define VEXA_EPS_MODULE ""
#endif

LoadableModule& module()
{
    static LoadableModule m(QStringLiteral("libvexa_eps.so"), QStringLiteral(VEXA_EPS_MODULE),
                            "vexaPdfToEps");
    return m;
}

} // namespace

namespace PdfModule {

QStringList candidates(const QString& executableDir)
{
    return module().candidates(executableDir);
}

QString fileFor(const QString& executableDir)
{
    return module().fileFor(executableDir);
}

void* function(const char* name)
{
    return module().function(name);
}

} // namespace PdfModule
