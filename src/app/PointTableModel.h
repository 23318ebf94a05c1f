#pragma once

// The point table: the points of the current document's current buffer,
// plus a last row "add" that appends a point when a value is typed into it;
// no rows without a document or without buffers. Columns: "No", "X Value",
// "Y Value", "X Error", "Y Error". The value columns show numbers, or dates
// in the controller's date format once the column is switched to dates.
//
// Typed numbers may use a comma or a period as decimal mark. A text that
// holds no number, or no date of the format in a date column, is refused
// with a message and changes nothing; an empty text, or one left as shown,
// writes nothing.

#include "app/SideTableModel.h"

#include <memory>

class CalendarFormat;
class DataBuffer;
class Manager;

class PointTableModel : public SideTableModel {
public:
    explicit PointTableModel(Manager& manager, QObject* parent = nullptr);
    ~PointTableModel() override;

    enum Column { No, XValue, YValue, XError, YError };

protected:
    int rowTotal() const override;
    QString text(int row, int column) const override;
    bool editable(int column) const override;
    bool edit(int row, int column, const QString& text) override;

private:
    DataBuffer* buffer() const;
    // A value column's text: a number, or a date when the column shows dates.
    QString valueText(double value, bool date) const;
    // The value of a typed text; nothing, after the message, when it holds
    // none.
    std::optional<double> readValue(const QString& text, bool date) const;
    const CalendarFormat& dates() const;

    Manager& manager_;
    mutable std::unique_ptr<CalendarFormat> dates_;
    mutable QString datesFormat_;
};
