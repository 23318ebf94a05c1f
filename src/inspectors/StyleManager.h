#pragma once

// The style panel (key "style"): how the current buffer is drawn: which
// elements (lines, symbols, dots, area, bars, sticks, histograms), their
// colours, the line width and dash pattern, the symbol, its size and a
// per-point size expression, and the sticks. An edit goes to the current
// buffer, every shown buffer or the selected ones (BufferScope). The
// buttons number the shown buffers' colours, patterns or symbols in turn,
// or give the scoped buffers the default style of the preferences.

#include "inspectors/BufferPanel.h"

#include <QColor>

#include <memory>
#include <optional>
#include <vector>

class QLabel;

namespace Ui {
class StylePanel;
}

class StyleManager : public BufferPanel {
public:
    explicit StyleManager(PanelContext& context);
    ~StyleManager() override;

    void update() override;
    void didChange(QObject* sender) override;

    // Colour, dash pattern or symbol k mod 16 for the k-th shown buffer;
    // the scope boxes do not apply and the current buffer stays.
    void autoColor();
    void autoDash();
    void autoSymbol();
    // The scoped buffers take the default style of the preferences.
    void applyDefaultStyle();

    // Colour k of the preferences' palette of sixteen.
    QColor paletteColor(int k) const;

    // Shows the result of the last per-point size check: empty when it
    // passed, the expression's error in red when it failed.
    QLabel* synerror = nullptr;

    const Ui::StylePanel& ui() const { return *ui_; }

private:
    // Gives the k-th shown buffer what set(buffer index, k) writes, then
    // replots.
    template <class Set> void inTurn(Set set);
    // Checks every target's per-point size expression.
    void checkDynamicSizes(const std::vector<int>& targets);
    std::unique_ptr<Ui::StylePanel> ui_;
};
