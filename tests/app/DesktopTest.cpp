// What the program does as any document-based desktop program does: files
// handed to it open by their kind, Open Recent, names of new windows, the
// Window menu's list, About, windows kept on the screen, alerts sized to
// their text, the read-outs once no document is left.

#include "AppFixtures.h"
#include "app/AlertDialogs.h"
#include "app/CommandLine.h"
#include "app/DocumentWindowQt.h"
#include "app/Manager.h"
#include "app/QueryEditor.h"
#include "app/RecentFiles.h"
#include "app/SingleInstance.h"
#include "app/WindowPlacement.h"
#include "io/DocumentArchive.h"
#include "io/QueryListFile.h"
#include "model/DataBuffer.h"
#include "model/VexaDocument.h"
#include "platform/Alert.h"
#include "platform/UserDefaults.h"
#include "platform/Version.h"
#include "support/TestSupport.h"

#include <QAction>
#include <QApplication>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QLocalSocket>
#include <QMenu>
#include <QMessageBox>
#include <QScreen>

#include <gtest/gtest.h>

#include <atomic>
#include <thread>

namespace {

using AppFixtures::writeScratch;

// A document of one buffer saved at the scratch path; the path, or empty.
QString savedDocument(const QString& name, int points)
{
    VexaDocument d;
    auto b = std::make_unique<DataBuffer>();
    for (int i = 0; i < points; ++i)
        b->addDoubleValue(i, 2 * i);
    b->setComment(name);
    d.DB.push_back(std::move(b));
    const QString path = TestSupport::scratchDir() + QLatin1Char('/') + name;
    return DocumentArchive::writeToFile(d, path).ok() ? path : QString();
}

QStringList actionTexts(const QMenu* menu)
{
    QStringList out;
    for (const QAction* a : menu->actions())
        if (!a->isSeparator())
            out << a->text();
    return out;
}

QAction* actionNamed(const QMenu* menu, const QString& text)
{
    for (QAction* a : menu->actions())
        if (a->text() == text)
            return a;
    return nullptr;
}

void flushDeletes()
{
    QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

} // namespace

TEST(DesktopFiles, FileArgumentsOpenByKindAndADamagedDocumentIsRefused)
{
    Manager m;
    ScriptedAlerts alerts;
    RecentFiles(UserDefaults::standard()).clear();
    const QString good = savedDocument(QStringLiteral("good.vexa"), 4);
    const QString other = savedDocument(QStringLiteral("other.VEXA"), 2);
    const QString damaged = writeScratch(QStringLiteral("damaged.vexa"), "bplist00 this is no document");
    const QString missing = TestSupport::scratchDir() + QStringLiteral("/missing.vexa");
    ASSERT_FALSE(good.isEmpty());
    ASSERT_FALSE(other.isEmpty());
    ASSERT_FALSE(damaged.isEmpty());

    const struct {
        QString path;
        Manager::FileKind kind;
    } kinds[] = {
        {QStringLiteral("/a/b.vexa"), Manager::FileKind::Document},
        {QStringLiteral("/a/b.myvexa"), Manager::FileKind::QueryList},
        {QStringLiteral("/a/b.MAVEXA"), Manager::FileKind::MacroList},
        {QStringLiteral("/a/no-extension"), Manager::FileKind::Document},
    };
    for (const auto& k : kinds)
        EXPECT_EQ(Manager::fileKindOf(k.path), k.kind) << k.path.toStdString();

    // Refused files are reported one by one and the others still open.
    EXPECT_EQ(m.openFiles({good, damaged, missing, other}), 2);
    ASSERT_EQ(m.windows().size(), 2u);
    EXPECT_EQ(m.windows()[0]->filePath(), good);
    EXPECT_EQ(m.windows()[0]->document().DB.front()->nop(), 4);
    EXPECT_EQ(m.windows()[1]->displayName(), QStringLiteral("other.VEXA"));
    ASSERT_EQ(alerts.requests().size(), 2u);
    for (const Alert::Request& r : alerts.requests())
        EXPECT_EQ(r.title, QStringLiteral("File Open Error"));
    EXPECT_TRUE(alerts.requests()[1].message.contains(missing));

    // A file already open brings its window forward instead of a second one.
    EXPECT_EQ(m.openFiles({good}), 1);
    EXPECT_EQ(m.windows().size(), 2u);

    // Opened documents are remembered, the last one first; refused ones not.
    EXPECT_EQ(RecentFiles(UserDefaults::standard()).paths(), (QStringList{good, other}));

    // A query list is merged into the stored queries, and opens no window;
    // a damaged one is refused like a damaged document.
    const QString queries = TestSupport::scratchDir() + QStringLiteral("/shared.myvexa");
    ASSERT_TRUE(
        QueryListFile::write(queries,
                             {MySQLQuery(QStringLiteral("from a colleague"), QStringLiteral("db.example.org"),
                                         QStringLiteral("runs"), 3306, QStringLiteral("reader"), QString(),
                                         QStringLiteral("SELECT t, v FROM m"))})
            .ok());
    const QString badQueries = writeScratch(QStringLiteral("bad.myvexa"), "no list at all");
    EXPECT_EQ(m.openFiles({queries, badQueries}), 1);
    EXPECT_EQ(m.windows().size(), 2u);
    ASSERT_FALSE(m.queryEditor->MYQ.empty());
    EXPECT_EQ(m.queryEditor->MYQ.back().name, QStringLiteral("from a colleague"));
    ASSERT_EQ(alerts.requests().size(), 3u);
    EXPECT_EQ(alerts.requests().back().title, QStringLiteral("File Open Error"));
    EXPECT_TRUE(alerts.requests().back().message.contains(badQueries));
}

TEST(DesktopFiles, RecentFilesKeepTheLatestOnceAndDropWhatHasGone)
{
    UserDefaults& store = UserDefaults::standard();
    RecentFiles recent(store);
    recent.clear();
    for (int i = 0; i < RecentFiles::capacity + 3; ++i)
        recent.add(QStringLiteral("/data/f%1.vexa").arg(i));
    QStringList paths = recent.paths();
    ASSERT_EQ(paths.size(), RecentFiles::capacity);
    EXPECT_EQ(paths.front(), QStringLiteral("/data/f12.vexa"));
    EXPECT_EQ(paths.back(), QStringLiteral("/data/f3.vexa"));

    // The same file, however spelled, moves to the top once.
    recent.add(QStringLiteral("/data/./x/../f5.vexa"));
    paths = recent.paths();
    EXPECT_EQ(paths.front(), QStringLiteral("/data/f5.vexa"));
    EXPECT_EQ(paths.count(QStringLiteral("/data/f5.vexa")), 1);
    recent.remove(QStringLiteral("/data/f5.vexa"));
    EXPECT_FALSE(recent.paths().contains(QStringLiteral("/data/f5.vexa")));

    // Whatever the store holds comes out clean.
    store.setValue(QStringLiteral("RecentDocuments"),
                   QStringList{QString(), QStringLiteral("/d/a.vexa"), QStringLiteral("/d//a.vexa")});
    EXPECT_EQ(recent.paths(), QStringList{QStringLiteral("/d/a.vexa")});

    // The menu offers only files that are still there, and Clear Menu
    // empties the list.
    Manager m;
    const QString kept = savedDocument(QStringLiteral("recent.vexa"), 3);
    recent.clear();
    recent.add(QStringLiteral("/nowhere/gone.vexa"));
    recent.add(kept);
    emit m.openRecentMenu->aboutToShow();
    EXPECT_EQ(actionTexts(m.openRecentMenu),
              (QStringList{QStringLiteral("recent.vexa"), QStringLiteral("Clear Menu")}));
    EXPECT_EQ(recent.paths(), QStringList{kept});
    actionNamed(m.openRecentMenu, QStringLiteral("recent.vexa"))->trigger();
    ASSERT_EQ(m.windows().size(), 1u);
    EXPECT_EQ(m.windows().front()->filePath(), kept);
    actionNamed(m.openRecentMenu, QStringLiteral("Clear Menu"))->trigger();
    EXPECT_TRUE(recent.paths().isEmpty());
    emit m.openRecentMenu->aboutToShow();
    EXPECT_EQ(actionTexts(m.openRecentMenu), QStringList{QStringLiteral("Clear Menu")});
    EXPECT_FALSE(actionNamed(m.openRecentMenu, QStringLiteral("Clear Menu"))->isEnabled());
}

TEST(DesktopWindows, NewWindowsAreNumberedAndTheWindowMenuListsThem)
{
    Manager m;
    ScriptedAlerts alerts;
    DocumentWindowQt* one = m.newDocumentWindow();
    DocumentWindowQt* two = m.newDocumentWindow();
    DocumentWindowQt* three = m.newDocumentWindow();
    EXPECT_EQ(one->displayName(), QStringLiteral("Untitled"));
    EXPECT_EQ(two->displayName(), QStringLiteral("Untitled 2"));
    EXPECT_EQ(three->windowTitle(), QStringLiteral("Untitled 3[*]"));

    // A freed number is given again; a saved document keeps no number.
    two->closeWithoutAsking();
    flushDeletes();
    DocumentWindowQt* again = m.newDocumentWindow();
    EXPECT_EQ(again->displayName(), QStringLiteral("Untitled 2"));
    one->setFilePath(TestSupport::scratchDir() + QStringLiteral("/named.vexa"));
    EXPECT_EQ(one->displayName(), QStringLiteral("named.vexa"));
    EXPECT_EQ(m.newDocumentWindow()->displayName(), QStringLiteral("Untitled"));

    // The save question names the window as its title does.
    m.setWindowsVisible(true);
    again->document().newBuffer();
    again->document().replot();
    alerts.answer(2); // Cancel
    EXPECT_FALSE(again->close());
    ASSERT_FALSE(alerts.requests().empty());
    EXPECT_EQ(alerts.requests().back().message,
              QStringLiteral("Do you want to save the changes you made to Untitled 2?"));
    m.setWindowsVisible(false);

    // Every shown document window is in the Window menu, the current one
    // checked; the list is rebuilt each time, not appended to.
    m.setCurrentDoc(&three->document(), &three->document());
    emit m.windowMenu->aboutToShow();
    emit m.windowMenu->aboutToShow();
    const QStringList items = actionTexts(m.windowMenu);
    for (const QString& name : {QStringLiteral("named.vexa"), QStringLiteral("Untitled 3")})
        EXPECT_EQ(items.count(name), 1) << name.toStdString();
    EXPECT_EQ(items.count(QStringLiteral("Untitled 2 •")), 1); // edited
    EXPECT_TRUE(items.contains(QStringLiteral("Minimize")));
    EXPECT_TRUE(actionNamed(m.windowMenu, QStringLiteral("Untitled 3"))->isChecked());
    EXPECT_FALSE(actionNamed(m.windowMenu, QStringLiteral("named.vexa"))->isChecked());
}

TEST(DesktopMenus, ShortcutsAboutAndTheReadOutsOfAClosedDocument)
{
    Manager m;
    const struct {
        QMenu* menu;
        const char* item;
        QKeySequence key;
    } keys[] = {
        {m.fileMenu, "New", QKeySequence(Qt::CTRL | Qt::Key_N)},
        {m.fileMenu, "Open…", QKeySequence(Qt::CTRL | Qt::Key_O)},
        {m.fileMenu, "Save", QKeySequence(Qt::CTRL | Qt::Key_S)},
        {m.fileMenu, "Save As…", QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_S)},
        {m.fileMenu, "Close", QKeySequence(Qt::CTRL | Qt::Key_W)},
        {m.fileMenu, "Quit", QKeySequence(Qt::CTRL | Qt::Key_Q)},
        {m.editMenu, "Undo", QKeySequence(Qt::CTRL | Qt::Key_Z)},
        {m.editMenu, "Redo", QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z)},
        {m.editMenu, "Preferences…", QKeySequence(Qt::CTRL | Qt::Key_Comma)},
        {m.windowMenu, "Minimize", QKeySequence(Qt::CTRL | Qt::Key_M)},
    };
    for (const auto& k : keys) {
        QAction* a = actionNamed(k.menu, QString::fromUtf8(k.item));
        ASSERT_NE(a, nullptr) << k.item;
        EXPECT_EQ(a->shortcut(), k.key) << k.item;
    }
    // Open Recent sits right after Open.
    const QStringList file = actionTexts(m.fileMenu);
    EXPECT_EQ(file.indexOf(QStringLiteral("Open Recent")), file.indexOf(QStringLiteral("Open…")) + 1);

    // About names the program and its version, and comes back when asked again.
    ASSERT_NE(m.aboutAction, nullptr);
    m.aboutAction->trigger();
    ASSERT_NE(m.aboutBox, nullptr);
    EXPECT_TRUE(m.aboutBox->isVisible());
    auto* version = m.aboutBox->findChild<QLabel*>(QStringLiteral("aboutVersion"));
    ASSERT_NE(version, nullptr);
    EXPECT_EQ(version->text(), QStringLiteral("Version " VEXA_VERSION));
    QWidget* first = m.aboutBox;
    m.aboutBox->hide();
    m.aboutAction->trigger();
    EXPECT_EQ(m.aboutBox, first);
    EXPECT_TRUE(m.aboutBox->isVisible());

    // Once the last document has closed, the fields under the buffer list
    // no longer show its buffer.
    DocumentWindowQt* w = m.openDocument(std::make_unique<VexaDocument>(), false);
    w->document().DB.push_back(std::make_unique<DataBuffer>());
    w->document().DB.front()->addDoubleValue(1, 2);
    w->document().DB.front()->setComment(QStringLiteral("gone soon"));
    m.setCurrentDoc(&w->document(), &w->document());
    EXPECT_EQ(m.dataPanes().dataComment->text(), QStringLiteral("gone soon"));
    w->closeWithoutAsking();
    flushDeletes();
    EXPECT_TRUE(m.dataPanes().dataBuffer->text().isEmpty());
    EXPECT_TRUE(m.dataPanes().dataPoints->text().isEmpty());
    EXPECT_TRUE(m.dataPanes().dataComment->text().isEmpty());
}

TEST(DesktopWindows, TheInspectorWindowKeepsItsPlaceAcrossClosingAndRestarting)
{
    QScreen* s = QGuiApplication::primaryScreen();
    ASSERT_NE(s, nullptr);
    const QRect available = s->availableGeometry();
    QRect placed;
    {
        Manager m;
        ScriptedAlerts alerts;
        m.showInspector();
        // Somewhere else than the first start's place, and larger than the
        // least the window takes.
        placed = QRect(available.topLeft() + QPoint(20, 30), m.inspector->minimumSizeHint() + QSize(40, 30));
        ASSERT_TRUE(available.contains(placed));
        m.inspector->setGeometry(placed);
        m.inspector->close();
        m.showInspector();
        EXPECT_EQ(m.inspector->geometry(), placed);
    }
    Manager again;
    ScriptedAlerts alerts;
    again.showInspector();
    EXPECT_EQ(again.inspector->geometry(), placed);
}

TEST(DesktopWindows, WindowsAreKeptWithinTheFreeAreaOfTheScreen)
{
    const QRect screen(0, 24, 1600, 976); // below a 24-pixel panel
    const struct {
        const char* what;
        QRect frame;
        QRect expected;
    } fits[] = {
        {"inside stays", {100, 100, 800, 700}, {100, 100, 800, 700}},
        {"below the bottom moves up", {100, 500, 800, 700}, {100, 300, 800, 700}},
        {"above the top moves down", {100, 0, 800, 700}, {100, 24, 800, 700}},
        {"beyond the right moves left", {1200, 100, 800, 700}, {800, 100, 800, 700}},
        {"taller than the screen shrinks", {0, 0, 900, 1300}, {0, 24, 900, 976}},
        {"larger both ways fills it", {-50, -50, 3000, 3000}, screen},
    };
    for (const auto& f : fits)
        EXPECT_EQ(WindowPlacement::fitInside(f.frame, screen), f.expected) << f.what;

    // New windows step down and right, and start again at the corner when
    // the next step would leave the screen.
    const QSize size(820, 760);
    const QRect first = WindowPlacement::cascade(size, QRect(), screen);
    EXPECT_EQ(first, QRect(screen.topLeft(), size));
    const QRect second = WindowPlacement::cascade(size, first, screen);
    EXPECT_EQ(second.topLeft(),
              first.topLeft() + QPoint(WindowPlacement::cascadeStep, WindowPlacement::cascadeStep));
    QRect r = first;
    for (int i = 0; i < 20; ++i) {
        r = WindowPlacement::cascade(size, r, screen);
        EXPECT_TRUE(screen.contains(r)) << i;
    }
    EXPECT_EQ(WindowPlacement::cascade(QSize(2000, 2000), first, screen), screen);

    // Beside a window that stands on the screen, on its roomier side, when
    // there is room there.
    const QRect inspector(0, 24, 700, 976);
    EXPECT_EQ(WindowPlacement::beside(inspector, 820, screen), QRect(700, 24, 900, 976));
    EXPECT_EQ(WindowPlacement::beside(inspector.translated(900, 0), 820, screen), QRect(0, 24, 900, 976));
    EXPECT_EQ(WindowPlacement::beside(inspector, 1000, screen), screen);
    EXPECT_EQ(WindowPlacement::beside(QRect(), 820, screen), screen);

    // A window put on the screen by the controller lies within it, frame
    // and all, even when its document asks for more than the screen has.
    Manager m;
    QScreen* s = QGuiApplication::primaryScreen();
    ASSERT_NE(s, nullptr);
    auto d = std::make_unique<VexaDocument>();
    d->winw = s->availableGeometry().width() + 500;
    d->winh = s->availableGeometry().height() + 500;
    d->resizewin = 1;
    DocumentWindowQt* w = m.openDocument(std::move(d), true);
    EXPECT_TRUE(s->availableGeometry().contains(w->frameGeometry()))
        << w->frameGeometry().width() << "x" << w->frameGeometry().height();
}

TEST(DesktopAlerts, AlertsAreWideEnoughForTheirTextAndShowItPlain)
{
    const QString path = QStringLiteral("/home/someone/measurements/2024/beamline-7/calibration_run_0042/"
                                        "detector<b>.vexa");
    // Long paths break at their separators; short words are left alone.
    const QString shown = AlertDialogs::breakablePaths(path + QStringLiteral(" could not be read"));
    EXPECT_TRUE(shown.contains(QStringLiteral("/\u200B")));
    EXPECT_EQ(QString(shown).remove(QChar(0x200B)), path + QStringLiteral(" could not be read"));
    EXPECT_EQ(AlertDialogs::breakablePaths(QStringLiteral("a/b c/d")), QStringLiteral("a/b c/d"));

    const QScreen* screen = QGuiApplication::primaryScreen();
    ASSERT_NE(screen, nullptr);
    const struct {
        QString title;
        QString message;
    } cases[] = {
        {QStringLiteral("File Open Error"),
         path + QStringLiteral(" could not be read: No such file or directory")},
        {QStringLiteral("Both Axis Selected"),
         QStringLiteral("for this operation axis 1 or 2 (not both) must be selected")},
        {QStringLiteral("Ok"), QStringLiteral("short")},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.title.toStdString());
        QMessageBox box;
        box.setWindowTitle(c.title);
        box.setText(c.title);
        box.setInformativeText(AlertDialogs::breakablePaths(c.message));
        box.setIcon(QMessageBox::Warning);
        AlertDialogs::fitToText(box, c.title, c.message);
        box.addButton(QStringLiteral("Ok"), QMessageBox::ActionRole);
        box.show();
        QApplication::processEvents();
        const int width = box.width();
        EXPECT_GE(width, 360);
        EXPECT_LE(width, screen->availableGeometry().width());
        QFont bold = box.font();
        bold.setBold(true);
        EXPECT_GE(width, QFontMetrics(bold).horizontalAdvance(c.title) + 100);
        // The markup-like part of the file name is text, not markup.
        auto* label = box.findChild<QLabel*>(QStringLiteral("qt_msgbox_informativelabel"));
        ASSERT_NE(label, nullptr);
        EXPECT_EQ(label->textFormat(), Qt::PlainText);
        box.hide();
    }
}

TEST(DesktopCommandLine, OptionsFilesAndRequestsAreToldApart)
{
    const QString cwd = QStringLiteral("/work/here");
    const struct {
        const char* what;
        QStringList arguments;
        QStringList options;
        QStringList files;
        bool help;
        bool version;
        const char* error; // start of the message; null: none
    } cases[] = {
        {"nothing", {}, {}, {}, false, false, nullptr},
        {"options pair up",
         {"-m", "a.mac", "-h", "yes"},
         {"-m", "a.mac", "-h", "yes"},
         {},
         false,
         false,
         nullptr},
        {"files anywhere",
         {"one.vexa", "-i", "data.txt", "/abs/two.mavexa"},
         {"-i", "data.txt"},
         {"/work/here/one.vexa", "/abs/two.mavexa"},
         false,
         false,
         nullptr},
        {"paths are cleaned", {"../x/./q.myvexa"}, {}, {"/work/x/q.myvexa"}, false, false, nullptr},
        {"after -- all are files",
         {"--", "-odd.vexa", "--help"},
         {},
         {"/work/here/-odd.vexa", "/work/here/--help"},
         false,
         false,
         nullptr},
        {"a lone dash is a file", {"-"}, {}, {"/work/here/-"}, false, false, nullptr},
        {"help", {"x.vexa", "--help"}, {}, {"/work/here/x.vexa"}, true, false, nullptr},
        {"version", {"--version"}, {}, {}, false, true, nullptr},
        {"unknown long option",
         {"--frobnicate", "x.vexa"},
         {},
         {"/work/here/x.vexa"},
         false,
         false,
         "unknown option --frobnicate"},
        {"option without value",
         {"x.vexa", "-m"},
         {},
         {"/work/here/x.vexa"},
         false,
         false,
         "the option -m needs a value"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const CommandLine line = CommandLine::parse(c.arguments, cwd);
        EXPECT_EQ(line.options, c.options);
        EXPECT_EQ(line.files, c.files);
        EXPECT_EQ(line.help, c.help);
        EXPECT_EQ(line.version, c.version);
        if (c.error) {
            EXPECT_TRUE(line.error.startsWith(QLatin1String(c.error))) << line.error.toStdString();
        } else {
            EXPECT_TRUE(line.error.isEmpty()) << line.error.toStdString();
        }
    }
    // Every option the launch reads is explained.
    for (const char* option : {"-m FILE", "-i FILE", "-f TEXT", "-h yes", "-q yes", "--help", "--version"})
        EXPECT_TRUE(CommandLine::usage().contains(QLatin1String(option))) << option;
}

TEST(DesktopSingleInstance, ALaterStartHandsItsFilesToTheRunningOne)
{
    const QString socket = TestSupport::scratchDir() + QStringLiteral("/instance.socket");
    // Nobody listens yet.
    EXPECT_FALSE(SingleInstance::handOver(socket, {QStringLiteral("/a.vexa")}, 500));

    // A socket file an ended instance left behind does not stop the next one.
    ASSERT_FALSE(writeScratch(QStringLiteral("instance.socket"), "stale").isEmpty());
    SingleInstance running;
    QList<QStringList> received;
    ASSERT_TRUE(running.listen(socket, [&received](const QStringList& files) { received << files; }));
    SingleInstance second;
    EXPECT_FALSE(second.listen(socket, [](const QStringList&) {}));

    // The later start runs in a thread of its own here, as it would in a
    // process of its own; the running one answers from its event loop.
    auto handOverFromElsewhere = [&](const QStringList& files) {
        std::atomic<int> result{-1};
        const qsizetype before = received.size();
        std::thread later([&] { result = SingleInstance::handOver(socket, files, 5000) ? 1 : 0; });
        QElapsedTimer clock;
        clock.start();
        while (result < 0 && clock.elapsed() < 10000)
            QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
        later.join();
        // The files arrive once the confirmation has reached the instance.
        TestSupport::spinUntil([&] { return received.size() > before; }, 5000);
        return result == 1;
    };
    const QStringList files = {QStringLiteral("/data/run 1/ü.vexa"), QStringLiteral("/data/q.myvexa")};
    EXPECT_TRUE(handOverFromElsewhere(files));
    ASSERT_EQ(received.size(), 1);
    EXPECT_EQ(received.front(), files);

    // Rubbish is dropped and the instance goes on listening.
    std::thread rubbish([&] {
        QLocalSocket s;
        s.connectToServer(socket);
        if (s.waitForConnected(2000)) {
            s.write(QByteArray("\xff\xff\xff\xff garbage", 13));
            s.waitForBytesWritten(2000);
            s.waitForDisconnected(2000);
        }
    });
    QElapsedTimer clock;
    clock.start();
    while (clock.elapsed() < 500)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    rubbish.join();
    EXPECT_EQ(received.size(), 1);
    EXPECT_TRUE(handOverFromElsewhere({QStringLiteral("/data/again.vexa"), QStringLiteral("relative.vexa")}));
    ASSERT_EQ(received.size(), 2);
    EXPECT_EQ(received.back(), QStringList{QStringLiteral("/data/again.vexa")});
}

// The running instance answers from a thread of its own: busy opening a
// large document, it still answers a later start at once, and opens the
// files once it is free, so the later start never opens them as well. A
// start that heard no answer in time confirms nothing, and the files it
// sent are not opened by the instance either.
TEST(DesktopSingleInstance, ABusyInstanceAnswersAtOnceAndOpensOnlyConfirmedFiles)
{
    const QString socket = TestSupport::scratchDir() + QStringLiteral("/busy.socket");
    SingleInstance running;
    QList<QStringList> received;
    ASSERT_TRUE(running.listen(socket, [&received](const QStringList& files) { received << files; }));

    const QStringList files = {QStringLiteral("/data/large.vexa")};
    std::atomic<int> result{-1};
    std::thread later([&] { result = SingleInstance::handOver(socket, files, 2000) ? 1 : 0; });
    // The main thread stays busy for as long as the later start runs.
    later.join();
    EXPECT_EQ(result, 1);
    EXPECT_TRUE(received.isEmpty());
    EXPECT_TRUE(TestSupport::spinUntil([&] { return !received.isEmpty(); }));
    ASSERT_EQ(received.size(), 1);
    EXPECT_EQ(received.front(), files);

    // A start that gave up waiting before the answer came: it sent the
    // files, read nothing and confirmed nothing.
    QLocalSocket gaveUp;
    gaveUp.connectToServer(socket);
    ASSERT_TRUE(gaveUp.waitForConnected(2000));
    const QByteArray path("/data/twice.vexa");
    QByteArray message(4, '\0');
    message[3] = char(path.size() + 1);
    message += path + '\0';
    gaveUp.write(message);
    ASSERT_TRUE(gaveUp.waitForBytesWritten(2000));
    ASSERT_TRUE(gaveUp.waitForReadyRead(2000));
    EXPECT_EQ(gaveUp.readAll(), QByteArray("ok"));
    gaveUp.disconnectFromServer();
    QElapsedTimer clock;
    clock.start();
    while (clock.elapsed() < 500)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    EXPECT_EQ(received.size(), 1);
}
