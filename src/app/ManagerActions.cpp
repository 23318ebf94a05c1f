// The menu actions of the controller that exist so far: document files,
// imports, exports, printing, scaling. Each acts on the current document
// and beeps without one.

#include "app/Manager.h"

#include "app/DocumentWindowQt.h"
#include "app/PanelAccessories.h"
#include "app/Printing.h"
#include "io/ASCIIExportFile.h"
#include "io/AsciiImport.h"
#include "io/BinaryImport.h"
#include "io/DocumentArchive.h"
#include "io/PictureExport.h"
#include "macro/AlertQuestions.h"
#include "model/VexaDocument.h"
#include "platform/UserDefaults.h"
#include "view/GraphWidget.h"
#include "view/VexaView.h"

#include <QApplication>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QGridLayout>

#include <functional>

namespace {

const QString documentSuffix = QStringLiteral("vexa");

} // namespace

// --- panels -------------------------------------------------------------------------------

std::unique_ptr<QFileDialog> Manager::makeFilePanel(const FilePanelRequest& request, QWidget* parent)
{
    const QString filter = request.suffix.isEmpty()
        ? QString()
        : QStringLiteral("%1 (*.%2);;All files (*)").arg(request.suffix.toUpper(), request.suffix);
    auto dialog = std::make_unique<QFileDialog>(parent, request.title, request.directory, filter);
    dialog->setOption(QFileDialog::DontUseNativeDialog, true);
    if (request.kind == FilePanelRequest::Open) {
        dialog->setAcceptMode(QFileDialog::AcceptOpen);
        dialog->setFileMode(request.multiple ? QFileDialog::ExistingFiles : QFileDialog::ExistingFile);
    } else {
        dialog->setAcceptMode(QFileDialog::AcceptSave);
        dialog->setFileMode(QFileDialog::AnyFile);
    }
    if (QWidget* accessory = request.accessory) {
        // The toolkit's dialog lays itself out on a grid: one more row, across.
        if (auto* grid = qobject_cast<QGridLayout*>(dialog->layout()))
            grid->addWidget(accessory, grid->rowCount(), 0, 1, grid->columnCount());
        else
            dialog->layout()->addWidget(accessory);
        accessory->show();
        QObject::connect(dialog.get(), &QDialog::finished, accessory, [accessory] {
            accessory->hide();
            accessory->setParent(nullptr);
        });
    }
    return dialog;
}

QStringList Manager::runFilePanel(const FilePanelRequest& request)
{
    // A modal panel nobody can see would hold the run for ever.
    if (!windowsShown())
        return {};
    const std::unique_ptr<QFileDialog> dialog = makeFilePanel(request, QApplication::activeWindow());
    const bool chosen = dialog->exec() == QDialog::Accepted;
    QStringList paths = chosen ? dialog->selectedFiles() : QStringList();
    if (request.kind == FilePanelRequest::Save && !paths.isEmpty() && !request.suffix.isEmpty()
        && QFileInfo(paths.front()).suffix().isEmpty())
        paths.front() += QLatin1Char('.') + request.suffix;
    return paths;
}

QString Manager::panelDirectory() const
{
    QString dir = UserDefaults::standard().stringForKey(QStringLiteral("PATH"));
    if (dir.isEmpty() || dir == QStringLiteral("~") || dir.startsWith(QStringLiteral("~/")))
        dir = QDir::homePath() + dir.mid(1);
    return dir;
}

void Manager::rememberPanelDirectory(const QString& path)
{
    UserDefaults::standard().setValue(QStringLiteral("PATH"), QFileInfo(path).absolutePath());
}

// --- document files ------------------------------------------------------------------------------

void Manager::openDocumentFile()
{
    FilePanelRequest r;
    r.kind = FilePanelRequest::Open;
    r.title = QStringLiteral("Open");
    r.directory = panelDirectory();
    r.suffix = documentSuffix;
    r.multiple = true;
    // A refused file has been reported by the reader; the others still open.
    for (const QString& path : filePanel(r))
        if (openDocumentAtPath(path))
            noteRecentFile(path);
}

Outcome Manager::writeDocument(VexaDocument& document, const QString& path)
{
    DocumentWindowQt* w = windowOf(&document);
    DocumentArchive::WindowFrame frame;
    if (w) {
        frame.x = w->x();
        frame.y = w->y();
        frame.contentWidth = w->graphWidget().width();
        frame.contentHeight = w->graphWidget().height();
    }
    if (Outcome written = DocumentArchive::writeToFile(document, path, w ? &frame : nullptr); !written.ok())
        return written;
    if (w) {
        w->setFilePath(path);
        w->setDocumentEdited(false);
    }
    noteRecentFile(path);
    if (PD && (PD == &document || PD->MPD == &document) && !PD->subview)
        SV.insert(QStringLiteral("document"), path);
    return Outcome::done();
}

QString Manager::askDocumentPath(VexaDocument& document)
{
    FilePanelRequest r;
    r.kind = FilePanelRequest::Save;
    r.title = QStringLiteral("Save As");
    const QString current = filePathOf(&document);
    r.directory = current.isEmpty() ? panelDirectory() : current;
    r.suffix = documentSuffix;
    const QStringList paths = filePanel(r);
    return paths.isEmpty() ? QString() : paths.front();
}

namespace {

VexaDocument* mainDocumentOf(VexaDocument* document)
{
    return document && document->MPD ? document->MPD : document;
}

} // namespace

bool Manager::saveDocument()
{
    if (!MPD) {
        Alert::beep();
        return false;
    }
    const QString path = filePathOf(MPD);
    if (path.isEmpty())
        return saveDocumentAs();
    return !Alert::show(writeDocument(*MPD, path));
}

bool Manager::saveDocumentAs()
{
    if (!MPD) {
        Alert::beep();
        return false;
    }
    const QString path = askDocumentPath(*MPD);
    if (path.isEmpty() || !MPD)
        return false;
    return !Alert::show(writeDocument(*MPD, path));
}

Outcome Manager::saveDocument(VexaDocument* document)
{
    VexaDocument* main = mainDocumentOf(document);
    if (!main)
        return Outcome::failed(QStringLiteral("there is no document"));
    QString path = filePathOf(main);
    if (path.isEmpty()) {
        path = askDocumentPath(*main);
        if (path.isEmpty())
            return windowsShown() ? Outcome::cancelled()
                                  : Outcome::failed(QStringLiteral(
                                      "the document has no file yet; save it with saveas and a path"));
    }
    return saveDocumentAs(main, path);
}

Outcome Manager::saveDocumentAs(VexaDocument* document, const QString& path)
{
    VexaDocument* main = mainDocumentOf(document);
    if (!main)
        return Outcome::failed(QStringLiteral("there is no document"));
    return writeDocument(*main, path);
}

void Manager::closeDocument()
{
    if (DocumentWindowQt* w = windowOf(PD))
        w->close();
    else
        Alert::beep();
}

void Manager::printDocument()
{
    DocumentWindowQt* w = windowOf(MPD);
    if (!w) {
        Alert::beep();
        return;
    }
    QString why;
    if (!Printing::get(why)) {
        Alert::run(QStringLiteral("Vexa"), Printing::unavailableMessage(why));
        return;
    }
    w->printShowingPrintPanel(true);
}

Outcome Manager::printDocument(VexaDocument* document)
{
    DocumentWindowQt* w = windowOf(document);
    if (!w)
        return Outcome::failed(QStringLiteral("the document has no window"));
    // Nobody could answer a print panel: the default printer it is.
    QString why;
    const Printing* printing = Printing::get(why);
    if (!printing)
        return Outcome::failed(Printing::unavailableMessage(why));
    const bool ask = windowsShown();
    if (!ask && !printing->hasDefaultPrinter())
        return Outcome::failed(QStringLiteral("no printer is available"));
    bool cancelled = false;
    if (w->printShowingPrintPanel(ask, &cancelled))
        return {};
    if (cancelled)
        return Outcome::cancelled();
    return Outcome::failed(QStringLiteral("the printer could not be opened"));
}

// --- imports ---------------------------------------------------------------------------------------

namespace {

// The files an import reads, asked for in an open panel; none (after a beep) when there
// is no document to import into.
QStringList askImportFiles(Manager& m, const QString& title, const QString& directory, QWidget* accessory)
{
    if (!m.PD) {
        Alert::beep();
        return {};
    }
    Manager::FilePanelRequest r;
    r.kind = Manager::FilePanelRequest::Open;
    r.title = title;
    r.directory = directory;
    r.multiple = true;
    r.accessory = accessory;
    return m.filePanel(r);
}

} // namespace

void Manager::importFile()
{
    const QStringList paths = askImportFiles(*this, QStringLiteral("Import ASCII"), panelDirectory(),
                                             panelAccessories().importAccView);
    if (!paths.isEmpty()) {
        rememberPanelDirectory(paths.front());
        UserDefaults::standard().synchronize();
        // The import reports what it cannot read; a file without numbers
        // adds nothing.
        for (const QString& path : paths)
            if (PD)
                Alert::show(ASCIIImport::importFile(*PD, panelAccessories().asciiOptions(path)));
    }
    // Also after Cancel: the panel opens next time as it was left.
    if (PD)
        panelAccessories().storeAscii(UserDefaults::standard());
}

void Manager::binaryImport()
{
    const QStringList paths = askImportFiles(*this, QStringLiteral("Binary Import"), panelDirectory(),
                                             panelAccessories().binAccView);
    if (!paths.isEmpty()) {
        rememberPanelDirectory(paths.front());
        UserDefaults::standard().synchronize();
        const PanelAccessories::BinarySettings b = panelAccessories().binarySettings();
        for (const QString& path : paths)
            if (PD)
                Alert::show(BinaryImport::binaryImport(*PD, path, b.type, b.mode, b.swap, b.columns,
                                                       QString(), QString(), AlertQuestions::instance()));
    }
    if (PD)
        panelAccessories().storeBinary(UserDefaults::standard());
}

// --- exports ----------------------------------------------------------------------------------------

void Manager::exportASCII()
{
    if (!noSelectWarn()) {
        // Without a document noSelectWarn has beeped already.
        if (PD)
            Alert::beep();
        return;
    }
    FilePanelRequest r;
    r.kind = FilePanelRequest::Save;
    r.title = QStringLiteral("Export ASCII");
    r.directory = panelDirectory();
    const QStringList paths = filePanel(r);
    if (paths.isEmpty() || !PD)
        return;
    Alert::show(ASCIIExportFile::exportASCII(*PD, paths.front()));
}

namespace {

enum class PictureKind { PDF, EPS, JPG, PNG };

void exportPicture(Manager& m, PictureKind kind)
{
    if (!m.MPD) {
        Alert::beep();
        return;
    }
    static const struct {
        const char* title;
        const char* suffix;
    } panels[] = {
        {"Save document as PDF", "pdf"},
        {"Save document as EPS", "eps"},
        {"Save document as JPG", "jpg"},
        {"Save document as PNG", "png"},
    };
    const auto& p = panels[int(kind)];
    Manager::FilePanelRequest r;
    r.kind = Manager::FilePanelRequest::Save;
    r.title = QLatin1String(p.title);
    r.suffix = QLatin1String(p.suffix);
    const bool bitmap = kind == PictureKind::JPG || kind == PictureKind::PNG;
    if (bitmap)
        r.accessory = m.panelAccessories().resolutionAccView;
    const QStringList paths = m.filePanel(r);
    if (paths.isEmpty() || !m.MPD)
        return;
    VexaDocument& d = *m.MPD;
    Outcome saved;
    switch (kind) {
    case PictureKind::PDF:
        saved = PictureExport::savePDF(d, paths.front());
        break;
    case PictureKind::EPS:
        saved = PictureExport::saveEPS(d, paths.front());
        break;
    case PictureKind::JPG:
        saved = PictureExport::saveJPG(d, paths.front(), m.panelAccessories().resolutionDpi());
        break;
    case PictureKind::PNG:
        saved = PictureExport::savePNG(d, paths.front(), m.panelAccessories().resolutionDpi());
        break;
    }
    Alert::show(saved);
}

} // namespace

void Manager::savePDF()
{
    exportPicture(*this, PictureKind::PDF);
}

void Manager::saveEPS()
{
    exportPicture(*this, PictureKind::EPS);
}

void Manager::saveJPG()
{
    exportPicture(*this, PictureKind::JPG);
}

void Manager::savePNG()
{
    exportPicture(*this, PictureKind::PNG);
}

// --- scaling ---------------------------------------------------------------------------------------------

void Manager::rescale(VexaDocument* /*sender*/)
{
    if (!PD) {
        Alert::beep();
        return;
    }
    PD->rescale(true, axis12());
    PD->replot();
}

void Manager::upscale()
{
    if (!PD) {
        Alert::beep();
        return;
    }
    PD->upscale(10.0, ZoomXY, axis12(), true);
}

void Manager::downscale()
{
    if (!PD) {
        Alert::beep();
        return;
    }
    PD->downscale(10.0, ZoomXY, axis12());
}
