// The controller as the host of macro runs: the macro console, documents
// and panels on a macro's request, the buffer-list selection.

#include "app/Manager.h"

#include "app/BufferListModel.h"
#include "app/DataBufferTableView.h"
#include "app/DocumentWindowQt.h"
#include "app/KeptWindowPlace.h"
#include "app/MacroEditor.h"
#include "app/WindowPlacement.h"
#include "macro/Macro.h"
#include "model/VexaDocument.h"
#include "platform/UserDefaults.h"
#include "view/Subviews.h"
#include "view/VexaView.h"

#include <QApplication>
#include <QFontDatabase>
#include <QItemSelection>
#include <QItemSelectionModel>
#include <QPlainTextEdit>
#include <QScreen>
#include <QTableView>
#include <QVBoxLayout>
#include <QWidget>

#include <algorithm>
#include <cmath>

// --- the macro console ------------------------------------------------------------------

void Manager::buildConsole()
{
    // The same lines as the editor's console, for whoever does not keep the
    // editor open.
    consoleWindow_ = new QWidget;
    consoleWindow_->setObjectName(QStringLiteral("macroConsole"));
    consoleWindow_->setWindowTitle(QStringLiteral("Macro Console"));
    auto* layout = new QVBoxLayout(consoleWindow_);
    layout->setContentsMargins(0, 0, 0, 0);
    auto* text = new QPlainTextEdit;
    text->setObjectName(QStringLiteral("consoleWindowText"));
    text->setReadOnly(true);
    text->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    text->setLineWrapMode(QPlainTextEdit::NoWrap);
    console_.attach(text);
    layout->addWidget(text);
    consoleWindow_->resize(520, 300);
    consolePlace_
        = new KeptWindowPlace(consoleWindow_, QStringLiteral("ConsolePlace"), UserDefaults::standard());
    // Where the user left it, else at the bottom right of the free area;
    // whole on the screen either way.
    QScreen* screen = QGuiApplication::primaryScreen();
    if (!consolePlace_->restore() && screen) {
        const QRect available = screen->availableGeometry();
        QRect frame(QPoint(), consoleWindow_->size().grownBy(WindowPlacement::border(QRect(), QRect())));
        frame.moveBottomRight(available.bottomRight());
        consoleWindow_->move(WindowPlacement::fitInside(frame, available).topLeft());
    }
}

void Manager::showConsole()
{
    if (!consoleWindow_)
        buildConsole();
    consoleWindow_->show();
    consoleWindow_->raise();
}

void Manager::consoleAppend(const QString& text, bool error)
{
    if (text.isEmpty())
        return;
    if (error)
        ++consoleErrors_;

    console_.append(text, error);

    if (windowsShown()) {
        // The window comes up only while no console is on show: the lines
        // of a macro run from a graph window are never lost from sight.
        const bool editorShows = macroEditor->hasView() && macroEditor->ma_console()->isVisible();
        if (!editorShows && !(consoleWindow_ && consoleWindow_->isVisible()))
            showConsole();
        console_.revealEnd();
        return;
    }

    // Without windows every console line goes to the stream of its kind.
    // The console starts each text on a line of its own (the macro puts a
    // line feed in front when it must); a line still open on the other
    // stream is ended there instead, so no message shares a line with an
    // error.
    std::FILE* stream = error ? consoleErr : consoleOut;
    QString rest = text;
    if (consoleOpenLine_ && (rest.startsWith(QLatin1Char('\n')) || consoleOpenLine_ != stream)) {
        endConsoleStreamLine();
        if (rest.startsWith(QLatin1Char('\n')))
            rest.remove(0, 1);
    }
    if (rest.isEmpty())
        return;
    const QByteArray bytes = rest.toLocal8Bit();
    std::fwrite(bytes.constData(), 1, std::size_t(bytes.size()), stream);
    std::fflush(stream);
    consoleOpenLine_ = rest.endsWith(QLatin1Char('\n')) ? nullptr : stream;
}

void Manager::endConsoleStreamLine()
{
    if (!consoleOpenLine_)
        return;
    std::fputc('\n', consoleOpenLine_);
    std::fflush(consoleOpenLine_);
    consoleOpenLine_ = nullptr;
}

void Manager::consoleClear()
{
    console_.clear();
    // What went to a stream stays there; the next text starts a new line.
    endConsoleStreamLine();
}

// --- documents and panels ------------------------------------------------------------------

VexaDocument* Manager::newDocument()
{
    DocumentWindowQt* w = newDocumentWindow();
    if (!w)
        return nullptr;
    // A hidden window never becomes main, which would make it current.
    VexaDocument* d = &w->document();
    setCurrentDoc(d, d);
    return d;
}

void Manager::closeDocumentWindow(VexaDocument* document)
{
    if (DocumentWindowQt* w = windowOf(document))
        w->closeWithoutAsking();
}

void Manager::performClose(VexaDocument* document)
{
    if (DocumentWindowQt* w = windowOf(document))
        w->close();
}

VexaDocument* Manager::openDocument(const QString& path)
{
    DocumentWindowQt* w = openDocumentAtPath(path);
    if (!w)
        return nullptr;
    VexaDocument* d = &w->document();
    setCurrentDoc(d, d);
    return d;
}

VexaDocument* Manager::addSubview(VexaDocument& main, const QRectF& frame)
{
    DocumentWindowQt* w = windowOf(&main);
    if (!w)
        return nullptr;
    auto document = makeDocument();
    VexaDocument* sub = document.get();
    w->subviewViews.push_back(Subviews::attach(main, std::move(document), frame));
    return sub;
}

void Manager::setWindowContentSize(VexaDocument* document, const QSizeF& size)
{
    // A macro's numbers may be anything; rounding them to int must not
    // overflow.
    auto side = [](double v) {
        return std::isfinite(v) ? int(std::clamp(std::round(v), 0.0, double(QWIDGETSIZE_MAX))) : 0;
    };
    if (DocumentWindowQt* w = windowOf(document))
        w->setContentSize(QSize(side(size.width()), side(size.height())));
}

std::optional<QString> Manager::openFilePanel(const QString& title, const QString& directory)
{
    FilePanelRequest r;
    r.kind = FilePanelRequest::Open;
    r.title = title;
    r.directory = directory;
    const QStringList paths = filePanel(r);
    if (paths.isEmpty() || paths.first().isEmpty())
        return std::nullopt;
    return paths.first();
}

QString Manager::lastFolder() const
{
    return UserDefaults::standard().stringForKey(QStringLiteral("PATH"));
}

void Manager::rememberFolderOf(const QString& path)
{
    rememberPanelDirectory(path);
    UserDefaults::standard().synchronize();
}

void Manager::hideApplication()
{
    for (QWidget* w : QApplication::topLevelWidgets())
        if (w->isWindow() && w->isVisible())
            w->showMinimized();
}

void Manager::terminateApplication()
{
    // A macro's quit ends the run as written: it never stops to ask.
    for (DocumentWindowQt* w : windows())
        w->closeWithoutAsking();
    terminate(exitStatus_);
}

// --- the buffer list --------------------------------------------------------------------------

void Manager::reloadBufferList()
{
    bufferRows_->reload();
}

void Manager::setSelectedBufferRows(const std::vector<int>& rows)
{
    bufferRows_->reload();
    const int count = bufferRows_->rowCount();
    const int lastColumn = bufferRows_->columnCount() - 1;
    QItemSelection wanted;
    for (int row : rows)
        if (row >= 0 && row < count)
            wanted.select(bufferRows_->index(row, 0), bufferRows_->index(row, lastColumn));
    bufferSelection_->select(wanted, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
}

// --- the macro editor -----------------------------------------------------------------------

void Manager::reloadMacroTable()
{
    macroEditor->reload();
}

void Manager::setExecuteButtonTitle(const QString& title)
{
    macroEditor->setExecuteTitle(title);
}

std::vector<Macro*> Manager::storedMacros()
{
    return macroEditor->storedMacros();
}

void Manager::setPerlProgress(bool running)
{
    macroEditor->setPerlProgress(running);
}

void Manager::showSelectedMacro()
{
    macroEditor->updateMacro(macroEditor->selectedRow());
}
