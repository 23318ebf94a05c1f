// Shared steps of the inspector tests: a controller with every panel
// registered, a hidden document window, and typing into a panel's fields as
// a user does.

#pragma once

#include "app/DataBufferTableView.h"
#include "app/DocumentWindowQt.h"
#include "app/InspectorHost.h"
#include "app/Manager.h"
#include "inspectors/GeneralManager.h"
#include "inspectors/Inspectors.h"
#include "model/VexaDocument.h"
#include "platform/Alert.h"

#include <QCoreApplication>
#include <QItemSelectionModel>
#include <QLabel>
#include <QLineEdit>
#include <QProcess>
#include <QStackedWidget>
#include <QStandardPaths>
#include <QTableView>

#include <gtest/gtest.h>

#include <initializer_list>
#include <memory>

namespace InspectorSupport {

// A controller whose panels are those of the program.
inline std::unique_ptr<Manager> controller()
{
    auto m = std::make_unique<Manager>();
    Inspectors::registerAll(m->inspectors());
    return m;
}

// A document in a window that is never shown; it is made current.
inline VexaDocument& openCurrent(Manager& m)
{
    VexaDocument& d = m.openDocument(std::make_unique<VexaDocument>(), false)->document();
    m.setCurrentDoc(&d, &d);
    return d;
}

// Gives the document `count` buffers of two points each, buffer i with the
// comment "b<i>", the buffers in `hidden` not shown; the side tables follow.
inline void addBuffers(Manager& m, VexaDocument& d, int count, std::initializer_list<int> hidden = {})
{
    for (int i = 0; i < count; ++i) {
        auto b = std::make_unique<DataBuffer>();
        b->addDoubleValue(0, i);
        b->addDoubleValue(1, i + 1);
        b->setComment(QStringLiteral("b%1").arg(i));
        d.DB.push_back(std::move(b));
    }
    for (int i : hidden)
        d.DB[std::size_t(i)]->setShow(false);
    m.update();
}

// Selects exactly these rows of the buffer list, as a user's clicks do.
inline void selectBufferRows(Manager& m, std::initializer_list<int> rows)
{
    QItemSelectionModel* s = m.bufferSelection();
    s->clearSelection();
    for (int row : rows)
        s->select(s->model()->index(row, 0), QItemSelectionModel::Select | QItemSelectionModel::Rows);
}

// Types the text into the field and ends editing, as Return or leaving the
// field does.
inline void type(QLineEdit* field, const QString& text)
{
    field->setText(text);
    field->setModified(true);
    emit field->editingFinished();
}

// A controller, a current document and the general panel on show.
struct GeneralFixture {
    std::unique_ptr<Manager> m = controller();
    ScriptedAlerts alerts;
    VexaDocument& d = openCurrent(*m);
    GeneralManager* panel = nullptr;

    GeneralFixture()
    {
        m->switchInspector(QStringLiteral("general"));
        panel = dynamic_cast<GeneralManager*>(m->inspectors().panel(QStringLiteral("general")));
    }
    const Ui::GeneralPanel& ui() const { return panel->ui(); }
};

// A controller, a current document with `buffers` buffers (those in
// `hidden` not shown) and the panel of that key on show.
template <class Panel> struct PanelFixture {
    std::unique_ptr<Manager> m = controller();
    ScriptedAlerts alerts;
    VexaDocument& d = openCurrent(*m);
    Panel* panel = nullptr;

    explicit PanelFixture(const char* key, int buffers = 0, std::initializer_list<int> hidden = {})
    {
        addBuffers(*m, d, buffers, hidden);
        m->switchInspector(QLatin1String(key));
        panel = dynamic_cast<Panel*>(m->inspectors().panel(QLatin1String(key)));
        replotted();
    }
    // Whether the document replotted since the last call (a replot marks
    // the window edited).
    bool replotted()
    {
        DocumentWindowQt* w = Manager::windowOf(&d);
        const bool edited = w->isWindowModified();
        w->setDocumentEdited(false);
        return edited;
    }
    // Whether the panel's controls are on show rather than the "nothing to
    // show" view.
    bool showing() const { return m->inspectors().missingNote()->isHidden(); }
};

// Runs this test program again under xvfb-run, with the environment and the
// arguments (a filter naming one test), and expects that run to pass. The
// calling test is skipped when xvfb-run is missing.
inline void runUnderXvfb(const QProcessEnvironment& environment, const QStringList& arguments)
{
    const QString xvfb = QStandardPaths::findExecutable(QStringLiteral("xvfb-run"));
    if (xvfb.isEmpty())
        GTEST_SKIP() << "xvfb-run is not installed; the run under a real X server is skipped";
    QProcess run;
    run.setProcessEnvironment(environment);
    run.setProcessChannelMode(QProcess::MergedChannels);
    run.start(xvfb,
              QStringList{QStringLiteral("-a"), QStringLiteral("-s"),
                          QStringLiteral("-screen 0 1280x1024x24"), QCoreApplication::applicationFilePath()}
                  + arguments);
    ASSERT_TRUE(run.waitForStarted(10000));
    const bool finished = run.waitForFinished(120000);
    if (!finished) {
        run.kill();
        run.waitForFinished(5000);
    }
    const QString output = QString::fromLocal8Bit(run.readAll());
    ASSERT_TRUE(finished) << output.toStdString();
    EXPECT_EQ(run.exitCode(), 0) << output.toStdString();
    EXPECT_TRUE(output.contains(QStringLiteral("[  PASSED  ] 1 test"))) << output.toStdString();
}

} // namespace InspectorSupport
