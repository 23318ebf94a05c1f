#pragma once

// The extra panel (key "extra"): a buffer drawn on ranges of its own instead
// of its axes', and the edge of the plot area its bars start at. An edit
// goes to the current buffer, every shown buffer or the selected ones
// (BufferScope).

#include "inspectors/BufferPanel.h"

#include <array>
#include <memory>
#include <optional>

namespace Ui {
class ExtraPanel;
}

class ExtraManager : public BufferPanel {
public:
    explicit ExtraManager(PanelContext& context);
    ~ExtraManager() override;

    void update() override;
    void didChange(QObject* sender) override;

    // The matrix of the four range cells: x from, x to, y from, y to.
    QWidget* frange = nullptr;
    std::array<QLineEdit*, 4> frangeCells{};

    const Ui::ExtraPanel& ui() const { return *ui_; }

private:
    std::unique_ptr<Ui::ExtraPanel> ui_;
};
