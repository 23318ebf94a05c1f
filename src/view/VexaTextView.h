#pragma once

// A text box on a graph: a title, a label, an annotation. It owns its rich
// text (a QTextDocument: fonts, colours, raised and lowered runs, alignment
// per paragraph) and where it stands. It is held at an anchor `tloc` in
// view points of its document's view and placed in one of three ways: a
// point of the box (`tbalign`) on the anchor; the anchor at data values
// (`x`, `y`) of an axis pair (`posmode` 1 or 2), following the data; or
// automatically (`autopos`) at one of 21 places around the plot area. It
// turns by `angle` degrees about its frame origin, and grows and shrinks
// with its text around the anchor.
//
// The box is no widget: the drawing pass draws it into whatever painter it
// has, so exports keep its text as text. While the text is edited, an
// editor (TextBoxEditor) sits over the box, unrotated, and writes into the
// same QTextDocument.
//
// Like the rest of the model, its settings are plain public fields. Main
// thread only.

#include "model/DocumentItems.h"
#include "platform/KeyedArchiver.h"
#include "view/ItemRecord.h"

#include <QColor>
#include <QPointF>
#include <QPolygonF>
#include <QRectF>
#include <QSizeF>
#include <QString>

#include <cstdint>
#include <functional>
#include <memory>

class KeyedUnarchiver;
class ManagerServices;
class QFont;
class QPainter;
class QTextDocument;
class VexaDocument;
class VexaTextView;

// The point of the box that lies on the anchor (`tbalign`); any other value
// counts as bottom-left.
enum TextBoxAlign : int {
    TextAlignTopLeft = 0,
    TextAlignTopCentre = 1,
    TextAlignTopRight = 2,
    TextAlignMiddleLeft = 3,
    TextAlignCentre = 4,
    TextAlignMiddleRight = 5,
    TextAlignBottomLeft = 6,
    TextAlignBottomCentre = 7,
    TextAlignBottomRight = 8,
};

// Whoever edits a box's text, as the box sees it: a box that goes away
// while being edited tells its editor first, so the editor never writes
// into a document that is gone.
class TextBoxEditor {
public:
    virtual ~TextBoxEditor() = default;
    virtual void textBoxWillGoAway(VexaTextView& box) = 0;
};

class VexaTextView : public TextBoxItem, public ArchivableObject {
public:
    using Flag = std::uint8_t;

    // The box sizes: its frame never gets larger than this either way.
    static constexpr double maxSide = 10000;

    // A new box with the frame (in view points of the document's view), the
    // anchor on the frame's top-left corner, aligned by that corner, in view
    // coordinates, unrotated; attached to the controller and the document
    // (setup). The text is empty.
    VexaTextView(const QRectF& frame, ManagerServices* manager, VexaDocument* document);
    ~VexaTextView() override;
    VexaTextView(const VexaTextView&) = delete;
    VexaTextView& operator=(const VexaTextView&) = delete;

    // --- fields ----------------------------------------------------------------
    int tag = 0; // given by macros, which remove boxes by it
    VexaDocument* PD = nullptr; // not owned
    ManagerServices* M = nullptr; // not owned; never null after setup
    QPointF tloc; // the anchor, in view points
    QPointF dloc; // pointer minus anchor at a press, for dragging
    QRectF lr; // the frame as of the last content check
    int autoposloc = 0; // automatic place 1..21
    int autoposangle = 0; // rotation the automatic place lays out for: 0, 90, 180, 270
    Flag autopos = 0;
    double autoposoffset = 0; // gap to the plot area's edge or the axis numbers
    double angle = 0; // degrees counter-clockwise about the frame origin
    int posmode = 0; // 0 view points; 1 or 2 data values of that axis pair
    int tbalign = 0; // TextBoxAlign
    double x = 0, y = 0; // the anchor in data values while posmode is 1 or 2

    // The box's own background.
    bool drawsBackground = false;
    QColor backgroundColor; // opaque white at first

    // The editor now writing into this box, if any.
    TextBoxEditor* editor = nullptr;

    // --- the text ----------------------------------------------------------------
    QTextDocument& document() { return *text_; }
    const QTextDocument& document() const { return *text_; }
    // The characters, paragraphs separated by "\n".
    QString string() const;
    // Replaces the whole text by `text` in one font and colour. Every
    // character stays as given; a "\n" starts a new paragraph.
    void setString(const QString& text, const QFont& font, const QColor& color);
    // Replaces the whole text by rich text from elsewhere (a file): its runs
    // keep their fonts, colours and alignment, but pictures are left out and
    // nothing it names (pictures, style sheets) is ever read.
    void setRichText(const QString& html);
    // Aligns every paragraph: Qt::AlignLeft, AlignHCenter or AlignRight.
    void setAlignment(Qt::Alignment alignment);
    bool isEmpty() const override;

    // The size of the text as laid out, in points: what the frame fits to.
    // Everything that sizes a box (placement, drawing, the macro commands'
    // measurements) asks this one function.
    QSizeF contentSize() const;

    // --- frame -----------------------------------------------------------------------
    // Origin (the corner the box turns about, its bottom-left before
    // turning) and size (unturned), in view points of the document's view.
    QRectF frame() const { return frame_; }
    void setFrame(const QRectF& frame);
    void setFrameOrigin(QPointF origin);
    // The four corners as drawn, turned by `angle`: bottom-left, bottom-right,
    // top-right, top-left.
    QPolygonF framePolygon() const;
    // Whether a view point lies on the box as drawn (turned).
    bool frameContains(QPointF p) const;
    // A view point in the box's own unturned points (origin bottom-left).
    QPointF toBox(QPointF p) const;

    // --- life ----------------------------------------------------------------------------
    // Attaches the box to the controller and the document, and fits the
    // frame's size to the text.
    void setup(ManagerServices* manager, VexaDocument* document);
    // Whether the box takes the keyboard: only under the text tool.
    bool acceptsFirstResponder() const;
    // After each change of the characters: the frame fits the text again
    // with its top-left corner on the anchor, and the main document
    // replots when the size changed.
    void textHasChanged();

    // --- placement -------------------------------------------------------------------------
    // Places the box by its rule (automatic place, data values or anchor).
    // While the controller is in print mode nothing moves.
    void doAutoPos() override;
    // Moves the frame so that the `tbalign` point lies on the anchor.
    void align();
    // Sets `posmode` and brings `x`, `y` in line with the anchor.
    void setFloat(int mode);
    // The position in the box's own mode: data values for a posmode of 1
    // or more, else the view point of the anchor. The frame follows at the
    // next placement.
    void setPosition(double a, double b);

    // Places the box and fits its frame to its text, top-left corner on the
    // anchor, then aligns it again; outside print mode only the placing.
    void layOut();

    // --- drawing -------------------------------------------------------------------------
    // Places and fits the box, then draws its outline (when it is the
    // current box under the select or text tool, outside print mode), its
    // background and its text, turned and clipped to its frame. The painter
    // is in y-up view points of the document's view. A box whose frame lies
    // at no usable place draws nothing.
    void drawRect(QPainter& painter);
    void setNeedsDisplay() override;

    // --- mouse (points in view points of the document's view) --------------------------------
    // A press on the box makes it the current text and shows the text
    // inspector. True when the text itself takes the press (the text tool
    // edits it); under the select tool a drag moves the box instead.
    bool mouseDown(QPointF location);
    void mouseDragged(QPointF location);
    void mouseUp();

    // --- archive --------------------------------------------------------------------------------
    QString className() const override { return archiveClassName(); }
    static QString archiveClassName() { return QStringLiteral("VexaTextView"); }
    void encodeWithCoder(KeyedArchiver& coder) const override;
    // A box from its record, not yet attached (setup). Nothing, with the
    // reason, for a damaged record.
    static std::unique_ptr<VexaTextView> initWithCoder(KeyedUnarchiver& coder, QString* damage);
    // What the unarchiver hands out for a box's record; Record::registerClass
    // lets it read them.
    using Record = ItemRecord<VexaTextView>;

private:
    ManagerServices& manager() const;
    void needsParentDisplay() const;
    void layOutInPoints() const;

    std::unique_ptr<QTextDocument> text_;
    QRectF frame_;
};
