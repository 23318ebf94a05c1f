#pragma once

// The text panel (key "text"): the controller's current text box: its
// background and alignment, its automatic place, position and anchor, and its
// turn.

#include "inspectors/InspectorManager.h"

#include <array>
#include <memory>

class QButtonGroup;
class VexaTextView;

namespace Ui {
class TextPanel;
}

class TextManager : public InspectorManager {
public:
    explicit TextManager(PanelContext& context);
    ~TextManager() override;

    void update() override;
    void didChange(QObject* sender) override;
    void forgetItem(const void* item) override;

    // The outlets that are groups of tagged cells. The five place groups
    // share one picture of the page; their tags together number the 21
    // automatic places.
    QButtonGroup* align = nullptr; // 0 left, 1 centre, 2 right
    QButtonGroup* posCenter = nullptr; // 1-9, inside the plot area
    QButtonGroup* posTop = nullptr; // 10-12
    QButtonGroup* posRight = nullptr; // 13-15
    QButtonGroup* posBottom = nullptr; // 16-18
    QButtonGroup* posLeft = nullptr; // 19-21
    QButtonGroup* autoangle = nullptr; // degrees
    QButtonGroup* posMode = nullptr; // 0 view, 1 and 2 axis pairs
    QButtonGroup* textboxAlign = nullptr; // 0-8
    QWidget* position = nullptr; // cells x, y

    VexaTextView* T = nullptr; // the text box on show

    const Ui::TextPanel& ui() const { return *ui_; }

private:
    std::array<QButtonGroup*, 5> placeGroups() const;
    void setAngle(double degrees);
    std::unique_ptr<Ui::TextPanel> ui_;
};
