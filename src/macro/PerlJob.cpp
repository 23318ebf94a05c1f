#include "macro/PerlJob.h"

#include "macro/MacroResources.h"
#include "platform/RegularFile.h"
#include "platform/TempFile.h"
#include "util/TempFiles.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QMetaEnum>
#include <QProcess>
#include <QTimer>

#include <algorithm>

#include <csignal>

#include <fcntl.h>
#include <sys/prctl.h>
#include <sys/resource.h>
#include <unistd.h>

namespace {

QString& scriptFolderOverride()
{
    static QString folder;
    return folder;
}

qint64& fileLimit()
{
    // The log is shown up to maxLogBytes; what goes far beyond that is a
    // loop printing, which must not fill the disk.
    static qint64 limit = qint64(64) << 20;
    return limit;
}

// Sends the signal to perl's process group: perl and whatever it started.
void signalGroup(qint64 leader, int signal)
{
    if (leader > 0)
        ::kill(-pid_t(leader), signal);
}

qsizetype& outputLimit()
{
    // A million points with both errors take 40 MB; a result of a gigabyte
    // is far beyond anything a graph shows and only ties up the memory.
    static qsizetype limit = qsizetype(1024) * 1024 * 1024;
    return limit;
}

QString scriptPath(const QString& name)
{
    const QString& folder = scriptFolderOverride();
    if (folder.isEmpty())
        return MacroResources::perlScript(name);
    const QString path = QDir(folder).filePath(name + QStringLiteral(".pl"));
    return QFile::exists(path) ? path : QString();
}

bool readScript(const QString& name, QByteArray& bytes, QString* reason)
{
    const QString path = scriptPath(name);
    // Our scripts take a few kilobytes.
    RegularFile::Contents file = RegularFile::read(path, qint64(1) << 20);
    if (path.isEmpty() || file.outcome != RegularFile::Outcome::Read) {
        *reason = QStringLiteral("the perl script %1.pl was not found").arg(name);
        return false;
    }
    bytes = std::move(file.bytes);
    return true;
}

} // namespace

// A million points make millions of small perl values spread over a few
// hundred megabytes, and with ordinary pages perl spends as long on page
// faults and address translation as on the code itself. A C library that
// does not know the setting ignores it.
QProcessEnvironment PerlJob::environment()
{
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    const QString key = QStringLiteral("GLIBC_TUNABLES");
    const QString hugePages = QStringLiteral("glibc.malloc.hugetlb=1");
    const QString given = environment.value(key);
    if (!given.contains(QLatin1String("glibc.malloc.hugetlb=")))
        environment.insert(key, given.isEmpty() ? hugePages : given + QLatin1Char(':') + hugePages);
    return environment;
}

void PerlJob::setScriptFolder(const QString& folder)
{
    scriptFolderOverride() = folder;
}

qint64 PerlJob::maxFileBytes()
{
    return fileLimit();
}

void PerlJob::setMaxFileBytes(qint64 bytes)
{
    fileLimit() = bytes;
}

qsizetype PerlJob::maxOutputBytes()
{
    return outputLimit();
}

void PerlJob::setMaxOutputBytes(qsizetype bytes)
{
    outputLimit() = bytes;
}

PerlJob::PerlJob(Done done)
        : QObject(QCoreApplication::instance())
        , done_(std::move(done))
{
}

PerlJob::~PerlJob()
{
    if (process_ && process_->state() != QProcess::NotRunning) {
        process_->disconnect();
        signalGroup(group_, SIGKILL);
        process_->kill();
        process_->waitForFinished(5000);
    }
}

PerlJob* PerlJob::start(Kind kind, const QString& code, const QString& importPath, const QByteArray& input,
                        Done done)
{
    auto* job = new PerlJob(std::move(done));
    QString name, reason;
    if (!job->setUp(kind, code, importPath, &name, &reason)) {
        job->failToStart(name, reason);
        return job;
    }

    QProcess* p = job->process_;
    QObject::connect(p, &QProcess::readyReadStandardOutput, job, [job] { job->readOutput(); });
    QObject::connect(p, &QProcess::readyReadStandardError, job, [job] { job->readErrors(); });
    QObject::connect(p, &QProcess::finished, job, [job] { job->finish(); });
    QObject::connect(p, &QProcess::errorOccurred, job, [job](QProcess::ProcessError error) {
        // A failed write (perl ended without reading all of its input) and a
        // crash are followed by the end of the process; only a process that
        // never started has no end to wait for.
        if (error != QProcess::FailedToStart)
            return;
        const char* key = QMetaEnum::fromType<QProcess::ProcessError>().valueToKey(error);
        job->failToStart(QString::fromLatin1(key ? key : "ProcessError"), job->process_->errorString());
    });
    p->start();
    job->group_ = p->processId();
    // Qt feeds the pipe as perl takes the bytes, and closes it after the
    // last one.
    p->write(input);
    p->closeWriteChannel();
    return job;
}

bool PerlJob::setUp(Kind kind, const QString& code, const QString& importPath, QString* name, QString* reason)
{
    QByteArray before, after;
    const QString pre = kind == Kind::Filter ? QStringLiteral("pfpre") : QStringLiteral("pipre");
    if (!readScript(pre, before, reason) || !readScript(QStringLiteral("pipost"), after, reason)) {
        *name = QStringLiteral("ResourceNotFound");
        return false;
    }
    *name = QStringLiteral("TemporaryFileError");
    script_ = makeTempFile(QStringLiteral(".tmp"), reason);
    if (!script_)
        return false;
    // The code as UTF-8: the texts perl hands back are read as UTF-8, so a
    // text written in the code comes back as it was typed.
    QByteArray body = before;
    body += code.toUtf8();
    body += after;
    if (!script_->write(body) || !script_->close()) {
        *reason = QStringLiteral("could not write %1").arg(script_->path());
        return false;
    }
    logPath_ = script_->createCompanion(QStringLiteral(".log"), reason);
    if (logPath_.isEmpty())
        return false;

    process_ = new QProcess(this);
    process_->setProgram(QStringLiteral("/usr/bin/perl"));
    const QString path = script_->path();
    process_->setArguments(kind == Kind::Filter ? QStringList{path, path}
                                                : QStringList{path, importPath, path});
    process_->setProcessEnvironment(environment());
    // Apart, so that a warning can never land in the middle of the result.
    process_->setProcessChannelMode(QProcess::SeparateChannels);
    // Wider pipes for the streams: a million points cross in a few dozen
    // turns instead of hundreds. Runs in the child, where the pipes are 0
    // and 1; a refusal leaves the usual size.
    //
    // Perl ends with us, however we end (a kill -9 included): the kernel
    // kills it when we go, and when we went before it got that far it ends
    // itself. It leads a process group of its own, so that stopping it
    // stops what it started too. No file it writes (the log above all)
    // grows past maxFileBytes: a write beyond fails instead of filling the
    // disk, and the run fails with it.
    const pid_t parent = ::getpid();
    const rlimit fileSize{rlim_t(fileLimit()), rlim_t(fileLimit())};
    process_->setChildProcessModifier([parent, fileSize] {
        ::fcntl(0, F_SETPIPE_SZ, 1 << 20);
        ::fcntl(1, F_SETPIPE_SZ, 1 << 20);
        ::setpgid(0, 0);
        ::prctl(PR_SET_PDEATHSIG, SIGKILL);
        if (::getppid() != parent)
            ::_exit(127);
        ::signal(SIGXFSZ, SIG_IGN);
        ::setrlimit(RLIMIT_FSIZE, &fileSize);
    });
    return true;
}

bool PerlJob::running() const
{
    return process_ && !finished_ && process_->state() != QProcess::NotRunning;
}

void PerlJob::terminate()
{
    if (!running())
        return;
    signalGroup(group_, SIGTERM);
    QTimer::singleShot(killGraceMs, this, [this] {
        if (running())
            signalGroup(group_, SIGKILL);
    });
}

void PerlJob::readOutput()
{
    if (outcome_.outputTooLarge) {
        process_->readAllStandardOutput();
        return;
    }
    const QByteArray bytes = process_->readAllStandardOutput();
    if (outcome_.output.size() + bytes.size() > outputLimit()) {
        outcome_.outputTooLarge = true;
        outcome_.output.clear();
        outcome_.output.squeeze();
        process_->kill();
        return;
    }
    // Room made by doubling: the pipe hands a large result over in many
    // pieces, and growing by each piece would copy it over and over.
    const qsizetype wanted = outcome_.output.size() + bytes.size();
    if (wanted > outcome_.output.capacity())
        outcome_.output.reserve(std::max(wanted, 2 * outcome_.output.capacity()));
    outcome_.output += bytes;
}

void PerlJob::readErrors()
{
    const QByteArray bytes = process_->readAllStandardError();
    const qsizetype room = maxErrorBytes - outcome_.errors.size();
    if (room > 0)
        outcome_.errors += bytes.left(room);
}

void PerlJob::failToStart(const QString& name, const QString& reason)
{
    if (finished_)
        return;
    finished_ = true;
    outcome_.launched = false;
    outcome_.exceptionName = name;
    outcome_.reason = reason;
    script_.reset();
    // Reported from the event loop, never from inside start(): the caller
    // has finished setting up before it hears of the end.
    QTimer::singleShot(0, this, [this] {
        if (done_)
            done_(outcome_);
        deleteLater();
    });
}

void PerlJob::finish()
{
    if (finished_)
        return;
    finished_ = true;
    // Whatever perl left running in its group ends with the run.
    signalGroup(group_, SIGKILL);
    readOutput();
    readErrors();
    outcome_.launched = true;
    outcome_.crashed = process_->exitStatus() == QProcess::CrashExit;
    outcome_.status = process_->exitCode();
    // A killed perl always counts as failed, whatever number the signal has.
    if (outcome_.crashed && outcome_.status == 0)
        outcome_.status = 1;
    if (outcome_.outputTooLarge && outcome_.status == 0)
        outcome_.status = 1;

    QFile log(logPath_);
    if (!logPath_.isEmpty() && log.open(QIODevice::ReadOnly)) {
        const qint64 size = log.size();
        QByteArray text = log.read(maxLogBytes);
        outcome_.log = QString::fromUtf8(text);
        if (size > maxLogBytes)
            outcome_.log += QStringLiteral("\n[the log goes on for %1 more bytes]\n").arg(size - maxLogBytes);
    }
    // Gone before anyone hears of the end.
    script_.reset();
    if (done_)
        done_(outcome_);
    deleteLater();
}
