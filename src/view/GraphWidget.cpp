#include "view/GraphWidget.h"

#include "model/VexaDocument.h"

#include <QPaintEvent>
#include <QPainter>
#include <QResizeEvent>

GraphWidget::GraphWidget(QWidget* parent, ManagerServices* services)
    : QWidget(parent), view_(QSizeF(0, 0), services)
{
    setFocusPolicy(Qt::StrongFocus);
    view_.setFrameSize(QSizeF(size()));
    view_.setDisplayHandler([this] { displayNow(); });
    view_.setNeedsDisplayHandler([this] { setNeedsDisplay(); });
    view_.setCacheHandler([this] { cacheWindowImage(); });
}

GraphWidget::~GraphWidget()
{
    if (view_.PD && view_.PD->PV == &view_)
        view_.PD->PV = nullptr;
}

void GraphWidget::setDocument(VexaDocument* document)
{
    if (view_.PD && view_.PD != document && view_.PD->PV == &view_)
        view_.PD->PV = nullptr;
    view_.setFrameSize(QSizeF(size()));
    view_.setVexaDocument(document);
    if (document)
        document->PV = &view_;
}

void GraphWidget::displayNow()
{
    repaint();
}

void GraphWidget::setNeedsDisplay()
{
    update();
}

void GraphWidget::cacheWindowImage()
{
    // Render draws through paintEvent; without a cached image the pass
    // draws the whole graph, whatever `redraw` says.
    cache_ = QImage();
    const qreal dpr = devicePixelRatioF();
    QImage image(size() * dpr, QImage::Format_ARGB32_Premultiplied);
    image.setDevicePixelRatio(dpr);
    image.fill(palette().color(backgroundRole()));
    render(&image);
    cache_ = std::move(image);
}

void GraphWidget::dropCachedImage()
{
    cache_ = QImage();
}

QSize GraphWidget::sizeHint() const
{
    return QSize(600, 450);
}

void GraphWidget::paintEvent(QPaintEvent* event)
{
    QPainter painter(this);
    const double h = height();
    VexaView::flipToViewPoints(painter, h);
    // The dirty area in view points: y counted from the bottom.
    const QRectF r = event->rect();
    const QRectF dirty(r.left(), h - r.top() - r.height(), r.width(), r.height());
    view_.drawRect(painter, dirty, cache_.isNull() ? nullptr : &cache_);
}

void GraphWidget::resizeEvent(QResizeEvent* event)
{
    view_.setFrameSize(QSizeF(event->size()));
    // An image of another size would be stretched over the graph.
    cache_ = QImage();
    QWidget::resizeEvent(event);
}
