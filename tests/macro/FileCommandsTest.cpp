// File, import, export and sub-view commands, run as macros through the
// real tokeniser on a scripted host; every file is really written and read.

#include "MacroFakes.h"

#include "io/DocumentArchive.h"
#include "io/MySQLQuery.h"
#include "io/PictureExport.h"
#include "platform/Alert.h"
#include "support/ChildProcess.h"
#include "support/LockedFolder.h"
#include "support/TestSupport.h"
#include "view/Subviews.h"
#include "view/VexaView.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QImageReader>

#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <vector>

namespace {

// The fake host with views for its documents, sub-views, document files and
// a record of what the Channel Access and MySQL commands asked for.
class FilesHost : public FakeMacroHost {
public:
    std::vector<std::unique_ptr<VexaView>> views;
    QStringList requests; // in the order asked
    bool serverAnswers = true;
    MySQLQuery lastQuery;
    int closes = 0;

    // A current document of two buffers (x = i, y = 10 i; 3 and 4 points)
    // drawn in a 400 by 300 view.
    VexaDocument* drawnDocument()
    {
        VexaDocument* d = currentDocument({3, 4});
        attachView(*d);
        return d;
    }
    void attachView(VexaDocument& d)
    {
        views.push_back(std::make_unique<VexaView>(QSizeF(400, 300), &manager));
        views.back()->setVexaDocument(&d);
        d.PV = views.back().get();
    }

    void setCurrentDoc(VexaDocument* document, VexaDocument* main) override
    {
        manager.PD = document;
        manager.MPD = main;
    }
    VexaDocument* openDocument(const QString& path) override
    {
        auto d = std::make_unique<VexaDocument>();
        d->M = &manager;
        DocumentArchive::SubviewViews subviews;
        // As the controller does: a refused file is shown as its alert.
        const Outcome read = DocumentArchive::readFromFile(*d, path, subviews);
        Alert::show(read);
        if (!read.ok())
            return nullptr;
        for (auto& v : subviews)
            views.push_back(std::move(v));
        documents.push_back(std::move(d));
        attachView(*documents.back());
        return documents.back().get();
    }
    void performClose(VexaDocument* document) override
    {
        ++closes;
        Macro::documentWillClose(document);
    }
    VexaDocument* addSubview(VexaDocument& main, const QRectF& frame) override
    {
        auto sub = std::make_unique<VexaDocument>();
        VexaDocument* d = sub.get();
        views.push_back(Subviews::attach(main, std::move(sub), frame));
        return d;
    }
    void removeSubview(VexaDocument& main, VexaDocument* subview) override
    {
        Macro::documentWillClose(subview);
        for (auto it = main.SPD.begin(); it != main.SPD.end(); ++it)
            if (it->get() == subview) {
                main.SPD.erase(it);
                break;
            }
    }

    void epicsTimeout(double seconds) override { requests << QStringLiteral("timeout %1").arg(seconds); }
    void epicsAddrList(const QString& list) override { requests << QStringLiteral("addrlist ") + list; }
    bool epicsMaxArray(const QString& bytes) override
    {
        requests << QStringLiteral("maxarray ") + bytes;
        return serverAnswers;
    }
    bool epicsSetVar(const QString& name, const QString& variable) override
    {
        requests << QStringLiteral("setvar %1 %2").arg(name, variable);
        return serverAnswers;
    }
    bool importEPICS(VexaDocument&, const QString& x, const QString& y) override
    {
        requests << QStringLiteral("epics %1|%2").arg(x, y);
        return serverAnswers;
    }
    bool importMySQL(VexaDocument&, const MySQLQuery& query) override
    {
        lastQuery = query;
        requests << QStringLiteral("mysql");
        return serverAnswers;
    }
};

QString scratch(const QString& name)
{
    return TestSupport::scratchDir() + QLatin1Char('/') + name;
}

QString writeScratch(const QString& name, const QByteArray& bytes)
{
    QFile f(scratch(name));
    if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate) || f.write(bytes) != bytes.size())
        return QString();
    return f.fileName();
}

QByteArray readAll(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

// The run's console after the source ran, with "$dir" standing for the
// scratch folder.
QString run(FilesHost& host, const QString& source)
{
    QString text = source;
    text.replace(QLatin1String("$dir"), TestSupport::scratchDir());
    return runMacro(host, text);
}

// --- pictures ----------------------------------------------------------------------------

TEST(FileCommands, PicturesAreWrittenAtTheirResolution)
{
    FilesHost host;
    host.drawnDocument();
    EXPECT_EQ(run(host,
                  QStringLiteral("atext bottom seconds\natext left volts\n"
                                 "savepng '$dir/a.png'\nsavepng '$dir/b.png' 300\n"
                                 "savejpg '$dir/c.jpg'\nsavejpg '$dir/d.jpg' 144\n"
                                 "savepdf '$dir/e.pdf'\nsaveeps '$dir/f.eps'")),
              QString());
    const struct {
        const char* file;
        int dpi;
    } bitmaps[] = {{"a.png", 72}, {"b.png", 300}, {"c.jpg", 72}, {"d.jpg", 144}};
    for (const auto& b : bitmaps) {
        SCOPED_TRACE(b.file);
        const QImage image(scratch(QLatin1String(b.file)));
        ASSERT_FALSE(image.isNull());
        EXPECT_EQ(image.size(), PictureExport::imageSize(QSizeF(400, 300), b.dpi));
        EXPECT_NEAR(image.dotsPerMeterX() * 0.0254, b.dpi, 1.0);
    }
    // The PDF: one page of the view's size, its texts in embedded fonts.
    const QString pdf = scratch(QStringLiteral("e.pdf"));
    EXPECT_TRUE(readAll(pdf).startsWith("%PDF-"));
    const QString info = TestSupport::popplerTool("pdfinfo", {pdf}).simplified();
    EXPECT_TRUE(info.contains(QStringLiteral("Pages: 1 "))) << info.toStdString();
    EXPECT_TRUE(info.contains(QStringLiteral("Page size: 400 x 300 pts"))) << info.toStdString();
    const QStringList fonts = TestSupport::pdfFonts(pdf);
    ASSERT_FALSE(fonts.isEmpty());
    for (const QString& font : fonts)
        EXPECT_TRUE(font.endsWith(QStringLiteral(" yes"))) << font.toStdString();
    const QString text = TestSupport::popplerTool("pdftotext", {pdf, QStringLiteral("-")});
    for (const char* word : {"seconds", "volts", "0.8"})
        EXPECT_TRUE(text.contains(QLatin1String(word))) << word << "\n" << text.toStdString();
    // The EPS: the same graph in a box of its size, with its fonts.
    const QByteArray eps = readAll(scratch(QStringLiteral("f.eps")));
    EXPECT_TRUE(eps.startsWith("%!PS-Adobe")) << eps.left(40).constData();
    EXPECT_TRUE(eps.contains("%%BoundingBox: 0 0 400 300"));
    EXPECT_TRUE(eps.contains("%%BeginResource: font")) << eps.left(2000).constData();
}

TEST(FileCommands, AFailedExportIsAFailureKeepsTheOlderFileAndTheRunGoesOn)
{
    FilesHost host;
    host.drawnDocument();
    const QString kept = writeScratch(QStringLiteral("kept.png"), "older picture");
    const struct {
        const char* source;
        const char* path; // a file that must be as it was
    } cases[] = {
        {"savepng '$dir/kept.png' 0", "kept.png"},
        {"savepdf '$dir/no/such/folder/x.pdf'", nullptr},
        {"savejpg '$dir'", nullptr},
        {"export '$dir' 0 0", nullptr},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.source);
        host.console.clear();
        const QString console = run(host, QLatin1String(c.source) + QStringLiteral("\nprint after"));
        EXPECT_TRUE(console.startsWith(QStringLiteral("Export failed ("))) << console.toStdString();
        EXPECT_TRUE(console.endsWith(QStringLiteral("\nafter "))) << console.toStdString();
        EXPECT_EQ(host.lastFailures, 1);
        EXPECT_FALSE(host.lastStopped);
        if (c.path) {
            EXPECT_EQ(readAll(scratch(QLatin1String(c.path))), QByteArray("older picture"));
        }
    }
    EXPECT_FALSE(kept.isEmpty());
}

// Nothing can be made in the folder: each save and export says why, counts
// as a failure of the run, and leaves the file it would have replaced as it
// was, with nothing beside it.
TEST(FileCommands, AnUnwritableFolderKeepsItsFilesAndFailsTheCommand)
{
    FilesHost host;
    host.drawnDocument();
    const QString folder = scratch(QStringLiteral("locked"));
    const struct {
        const char* command;
        const char* file;
        const char* console;
    } cases[] = {
        {"saveas", "doc.vexa", "Save failed ("},   {"savepng", "pic.png", "Export failed ("},
        {"savejpg", "pic.jpg", "Export failed ("}, {"savepdf", "pic.pdf", "Export failed ("},
        {"saveeps", "pic.eps", "Export failed ("}, {"export", "data.txt", "Export failed ("},
    };
    QStringList files;
    ASSERT_TRUE(QDir().mkpath(folder));
    for (const auto& c : cases) {
        ASSERT_FALSE(writeScratch(QStringLiteral("locked/") + QLatin1String(c.file), c.file).isEmpty());
        files << QLatin1String(c.file);
    }
    files.sort();
    TestSupport::LockedFolder lock(folder);
    ASSERT_TRUE(lock.locked());
    for (const auto& c : cases) {
        SCOPED_TRACE(c.command);
        host.console.clear();
        const QString path = folder + QLatin1Char('/') + QLatin1String(c.file);
        const QString console
            = run(host,
                  QStringLiteral("%1 '%2'%3\nprint after")
                      .arg(QLatin1String(c.command), path, QLatin1String(*c.command == 'e' ? " 0 0" : "")));
        EXPECT_TRUE(console.startsWith(QLatin1String(c.console))) << console.toStdString();
        EXPECT_TRUE(console.contains(path)) << console.toStdString();
        EXPECT_TRUE(console.endsWith(QStringLiteral("\nafter "))) << console.toStdString();
        EXPECT_EQ(host.lastFailures, 1);
        EXPECT_EQ(readAll(path), QByteArray(c.file));
        EXPECT_EQ(QDir(folder).entryList(QDir::Files | QDir::Hidden | QDir::System, QDir::Name), files);
    }
}

// --- ASCII export ------------------------------------------------------------------------

TEST(FileCommands, ExportWritesTheLastBufferOfTheSet)
{
    FilesHost host;
    VexaDocument* d = host.drawnDocument();
    d->DB[1]->setXDoubleErrorAt(0, 0.5);
    d->DB[1]->setYDoubleErrorAt(0, 0.25);
    const struct {
        const char* source;
        const char* firstLine;
        int lines;
    } cases[] = {
        {"export '$dir/x.txt' 0 0,1", "0\t0\t0.5\t0.25", 4},
        {"export '$dir/x.txt' 4 1", "0\t0\t0.5\t0.25", 4}, // an unknown mode is mode 0
        {"export '$dir/x.txt' 0 0", "0\t0", 3},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.source);
        EXPECT_EQ(run(host, QLatin1String(c.source)), QString());
        const QList<QByteArray> lines = readAll(scratch(QStringLiteral("x.txt"))).trimmed().split('\n');
        EXPECT_EQ(lines.size(), c.lines);
        EXPECT_EQ(lines.value(0), QByteArray(c.firstLine));
    }
}

// --- document files ------------------------------------------------------------------------

TEST(FileCommands, SaveasWritesADocumentThatOpensEqual)
{
    FilesHost host;
    VexaDocument* d = host.drawnDocument();
    d->page.marginleft = 123;
    d->axes[AxisY1].axistext = QStringLiteral("volts");
    EXPECT_EQ(
        run(host, QStringLiteral("saveas '$dir/doc.vexa'\nopen '$dir/doc.vexa'\nsetcomment 0 reopened")),
        QString());
    ASSERT_EQ(host.documents.size(), 2u);
    VexaDocument* opened = host.documents.back().get();
    EXPECT_EQ(host.manager.PD, opened);
    EXPECT_EQ(host.manager.MPD, opened);
    // The rest of the run acted on the opened document.
    EXPECT_EQ(opened->DB[0]->comment, QStringLiteral("reopened"));
    EXPECT_NE(d->DB[0]->comment, QStringLiteral("reopened"));
    EXPECT_EQ(opened->page, d->page);
    EXPECT_EQ(opened->axes, d->axes);
    ASSERT_EQ(opened->bufferCount(), 2);
    EXPECT_EQ(opened->DB[1]->nop(), 4);
    EXPECT_EQ(opened->DB[1]->y(3), 30.0);
}

// A failed open ends the run (what follows would act on the wrong
// document); a failed save or print is reported and the run goes on.
TEST(FileCommands, AFailedOpenEndsTheRunAFailedSaveOrPrintDoesNot)
{
    const struct {
        const char* source;
        const char* console; // the start of the console
        bool stops;
    } cases[] = {
        // The reader's alert has said why; the console stays quiet.
        {"open '$dir/missing.vexa'\nprint after", "", true},
        {"save\nprint after", "Save failed (the document has no file yet", false},
        {"saveas '$dir/no/such/folder/x.vexa'\nprint after", "Save failed (", false},
        {"printdoc\nprint after", "Print failed (", false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.source);
        FilesHost host;
        host.drawnDocument();
        ScriptedAlerts alerts;
        const QString console = run(host, QLatin1String(c.source));
        if (*c.console) {
            EXPECT_TRUE(console.startsWith(QLatin1String(c.console))) << console.toStdString();
        } else {
            EXPECT_EQ(console, QString());
        }
        EXPECT_EQ(console.contains(QStringLiteral("after")), !c.stops);
        EXPECT_EQ(host.lastStopped, c.stops);
        EXPECT_EQ(host.lastFailures, 1);
    }
}

TEST(FileCommands, NewAndCloseMoveTheRun)
{
    FilesHost host;
    VexaDocument* first = host.drawnDocument();
    EXPECT_EQ(run(host, QStringLiteral("newbuffer\nnew\nnewbuffer\nnewbuffer")), QString());
    ASSERT_EQ(host.newDocuments, 1);
    EXPECT_EQ(first->bufferCount(), 3);
    EXPECT_EQ(host.manager.PD->bufferCount(), 2);

    // After close the run goes on without a document: an open or a new
    // gives it one; a command that needs one ends it.
    EXPECT_EQ(run(host, QStringLiteral("close\nprint after\nnew\nnewbuffer")), QStringLiteral("after "));
    EXPECT_EQ(host.closes, 1);
    EXPECT_EQ(host.newDocuments, 2);
    EXPECT_EQ(host.manager.PD->bufferCount(), 1);
    EXPECT_FALSE(host.lastStopped);
    host.console.clear();
    EXPECT_EQ(run(host, QStringLiteral("close\nnewbuffer\nprint never")),
              QStringLiteral("No document for: newbuffer\n"));
    EXPECT_TRUE(host.lastStopped);
}

// --- imports -------------------------------------------------------------------------------

TEST(FileCommands, ImportReadsWithTheCommandsSettings)
{
    const QByteArray text = "# comment line\n"
                            "1;10;100\n"
                            "2;20;200 skip\n"
                            "3;30;300 // tail\n";
    const QString path = writeScratch(QStringLiteral("data.txt"), text);
    const QString plain = writeScratch(QStringLiteral("plain.txt"), "1 10 0.5 0.25\n2 20 0.5 0.25\n");
    ASSERT_FALSE(path.isEmpty());
    ASSERT_FALSE(plain.isEmpty());
    const struct {
        const char* arguments;
        const char* buffers; // per buffer: its points "x:y" joined by blanks, buffers by " | "
    } cases[] = {
        {"'$dir/plain.txt' 0", "1:10 2:20 | 1:0.5 2:0.5 | 1:0.25 2:0.25"},
        {"'$dir/plain.txt' 1", "1:10 2:20"},
        {"'$dir/plain.txt' 2", ""},
        {"'$dir/data.txt' 0 ';' 2 0 c 'skip' '//'", "10:1 30:3 | 10:100 30:300"},
        {"'$dir/data.txt' 0 ';' 1 1", "0:1 1:2 2:3 | 0:10 1:20 2:30 | 0:100 1:200 2:300"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.arguments);
        FilesHost host;
        VexaDocument* d = host.drawnDocument();
        d->DB.clear();
        EXPECT_EQ(run(host, QStringLiteral("import ") + QLatin1String(c.arguments)), QString());
        QStringList buffers;
        for (const auto& b : d->DB) {
            QStringList points;
            for (int i = 0; i < b->nop(); ++i)
                points << QStringLiteral("%1:%2").arg(b->x(i)).arg(b->y(i));
            buffers << points.join(QLatin1Char(' '));
        }
        EXPECT_EQ(buffers.join(QStringLiteral(" | ")), QLatin1String(c.buffers));
    }
}

TEST(FileCommands, ImportsThatReadNothingAreFailuresAndTheRunGoesOn)
{
    const QString empty = writeScratch(QStringLiteral("empty.txt"), "no numbers here\n");
    const QString bytes = writeScratch(QStringLiteral("seven.bin"), "1234567");
    ASSERT_FALSE(empty.isEmpty());
    ASSERT_FALSE(bytes.isEmpty());
    for (const char* source : {"import '$dir/missing.txt' 0", "import '$dir/empty.txt' 0",
                               "binaryimport '$dir/missing.bin' 0 0 0 2"}) {
        SCOPED_TRACE(source);
        FilesHost host;
        VexaDocument* d = host.drawnDocument();
        ScriptedAlerts alerts;
        const QString console = run(host, QLatin1String(source) + QStringLiteral("\nprint after"));
        EXPECT_TRUE(console.startsWith(QStringLiteral("Import failed"))) << console.toStdString();
        EXPECT_TRUE(console.endsWith(QStringLiteral("\nafter "))) << console.toStdString();
        EXPECT_EQ(host.lastFailures, 1);
        EXPECT_EQ(d->bufferCount(), 2);
    }
}

TEST(FileCommands, BinaryImportTakesOnlyKnownLayouts)
{
    QByteArray bytes;
    for (double v : {1.0, 10.0, 2.0, 20.0, 3.0, 30.0})
        bytes.append(reinterpret_cast<const char*>(&v), sizeof v);
    ASSERT_FALSE(writeScratch(QStringLiteral("pairs.bin"), bytes).isEmpty());
    const struct {
        const char* arguments;
        int newBuffers;
    } cases[] = {
        {"0 0 0 2 'from a file'", 1},
        {"0 1 0 3", 2}, // three whole columns of two numbers each
        {"4 0 0 2", 0},
        {"0 2 0 2", 0},
        {"0 0 2 2", 0},
        {"0 0 0 0", 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.arguments);
        FilesHost host;
        VexaDocument* d = host.drawnDocument();
        EXPECT_EQ(run(host, QStringLiteral("binaryimport '$dir/pairs.bin' ") + QLatin1String(c.arguments)),
                  QString());
        ASSERT_EQ(d->bufferCount(), 2 + c.newBuffers);
        if (c.newBuffers && QByteArray(c.arguments).contains("from")) {
            EXPECT_EQ(d->DB[2]->nop(), 3);
            EXPECT_EQ(d->DB[2]->y(2), 30.0);
            EXPECT_EQ(d->DB[2]->comment, QStringLiteral("from a file"));
        }
    }
}

TEST(FileCommands, ServerCommandsPassTheirArguments)
{
    FilesHost host;
    host.drawnDocument();
    EXPECT_EQ(run(host,
                  QStringLiteral("epicstimeout 2.5\nepicsaddrlist '10.0.0.1 10.0.0.2'\n"
                                 "epicsmaxarray 100000\nepicssetvar v 'pv:one'\n"
                                 "epicsimport pv:x\nepicsimport pv:x pv:y\n"
                                 "mysqlimport db.example data reader secret 3300+6 'select x, y from t'")),
              QString());
    EXPECT_EQ(host.requests,
              (QStringList{"timeout 2.5", "addrlist 10.0.0.1 10.0.0.2", "maxarray 100000", "setvar v pv:one",
                           "epics pv:x|", "epics pv:x|pv:y", "mysql"}));
    EXPECT_EQ(host.lastQuery.host, QStringLiteral("db.example"));
    EXPECT_EQ(host.lastQuery.db, QStringLiteral("data"));
    EXPECT_EQ(host.lastQuery.user, QStringLiteral("reader"));
    EXPECT_EQ(host.lastQuery.passwd, QStringLiteral("secret"));
    EXPECT_EQ(host.lastQuery.port, 3306);
    EXPECT_EQ(host.lastQuery.sql, QStringLiteral("select x, y from t"));

    host.serverAnswers = false;
    for (const char* source : {"epicsimport pv:x", "epicssetvar v pv", "epicsmaxarray lots",
                               "mysqlimport h d u p 3306 'select 1'"}) {
        SCOPED_TRACE(source);
        host.console.clear();
        const QString console = run(host, QLatin1String(source) + QStringLiteral("\nprint after"));
        EXPECT_TRUE(console.endsWith(QStringLiteral("\nafter "))) << console.toStdString();
        EXPECT_EQ(host.lastFailures, 1);
        EXPECT_FALSE(host.lastStopped);
    }

    // No message shows the password: not that of a failed import, nor
    // that of a command with a wrong number of arguments.
    for (const char* source : {"mysqlimport 127.0.0.1 vexatest vexa s3cr3t 46097 'select 1'",
                               "MySQLImport 127.0.0.1 vexatest vexa s3cr3t 46097 'select 1' extra"}) {
        SCOPED_TRACE(source);
        host.console.clear();
        host.errors.clear();
        run(host, QLatin1String(source));
        ASSERT_EQ(host.errors.size(), 1);
        EXPECT_FALSE(host.console.contains(QStringLiteral("s3cr3t"))) << host.console.toStdString();
        EXPECT_TRUE(host.errors[0].contains(QStringLiteral("vexatest vexa ******** 46097")))
            << host.errors[0].toStdString();
    }
}

// --- sub-views ------------------------------------------------------------------------------

QRectF frameOf(const VexaDocument* d)
{
    return static_cast<VexaView*>(d->PV)->frame();
}

TEST(FileCommands, SubviewsAreMadeSizedSwitchedAndDeleted)
{
    FilesHost host;
    VexaDocument* main = host.drawnDocument();
    EXPECT_EQ(run(host,
                  QStringLiteral("subview 200 150 50 60\nnewbuffer\nsubview 5 100 0 0\n"
                                 "subview 100 80 10 20\nnewbuffer\nnewbuffer")),
              QString());
    ASSERT_EQ(main->SPD.size(), 2u);
    VexaDocument* first = main->SPD[0].get();
    VexaDocument* second = main->SPD[1].get();
    EXPECT_EQ(frameOf(first), QRectF(50, 60, 200, 150));
    EXPECT_EQ(frameOf(second), QRectF(10, 20, 100, 80));
    EXPECT_TRUE(first->subview);
    EXPECT_EQ(first->MPD, main);
    EXPECT_EQ(first->bufferCount(), 1);
    EXPECT_EQ(second->bufferCount(), 2);
    EXPECT_EQ(main->bufferCount(), 2);
    EXPECT_EQ(host.manager.PD, second);
    EXPECT_EQ(host.manager.MPD, main);

    const struct {
        const char* source;
        VexaDocument* target; // gets the buffer the source ends with
    } switches[] = {
        {"changeview 1", first},
        {"changeview 3", first}, // out of range: stays where it was
        {"changeview 0", main},
        {"changeview 2", second},
    };
    for (const auto& s : switches) {
        SCOPED_TRACE(s.source);
        const int before = s.target->bufferCount();
        EXPECT_EQ(run(host, QLatin1String(s.source) + QStringLiteral("\nnewbuffer")), QString());
        EXPECT_EQ(s.target->bufferCount(), before + 1);
        EXPECT_EQ(host.manager.PD, s.target);
    }

    // sizeview acts on a sub-view only, with sizes above 5 and a place in
    // the main view.
    for (const char* source : {"sizeview 120 90 5 6", "sizeview 5 90 1 1", "sizeview 120 90 -1 0"})
        EXPECT_EQ(run(host, QLatin1String(source)), QString());
    EXPECT_EQ(frameOf(second), QRectF(5, 6, 120, 90));
    EXPECT_EQ(run(host, QStringLiteral("changeview 0\nsizeview 120 90 5 6")), QString());
    EXPECT_EQ(frameOf(main), QRectF(0, 0, 400, 300));

    // Deleting the current sub-view moves the run to the main document.
    const int mainBuffers = main->bufferCount();
    EXPECT_EQ(run(host, QStringLiteral("changeview 2\ndeleteview 2\nnewbuffer")), QString());
    ASSERT_EQ(main->SPD.size(), 1u);
    EXPECT_EQ(main->SPD[0].get(), first);
    EXPECT_EQ(main->bufferCount(), mainBuffers + 1);
    EXPECT_EQ(run(host, QStringLiteral("deleteview 5\nchangeview 1\ndeleteview ALL\nnewbuffer")), QString());
    EXPECT_TRUE(main->SPD.empty());
    EXPECT_EQ(main->bufferCount(), mainBuffers + 2);
    EXPECT_EQ(host.manager.PD, main);
    EXPECT_EQ(run(host, QStringLiteral("deleteview all")), QString());
}

TEST(FileCommands, ASubviewCommandOnASubviewMakesItsSiblingInTheMainDocument)
{
    FilesHost host;
    VexaDocument* main = host.drawnDocument();
    EXPECT_EQ(run(host,
                  QStringLiteral("subview 100 100 0 0\nsubview 80 80 10 10\n"
                                 "subview 100000 80 0 0")),
              QString());
    ASSERT_EQ(main->SPD.size(), 2u);
    EXPECT_TRUE(main->SPD[1]->SPD.empty());
    EXPECT_TRUE(main->SPD[0]->SPD.empty());
}

} // namespace
