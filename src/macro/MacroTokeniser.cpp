#include "macro/MacroTokeniser.h"

#include "macro/MacroResources.h"
#include "util/TempFiles.h"

#include <QMetaEnum>
#include <QProcess>

namespace {

// A count line: decimal digits only, within what a listing can hold.
bool readCount(const QString& line, qint64& value)
{
    if (line.isEmpty() || line.size() > 10)
        return false;
    qint64 v = 0;
    for (QChar c : line) {
        if (c < QLatin1Char('0') || c > QLatin1Char('9'))
            return false;
        v = v * 10 + (c.unicode() - '0');
    }
    value = v;
    return true;
}

} // namespace

bool TokenListing::parse(const QByteArray& output, const QString& expectedInlinePerl, TokenListing& listing,
                         QString* reason)
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
    const QStringList lines = QString::fromUtf8(output.first(output.size() - 1)).split(QLatin1Char('\n'));
    if (lines.size() < 2)
        return refuse(QStringLiteral("the listing has fewer than two lines"));
    // The run removes the inline perl file when it ends: only the one made
    // for this run may be named.
    if (!lines[0].isEmpty() && lines[0] != expectedInlinePerl)
        return refuse(QStringLiteral("the listing names an unknown inline perl file"));
    qint64 n = 0;
    if (!readCount(lines[1], n))
        return refuse(QStringLiteral("the command count is not a number"));
    const qint64 total = lines.size();
    if (2 + n > total)
        return refuse(QStringLiteral("the listing is shorter than its command count"));
    qint64 p = 2 + n;
    QList<QStringList> commands;
    for (qint64 k = 0; k < n; ++k) {
        qint64 c = 0;
        if (!readCount(lines[2 + k], c))
            return refuse(QStringLiteral("a token count is not a number"));
        if (c > total - p)
            return refuse(QStringLiteral("the listing is shorter than its token counts"));
        if (c > 0)
            commands.append(lines.mid(p, c));
        p += c;
    }
    listing.inlinePerl = lines[0];
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
    if (!file_->write(source.toUtf8()) || !file_->close())
        return fail(Failure::Exception, QStringLiteral("TemporaryFileError"),
                    QStringLiteral("could not write %1").arg(file_->path()));
    inlinePath_ = file_->createCompanion(QStringLiteral(".pl"), &error);
    if (inlinePath_.isEmpty())
        return fail(Failure::Exception, QStringLiteral("TemporaryFileError"), error);

    const QString scriptPath = script.isEmpty() ? MacroResources::perlScript(QStringLiteral("parsemacro")) : script;
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
    if (!perl.waitForFinished(timeoutMs)) {
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
    if (!TokenListing::parse(output, inlinePath_, listing_, &why))
        return fail(Failure::Listing, QString(), why);
    return true;
}
