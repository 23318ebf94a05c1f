#include "inspectors/OperationPanel.h"

#include "app/PanelContext.h"
#include "inspectors/TypedNumber.h"
#include "model/VexaDocument.h"
#include "platform/Alert.h"
#include "platform/UserDefaults.h"
#include "util/NumberFormat.h"
#include "view/CalendarFormat.h"

#include <QAbstractButton>
#include <QButtonGroup>
#include <QLineEdit>

OperationPanel::OperationPanel(PanelContext& context, const QString& title)
        : InspectorManager(context)
        , title_(title)
{
}

OperationPanel::~OperationPanel() = default;

void OperationPanel::addSetting(const char* key, QLineEdit* field, Stored kind)
{
    settings_.push_back({QLatin1String(key), kind, field, nullptr});
}

void OperationPanel::addSetting(const char* key, QButtonGroup* cells)
{
    settings_.push_back({QLatin1String(key), Stored::Tag, nullptr, cells});
}

const OperationPanel::Setting* OperationPanel::setting(const QString& key) const
{
    for (const Setting& s : settings_)
        if (s.key == key)
            return &s;
    return nullptr;
}

void OperationPanel::store(std::initializer_list<const char*> keys)
{
    UserDefaults& defaults = context_.userDefaults();
    for (const char* key : keys) {
        const Setting* s = setting(QLatin1String(key));
        if (!s)
            continue;
        switch (s->kind) {
        case Stored::Text:
            defaults.setValue(s->key, s->field->text());
            break;
        case Stored::Float:
            defaults.setValue(s->key, float(doubleOf(s->field)));
            break;
        case Stored::Integer:
            defaults.setValue(s->key, integerOf(s->field));
            break;
        case Stored::Tag:
            defaults.setValue(s->key, tagOf(s->cells));
            break;
        }
        defaults.synchronize();
    }
}

bool OperationPanel::restore(const char* key)
{
    const UserDefaults& defaults = context_.userDefaults();
    const Setting* s = setting(QLatin1String(key));
    if (!s || !defaults.contains(s->key))
        return false;
    switch (s->kind) {
    case Stored::Text:
        s->field->setText(defaults.stringForKey(s->key));
        break;
    case Stored::Float:
        s->field->setText(formatNumberAuto(defaults.floatForKey(s->key)));
        break;
    case Stored::Integer:
        s->field->setText(formatNumberInteger(defaults.integerForKey(s->key)));
        break;
    case Stored::Tag:
        if (QAbstractButton* cell = s->cells->button(defaults.integerForKey(s->key)))
            cell->setChecked(true);
        break;
    }
    return true;
}

bool OperationPanel::mayRun(Refusal refusal)
{
    // Without a document the controller's check would beep on its own.
    const bool go = PD() && context_.confirmBufferSelection();
    if (!go && refusal == Refusal::Beep)
        Alert::beep();
    return go;
}

void OperationPanel::forEachSelectedRow(const std::function<void(int row)>& op)
{
    VexaDocument* const document = PD();
    const std::vector<int> rows = context_.selectedBufferRows();
    for (int row : rows) {
        if (!document || context_.currentDocument() != document)
            return;
        op(row);
    }
}

void OperationPanel::updateAndReplot()
{
    update();
    replot();
}

void OperationPanel::replot()
{
    if (PD())
        PD()->replot();
}

bool OperationPanel::numbersIn(std::initializer_list<const QLineEdit*> fields, Reading reading) const
{
    for (const QLineEdit* field : fields) {
        if (reading == Reading::NumberOrDate && dateIn(field))
            continue;
        if (!typedNumber(title_, field->text()))
            return false;
    }
    return true;
}

std::optional<double> OperationPanel::dateIn(const QLineEdit* field) const
{
    const QString format = context_.timeFormat();
    if (!dates_ || format != datesFormat_) {
        dates_ = std::make_unique<CalendarFormat>(format);
        datesFormat_ = format;
    }
    return dates_->read(field->text());
}

double OperationPanel::valueOf(const QLineEdit* field) const
{
    if (const std::optional<double> seconds = dateIn(field))
        return *seconds;
    return doubleOf(field);
}

double OperationPanel::doubleOf(const QLineEdit* field)
{
    return doubleValueOf(field->text());
}

int OperationPanel::integerOf(const QLineEdit* field)
{
    return integerValueOf(field->text());
}

int OperationPanel::tagOf(const QButtonGroup* cells)
{
    return cells->checkedId();
}
