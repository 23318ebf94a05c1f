// The graph widget and the document window: the pass on screen, the
// synchronous and deferred repaints, the cached window image, and the window
// glue (palette in step with the controller, toolbar switch, becoming
// current, stored size, value read-out, closing, printing).

#include "app/ApplicationController.h"
#include "app/DocumentWindowQt.h"
#include "app/Manager.h"
#include "app/PreferencesWindow.h"
#include "model/DataBuffer.h"
#include "model/VexaDocument.h"
#include "support/TestSupport.h"
#include "view/GraphWidget.h"
#include "view/VexaTextView.h"

#include <QAbstractButton>
#include <QApplication>
#include <QCheckBox>
#include <QEventLoop>
#include <QFileInfo>
#include <QLayout>
#include <QLineEdit>
#include <QPrinter>
#include <QTimer>
#include <QToolBar>

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <memory>

namespace {

class PaintCounter : public QObject {
public:
    int paints = 0;

protected:
    bool eventFilter(QObject*, QEvent* event) override
    {
        if (event->type() == QEvent::Paint)
            ++paints;
        return false;
    }
};

// A document whose plot fills the view (no margins, no axes, no frame) with
// ranges 0..100 and the given background.
std::unique_ptr<VexaDocument> plainDocument(ManagerServices& m, QColor background = Qt::white)
{
    auto d = std::make_unique<VexaDocument>();
    d->M = &m;
    d->page.marginleft = d->page.marginright = d->page.margintop = d->page.marginbottom = 0;
    for (AxisSettings& a : d->axes)
        a.axis = 0;
    d->page.drawframe = 0;
    d->xmin1 = d->ymin1 = 0;
    d->xmax1 = d->ymax1 = 100;
    d->page.backgroundcolor = background;
    return d;
}

bool near(const QColor& a, const QColor& b)
{
    return std::abs(a.red() - b.red()) < 40 && std::abs(a.green() - b.green()) < 40
        && std::abs(a.blue() - b.blue()) < 40;
}

// Turns the event loop for a while, as a window left alone sees it.
void idle(int milliseconds)
{
    QEventLoop loop;
    QTimer::singleShot(milliseconds, &loop, &QEventLoop::quit);
    loop.exec();
}

void settle(QWidget& w)
{
    if (QLayout* l = w.layout()) {
        l->invalidate();
        l->activate();
    }
}

} // namespace

TEST(GraphWidgetTest, DrawsThePassUprightAndRepaintsOnReplot)
{
    Manager app;
    auto doc = plainDocument(app, Qt::yellow);
    // A filled square at the data point (10, 90): upper left on screen.
    auto b = std::make_unique<DataBuffer>();
    b->addDoubleValue(10, 90);
    b->rescale();
    b->style.plotlines = 0;
    b->style.plotsymbols = 1;
    b->style.symbol = 7;
    b->style.symbolsize = 10;
    b->style.color = Qt::blue;
    doc->DB.push_back(std::move(b));

    GraphWidget w(nullptr, &app);
    w.resize(200, 100);
    w.setDocument(doc.get());
    EXPECT_EQ(doc->PV, &w.view());
    w.show();
    PaintCounter counter;
    w.installEventFilter(&counter);
    QApplication::processEvents();

    // Display now: drawn before replot returns, without the event loop.
    const int before = counter.paints;
    app.CPD = nullptr;
    doc->replot();
    EXPECT_EQ(counter.paints, before + 1);
    EXPECT_EQ(app.CPD, doc.get());

    // Needs display: drawn later, by the event loop.
    const int later = counter.paints;
    w.view().setNeedsDisplay();
    EXPECT_EQ(counter.paints, later);
    QApplication::processEvents();
    EXPECT_GT(counter.paints, later);

    const QImage img = w.grab().toImage();
    EXPECT_TRUE(near(img.pixelColor(20, 10), Qt::blue)); // x 10%, 10% from the top
    EXPECT_TRUE(near(img.pixelColor(20, 90), Qt::yellow)); // its mirror image is not there
    EXPECT_TRUE(near(img.pixelColor(150, 50), Qt::yellow));

    w.setDocument(nullptr);
    EXPECT_EQ(doc->PV, nullptr);
}

TEST(GraphWidgetTest, AGraphWithTextBoxesLeftAloneIsNotPaintedAgain)
{
    Manager app;
    auto doc = plainDocument(app);
    doc->page.marginleft = doc->page.marginbottom = 60;
    for (int axis : {AxisX1, AxisY1})
        doc->axes[axis].axis = 1;
    auto b = std::make_unique<DataBuffer>();
    for (int i = 0; i < 50; ++i)
        b->addDoubleValue(i, i % 7);
    doc->DB.push_back(std::move(b));
    VexaDocument* d = doc.get();
    // A box at its anchor, one at an automatic place, one at data values,
    // turned and centred: each way of placing a box.
    const struct {
        const char* text;
        int autopos, posmode, tbalign;
        double angle;
    } boxes[] = {{"Title", 0, 0, TextAlignTopLeft, 0},
                 {"Auto", 1, 0, TextAlignTopLeft, 0},
                 {"Data", 0, 1, TextAlignCentre, 30}};
    for (const auto& t : boxes) {
        auto box = std::make_unique<VexaTextView>(QRectF(100, 100, 10, 10), &app, d);
        box->setString(QLatin1String(t.text), QFont(QStringLiteral("DejaVu Sans"), 14), Qt::black);
        box->autopos = t.autopos;
        box->autoposloc = 2;
        box->tbalign = t.tbalign;
        box->angle = t.angle;
        box->setFloat(t.posmode);
        box->setPosition(40, 60);
        d->T.push_back(std::move(box));
    }
    DocumentWindowQt* w = app.openDocument(std::move(doc), true);
    ASSERT_NE(w, nullptr);
    PaintCounter counter;
    w->graphWidget().installEventFilter(&counter);
    idle(200);
    EXPECT_GT(counter.paints, 0);

    // The boxes have found their places and sizes: nothing changes, so
    // nothing is drawn.
    const int settled = counter.paints;
    idle(500);
    EXPECT_EQ(counter.paints, settled);

    // So it is while a box's text is edited (its caret, which blinks, held
    // still).
    const int flash = QApplication::cursorFlashTime();
    QApplication::setCursorFlashTime(0);
    app.selectMouseMode(QStringLiteral("text"));
    auto* edited = dynamic_cast<VexaTextView*>(d->T.front().get());
    w->graphWidget().beginEditing(*edited);
    idle(200);
    const int editing = counter.paints;
    idle(500);
    EXPECT_EQ(counter.paints, editing);
    QApplication::setCursorFlashTime(flash);
}

TEST(GraphWidgetTest, CachedImageStandsInForTheGraphWhileRedrawIsOff)
{
    Manager app;
    auto doc = plainDocument(app, Qt::yellow);
    GraphWidget w(nullptr, &app);
    w.resize(120, 80);
    w.setDocument(doc.get());
    w.show();
    QApplication::processEvents();

    w.view().cacheWindowImage();
    ASSERT_FALSE(w.cachedImage().isNull());
    EXPECT_EQ(w.cachedImage().size(), w.size() * w.devicePixelRatioF());

    // A tool drags: the graph changed underneath, but only the band is new.
    doc->page.backgroundcolor = Qt::cyan;
    w.view().redraw = 0;
    w.view().pb.moveTo(10, 40.5);
    w.view().pb.lineTo(110, 40.5);
    QImage img = w.grab().toImage(); // paints as the screen does
    EXPECT_TRUE(near(img.pixelColor(60, 10), Qt::yellow));
    EXPECT_GT(img.pixelColor(60, 39).red(), 150);
    EXPECT_LT(img.pixelColor(60, 39).green(), 100);

    w.view().redraw = 1;
    w.displayNow();
    img = w.grab().toImage();
    EXPECT_TRUE(near(img.pixelColor(60, 10), Qt::cyan));

    // Another size makes the image useless.
    w.resize(140, 90);
    QApplication::processEvents();
    EXPECT_TRUE(w.cachedImage().isNull());
    w.setDocument(nullptr);
}

TEST(DocumentWindowTest, PaletteHasTheToolsAndFollowsTheController)
{
    Manager app;
    DocumentWindowQt* one = app.openDocument(plainDocument(app), false);
    DocumentWindowQt* two = app.openDocument(plainDocument(app), false);
    ASSERT_TRUE(one && two);
    EXPECT_EQ(one->MM.size(), ApplicationController::mouseModeNames().size());
    for (const QString& name : ApplicationController::mouseModeNames())
        EXPECT_TRUE(one->MM.contains(name)) << name.toStdString();
    EXPECT_EQ(one->selectedToolTitle(), QStringLiteral("select"));

    // The controller's tool changes: every window follows.
    app.selectMouseMode(QStringLiteral("ZOOM"));
    app.mouseModeDidChange(nullptr);
    EXPECT_EQ(app.mouseModeTitle(), QStringLiteral("zoom"));
    EXPECT_EQ(one->selectedToolTitle(), QStringLiteral("zoom"));
    EXPECT_EQ(two->selectedToolTitle(), QStringLiteral("zoom"));

    // A click in one window's palette: the controller and the other window.
    one->MM.value(QStringLiteral("measure"))->click();
    EXPECT_EQ(app.mouseModeTitle(), QStringLiteral("measure"));
    EXPECT_EQ(two->selectedToolTitle(), QStringLiteral("measure"));

    // A title no palette has changes nothing.
    app.selectMouseMode(QStringLiteral("lasso"));
    EXPECT_EQ(app.mouseModeTitle(), QStringLiteral("measure"));
}

TEST(DocumentWindowTest, ToolbarSwitchAndWidthDecideWhatTheStripShows)
{
    Manager app;
    DocumentWindowQt* w = app.openDocument(plainDocument(app), false);
    w->makeStrip();
    ASSERT_GT(w->toolViewWidth(), 0);
    ASSERT_GT(w->valViewWidth(), 0);

    app.preferencesWindow().dialog();
    app.preferencesWindow().toolbarSwitch()->setChecked(true);
    w->followController();
    EXPECT_TRUE(w->toolViewHidden());
    EXPECT_TRUE(w->valViewHidden());

    app.preferencesWindow().toolbarSwitch()->setChecked(false);
    const int needed = int(w->toolViewWidth() + w->valViewWidth() + 80);
    w->resize(needed + 1, 500);
    w->followController();
    EXPECT_FALSE(w->toolViewHidden());
    EXPECT_FALSE(w->valViewHidden());

    w->resize(needed, 500);
    w->followController();
    EXPECT_FALSE(w->toolViewHidden());
    EXPECT_TRUE(w->valViewHidden());
}

TEST(DocumentWindowTest, TheStripIsMadeWhenTheWindowIsFirstShown)
{
    Manager app;
    DocumentWindowQt* w = app.openDocument(plainDocument(app), false);
    // Never shown: no read-out and no strip in the window, and the palette
    // has no size taken from its text; the graph has all of the window.
    EXPECT_FALSE(w->stripMade());
    EXPECT_EQ(w->xvaldis, nullptr);
    EXPECT_EQ(w->findChild<QToolBar*>(QStringLiteral("titleStrip")), nullptr);
    EXPECT_NE(w->toolview->minimumSize(), w->toolview->maximumSize());
    EXPECT_EQ(w->graphWidget().size(), w->size());
    // The palette follows the controller all the same.
    app.selectMouseMode(QStringLiteral("zoom"));
    w->followController();
    EXPECT_EQ(w->selectedToolTitle(), QStringLiteral("zoom"));

    const QSize graph = w->graphWidget().size();
    w->show();
    // Shown: the strip above the graph at the sizes its text takes, the
    // window grown by its height.
    ASSERT_TRUE(w->stripMade());
    const auto* bar = w->findChild<QToolBar*>(QStringLiteral("titleStrip"));
    ASSERT_NE(bar, nullptr);
    EXPECT_TRUE(bar->isVisible());
    EXPECT_TRUE(w->toolview->isVisible());
    EXPECT_EQ(w->toolview->size(), w->toolview->sizeHint());
    EXPECT_EQ(w->toolview->minimumSize(), w->toolview->maximumSize());
    EXPECT_EQ(w->valview->size(), w->valview->sizeHint());
    EXPECT_EQ(w->size(), QSize(graph.width(), graph.height() + bar->height()));
    EXPECT_EQ(w->graphWidget().width(), graph.width());
    EXPECT_EQ(bar->geometry().bottom() + 1, w->graphWidget().y());
    EXPECT_TRUE(w->MM.value(QStringLiteral("zoom"))->isChecked());
}

TEST(DocumentWindowTest, BecomingMainMakesCurrentAndAppliesTheStoredSizeOnce)
{
    Manager app;
    auto doc = plainDocument(app);
    doc->winw = 500;
    doc->winh = 300;
    doc->resizewin = 1;
    DocumentWindowQt* w = app.openDocument(std::move(doc), false);
    VexaDocument* d = &w->document();
    EXPECT_EQ(w->graphWidget().size(), QSize(500, 300)); // at assembly
    EXPECT_TRUE(d->resizewin);
    EXPECT_EQ(app.startPD, d);
    EXPECT_EQ(d->W, w);

    w->resize(900, 700);
    settle(*w);
    w->windowDidBecomeMain();
    EXPECT_EQ(w->graphWidget().size(), QSize(500, 300)); // once more
    EXPECT_FALSE(d->resizewin);
    EXPECT_EQ(app.PD, d);
    EXPECT_EQ(app.MPD, d);
    EXPECT_EQ(app.CPD, d);

    w->resize(900, 700);
    settle(*w);
    w->windowDidBecomeMain();
    EXPECT_NE(w->graphWidget().size(), QSize(500, 300)); // not again

    d->replot();
    EXPECT_TRUE(w->isWindowModified());
}

TEST(DocumentWindowTest, AStoredSizeTooLargeForAWindowIsCutNotWrapped)
{
    // winw and winh come from the document file unchecked.
    Manager app;
    auto doc = plainDocument(app);
    doc->winw = std::numeric_limits<int>::max();
    doc->winh = std::numeric_limits<int>::max() - 5;
    doc->resizewin = 1;
    DocumentWindowQt* w = app.openDocument(std::move(doc), false);
    for (int pass = 0; pass < 2; ++pass) {
        EXPECT_EQ(w->width(), QWIDGETSIZE_MAX);
        EXPECT_EQ(w->height(), QWIDGETSIZE_MAX);
        EXPECT_GT(w->graphWidget().width(), QWIDGETSIZE_MAX / 2);
        EXPECT_GT(w->graphWidget().height(), QWIDGETSIZE_MAX / 2);
        w->windowDidBecomeMain();
    }

    // A macro's size: rounded without overflow; one that is no number
    // changes nothing.
    app.setWindowContentSize(&w->document(), QSizeF(400, 1e12));
    EXPECT_EQ(w->graphWidget().width(), 400);
    EXPECT_EQ(w->height(), QWIDGETSIZE_MAX);
    app.setWindowContentSize(&w->document(), QSizeF(std::nan(""), 300));
    EXPECT_EQ(w->graphWidget().width(), 400);
}

TEST(DocumentWindowTest, ClosingLeavesNoCurrentDocument)
{
    Manager app;
    DocumentWindowQt* w = app.openDocument(plainDocument(app), false);
    w->windowDidBecomeMain();
    ASSERT_EQ(app.PD, &w->document());
    w->close();
    EXPECT_EQ(app.PD, nullptr);
    EXPECT_EQ(app.MPD, nullptr);
    EXPECT_EQ(app.CPD, nullptr);
    EXPECT_EQ(app.startPD, nullptr);
    QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(app.windows().empty());
}

TEST(DocumentWindowTest, SubviewValuesAppearInTheMainWindow)
{
    Manager app;
    DocumentWindowQt* w = app.openDocument(plainDocument(app), false);
    VexaDocument& main = w->document();

    // A sub-view 100 x 100 points without margins over the ranges 0..10.
    auto sub = plainDocument(app);
    sub->subview = 1;
    sub->MPD = &main;
    sub->xmax1 = sub->ymax1 = 10;
    VexaView subView(QSizeF(100, 100), &app);
    subView.setVexaDocument(sub.get());
    subView.resize();
    sub->PV = &subView;
    VexaDocument* s = sub.get();
    main.SPD.push_back(std::move(sub));

    app.setCurrentDoc(s, &main);
    DocumentWindowQt::showValues(*s, QPointF(50, 25));
    w->makeStrip(); // the read-out, made now, shows the last values
    EXPECT_EQ(w->xvaldis->text(), QStringLiteral("5"));
    EXPECT_EQ(w->yvaldis->text(), QStringLiteral("2.5"));
    DocumentWindowQt::showValuesMeasure(*s, QPointF(65, 10));
    EXPECT_EQ(w->xvaldis->text(), QStringLiteral("5"));
    EXPECT_EQ(w->yvaldis->text(), QStringLiteral("2.5"));

    // No current document: the fields are emptied.
    app.setCurrentDoc(nullptr, nullptr);
    DocumentWindowQt::showValues(*s, QPointF(50, 25));
    EXPECT_TRUE(w->xvaldis->text().isEmpty());
    EXPECT_TRUE(w->yvaldis->text().isEmpty());
    main.SPD.clear();
}

TEST(DocumentWindowTest, PrintsTheGraphOntoAPage)
{
    Manager app;
    DocumentWindowQt* w = app.openDocument(plainDocument(app), false);
    const QString path = TestSupport::scratchDir() + QStringLiteral("/printed.pdf");
    QPrinter printer(QPrinter::HighResolution);
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(path);
    EXPECT_TRUE(w->print(printer));
    EXPECT_GT(QFileInfo(path).size(), 0);
}
