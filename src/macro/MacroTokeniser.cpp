#include "macro/MacroTokeniser.h"

#include "macro/MacroResources.h"
#include "util/TempFiles.h"

#include <QMetaEnum>
#include <QProcess>

#include <algorithm>
#include <cstring>
#include <limits>

namespace {

// A count line: decimal digits only, within what a listing can hold.
bool readCount(const char* p, qsizetype n, qint64& value)
{
    if (n <= 0 || n > 10)
        return false;
    qint64 v = 0;
    for (qsizetype i = 0; i < n; ++i) {
        if (p[i] < '0' || p[i] > '9')
            return false;
        v = v * 10 + (p[i] - '0');
    }
    value = v;
    return true;
}

// The lines of a listing, one after the other; every line ends with a line
// feed (the listing was checked for its last one).
class Lines {
public:
    explicit Lines(const QByteArray& bytes)
            : data_(bytes.constData())
            , size_(bytes.size())
    {
    }
    bool atEnd() const { return at_ >= size_; }
    qint64 offset() const { return at_; }
    // The next line, without its line feed; false at the end.
    bool next(const char*& line, qsizetype& length)
    {
        if (atEnd())
            return false;
        const char* start = data_ + at_;
        const char* feed = static_cast<const char*>(std::memchr(start, '\n', std::size_t(size_ - at_)));
        line = start;
        length = feed - start;
        at_ += length + 1;
        return true;
    }
    // Moves past n lines; false when fewer are left.
    bool skip(qint64 n)
    {
        const char* line;
        qsizetype length;
        for (qint64 i = 0; i < n; ++i)
            if (!next(line, length))
                return false;
        return true;
    }
    // The same, and the length of the longest of them.
    bool skip(qint64 n, qsizetype& longest)
    {
        const char* line;
        qsizetype length;
        for (qint64 i = 0; i < n; ++i) {
            if (!next(line, length))
                return false;
            longest = std::max(longest, length);
        }
        return true;
    }

private:
    const char* data_;
    qsizetype size_;
    qint64 at_ = 0;
};

} // namespace

QStringList MacroCommandList::at(int i) const
{
    const std::size_t k = first_ + std::size_t(i);
    QStringList tokens;
    if (i < 0 || k >= starts_.size())
        return tokens;
    const char* p = bytes_.constData() + starts_[k];
    tokens.reserve(counts_[k]);
    for (qint32 t = 0; t < counts_[k]; ++t) {
        const char* feed = static_cast<const char*>(std::memchr(p, '\n', std::size_t(bytes_.constEnd() - p)));
        tokens.append(QString::fromUtf8(p, feed - p));
        p = feed + 1;
    }
    return tokens;
}

QList<QStringList> MacroCommandList::toList() const
{
    QList<QStringList> list;
    for (int i = 0; i < size(); ++i)
        list.append(at(i));
    return list;
}

bool TokenListing::parse(const QByteArray& output, const QString& expectedInlinePerl, TokenListing& listing,
                         QString* reason, bool* tooLong)
{
    auto refuse = [reason](const QString& why) {
        if (reason)
            *reason = why;
        return false;
    };
    listing = TokenListing();
    // Every line of a complete listing ends with a line feed; without the
    // last one the listing may have been cut off in the middle of a token.
    if (!output.endsWith('\n'))
        return refuse(QStringLiteral("the listing does not end with a line feed"));
    Lines lines(output);
    const char* line = nullptr;
    qsizetype length = 0;
    const char* countLine = nullptr;
    qsizetype countLength = 0;
    if (!lines.next(line, length) || !lines.next(countLine, countLength))
        return refuse(QStringLiteral("the listing has fewer than two lines"));
    // The run removes the inline perl file when it ends: only the one made
    // for this run may be named.
    const QString inlinePerl = QString::fromUtf8(line, length);
    if (!inlinePerl.isEmpty() && inlinePerl != expectedInlinePerl)
        return refuse(QStringLiteral("the listing names an unknown inline perl file"));
    qint64 n = 0;
    if (!readCount(countLine, countLength, n))
        return refuse(QStringLiteral("the command count is not a number"));

    // The counts, then the tokens they name: two walks over the lines, one
    // from the first count and one from the first token.
    Lines counts = lines;
    if (!lines.skip(n))
        return refuse(QStringLiteral("the listing is shorter than its command count"));
    MacroCommandList commands;
    commands.bytes_ = output;
    qsizetype longest = 0;
    for (qint64 k = 0; k < n; ++k) {
        qint64 c = 0;
        counts.next(line, length);
        if (!readCount(line, length, c))
            return refuse(QStringLiteral("a token count is not a number"));
        const qint64 start = lines.offset();
        if (c > std::numeric_limits<qint32>::max() || !lines.skip(c, longest))
            return refuse(QStringLiteral("the listing is shorter than its token counts"));
        if (longest > maxTokenBytes) {
            if (tooLong)
                *tooLong = true;
            return refuse(QStringLiteral("a token of the macro holds more than %1 bytes").arg(maxTokenBytes));
        }
        if (c > 0) {
            commands.starts_.push_back(start);
            commands.counts_.push_back(qint32(c));
        }
    }
    listing.inlinePerl = inlinePerl;
    listing.commands = std::move(commands);
    return true;
}

MacroTokeniser::~MacroTokeniser() = default;

bool MacroTokeniser::fail(Failure failure, const QString& name, const QString& reason)
{
    failure_ = failure;
    exceptionName_ = name;
    reason_ = reason;
    return false;
}

bool MacroTokeniser::run(const QString& source, const QString& script)
{
    failure_ = Failure::None;
    listing_ = TokenListing();

    QString error;
    file_ = makeTempFile(QStringLiteral(".tmp"), &error);
    if (!file_)
        return fail(Failure::Exception, QStringLiteral("TemporaryFileError"), error);
    int timeout = timeoutMs;
    {
        // Not kept for the run: a long macro's bytes would stay twice in memory.
        const QByteArray bytes = source.toUtf8();
        timeout = timeoutFor(bytes.size());
        if (!file_->write(bytes) || !file_->close())
            return fail(Failure::Exception, QStringLiteral("TemporaryFileError"),
                        QStringLiteral("could not write %1").arg(file_->path()));
    }
    inlinePath_ = file_->createCompanion(QStringLiteral(".pl"), &error);
    if (inlinePath_.isEmpty())
        return fail(Failure::Exception, QStringLiteral("TemporaryFileError"), error);

    const QString scriptPath
        = script.isEmpty() ? MacroResources::perlScript(QStringLiteral("parsemacro")) : script;
    if (scriptPath.isEmpty())
        return fail(Failure::Exception, QStringLiteral("ResourceNotFound"),
                    QStringLiteral("the tokeniser script parsemacro.pl was not found"));

    QProcess perl;
    perl.setProgram(QStringLiteral("/usr/bin/perl"));
    perl.setArguments({scriptPath, file_->path(), inlinePath_});
    perl.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    perl.setStandardInputFile(QProcess::nullDevice());
    perl.start();
    if (!perl.waitForStarted(timeoutMs)) {
        const char* key = QMetaEnum::fromType<QProcess::ProcessError>().valueToKey(perl.error());
        return fail(Failure::Exception, QString::fromLatin1(key ? key : "ProcessError"), perl.errorString());
    }
    if (!perl.waitForFinished(timeout)) {
        perl.kill();
        perl.waitForFinished(5000);
        return fail(Failure::Listing, QString(), QStringLiteral("the tokeniser did not finish"));
    }
    const QByteArray output = perl.readAllStandardOutput();
    if (perl.exitStatus() != QProcess::NormalExit)
        return fail(Failure::Listing, QString(), QStringLiteral("the tokeniser crashed"));
    if (perl.exitCode() != 0)
        return fail(Failure::Listing, QString(),
                    QStringLiteral("the tokeniser exited with status %1").arg(perl.exitCode()));
    QString why;
    bool tooLong = false;
    if (!TokenListing::parse(output, inlinePath_, listing_, &why, &tooLong))
        return fail(tooLong ? Failure::TokenTooLong : Failure::Listing, QString(), why);
    return true;
}
