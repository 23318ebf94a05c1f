#include "io/EpsConversion.h"

#include "platform/PdfModule.h"

namespace EpsConversion {

QStringList moduleCandidates(const QString& executableDir)
{
    return PdfModule::candidates(executableDir);
}

QString moduleFileFor(const QString& executableDir)
{
    return PdfModule::fileFor(executableDir);
}

Status fromPdf(const QByteArray& pdf, int width, int height, QByteArray& eps)
{
    using Convert = int (*)(const QByteArray*, int, int, QByteArray*);
    const auto convert = reinterpret_cast<Convert>(PdfModule::function("vexaPdfToEps"));
    if (!convert)
        return Status::NoConverter;
    return Status(convert(&pdf, width, height, &eps));
}

} // namespace EpsConversion
