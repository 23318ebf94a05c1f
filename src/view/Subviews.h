#pragma once

// A sub-view is a document drawn inside its main document's view, in a
// frame of its own. The main document owns the sub-view document (SPD); the
// view is kept by whoever holds the main document's window, since the
// sub-view document points at it.

#include <QRectF>

#include <memory>

class VexaDocument;
class VexaView;

namespace Subviews {

// Links the document into the main document as its last sub-view, with a
// new view at `frame` (the main view's points, y up) bound to it; returns
// that view for the caller to keep as long as the sub-view lives.
std::unique_ptr<VexaView> attach(VexaDocument& main, std::unique_ptr<VexaDocument> subview,
                                 const QRectF& frame);

} // namespace Subviews
