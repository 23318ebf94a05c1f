#pragma once

// Base of the panels that run the document's data operations (normalize,
// calc, fit). Such a panel holds no document state: its controls are the
// parameters of the operations. An action stores the parameters it uses in
// the user-defaults store, checks that there is a document and a buffer
// selection, runs the document's operation on the selected rows and replots;
// setup brings the stored parameters back at the next start.

#include "inspectors/InspectorManager.h"

#include <QString>

#include <functional>
#include <initializer_list>
#include <memory>
#include <optional>
#include <vector>

class CalendarFormat;
class QButtonGroup;
class QLineEdit;

class OperationPanel : public InspectorManager {
public:
    // The title names the panel in its alerts.
    OperationPanel(PanelContext& context, const QString& title);
    ~OperationPanel() override;

    // Nothing to refresh: the fields keep what the user typed.
    void update() override { }
    void didChange(QObject* /*sender*/) override { }

protected:
    // A parameter kept in the store: a field's text, its value as a single
    // precision float or an integer, or the tag of a matrix's selected cell.
    enum class Stored { Text, Float, Integer, Tag };
    struct Setting {
        QString key;
        Stored kind;
        QLineEdit* field = nullptr; // Text, Float, Integer
        QButtonGroup* cells = nullptr; // Tag
    };
    void addSetting(const char* key, QLineEdit* field, Stored kind);
    void addSetting(const char* key, QButtonGroup* cells);

    // Writes the parameters, in the order given, each followed by a
    // synchronise of the store.
    void store(std::initializer_list<const char*> keys);
    // Shows the stored parameter in its control; an absent key leaves the
    // control as it is. False when the key is absent.
    bool restore(const char* key);

    // Whether an action that works on the selected buffers may run: a
    // current document, and a selection (the controller offers to select
    // every buffer when there is none). Otherwise beeps, unless silent.
    enum class Refusal { Beep, Silent };
    bool mayRun(Refusal refusal = Refusal::Beep);

    // The selected rows, taken once, in ascending order; op runs once per
    // row while the document stays the current one (an alert of the
    // operation runs the event loop, and the user may close it meanwhile).
    // Buffers appended by op do not join.
    void forEachSelectedRow(const std::function<void(int row)>& op);

    // Refreshes the panel, then replots the document.
    void updateAndReplot();
    void replot();

    // Whether the fields an action reads hold numbers (or, read as dates,
    // a date and time in the controller's calendar format): the first that
    // holds none is refused with the panel's alert, and the action does
    // not run, stores nothing and changes nothing.
    enum class Reading { Number, NumberOrDate };
    bool numbersIn(std::initializer_list<const QLineEdit*> fields, Reading reading = Reading::Number) const;

    // A typed number: a date and time in the controller's calendar format
    // gives its seconds since the reference date, anything else what
    // doubleValueOf reads (0 for no number).
    double valueOf(const QLineEdit* field) const;
    static double doubleOf(const QLineEdit* field);
    static int integerOf(const QLineEdit* field);
    static int tagOf(const QButtonGroup* cells);

private:
    const Setting* setting(const QString& key) const;
    std::optional<double> dateIn(const QLineEdit* field) const;
    QString title_;
    std::vector<Setting> settings_;
    mutable std::unique_ptr<CalendarFormat> dates_;
    mutable QString datesFormat_;
};
