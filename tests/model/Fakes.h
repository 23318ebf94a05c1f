#pragma once

// Small stand-ins for the controller, the window and the view, so that the
// model's change protocol can be watched.

#include "model/DocumentView.h"
#include "model/DocumentWindow.h"
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

class FakeWindow : public DocumentWindow {
public:
    QStringList tools = {QStringLiteral("select"), QStringLiteral("zoom"), QStringLiteral("text")};
    QString selected = QStringLiteral("select");
    int toolSelections = 0;
    double frame = 600, toolWidth = 180, valWidth = 60;
    bool toolHidden = false, valHidden = false;
    bool plain = true;
    bool edited = false;

    QString selectedToolTitle() const override { return selected; }
    void selectTool(const QString& title) override
    {
        ++toolSelections;
        for (const QString& t : tools)
            if (t == title)
                selected = t;
    }
    double frameViewWidth() const override { return frame; }
    double toolViewWidth() const override { return toolWidth; }
    bool toolViewHidden() const override { return toolHidden; }
    void setToolViewHidden(bool h) override { toolHidden = h; }
    double valViewWidth() const override { return valWidth; }
    bool valViewHidden() const override { return valHidden; }
    void setValViewHidden(bool h) override { valHidden = h; }
    bool isPlainWindow() const override { return plain; }
    void setDocumentEdited(bool e) override { edited = e; }
};
