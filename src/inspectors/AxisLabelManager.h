#pragma once

// The axis label panel (key "axislabel"): title and numbers of the axis
// shown, or of all four while "All axes" is on: whether each is drawn, their
// fonts, offsets and colour, the turn and anchor of the numbers, and the
// table of replacement labels (texts drawn in place of numbers).

#include "app/FontChange.h"
#include "inspectors/AxisInspector.h"

#include <memory>

class AxisLabelTableView;
class QButtonGroup;

namespace Ui {
class AxisLabelPanel;
}

class AxisLabelManager : public AxisInspector, public FontReceiver {
public:
    explicit AxisLabelManager(PanelContext& context);
    ~AxisLabelManager() override;

    // Puts the controller's replacement-label table into the panel.
    void setup() override;
    void update() override;
    // The label table ignores edits while the panel reloads it.
    void didChange(QObject* sender) override;

    // Removes every replacement label of the axis shown (whatever "All
    // axes" says).
    void clearAxisLabels();
    // One of the two font buttons (tag 0 the title's, 1 the numbers'):
    // arms the controller's font relay with that font of the axis shown and
    // brings up the font panel; what is picked there comes back through
    // receiveFont.
    void fontChanges(QObject* sender);
    // A font picked for the relay's font id (0 title, 1 numbers) of its
    // axis; with "All axes" on, of all four. Without a document: a beep.
    void receiveFont(const FontChange& relay) override;

    QButtonGroup* align = nullptr; // the anchor cells, tagged by the anchor
    AxisLabelTableView* axisLabelTable = nullptr;

    const Ui::AxisLabelPanel& ui() const { return *ui_; }

protected:
    void apply(QObject* sender) override;

private:
    std::unique_ptr<Ui::AxisLabelPanel> ui_;
};
