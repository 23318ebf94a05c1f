#pragma once

// What an operation came to, as a value: the layer that did the work says
// what happened and in which words, and the layer at the top (the
// controller, a macro run, a headless run) decides whether that becomes an
// alert, a console line or an exit status.
//
// The title is the alert's title for the message: the one the user has
// always seen for this failure ("File Open Error", "EPICS Error"). A failure
// of a library that numbers its errors keeps that number as its code.

#include <QString>

class Outcome {
public:
    enum class Kind {
        Done, // it happened; a notice may come with it (message not empty)
        Cancelled, // the user said no to a question; no failure
        Empty, // nothing to work on (no such file, no numbers in it): not alerted
        Failed, // an error the user is told of
    };

    Outcome() = default;

    static Outcome done() { return {}; }
    // Done, with something the user is told all the same.
    static Outcome notice(const QString& title, const QString& message)
    {
        return {Kind::Done, title, message};
    }
    static Outcome cancelled() { return {Kind::Cancelled, {}, {}}; }
    static Outcome empty(const QString& message) { return {Kind::Empty, {}, message}; }
    // Empty, and the user hears it: the values given leave the operation
    // nothing to do, which is told by a beep and not by an alert.
    static Outcome refused(const QString& message)
    {
        Outcome o{Kind::Empty, {}, message};
        o.beeps_ = true;
        return o;
    }
    static Outcome failed(const QString& message, const QString& title = {}, int code = 0)
    {
        return {Kind::Failed, title, message, code};
    }

    Kind kind() const { return kind_; }
    bool ok() const { return kind_ == Kind::Done; }
    bool isFailure() const { return kind_ == Kind::Failed || kind_ == Kind::Empty; }
    const QString& title() const { return title_; }
    const QString& message() const { return message_; }
    int code() const { return code_; }
    // Told by a beep (refused()).
    bool beeps() const { return beeps_; }

    // The same outcome under another alert title.
    Outcome titled(const QString& title) const
    {
        Outcome o = *this;
        o.title_ = title;
        return o;
    }

    friend bool operator==(const Outcome&, const Outcome&) = default;

private:
    Outcome(Kind kind, const QString& title, const QString& message, int code = 0)
            : kind_(kind)
            , title_(title)
            , message_(message)
            , code_(code)
    {
    }

    Kind kind_ = Kind::Done;
    QString title_;
    QString message_;
    int code_ = 0;
    bool beeps_ = false;
};
