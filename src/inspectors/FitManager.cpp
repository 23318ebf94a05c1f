#include "inspectors/FitManager.h"

#include "app/PanelContext.h"
#include "inspectors/DoubleSlider.h"
#include "macro/AlertQuestions.h"
#include "model/VexaDocument.h"
#include "platform/Alert.h"
#include "platform/UserDefaults.h"
#include "util/NumberFormat.h"

#include "ui_fit.h"

#include <QButtonGroup>
#include <QPushButton>

FitManager::FitManager(PanelContext& context)
        : OperationPanel(context, QStringLiteral("Fit Inspector"))
        , ui_(new Ui::FitPanel)
{
    inspectorView = new QWidget;
    Ui::FitPanel& u = *ui_;
    u.setupUi(inspectorView);

    factor = u.factor;
    interval = u.interval;
    window = taggedCells(u.window);
    strength = u.strength;
    strengthSlider = u.strengthSlider;
    points = u.points;
    strengthSlider->setDoubleRange(1, 10, 0.1);
    shownStrength_ = doubleOf(strength);
    strengthSlider->setDoubleValue(shownStrength_);
    bind(strength);
    bind(strengthSlider);

    addSetting("FFTWindow", window);
    addSetting("Factor", factor, Stored::Integer);
    addSetting("DiffInterval", interval, Stored::Float);
    addSetting("SplinePoints", points, Stored::Integer);
    addSetting("SplineStrength", strength, Stored::Float);

    // clang-format off
    const struct {
        QPushButton* button;
        void (FitManager::*action)();
    } actions[] = {
        {u.fftButton,       &FitManager::doFFT},
        {u.reductionButton, &FitManager::reduction},
        {u.smoothButton,    &FitManager::smooth},
        {u.fftsmoothButton, &FitManager::fftsmooth},
        {u.splineButton,    &FitManager::spline},
        {u.integrateButton, &FitManager::integrate},
        {u.diffButton,      &FitManager::diff},
    };
    // clang-format on
    for (const auto& a : actions)
        connect(a.button, &QPushButton::clicked, this, [this, f = a.action] { (this->*f)(); });
}

FitManager::~FitManager() = default;

void FitManager::setup()
{
    for (const char* key : {"FFTWindow", "Factor", "DiffInterval", "SplinePoints"})
        restore(key);
    const QString strengthKey = QStringLiteral("SplineStrength");
    if (context_.userDefaults().contains(strengthKey))
        showStrength(context_.userDefaults().floatForKey(strengthKey));
}

void FitManager::showStrength(double value)
{
    Refresh refresh(*this);
    shownStrength_ = value;
    strengthSlider->setDoubleValue(value);
    strength->setText(formatNumberFixed(1, value));
}

void FitManager::didChange(QObject* sender)
{
    if (sender == strength)
        showStrength(numbersIn({strength}) ? doubleOf(strength) : shownStrength_);
    else if (sender == strengthSlider)
        showStrength(strengthSlider->doubleValue());
}

void FitManager::doFFT()
{
    store({"FFTWindow"});
    if (!mayRun())
        return;
    const int w = tagOf(window);
    forEachSelectedRow([&](int row) { Alert::show(PD()->doFFT(row, w, AlertQuestions::instance())); });
    updateAndReplot();
}

void FitManager::reduction()
{
    if (!numbersIn({factor}))
        return;
    store({"Factor"});
    if (!mayRun(Refusal::Silent))
        return;
    const int n = integerOf(factor);
    forEachSelectedRow([&](int row) { Alert::show(PD()->reduction(row, n)); });
    updateAndReplot();
}

void FitManager::smooth()
{
    if (!numbersIn({factor}))
        return;
    store({"Factor"});
    if (!mayRun())
        return;
    const int n = integerOf(factor);
    forEachSelectedRow([&](int row) { Alert::show(PD()->smooth(row, n)); });
    updateAndReplot();
}

void FitManager::fftsmooth()
{
    if (!numbersIn({factor}))
        return;
    store({"Factor"});
    if (!mayRun())
        return;
    const double width = integerOf(factor);
    forEachSelectedRow(
        [&](int row) { Alert::show(PD()->fftsmooth(row, width, AlertQuestions::instance())); });
    updateAndReplot();
}

void FitManager::spline()
{
    if (!numbersIn({points, strength}))
        return;
    store({"SplinePoints", "SplineStrength"});
    if (!mayRun())
        return;
    const int n = integerOf(points);
    const double s = doubleOf(strength);
    forEachSelectedRow([&](int row) { Alert::show(PD()->spline(row, n, s, AlertQuestions::instance())); });
    updateAndReplot();
}

void FitManager::integrate()
{
    if (!mayRun())
        return;
    forEachSelectedRow([&](int row) { Alert::show(PD()->integrate(row, AlertQuestions::instance())); });
    updateAndReplot();
}

void FitManager::diff()
{
    if (!numbersIn({interval}))
        return;
    store({"DiffInterval"});
    if (!mayRun())
        return;
    const double d = doubleOf(interval);
    forEachSelectedRow([&](int row) { Alert::show(PD()->diff(row, d, AlertQuestions::instance())); });
    updateAndReplot();
}
