#pragma once

// The axis format panel (key "axisformat"): major and minor ticks, grids and
// the zero line of the axis shown, or of all four axes at once while "All
// axes" is on (the panel still shows the chosen one).

#include "inspectors/AxisInspector.h"

#include <memory>

class QButtonGroup;

namespace Ui {
class AxisFormatPanel;
}

class AxisFormatManager : public AxisInspector {
public:
    explicit AxisFormatManager(PanelContext& context);
    ~AxisFormatManager() override;

    void update() override;

    QButtonGroup* tickStyle = nullptr; // radio cells tagged 0 inside, 1 outside, 2 across

    const Ui::AxisFormatPanel& ui() const { return *ui_; }

protected:
    void apply(QObject* sender) override;

private:
    std::unique_ptr<Ui::AxisFormatPanel> ui_;
};
