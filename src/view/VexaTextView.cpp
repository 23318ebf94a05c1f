#include "view/VexaTextView.h"

#include "model/DocumentView.h"
#include "model/ManagerServices.h"
#include "model/VexaDocument.h"
#include "platform/Color.h"
#include "platform/TextDrawing.h"
#include "util/HtmlNesting.h"

#include <QAbstractTextDocumentLayout>
#include <QPainter>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextOption>
#include <QTransform>
#include <QUrl>
#include <QVariant>

#include <algorithm>
#include <cmath>
#include <utility>
#include <vector>

namespace {

// Farther out than this a frame is no place on any graph; such a box is not
// handed to the painter.
constexpr double kFarOut = 1e7;

// The rich text of a box. A document from a file may name style sheets or
// pictures anywhere on the disk: resources are never loaded, and pictures are
// left out when such text is read (setRichText).
class BoxText : public QTextDocument {
protected:
    QVariant loadResource(int, const QUrl&) override { return QVariant(); }
};

QFont unhinted(const QFont& font)
{
    QFont f = font;
    f.setHintingPreference(QFont::PreferNoHinting);
    return f;
}

// (ax, ay): the point of a w x h box that lies on the anchor, from the
// box's bottom-left corner.
QPointF alignOffset(int tbalign, double w, double h)
{
    switch (tbalign) {
    case TextAlignTopLeft:
        return {0, h};
    case TextAlignTopCentre:
        return {w / 2, h};
    case TextAlignTopRight:
        return {w, h};
    case TextAlignMiddleLeft:
        return {0, h / 2};
    case TextAlignCentre:
        return {w / 2, h / 2};
    case TextAlignMiddleRight:
        return {w, h / 2};
    case TextAlignBottomCentre:
        return {w / 2, 0};
    case TextAlignBottomRight:
        return {w, 0};
    default:
        return {0, 0};
    }
}

// The vector turned by `degrees` counter-clockwise.
QPointF turned(QPointF v, double degrees)
{
    return QTransform().rotate(degrees).map(v);
}

bool finite(QPointF p)
{
    return std::isfinite(p.x()) && std::isfinite(p.y());
}

double side(double v)
{
    return std::isfinite(v) ? std::clamp(v, 0.0, VexaTextView::maxSide) : 0.0;
}

// How an automatic place fixes one side of the turned box: its lower end
// (left or bottom) at v, its centre on the plot area's centre, or its upper
// end (right or top) at v.
enum class Fix { Low, Centre, High };

} // namespace

VexaTextView::VexaTextView(const QRectF& frame, ManagerServices* manager, VexaDocument* document)
        : backgroundColor(Color::white())
        , text_(std::make_unique<BoxText>())
{
    text_->setDocumentMargin(0);
    // The box's own text settings, whoever writes into it (a macro, the
    // editor, a file): its fonts are drawn unhinted, on every target alike,
    // and its lines never wrap, since the frame fits them. A box typed into
    // then looks the same once it is saved and opened again.
    text_->setDefaultFont(unhinted(text_->defaultFont()));
    QTextOption option = text_->defaultTextOption();
    option.setWrapMode(QTextOption::NoWrap);
    text_->setDefaultTextOption(option);
    layOutInPoints();
    text_->setUndoRedoEnabled(true);
    frame_ = frame;
    tloc = QPointF(frame.x(), frame.y() + frame.height());
    setup(manager, document);
}

VexaTextView::~VexaTextView()
{
    if (editor)
        editor->textBoxWillGoAway(*this);
}

ManagerServices& VexaTextView::manager() const
{
    return M ? *M : ManagerServices::idle();
}

void VexaTextView::needsParentDisplay() const
{
    if (PD && PD->PV)
        PD->PV->setNeedsDisplay();
}

void VexaTextView::setNeedsDisplay()
{
    needsParentDisplay();
}

// --- the text ------------------------------------------------------------------------

QString VexaTextView::string() const
{
    return text_->toPlainText();
}

void VexaTextView::setString(const QString& text, const QFont& font, const QColor& color)
{
    const QFont f = unhinted(font);
    text_->clear();
    text_->setDefaultFont(f);
    QTextCharFormat format;
    format.setFont(f);
    format.setForeground(color);
    QTextCursor cursor(text_.get());
    cursor.setBlockCharFormat(format);
    cursor.insertText(text, format);
}

void VexaTextView::setAlignment(Qt::Alignment alignment)
{
    QTextCursor cursor(text_.get());
    cursor.select(QTextCursor::Document);
    QTextBlockFormat format;
    format.setAlignment(alignment);
    cursor.mergeBlockFormat(format);
}

void VexaTextView::setRichText(const QString& html)
{
    // Read into a document of its own that nothing ever lays out, so that
    // no picture the text names is looked for; the pictures go, and the
    // box takes what is left. Elements nested past reason are read as
    // their content.
    BoxText scratch;
    scratch.setDefaultFont(text_->defaultFont());
    scratch.setHtml(HtmlNesting::limited(html));
    std::vector<std::pair<int, int>> pictures;
    for (QTextBlock block = scratch.begin(); block.isValid(); block = block.next())
        for (auto it = block.begin(); !it.atEnd(); ++it)
            if (it.fragment().isValid() && it.fragment().charFormat().isImageFormat())
                pictures.emplace_back(it.fragment().position(), it.fragment().length());
    QTextCursor cursor(&scratch);
    for (auto p = pictures.rbegin(); p != pictures.rend(); ++p) {
        cursor.setPosition(p->first);
        cursor.setPosition(p->first + p->second, QTextCursor::KeepAnchor);
        cursor.removeSelectedText();
    }
    text_->setHtml(scratch.toHtml());
}

bool VexaTextView::isEmpty() const
{
    return text_->isEmpty();
}

void VexaTextView::layOutInPoints() const
{
    // An editor that let go of the text may have left it laid out for the
    // screen; the box measures and draws in points.
    QAbstractTextDocumentLayout* layout = text_->documentLayout();
    if (layout->paintDevice() != TextDrawing::pointDevice())
        layout->setPaintDevice(TextDrawing::pointDevice());
}

QSizeF VexaTextView::contentSize() const
{
    layOutInPoints();
    // Laid out without a width the text gives its widest line; laid out
    // again at that width, centred and right-aligned paragraphs find their
    // place inside it. A hair more keeps the widest line from breaking on a
    // rounding of its own width. Lines never wrap, so a text already laid
    // out at its width is measured as it stands: laying it out again would
    // have an editor over the box repaint, and the graph under it with it.
    double w = text_->idealWidth();
    if (text_->textWidth() != w + 0.02) {
        text_->setTextWidth(-1);
        w = text_->idealWidth();
        text_->setTextWidth(w + 0.02);
    }
    return QSizeF(side(w), side(text_->size().height()));
}

// --- frame ---------------------------------------------------------------------------

void VexaTextView::setFrame(const QRectF& frame)
{
    frame_ = QRectF(frame.topLeft(), QSizeF(side(frame.width()), side(frame.height())));
}

void VexaTextView::setFrameOrigin(QPointF origin)
{
    frame_.moveTopLeft(origin);
}

QPolygonF VexaTextView::framePolygon() const
{
    const double w = frame_.width();
    const double h = frame_.height();
    const double a = std::isfinite(angle) ? angle : 0.0;
    const QPointF o = frame_.topLeft();
    return QPolygonF(
        {o, o + turned(QPointF(w, 0), a), o + turned(QPointF(w, h), a), o + turned(QPointF(0, h), a)});
}

QPointF VexaTextView::toBox(QPointF p) const
{
    const double a = std::isfinite(angle) ? angle : 0.0;
    return turned(p - frame_.topLeft(), -a);
}

bool VexaTextView::frameContains(QPointF p) const
{
    const QPointF q = toBox(p);
    return finite(q) && q.x() >= 0 && q.y() >= 0 && q.x() <= frame_.width() && q.y() <= frame_.height();
}

// --- life --------------------------------------------------------------------------------

void VexaTextView::setup(ManagerServices* manager, VexaDocument* document)
{
    M = manager ? manager : &ManagerServices::idle();
    PD = document;
    needsParentDisplay();
}

bool VexaTextView::acceptsFirstResponder() const
{
    return manager().mouseTool() == Tool::Text;
}

void VexaTextView::textHasChanged()
{
    const QSizeF u = contentSize();
    // NaN in lr compares unequal, which is what a size never measured should.
    if (u.width() != lr.width() || u.height() != lr.height()) {
        setFrame(QRectF(tloc.x(), tloc.y() - u.height(), u.width(), u.height()));
        if (PD)
            (PD->MPD ? PD->MPD : PD)->replot();
        lr = frame_;
    } else {
        lr = frame_;
    }
}

// --- placement ---------------------------------------------------------------------------

void VexaTextView::align()
{
    if (autopos)
        return;
    QPointF a = alignOffset(tbalign, frame_.width(), frame_.height());
    if (angle != 0 && std::isfinite(angle))
        a = turned(a, angle);
    if (manager().printmode)
        return;
    const QPointF origin = tloc - a;
    if (!finite(origin) || origin == frame_.topLeft())
        return;
    setFrameOrigin(origin);
    needsParentDisplay();
}

void VexaTextView::doAutoPos()
{
    const ManagerServices& m = manager();
    const DocumentView* view = PD ? PD->PV : nullptr;

    if (!autopos || m.printmode) {
        if (posmode >= 1) {
            if (view) {
                const QPointF p(view->xPoint(x, posmode), view->yPoint(y, posmode));
                // A data point with no place on the view (a range of no
                // width, a log axis below zero) leaves the anchor where it was.
                if (finite(p))
                    tloc = p;
            }
            align();
        } else if (posmode == 0 && !autopos) {
            align();
        }
        return;
    }
    if (!PD || !view)
        return;

    const VexaDocument& d = *PD;
    const QSizeF bounds = view->boundsSize();
    const double w = frame_.width();
    const double h = frame_.height();
    const double L = d.page.marginleft;
    const double B = d.page.marginbottom;
    const double Rt = bounds.width() - d.page.marginright;
    const double Tp = bounds.height() - d.page.margintop;
    const double cx = (Rt + L) / 2;
    const double cy = (Tp + B) / 2;
    const double o = autoposoffset;
    const double aB = d.axes[AxisX1].numoff + d.axm[AxisX1].height() + 6;
    const double aL = d.axes[AxisY1].numoff + d.axm[AxisY1].width() + 3 + 6;
    const double aT = d.axes[AxisX2].numoff + d.axm[AxisX2].height() + 6;
    const double aR = d.axes[AxisY2].numoff + d.axm[AxisY2].width() + 3 + 6;

    const bool upright = autoposangle == 0 || autoposangle == 180;
    const bool sideways = autoposangle == 90 || autoposangle == 270;
    if ((upright || sideways) && autoposloc >= 1 && autoposloc <= 21) {
        const double bw = upright ? w : h; // the turned box
        const double bh = upright ? h : w;
        // Per place: how each direction is fixed, and at which value.
        struct Row {
            Fix horizontal;
            double hv;
            Fix vertical;
            double vv;
        };
        const Row rows[21] = {
            {Fix::Low, L + o, Fix::High, Tp - o}, // 1 inside, top-left
            {Fix::Centre, cx, Fix::High, Tp - o}, // 2 inside, top-centre
            {Fix::High, Rt - o, Fix::High, Tp - o}, // 3 inside, top-right
            {Fix::Low, L + o, Fix::Centre, cy}, // 4 inside, middle-left
            {Fix::Centre, cx, Fix::Centre, cy}, // 5 inside, centre
            {Fix::High, Rt - o, Fix::Centre, cy}, // 6 inside, middle-right
            {Fix::Low, L + o, Fix::Low, B + o}, // 7 inside, bottom-left
            {Fix::Centre, cx, Fix::Low, B + o}, // 8 inside, bottom-centre
            {Fix::High, Rt - o, Fix::Low, B + o}, // 9 inside, bottom-right
            {Fix::Low, L, Fix::Low, Tp + o + aT}, // 10 above the top axis, left
            {Fix::Centre, cx, Fix::Low, Tp + o + aT}, // 11 above the top axis, centre
            {Fix::High, Rt, Fix::Low, Tp + o + aT}, // 12 above the top axis, right
            {Fix::Low, Rt + o + aR, Fix::High, Tp}, // 13 right of the right axis, top
            {Fix::Low, Rt + o + aR, Fix::Centre, cy}, // 14 right of the right axis, middle
            {Fix::Low, Rt + o + aR, Fix::Low, B}, // 15 right of the right axis, bottom
            {Fix::High, Rt, Fix::High, B - o - aB}, // 16 below the bottom axis, right
            {Fix::Centre, cx, Fix::High, B - o - aB}, // 17 below the bottom axis, centre
            {Fix::Low, L, Fix::High, B - o - aB}, // 18 below the bottom axis, left
            {Fix::High, L - o - aL, Fix::Low, B}, // 19 left of the left axis, bottom
            {Fix::High, L - o - aL, Fix::Centre, cy}, // 20 left of the left axis, middle
            {Fix::High, L - o - aL, Fix::High, Tp}, // 21 left of the left axis, top
        };
        const Row& r = rows[autoposloc - 1];
        auto low = [](Fix fix, double v, double length) {
            switch (fix) {
            case Fix::Low:
                return v;
            case Fix::Centre:
                return v - length / 2;
            case Fix::High:
                break;
            }
            return v - length;
        };
        const double left = low(r.horizontal, r.hv, bw);
        const double bottom = low(r.vertical, r.vv, bh);
        // The corner the box turns about: bottom-left at 0, bottom-right at
        // 90, top-right at 180, top-left at 270.
        QPointF corner(left, bottom);
        if (autoposangle == 90)
            corner = QPointF(left + bw, bottom);
        else if (autoposangle == 180)
            corner = QPointF(left + bw, bottom + bh);
        else if (autoposangle == 270)
            corner = QPointF(left, bottom + bh);
        const QPointF anchor = corner + QPointF(0, h);
        if (finite(anchor))
            tloc = anchor;
    }

    const QPointF origin(tloc.x(), tloc.y() - h);
    if (frame_.topLeft() != origin && finite(origin)) {
        setFrameOrigin(origin);
        needsParentDisplay();
    }
}

void VexaTextView::setFloat(int mode)
{
    posmode = mode;
    if (mode < 1) {
        x = y = 0;
        return;
    }
    if (const DocumentView* view = PD ? PD->PV : nullptr) {
        x = view->xValue(tloc.x(), mode);
        y = view->yValue(tloc.y(), mode);
    }
}

void VexaTextView::setPosition(double a, double b)
{
    // Every posmode from 1 up is data of an axis pair (1, or 2 for any
    // other), as placement has it.
    if (posmode >= 1) {
        x = a;
        y = b;
        if (const DocumentView* view = PD ? PD->PV : nullptr) {
            const QPointF p(view->xPoint(a, posmode), view->yPoint(b, posmode));
            if (finite(p))
                tloc = p;
        }
    } else {
        tloc = QPointF(a, b);
    }
}

// --- drawing -----------------------------------------------------------------------------

void VexaTextView::layOut()
{
    doAutoPos();
    if (manager().printmode)
        return;
    const QSizeF u = contentSize();
    if (u != frame_.size()) {
        setFrame(QRectF(tloc.x(), tloc.y() - u.height(), u.width(), u.height()));
        // An automatic place depends on the size: the fitted box is placed
        // anew, or a picture taken now would show it where it was measured
        // for its old size.
        if (autopos)
            doAutoPos();
        else
            align();
    }
}

void VexaTextView::drawRect(QPainter& painter)
{
    const ManagerServices& m = manager();
    layOut();
    layOutInPoints();

    const QPointF origin = frame_.topLeft();
    const double w = frame_.width();
    const double h = frame_.height();
    if (!finite(origin) || std::fabs(origin.x()) > kFarOut || std::fabs(origin.y()) > kFarOut)
        return;

    painter.save();
    painter.translate(origin);
    if (std::isfinite(angle) && angle != 0)
        painter.rotate(angle); // counter-clockwise in y-up points

    painter.setClipRect(QRectF(0, 0, w, h), Qt::IntersectClip);
    if (drawsBackground)
        painter.fillRect(QRectF(0, 0, w, h), backgroundColor);

    // Over the background, so that a box with one still shows it is the
    // current one.
    const Tool tool = m.mouseTool();
    if (m.T == this && !m.printmode && (tool == Tool::Select || tool == Tool::Text)) {
        painter.save();
        painter.setRenderHint(QPainter::Antialiasing, false);
        QPen pen(Color::lightGray());
        pen.setWidthF(1);
        painter.setPen(pen);
        painter.setBrush(Qt::NoBrush);
        painter.drawRect(QRectF(1, 1, w - 2, h - 2));
        painter.restore();
    }

    // While an editor sits over the box it shows the text itself; pictures
    // and prints always get it.
    if (!editor || m.printmode) {
        painter.translate(0, h);
        painter.scale(1, -1); // the text lays out downwards from the top
        QAbstractTextDocumentLayout::PaintContext context;
        context.clip = QRectF(0, 0, w, h);
        text_->documentLayout()->draw(&painter, context);
    }
    painter.restore();
}

// --- mouse ---------------------------------------------------------------------------------

bool VexaTextView::mouseDown(QPointF location)
{
    ManagerServices& m = manager();
    dloc = location - tloc;
    m.setCurrentText(this);
    m.switchInspector(QStringLiteral("text"));
    if (m.mouseTool() == Tool::Select)
        return false;
    return acceptsFirstResponder();
}

void VexaTextView::mouseDragged(QPointF location)
{
    if (manager().mouseTool() != Tool::Select || autopos)
        return;
    const QPointF anchor = location - dloc;
    if (!finite(anchor))
        return;
    tloc = anchor;
    if (posmode >= 1) {
        if (const DocumentView* view = PD ? PD->PV : nullptr) {
            x = view->xValue(tloc.x(), posmode);
            y = view->yValue(tloc.y(), posmode);
        }
    }
    align();
}

void VexaTextView::mouseUp()
{
    if (manager().mouseTool() == Tool::Select && PD)
        (PD->MPD ? PD->MPD : PD)->replot();
}
