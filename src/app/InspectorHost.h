#pragma once

// The panels of the inspector window, by key: which keys there are (in
// button order), the tooltip of each key's button, which panels follow every
// refresh, and the factory of each key's panel. A panel is made the first time
// its key is shown, set up once and kept for the rest of the run; a key
// without a factory (or whose factory makes nothing) shows the empty
// placeholder; a panel's view is named after its key. The host owns the part of the inspector window that
// shows them: the key buttons, and the frame with the panel on show (or the note of what that panel misses).
// It shows the panel of a key there, remembers it as "LastInspector" and refreshes the panel on show.
//
// Main thread only.

#include <QString>
#include <QStringList>

#include <array>
#include <cstddef>
#include <functional>
#include <memory>
#include <optional>

class InspectorPanel;
class PanelContext;
class QAbstractButton;
class QGridLayout;
class QLabel;
class QObject;
class QStackedWidget;
class QWidget;

// The thirteen inspector keys, in button order.
enum class InspectorKey {
    General,
    Style,
    Extra,
    Axis,
    AxisFormat,
    AxisLabel,
    ErrorBar,
    Legend,
    Text,
    Graphic,
    Normalize,
    Calc,
    Fit,
};

class InspectorHost {
public:
    using Factory = std::function<std::unique_ptr<InspectorPanel>(PanelContext&)>;

    // One row of the table of keys.
    struct Entry {
        InspectorKey id;
        const char* key; // the button's title, the stored "LastInspector"
        const char* tip; // the button's tooltip
        // Refreshed with the document: the calculation panels keep what the
        // user typed instead.
        bool refreshesOnUpdate;
    };
    static constexpr std::size_t count = 13;
    static const std::array<Entry, count>& table();
    static QString keyOf(InspectorKey id);
    // The key's row; none for a text that is no inspector key.
    static std::optional<InspectorKey> find(const QString& key);
    // Every key, in button order.
    static const QStringList& keys();

    explicit InspectorHost(PanelContext& context);
    ~InspectorHost();
    InspectorHost(const InspectorHost&) = delete;
    InspectorHost& operator=(const InspectorHost&) = delete;

    // The key buttons in two rows, each made by makeButton from the key and
    // given its tooltip; the one of the panel on show is checked, a click
    // shows the key's panel. The buttons' group belongs to owner.
    QGridLayout* buildButtons(QObject* owner,
                              const std::function<QAbstractButton*(const QString&)>& makeButton);
    // The frame with the panel on show, and the note in its place.
    QWidget* buildArea();
    // Until both are built, show() shows nothing.

    // The panel on show, or in its place the note of what is missing ("No
    // Document" when nothing is said).
    void showFrame(bool show, const QString& missing = QString());

    // The parts built: the key's button, the frame of the panel on show, the
    // placeholder shown for a key without a panel, and the note.
    QAbstractButton* button(InspectorKey id) const { return slot(id).button; }
    QAbstractButton* button(const QString& key) const;
    QStackedWidget* frame() const { return frame_; }
    QWidget* placeholder() const { return placeholder_; }
    QLabel* missingNote() const { return missing_; }

    // The panel of the key is made by the factory the first time it is shown.
    void setFactory(InspectorKey id, Factory factory);
    // The same by the key's text; a text that is no key is ignored.
    void registerInspector(const QString& key, Factory factory);

    // Shows the key's panel (made now if it was not), refreshes and stores
    // it as "LastInspector". A text that is no key, or before the buttons
    // are attached, nothing.
    void show(InspectorKey id);
    void show(const QString& key);
    // The key on show; none before the first show.
    std::optional<InspectorKey> selected() const;
    QString selectedKey() const;
    bool isShown(InspectorKey id) const { return selected() == id; }

    // The key's panel; null until it was first shown (or for a text that
    // is no key).
    InspectorPanel* panel(InspectorKey id) const;
    InspectorPanel* panel(const QString& key) const;

    // Refreshes the panel on show when its key follows the document.
    void refresh();
    // A text box or graphic is leaving its document: every panel lets go.
    void forgetItem(const void* item);

private:
    struct Slot {
        Factory factory;
        std::unique_ptr<InspectorPanel> panel;
        QAbstractButton* button = nullptr;
    };
    Slot& slot(InspectorKey id) { return slots_[std::size_t(id)]; }
    const Slot& slot(InspectorKey id) const { return slots_[std::size_t(id)]; }

    PanelContext& context_;
    std::array<Slot, count> slots_;
    QStackedWidget* frame_ = nullptr;
    QWidget* placeholder_ = nullptr;
    QLabel* missing_ = nullptr;
};
