// Printing through the toolkit's printing library, built as a module of its
// own: the library is loaded with the first print, not each time the
// program starts.

#include "app/Printing.h"

#include <QPrintDialog>
#include <QPrinter>
#include <QPrinterInfo>

namespace {

bool hasDefaultPrinter()
{
    return !QPrinterInfo::defaultPrinter().isNull();
}

Printing::Result print(QWidget* parent, bool ask, const Printing::Draw& draw)
{
    QPrinter printer(QPrinter::HighResolution);
    if (ask) {
        QPrintDialog panel(&printer, parent);
        panel.setWindowModality(Qt::WindowModal);
        if (panel.exec() != QDialog::Accepted)
            return Printing::Result::Cancelled;
    }
    return draw(printer) ? Printing::Result::Printed : Printing::Result::Failed;
}

} // namespace

extern "C" __attribute__((visibility("default"))) const Printing* vexaPrinting()
{
    static const Printing calls{sizeof(Printing), &hasDefaultPrinter, &print};
    return &calls;
}
