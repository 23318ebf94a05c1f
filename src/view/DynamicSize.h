#pragma once

// The per-point size of a buffer's symbols and sticks: its `dynsize`
// expression, evaluated for each point with the point's values and the
// buffer's place in the document as variables. Parse failures stay silent;
// the size is then not dynamic.

#include "expression/Expression.h"

#include <QString>

class ManagerServices;

class DynamicSize {
public:
    // The values a point offers the expression.
    struct Point {
        double x = 0, y = 0, ex = 0, ey = 0;
        int bn = 0; // buffer number
        int nb = 0; // number of buffers
        int cb = 0; // current buffer
        int np = 0; // points of the buffer
        int dp = 0; // point number
    };

    // An empty text is never dynamic. The controller's numeric variables and
    // its numbered list are visible to the expression.
    DynamicSize(const QString& text, const ManagerServices* services);

    bool valid() const { return valid_; }
    // The size at a point; only meaningful when valid().
    double value(const Point& point);

private:
    Expression expression_;
    bool valid_ = false;
    int slots_[9] = {-1, -1, -1, -1, -1, -1, -1, -1, -1};
};
