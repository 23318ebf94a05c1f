#include "app/DocumentWindowQt.h"

#include "app/ApplicationController.h"
#include "app/Manager.h"
#include "app/Printing.h"
#include "app/WindowPlacement.h"
#include "model/VexaDocument.h"
#include "platform/Alert.h"
#include "view/GraphWidget.h"

#include <QAbstractButton>
#include <QButtonGroup>
#include <QCloseEvent>
#include <QFileInfo>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLayout>
#include <QLineEdit>
#include <QPagedPaintDevice>
#include <QPainter>
#include <QScreen>
#include <QToolBar>
#include <QToolButton>
#include <QUrl>

#include <algorithm>

DocumentWindowQt::DocumentWindowQt(std::unique_ptr<VexaDocument> document, ApplicationController& controller,
                                   QWidget* parent)
        : VexaWindow(parent)
        , controller_(controller)
        , document_(std::move(document))
{
    setObjectName(QStringLiteral("VexaDocument"));
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(displayName() + QStringLiteral("[*]"));

    graph_ = new GraphWidget(this, &controller_);
    setCentralWidget(graph_);
    buildPalette();

    // The graph gets its size before the document is bound, so a legend
    // that was never placed lands inside this plot area. The strip is not
    // in the window yet: the graph has all of it.
    resize(820, 610);
    layOut();

    VexaDocument& d = *document_;
    graph_->setDocument(&d);
    d.W = this;
    if (d.resizewin)
        setContentSize(QSize(d.winw, d.winh));

    controller_.startPD = &d;
    controller_.documentOpened(&d);
    assembled_ = true;
    // Every replot brings the window in line and marks it edited.
    replots_ = d.listen([this](const DocumentChange&) {
        followController();
        setDocumentEdited(true);
    });
    followController();
}

DocumentWindowQt::~DocumentWindowQt()
{
    // Destroyed without closing (the application ends): the controller must
    // still stop pointing at the document.
    if (!closed_)
        controller_.documentClosed(document_.get());
    document_->W = nullptr;
    graph_->setDocument(nullptr);
}

void DocumentWindowQt::setFilePath(const QString& path)
{
    filePath_ = path;
    setRepresentedURL(QUrl::fromLocalFile(path));
    setWindowTitle(displayName() + QStringLiteral("[*]"));
}

QString DocumentWindowQt::displayName() const
{
    return filePath_.isEmpty() ? untitledName_ : QFileInfo(filePath_).fileName();
}

void DocumentWindowQt::setUntitledName(const QString& name)
{
    untitledName_ = name;
    setWindowTitle(displayName() + QStringLiteral("[*]"));
}

void DocumentWindowQt::keepOnScreen()
{
    QScreen* s = screen();
    if (!s)
        return;
    // Before the window manager has framed the window, its frame is
    // guessed from the usual title bar and border.
    const QRect inner = geometry();
    const QMargins border = WindowPlacement::border(inner, frameGeometry());
    const QRect frame = inner.marginsAdded(border);
    const QRect fitted = WindowPlacement::fitInside(frame, s->availableGeometry());
    if (fitted == frame)
        return;
    const QRect inside = fitted.marginsRemoved(border);
    resize(inside.size());
    move(fitted.topLeft());
}

void DocumentWindowQt::buildPalette()
{
    // One checkable button per tool, titled with its name. Two rows keep the
    // strip narrow enough for a small window. The palette waits in the
    // window, out of its layout, until the strip takes it in.
    toolview = new QWidget(this);
    auto* tools = new QGridLayout(toolview);
    tools->setContentsMargins(0, 0, 0, 0);
    tools->setSpacing(0);
    const int perRow = int((ApplicationController::mouseModeNames().size() + 1) / 2);
    int cell = 0;
    palette_ = new QButtonGroup(toolview);
    palette_->setExclusive(true);
    QFont small = font();
    small.setPointSizeF(std::max(6.0, small.pointSizeF() * 0.8));
    for (const QString& title : ApplicationController::mouseModeNames()) {
        auto* b = new QToolButton;
        b->setText(title);
        b->setToolTip(ApplicationController::mouseModeToolTip(title));
        b->setCheckable(true);
        b->setAutoRaise(true);
        b->setFont(small);
        b->setFocusPolicy(Qt::NoFocus);
        palette_->addButton(b);
        tools->addWidget(b, cell / perRow, cell % perRow);
        ++cell;
        MM.insert(title, b);
    }
    MM.value(toolTitle(Tool::Select))->setChecked(true);
    // Only a click by the user reports back; selectTool() is silent.
    connect(palette_, &QButtonGroup::buttonClicked, this, [this](QAbstractButton*) { mouseModeChanged(); });
}

void DocumentWindowQt::makeStrip()
{
    if (stripMade())
        return;
    layOut();
    const int without = height() - graph_->height();
    toolview->setFixedSize(toolview->sizeHint());

    valview = new QWidget;
    auto* vals = new QHBoxLayout(valview);
    vals->setContentsMargins(0, 0, 0, 0);
    vals->setSpacing(4);
    xvaldis = new QLineEdit(xValue_);
    yvaldis = new QLineEdit(yValue_);
    for (QLineEdit* f : {xvaldis, yvaldis}) {
        f->setReadOnly(true);
        f->setFocusPolicy(Qt::NoFocus);
        f->setFixedWidth(120);
        vals->addWidget(f);
    }
    xvaldis->setObjectName(QStringLiteral("xvaldis"));
    yvaldis->setObjectName(QStringLiteral("yvaldis"));
    valview->setFixedSize(valview->sizeHint());

    // The strip never holds the window wider than the user wants it; in a
    // narrow window the value read-out goes (followController) and the
    // palette is cut at its left.
    auto* strip = new QWidget;
    strip->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Fixed);
    strip->setMinimumWidth(0);
    auto* row = new QHBoxLayout(strip);
    row->setContentsMargins(4, 2, 7, 2);
    row->addWidget(valview);
    row->addStretch(1);
    row->addWidget(toolview);
    if (toolsHidden_)
        toolview->hide();
    if (valuesHidden_)
        valview->hide();

    auto* bar = new QToolBar(this);
    bar->setObjectName(QStringLiteral("titleStrip"));
    bar->setMovable(false);
    bar->setFloatable(false);
    bar->toggleViewAction()->setEnabled(false);
    bar->addWidget(strip);
    addToolBar(Qt::TopToolBarArea, bar);

    // The window grows by the strip's height.
    layOut();
    resize(width(), height() + (height() - graph_->height()) - without);
    layOut();
    if (!isVisible())
        graph_->view().setFrameSize(QSizeF(graph_->size()));
    // What of the strip the switch and the window's width leave.
    followController();
}

void DocumentWindowQt::setVisible(bool visible)
{
    if (visible)
        makeStrip();
    VexaWindow::setVisible(visible);
}

// --- the palette and the strip follow the controller ------------------------------

void DocumentWindowQt::followController()
{
    const Tool wanted = controller_.mouseTool();
    if (toolNamed(selectedToolTitle()) != wanted)
        selectTool(toolTitle(wanted));
    const StripParts parts
        = stripParts(controller_.toolbarSwitch(), width(), toolViewWidth(), valViewWidth());
    // A part is touched only when it changes.
    if (toolViewHidden() != parts.toolsHidden)
        setToolViewHidden(parts.toolsHidden);
    if (valViewHidden() != parts.valuesHidden)
        setValViewHidden(parts.valuesHidden);
}

DocumentWindowQt::StripParts DocumentWindowQt::stripParts(bool toolbarSwitch, double frameWidth,
                                                          double toolsWidth, double valuesWidth)
{
    if (toolbarSwitch)
        return {true, true};
    return {false, !(frameWidth > toolsWidth + valuesWidth + 80)};
}

QString DocumentWindowQt::selectedToolTitle() const
{
    QAbstractButton* b = palette_->checkedButton();
    return b ? b->text() : QString();
}

void DocumentWindowQt::selectTool(const QString& title)
{
    QAbstractButton* b = MM.value(toolTitle(toolNamed(title)));
    if (!b)
        return;
    b->setChecked(true);
    toolview->update();
}

double DocumentWindowQt::toolViewWidth() const
{
    return stripMade() ? toolview->width() : 0;
}

bool DocumentWindowQt::toolViewHidden() const
{
    return toolsHidden_;
}

void DocumentWindowQt::setToolViewHidden(bool hidden)
{
    toolsHidden_ = hidden;
    if (stripMade())
        toolview->setHidden(hidden);
}

double DocumentWindowQt::valViewWidth() const
{
    return stripMade() ? valview->width() : 0;
}

bool DocumentWindowQt::valViewHidden() const
{
    return valuesHidden_;
}

void DocumentWindowQt::setValViewHidden(bool hidden)
{
    valuesHidden_ = hidden;
    if (stripMade())
        valview->setHidden(hidden);
}

void DocumentWindowQt::setDocumentEdited(bool edited)
{
    setWindowModified(edited);
}

// --- window events ------------------------------------------------------------------

void DocumentWindowQt::windowDidBecomeMain()
{
    VexaDocument& d = *document_;
    if (d.resizewin) {
        setContentSize(QSize(d.winw, d.winh));
        d.resizewin = 0;
    }
    controller_.setCurrentDoc(&d, d.MPD ? d.MPD : &d);
    followController();
    graph_->displayNow();
    controller_.update();
}

void DocumentWindowQt::windowDidResize()
{
    followController();
    document_->updateAutoTexts();
    controller_.update();
}

void DocumentWindowQt::windowWillClose()
{
    if (closed_)
        return;
    closed_ = true;
    controller_.setCurrentDoc(nullptr, nullptr);
    controller_.update();
    controller_.documentClosed(document_.get());
}

void DocumentWindowQt::mouseModeChanged()
{
    controller_.selectMouseMode(selectedToolTitle());
    controller_.mouseModeDidChange(document_.get());
}

void DocumentWindowQt::rescale()
{
    controller_.rescale(document_.get());
}

void DocumentWindowQt::changeEvent(QEvent* event)
{
    QMainWindow::changeEvent(event);
    if (event->type() == QEvent::ActivationChange && assembled_ && isActiveWindow())
        windowDidBecomeMain();
}

void DocumentWindowQt::resizeEvent(QResizeEvent* event)
{
    QMainWindow::resizeEvent(event);
    if (assembled_)
        windowDidResize();
}

void DocumentWindowQt::closeEvent(QCloseEvent* event)
{
    if (!closed_ && !closingWithoutAsking_ && !askToSaveChanges()) {
        event->ignore();
        return;
    }
    windowWillClose();
    event->accept();
}

bool DocumentWindowQt::askToSaveChanges()
{
    // Only the application's controller can save; a window under another
    // controller (or with nobody to see the question) closes as before.
    auto* manager = dynamic_cast<Manager*>(&controller_);
    if (closed_ || !isWindowModified() || !manager || !manager->windowsVisible())
        return true;
    // The question is about this window: it comes to the front first.
    if (isMinimized())
        showNormal();
    show();
    raise();
    activateWindow();
    const QString name = displayName();
    const int answer
        = Alert::run(name, QStringLiteral("Do you want to save the changes you made to %1?").arg(name),
                     {QStringLiteral("Save"), QStringLiteral("Don't Save"), QStringLiteral("Cancel")});
    switch (answer) {
    case 0: {
        // The same path as File > Save, which acts on the current document
        // (and asks for a file when the document has none yet).
        VexaDocument& d = *document_;
        manager->setCurrentDoc(&d, &d);
        return manager->saveDocument();
    }
    case 1:
        return true;
    default:
        return false;
    }
}

bool DocumentWindowQt::closeWithoutAsking()
{
    closingWithoutAsking_ = true;
    const bool closedNow = close();
    closingWithoutAsking_ = false;
    return closedNow;
}

void DocumentWindowQt::setContentSize(QSize size)
{
    if (!(size.width() > 0 && size.height() > 0))
        return;
    layOut();
    // The size comes from a document file: a stored size beyond what a
    // window can have is cut to the largest one, without the sum of content
    // and frame running over.
    const QSize extra = this->size() - graph_->size();
    auto fit = [](int content, int frame) {
        return int(std::clamp<qint64>(qint64(content) + frame, 1, QWIDGETSIZE_MAX));
    };
    resize(fit(size.width(), extra.width()), fit(size.height(), extra.height()));
    // A size stored on a larger screen must not put the window beyond this one.
    if (isVisible())
        keepOnScreen();
    layOut();
    // A hidden widget hears of its new size only once it is shown: the view
    // of a hidden run must have it now, for the pictures the run exports.
    if (!isVisible())
        graph_->view().setFrameSize(QSizeF(graph_->size()));
}

void DocumentWindowQt::setContentSizeKeepingLowerLeft(QSize size)
{
    // move() places the frame; the corner is the frame's.
    const QRect before = frameGeometry();
    setContentSize(size);
    const QRect after = frameGeometry();
    move(before.left(), before.top() + before.height() - after.height());
    if (isVisible())
        keepOnScreen();
}

void DocumentWindowQt::layOut()
{
    // A hidden window lays itself out only when shown; the graph must have
    // its size before that (binding, stored sizes, printing).
    if (QLayout* l = layout()) {
        l->invalidate();
        l->activate();
    }
}

// --- value read-out ---------------------------------------------------------------------

void DocumentWindowQt::showValues(VexaDocument& document, QPointF point)
{
    // A sub-view shows its values in the window of the graph it sits in.
    VexaDocument* main = document.MPD ? document.MPD : &document;
    auto* window = dynamic_cast<DocumentWindowQt*>(main->W);
    if (!window)
        return;
    ApplicationController* c = &window->controller_;
    window->xValue_ = c->getValue(0, document.axes[AxisX1].axismode, point.x());
    window->yValue_ = c->getValue(1, document.axes[AxisY1].axismode, point.y());
    if (window->stripMade()) {
        window->xvaldis->setText(window->xValue_);
        window->yvaldis->setText(window->yValue_);
    }
}

void DocumentWindowQt::adoptSubviewView(std::unique_ptr<DocumentView> view)
{
    if (auto* v = dynamic_cast<VexaView*>(view.get())) {
        view.release();
        subviewViews.emplace_back(v);
    }
}

void DocumentWindowQt::showValuesMeasure(VexaDocument& document, QPointF point)
{
    showValues(document, QPointF(point.x() - 15, point.y() + 15));
}

// --- printing ------------------------------------------------------------------------------

bool DocumentWindowQt::printShowingPrintPanel(bool showPanel, bool* cancelled)
{
    if (cancelled)
        *cancelled = false;
    controller_.printmode = 1;
    document_->replot();
    for (const auto& sub : document_->SPD)
        if (sub)
            sub->replot();

    QString why;
    const Printing* printing = Printing::get(why);
    if (!printing)
        return false;
    const Printing::Result result
        = printing->print(this, showPanel, [this](QPagedPaintDevice& printer) { return print(printer); });
    if (cancelled)
        *cancelled = result == Printing::Result::Cancelled;
    return result == Printing::Result::Printed;
}

bool DocumentWindowQt::print(QPagedPaintDevice& printer)
{
    VexaView& view = graph_->view();
    const QSizeF size = view.boundsSize();
    if (!(size.width() > 0 && size.height() > 0))
        return false;
    QPainter painter;
    if (!painter.begin(&printer))
        return false;
    // The whole graph on one page: scaled down (or up) until it fits either
    // way, centred across the page and set at its top.
    const QRectF page = printer.pageLayout().paintRectPixels(printer.logicalDpiX());
    const double scale = std::min(page.width() / size.width(), page.height() / size.height());
    painter.translate((page.width() - size.width() * scale) / 2, 0);
    painter.scale(scale, scale);
    view.drawIn(painter);
    return painter.end();
}
