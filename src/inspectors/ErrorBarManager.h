#pragma once

// The error-bar panel (key "errorbar"): per direction, whether and how
// error bars are drawn (none, a fixed value, a percentage of the value, the
// buffer's own error column) with the value the first two use, and the bars'
// line width and colour. An edit goes to the current buffer, every shown
// buffer or the selected ones (BufferScope).

#include "inspectors/BufferPanel.h"

#include <memory>
#include <optional>

class QButtonGroup;

namespace Ui {
class ErrorBarPanel;
}

class ErrorBarManager : public BufferPanel {
public:
    explicit ErrorBarManager(PanelContext& context);
    ~ErrorBarManager() override;

    void update() override;
    void didChange(QObject* sender) override;

    // The radio matrices; each cell's tag is its ErrorBarMode.
    QButtonGroup* errorBarX = nullptr;
    QButtonGroup* errorBarY = nullptr;

    const Ui::ErrorBarPanel& ui() const { return *ui_; }

private:
    std::unique_ptr<Ui::ErrorBarPanel> ui_;
};
