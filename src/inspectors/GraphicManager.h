#pragma once

// The graphic panel (key "graphic"): the controller's current graphic: its
// kind, corners and size, line, fill, arrowheads and layer. Its controls are
// also what the next graphic drawn with the graphic tool takes
// (graphicSettings): setup fills them with a new graphic's settings, and
// they keep the last graphic's afterwards.

#include "inspectors/InspectorManager.h"
#include "view/Graphic.h"

#include <array>
#include <memory>

class QButtonGroup;
class QLineEdit;
class QSpinBox;

namespace Ui {
class GraphicPanel;
}

class GraphicManager : public InspectorManager {
public:
    explicit GraphicManager(PanelContext& context);
    ~GraphicManager() override;

    void setup() override;
    void update() override;
    void didChange(QObject* sender) override;
    void forgetItem(const void* item) override;
    const GraphicSettings* graphicSettings() const override;

    // What setup shows: the settings of a new graphic.
    static GraphicSettings newGraphic();

    // The outlets: the corner cells x1, y1, x2, y2 and the size cells
    // width, height (each cell's tag is its index); the groups of tagged
    // cells.
    std::array<QLineEdit*, 4> position{};
    std::array<QLineEdit*, 2> size{};
    QButtonGroup* type = nullptr; // GraphicType
    QButtonGroup* posMode = nullptr; // 0 view, 1 and 2 axis pairs
    QButtonGroup* display = nullptr; // 0 in front, 1 behind the data
    QButtonGroup* arrowType = nullptr; // ArrowType

    Graphic* G = nullptr; // the graphic on show

    const Ui::GraphicPanel& ui() const { return *ui_; }

private:
    void showSettings(const GraphicSettings& s);
    void editCorner(Graphic& g, int tag);
    void editSize(Graphic& g, int tag);

    std::unique_ptr<Ui::GraphicPanel> ui_;
    mutable GraphicSettings next_;
};
