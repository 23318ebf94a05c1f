#pragma once

// The calc panel (key "calc"): the function generator, an expression over a
// column of the selected buffers, arithmetic between two buffers, and the
// exchange of x and y.

#include "inspectors/OperationPanel.h"

#include <memory>

namespace Ui {
class CalcPanel;
}

class CalcManager : public OperationPanel {
public:
    explicit CalcManager(PanelContext& context);
    ~CalcManager() override;

    void setup() override;

    // The number of points (sender fsteps, clamped to 2 .. 1000000) or the
    // increment (sender finc, taken only when above 0) was typed: the other
    // follows from the range.
    void incStepChanged(QObject* sender);

    // The actions of the panel's buttons.
    void functionGenerator();
    void bufferCalc();
    void twoBufCalc();
    void swapXY();

    // The outlets: the function generator,
    QLineEdit* fexpr = nullptr;
    QButtonGroup* faxis = nullptr; // 0 y = f(x), 1 x = f(y)
    QLineEdit* fmin = nullptr;
    QLineEdit* fmax = nullptr;
    QLineEdit* fsteps = nullptr;
    QLineEdit* finc = nullptr;
    // the buffer expression,
    QButtonGroup* axis = nullptr; // CalcTarget tags
    QLineEdit* expr = nullptr;
    // the two-buffer arithmetic.
    QLineEdit* buf1 = nullptr;
    QLineEdit* buf2 = nullptr;
    QButtonGroup* op = nullptr; // BufferArithmetic tags

    const Ui::CalcPanel& ui() const { return *ui_; }

private:
    std::unique_ptr<Ui::CalcPanel> ui_;
};
