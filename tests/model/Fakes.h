#pragma once

// Small stand-ins for the controller and the view, so that the model's
// change protocol can be watched.

#include "model/DocumentView.h"
#include "model/ManagerServices.h"
#include "support/ScriptedQuestions.h"

#include <QHash>
#include <QString>
#include <QStringList>

#include <vector>

class FakeManager : public ManagerServices {
public:
    int updates = 0;
    QString tool = QStringLiteral("select");
    bool toolbar = false;
    std::vector<int> selectedRows;

    void update() override { ++updates; }
    QString mouseModeTitle() const override { return tool; }
    bool toolbarSwitch() const override { return toolbar; }
    std::vector<int> selectedBufferRows() const override { return selectedRows; }
};

// Installs a FakeManager as the shared controller for the test's lifetime.
class SharedFakeManager : public FakeManager {
public:
    SharedFakeManager()
            : previous_(ManagerServices::shared())
    {
        ManagerServices::setShared(this);
    }
    ~SharedFakeManager() override { ManagerServices::setShared(previous_); }

private:
    ManagerServices* previous_;
};

class FakeView : public DocumentView {
public:
    int displays = 0;
    void displayNow() override { ++displays; }
};
