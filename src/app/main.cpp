#include "app/ExampleGraph.h"
#include "app/Manager.h"
#include "io/PictureExport.h"
#include "model/VexaDocument.h"
#include "platform/CNumber.h"
#include "platform/RuntimeDirectory.h"
#include "platform/UserDefaults.h"
#include "platform/Version.h"
#include "view/VexaView.h"

#include <QApplication>
#include <QDir>
#include <QTimer>

#include <algorithm>
#include <cstdio>
#include <cstring>

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

// The graph of the document as a PDF page and a PNG image (72 dots per
// inch), both the size of a view of the given size.
bool renderPictures(VexaDocument& document, ManagerServices& controller, QSizeF size, const QString& pdfPath,
                    const QString& pngPath, QString* error)
{
    VexaView view(size, &controller);
    view.setVexaDocument(&document);
    document.PV = &view;
    const bool ok = PictureExport::savePDF(document, pdfPath, error)
        && PictureExport::savePNG(document, pngPath, 72, error);
    document.PV = nullptr;
    return ok;
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
    QString error;
    if (!renderPictures(*example, manager, size, pdf, png, &error)) {
        std::fprintf(stderr, "vexa: %s\n", qPrintable(error));
        return 1;
    }
    std::printf("%s\n%s\n", qPrintable(pdf), qPrintable(png));
    return 0;
}

} // namespace

int main(int argc, char** argv)
{
    QStringList arguments;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--version") == 0) {
            std::printf("Vexa %s\n", VEXA_VERSION);
            return 0;
        }
        arguments << QString::fromLocal8Bit(argv[i]);
    }

    // A run without windows, or without a screen to put them on, needs no
    // window system at all. Decided before the application object exists,
    // which is when Qt connects to one.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")
        && (Manager::hiddenRunRequested(arguments) || !displayAvailable()))
        qputenv("QT_QPA_PLATFORM", "offscreen");

    RuntimeDirectory::ensure();
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Vexa"));
    QApplication::setApplicationVersion(QStringLiteral(VEXA_VERSION));
    CNumber::resetNumericLocale();

    UserDefaults::standard().setArgumentDomain(QCoreApplication::arguments().mid(1));
    Manager manager;

    // Without options the program opens its example graph.
    std::unique_ptr<VexaDocument> example;
    if (!manager.readOptions()) {
        QString error;
        example = ExampleGraph::build(ExampleGraph::examplesDirectory(), &error);
        if (offscreenPlatform()) {
            if (!example) {
                std::fprintf(stderr, "vexa: %s\n", qPrintable(error));
                return 1;
            }
            return renderExample(manager, std::move(example));
        }
    }

    // The launch runs once the event loop turns, as a finished launch does.
    QTimer::singleShot(0, &manager, [&manager, &example] {
        manager.applicationDidFinishLaunching();
        if (example)
            manager.openDocument(std::move(example));
    });
    const int status = app.exec();
    return std::max(status, manager.exitStatus());
}
