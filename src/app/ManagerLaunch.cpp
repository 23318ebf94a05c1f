// The launch: command-line options, preferences, the start document and the
// options applied to it.

#include "app/Manager.h"

#include "app/AlertDialogs.h"
#include "app/DocumentWindowQt.h"
#include "app/HelpBrowser.h"
#include "app/InspectorHost.h"
#include "io/AsciiImport.h"
#include "io/EPICSImport.h"
#include "macro/Macro.h"
#include "model/VexaDocument.h"
#include "platform/UserDefaults.h"

#include <QCheckBox>
#include <QCoreApplication>
#include <QFileInfo>
#include <QGuiApplication>
#include <QMainWindow>
#include <QTextBrowser>
#include <QUrl>

#include <cstdio>

namespace {

bool isYes(const QString& value)
{
    return value.compare(QStringLiteral("yes"), Qt::CaseInsensitive) == 0;
}

} // namespace

bool Manager::hiddenRunRequested(const QStringList& arguments)
{
    // The same pairing as the user-defaults argument domain: "-key value",
    // the last pair of a key wins.
    bool hidden = false;
    for (int i = 0; i + 1 < arguments.size(); ++i) {
        const QString& a = arguments[i];
        if (a.size() > 1 && a.startsWith(QLatin1Char('-'))) {
            if (a == QStringLiteral("-h"))
                hidden = isYes(arguments[i + 1]);
            ++i;
        }
    }
    return hidden;
}

bool Manager::readOptions()
{
    const UserDefaults& d = UserDefaults::standard();
    options_.macroFile = d.stringForKey(QStringLiteral("m"));
    options_.importFile = d.stringForKey(QStringLiteral("i"));
    options_.fileName = d.stringForKey(QStringLiteral("f"));
    options_.hidden = isYes(d.stringForKey(QStringLiteral("h")));
    options_.quit = isYes(d.stringForKey(QStringLiteral("q")));
    return !options_.macroFile.isEmpty() || !options_.importFile.isEmpty() || !options_.fileName.isEmpty()
        || d.contains(QStringLiteral("h")) || d.contains(QStringLiteral("q"));
}

bool Manager::startDocumentWanted() const
{
    return !options_.macroFile.isEmpty() || !options_.importFile.isEmpty() || options_.hidden
        || options_.quit;
}

bool Manager::windowsShown() const
{
    const QString platform = QGuiApplication::platformName();
    return !options_.hidden && platform != QStringLiteral("offscreen")
        && platform != QStringLiteral("minimal");
}

void Manager::applicationDidFinishLaunching()
{
    readOptions();

    // Questions need someone to answer them. Without windows they go to
    // standard error (the platform's default); a modal box nobody can see
    // would hang the run.
    if (windowsShown() && !dialogsInstalled_) {
        previousAlerts_ = Alert::setHandler(AlertDialogs::handler());
        dialogsInstalled_ = true;
    }

    UserDefaults& defaults = UserDefaults::standard();
    if (!defaults.contains(QStringLiteral("PATH")))
        defaults.setValue(QStringLiteral("PATH"), QStringLiteral("~/"));

    initPreferences();
    // A hidden run never shows a panel: the general one is built when first
    // shown, not at start.
    if (!options_.hidden)
        inspectors_->show(InspectorKey::General);
    switchDataView(QStringLiteral("databuffer"));

    if (helpView)
        helpView->showContents();

    epicstimeout = 3.0;
    EPICSImport::setLaunchEnvironment();

    if (prefs_.initialDocument || startDocumentWanted())
        newDocumentWindow();

    warnings = 1;

    if (!startPD)
        return;
    VexaDocument* start = startPD;
    setCurrentDoc(start, start);
    if (options_.hidden) {
        if (DocumentWindowQt* w = windowOf(start))
            w->hide();
        inspector->hide();
    }
    // Each step checks that the start document is still open: a step may
    // close it.
    if (!options_.importFile.isEmpty() && startPD == start) {
        const Outcome imported = importStartFile(*start, options_.importFile);
        Alert::show(imported);
        if (!imported.ok())
            reportLaunchError(
                QStringLiteral("cannot import %1: %2")
                    .arg(options_.importFile,
                         imported.message().isEmpty() ? QStringLiteral("no data read") : imported.message()));
    }
    if (!options_.fileName.isEmpty() && startPD == start)
        SV.insert(QStringLiteral("file"), options_.fileName);
    if (!options_.macroFile.isEmpty() && startPD == start) {
        if (const Outcome ran = runMacroFile(*start, options_.macroFile); !ran.ok())
            reportLaunchError(ran.message().isEmpty()
                                  ? QStringLiteral("the macro file %1 failed").arg(options_.macroFile)
                                  : ran.message());
    }
    if (options_.quit) {
        if (DocumentWindowQt* w = windowOf(PD))
            w->closeWithoutAsking();
        terminate(exitStatus_);
    }
}

Outcome Manager::importStartFile(VexaDocument& document, const QString& path)
{
    // The fixed settings of the option: numbers picked out of each line,
    // x in the first column, dates recognised.
    ASCIIImport::ImportOptions options;
    options.path = path;
    return ASCIIImport::importFile(document, options);
}

Outcome Manager::runMacroFile(VexaDocument& document, const QString& path)
{
    auto fail = [](const QString& message) { return Outcome::failed(message); };
    const QFileInfo info(path);
    if (!info.isFile())
        return fail(
            QStringLiteral("cannot read the macro file %1: %2")
                .arg(path, info.exists() ? QStringLiteral("not a file") : QStringLiteral("no such file")));
    auto macro = std::make_unique<Macro>();
    if (const Outcome loaded = macro->loadFromFile(path); !loaded.ok())
        return fail(QStringLiteral("cannot read the macro file: %1").arg(loaded.message()));
    macro->name = info.fileName();

    launchMacro_ = std::move(macro);
    launchMacro_->run(*this, document);
    // Whoever ran the file must not be told it went well when any command
    // failed, also where the run went on after the failure.
    if (launchMacro_->stopped())
        return fail(QStringLiteral("the macro file %1 stopped with an error").arg(path));
    if (const int failures = launchMacro_->failures; failures > 0)
        return fail(QStringLiteral("the macro file %1 finished with %2 %3")
                        .arg(path)
                        .arg(failures)
                        .arg(failures == 1 ? QStringLiteral("failure") : QStringLiteral("failures")));
    return Outcome::done();
}

void Manager::reportLaunchError(const QString& message)
{
    exitStatus_ = 1;
    const QByteArray line = (QStringLiteral("vexa: ") + message).toLocal8Bit();
    std::fprintf(stderr, "%s\n", line.constData());
    std::fflush(stderr);
    if (dialogsInstalled_)
        Alert::run(QStringLiteral("Vexa"), message);
}

void Manager::terminate(int status)
{
    QCoreApplication::exit(status);
}

bool Manager::windowsVisible() const
{
    return windowsVisibleOverride_.value_or(windowsShown());
}

void Manager::quit()
{
    // Windows go first, so every document is let go of in order. Each
    // close may ask about unsaved changes; a window that stays open means
    // the user wants to keep working.
    for (DocumentWindowQt* w : windows())
        if (!w->close())
            return;
    terminate(exitStatus_);
}
