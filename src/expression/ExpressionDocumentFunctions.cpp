#include "expression/ExpressionDocumentFunctions.h"

#include "expression/ExpressionMath.h"

#include <atomic>

namespace {
std::atomic<ExpressionDocumentFunctions*> g_installed{nullptr};
}

void ExpressionDocumentFunctions::install(ExpressionDocumentFunctions* functions)
{
    g_installed.store(functions, std::memory_order_release);
}

ExpressionDocumentFunctions* ExpressionDocumentFunctions::installed()
{
    return g_installed.load(std::memory_order_acquire);
}

double ExpressionDocumentFunctions::call(DocFunction which, double a, double b)
{
    ExpressionDocumentFunctions* f = installed();
    if (!f)
        return 0.0;
    using ExpressionMath::toInt32;
    switch (which) {
    case DocFunction::XVal:
    case DocFunction::YVal:
    case DocFunction::XErr:
    case DocFunction::YErr:
        return f->pointValue(which, toInt32(a), toInt32(b));
    case DocFunction::XMin:
    case DocFunction::XMax:
    case DocFunction::YMin:
    case DocFunction::YMax:
    case DocFunction::Points:
        return f->bufferValue(which, toInt32(a));
    case DocFunction::TXMin:
    case DocFunction::TXMax:
    case DocFunction::TYMin:
    case DocFunction::TYMax:
    case DocFunction::VXMin:
    case DocFunction::VXMax:
    case DocFunction::VYMin:
    case DocFunction::VYMax:
        return f->documentValue(which);
    case DocFunction::FindX:
    case DocFunction::FindY:
        return f->findValue(which, a, toInt32(b));
    case DocFunction::XPoint:
    case DocFunction::YPoint:
    case DocFunction::XValue:
    case DocFunction::YValue:
        return f->axisValue(which, a, toInt32(b));
    }
    return 0.0;
}
