#pragma once

// The lines of the macro console, kept by the controller whether or not a
// view shows them: each line a run of texts, each text a message or an
// error. The log keeps at most maximumLines() lines (a timer macro that
// prints for days must not eat the memory); the oldest go first, as from a
// text view with that many blocks. A view attached to the log shows every
// line it holds and every line written later, errors in dark red and
// messages in black; a view deleted elsewhere simply drops out.
//
// Main thread only.

#include <QPointer>
#include <QString>

#include <deque>
#include <vector>

class QPlainTextEdit;

class ConsoleLog {
public:
    struct Run {
        QString text;
        bool error = false;
        friend bool operator==(const Run&, const Run&) = default;
    };
    using Line = std::vector<Run>;

    static constexpr int defaultMaximumLines = 100000;
    explicit ConsoleLog(int maximumLines = defaultMaximumLines);

    // Adds the text (any number of lines, the last one left open unless the
    // text ends with a line feed) to the log and to every attached view.
    void append(const QString& text, bool error);
    void clear();

    // The log as a view shows it: its lines joined by line feeds.
    QString text() const;
    const std::deque<Line>& lines() const { return lines_; }
    int maximumLines() const { return maximumLines_; }
    // True when the last line holds nothing yet.
    bool atLineStart() const { return lines_.back().empty(); }

    // The view shows the log from now on: filled with what it holds, given
    // the same limit of lines.
    void attach(QPlainTextEdit* view);
    // Scrolls every attached view to the last line.
    void revealEnd();

private:
    std::vector<QPlainTextEdit*> views();
    static void write(QPlainTextEdit& view, const QString& text, bool error);

    int maximumLines_;
    std::deque<Line> lines_{Line()};
    std::vector<QPointer<QPlainTextEdit>> views_;
};
