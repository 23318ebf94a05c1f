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
    EPICSImport::report(EPICSOutcome{0, EPICSImport::badMaxArrayMessage(bytes)});
    return false;
}

int Manager::epicserr(int status)
{
    if (status == 1)
        return 0;
    EPICSImport::report(EPICSOutcome{status, EPICSImport::statusMessage(status)});
    return 1;
}

bool Manager::epicsSetVar(const QString& name, const QString& variable)
{
    double value = 0;
    const EPICSOutcome outcome = EPICSImport::readValue(variable, epicstimeout, &value);
    if (!outcome.ok()) {
        EPICSImport::report(outcome);
        return false;
    }
    GV.insert(name, value);
    return true;
}

bool Manager::importEPICS(VexaDocument& document, const QString& x, const QString& y)
{
    const EPICSOutcome outcome = EPICSImport::importEPICS(document, x, y, epicstimeout);
    EPICSImport::report(outcome);
    return outcome.ok();
}

bool Manager::importMySQL(VexaDocument& document, const MySQLQuery& query)
{
    const MySQLImportOutcome outcome = MySQLImport::importMySQL(document, query, queryEditor->palette());
    MySQLImport::report(outcome);
    return outcome.ok();
}
