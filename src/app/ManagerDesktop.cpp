// What users of any document-based desktop program count on: files named
// on the command line open, Open Recent, the Window menu's list of open
// windows, About, windows that stay on the screen and new ones that are
// told apart by their names.

#include "app/Manager.h"

#include "app/OpenDoc.h"

#include "app/DocumentWindowQt.h"
#include "app/RecentFiles.h"
#include "app/WindowPlacement.h"
#include "io/DocumentArchive.h"
#include "model/VexaDocument.h"
#include "platform/Alert.h"
#include "platform/UserDefaults.h"
#include "platform/Version.h"
#include "view/VexaView.h"

#include <QAction>
#include <QActionGroup>
#include <QApplication>
#include <QDialog>
#include <QDialogButtonBox>
#include <QFileInfo>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QIcon>
#include <QLabel>
#include <QLineEdit>
#include <QMainWindow>
#include <QMenu>
#include <QScreen>
#include <QVBoxLayout>

#include <set>

namespace {

// Marks the actions of the Window menu that list windows, so the list can
// be rebuilt without touching the menu's fixed items.
const char* const windowListEntry = "vexaWindowListEntry";

} // namespace

// --- files ------------------------------------------------------------------------------------

Manager::FileKind Manager::fileKindOf(const QString& path)
{
    const QString suffix = QFileInfo(path).suffix();
    if (suffix.compare(QStringLiteral("myvexa"), Qt::CaseInsensitive) == 0)
        return FileKind::QueryList;
    if (suffix.compare(QStringLiteral("mavexa"), Qt::CaseInsensitive) == 0)
        return FileKind::MacroList;
    // Anything else is offered to the document reader, which refuses what
    // is no document.
    return FileKind::Document;
}

int Manager::openFiles(const QStringList& paths)
{
    int opened = 0;
    for (const QString& path : paths) {
        const FileKind kind = fileKindOf(path);
        const bool ok
            = kind == FileKind::Document ? openDocumentAtPath(path) != nullptr : openListFile(path, kind);
        if (ok) {
            ++opened;
            noteRecentFile(path);
        }
    }
    return opened;
}

DocumentWindowQt* Manager::openDocumentAtPath(const QString& path)
{
    // The same file twice is the same window.
    for (DocumentWindowQt* w : windows())
        if (!w->filePath().isEmpty() && QFileInfo(w->filePath()) == QFileInfo(path)) {
            if (!options_.hidden) {
                w->show();
                w->raise();
                w->activateWindow();
            }
            return w;
        }
    auto document = makeDocument();
    DocumentArchive::SubviewViews views;
    const Outcome read = DocumentArchive::readFromFile(*document, path, views);
    Alert::show(read);
    if (!read.ok())
        return nullptr;
    DocumentWindowQt* w = openDocument(std::move(document), false);
    w->subviewViews = std::move(views);
    w->setFilePath(QFileInfo(path).absoluteFilePath());
    w->setDocumentEdited(false);
    if (!options_.hidden) {
        placeNewWindow(w);
        w->show();
        w->raise();
        w->activateWindow();
    }
    return w;
}

bool Manager::openListFile(const QString& path, FileKind kind)
{
    OpenDoc document(*this);
    return document.readFromFile(
        path, kind == FileKind::QueryList ? OpenDoc::queryListType() : OpenDoc::macroListType());
}

// --- Open Recent -------------------------------------------------------------------------------

void Manager::noteRecentFile(const QString& path)
{
    RecentFiles(UserDefaults::standard()).add(path);
}

void Manager::rebuildOpenRecentMenu()
{
    openRecentMenu->clear();
    RecentFiles recent(UserDefaults::standard());
    for (const QString& path : recent.paths()) {
        // A file that has gone is dropped from the list rather than offered.
        if (!QFileInfo(path).isFile()) {
            recent.remove(path);
            continue;
        }
        QAction* a = openRecentMenu->addAction(QFileInfo(path).fileName());
        a->setToolTip(path);
        a->setStatusTip(path);
        a->setData(path);
        connect(a, &QAction::triggered, this, [this, path] { openFiles({path}); });
    }
    if (!openRecentMenu->isEmpty())
        openRecentMenu->addSeparator();
    QAction* clear = openRecentMenu->addAction(QStringLiteral("Clear Menu"));
    clear->setEnabled(!recent.paths().isEmpty());
    connect(clear, &QAction::triggered, this, [] { RecentFiles(UserDefaults::standard()).clear(); });
}

// --- menus --------------------------------------------------------------------------------------

void Manager::buildDesktopMenus()
{
    // The keys every desktop program has, spelled out: the desktop-neutral
    // key scheme leaves some of them empty (Save As, Quit, Preferences) and
    // puts a key few people use first (Close: Ctrl+F4, Redo: Ctrl+Y).
    const struct {
        QMenu* menu;
        const char* item;
        QList<QKeySequence> keys;
    } keys[] = {
        {fileMenu, "Close", {QKeySequence(Qt::CTRL | Qt::Key_W)}},
        {fileMenu, "Save As…", {QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_S)}},
        {fileMenu, "Quit", {QKeySequence(Qt::CTRL | Qt::Key_Q)}},
        {editMenu,
         "Redo",
         {QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z), QKeySequence(Qt::CTRL | Qt::Key_Y)}},
        {editMenu, "Preferences…", {QKeySequence(Qt::CTRL | Qt::Key_Comma)}},
    };
    for (const auto& k : keys)
        for (QAction* a : k.menu->actions())
            if (a->text() == QString::fromUtf8(k.item))
                a->setShortcuts(k.keys);

    // File > Open Recent, right after Open.
    openRecentMenu = new QMenu(QStringLiteral("Open Recent"), inspector);
    QAction* before = nullptr;
    const QList<QAction*> fileActions = fileMenu->actions();
    for (int i = 0; i + 1 < fileActions.size(); ++i)
        if (fileActions[i]->text() == QStringLiteral("Open…"))
            before = fileActions[i + 1];
    fileMenu->insertMenu(before, openRecentMenu);
    connect(openRecentMenu, &QMenu::aboutToShow, this, [this] { rebuildOpenRecentMenu(); });
    rebuildOpenRecentMenu();

    // Window: minimise, and below the fixed items every document window,
    // the current one checked.
    windowMenu->addSeparator();
    QAction* minimize = windowMenu->addAction(QStringLiteral("Minimize"));
    minimize->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_M));
    connect(minimize, &QAction::triggered, this, [] {
        if (QWidget* w = QApplication::activeWindow())
            w->showMinimized();
    });
    QAction* front = windowMenu->addAction(QStringLiteral("Bring All to Front"));
    connect(front, &QAction::triggered, this, [this] {
        for (DocumentWindowQt* w : windows())
            if (w->isVisible()) {
                w->showNormal();
                w->raise();
            }
    });
    connect(windowMenu, &QMenu::aboutToShow, this, [this] { rebuildWindowList(); });

    helpMenu->addSeparator();
    aboutAction = helpMenu->addAction(QStringLiteral("About Vexa"));
    aboutAction->setMenuRole(QAction::AboutRole);
    connect(aboutAction, &QAction::triggered, this, [this] { showAbout(); });
}

void Manager::rebuildWindowList()
{
    for (QAction* a : windowMenu->actions())
        if (a->property(windowListEntry).toBool()) {
            windowMenu->removeAction(a);
            a->deleteLater();
        }
    const std::vector<DocumentWindowQt*> open = windows();
    bool first = true;
    for (DocumentWindowQt* w : open) {
        if (w->isHidden())
            continue;
        if (first) {
            QAction* separator = windowMenu->addSeparator();
            separator->setProperty(windowListEntry, true);
            first = false;
        }
        QString title = w->displayName();
        if (w->isWindowModified())
            title += QStringLiteral(" •");
        QAction* a = windowMenu->addAction(title);
        a->setProperty(windowListEntry, true);
        a->setCheckable(true);
        a->setChecked(MPD && &w->document() == MPD);
        QPointer<DocumentWindowQt> target(w);
        connect(a, &QAction::triggered, this, [target] {
            if (!target)
                return;
            target->showNormal();
            target->raise();
            target->activateWindow();
        });
    }
}

// --- About -------------------------------------------------------------------------------------

void Manager::showAbout()
{
    if (options_.hidden)
        return;
    if (!aboutBox) {
        auto* box = new QDialog(inspector, Qt::Dialog | Qt::WindowCloseButtonHint);
        box->setObjectName(QStringLiteral("aboutBox"));
        box->setWindowTitle(QStringLiteral("About Vexa"));
        auto* column = new QVBoxLayout(box);
        column->setContentsMargins(28, 24, 28, 18);
        column->setSpacing(8);

        auto* icon = new QLabel;
        icon->setPixmap(QApplication::windowIcon().pixmap(96, 96));
        icon->setAlignment(Qt::AlignHCenter);
        column->addWidget(icon);

        auto* name = new QLabel(QStringLiteral("Vexa"));
        QFont big = name->font();
        big.setPointSizeF(big.pointSizeF() * 1.8);
        big.setBold(true);
        name->setFont(big);
        name->setAlignment(Qt::AlignHCenter);
        column->addWidget(name);

        auto* version = new QLabel(QStringLiteral("Version %1").arg(QStringLiteral(VEXA_VERSION)));
        version->setObjectName(QStringLiteral("aboutVersion"));
        version->setAlignment(Qt::AlignHCenter);
        version->setTextInteractionFlags(Qt::TextSelectableByMouse);
        column->addWidget(version);

        auto* what = new QLabel(QStringLiteral("Two-dimensional scientific graphs and data analysis"));
        what->setAlignment(Qt::AlignHCenter);
        what->setWordWrap(true);
        column->addWidget(what);

        auto* built = new QLabel(QStringLiteral("Built with Qt %1, running on Qt %2")
                                     .arg(QStringLiteral(QT_VERSION_STR), QString::fromLatin1(qVersion())));
        QFont small = built->font();
        small.setPointSizeF(small.pointSizeF() * 0.9);
        built->setFont(small);
        built->setAlignment(Qt::AlignHCenter);
        column->addWidget(built);

        auto* link = new QLabel(QStringLiteral("<a href=\"%1\">%1</a>").arg(homepageAddress()));
        link->setTextFormat(Qt::RichText);
        link->setOpenExternalLinks(true);
        link->setAlignment(Qt::AlignHCenter);
        column->addWidget(link);

        column->addSpacing(8);
        auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close);
        connect(buttons, &QDialogButtonBox::rejected, box, &QDialog::hide);
        column->addWidget(buttons);
        box->setMinimumWidth(380);
        column->setSizeConstraint(QLayout::SetFixedSize);
        aboutBox = box;
    }
    aboutBox->show();
    aboutBox->raise();
    aboutBox->activateWindow();
}

// --- windows -----------------------------------------------------------------------------------------

QString Manager::nextUntitledName() const
{
    std::set<int> used;
    for (DocumentWindowQt* w : windows()) {
        if (!w->filePath().isEmpty())
            continue;
        const QString name = w->displayName();
        if (name == QStringLiteral("Untitled"))
            used.insert(1);
        else if (name.startsWith(QStringLiteral("Untitled ")))
            used.insert(name.mid(9).toInt());
    }
    int n = 1;
    while (used.count(n))
        ++n;
    return n == 1 ? QStringLiteral("Untitled") : QStringLiteral("Untitled %1").arg(n);
}

void Manager::placeNewWindow(DocumentWindowQt* window)
{
    if (!window)
        return;
    // Placed with the strip it has when shown.
    window->makeStrip();
    QScreen* screen = QGuiApplication::primaryScreen();
    if (!screen)
        return;
    // The frame a window manager adds, taken from a window it has framed
    // already; a usual title bar and border before the first one.
    QMargins border = WindowPlacement::border(QRect(), QRect());
    QRect previous;
    for (DocumentWindowQt* w : windows()) {
        if (w == window || !w->isVisible())
            continue;
        if (w->frameGeometry() != w->geometry())
            border = WindowPlacement::border(w->geometry(), w->frameGeometry());
        previous = w->frameGeometry();
    }
    const QSize frameSize = window->size().grownBy(border);
    // Beside the inspector window while there is room for both.
    QRect available = screen->availableGeometry();
    if (inspector && inspector->isVisible())
        available = WindowPlacement::beside(inspector->geometry().marginsAdded(WindowPlacement::border(
                                                inspector->geometry(), inspector->frameGeometry())),
                                            frameSize.width(), available);
    const QRect frame = WindowPlacement::cascade(frameSize, previous, available);
    window->resize(frame.size().shrunkBy(border));
    window->move(frame.topLeft());
}

void Manager::clearReadOuts()
{
    if (!panes_.dataBuffer)
        return;
    panes_.dataBuffer->clear();
    panes_.dataPoints->clear();
    panes_.dataComment->clear();
}
