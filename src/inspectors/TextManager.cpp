#include "inspectors/TextManager.h"

#include "app/FontChange.h"
#include "app/PanelContext.h"
#include "app/PanelOutlets.h"
#include "app/TextFormat.h"
#include "inspectors/CoordinateCells.h"
#include "model/VexaDocument.h"
#include "util/NumberFormat.h"
#include "view/VexaTextView.h"

#include "ui_text.h"

#include <QButtonGroup>
#include <QTextBlock>
#include <QTextDocument>

#include <cmath>

namespace {

const QString kTitle = QStringLiteral("Text Inspector");

// The alignment cell of the box: that of its first paragraph.
int alignmentTag(const VexaTextView& box)
{
    const Qt::Alignment a = box.document().begin().blockFormat().alignment();
    if (a & Qt::AlignHCenter)
        return 1;
    if (a & Qt::AlignRight)
        return 2;
    return 0;
}

// The cells of the place picture whose tags lie in [first, last].
QButtonGroup* placeCells(QWidget* places, const char* name, int first, int last)
{
    auto* group = new QButtonGroup(places);
    group->setObjectName(QLatin1String(name));
    for (QAbstractButton* b : places->findChildren<QAbstractButton*>()) {
        const int tag = PanelOutlets::tagOf(b);
        if (tag >= first && tag <= last)
            group->addButton(b, tag);
    }
    return group;
}

// The integer part of a turn; 0 for one that is no number.
int wholeDegrees(double angle)
{
    return std::isfinite(angle) && std::fabs(angle) < 1e9 ? int(angle) : 0;
}

} // namespace

TextManager::TextManager(PanelContext& context)
        : InspectorManager(context)
        , ui_(new Ui::TextPanel)
{
    inspectorView = new QWidget;
    ui_->setupUi(inspectorView);
    Ui::TextPanel& u = *ui_;

    align = taggedCells(u.align);
    posCenter = placeCells(u.places, "posCenter", 1, 9);
    posTop = placeCells(u.places, "posTop", 10, 12);
    posRight = placeCells(u.places, "posRight", 13, 15);
    posBottom = placeCells(u.places, "posBottom", 16, 18);
    posLeft = placeCells(u.places, "posLeft", 19, 21);
    autoangle = taggedCells(u.autoangle);
    posMode = taggedCells(u.posMode);
    textboxAlign = taggedCells(u.textboxAlign);
    for (QButtonGroup* cells : {align, autoangle, posMode, textboxAlign})
        bind(cells);
    for (QButtonGroup* cells : placeGroups())
        bind(cells);

    position = u.position;
    bind(u.positionX, position);
    bind(u.positionY, position);
    bind(u.color);
    bind(u.drawbg);
    bind(u.autopos);
    bind(u.offset);
    bind(u.offsetSlider);
    bind(u.angle);
    bind(u.angleSlider);
    for (QPushButton* preset : {u.angle0, u.angle45, u.angle90, u.angle180, u.angle270})
        bind(preset);
    // The font panel, through the relay the Format menu uses too.
    connect(u.fontButton, &QPushButton::clicked, this, [this] { context_.textFormat().chooseFont(); });
}

TextManager::~TextManager() = default;

std::array<QButtonGroup*, 5> TextManager::placeGroups() const
{
    return {posCenter, posTop, posRight, posBottom, posLeft};
}

void TextManager::forgetItem(const void* item)
{
    if (T == item)
        T = nullptr;
}

void TextManager::update()
{
    T = dynamic_cast<VexaTextView*>(context_.currentText());
    showControls(PD() && T, PD() ? QStringLiteral("No Text Box Selected") : QString());
    if (!PD() || !T)
        return;
    Refresh refresh(*this);
    const VexaTextView& t = *T;
    Ui::TextPanel& u = *ui_;

    u.textFont->setText(FontChange::fontText(context_.textFormat().font()));
    u.color->setColor(t.backgroundColor);
    u.drawbg->setChecked(t.drawsBackground);
    selectCell(align, alignmentTag(t));
    u.angle->setText(QString::number(wholeDegrees(t.angle)));
    u.angleSlider->setValue(wholeDegrees(t.angle));
    // Only the group that holds the place shows a selection.
    for (QButtonGroup* cells : placeGroups())
        selectCell(cells, t.autoposloc);
    u.offset->setText(formatNumberInteger(t.autoposoffset));
    u.offsetSlider->setValue(std::isfinite(t.autoposoffset) ? int(t.autoposoffset) : 0);
    u.autopos->setChecked(t.autopos != 0);
    selectCell(autoangle, t.autoposangle);
    selectCell(posMode, t.posmode);
    selectCell(textboxAlign, t.tbalign);

    if (t.posmode < 1) {
        u.positionX->setText(formatNumberAuto(t.tloc.x()));
        u.positionY->setText(formatNumberAuto(t.tloc.y()));
    } else {
        const CoordinateCells cells(context_, *PD(), t.posmode, kTitle);
        u.positionX->setText(cells.show(true, t.x));
        u.positionY->setText(cells.show(false, t.y));
    }
}

void TextManager::setAngle(double degrees)
{
    // The box is drawn turned by its angle: the frame follows at once.
    if (std::isfinite(degrees))
        T->angle = degrees;
}

void TextManager::didChange(QObject* sender)
{
    T = dynamic_cast<VexaTextView*>(context_.currentText());
    if (!PD() || !T)
        return;
    VexaTextView& t = *T;
    Ui::TextPanel& u = *ui_;

    if (sender == u.drawbg) {
        t.backgroundColor = u.color->color();
        t.drawsBackground = u.drawbg->isChecked();
    }
    if (sender == u.color)
        t.backgroundColor = u.color->color();
    if (sender == align) {
        static const Qt::Alignment alignments[] = {Qt::AlignLeft, Qt::AlignHCenter, Qt::AlignRight};
        const int tag = align->checkedId();
        if (tag >= 0 && tag <= 2)
            t.setAlignment(alignments[tag]);
    }
    if (sender == u.angle || sender == u.angleSlider) {
        setAngle(sender == u.angle ? doubleValueOf(u.angle->text()) : u.angleSlider->value());
        t.autopos = 0;
    }
    if (const int tag = PanelOutlets::tagOf(sender); tag >= 1000)
        setAngle(tag - 1000);
    if (sender == u.autopos) {
        t.autopos = u.autopos->isChecked() ? 1 : 0;
        if (t.autopos)
            setAngle(t.autoposangle);
    }
    for (QButtonGroup* cells : placeGroups())
        if (sender == cells)
            t.autoposloc = cells->checkedId();
    if (sender == u.offset)
        t.autoposoffset = integerValueOf(u.offset->text());
    if (sender == u.offsetSlider)
        t.autoposoffset = u.offsetSlider->value();
    if (sender == autoangle) {
        t.autoposangle = autoangle->checkedId();
        setAngle(t.autoposangle);
    }
    if (sender == posMode)
        t.setFloat(posMode->checkedId());
    if (sender == position) {
        const CoordinateCells cells(context_, *PD(), t.posmode, kTitle);
        const auto x = cells.read(true, u.positionX->text());
        const auto y = x ? cells.read(false, u.positionY->text()) : std::nullopt;
        if (x && y)
            t.setPosition(*x, *y);
    }
    if (sender == textboxAlign)
        t.tbalign = textboxAlign->checkedId();
    t.doAutoPos();
    PD()->replot();
}
