#include "app/ConsoleLog.h"

#include "macro/Macro.h"

#include <QPlainTextEdit>
#include <QTextCharFormat>
#include <QTextCursor>

#include <algorithm>

ConsoleLog::ConsoleLog(int maximumLines)
        : maximumLines_(std::max(maximumLines, 1))
{
}

void ConsoleLog::append(const QString& text, bool error)
{
    if (text.isEmpty())
        return;
    QStringView rest(text);
    for (;;) {
        const qsizetype end = rest.indexOf(QLatin1Char('\n'));
        const QStringView piece = end < 0 ? rest : rest.left(end);
        if (!piece.isEmpty()) {
            Line& line = lines_.back();
            if (!line.empty() && line.back().error == error)
                line.back().text += piece;
            else
                line.push_back({piece.toString(), error});
        }
        if (end < 0)
            break;
        lines_.emplace_back();
        rest = rest.mid(end + 1);
    }
    while (lines_.size() > std::size_t(maximumLines_))
        lines_.pop_front();
    for (QPlainTextEdit* view : views())
        write(*view, text, error);
}

void ConsoleLog::clear()
{
    lines_.assign(1, Line());
    for (QPlainTextEdit* view : views())
        view->clear();
}

QString ConsoleLog::text() const
{
    QString out;
    bool first = true;
    for (const Line& line : lines_) {
        if (!first)
            out += QLatin1Char('\n');
        first = false;
        for (const Run& run : line)
            out += run.text;
    }
    return out;
}

void ConsoleLog::attach(QPlainTextEdit* view)
{
    if (!view || std::find(views_.begin(), views_.end(), view) != views_.end())
        return;
    view->setMaximumBlockCount(maximumLines_);
    view->clear();
    // Runs of one kind go in as one text, whatever lines they span: a log
    // of messages fills the view in one insertion.
    QString pending;
    bool pendingError = false;
    for (std::size_t i = 0; i < lines_.size(); ++i) {
        for (const Run& run : lines_[i]) {
            if (run.error != pendingError && !pending.isEmpty()) {
                write(*view, pending, pendingError);
                pending.clear();
            }
            pendingError = run.error;
            pending += run.text;
        }
        if (i + 1 < lines_.size())
            pending += QLatin1Char('\n');
    }
    write(*view, pending, pendingError);
    views_.emplace_back(view);
}

void ConsoleLog::revealEnd()
{
    for (QPlainTextEdit* view : views())
        view->ensureCursorVisible();
}

std::vector<QPlainTextEdit*> ConsoleLog::views()
{
    std::erase_if(views_, [](const QPointer<QPlainTextEdit>& v) { return v.isNull(); });
    std::vector<QPlainTextEdit*> out;
    out.reserve(views_.size());
    for (const auto& v : views_)
        out.push_back(v.data());
    return out;
}

void ConsoleLog::write(QPlainTextEdit& view, const QString& text, bool error)
{
    if (text.isEmpty())
        return;
    QTextCharFormat format;
    format.setForeground(error ? Macro::errorColor() : QColor(Qt::black));
    QTextCursor cursor(view.document());
    cursor.movePosition(QTextCursor::End);
    cursor.insertText(text, format);
}
