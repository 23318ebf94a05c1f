#pragma once

// The expression functions that read a graph: point values, buffer and
// document extents, interpolation along a buffer, and conversions between
// data values and view coordinates. They read the current drawing document
// (CPD) of the controller they are made for and change nothing.

#include "expression/ExpressionDocumentFunctions.h"

class DataBuffer;
class ManagerServices;
class VexaDocument;

class DocumentFunctions : public ExpressionDocumentFunctions {
public:
    explicit DocumentFunctions(const ManagerServices& controller)
            : controller_(controller)
    {
    }

    double pointValue(DocFunction which, int32_t buffer, int32_t point) override;
    double bufferValue(DocFunction which, int32_t buffer) override;
    double documentValue(DocFunction which) override;
    double findValue(DocFunction which, double value, int32_t buffer) override;
    double axisValue(DocFunction which, double value, int32_t pair) override;

    // The y of the buffer at x along its first segment that spans x (the
    // mean of a vertical segment's ends); 0 when none does.
    static double findy(const DataBuffer& b, double x);
    // The same with the roles of x and y exchanged.
    static double findx(const DataBuffer& b, double y);

private:
    VexaDocument* currentDocument() const;
    const DataBuffer* buffer(int32_t index) const;

    const ManagerServices& controller_;
};
