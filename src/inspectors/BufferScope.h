#pragma once

// Which buffers an edit of a buffer panel (style, extra, error bars) applies
// to. Two check boxes choose it: "all" is every shown buffer, "selected" the
// shown buffers whose rows are selected in the buffer list, neither the
// current buffer alone (hidden or not). At most one box is on; the boxes
// belong to the panel and never change with the document.

#include <QObject>

#include <vector>

class QCheckBox;
class VexaDocument;

class BufferScope {
public:
    BufferScope(QCheckBox* all, QCheckBox* selected);

    // When the sender is one of the boxes: turning it on turns the other one
    // off, turning it off leaves the other; true (the edit is done, nothing
    // else changes). False for any other sender.
    bool isScopeSwitch(const QObject* sender) const;

    // The BufferSelection the boxes stand for.
    int selection() const;

    // Indexes in the document's buffer list of the buffers the edit applies
    // to, in list order. When there are some and the current buffer is not
    // one of them, the first becomes the current buffer, so the panel goes
    // on showing a buffer it edits.
    std::vector<int> targets(VexaDocument& document) const;
    // The same for a given BufferSelection.
    static std::vector<int> targets(VexaDocument& document, int selection);

    QCheckBox* all() const { return all_; }
    QCheckBox* selected() const { return selected_; }

private:
    QCheckBox* all_;
    QCheckBox* selected_;
};
