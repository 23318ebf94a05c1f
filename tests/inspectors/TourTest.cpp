// A whole session as a user has it, under a real X server: a new document,
// a file imported, the page and legend styled in their panels, the y axis
// made logarithmic in the axis panel and the graph rescaled, the x axis
// titled by a macro run from the macro editor, a title typed with the text
// tool and placed in the text panel, the document saved, closed and opened
// again, and the graph of the reopened document drawn exactly as before. The
// test runs itself again under xvfb-run (skipped when that is missing).

#include "InspectorSupport.h"

#include "app/MacroEditor.h"
#include "app/PanelOutlets.h"
#include "inspectors/AxisManager.h"
#include "inspectors/AxisSelector.h"
#include "inspectors/GeneralManager.h"
#include "inspectors/LegendManager.h"
#include "inspectors/TextManager.h"
#include "io/PictureExport.h"
#include "support/TestSupport.h"
#include "view/GraphWidget.h"
#include "view/VexaTextView.h"
#include "view/VexaView.h"

#include "ui_axis.h"
#include "ui_general.h"
#include "ui_legend.h"
#include "ui_text.h"

#include <QAbstractButton>
#include <QApplication>
#include <QButtonGroup>
#include <QCheckBox>
#include <QFile>
#include <QKeyEvent>
#include <QMenu>
#include <QMouseEvent>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTextEdit>

#include <gtest/gtest.h>

namespace {

const char roleVariable[] = "VEXA_TOUR_ROLE";

QAction* menuItem(const QMenu* menu, const char* text)
{
    for (QAction* a : menu->actions())
        if (a->text() == QString::fromUtf8(text))
            return a;
    return nullptr;
}

void choose(const QMenu* menu, const char* text)
{
    QAction* a = menuItem(menu, text);
    ASSERT_NE(a, nullptr) << text;
    a->trigger();
    QApplication::processEvents();
}

void click(QWidget* w, QPointF at)
{
    const QPointF global = w->mapToGlobal(at);
    QMouseEvent press(QEvent::MouseButtonPress, at, global, Qt::LeftButton, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(w, &press);
    QMouseEvent release(QEvent::MouseButtonRelease, at, global, Qt::LeftButton, Qt::NoButton, Qt::NoModifier);
    QApplication::sendEvent(w, &release);
    QApplication::processEvents();
}

using TestSupport::spinUntil;

void typeKeys(QWidget* w, const QString& text)
{
    for (QChar c : text) {
        QKeyEvent press(QEvent::KeyPress, 0, Qt::NoModifier, QString(c));
        QApplication::sendEvent(w, &press);
        QKeyEvent release(QEvent::KeyRelease, 0, Qt::NoModifier, QString(c));
        QApplication::sendEvent(w, &release);
    }
    QApplication::processEvents();
}

// The graph as the program exports it at the screen's resolution.
QImage picture(VexaDocument& d)
{
    auto* view = dynamic_cast<VexaView*>(d.PV);
    return view ? PictureExport::image(*view, 72, true) : QImage();
}

void tour()
{
    ASSERT_EQ(QGuiApplication::platformName(), QStringLiteral("xcb"));
    auto m = InspectorSupport::controller();
    ScriptedAlerts alerts;
    m->inspector->show();
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString data = dir.filePath(QStringLiteral("decades.txt"));
    {
        QFile f(data);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write("# x y\n1 2\n2 30\n3 150\n4 4000\n5 20000\n6 700000\n");
    }
    QStringList answers;
    m->filePanel = [&answers](const Manager::FilePanelRequest&) {
        return answers.isEmpty() ? QStringList() : QStringList{answers.takeFirst()};
    };

    // A new document, and the file imported into it.
    choose(m->fileMenu, "New");
    ASSERT_TRUE(spinUntil([&] { return m->PD != nullptr; }));
    VexaDocument* d = m->PD;
    ASSERT_NE(d, nullptr);
    answers = {data};
    choose(m->fileMenu, "Import ASCII…");
    ASSERT_EQ(d->bufferCount(), 1);
    EXPECT_EQ(d->DB[0]->nop(), 6);

    // The page and the legend, in their panels.
    m->inspectors().button(QStringLiteral("general"))->click();
    auto* general = dynamic_cast<GeneralManager*>(m->inspectors().panel(QStringLiteral("general")));
    ASSERT_NE(general, nullptr);
    InspectorSupport::type(general->ui().frameWidth, QStringLiteral("2.5"));
    general->ui().presetFourAxes->click();
    EXPECT_EQ(d->page.framewidth, 2.5);
    m->inspectors().button(QStringLiteral("legend"))->click();
    auto* legend = dynamic_cast<LegendManager*>(m->inspectors().panel(QStringLiteral("legend")));
    ASSERT_NE(legend, nullptr);
    legend->ui().plotLegend->click();
    legend->ui().drawbg->click();
    InspectorSupport::type(legend->ui().posX, QStringLiteral("150"));
    InspectorSupport::type(legend->ui().posY, QStringLiteral("400"));
    EXPECT_EQ(d->legend.plotlegend, 1);
    EXPECT_EQ(d->legend.legendx, 150);

    // The left axis logarithmic in the axis panel, and the graph rescaled
    // from the Graph menu.
    m->inspectors().button(QStringLiteral("axis"))->click();
    auto* axis = dynamic_cast<AxisManager*>(m->inspectors().panel(QStringLiteral("axis")));
    ASSERT_NE(axis, nullptr);
    PanelOutlets::cellWithTag(axis->ui().insAxisSel, AxisY1)->click();
    ASSERT_NE(axis->axisFormat->button(AxisLog), nullptr);
    axis->axisFormat->button(AxisLog)->click();
    EXPECT_EQ(d->axes[AxisY1].axismode, AxisLog);
    EXPECT_EQ(d->axes[AxisX1].axismode, AxisLinear);
    choose(m->graphMenu, "Rescale");
    EXPECT_GT(d->ymin1, 0);
    EXPECT_LE(d->ymin1, 2);
    EXPECT_GE(d->ymax1, 700000);

    // The bottom axis's title, by a macro run from the macro editor.
    MacroEditor& editor = *m->macroEditor;
    editor.ma_add();
    editor.ma_src()->setPlainText(QStringLiteral("atext x1 'decade'"));
    editor.ma_save();
    editor.ma_exestop()->click();
    QApplication::processEvents();
    EXPECT_EQ(d->axes[AxisX1].axistext, QStringLiteral("decade")) << m->console().text().toStdString();
    EXPECT_EQ(m->consoleErrors(), 0);

    // A title: the text tool makes a box where the graph is clicked, the
    // keys write into it, and the text panel places it above the graph.
    DocumentWindowQt* window = Manager::windowOf(d);
    ASSERT_NE(window, nullptr);
    GraphWidget& graph = window->graphWidget();
    m->MM.value(QStringLiteral("text"))->click();
    click(&graph, QPointF(200, 200));
    ASSERT_NE(graph.textEditor(), nullptr);
    typeKeys(graph.textEditor(), QStringLiteral("Growth by decades"));
    m->MM.value(QStringLiteral("select"))->click();
    QApplication::processEvents();
    ASSERT_EQ(d->T.size(), 1u);
    auto* title = dynamic_cast<VexaTextView*>(d->T.front().get());
    ASSERT_NE(title, nullptr);
    EXPECT_EQ(title->string(), QStringLiteral("Growth by decades"));
    m->setCurrentText(title);
    m->inspectors().button(QStringLiteral("text"))->click();
    auto* text = dynamic_cast<TextManager*>(m->inspectors().panel(QStringLiteral("text")));
    ASSERT_NE(text, nullptr);
    ASSERT_EQ(text->T, title);
    text->ui().autopos->click();
    text->posTop->button(11)->click();
    EXPECT_TRUE(title->autopos);
    EXPECT_EQ(title->autoposloc, 11);

    // Saved, closed, opened again.
    m->setCurrentText(nullptr);
    const QRectF titleFrame = title->frame();
    const QImage before = picture(*d);
    ASSERT_FALSE(before.isNull());
    const QString file = dir.filePath(QStringLiteral("tour.vexa"));
    answers = {file};
    choose(m->fileMenu, "Save As…");
    ASSERT_TRUE(QFile::exists(file));
    choose(m->fileMenu, "Close");
    EXPECT_EQ(m->PD, nullptr);
    answers = {file};
    choose(m->fileMenu, "Open…");
    ASSERT_TRUE(spinUntil([&] { return m->PD != nullptr; }));
    VexaDocument* reopened = m->PD;
    ASSERT_NE(reopened, nullptr);
    EXPECT_EQ(reopened->axes[AxisY1].axismode, AxisLog);
    EXPECT_EQ(reopened->axes[AxisX1].axistext, QStringLiteral("decade"));
    ASSERT_EQ(reopened->T.size(), 1u);
    auto* reopenedTitle = dynamic_cast<VexaTextView*>(reopened->T.front().get());
    ASSERT_NE(reopenedTitle, nullptr);
    const QImage after = picture(*reopened);
    EXPECT_EQ(reopenedTitle->frame(), titleFrame);
    EXPECT_EQ(reopenedTitle->string(), QStringLiteral("Growth by decades"));
    EXPECT_EQ(after.size(), before.size());
    EXPECT_TRUE(after == before) << "the reopened graph looks different";
    EXPECT_TRUE(alerts.requests().empty());
}

} // namespace

TEST(Tour, ImportStyleLogTitleSaveAndReopen)
{
    if (qgetenv(roleVariable) == "tour") {
        tour();
        return;
    }
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QLatin1String(roleVariable), QStringLiteral("tour"));
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("xcb"));
    env.remove(QStringLiteral("WAYLAND_DISPLAY"));
    InspectorSupport::runUnderXvfb(env, {QStringLiteral("--gtest_filter=Tour.*")});
}
