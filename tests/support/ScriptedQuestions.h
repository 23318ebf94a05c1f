#pragma once

// Answers the questions of an operation from the test: every question gets
// `answer`, and each is counted.

#include "model/Questions.h"

class ScriptedQuestions : public Questions {
public:
    explicit ScriptedQuestions(bool answerGiven = true)
            : answer(answerGiven)
    {
    }

    bool answer;
    int sortAsked = 0;
    int recordsAsked = 0;
    int spacingAsked = 0;

    bool sortUnsortedBuffer() override
    {
        ++sortAsked;
        return answer;
    }
    bool readWholeRecordsOnly() override
    {
        ++recordsAsked;
        return answer;
    }
    bool continueWithUnevenSpacing() override
    {
        ++spacingAsked;
        return answer;
    }
};
