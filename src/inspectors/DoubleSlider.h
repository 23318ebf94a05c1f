#pragma once

// A slider over a range of doubles, in fixed steps (the text field beside it
// shows the exact value).

#include <QSlider>

class DoubleSlider : public QSlider {
public:
    explicit DoubleSlider(QWidget* parent = nullptr);

    // The range and the step the slider moves by; at most 100000 steps.
    void setDoubleRange(double minimum, double maximum, double step);
    double doubleValue() const;
    // The nearest step; a value outside the range pins the slider to its end.
    void setDoubleValue(double value);

private:
    double minimum_ = 0;
    double step_ = 0.1;
};
