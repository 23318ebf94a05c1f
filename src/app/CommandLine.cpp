#include "app/CommandLine.h"

#include <QDir>

CommandLine CommandLine::parse(const QStringList& arguments, const QString& workingDirectory)
{
    CommandLine c;
    const QDir base(workingDirectory);
    bool filesOnly = false;
    for (int i = 0; i < arguments.size(); ++i) {
        const QString& a = arguments[i];
        if (filesOnly || a.size() < 2 || !a.startsWith(QLatin1Char('-'))) {
            if (!a.isEmpty())
                c.files << QDir::cleanPath(base.absoluteFilePath(a));
            continue;
        }
        if (a == QStringLiteral("--")) {
            filesOnly = true;
        } else if (a == QStringLiteral("--help")) {
            c.help = true;
        } else if (a == QStringLiteral("--version")) {
            c.version = true;
        } else if (a == QStringLiteral("--example")) {
            c.example = true;
        } else if (a.startsWith(QStringLiteral("--"))) {
            if (c.error.isEmpty())
                c.error = QStringLiteral("unknown option %1").arg(a);
        } else if (i + 1 < arguments.size()) {
            c.options << a << arguments[i + 1];
            ++i;
        } else if (c.error.isEmpty()) {
            c.error = QStringLiteral("the option %1 needs a value").arg(a);
        }
    }
    return c;
}

QString CommandLine::usage()
{
    return QStringLiteral("Usage: vexa [options] [file ...]\n"
                          "\n"
                          "Two-dimensional scientific graphs and data analysis.\n"
                          "\n"
                          "Files:\n"
                          "  Documents (.vexa) open in windows of their own; lists of MySQL queries\n"
                          "  (.myvexa) and of macros (.mavexa) are merged into the stored lists.\n"
                          "  When Vexa already runs on this display, the files open there.\n"
                          "\n"
                          "Options (each applies to a new document made at start):\n"
                          "  -m FILE      run the macro in FILE\n"
                          "  -i FILE      import the ASCII columns of FILE\n"
                          "  -f TEXT      set the string variable \"file\" to TEXT\n"
                          "  -h yes       show no windows (no display needed)\n"
                          "  -q yes       quit when done; the exit status is 1 when anything failed\n"
                          "               (an option, or a command, import, export or read of the\n"
                          "               macro, also where the macro went on), else 0\n"
                          "  --example    open the example graph (in a window of its own)\n"
                          "  --help       print this text and exit\n"
                          "  --version    print the version and exit\n"
                          "  --           every argument after this is a file\n"
                          "\n"
                          "Example: vexa -m graph.mac -h yes -q yes\n"
                          "\n"
                          "Without a display, --example (or a start without options and files)\n"
                          "writes the example graph to out/example.pdf and out/example.png in the\n"
                          "working directory.\n");
}
