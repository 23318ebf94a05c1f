#pragma once

// Modal questions to the user and the system beep. The platform layer only
// routes them: the GUI installs a handler that shows a message box, tests
// install ScriptedAlerts, and a headless run answers on stderr.

#include <QString>
#include <QStringList>

#include <deque>
#include <functional>
#include <initializer_list>
#include <vector>

class Alert {
public:
    struct Request {
        QString title;
        QString message;
        QStringList buttons; // never empty: a request without buttons gets "Ok"
    };

    struct Handler {
        // Returns the index of the chosen button in request.buttons.
        std::function<int(const Request& request)> run;
        std::function<void()> beep;
    };

    // Shows the alert and returns the chosen button, 0 being the first. An
    // answer outside the buttons counts as the first button.
    static int run(const QString& title, const QString& message, const QStringList& buttons = {});
    static void beep();

    // Installs a handler and returns the one it replaces. A handler without a
    // run (or beep) function falls back to the default for that part.
    static Handler setHandler(Handler handler);
    // The headless default: writes "title: message" to stderr and answers 0.
    static Handler defaultHandler();
};

// Test helper: while alive, answers alerts from a queue (the first button once
// the queue is empty), records every request and counts beeps. Restores the
// previous handler when it goes out of scope.
class ScriptedAlerts {
public:
    explicit ScriptedAlerts(std::initializer_list<int> answers = {});
    ~ScriptedAlerts();
    ScriptedAlerts(const ScriptedAlerts&) = delete;
    ScriptedAlerts& operator=(const ScriptedAlerts&) = delete;

    void answer(int buttonIndex) { answers_.push_back(buttonIndex); }
    const std::vector<Alert::Request>& requests() const { return requests_; }
    int beeps() const { return beeps_; }
    int pendingAnswers() const { return int(answers_.size()); }

private:
    Alert::Handler previous_;
    std::deque<int> answers_;
    std::vector<Alert::Request> requests_;
    int beeps_ = 0;
};
