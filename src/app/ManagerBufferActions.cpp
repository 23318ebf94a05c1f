// The menu actions on the current document's buffer list, its sub-views,
// text boxes and graphics, and the menus that carry them.

#include "app/Manager.h"

#include "app/BufferListModel.h"
#include "app/DataBufferTableView.h"
#include "app/DocumentWindowQt.h"
#include "macro/Macro.h"
#include "model/VexaDocument.h"
#include "platform/Alert.h"
#include "view/VexaView.h"

#include <QAction>
#include <QItemSelectionModel>
#include <QKeySequence>
#include <QMenu>
#include <QTableView>

#include <algorithm>
#include <functional>

// --- menus ---------------------------------------------------------------------------------

void Manager::buildBufferMenus()
{
    auto make = [this](const QString& title, std::function<void()> run) {
        auto* a = new QAction(title, inspector);
        connect(a, &QAction::triggered, this, [run = std::move(run)] { run(); });
        return a;
    };

    // Cut, Copy and Paste right after Undo and Redo. Text fields take these
    // keys for themselves while they have the focus.
    const QList<QAction*> edit = editMenu->actions();
    const qsizetype afterRedo = edit.indexOf(redoAction) + 1;
    QAction* before = afterRedo > 0 && afterRedo < edit.size() ? edit[afterRedo] : nullptr;
    QAction* cutAction = make(QStringLiteral("Cut"), [this] { cut(); });
    cutAction->setShortcut(QKeySequence::Cut);
    QAction* copyAction = make(QStringLiteral("Copy"), [this] { copy(); });
    copyAction->setShortcut(QKeySequence::Copy);
    QAction* pasteAction = make(QStringLiteral("Paste"), [this] { paste(); });
    pasteAction->setShortcut(QKeySequence::Paste);
    editMenu->insertSeparator(before);
    editMenu->insertActions(before, {cutAction, copyAction, pasteAction});

    graphMenu->addSeparator();
    graphMenu->addAction(make(QStringLiteral("Delete Subview"), [this] { deleteSubview(); }));
    graphMenu->addAction(make(QStringLiteral("Delete All Subviews"), [this] { deleteAllSubviews(); }));
    graphMenu->addAction(make(QStringLiteral("Delete All Text Objects"), [this] { deleteAllTextObjects(); }));
    graphMenu->addAction(
        make(QStringLiteral("Delete All Graphic Objects"), [this] { deleteAllGraphicObjects(); }));

    bufferMenu = new QMenu(QStringLiteral("Buffers"), inspector);
    // clang-format off
    const struct {
        const char* title;
        void (Manager::*action)();
    } items[] = {
        {"New Buffer", &Manager::newBuffer},
        {"Duplicate", &Manager::bDuplicte},
        {"Delete", &Manager::bDelete},
        {nullptr, nullptr},
        {"Show", &Manager::bShow},
        {"Hide", &Manager::bHide},
        {"Show Only Selected", &Manager::bShowSel},
        {"Hide Only Selected", &Manager::bHideSel},
        {nullptr, nullptr},
        {"Select All", &Manager::bSelectAll},
        {"Select None", &Manager::bSelectNone},
        {"Invert Selection", &Manager::bSelectInvert},
        {nullptr, nullptr},
        {"Remove Errors", &Manager::bRemoveError},
        {"Move Up", &Manager::bMoveUp},
        {"Move Down", &Manager::bMoveDown},
        {nullptr, nullptr},
        {"Next Buffer", &Manager::nextBuffer},
        {"Previous Buffer", &Manager::previousBuffer},
    };
    // clang-format on
    for (const auto& item : items) {
        if (!item.title) {
            bufferMenu->addSeparator();
            continue;
        }
        QAction* a = make(QLatin1String(item.title), [this, action = item.action] { (this->*action)(); });
        a->setObjectName(QLatin1String(item.title));
        bufferMenu->addAction(a);
    }
}

// --- helpers -----------------------------------------------------------------------------------

std::vector<int> Manager::selectedBuffers() const
{
    std::vector<int> rows = selectedBufferRows();
    const int count = PD ? PD->bufferCount() : 0;
    rows.erase(std::remove_if(rows.begin(), rows.end(), [count](int r) { return r < 0 || r >= count; }),
               rows.end());
    return rows;
}

void Manager::refreshCurrent()
{
    update();
    if (PD)
        PD->replot();
}

namespace {

// Beeps when there is no document to act on.
bool haveDocument(const VexaDocument* document)
{
    if (document)
        return true;
    Alert::beep();
    return false;
}

} // namespace

// --- showing and hiding ------------------------------------------------------------------------------

void Manager::setShown(std::optional<bool> everyBuffer, bool selected)
{
    if (!haveDocument(PD))
        return;
    if (everyBuffer)
        for (const auto& b : PD->DB)
            b->show = *everyBuffer ? 1 : 0;
    for (int row : selectedBuffers())
        PD->DB[std::size_t(row)]->show = selected ? 1 : 0;
    refreshCurrent();
}

void Manager::bShow()
{
    setShown(std::nullopt, true);
}

void Manager::bHide()
{
    setShown(std::nullopt, false);
}

void Manager::bShowSel()
{
    setShown(false, true);
}

void Manager::bHideSel()
{
    setShown(true, false);
}

// --- deleting, duplicating, errors -------------------------------------------------------------------

void Manager::bDelete()
{
    if (!haveDocument(PD))
        return;
    const std::vector<int> rows = selectedBuffers();
    if (rows.empty()) {
        refreshCurrent();
        return;
    }
    for (int row : rows)
        PD->DB[std::size_t(row)]->setRm();
    // The rows would stand for the buffers that moved up into them.
    bufferSelection_->clearSelection();
    PD->deleteBuffer();
    refreshCurrent();
}

void Manager::bDuplicte()
{
    if (!haveDocument(PD))
        return;
    for (int row : selectedBuffers())
        PD->duplicateBuffer(row);
    refreshCurrent();
}

void Manager::bRemoveError()
{
    if (!haveDocument(PD))
        return;
    for (int row : selectedBuffers())
        PD->DB[std::size_t(row)]->deleteError();
    refreshCurrent();
}

// --- selection --------------------------------------------------------------------------------------

void Manager::bSelectNone()
{
    if (!haveDocument(PD))
        return;
    bufferSelection_->clearSelection();
    refreshCurrent();
}

void Manager::bSelectInvert()
{
    if (!haveDocument(PD))
        return;
    const std::vector<int> selected = selectedBuffers();
    std::vector<int> inverted;
    for (int i = 0; i < PD->bufferCount(); ++i)
        if (!std::binary_search(selected.begin(), selected.end(), i))
            inverted.push_back(i);
    setSelectedBufferRows(inverted);
    refreshCurrent();
}

// --- order and the current buffer ---------------------------------------------------------------------

void Manager::bMoveUp()
{
    if (!haveDocument(PD))
        return;
    const int c = PD->current;
    if (c > 0 && c < PD->bufferCount()) {
        std::swap(PD->DB[std::size_t(c)], PD->DB[std::size_t(c - 1)]);
        PD->current = c - 1;
        PD->replot();
    }
}

void Manager::bMoveDown()
{
    if (!haveDocument(PD))
        return;
    const int c = PD->current;
    if (c >= 0 && c + 1 < PD->bufferCount()) {
        std::swap(PD->DB[std::size_t(c)], PD->DB[std::size_t(c + 1)]);
        PD->current = c + 1;
        PD->replot();
    }
}

void Manager::newBuffer()
{
    if (PD)
        PD->newBuffer();
}

void Manager::nextBuffer()
{
    if (PD)
        PD->incCurrentDataBuffer();
    update();
}

void Manager::previousBuffer()
{
    if (PD)
        PD->decCurrentDataBuffer();
    update();
}

// --- sub-views, text boxes and graphics ------------------------------------------------------------------

void Manager::forgetItem(VexaDocument& document, const void* item)
{
    if (T == item)
        T = nullptr;
    if (G == item)
        G = nullptr;
    itemTakenAway(item);
    document.undoManager().removeAllActionsWithTarget(item);
}

void Manager::removeSubview(VexaDocument& main, VexaDocument* subview)
{
    auto it = std::find_if(main.SPD.begin(), main.SPD.end(),
                           [subview](const auto& s) { return s.get() == subview; });
    if (it == main.SPD.end())
        return;
    // A macro working on the sub-view lets go of it first.
    Macro::documentWillClose(subview);
    for (const auto& t : subview->T)
        forgetItem(main, t.get());
    for (const auto& g : subview->G)
        forgetItem(main, g.get());
    for (const auto& b : subview->DB)
        main.undoManager().removeAllActionsWithTarget(b.get());
    main.undoManager().removeAllActionsWithTarget(subview);
    if (CPD == subview)
        CPD = &main;
    if (startPD == subview)
        startPD = nullptr;
    if (PD == subview || MPD == subview)
        setCurrentDoc(&main, &main);

    std::unique_ptr<VexaDocument> gone = std::move(*it);
    main.SPD.erase(it);
    // Its view goes first: it points at the document.
    if (DocumentWindowQt* w = windowOf(&main)) {
        auto& views = w->subviewViews;
        views.erase(
            std::remove_if(views.begin(), views.end(), [&](const auto& v) { return v->PD == subview; }),
            views.end());
    }
    gone->PV = nullptr;
}

void Manager::deleteSubview()
{
    if (!haveDocument(PD))
        return;
    VexaDocument* main = PD->MPD;
    if (!PD->subview || !main || main == PD) {
        Alert::beep();
        return;
    }
    VexaDocument* subview = PD;
    setCurrentDoc(main, main);
    removeSubview(*main, subview);
    main->replot();
}

void Manager::deleteAllSubviews()
{
    if (!haveDocument(PD) || !haveDocument(MPD))
        return;
    VexaDocument* main = MPD;
    setCurrentDoc(main, main);
    while (!main->SPD.empty())
        removeSubview(*main, main->SPD.back().get());
    main->replot();
}

void Manager::deleteAllTextObjects()
{
    if (!haveDocument(PD))
        return;
    VexaDocument& d = *PD;
    d.removeTextBoxes([](const TextBoxItem&) { return true; });
    (d.MPD ? d.MPD : &d)->replot();
}

void Manager::deleteAllGraphicObjects()
{
    if (!haveDocument(PD))
        return;
    VexaDocument& d = *PD;
    d.removeGraphics([](const GraphicItem&) { return true; });
    (d.MPD ? d.MPD : &d)->replot();
}
