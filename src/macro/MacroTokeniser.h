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

#include <algorithm>
#include <memory>
#include <vector>

// The commands of a token listing, kept as the listing's bytes and where each
// command's tokens begin: a macro of a hundred megabytes costs little more
// than its listing, not a text object per token. A command's tokens become
// texts when the command is taken.
class MacroCommandList {
public:
    int size() const { return int(starts_.size() - first_); }
    bool isEmpty() const { return size() == 0; }
    // The tokens of command i (0 <= i < size()).
    QStringList at(int i) const;
    QStringList operator[](int i) const { return at(i); }
    QStringList first() const { return at(0); }
    void removeFirst()
    {
        if (!isEmpty())
            ++first_;
    }
    QList<QStringList> toList() const;

private:
    friend struct TokenListing;
    QByteArray bytes_;
    std::vector<qint64> starts_; // offset of each command's first token line
    std::vector<qint32> counts_; // and its number of tokens
    std::size_t first_ = 0;
};

// The tokeniser's output, every line ended by a line feed: line 0 the inline
// perl file (or empty), line 1 the number N of commands, then N token counts,
// then every token on a line of its own.
struct TokenListing {
    // The longest token (a word or a text argument) a macro may have: a
    // token becomes several texts on its way to a command, each twice its
    // bytes.
    static constexpr qsizetype maxTokenBytes = qsizetype(16) << 20;

    QString inlinePerl;
    MacroCommandList commands;

    // Reads a listing. A listing that is short or cut off, holds a count that
    // is not a plain number, names more lines than it has, or names an inline
    // perl file other than `expectedInlinePerl` is refused with the reason;
    // so is one with a token longer than maxTokenBytes, and then `tooLong`
    // (when given) is set.
    static bool parse(const QByteArray& output, const QString& expectedInlinePerl, TokenListing& listing,
                      QString* reason, bool* tooLong = nullptr);
};

class MacroTokeniser {
public:
    // Listing: the tokeniser failed or wrote a listing we cannot read;
    // TokenTooLong: the macro has a token longer than we take.
    enum class Failure { None, Exception, Listing, TokenTooLong };

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
    // The commands, moved out of the listing.
    MacroCommandList takeCommands() { return std::move(listing_.commands); }
    // The inline perl file made for this run (exists while this object does).
    QString inlinePerlPath() const { return inlinePath_; }

    // The tokeniser gets this long before it counts as hung, and a second
    // more for every megabyte of source (it reads some four per second).
    static constexpr int timeoutMs = 60000;
    static int timeoutFor(qsizetype sourceBytes)
    {
        return timeoutMs + int(std::min<qsizetype>(sourceBytes >> 20, 1 << 20)) * 1000;
    }

private:
    bool fail(Failure failure, const QString& name, const QString& reason);

    std::unique_ptr<TempFile> file_;
    QString inlinePath_;
    TokenListing listing_;
    Failure failure_ = Failure::None;
    QString exceptionName_;
    QString reason_;
};
