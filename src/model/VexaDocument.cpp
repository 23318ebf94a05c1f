#include "model/VexaDocument.h"

#include "model/DocumentView.h"
#include "model/DocumentWindow.h"
#include "model/ManagerServices.h"
#include "platform/Color.h"
#include "platform/Font.h"
#include "platform/UserDefaults.h"

#include <algorithm>
#include <utility>

VexaDocument::VexaDocument()
{
    verno = 0;
    M = ManagerServices::shared();
    setDefaults();
    subview = 0;
}

VexaDocument::~VexaDocument() = default;

QFont VexaDocument::defaultFont(const char* nameKey, const char* sizeKey, double fallbackSize)
{
    // A stored font that is gone (or a size that is no size) falls back to
    // the user font at the standard size, not at the stored one.
    if (auto f = storedFont(UserDefaults::standard(), nameKey, sizeKey))
        return *f;
    return Font::userFont(fallbackSize);
}

std::optional<QFont> VexaDocument::storedFont(const UserDefaults& d, const char* nameKey, const char* sizeKey)
{
    const QString nk = QLatin1String(nameKey);
    const QString sk = QLatin1String(sizeKey);
    if (!d.contains(nk) || !d.contains(sk))
        return std::nullopt;
    return Font::withName(d.stringForKey(nk), double(d.floatForKey(sk)));
}

void VexaDocument::setDefaults()
{
    page.resetLayout();
    resizewin = 0;
    current = 0;

    xmin1 = xmin2 = ymin1 = ymin2 = 0;
    xmax1 = xmax2 = ymax1 = ymax2 = 1;

    legend.resetLayout(defaultFont("LegendFontName", "LegendFontSize", 14));
    const QFont num = defaultFont("NumFontName", "NumFontSize", 14);
    const QFont title = defaultFont("TextFontName", "TextFontSize", 18);
    for (int i = 0; i < 4; ++i)
        axes[std::size_t(i)].resetLayout(i, num, title);

    MPD = this;
}

void VexaDocument::newBuffer()
{
    auto b = std::make_unique<DataBuffer>();
    b->setComment(QStringLiteral("new"));
    DB.push_back(std::move(b));
    current = int(DB.size()) - 1;
    if (M)
        M->update();
    replot();
}

void VexaDocument::deleteBuffer()
{
    // No undo step may keep reaching a buffer that is gone.
    for (const auto& b : DB)
        if (b->rm)
            undoManager().removeAllActionsWithTarget(b.get());
    DB.erase(std::remove_if(DB.begin(), DB.end(), [](const auto& b) { return b->rm != 0; }), DB.end());
    if (M)
        M->update();
    replot();
}

void VexaDocument::duplicateBuffer(int index)
{
    if (index < 0 || index >= int(DB.size()))
        return;
    auto copy = DB[std::size_t(index)]->copyWithZone();
    copy->rescale();
    DB.push_back(std::move(copy));
    if (M)
        M->update();
    replot();
}

bool VexaDocument::setBufferLegend(int buffer, bool on, Redraw redraw)
{
    DataBuffer* b = bufferAt(buffer);
    return b && change(b->plotlegend, std::uint8_t(on ? 1 : 0), redraw);
}

bool VexaDocument::setDynamicSize(int buffer, const QString& expression, Redraw redraw)
{
    DataBuffer* b = bufferAt(buffer);
    return b && change(b->dynsize, expression, redraw);
}

DataBuffer* VexaDocument::getCurrentDataBuffer()
{
    if (DB.empty())
        return nullptr;
    if (current < 0 || current >= int(DB.size()))
        current = 0;
    return DB[std::size_t(current)].get();
}

void VexaDocument::incCurrentDataBuffer()
{
    if (DB.empty()) {
        current = 0;
        return;
    }
    ++current;
    if (current >= int(DB.size()))
        current = 0;
}

void VexaDocument::decCurrentDataBuffer()
{
    if (DB.empty()) {
        current = 0;
        return;
    }
    if (current <= 0)
        current = int(DB.size()) - 1;
    else
        --current;
}

std::vector<DataBuffer*> VexaDocument::getDataBuffer(int selection)
{
    std::vector<DataBuffer*> out;
    switch (selection) {
    case SelectCurrent:
        // With no buffer, or a current index that lies outside the list,
        // there is nothing to act on.
        if (current >= 0 && current < int(DB.size()))
            out.push_back(DB[std::size_t(current)].get());
        break;
    case SelectShown:
        for (const auto& b : DB)
            if (b->show)
                out.push_back(b.get());
        break;
    case SelectShownSelected:
        if (M) {
            for (int row : M->selectedBufferRows())
                if (row >= 0 && row < int(DB.size()) && DB[std::size_t(row)]->show)
                    out.push_back(DB[std::size_t(row)].get());
        }
        break;
    default:
        break;
    }
    return out;
}

void VexaDocument::updateAutoTexts()
{
    for (const auto& t : T) {
        t->doAutoPos();
        t->setNeedsDisplay();
    }
}

void VexaDocument::replot()
{
    if (subview) {
        // The main document's replot tells of this one's changes too.
        if (MPD && MPD != this)
            MPD->replot();
        return;
    }
    DocumentChange change{std::exchange(settingsChanged_, false)};
    for (const auto& sub : SPD)
        if (sub && std::exchange(sub->settingsChanged_, false))
            change.settings = true;
    if (PV)
        PV->displayNow();
    if (M)
        M->update();
    listeners_.notify(change);
}

void VexaDocument::showValues(QPointF point)
{
    VexaDocument* main = MPD ? MPD : this;
    if (main->W)
        main->W->showAxisValues(*this, point);
}

void VexaDocument::showValuesMeasure(QPointF point)
{
    showValues(QPointF(point.x() - 15, point.y() + 15));
}
