// Under a real X server: the inspector window shows every panel key, and a
// buffer copied by another process arrives through the system clipboard.
// The test runs itself again under xvfb-run (skipped when that is missing);
// that run starts a third process that owns the clipboard.

#include "InspectorSupport.h"

#include "model/DataBuffer.h"
#include "platform/Alert.h"

#include <QApplication>
#include <QClipboard>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QMainWindow>
#include <QMimeData>
#include <QProcess>
#include <QStackedWidget>
#include <QStandardPaths>
#include <QTimer>

#include <gtest/gtest.h>

namespace {

const char roleVariable[] = "VEXA_SMOKE_ROLE";

QProcessEnvironment childEnvironment(const QString& role)
{
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QLatin1String(roleVariable), role);
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("xcb"));
    env.remove(QStringLiteral("WAYLAND_DISPLAY"));
    return env;
}

QStringList selfArguments()
{
    return {QStringLiteral("--gtest_filter=XServerSmoke.*")};
}

std::unique_ptr<DataBuffer> sample()
{
    auto b = std::make_unique<DataBuffer>();
    for (int i = 0; i < 4; ++i)
        b->addDoubleValue(i, i * 1.5);
    b->setComment(QStringLiteral("from another process"));
    return b;
}

// Owns the clipboard with one archived buffer until it is ended.
void runOwner()
{
    auto b = sample();
    auto* data = new QMimeData;
    data->setData(Manager::bufferMimeType(), DataBuffer::archivedBuffers({b.get()}));
    QGuiApplication::clipboard()->setMimeData(data);
    QApplication::processEvents();
    std::printf("ready\n");
    std::fflush(stdout);
    QEventLoop loop;
    QTimer::singleShot(60000, &loop, &QEventLoop::quit);
    loop.exec();
}

void runPaster()
{
    ASSERT_EQ(QGuiApplication::platformName(), QStringLiteral("xcb"));
    auto m = InspectorSupport::controller();
    ScriptedAlerts alerts;
    VexaDocument& d = InspectorSupport::openCurrent(*m);
    // A buffer, so the buffer panels have something to show.
    InspectorSupport::addBuffers(*m, d, 1);
    m->inspector->show();
    for (const QString& key : InspectorHost::keys()) {
        m->switchInspector(key);
        QApplication::processEvents();
        // Without a text box the text panel makes way for "nothing to show".
        QWidget* shown = key == QStringLiteral("text") ? m->inspectors().missingNote()
                                                       : m->inspectors().frame()->currentWidget();
        EXPECT_TRUE(shown->isVisible()) << key.toStdString();
        EXPECT_EQ(m->inspectors().selectedKey(), key);
    }

    // The owner is ended by its process id whatever happens here.
    struct Owner : QProcess {
        ~Owner() override
        {
            kill();
            waitForFinished(5000);
        }
    } owner;
    owner.setProcessEnvironment(childEnvironment(QStringLiteral("owner")));
    owner.start(QCoreApplication::applicationFilePath(), selfArguments());
    ASSERT_TRUE(owner.waitForStarted(10000));
    QElapsedTimer waited;
    waited.start();
    bool ready = false;
    while (!ready && waited.elapsed() < 30000) {
        if (!owner.canReadLine() && !owner.waitForReadyRead(500))
            continue;
        while (owner.canReadLine() && !ready)
            ready = owner.readLine().trimmed() == "ready";
    }
    ASSERT_TRUE(ready) << "the clipboard owner did not start";

    // The news of the new owner comes as an event.
    waited.restart();
    auto offered = [] {
        const QMimeData* data = QGuiApplication::clipboard()->mimeData();
        return data && data->hasFormat(Manager::bufferMimeType());
    };
    while (!offered() && waited.elapsed() < 10000)
        QApplication::processEvents(QEventLoop::WaitForMoreEvents, 100);
    m->paste();
    ASSERT_EQ(d.bufferCount(), 2);
    const auto expected = sample();
    EXPECT_EQ(d.DB[1]->Y, expected->Y);
    EXPECT_EQ(d.DB[1]->comment, expected->comment);
    EXPECT_TRUE(alerts.requests().empty());
}

} // namespace

TEST(XServerSmoke, InspectorPanelsAndTheSystemClipboard)
{
    const QByteArray role = qgetenv(roleVariable);
    if (role == "owner") {
        runOwner();
        return;
    }
    if (role == "paster") {
        runPaster();
        return;
    }
    InspectorSupport::runUnderXvfb(childEnvironment(QStringLiteral("paster")), selfArguments());
}
