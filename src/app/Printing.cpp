#include "app/Printing.h"

#include "platform/LoadableModule.h"

#ifndef VEXA_PRINT_MODULE
#define VEXA_PRINT_MODULE ""
#endif

namespace {

LoadableModule& module()
{
    static LoadableModule m(QStringLiteral("libvexa_print.so"), QStringLiteral(VEXA_PRINT_MODULE),
                            "vexaPrinting");
    return m;
}

} // namespace

const Printing* Printing::get(QString& why)
{
    return module().table<Printing>(why);
}

QString Printing::moduleFileFor(const QString& executableDir)
{
    return module().fileFor(executableDir);
}
