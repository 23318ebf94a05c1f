#include "app/Manager.h"

#include "app/AxisLabelTableModel.h"
#include "app/AxisLabelTableView.h"
#include "app/BufferListModel.h"
#include "app/DataBufferTableView.h"
#include "app/DataTableView.h"
#include "app/DocumentWindowQt.h"
#include "app/HelpBrowser.h"
#include "app/InspectorHost.h"
#include "app/InspectorPanel.h"
#include "app/PanelAccessories.h"
#include "app/PanelContext.h"
#include "app/PanelOutlets.h"
#include "app/PointTableModel.h"
#include "app/PreferencesWindow.h"
#include "app/ValueReadouts.h"
#include "macro/Macro.h"
#include "model/DataBuffer.h"
#include "model/DocumentFunctions.h"
#include "model/DocumentView.h"
#include "model/VexaDocument.h"
#include "platform/Alert.h"
#include "platform/UndoManager.h"
#include "platform/UserDefaults.h"
#include "util/NumberFormat.h"
#include "view/CalendarFormat.h"
#include "view/GraphWidget.h"
#include "view/VexaView.h"

#include <QAbstractButton>
#include <QAction>
#include <QButtonGroup>
#include <QCheckBox>
#include <QDialog>
#include <QItemSelection>
#include <QItemSelectionModel>
#include <QLineEdit>
#include <QMainWindow>
#include <QMenuBar>
#include <QStackedWidget>
#include <QTableView>
#include <QTextBrowser>

#include <algorithm>
#include <cstdlib>
#include <ctime>
#include <mutex>

Manager::Manager()
{
    // Temporary names draw from rand(); one seed per process is enough, and
    // a second controller (in a test) must not restart the sequence.
    static std::once_flag seeded;
    std::call_once(seeded, [] { std::srand(unsigned(std::time(nullptr))); });

    // Warnings are off until the launch has finished.
    warnings = 0;
    filePanel = [this](const FilePanelRequest& request) { return runFilePanel(request); };

    bufferRows_ = new BufferListModel(*this, this);
    pointRows_ = new PointTableModel(*this, this);
    bufferSelection_ = new QItemSelectionModel(bufferRows_, this);
    pointSelection_ = new QItemSelectionModel(pointRows_, this);
    // A million points cost the point table nothing until someone looks.
    pointRows_->waitWhileHidden([this] { return panes_.dataTable && panes_.dataTable->isVisible(); });
    // Points marked in the table are marked in the graph.
    connect(pointSelection_, &QItemSelectionModel::selectionChanged, this, [this] {
        if (PD && !noedit)
            PD->replot();
    });

    panelContext_ = makePanelContext();
    inspectors_ = std::make_unique<InspectorHost>(*panelContext_);
    buildInspectorWindow();

    ExpressionDocumentFunctions::install(&documentFunctions_);
}

Manager::~Manager()
{
    launchMacro_.reset();
    // Open windows go first: they report their documents closed to this
    // controller while it is still whole.
    for (const auto& w : windows_)
        delete w.data();
    windows_.clear();
    documents_.clear();
    PD = MPD = CPD = startPD = nullptr;
    T = nullptr;
    G = nullptr;

    if (helpView)
        delete helpView->window();
    preferencesWindow_.reset();
    // The panels' views and the data panes sit in the inspector window and
    // go with it.
    delete inspector;
    inspector = nullptr;
    dataPanesPlace_ = nullptr;
    panes_ = {};
    inspectors_.reset();

    endConsoleStreamLine();
    delete consoleWindow_;

    if (dialogsInstalled_)
        Alert::setHandler(std::move(previousAlerts_));
    if (ExpressionDocumentFunctions::installed() == &documentFunctions_)
        ExpressionDocumentFunctions::install(nullptr);
}

const QStringList& Manager::dataPaneKeys()
{
    static const QStringList keys = {QStringLiteral("databuffer"), QStringLiteral("mysql"),
                                     QStringLiteral("macro"), QStringLiteral("data")};
    return keys;
}

// --- documents -------------------------------------------------------------------------

DocumentWindowQt* Manager::openDocument(std::unique_ptr<VexaDocument> document, bool show)
{
    if (!document)
        return nullptr;
    document->M = this;
    const QString untitled = nextUntitledName();
    auto* window = new DocumentWindowQt(std::move(document), *this);
    window->setUntitledName(untitled);
    for (QMenu* menu : sharedMenus())
        window->menuBar()->addMenu(menu);
    windows_.emplace_back(window);
    if (show) {
        placeNewWindow(window);
        window->show();
        window->raise();
        window->activateWindow();
    }
    return window;
}

DocumentWindowQt* Manager::newDocumentWindow()
{
    return openDocument(makeDocument(), !options_.hidden);
}

std::vector<DocumentWindowQt*> Manager::windows() const
{
    std::vector<DocumentWindowQt*> out;
    // A closed window waits for its destruction: its document is gone for
    // every purpose, and a file it showed opens anew.
    for (const auto& w : windows_)
        if (w && !w->isClosed())
            out.push_back(w.data());
    return out;
}

DocumentWindowQt* Manager::windowOf(VexaDocument* document)
{
    if (!document)
        return nullptr;
    VexaDocument* main = document->MPD ? document->MPD : document;
    return dynamic_cast<DocumentWindowQt*>(main->W);
}

QString Manager::filePathOf(VexaDocument* document)
{
    // A sub-view is part of its main document's file, not a file of its own.
    if (!document || document->subview)
        return QString();
    auto* window = dynamic_cast<DocumentWindowQt*>(document->W);
    return window ? window->filePath() : QString();
}

void Manager::documentOpened(VexaDocument* document)
{
    if (!document || std::find(documents_.begin(), documents_.end(), document) != documents_.end())
        return;
    documents_.push_back(document);
    document->undoManager().setChangeHandler([this] { refreshUndoActions(); });
}

namespace {

// The document itself or one of its sub-views, at any depth.
bool belongsTo(const VexaDocument* d, const VexaDocument* document)
{
    for (int depth = 0; d && depth < 64; ++depth) {
        if (d == document)
            return true;
        if (!d->subview || d->MPD == d)
            return false;
        d = d->MPD;
    }
    return false;
}

template <typename Item>
bool ownsItem(const VexaDocument& document, const Item* item,
              const std::vector<std::unique_ptr<Item>> VexaDocument::*list)
{
    for (const auto& i : document.*list)
        if (i.get() == item)
            return true;
    for (const auto& sub : document.SPD)
        if (sub && ownsItem(*sub, item, list))
            return true;
    return false;
}

// Every panel lets go of the items of the document and its sub-views.
void forgetItemsOf(Manager& m, const VexaDocument& document)
{
    for (const auto& t : document.T)
        m.itemTakenAway(t.get());
    for (const auto& g : document.G)
        m.itemTakenAway(g.get());
    for (const auto& sub : document.SPD)
        if (sub)
            forgetItemsOf(m, *sub);
}

} // namespace

void Manager::documentClosed(VexaDocument* document)
{
    if (!document)
        return;
    // A macro acting on the document (or a sub-view of it) lets go of it
    // before it is destroyed; its run ends after the command it is in.
    Macro::documentWillClose(document);
    documents_.erase(std::remove(documents_.begin(), documents_.end(), document), documents_.end());
    document->undoManager().setChangeHandler({});

    // Nothing may keep pointing at the closed document, its sub-views or
    // the items they own.
    forgetItemsOf(*this, *document);
    if (T && ownsItem(*document, T, &VexaDocument::T))
        T = nullptr;
    if (G && ownsItem(*document, G, &VexaDocument::G))
        G = nullptr;
    if (belongsTo(PD, document) || belongsTo(MPD, document)) {
        PD = MPD = nullptr;
        T = nullptr;
        G = nullptr;
        SV.insert(QStringLiteral("document"), QString());
    }
    if (belongsTo(CPD, document))
        CPD = nullptr;
    if (belongsTo(startPD, document))
        startPD = nullptr;
    refreshUndoActions();
    update();
    if (!PD)
        clearReadOuts();
}

const GraphicSettings* Manager::graphicSettings() const
{
    const InspectorPanel* panel = inspectors_->panel(InspectorKey::Graphic);
    return panel ? panel->graphicSettings() : nullptr;
}

void Manager::itemTakenAway(const void* item)
{
    inspectors_->forgetItem(item);
}

// --- current objects -----------------------------------------------------------------------

void Manager::setCurrentDoc(VexaDocument* document, VexaDocument* main)
{
    setCurrentText(nullptr);
    setCurrentGraphic(nullptr);
    SV.insert(QStringLiteral("document"), QString());
    {
        const auto held = panelContext().holdEdits();
        if (document && main) {
            PD = document;
            MPD = main;
            CPD = document;
            update();
            const QString path = filePathOf(document);
            if (!path.isEmpty())
                SV.insert(QStringLiteral("document"), path);
        } else {
            PD = MPD = CPD = nullptr;
        }
    }
    refreshUndoActions();
}

// --- refresh ----------------------------------------------------------------------------------

void Manager::update()
{
    // A text box made current (pressed, made by the text tool, stepped to)
    // is where the font panel's picks go from then on.
    if (T != fontPanelBox_) {
        fontPanelBox_ = T;
        if (T)
            textFormat->takeFontPanel();
    }
    inspectors_->refresh();

    bufferRows_->reload();
    pointRows_->reload();
    if (axisLabelTable)
        if (auto* labels = dynamic_cast<AxisLabelTableModel*>(axisLabelTable->model()))
            labels->reload();

    showCurrentBuffer();
}

void Manager::showCurrentBuffer()
{
    if (!PD || !panes_.dataBuffer)
        return;
    if (DataBuffer* b = PD->getCurrentDataBuffer()) {
        panes_.dataBuffer->setText(QString::number(PD->current));
        panes_.dataPoints->setText(QString::number(b->nop()));
        panes_.dataComment->setText(b->comment);
    } else {
        panes_.dataBuffer->clear();
        panes_.dataPoints->clear();
        panes_.dataComment->clear();
    }
}

// --- inspector and data panes ----------------------------------------------------------------------

void Manager::switchInspector(const QString& key)
{
    inspectors_->show(key);
}

void Manager::switchDataView(const QString& key)
{
    if (!dataPaneKeys().contains(key))
        return;
    const auto held = panelContext().holdEdits();
    UserDefaults::standard().setValue(QStringLiteral("LastDataView"), key);
    dataPane_ = key;
    if (QWidget* pane = DV.value(key))
        panes_.DataFrame->setCurrentWidget(pane);
    if (QAbstractButton* b = DD.value(key))
        b->setChecked(true);
    update();
}

// --- tools -----------------------------------------------------------------------------------

QString Manager::mouseModeTitle() const
{
    QAbstractButton* b = mouseModePalette ? mouseModePalette->checkedButton() : nullptr;
    return b ? MM.key(b) : QString();
}

void Manager::selectMouseMode(const QString& title)
{
    if (QAbstractButton* b = MM.value(toolTitle(toolNamed(title))))
        b->setChecked(true);
}

void Manager::mouseModeDidChange(VexaDocument* /*sender*/)
{
    T = nullptr;
    if (PD)
        PD->replot();
    const Tool tool = mouseTool();
    if (tool == Tool::NormX || tool == Tool::NormY) {
        axisBothWarn();
        if (!inspectors_->isShown(InspectorKey::Normalize))
            inspectors_->show(InspectorKey::Normalize);
        // The panel's axis choice follows the tool: x values or y values.
        PanelOutlets::selectTag(inspectors_->panel(InspectorKey::Normalize), QStringLiteral("axis"),
                                tool == Tool::NormX ? 0 : 1);
    } else if (tool == Tool::Legend) {
        inspectors_->show(InspectorKey::Legend); // these tools have a panel of their own
    } else if (tool == Tool::Graphic) {
        inspectors_->show(InspectorKey::Graphic);
    } else if (tool == Tool::Text) {
        inspectors_->show(InspectorKey::Text);
    } else if (tool == Tool::BgSub) {
        inspectors_->show(InspectorKey::Normalize);
    }
    if (PD) {
        // Keys go to the graph, except while the text tool types into a box.
        if (tool != Tool::Text)
            if (DocumentWindowQt* w = windowOf(PD))
                w->graphWidget().setFocus(Qt::OtherFocusReason);
        if (auto* view = dynamic_cast<VexaView*>(PD->PV))
            view->haveoloc = 0;
    }
    for (VexaDocument* d : documents_)
        if (DocumentWindowQt* w = windowOf(d))
            w->followController();
}

// --- preferences --------------------------------------------------------------------------------

bool Manager::toolbarSwitch() const
{
    return prefs_.windowToolbar;
}

QString Manager::TDF() const
{
    return prefs_.TDF;
}

// --- selections and the axis pair -----------------------------------------------------------------

namespace {

std::vector<int> selectedRows(const QItemSelectionModel& selection)
{
    std::vector<int> rows;
    for (const QModelIndex& i : selection.selectedRows())
        rows.push_back(i.row());
    std::sort(rows.begin(), rows.end());
    rows.erase(std::unique(rows.begin(), rows.end()), rows.end());
    return rows;
}

} // namespace

std::vector<int> Manager::selectedBufferRows() const
{
    return selectedRows(*bufferSelection_);
}

std::vector<int> Manager::selectedPointRows() const
{
    return selectedRows(*pointSelection_);
}

int Manager::axis12() const
{
    const int id = di_axis12 ? di_axis12->checkedId() : -1;
    return (id == Pair1 || id == Pair2 || id == PairBoth) ? id : int(Pair1);
}

void Manager::axis12DidChange()
{
    update();
}

bool Manager::axisBothWarn()
{
    const int pair = axis12();
    if (pair == Pair1 || pair == Pair2)
        return true;
    Alert::run(QStringLiteral("Both Axis Selected"),
               QStringLiteral("for this operation axis 1 or 2 (not both) must be selected"),
               {QStringLiteral("Ok")});
    return false;
}

bool Manager::noSelectWarn()
{
    if (!PD) {
        Alert::beep();
        return false;
    }
    if (!selectedBufferRows().empty())
        return true;
    const int answer = Alert::run(QStringLiteral("No Buffer Selected"),
                                  QStringLiteral("please select at least on buffer in the Data Inspector"),
                                  {QStringLiteral("Select All"), QStringLiteral("Cancel")});
    if (answer != 0)
        return false;
    bSelectAll();
    return true;
}

void Manager::bSelectAll()
{
    if (!PD) {
        Alert::beep();
        return;
    }
    bufferRows_->reload();
    QItemSelection all;
    if (const int rows = bufferRows_->rowCount(); rows > 0)
        all.select(bufferRows_->index(0, 0), bufferRows_->index(rows - 1, bufferRows_->columnCount() - 1));
    bufferSelection_->select(all, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    update();
    PD->replot();
}

// --- values and variables -----------------------------------------------------------------------------

QString Manager::getValue(int axis, int mode, double coordinate) const
{
    if (!PD)
        return QString();
    const double value = ValueReadouts::axisValue(PD, axis, coordinate);
    return mode == AxisTime ? timeText(value) : formatNumberAuto(value);
}

UndoManager* Manager::currentUndoManager() const
{
    return PD ? &PD->undoManager() : nullptr;
}

void Manager::refreshUndoActions()
{
    if (!undoAction || !redoAction)
        return;
    UndoManager* um = currentUndoManager();
    const bool canUndo = um && um->canUndo();
    const bool canRedo = um && um->canRedo();
    undoAction->setEnabled(canUndo);
    redoAction->setEnabled(canRedo);
    const QString undoName = canUndo ? um->undoActionName() : QString();
    const QString redoName = canRedo ? um->redoActionName() : QString();
    undoAction->setText(undoName.isEmpty() ? QStringLiteral("Undo") : QStringLiteral("Undo ") + undoName);
    redoAction->setText(redoName.isEmpty() ? QStringLiteral("Redo") : QStringLiteral("Redo ") + redoName);
}

void Manager::undo()
{
    UndoManager* um = currentUndoManager();
    if (!um || !um->undo())
        Alert::beep();
    refreshUndoActions();
}

void Manager::redo()
{
    UndoManager* um = currentUndoManager();
    if (!um || !um->redo())
        Alert::beep();
    refreshUndoActions();
}
