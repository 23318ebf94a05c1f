#pragma once

// Base of the inspector panels. A panel is an object of a subclass and a view
// built from the interface file named after its key; the inspector host makes
// it the first time its key is shown (Inspectors::registerAll), then sends
// setup once and update after every model change while it is on show. What a
// panel reaches of the application is its PanelContext.
//
// A panel keeps no model state: its update copies the current document into
// the controls without any control reporting back, and every control edited
// by the user calls didChange with itself as the sender, which writes the
// value into the model and replots. The replot refreshes the panel, so what
// the panel shows is always what was stored.

#include "app/InspectorPanel.h"

#include <QObject>
#include <QString>

class ColorWell;
class PanelContext;
class QAbstractButton;
class QButtonGroup;
class QComboBox;
class QLineEdit;
class QSlider;
class QWidget;
class VexaDocument;
class VexaView;

class InspectorManager : public QObject, public InspectorPanel {
public:
    explicit InspectorManager(PanelContext& context);
    ~InspectorManager() override;

    // The document the panel edits: the current one.
    VexaDocument* PD() const;
    QWidget* inspectorView = nullptr;

    QWidget* view() override { return inspectorView; }
    void setup() override { }
    void update() override { }
    // The action of every control of the panel; sender is the control (or
    // the matrix of cells) that changed (see InspectorPanel).
    void didChange(QObject* sender) override { }

protected:
    PanelContext& context_;

    // The view of PD(); null without a document.
    VexaView* documentView() const;
    // The panel's controls, or the controller's view that says what is
    // missing: no document, or (with one open) what else the panel edits
    // ("No Document" when nothing is said).
    void showControls(bool show, const QString& missing = QString());

    // User edits of the control call didChange(sender), sender being the
    // control itself unless given. Text fields report when editing ends and
    // their text was typed (not when update set it); buttons when clicked;
    // sliders, colour wells and pop-ups when moved or chosen.
    void bind(QLineEdit* field, QObject* sender = nullptr);
    void bind(QAbstractButton* button, QObject* sender = nullptr);
    void bind(QSlider* slider, QObject* sender = nullptr);
    void bind(QButtonGroup* cells);
    void bind(ColorWell* well);
    void bind(QComboBox* popUp);

    // While alive, update is copying the model into the controls: nothing
    // reports back.
    class Refresh {
    public:
        explicit Refresh(InspectorManager& panel);
        ~Refresh();
        Refresh(const Refresh&) = delete;
        Refresh& operator=(const Refresh&) = delete;

    private:
        InspectorManager& panel_;
        bool previous_;
    };
    bool refreshing() const { return refreshing_; }

    // A segmented control or radio matrix from the checkable buttons of a
    // container, each under its "tag" property (the stored value).
    QButtonGroup* taggedCells(QWidget* container);
    // Selects the cell of that tag; with no such cell (a stored value no
    // cell shows), none.
    static void selectCell(QButtonGroup* cells, int tag);

private:
    void report(QObject* sender);
    bool refreshing_ = false;
};
