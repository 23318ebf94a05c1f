#pragma once

// The buffer list: one row per buffer of the current document, in list
// order. Its columns, by title: "" (the current buffer's arrow), "X" and "Y"
// (the axis pair, "∞" for a free axis), "L" (listed in the legend), "E" (has
// error columns), "No", "Points", "Source" (the file name of a path) and
// "Comment". A hidden buffer's row is drawn faint. Source and Comment take
// edits; a new comment is drawn at once.

#include "app/SideTableModel.h"

class Manager;

class BufferListModel : public SideTableModel {
public:
    explicit BufferListModel(Manager& manager, QObject* parent = nullptr);

    // The column whose edits move on with Return, Tab and Backtab.
    static constexpr int commentColumn = 8;

protected:
    int rowTotal() const override;
    QString text(int row, int column) const override;
    // An edit of Source starts from the whole source, not the file name
    // shown, so that confirming it unchanged keeps the path.
    QString editText(int row, int column) const override;
    std::optional<QColor> textColor(int row) const override;
    bool editable(int column) const override;
    bool edit(int row, int column, const QString& text) override;

private:
    Manager& manager_;
};
