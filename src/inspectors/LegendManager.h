#pragma once

// The legend panel (key "legend"): the current document's legend: whether
// it is drawn, its place and anchor, entry layout, colours and font.

#include "app/FontChange.h"
#include "inspectors/InspectorManager.h"

#include <memory>

class QButtonGroup;

namespace Ui {
class LegendPanel;
}

class LegendManager : public InspectorManager, public FontReceiver {
public:
    explicit LegendManager(PanelContext& context);
    ~LegendManager() override;

    void update() override;
    void didChange(QObject* sender) override;
    // The font button (tag 2): the font dialog on the legend font.
    void fontChanges(QObject* sender);
    void receiveFont(const FontChange& relay) override;

    QButtonGroup* align = nullptr; // the anchor, tags 0-8

    const Ui::LegendPanel& ui() const { return *ui_; }

private:
    std::unique_ptr<Ui::LegendPanel> ui_;
};
