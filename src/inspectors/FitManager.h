#pragma once

// The fit panel (key "fit"): spectrum, data reduction, smoothing, FFT
// smoothing, spline, running integral and derivative of each selected
// buffer, each result a new buffer.

#include "inspectors/OperationPanel.h"

#include <memory>

class DoubleSlider;

namespace Ui {
class FitPanel;
}

class FitManager : public OperationPanel {
public:
    explicit FitManager(PanelContext& context);
    ~FitManager() override;

    void setup() override;
    // The strength field and its slider show one value; any other sender
    // only refreshes the document references.
    void didChange(QObject* sender) override;

    // The actions of the panel's buttons.
    void doFFT();
    void reduction();
    void smooth();
    void fftsmooth();
    void spline();
    void integrate();
    void diff();

    // The outlets.
    QLineEdit* factor = nullptr; // block length, smoothing width (integer)
    QLineEdit* interval = nullptr; // x interval of the derivative
    QButtonGroup* window = nullptr; // FFTWindow tags
    QLineEdit* strength = nullptr;
    DoubleSlider* strengthSlider = nullptr;
    QLineEdit* points = nullptr; // spline points per interval (integer)

    const Ui::FitPanel& ui() const { return *ui_; }

private:
    // Shows the strength in the field and on the slider, and keeps it.
    void showStrength(double value);
    std::unique_ptr<Ui::FitPanel> ui_;
    double shownStrength_ = 0; // what a refused typing shows again
};
