#pragma once

// Turns a macro source into commands with the tokeniser script: the source
// goes to a temporary file, "/usr/bin/perl <script> <source file> <inline
// perl file>" writes the token listing to its standard output, and the
// listing is checked completely before any command is taken from it.
//
// The temporary source file and the inline perl file beside it are made
// exclusively (mode 0600) and removed with the tokeniser object, so a run
// keeps it until its end.

#include "platform/TempFile.h"

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

#include <memory>

// The tokeniser's output, every line ended by a line feed: line 0 the inline
// perl file (or empty), line 1 the number N of commands, then N token counts,
// then every token on a line of its own.
struct TokenListing {
    QString inlinePerl;
    QList<QStringList> commands;

    // Reads a listing. A listing that is short or cut off, holds a count that
    // is not a plain number, names more lines than it has, or names an inline
    // perl file other than `expectedInlinePerl` is refused with the reason.
    static bool parse(const QByteArray& output, const QString& expectedInlinePerl, TokenListing& listing,
                      QString* reason);
};

class MacroTokeniser {
public:
    enum class Failure { None, Exception, Listing };

    MacroTokeniser() = default;
    ~MacroTokeniser();
    MacroTokeniser(const MacroTokeniser&) = delete;
    MacroTokeniser& operator=(const MacroTokeniser&) = delete;

    // Tokenises the source with the script (empty: the bundled parsemacro).
    bool run(const QString& source, const QString& script = QString());

    Failure failure() const { return failure_; }
    // For Failure::Exception: what could not be done and why.
    const QString& exceptionName() const { return exceptionName_; }
    const QString& reason() const { return reason_; }
    const TokenListing& listing() const { return listing_; }
    // The inline perl file made for this run (exists while this object does).
    QString inlinePerlPath() const { return inlinePath_; }

    // The tokeniser gets this long before it counts as hung.
    static constexpr int timeoutMs = 60000;

private:
    bool fail(Failure failure, const QString& name, const QString& reason);

    std::unique_ptr<TempFile> file_;
    QString inlinePath_;
    TokenListing listing_;
    Failure failure_ = Failure::None;
    QString exceptionName_;
    QString reason_;
};
