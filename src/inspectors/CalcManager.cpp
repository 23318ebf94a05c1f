#include "inspectors/CalcManager.h"

#include "app/PanelContext.h"
#include "macro/AlertQuestions.h"
#include "model/VexaDocument.h"
#include "platform/Alert.h"
#include "util/NumberFormat.h"

#include "ui_calc.h"

#include <QButtonGroup>
#include <QPushButton>

#include <algorithm>

namespace {

constexpr int minSteps = 2;
constexpr int maxSteps = 1000000;

} // namespace

CalcManager::CalcManager(PanelContext& context)
        : OperationPanel(context, QStringLiteral("Calculation Inspector"))
        , ui_(new Ui::CalcPanel)
{
    inspectorView = new QWidget;
    Ui::CalcPanel& u = *ui_;
    u.setupUi(inspectorView);

    fexpr = u.fexpr;
    faxis = taggedCells(u.faxis);
    fmin = u.fmin;
    fmax = u.fmax;
    fsteps = u.fsteps;
    finc = u.finc;
    axis = taggedCells(u.axis);
    expr = u.expr;
    buf1 = u.buf1;
    buf2 = u.buf2;
    op = taggedCells(u.op);

    addSetting("FGAxis", faxis);
    addSetting("FGSteps", fsteps, Stored::Integer);
    addSetting("FGMin", fmin, Stored::Float);
    addSetting("FGMax", fmax, Stored::Float);
    addSetting("FGExpr", fexpr, Stored::Text);
    addSetting("CAAxis", axis);
    addSetting("CAExpr", expr, Stored::Text);
    addSetting("CAOp", op);
    addSetting("CABuf1", buf1, Stored::Integer);
    addSetting("CABuf2", buf2, Stored::Integer);

    for (QLineEdit* field : {fsteps, finc})
        connect(field, &QLineEdit::editingFinished, this, [this, field] { incStepChanged(field); });
    // clang-format off
    const struct {
        QPushButton* button;
        void (CalcManager::*action)();
    } actions[] = {
        {u.generateButton, &CalcManager::functionGenerator},
        {u.calcButton,     &CalcManager::bufferCalc},
        {u.twoBufButton,   &CalcManager::twoBufCalc},
        {u.swapButton,     &CalcManager::swapXY},
    };
    // clang-format on
    for (const auto& a : actions)
        connect(a.button, &QPushButton::clicked, this, [this, f = a.action] { (this->*f)(); });
}

CalcManager::~CalcManager() = default;

void CalcManager::setup()
{
    for (const char* key : {"FGAxis", "FGSteps", "FGMin", "FGMax", "FGExpr"})
        restore(key);
    incStepChanged(fsteps);
    for (const char* key : {"CAAxis", "CAExpr", "CAOp", "CABuf1", "CABuf2"})
        restore(key);
}

void CalcManager::incStepChanged(QObject* sender)
{
    if (sender == finc) {
        const double inc = doubleOf(finc);
        if (!(inc > 0))
            return;
        // Far beyond the largest count the clamp below takes over; the
        // bound keeps the text a plain number.
        const double count = std::min((doubleOf(fmax) - doubleOf(fmin)) / inc + 1, 1e12);
        fsteps->setText(formatNumberInteger(count));
        sender = fsteps;
    }
    if (sender == fsteps) {
        const int n = std::clamp(integerOf(fsteps), minSteps, maxSteps);
        fsteps->setText(formatNumberInteger(n));
        finc->setText(formatNumberAuto((doubleOf(fmax) - doubleOf(fmin)) / (n - 1)));
    }
}

void CalcManager::functionGenerator()
{
    if (!numbersIn({fmin, fmax, fsteps}))
        return;
    store({"FGAxis", "FGSteps", "FGMin", "FGMax", "FGExpr"});
    if (!PD()) {
        Alert::beep();
        return;
    }
    Alert::show(PD()->functionGenerator(tagOf(faxis), doubleOf(fmin), doubleOf(fmax), integerOf(fsteps),
                                        fexpr->text()));
    update();
    if (PD())
        PD()->rescale(true, context_.axisPair());
}

void CalcManager::bufferCalc()
{
    store({"CAAxis", "CAExpr"});
    if (!mayRun())
        return;
    PD()->bufferCalc(tagOf(axis), expr->text());
    replot();
}

void CalcManager::twoBufCalc()
{
    if (!numbersIn({buf1, buf2}))
        return;
    store({"CABuf1", "CABuf2", "CAOp"});
    const int a = integerOf(buf1), b = integerOf(buf2);
    const auto valid = [this](int index) { return index >= 0 && index < PD()->bufferCount(); };
    if (!PD() || !valid(a) || !valid(b)) {
        Alert::beep();
        return;
    }
    Alert::show(PD()->calcBuf(a, b, tagOf(op), AlertQuestions::instance()));
    replot();
}

void CalcManager::swapXY()
{
    if (!mayRun())
        return;
    forEachSelectedRow([&](int row) { PD()->swapXY(row); });
    updateAndReplot();
}
