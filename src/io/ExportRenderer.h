#pragma once

// The one drawing of a view for pictures, printing and copying: the graph
// with its text boxes, graphics and sub-views, drawn while the controller is
// in print mode so that no selection marks or tool feedback end up in the
// picture.

#include <vector>

class ManagerServices;
class QPainter;
class VexaView;

class ExportRenderer {
public:
    // Draws the whole view into the painter. The painter's coordinates are
    // the view's points with the origin at the top-left corner and y down,
    // as any QPainter target has them; scale the painter first for a target
    // of another resolution. Print mode is 1 on the view's controller (and on
    // that of any sub-view drawn with it) while the view draws, and 0
    // afterwards.
    static void render(VexaView& view, QPainter& painter);

    // Holds print mode at 1 on each controller for its lifetime; 0 afterwards.
    class PrintModeScope {
    public:
        explicit PrintModeScope(std::vector<ManagerServices*> managers);
        ~PrintModeScope();
        PrintModeScope(const PrintModeScope&) = delete;
        PrintModeScope& operator=(const PrintModeScope&) = delete;

    private:
        std::vector<ManagerServices*> managers_;
    };
};
