#pragma once

// One run of a perl filter or perl import: the user's code joined between
// our scripts (resources/perl/pfpre.pl or pipre.pl before it, pipost.pl
// after it) into a temporary script file, run as
//   /usr/bin/perl <script> <script>                (filter)
//   /usr/bin/perl <script> <import file> <script>  (import)
// with the input stream (PerlStreams.h) on its standard input. The script
// writes the result stream to standard output and what the code prints to
// the log file <script>.log.
//
// The job runs on the main thread's event loop: perl is fed and read through
// Qt's asynchronous pipes, so the user interface stays responsive and a
// macro that waits for the job keeps the loop turning. Paths and texts reach
// perl only as process arguments or through the input stream, never inside
// perl code or a shell line.
//
// The script and the log are made exclusively with mode 0600 and are gone
// before the job reports its end, however it ended. A job still running when
// it is destroyed (the application quits) is killed, and perl dies with the
// program when the program is killed; perl and whatever it started form a
// process group of their own, which ends with the job.

#include <QByteArray>
#include <QObject>
#include <QProcessEnvironment>
#include <QString>
#include <QStringList>

#include <functional>
#include <memory>

class QProcess;
class TempFile;

class PerlJob : public QObject {
public:
    enum class Kind { Filter, Import };

    struct Outcome {
        // False when the job could not be set up or perl could not be
        // started: exceptionName and reason say what and why.
        bool launched = false;
        QString exceptionName;
        QString reason;
        // Exit status; the signal's number when perl was killed by one.
        int status = 0;
        bool crashed = false; // ended by a signal
        QByteArray output; // standard output: the result stream
        QByteArray errors; // standard error, its first maxErrorBytes
        // Perl wrote more than maxOutputBytes: it was ended and the output
        // dropped.
        bool outputTooLarge = false;
        QString log; // the log file's text (UTF-8)
    };
    using Done = std::function<void(const Outcome&)>;

    // The job owns itself once started: it deletes itself after `done` has
    // run (or with the application object, when that goes first).
    static PerlJob* start(Kind kind, const QString& code, const QString& importPath, const QByteArray& input,
                          Done done);

    // Ends perl and its process group: SIGTERM, then SIGKILL when perl is
    // still there after killGraceMs (a script may ignore SIGTERM).
    void terminate();
    bool running() const;

    ~PerlJob() override;

    // Where the scripts pfpre.pl, pipre.pl and pipost.pl are read from;
    // empty (the default) means the program's resources.
    static void setScriptFolder(const QString& folder);

    // The environment perl runs in: ours, with perl's memory allocator asked
    // to use huge pages.
    static QProcessEnvironment environment();

    static constexpr qsizetype maxErrorBytes = 64 * 1024;
    static constexpr qsizetype maxLogBytes = 1024 * 1024;
    static constexpr int killGraceMs = 3000;
    // The largest result stream taken; beyond it the job is ended.
    static qsizetype maxOutputBytes();
    static void setMaxOutputBytes(qsizetype bytes);
    // The largest file perl may write (the log above all); a write beyond
    // it fails, and so does the run.
    static qint64 maxFileBytes();
    static void setMaxFileBytes(qint64 bytes);

private:
    PerlJob(Done done);
    bool setUp(Kind kind, const QString& code, const QString& importPath, QString* name, QString* reason);
    void readOutput();
    void readErrors();
    void finish();
    void failToStart(const QString& name, const QString& reason);

    Done done_;
    std::unique_ptr<TempFile> script_;
    QString logPath_;
    QProcess* process_ = nullptr;
    qint64 group_ = 0; // perl's process id, which is its group's
    Outcome outcome_;
    bool finished_ = false;
};
