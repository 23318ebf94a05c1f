// The controller's Channel Access operations (the settings of the reads and
// the reads the macro language asks for) and the MySQL import of a macro.
// Failures are the "EPICS Error" and MySQL alerts.

#include "app/Manager.h"

#include "app/QueryEditor.h"
#include "io/EPICSImport.h"
#include "io/MySQLImport.h"

void Manager::epicsTimeout(double seconds)
{
    epicstimeout = seconds;
}

void Manager::epicsAddrList(const QString& list)
{
    EPICSImport::setAddressList(list);
}

bool Manager::epicsMaxArray(const QString& bytes)
{
    if (EPICSImport::setMaxArrayBytes(bytes))
        return true;
    Alert::show(Outcome::failed(EPICSImport::badMaxArrayMessage(bytes), EPICSImport::alertTitle()));
    return false;
}

int Manager::epicserr(int status)
{
    if (status == 1)
        return 0;
    Alert::show(EPICSImport::statusOutcome(status));
    return 1;
}

bool Manager::epicsSetVar(const QString& name, const QString& variable)
{
    double value = 0;
    if (Alert::show(EPICSImport::readValue(variable, epicstimeout, &value)))
        return false;
    GV.insert(name, value);
    return true;
}

bool Manager::importEPICS(VexaDocument& document, const QString& x, const QString& y)
{
    const Outcome outcome = EPICSImport::importEPICS(document, x, y, epicstimeout);
    Alert::show(outcome);
    return outcome.ok();
}

bool Manager::importMySQL(VexaDocument& document, const MySQLQuery& query)
{
    const Outcome outcome = MySQLImport::importMySQL(document, query, queryEditor->palette());
    Alert::show(outcome);
    return outcome.ok();
}
