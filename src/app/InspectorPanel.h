#pragma once

// One panel of the inspector window as the controller sees it. The panels
// themselves live with the inspectors; the inspector host (InspectorHost)
// creates each one the first time its key is shown, keeps it under that key
// for the rest of the run, and refreshes the one on show.

class QObject;
class QWidget;
struct GraphicSettings;

class InspectorPanel {
public:
    virtual ~InspectorPanel() = default;

    // The panel's widget. The inspector window takes it over (Qt ownership)
    // once the panel is shown, so a panel must not delete it, nor touch it
    // from its destructor.
    virtual QWidget* view() = 0;

    // Called once, right after the panel was made and registered.
    virtual void setup() = 0;

    // Brings the panel's controls in line with the current document, text
    // box or graphic.
    virtual void update() = 0;

    // Writes the value of the sender (one of the panel's controls) into the
    // model and replots. Others may set one of a panel's controls and send
    // this themselves; a null sender (the graph, say, after selecting an
    // axis in the panel) applies no control and only replots, which
    // refreshes the panel.
    virtual void didChange(QObject* sender) { }

    // A text box or graphic is leaving its document (deleted, or held by
    // an undo step): a panel showing it lets go.
    virtual void forgetItem(const void* item) { }

    // What the graphic panel holds for the next graphic drawn; the other
    // panels hold none.
    virtual const GraphicSettings* graphicSettings() const { return nullptr; }
};
