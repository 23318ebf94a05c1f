#include "app/ApplicationController.h"

const QStringList& ApplicationController::mouseModeNames()
{
    static const QStringList names = {
        QStringLiteral("select"),    QStringLiteral("range"),     QStringLiteral("zoom"),
        QStringLiteral("upscale"),   QStringLiteral("downscale"), QStringLiteral("measure"),
        QStringLiteral("normy"),     QStringLiteral("normx"),     QStringLiteral("movey"),
        QStringLiteral("movex"),     QStringLiteral("movexy"),    QStringLiteral("movepoint"),
        QStringLiteral("bgsub"),     QStringLiteral("subview"),   QStringLiteral("chsubview"),
        QStringLiteral("legend"),    QStringLiteral("graphic"),   QStringLiteral("text"),
    };
    return names;
}

ApplicationController* ApplicationController::shared()
{
    return dynamic_cast<ApplicationController*>(ManagerServices::shared());
}
