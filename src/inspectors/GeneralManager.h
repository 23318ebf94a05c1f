#pragma once

// The general panel (key "general"): page layout and window of the current
// document: margins and their presets, the window's content size, the frame
// of a sub-view, colours, frame style and width, frame arrows, and the
// drawing switches.

#include "inspectors/InspectorManager.h"
#include "inspectors/TypedNumber.h"

#include <array>
#include <memory>
#include <optional>

class QButtonGroup;
class QCheckBox;
class QLineEdit;

namespace Ui {
class GeneralPanel;
}

class GeneralManager : public InspectorManager {
public:
    explicit GeneralManager(PanelContext& context);
    ~GeneralManager() override;

    void update() override;
    void didChange(QObject* sender) override;

    // The outlets: a matrix of cells is the container of its text fields,
    // a segmented control or radio matrix the group of its tagged cells.
    QWidget* margins = nullptr; // cells: left, right, bottom, top
    std::array<QLineEdit*, 4> marginCells{};
    QWidget* windowSize = nullptr; // cells: width, height
    std::array<QLineEdit*, 2> windowCells{};
    QWidget* subview = nullptr; // cells: x, y, width, height
    std::array<QLineEdit*, 4> subviewCells{};
    QButtonGroup* frameStyle = nullptr;
    QButtonGroup* arrowType = nullptr;
    QButtonGroup* crossArrows = nullptr;

    const Ui::GeneralPanel& ui() const { return *ui_; }

private:
    static std::optional<double> numberIn(const QLineEdit* field, NumberRange range);
    template <std::size_t N>
    static std::optional<std::array<int, N>> integersIn(const std::array<QLineEdit*, N>& cells,
                                                        const std::array<NumberRange, N>& ranges);
    std::unique_ptr<Ui::GeneralPanel> ui_;
};
