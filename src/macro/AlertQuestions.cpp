#include "macro/AlertQuestions.h"

#include "io/BinaryImport.h"
#include "platform/Alert.h"

bool AlertQuestions::sortUnsortedBuffer()
{
    return Alert::run(QStringLiteral("Unsorted Buffer"),
                      QStringLiteral("for this operation your need a buffer with sorted X values"),
                      {QStringLiteral("Sort"), QStringLiteral("Cancel")})
        == 0;
}

bool AlertQuestions::readWholeRecordsOnly()
{
    return Alert::run(BinaryImport::alertTitle(), QStringLiteral("file does not match byte count"),
                      {QStringLiteral("Continue"), QStringLiteral("Cancel")})
        == 0;
}

bool AlertQuestions::continueWithUnevenSpacing()
{
    return Alert::run(QStringLiteral("Buffer has not a const. Dx and/or is unsorted!"),
                      QStringLiteral("Fourier transform works not correctly!"),
                      {QStringLiteral("Continue"), QStringLiteral("Cancel")})
        == 0;
}

AlertQuestions& AlertQuestions::instance()
{
    static AlertQuestions questions;
    return questions;
}
