#pragma once

// A drawn object on a graph: a line with arrowheads at either end, a
// rectangle, an oval or a picture, defined by two points. The points are
// view points (`posmode` 0), so the graphic keeps its place on the page, or
// data values of an axis pair (`posmode` 1 or 2), so it follows the data.
// The drawing pass draws graphics behind the data (`display` 1) or in front
// of it (`display` 0).
//
// Like the rest of the model, its settings are plain public fields. Main
// thread only.

#include "model/DocumentItems.h"
#include "platform/BezierPath.h"
#include "platform/DashPattern.h"
#include "platform/KeyedArchiver.h"
#include "platform/Picture.h"
#include "view/ItemRecord.h"

#include <QColor>
#include <QPointF>
#include <QRectF>

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>

class KeyedUnarchiver;
class ManagerServices;
class QPainter;
class VexaDocument;

// `type`: any other value draws nothing but the picture.
enum GraphicType : int { GraphicLine = 0, GraphicRectangle = 1, GraphicOval = 2, GraphicPicture = 99 };

// `arrowtype`, for a head of size s with its tip on the end point: its two
// barbs s back along the line and s/2.3 to either side. Any other value
// draws no head.
enum ArrowType : int {
    ArrowOpen = 0, // the two barbs, in the line colour
    ArrowClosed = 1, // a triangle filled in the line colour
    ArrowHollow = 2, // a triangle filled with the document's background, outlined
    ArrowDouble = 3, // two open heads, the second s further along the line
};

// What the graphic inspector holds for the next graphic the graphic tool
// draws.
struct GraphicSettings {
    int type = GraphicLine;
    double linewidth = 2.0;
    int dashp = 0;
    QColor color;
    QColor fillcolor;
    bool fill = false;
    bool arrow1 = false;
    bool arrow2 = false;
    int arrowsize = 12;
    int arrowtype = ArrowOpen;
    int display = 0;
    int posmode = 0;
};

class Graphic : public GraphicItem, public ArchivableObject {
public:
    using Flag = std::uint8_t;

    // A new graphic: a solid black line of width 2 from (0, 0) to (0, 0)
    // with a white fill colour, in front of the data, in view points, for
    // the controller's current document.
    Graphic();
    ~Graphic() override;

    // --- fields ----------------------------------------------------------------------
    int tag = 0; // given by macros, which remove graphics by it
    int type = GraphicLine; // GraphicType
    double x1 = 0, y1 = 0, x2 = 0, y2 = 0;
    double linewidth = 2.0; // of the outline, the line and the arrowheads
    int arrowtype = ArrowOpen; // ArrowType
    int arrowsize = 12; // arrowhead length in points
    int dashp = 0; // dash pattern 0..15; any other number is solid
    int display = 0; // 1 behind the data, 0 in front; other values are not drawn
    int posmode = 0; // 0 view points; 1 or 2 data values of that axis pair
    Flag arrow1 = 0, arrow2 = 0; // heads at point 1 and point 2 (lines only)
    Flag fill = 0; // rectangles and ovals
    Flag aspect = 1; // a picture keeps its proportions when its end is dragged
    QColor color; // line colour
    QColor fillcolor;
    std::optional<Picture> image;
    ManagerServices* M = nullptr; // not owned
    VexaDocument* PD = nullptr; // not owned

    // --- operations ------------------------------------------------------------------
    void setup(ManagerServices* manager, VexaDocument* document);
    // Every field back to a new graphic's, the colours aside; the links go
    // back to the idle controller and no document until setup().
    void setDefaults();
    // Takes the inspector's settings; without an inspector nothing changes.
    void setupFromInspector(const GraphicSettings* inspector);

    // The two points in view points of the document's view; with posmode 1
    // or 2 converted from data values (as stored when there is no view).
    void getPoints(double& X1, double& Y1, double& X2, double& Y2) const;
    // Stores two points given in view points, as data values when posmode
    // is 1 or 2.
    void setPoints(double X1, double Y1, double X2, double Y2);

    // Draws the graphic with the painter in y-up view points; `visible` is
    // the part of the view that can show (the view's bounds). Nothing that
    // lies far beyond it, and no size or point that is no number, reaches
    // the painter.
    void drawGraphic(QPainter& painter, const QRectF& visible);
    // The dash table for dash width w.
    void setDashPattern(int w) { dash.setWidth(w); }

    // The direction of the line from (0, 0) to (dx, dy) in degrees,
    // 0 to 360, as the arrowheads are turned by; 0 for a line of no length.
    static double lineAngle(double dx, double dy);

    // --- archive --------------------------------------------------------------------
    QString className() const override { return archiveClassName(); }
    static QString archiveClassName() { return QStringLiteral("Graphic"); }
    void encodeWithCoder(KeyedArchiver& coder) const override;
    // A graphic from its record, for the controller's current document until
    // setup. Nothing, with the reason, for a damaged record or a picture
    // that does not decode.
    static std::unique_ptr<Graphic> initWithCoder(KeyedUnarchiver& coder, QString* damage);
    // What the unarchiver hands out for a graphic's record; Record::registerClass
    // lets it read them.
    using Record = ItemRecord<Graphic>;

    // Scratch of the last drawing: the shape, the arrowheads, the dashes.
    BezierPath p, q;
    DashPattern dash;

private:
    void drawArrow(QPainter& painter, const QRectF& guard, QPointF tip, double degrees);
};
