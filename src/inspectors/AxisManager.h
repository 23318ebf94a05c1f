#pragma once

// The axis panel (key "axis"): range, tick placement, time format, trigger
// and scale expression of the axis shown, its mode, title and number format,
// and which of the four axes are drawn.
//
// The minimum and maximum are typed as numbers, or as dates in the
// controller's date format on a time axis. A typed end that is no number, no
// date, or not above 0 on a logarithmic axis is refused with a message and
// the document keeps its range and scale texts; a cell left as shown keeps
// the exact stored value (the cell shows it rounded). Range changes go
// through VexaDocument::scale and can be undone.

#include "inspectors/AxisInspector.h"

#include <array>
#include <memory>
#include <optional>

class QButtonGroup;
class QCheckBox;
class QLineEdit;

namespace Ui {
class AxisPanel;
}

class AxisManager : public AxisInspector {
public:
    explicit AxisManager(PanelContext& context);
    ~AxisManager() override;

    void update() override;

    // The outlets the controller and the tests reach: the form of nine cells
    // (minimum, maximum, scale start, end, spacing, least ticks, time
    // format, trigger, scale expression) and the radio cells of the mode.
    QWidget* axisRange = nullptr;
    std::array<QLineEdit*, 9> rangeCells{};
    QButtonGroup* axisFormat = nullptr;

    const Ui::AxisPanel& ui() const { return *ui_; }

protected:
    void apply(QObject* sender) override;

private:
    void applyRange();
    // The value of a typed range end; nothing after the message.
    std::optional<double> readEnd(QLineEdit* cell, double stored, int mode) const;
    QString endText(double value, int mode) const;

    std::unique_ptr<Ui::AxisPanel> ui_;
};
