#pragma once

// The coordinate cells of the text and graphic panels. A coordinate is a view
// point in position mode 0; in mode 1 or 2 a data value of that axis pair
// (x on AxisIndex 0 or 2, y on 1 or 3), shown and read as a date in the
// controller's time format when that axis is a time axis.
//
// Reading refuses what is no coordinate, with a message under the panel's
// title, so a typing slip never moves an object: a text that does not start
// with a number, a number that is not finite, a date that does not read.

#include <QString>

#include <optional>

class PanelContext;
class VexaDocument;

class CoordinateCells {
public:
    // The cells of an object in position mode `posmode` on the document;
    // refusals are reported under `title`.
    CoordinateCells(PanelContext& context, const VexaDocument& document, int posmode, QString title);

    // The axis (AxisIndex) of the x or y cells; -1 in view points.
    int axisOf(bool x) const;
    bool isTime(bool x) const;

    QString show(bool x, double value) const;
    std::optional<double> read(bool x, const QString& text) const;
    // An extent along the axis: plain numbers, or on a time axis a duration
    // ("90", "1:30", "2w", ...).
    std::optional<double> readExtent(bool x, const QString& text) const;

private:
    std::optional<double> refused(const QString& message) const;

    PanelContext& context_;
    const VexaDocument& document_;
    int posmode_;
    QString title_;
};
