#pragma once

// The value read-outs under the tool palette: the position on X1, Y1, X2, Y2
// (AxisIndex order) at a view point of the current document, and on each its
// distance from a second point (the drag start or the measure origin); the
// values go into the variables "xpos1".."ypos2" and "dx1".."dy2" as well. The
// texts are kept here; the fields are made when the read-outs are first shown
// (a run that never shows them never makes them) and show the texts at once.
//
// Main thread only.

#include "app/MadeWhenShown.h"

#include <QPointF>
#include <QString>

#include <array>
#include <optional>

class Manager;
class QLineEdit;
class VexaDocument;

class ValueReadouts : public MadeWhenShown {
public:
    // Positions in AxisIndex order, then the distances.
    enum Field { X1, Y1, X2, Y2, DX1, DY1, DX2, DY2 };
    static constexpr int fieldCount = 8;

    // The values are those of the controller's current document, written
    // as it writes axis values.
    explicit ValueReadouts(Manager& manager);

    // The read-outs and variables for the point; with `from` the distances
    // as well, without them empty and their variables 0. Without a current
    // document every text is empty and the variables stay.
    void showPoint(QPointF point, const std::optional<QPointF>& from);

    const QString& text(Field f) const { return texts_[std::size_t(f)]; }
    // The field; null until the read-outs are made.
    QLineEdit* field(Field f) const { return fields_[std::size_t(f)]; }

    // The value of axis 0..3 (AxisIndex) at a view coordinate of the
    // document; 0 without a document or view.
    static double axisValue(const VexaDocument* document, int axis, double coordinate);

private:
    void build(QWidget& place);
    void showTexts();

    Manager& manager_;
    std::array<QString, fieldCount> texts_;
    std::array<QLineEdit*, fieldCount> fields_{};
};
