#pragma once

// The questions an operation below the controller has to ask the user half-way
// through, before it goes on. The caller passes in whoever answers: the
// controller asks with its alerts (macro/AlertQuestions), a test answers
// from a script. The operation itself shows nothing.

class Questions {
public:
    virtual ~Questions() = default;

    // The buffer's x values are not ascending, and the operation needs them
    // so: true sorts the buffer and goes on, false cancels the operation.
    virtual bool sortUnsortedBuffer() = 0;
    // The file's size is no whole number of records: true reads the whole
    // records and leaves the bytes after them, false cancels the import.
    virtual bool readWholeRecordsOnly() = 0;
    // The buffer's x values are not evenly spaced (or not ascending), so a
    // Fourier transform of it is not exact: true goes on all the same, false
    // cancels the operation.
    virtual bool continueWithUnevenSpacing() = 0;
};
