#include "app/CommandLine.h"
#include "app/ExampleGraph.h"
#include "app/Manager.h"
#include "app/Printing.h"
#include "app/SingleInstance.h"
#include "inspectors/Inspectors.h"
#include "io/ChannelAccessClient.h"
#include "io/EpsConversion.h"
#include "io/MySQLClient.h"
#include "io/PictureExport.h"
#include "model/VexaDocument.h"
#include "platform/CNumber.h"
#include "platform/ResourceLocator.h"
#include "platform/RuntimeDirectory.h"
#include "platform/TempFile.h"
#include "platform/UserDefaults.h"
#include "platform/Version.h"
#include "view/VexaView.h"

#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QIcon>
#include <QProxyStyle>
#include <QTimer>

#include <algorithm>
#include <cstdio>
#include <utility>

namespace {

bool displayAvailable()
{
    return !qEnvironmentVariableIsEmpty("DISPLAY") || !qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY");
}

bool offscreenPlatform()
{
    const QString platform = QGuiApplication::platformName();
    return platform == QStringLiteral("offscreen") || platform == QStringLiteral("minimal");
}

// The style without its standard icons (tool bar and menu bar arrows, the
// help window's buttons): where there is no screen nobody sees them, and the
// first of them would load every image reader there is to find its picture.
class StyleWithoutIcons : public QProxyStyle {
public:
    QIcon standardIcon(StandardPixmap, const QStyleOption*, const QWidget*) const override { return {}; }
};

// The graph of the document as a PDF page and a PNG image (72 dots per
// inch), both the size of a view of the given size.
Outcome renderPictures(VexaDocument& document, ManagerServices& controller, QSizeF size,
                       const QString& pdfPath, const QString& pngPath)
{
    VexaView view(size, &controller);
    view.setVexaDocument(&document);
    document.PV = &view;
    Outcome saved = PictureExport::savePDF(document, pdfPath);
    if (saved.ok())
        saved = PictureExport::savePNG(document, pngPath, 72);
    document.PV = nullptr;
    return saved;
}

// Started without options and without a screen: the example graph goes to
// out/example.pdf and out/example.png instead of a window.
int renderExample(Manager& manager, std::unique_ptr<VexaDocument> example)
{
    const QString dir = QDir::current().absoluteFilePath(QStringLiteral("out"));
    if (!QDir().mkpath(dir)) {
        std::fprintf(stderr, "vexa: cannot make the directory %s\n", qPrintable(dir));
        return 1;
    }
    const QString pdf = dir + QStringLiteral("/example.pdf");
    const QString png = dir + QStringLiteral("/example.png");
    const QSizeF size(example->winw, example->winh);
    if (const Outcome rendered = renderPictures(*example, manager, size, pdf, png); !rendered.ok()) {
        std::fprintf(stderr, "vexa: %s\n", qPrintable(rendered.message()));
        return 1;
    }
    std::printf("%s\n%s\n", qPrintable(pdf), qPrintable(png));
    return 0;
}

} // namespace

int main(int argc, char** argv)
{
    // Ended by a signal, the program leaves no temporary files behind; a
    // file being saved is a temporary one until it is complete.
    TempFile::removeAllOnTerminationSignals();

    QStringList raw;
    for (int i = 1; i < argc; ++i)
        raw << QString::fromLocal8Bit(argv[i]);
    // --help, --version and mistakes are answered before any window system
    // is touched.
    const CommandLine asGiven = CommandLine::parse(raw, QDir::currentPath());
    if (asGiven.help) {
        std::fputs(qPrintable(CommandLine::usage()), stdout);
        return 0;
    }
    if (asGiven.version) {
        // Where this copy reads its scripts, help pages and examples, in the
        // order it looks, and which modules it would load: what a packager
        // or a puzzled user needs to know.
        const QString exeDir
            = QFileInfo(QFileInfo(QStringLiteral("/proc/self/exe")).canonicalFilePath()).absolutePath();
        const QStringList roots
            = ResourceLocator::resourceRootsFor(exeDir, ResourceLocator::sourceResources());
        std::printf("Vexa %s\nResources: %s\n", VEXA_VERSION,
                    roots.isEmpty() ? "none found" : qPrintable(roots.join(QStringLiteral(", "))));
        const std::pair<const char*, QString> modules[] = {
            {"EPS module", EpsConversion::moduleFileFor(exeDir)},
            {"MySQL module", MySQLClient::moduleFileFor(exeDir)},
            {"Channel Access module", ChannelAccessClient::moduleFileFor(exeDir)},
            {"Print module", Printing::moduleFileFor(exeDir)},
        };
        for (const auto& [what, file] : modules)
            std::printf("%s: %s\n", what, file.isEmpty() ? "none found" : qPrintable(file));
        return 0;
    }
    if (!asGiven.error.isEmpty()) {
        std::fprintf(stderr, "vexa: %s\n\n%s", qPrintable(asGiven.error), qPrintable(CommandLine::usage()));
        return 2;
    }

    // A run without windows, or without a screen to put them on, needs no
    // window system at all. Decided before the application object exists,
    // which is when Qt connects to one.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")
        && (Manager::hiddenRunRequested(asGiven.options) || !displayAvailable()))
        qputenv("QT_QPA_PLATFORM", "offscreen");

    RuntimeDirectory::ensure();
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Vexa"));
    QApplication::setApplicationVersion(QStringLiteral(VEXA_VERSION));
    if (offscreenPlatform())
        QApplication::setStyle(new StyleWithoutIcons);
    else
        QApplication::setWindowIcon(QIcon(QStringLiteral(":/icons/vexa.svg")));
    QGuiApplication::setDesktopFileName(QStringLiteral("vexa"));
    CNumber::resetNumericLocale();

    // The window system's own options (-display, -style, ...) are gone now.
    const CommandLine line = CommandLine::parse(QCoreApplication::arguments().mid(1), QDir::currentPath());
    UserDefaults::standard().setArgumentDomain(line.options);
    Manager manager;
    Inspectors::registerAll(manager.inspectors());
    const bool options = manager.readOptions();

    // One instance per user and display: files given to a later start open
    // in the running one.
    SingleInstance instance;
    if (!offscreenPlatform()) {
        const QString socket = SingleInstance::defaultSocketPath();
        if (!options && !line.files.isEmpty() && SingleInstance::handOver(socket, line.files))
            return 0;
        instance.listen(socket, [&manager](const QStringList& files) { manager.openFiles(files); });
    }

    // --example opens the example graph; without a display, so does a start
    // without options and files (there is nothing else it could show), and
    // the graph becomes files instead of a window. A plain start with a
    // display opens a document only when the preferences ask for one.
    std::unique_ptr<VexaDocument> example;
    if (!options) {
        if (offscreenPlatform() && !line.files.isEmpty()) {
            std::fprintf(stderr,
                         "vexa: no display to open the files on; run a macro with -m and -h yes instead\n");
            return 1;
        }
        if (line.example || (offscreenPlatform() && line.files.isEmpty())) {
            QString error;
            example = ExampleGraph::build(manager, ExampleGraph::examplesDirectory(), &error);
            if (offscreenPlatform()) {
                if (!example) {
                    std::fprintf(stderr, "vexa: %s\n", qPrintable(error));
                    return 1;
                }
                return renderExample(manager, std::move(example));
            }
        }
    }

    // The launch runs once the event loop turns, as a finished launch does;
    // the files open after it (a run that quits when done has ended by then).
    QTimer::singleShot(0, &manager, [&manager, &example, &line] {
        manager.applicationDidFinishLaunching();
        if (example)
            manager.openDocument(std::move(example));
        if (!manager.launchOptions().quit)
            manager.openFiles(line.files);
    });
    const int status = app.exec();
    return std::max(status, manager.exitStatus());
}
