#pragma once

// A program run as a child process the way a user without a screen runs it:
// no display unless one is given, the settings kept in the working folder's
// config/, its output and exit status collected.

#include <QProcess>
#include <QProcessEnvironment>
#include <QString>
#include <QStringList>

namespace TestSupport {

struct ChildRun {
    bool finished = false; // false: it did not start, or was killed after the time limit
    int exitCode = -1; // -1 also when it ended by a signal
    QString out, err;
};

inline ChildRun runChild(const QString& program, const QStringList& arguments,
                         const QString& workingDirectory, const QString& display = QString(),
                         const QProcessEnvironment& extra = QProcessEnvironment())
{
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    // The program must find out by itself that there is no screen.
    env.remove(QStringLiteral("QT_QPA_PLATFORM"));
    env.remove(QStringLiteral("WAYLAND_DISPLAY"));
    env.remove(QStringLiteral("DISPLAY"));
    if (!display.isEmpty())
        env.insert(QStringLiteral("DISPLAY"), display);
    env.insert(QStringLiteral("XDG_CONFIG_HOME"), workingDirectory + QStringLiteral("/config"));
    env.insert(extra);

    QProcess p;
    p.setProcessEnvironment(env);
    p.setWorkingDirectory(workingDirectory);
    p.start(program, arguments);
    ChildRun r;
    if (!p.waitForStarted(10000))
        return r;
    r.finished = p.waitForFinished(100000);
    if (!r.finished) {
        p.kill();
        p.waitForFinished(5000);
        return r;
    }
    r.exitCode = p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
    r.out = QString::fromLocal8Bit(p.readAllStandardOutput());
    r.err = QString::fromLocal8Bit(p.readAllStandardError());
    return r;
}

// Standard output of a program of poppler-utils (pdffonts, pdftotext,
// pdfinfo) run with the arguments; empty when it failed.
inline QString popplerTool(const char* tool, const QStringList& arguments)
{
    QProcess p;
    p.start(QLatin1String(tool), arguments);
    if (!p.waitForFinished(30000) || p.exitStatus() != QProcess::NormalExit || p.exitCode() != 0)
        return QString();
    return QString::fromUtf8(p.readAllStandardOutput());
}

// The fonts pdffonts lists for the file, each "<name> <embedded yes/no>";
// empty when it failed.
inline QStringList pdfFonts(const QString& pdf)
{
    QStringList fonts;
    const QStringList lines = popplerTool("pdffonts", {pdf}).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    for (const QString& line : lines.mid(2)) {
        const QString simple = line.simplified();
        fonts << simple.section(QLatin1Char(' '), 0, 0) + QLatin1Char(' ')
                + simple.section(QLatin1Char(' '), -5, -5);
    }
    return fonts;
}

} // namespace TestSupport
