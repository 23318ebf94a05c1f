// Keys, the scroll wheel and drops on the graph. Keys run macros by their
// shortcut, nudge or delete the points being moved, the current text box or
// the current graphic, step through texts and graphics, and otherwise pick a
// tool by its key. The wheel zooms under the range tool. Drops bring text
// and files in as buffers and pictures as picture graphics.

#include "view/VexaView.h"

#include "model/DataBuffer.h"
#include "model/ManagerServices.h"
#include "model/VexaDocument.h"
#include "platform/Picture.h"
#include "view/Graphic.h"
#include "view/VexaTextView.h"

#include <QFile>

#include <algorithm>
#include <cmath>
#include <memory>
#include <set>

namespace {

bool isArrow(int c)
{
    return c >= VexaView::KeyUp && c <= VexaView::KeyRight;
}

// One point's step of an arrow key: up, down, left, right.
QPointF arrowStep(int c)
{
    switch (c) {
    case VexaView::KeyUp:
        return {0, 1};
    case VexaView::KeyDown:
        return {0, -1};
    case VexaView::KeyLeft:
        return {-1, 0};
    case VexaView::KeyRight:
        return {1, 0};
    default:
        return {0, 0};
    }
}

template <class Item> int indexIn(const std::vector<std::unique_ptr<Item>>& list, const Item* item)
{
    for (std::size_t i = 0; i < list.size(); ++i)
        if (list[i].get() == item)
            return int(i);
    return -1;
}

// The item before or after `item`, wrapping around; the last (first) one
// when `item` is not in the list.
template <class Item>
Item* neighbour(const std::vector<std::unique_ptr<Item>>& list, const Item* item, bool next)
{
    if (list.empty())
        return nullptr;
    const int n = int(list.size());
    const int i = indexIn(list, item);
    int j;
    if (next)
        j = i < 0 || i == n - 1 ? 0 : i + 1;
    else
        j = i <= 0 ? n - 1 : i - 1;
    return list[std::size_t(j)].get();
}

// After deleting the item at i: the one before it, the last when it was the
// first, none when nothing is left.
template <class Item> Item* successor(const std::vector<std::unique_ptr<Item>>& list, int i)
{
    if (list.empty())
        return nullptr;
    return list[std::size_t(i > 0 ? i - 1 : int(list.size()) - 1)].get();
}

// Deletions that undo keeps: the item lives on in its undo step, and
// coming back it registers its own deletion as the redo.
template <class Item>
void reAppendUndoably(VexaDocument* d, std::vector<std::unique_ptr<Item>> VexaDocument::*list,
                      std::unique_ptr<Item> item);

void deleteTextUndoably(VexaDocument* d, TextBoxItem* box)
{
    if (auto* view = dynamic_cast<VexaTextView*>(box); view && view->editor)
        view->editor->textBoxWillGoAway(*view);
    if (std::unique_ptr<TextBoxItem> taken = d->takeTextBox(box))
        reAppendUndoably(d, &VexaDocument::T, std::move(taken));
}

void deleteGraphicUndoably(VexaDocument* d, GraphicItem* graphic)
{
    if (std::unique_ptr<GraphicItem> taken = d->takeGraphic(graphic))
        reAppendUndoably(d, &VexaDocument::G, std::move(taken));
}

template <class Item>
void reAppendUndoably(VexaDocument* d, std::vector<std::unique_ptr<Item>> VexaDocument::*list,
                      std::unique_ptr<Item> item)
{
    auto held = std::make_shared<std::unique_ptr<Item>>(std::move(item));
    d->undoManager().registerUndo(d, [d, list, held] {
        if (!*held)
            return;
        Item* back = held->get();
        (d->*list).push_back(std::move(*held));
        d->undoManager().registerUndo(back, [d, back] {
            if constexpr (std::is_same_v<Item, TextBoxItem>)
                deleteTextUndoably(d, back);
            else
                deleteGraphicUndoably(d, back);
            d->replot();
        });
        d->replot();
    });
}

} // namespace

// --- keys --------------------------------------------------------------------------------------

bool VexaView::keyDown(int c, unsigned modifiers)
{
    if (c == 0 || !PD)
        return false;
    VexaDocument& d = *PD;
    const bool command = modifiers & ModCommand;

    // Control and a letter: the macros of that shortcut, exactly as typed.
    if ((modifiers & ModControl) && ((c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'))) {
        M->ma_executeByShortcut(c);
        return true;
    }

    const Tool tool = M->mouseTool();
    if (tool == Tool::MovePoint) {
        if (DataBuffer* b = pointsBeingMoved()) {
            const std::vector<int> rows = M->selectedPointRows();
            if (c == KeyDelete) {
                b->deletePoints(std::set<int>(rows.begin(), rows.end()));
            } else if (isArrow(c)) {
                // One view point per press, through the buffer's own
                // transform.
                const QPointF step = arrowStep(c);
                for (int k : rows) {
                    const double px = xPoint(b->xDoubleValueAt(k), b->belongx, b) + step.x();
                    const double py = yPoint(b->yDoubleValueAt(k), b->belongy, b) + step.y();
                    b->setXDoubleValueAt(k, xValue(px, b->belongx, b));
                    b->setYDoubleValueAt(k, yValue(py, b->belongy, b));
                }
            }
            d.replot();
            return true;
        }
    }

    // The current text box or graphic, when it is one of this graph's.
    const int textIndex = indexIn(d.T, static_cast<const TextBoxItem*>(M->T));
    if (tool == Tool::Select && textIndex >= 0) {
        auto* box = dynamic_cast<VexaTextView*>(M->T);
        if (command && (c == KeyLeft || c == KeyRight)) {
            M->setCurrentText(neighbour(d.T, static_cast<const TextBoxItem*>(box), c == KeyRight));
        } else if (isArrow(c) && box) {
            box->tloc += arrowStep(c);
            box->setFloat(box->posmode);
            box->align();
            // The text panel shows the new place, as the graphic panel does.
            d.replot();
        } else if (c == KeyDelete) {
            d.undoManager().beginUndoGrouping();
            deleteTextUndoably(&d, M->T);
            d.undoManager().endUndoGrouping();
            M->setCurrentText(successor(d.T, textIndex));
            d.replot();
        }
        return true;
    }

    const int graphicIndex = indexIn(d.G, static_cast<const GraphicItem*>(M->G));
    if ((tool == Tool::Graphic || tool == Tool::Select) && graphicIndex >= 0) {
        auto* g = dynamic_cast<Graphic*>(M->G);
        if (command && (c == KeyLeft || c == KeyRight)) {
            M->setCurrentGraphic(neighbour(d.G, static_cast<const GraphicItem*>(g), c == KeyRight));
        } else if (isArrow(c) && g) {
            // Control holds the first point, Option the second.
            const QPointF step = arrowStep(c);
            double x1, y1, x2, y2;
            g->getPoints(x1, y1, x2, y2);
            if (!(modifiers & ModControl)) {
                x1 += step.x();
                y1 += step.y();
            }
            if (!(modifiers & ModOption)) {
                x2 += step.x();
                y2 += step.y();
            }
            g->setPoints(x1, y1, x2, y2);
            d.replot();
        } else if (c == KeyDelete) {
            d.undoManager().beginUndoGrouping();
            deleteGraphicUndoably(&d, M->G);
            d.undoManager().endUndoGrouping();
            M->setCurrentGraphic(successor(d.G, graphicIndex));
            d.replot();
        }
        return true;
    }

    // A tool's key is a plain letter; capitals count as their small letters.
    // Any other key picks no tool and leaves the current one as it is.
    if (!((c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z')))
        return false;
    M->getShortcut(c < 0x5B ? c + 0x20 : c);
    return true;
}

// --- the wheel --------------------------------------------------------------------------------

void VexaView::scrollWheel(double deltaY, unsigned modifiers)
{
    if (!PD || M->mouseTool() != Tool::Range || deltaY == 0 || !std::isfinite(deltaY))
        return;
    // Small steps (a touchpad) make small changes.
    const double f = std::max(5.0, 50 / std::fabs(deltaY));
    const bool option = modifiers & ModOption, command = modifiers & ModCommand;
    const int direction = option && !command ? ZoomX : command && !option ? ZoomY : ZoomXY;
    UndoManager& um = PD->undoManager();
    um.beginUndoGrouping();
    if (deltaY > 0)
        PD->upscale(f, direction, M->axis12(), true);
    else
        PD->downscale(f, direction, M->axis12());
    um.endUndoGrouping();
}

// --- drops ------------------------------------------------------------------------------------

void VexaView::setDropHighlight(bool on)
{
    if (highlight == on)
        return;
    highlight = on;
    setNeedsDisplay();
}

GraphicItem* VexaView::addPicture(Picture picture, QPointF centre)
{
    if (!PD)
        return nullptr;
    const QSizeF size = picture.naturalSize();
    const double w = size.width(), h = size.height();
    const double W = boundsSize().width(), H = boundsSize().height();
    if (!(w > 0 && h > 0 && W > 0 && H > 0))
        return nullptr;
    // Shrunk to fit a view it is larger than, and shown at 1/1.1 of that.
    const double k = W / w < 1 || H / h < 1 ? 1 / std::min(W / w, H / h) : 1;
    const double gw = w / (1.1 * k), gh = h / (1.1 * k);
    auto graphic = std::make_unique<Graphic>();
    graphic->setDefaults();
    graphic->setup(M, PD);
    graphic->type = GraphicPicture;
    graphic->image = std::move(picture);
    graphic->setPoints(centre.x() - gw / 2, centre.y() - gh / 2, centre.x() + gw / 2, centre.y() + gh / 2);
    GraphicItem* added = graphic.get();
    PD->G.push_back(std::move(graphic));
    M->setCurrentGraphic(added);
    mainDocument()->replot();
    return added;
}

namespace {

// The picture a dropped file holds; none for any other file (or one too
// large to be a picture we take).
std::optional<Picture> pictureInFile(const QString& path)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly) || f.size() > Picture::maxBytes)
        return std::nullopt;
    return Picture::fromData(f.read(Picture::maxBytes));
}

} // namespace

bool VexaView::performDrop(const Drop& drop, QPointF location)
{
    if (!PD)
        return false;
    bool taken = false;
    if (!drop.file.isEmpty()) {
        if (std::optional<Picture> picture = pictureInFile(drop.file))
            taken = addPicture(std::move(*picture), location) != nullptr;
        else
            taken = M->importDroppedFile(*PD, drop.file);
    } else if (drop.text) {
        taken = M->importDroppedText(*PD, *drop.text);
    } else {
        for (const QByteArray* bytes : {&drop.pdf, &drop.png, &drop.tiff}) {
            if (bytes->isEmpty())
                continue;
            if (std::optional<Picture> picture = Picture::fromData(*bytes))
                taken = addPicture(std::move(*picture), location) != nullptr;
            break;
        }
    }
    setDropHighlight(false);
    return taken;
}
