#pragma once

// The toolkit's printing library lives in a module of its own (app/print),
// loaded on the first print instead of at every start of the program.

#include <QString>

#include <cstddef>
#include <functional>

class QPagedPaintDevice;
class QWidget;

struct Printing {
    enum class Result { Printed, Cancelled, Failed };
    // Draws onto the printer's pages; false when the printer could not be
    // drawn on.
    using Draw = std::function<bool(QPagedPaintDevice&)>;

    std::size_t size; // of the table the module was built with
    // True when the system names a default printer.
    bool (*hasDefaultPrinter)();
    // Draws onto a high-resolution printer: the default one, or the one
    // chosen in the print panel over parent when ask is set.
    Result (*print)(QWidget* parent, bool ask, const Draw& draw);

    // The calls, the module loaded on the first use; null when it cannot be
    // loaded, with the reason in why.
    static const Printing* get(QString& why);
    static QString unavailableMessage(const QString& why)
    {
        return QStringLiteral("printing is not available: %1").arg(why);
    }

    // Which module file a program in the given folder would load; empty
    // when there is none. Nothing is loaded.
    static QString moduleFileFor(const QString& executableDir);
};
