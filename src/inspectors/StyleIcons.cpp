#include "inspectors/StyleIcons.h"

#include "model/DataBuffer.h"
#include "platform/BezierPath.h"
#include "platform/DashPattern.h"
#include "view/VexaView.h"

#include <QComboBox>
#include <QIcon>
#include <QImage>
#include <QPainter>
#include <QPixmap>

namespace {

// Icons are drawn at twice their size, for screens that scale.
constexpr qreal scale = 2;

QImage canvas(QSize size)
{
    QImage image(size * scale, QImage::Format_ARGB32_Premultiplied);
    image.setDevicePixelRatio(scale);
    image.fill(Qt::transparent);
    return image;
}

QColor ink(const QComboBox& popUp)
{
    return popUp.palette().color(QPalette::Text);
}

} // namespace

namespace StyleIcons {

void fillDashes(QComboBox& popUp)
{
    const QSize size(48, 12);
    popUp.clear();
    popUp.setIconSize(size);
    const DashPattern table(0);
    for (int k = 0; k < DashPattern::Count; ++k) {
        QImage image = canvas(size);
        QPainter p(&image);
        // The graph's own dashed stroke.
        BezierPath line;
        line.setLineWidth(1.5);
        line.setLineDash(table, k);
        line.moveTo(2, size.height() / 2.0);
        line.lineTo(size.width() - 2, size.height() / 2.0);
        line.stroke(p, ink(popUp));
        p.end();
        popUp.addItem(QIcon(QPixmap::fromImage(image)), QString::number(k));
    }
}

void fillSymbols(QComboBox& popUp)
{
    const QSize size(16, 16);
    popUp.clear();
    popUp.setIconSize(size);
    // The graph's own symbol drawing, into a view the size of the icon;
    // open symbols stay see-through.
    VexaView view{QSizeF(size)};
    DataBuffer b;
    b.style.color = ink(popUp);
    b.style.symbolsize = 10;
    b.style.symfill = 1;
    b.style.fillcolor = Qt::transparent;
    for (int k = 0; k < 16; ++k) {
        b.style.symbol = k;
        QImage image = canvas(size);
        QPainter p(&image);
        p.setRenderHint(QPainter::Antialiasing);
        VexaView::flipToViewPoints(p, size.height());
        {
            VexaView::PaintScope scope(view, p);
            view.plotSymbol(&b, size.width() / 2.0, size.height() / 2.0, 0, false);
        }
        p.end();
        popUp.addItem(QIcon(QPixmap::fromImage(image)), QString::number(k));
    }
}

} // namespace StyleIcons
