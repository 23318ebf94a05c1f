// The controller behind the file and sub-view commands of macros: document
// files tied to their windows, the question before an edited window closes,
// and sub-views whose views the window keeps.

#include "AppFixtures.h"
#include "app/DocumentWindowQt.h"
#include "app/Manager.h"
#include "io/DocumentArchive.h"
#include "macro/Macro.h"
#include "model/DataBuffer.h"
#include "model/VexaDocument.h"
#include "platform/Alert.h"
#include "support/TestSupport.h"

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QPlainTextEdit>
#include <QPointer>

#include <gtest/gtest.h>

#include <memory>

namespace {

// A hidden document window with a buffer of three points; current.
VexaDocument& currentHidden(Manager& m)
{
    auto d = std::make_unique<VexaDocument>();
    auto b = std::make_unique<DataBuffer>();
    for (int i = 0; i < 3; ++i)
        b->addDoubleValue(i, i * i);
    d->DB.push_back(std::move(b));
    VexaDocument& doc = m.openDocument(std::move(d), false)->document();
    m.setCurrentDoc(&doc, &doc);
    return doc;
}

// The console text of the run.
QString run(Manager& m, const QString& source)
{
    const QString before = m.console().text();
    QString text = source;
    text.replace(QLatin1String("$dir"), TestSupport::scratchDir());
    Macro macro(QStringLiteral("test"), text, 0, 0);
    macro.parseMacro();
    return m.console().text().mid(before.size());
}

} // namespace

TEST(MacroFileCommands, SaveasTiesTheWindowToTheFileAndSaveRewritesIt)
{
    Manager m;
    VexaDocument& d = currentHidden(m);
    const QString path = TestSupport::scratchDir() + QStringLiteral("/tied.vexa");
    QFile::remove(path);

    // Without a file and without anybody to ask for one, save fails.
    EXPECT_TRUE(
        run(m, QStringLiteral("save")).startsWith(QStringLiteral("Save failed (the document has no file")));
    EXPECT_FALSE(QFileInfo::exists(path));

    EXPECT_EQ(run(m, QStringLiteral("saveas '$dir/tied.vexa'\nnewbuffer\nsave")), QString());
    EXPECT_EQ(Manager::filePathOf(&d), path);
    EXPECT_EQ(m.SV.value(QStringLiteral("document")), path);

    // The file holds the state of the last save, with both buffers.
    VexaDocument reread;
    DocumentArchive::SubviewViews views;
    ScriptedAlerts alerts;
    ASSERT_TRUE(DocumentArchive::readFromFile(reread, path, views).ok());
    EXPECT_EQ(reread.bufferCount(), 2);

    // Opening the file again finds its window.
    const std::size_t windows = m.windows().size();
    EXPECT_EQ(run(m, QStringLiteral("open '$dir/tied.vexa'")), QString());
    EXPECT_EQ(m.windows().size(), windows);
    EXPECT_EQ(m.PD, &d);
}

TEST(MacroFileCommands, CloseAsksAboutAnEditedDocumentWhenSomeoneCanAnswer)
{
    Manager m;
    m.setWindowsVisible(true);
    VexaDocument& d = currentHidden(m);
    QPointer<DocumentWindowQt> w = Manager::windowOf(&d);
    w->setDocumentEdited(true);
    {
        ScriptedAlerts alerts{2}; // Cancel: the window stays, the run goes on
        EXPECT_EQ(run(m, QStringLiteral("close\nprint kept")), QStringLiteral("kept "));
        ASSERT_EQ(alerts.requests().size(), 1u);
        EXPECT_TRUE(
            alerts.requests()[0].message.startsWith(QStringLiteral("Do you want to save the changes")));
        EXPECT_FALSE(w.isNull());
    }
    {
        ScriptedAlerts alerts{1}; // Don't Save: the window goes, the run goes on without it
        EXPECT_EQ(run(m, QStringLiteral("close\nprint kept")), QStringLiteral("\nkept "));
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        EXPECT_TRUE(w.isNull());
    }
}

TEST(MacroFileCommands, SubviewViewsLiveInTheMainWindow)
{
    Manager m;
    VexaDocument& d = currentHidden(m);
    DocumentWindowQt* w = Manager::windowOf(&d);
    EXPECT_EQ(run(m, QStringLiteral("subview 200 150 50 60\nnewbuffer\nsubview 100 100 0 0")), QString());
    ASSERT_EQ(d.SPD.size(), 2u);
    ASSERT_EQ(w->subviewViews.size(), 2u);
    EXPECT_EQ(w->subviewViews[0]->PD, d.SPD[0].get());
    EXPECT_EQ(d.SPD[0]->PV, w->subviewViews[0].get());
    EXPECT_EQ(d.SPD[0]->bufferCount(), 1);
    EXPECT_EQ(m.PD, d.SPD[1].get());
    EXPECT_EQ(m.MPD, &d);
    EXPECT_EQ(Manager::windowOf(d.SPD[1].get()), w);

    EXPECT_EQ(run(m, QStringLiteral("deleteview 1\nnewbuffer")), QString());
    ASSERT_EQ(d.SPD.size(), 1u);
    ASSERT_EQ(w->subviewViews.size(), 1u);
    EXPECT_EQ(w->subviewViews[0]->PD, d.SPD[0].get());
    EXPECT_EQ(m.PD, &d);
    EXPECT_EQ(d.bufferCount(), 2);

    // A document file keeps them.
    EXPECT_EQ(run(m, QStringLiteral("saveas '$dir/with-subview.vexa'\ndeleteview all")), QString());
    EXPECT_TRUE(w->subviewViews.empty());
    // The closed window, not yet destroyed, is no longer the file's window:
    // the file opens anew.
    EXPECT_EQ(run(m, QStringLiteral("close")), QString());
    EXPECT_EQ(run(m, QStringLiteral("open '$dir/with-subview.vexa'")), QString());
    ASSERT_NE(m.MPD, nullptr);
    EXPECT_EQ(m.MPD->SPD.size(), 1u);
}

TEST(MacroFileCommands, AHiddenWindowTakesItsSizeBeforeAnExport)
{
    Manager m;
    currentHidden(m);
    EXPECT_EQ(
        run(m, QStringLiteral("windowsize 300 200\nsavepng '$dir/sized.png'\nsavepng '$dir/sized2.png' 144")),
        QString());
    EXPECT_EQ(QImage(TestSupport::scratchDir() + QStringLiteral("/sized.png")).size(), QSize(300, 200));
    EXPECT_EQ(QImage(TestSupport::scratchDir() + QStringLiteral("/sized2.png")).size(), QSize(600, 400));
}
