#pragma once

// What the document model asks of the application controller. The
// controller lives above the model; it implements this interface and
// registers itself as the shared instance when the application starts.
// Documents take the shared instance when they are made.

#include <QString>

#include <vector>

class ManagerServices {
public:
    virtual ~ManagerServices() = default;

    // Refreshes the inspector on show and the buffer and point tables.
    virtual void update() = 0;

    // Title of the selected cell of the application's tool palette.
    virtual QString mouseModeTitle() const = 0;

    // The "WindowToolbar" preference: document windows hide their own tool
    // strip and value read-out.
    virtual bool toolbarSwitch() const = 0;

    // Selected rows of the buffer table, ascending; may reach beyond the
    // buffer list.
    virtual std::vector<int> selectedBufferRows() const = 0;

    // The controller of this application (none before it starts, or in a
    // program that has none).
    static ManagerServices* shared();
    static void setShared(ManagerServices* manager);
};
