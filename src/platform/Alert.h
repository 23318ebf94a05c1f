#pragma once

// Modal questions to the user and the system beep. The platform layer only
// routes them: the GUI installs a handler that shows a message box, tests
// install ScriptedAlerts, and a headless run answers on stderr.

#include "platform/Outcome.h"

#include <QString>
#include <QStringList>

#include <deque>
#include <functional>
#include <initializer_list>
#include <optional>
#include <vector>

class Alert {
public:
    struct Request {
        QString title;
        QString message;
        QStringList buttons; // never empty: a request without buttons gets "Ok"
    };

    // A question answered with a line of text.
    struct InputRequest {
        QString title;
        QString message;
        QString defaultText; // what the answer field holds when it opens
    };

    struct Handler {
        // Returns the index of the chosen button in request.buttons.
        std::function<int(const Request& request)> run;
        std::function<void()> beep;
        // Returns the text entered, or nothing when the user cancelled.
        std::function<std::optional<QString>(const InputRequest& request)> input;
    };

    // Shows the alert and returns the chosen button, 0 being the first. An
    // answer outside the buttons counts as the first button.
    static int run(const QString& title, const QString& message, const QStringList& buttons = {});
    // Alerts with the one button "Ok" shown so far: each reports that
    // something failed or was refused. A macro run counts them among its
    // failures.
    static int reportsShown();
    // Shows a failed outcome, or a done one with a notice, as its alert with
    // the one button "Ok"; beeps for a refused one; nothing for any other.
    // True when an alert was shown.
    static bool show(const Outcome& outcome);
    static void beep();

    // Asks for a line of text; nothing when the question was cancelled (or
    // nobody can answer it, as in a headless run).
    static std::optional<QString> input(const QString& title, const QString& message,
                                        const QString& defaultText = QString());

    // Installs a handler and returns the one it replaces. A handler without a
    // run (beep, input) function falls back to the default for that part.
    static Handler setHandler(Handler handler);
    // The headless default: writes "title: message" to stderr and answers 0;
    // an input request is written the same way and counts as cancelled, since
    // nobody is there to type an answer.
    static Handler defaultHandler();
};

// Test helper: while alive, answers alerts from a queue (the first button once
// the queue is empty) and input requests from a queue of their own (the
// default text once it is empty, as if the user just confirmed), records
// every request and counts beeps. Restores the previous handler when it goes
// out of scope.
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

    // The next input request gets this text, or is cancelled.
    void answerInput(const QString& text) { inputAnswers_.emplace_back(text); }
    void cancelInput() { inputAnswers_.emplace_back(std::nullopt); }
    const std::vector<Alert::InputRequest>& inputRequests() const { return inputRequests_; }
    int pendingInputAnswers() const { return int(inputAnswers_.size()); }

private:
    Alert::Handler previous_;
    std::deque<int> answers_;
    std::vector<Alert::Request> requests_;
    std::deque<std::optional<QString>> inputAnswers_;
    std::vector<Alert::InputRequest> inputRequests_;
    int beeps_ = 0;
};
