#include "inspectors/DoubleSlider.h"

#include <algorithm>
#include <cmath>

DoubleSlider::DoubleSlider(QWidget* parent)
        : QSlider(Qt::Horizontal, parent)
{
    setFocusPolicy(Qt::NoFocus);
    setDoubleRange(0, 10, 0.1);
}

void DoubleSlider::setDoubleRange(double minimum, double maximum, double step)
{
    if (!(step > 0) || !(maximum > minimum))
        return;
    minimum_ = minimum;
    step_ = step;
    setRange(0, int(std::min(100000.0, std::round((maximum - minimum) / step))));
}

double DoubleSlider::doubleValue() const
{
    return minimum_ + value() * step_;
}

void DoubleSlider::setDoubleValue(double value)
{
    const double steps = (value - minimum_) / step_;
    if (std::isnan(steps))
        return;
    setValue(int(std::clamp(std::round(steps), double(minimum()), double(maximum()))));
}
