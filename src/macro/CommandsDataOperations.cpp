// Data operations: function generator, buffer arithmetic and expressions,
// normalising, moving, cutting, integration, regressions, smoothing, spline,
// differentiation, FFT and single values of a buffer set.

#include "macro/MacroCommandFamilies.h"
#include "macro/MacroCommandTable.h"

namespace {
using Section = MacroCommandTable::Section;
} // namespace

void registerDataOperationCommands(MacroCommandTable& t)
{
    auto pending = [&t](Section s, const char* name, const char* signature, int minimum,
                        ArgumentGuard guard = ArgumentGuard::always()) {
        t.addPending(s, QLatin1String(name), QLatin1String(signature), minimum, guard);
    };

    pending(Section::DataOperations, "fg", "iddis", 5);
    pending(Section::DataOperations, "bcalc", "isi", 3);
    pending(Section::DataOperations, "calc", "isb", 3);
    pending(Section::DataOperations, "swapxy", "b", 1);
    pending(Section::DataOperations, "normx", "ddddb", 5);
    pending(Section::DataOperations, "normy", "ddddb", 5);
    pending(Section::DataOperations, "movex", "ddb", 3);
    pending(Section::DataOperations, "movey", "ddb", 3);
    pending(Section::DataOperations, "cutoutsidex", "ddb", 3);
    pending(Section::DataOperations, "cutinsidex", "ddb", 3);
    pending(Section::DataOperations, "cutoutsidey", "ddb", 3);
    pending(Section::DataOperations, "cutinsidey", "ddb", 3);
    pending(Section::DataOperations, "calcint", "ddb", 3);
    pending(Section::DataOperations, "linreg", "ddb", 3);
    pending(Section::DataOperations, "logreg", "ddb", 3);
    pending(Section::DataOperations, "expreg", "ddb", 3);
    pending(Section::DataOperations, "linbg", "ddb", 3);
    pending(Section::DataOperations, "smooth", "db", 2);
    pending(Section::DataOperations, "fftsmooth", "db", 2);
    pending(Section::DataOperations, "datareduction", "db", 2);
    pending(Section::DataOperations, "spline", "idb", 3);
    pending(Section::DataOperations, "diff", "db", 2);
    pending(Section::DataOperations, "fft", "ib", 2);
    pending(Section::DataOperations, "integrate", "b", 1);
    pending(Section::DataOperations, "setxval", "bid", 1);
    pending(Section::DataOperations, "setyval", "bid", 1);
    pending(Section::DataOperations, "setxeval", "bid", 1);
    pending(Section::DataOperations, "setyeval", "bid", 1);
}
