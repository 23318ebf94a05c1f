#pragma once

// What an inspector panel may ask of the application: the document it
// edits, the variables its expressions read, the guard that holds edits back
// while it fills its controls, the frame it is shown in, the font panel's
// relay, the user-defaults store, and the few controller services a panel's
// controls act through. The controller implements it; a panel never sees the
// controller itself, and a test can hand a panel a small fake.
//
// Main thread only.

#include <QHash>
#include <QScopedValueRollback>
#include <QString>

#include <cstdint>
#include <vector>

class AxisLabelTableView;
class DocumentWindowQt;
class FontChange;
class GraphicItem;
class ManagerServices;
class QWidget;
class TextBoxItem;
class TextFormat;
class UserDefaults;
class VexaDocument;

class PanelContext {
public:
    virtual ~PanelContext() = default;

    // --- the current objects ---------------------------------------------------------------------------
    // The current document (null without one), its main document (they
    // differ for a sub-view), the current text box and graphic.
    virtual VexaDocument* currentDocument() const = 0;
    virtual VexaDocument* mainDocument() const = 0;
    virtual TextBoxItem* currentText() const = 0;
    virtual GraphicItem* currentGraphic() const = 0;
    // The window the document is drawn in (its main document's for a
    // sub-view); null when it has none.
    virtual DocumentWindowQt* windowOf(VexaDocument* document) const = 0;

    // --- variables --------------------------------------------------------------------------------------
    // The numeric variables shared by expressions, macros and tools.
    virtual QHash<QString, double>& numericVariables() = 0;
    // Where the drawing pass takes them from, for checks that parse an
    // expression exactly as the drawing will.
    virtual const ManagerServices& variableScope() const = 0;

    // --- edits held back ----------------------------------------------------------------------------------
    // While the returned guard lives, edits reported by the controller's
    // tables and panes are ignored (documents, panels or panes are being
    // switched or refilled); it gives back what was held before.
    [[nodiscard]] QScopedValueRollback<std::uint8_t> holdEdits()
    {
        return QScopedValueRollback<std::uint8_t>(editsHeld(), 1);
    }

    // --- the inspector window
    // ------------------------------------------------------------------------------- The panel on show, or
    // in its place the note of what is missing ("No Document" when nothing is said).
    virtual void showInspectorFrame(bool show, const QString& missing = QString()) = 0;
    // Refreshes the panel on show and the buffer and point tables.
    virtual void refresh() = 0;

    // --- fonts
    // ----------------------------------------------------------------------------------------------- The
    // font panel's relay, and the Format menu's styling of the current text box (whose font the text panel
    // shows and chooses).
    virtual FontChange& fontRelay() = 0;
    virtual TextFormat& textFormat() = 0;

    // --- settings
    // ---------------------------------------------------------------------------------------------
    virtual UserDefaults& userDefaults() = 0;
    // The date-and-time format of times the user sees or types, and a time
    // value written in it.
    virtual QString timeFormat() const = 0;
    virtual QString timeText(double seconds) const = 0;
    // The axis pair the tools and commands act on: 1, 2, or 0 for both.
    virtual int axisPair() const = 0;

    // --- the data panes
    // ------------------------------------------------------------------------------------- The selected rows
    // of the buffer list, ascending.
    virtual std::vector<int> selectedBufferRows() const = 0;
    // True when buffers are selected, or the user chose "Select All";
    // without a document a beep and false.
    virtual bool confirmBufferSelection() = 0;
    // The axis-label panel's table of custom labels, made in the parent.
    virtual AxisLabelTableView* makeAxisLabelTable(QWidget* parent) = 0;

protected:
    // The flag holdEdits() raises: nonzero while edits are held back.
    virtual std::uint8_t& editsHeld() = 0;
};
