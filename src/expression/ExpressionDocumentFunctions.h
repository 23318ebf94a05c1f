#pragma once

#include <cstdint>

// The built-in functions that read the current document. The expression
// library knows their names and arities only; the layer that owns documents
// supplies the values by installing an implementation. With none installed,
// every one of them answers 0, which is also their answer when there is no
// current document.
enum class DocFunction : uint8_t {
    // (buffer; point)
    XVal,
    YVal,
    XErr,
    YErr,
    // buffer
    XMin,
    XMax,
    YMin,
    YMax,
    Points,
    // no argument
    TXMin,
    TXMax,
    TYMin,
    TYMax,
    VXMin,
    VXMax,
    VYMin,
    VYMax,
    // (value; buffer)
    FindX,
    FindY,
    // (value; axis pair)
    XPoint,
    YPoint,
    XValue,
    YValue,
};

class ExpressionDocumentFunctions {
public:
    virtual ~ExpressionDocumentFunctions() = default;

    // Index and axis-pair arguments arrive already truncated toward zero to
    // 32-bit integers (saturated for values outside that range, 0 for NaN).
    virtual double pointValue(DocFunction which, int32_t buffer, int32_t point) = 0;
    virtual double bufferValue(DocFunction which, int32_t buffer) = 0;
    virtual double documentValue(DocFunction which) = 0;
    virtual double findValue(DocFunction which, double value, int32_t buffer) = 0;
    virtual double axisValue(DocFunction which, double value, int32_t pair) = 0;

    // One implementation serves the whole process (it reads the controller's
    // current document). Passing nullptr uninstalls it. The caller keeps
    // ownership and must uninstall before destroying it.
    static void install(ExpressionDocumentFunctions* functions);
    static ExpressionDocumentFunctions* installed();

    // Evaluates `which` with its arguments as doubles (unused ones ignored),
    // converting the integer arguments, through the installed implementation.
    static double call(DocFunction which, double a, double b);
};
