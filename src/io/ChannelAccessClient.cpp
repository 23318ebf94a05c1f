#include "io/ChannelAccessClient.h"

#include "platform/LoadableModule.h"

#ifndef VEXA_CA_MODULE
#define VEXA_CA_MODULE ""
#endif

namespace {

LoadableModule& module()
{
    static LoadableModule m(QStringLiteral("libvexa_ca.so"), QStringLiteral(VEXA_CA_MODULE),
                            "vexaChannelAccessClient");
    return m;
}

} // namespace

const ChannelAccessClient* ChannelAccessClient::get(QString& why)
{
    return module().table<ChannelAccessClient>(why);
}

QString ChannelAccessClient::moduleFileFor(const QString& executableDir)
{
    return module().fileFor(executableDir);
}
