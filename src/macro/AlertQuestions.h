#pragma once

// The controller's answers to the questions of the model and of io: each is
// asked with its alert, as the user has always seen it.

#include "model/Questions.h"

class AlertQuestions : public Questions {
public:
    // "Unsorted Buffer" with the buttons "Sort" and "Cancel".
    bool sortUnsortedBuffer() override;
    // "Binary Import Error", "file does not match byte count", with the
    // buttons "Continue" and "Cancel".
    bool readWholeRecordsOnly() override;
    // "Buffer has not a const. Dx and/or is unsorted!", "Fourier transform
    // works not correctly!", with the buttons "Continue" and "Cancel".
    bool continueWithUnevenSpacing() override;

    // The one instance every caller may pass in: it keeps no state.
    static AlertQuestions& instance();
};
