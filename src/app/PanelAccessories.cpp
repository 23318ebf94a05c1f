#include "app/PanelAccessories.h"

#include "platform/UserDefaults.h"
#include "util/Overloaded.h"

#include <QAbstractButton>
#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <QSpinBox>
#include <QVBoxLayout>

#include <array>
#include <initializer_list>
#include <utility>
#include <variant>

namespace {

using Control = std::variant<QCheckBox*, QLineEdit*, QSpinBox*, QButtonGroup*>;

struct Stored {
    const char* key;
    Control control;
};

void load(const UserDefaults& d, const Stored& s)
{
    const QString key = QLatin1String(s.key);
    if (!d.contains(key))
        return;
    std::visit(Overloaded{
                   [&](QCheckBox* c) { c->setChecked(d.integerForKey(key) != 0); },
                   [&](QLineEdit* c) { c->setText(d.stringForKey(key)); },
                   [&](QSpinBox* c) { c->setValue(d.integerForKey(key)); },
                   [&](QButtonGroup* c) {
                       if (QAbstractButton* b = c->button(d.integerForKey(key)))
                           b->setChecked(true);
                   },
               },
               s.control);
}

void store(UserDefaults& d, const Stored& s)
{
    const QString key = QLatin1String(s.key);
    std::visit(Overloaded{
                   [&](QCheckBox* c) { d.setValue(key, c->isChecked()); },
                   [&](QLineEdit* c) { d.setValue(key, c->text()); },
                   [&](QSpinBox* c) { d.setValue(key, c->value()); },
                   [&](QButtonGroup* c) { d.setValue(key, c->checkedId()); },
               },
               s.control);
    d.synchronize();
}

// A row of radio buttons whose ids are the values.
QButtonGroup* choices(QWidget* owner, QBoxLayout* into, const QString& name,
                      std::initializer_list<std::pair<int, const char*>> items)
{
    auto* group = new QButtonGroup(owner);
    group->setObjectName(name);
    for (const auto& [id, title] : items) {
        auto* b = new QRadioButton(QString::fromUtf8(title));
        group->addButton(b, id);
        into->addWidget(b);
    }
    group->buttons().front()->setChecked(true);
    return group;
}

template <class W> W* named(W* widget, const char* name, const char* tip = nullptr)
{
    widget->setObjectName(QLatin1String(name));
    if (tip)
        widget->setToolTip(QString::fromUtf8(tip));
    return widget;
}

} // namespace

PanelAccessories::PanelAccessories()
{
    buildBinary();
    buildAscii();
    buildResolution();
}

PanelAccessories::~PanelAccessories()
{
    // A panel gives its accessory back when it closes; whatever holds them
    // now, they go with this object.
    delete binAccView;
    delete importAccView;
    delete resolutionAccView;
}

void PanelAccessories::buildBinary()
{
    binAccView = named(new QGroupBox(QStringLiteral("Binary layout")), "binAccView");
    auto* form = new QFormLayout(binAccView);
    auto* types = new QHBoxLayout;
    binType = choices(binAccView, types, QStringLiteral("binType"),
                      {{0, "Double (8 bytes)"}, {1, "Float (4)"}, {2, "Integer (4)"}, {3, "Short (2)"}});
    form->addRow(QStringLiteral("Numbers"), types);
    auto* modes = new QHBoxLayout;
    binMode = choices(binAccView, modes, QStringLiteral("binMode"),
                      {{0, "Records one after another"}, {1, "Columns one after another"}});
    form->addRow(QStringLiteral("Layout"), modes);
    binColumns = named(new QSpinBox, "binColumns", "Numbers per record: x, then one column per buffer");
    binColumns->setRange(1, 2048);
    binColumns->setValue(2);
    binSwap = named(new QCheckBox(QStringLiteral("Swap bytes")), "binSwap");
    auto* last = new QHBoxLayout;
    last->addWidget(binColumns);
    last->addSpacing(16);
    last->addWidget(binSwap);
    last->addStretch(1);
    form->addRow(QStringLiteral("Columns"), last);
}

void PanelAccessories::buildAscii()
{
    const ASCIIImport::ImportOptions defaults;
    importAccView = named(new QGroupBox(QStringLiteral("ASCII import")), "importAccView");
    auto* form = new QFormLayout(importAccView);

    auto* modes = new QHBoxLayout;
    importMode = choices(importAccView, modes, QStringLiteral("importMode"),
                         {{ASCIIImport::ColumnMode, "One buffer per column"},
                          {ASCIIImport::ErrorMode, "x, y and errors per line"}});
    form->addRow(QStringLiteral("Mode"), modes);

    importSep = named(new QLineEdit(defaults.separator), "importSep",
                      "The text between two fields; empty: numbers are taken wherever they stand");
    importSep->setPlaceholderText(QStringLiteral("blanks and tabs"));
    importXcol = named(new QSpinBox, "importXcol", "The x column, counted from 1");
    importXcol->setRange(0, 2048);
    importXcol->setValue(defaults.xColumn);
    noXcol = named(new QCheckBox(QStringLiteral("No x column")), "noXcol",
                   "x is the number of the line among the lines read, from 0");
    noXcol->setChecked(defaults.noXColumn);
    auto* columns = new QHBoxLayout;
    columns->addWidget(importSep, 1);
    columns->addSpacing(12);
    columns->addWidget(new QLabel(QStringLiteral("X column")));
    columns->addWidget(importXcol);
    columns->addWidget(noXcol);
    form->addRow(QStringLiteral("Separator"), columns);

    importIgnoreCont = named(new QLineEdit(defaults.ignoreText), "importIgnoreCont",
                             "Lines that contain this text are skipped");
    importComment = named(new QLineEdit(defaults.commentText), "importComment",
                          "Each line is cut where this text starts");
    auto* texts = new QHBoxLayout;
    texts->addWidget(importIgnoreCont, 1);
    texts->addSpacing(12);
    texts->addWidget(new QLabel(QStringLiteral("Comment")));
    texts->addWidget(importComment, 1);
    form->addRow(QStringLiteral("Skip lines with"), texts);

    importTimeFormatCustom
        = named(new QCheckBox(QStringLiteral("Own date format")), "importTimeFormatCustom");
    importTimeFormatCustom->setChecked(defaults.useTimeFormat);
    importTimeFormat = named(new QLineEdit(defaults.timeFormat), "importTimeFormat",
                             "Date pattern at the start of each line, e.g. dd.MM.yyyy HH:mm:ss");
    importTimeFormat->setPlaceholderText(QStringLiteral("dd.MM.yyyy HH:mm:ss"));
    importNoTime = named(new QCheckBox(QStringLiteral("No dates or times")), "importNoTime");
    importNoTime->setChecked(defaults.noTime);
    auto* dates = new QHBoxLayout;
    dates->addWidget(importTimeFormatCustom);
    dates->addWidget(importTimeFormat, 1);
    dates->addWidget(importNoTime);
    form->addRow(QStringLiteral("Dates"), dates);

    importNumLines = named(new QCheckBox(QStringLiteral("Numeric lines only")), "importNumLines",
                           "Skip lines that do not start with a number");
    importNumLines->setChecked(defaults.numericLinesOnly);
    importCommaSep = named(new QCheckBox(QStringLiteral("Comma separates")), "importCommaSep",
                           "Without a separator: a comma stands between two numbers");
    importCommaSep->setChecked(defaults.commaSeparates);
    importPeriodSep = named(new QCheckBox(QStringLiteral("Period separates")), "importPeriodSep",
                            "Without a separator: a period stands between two numbers");
    importPeriodSep->setChecked(defaults.periodSeparates);
    auto* switches = new QHBoxLayout;
    switches->addWidget(importNumLines);
    switches->addWidget(importCommaSep);
    switches->addWidget(importPeriodSep);
    switches->addStretch(1);
    form->addRow(QString(), switches);
}

void PanelAccessories::buildResolution()
{
    resolutionAccView = named(new QWidget, "resolutionAccView");
    auto* row = new QHBoxLayout(resolutionAccView);
    row->setContentsMargins(0, 0, 0, 0);
    resolution = named(new QComboBox, "resolution");
    for (int dpi : {72, 144, 150, 300, 600})
        resolution->addItem(dpi == 72 ? QStringLiteral("72 dpi (the window's size)")
                                      : QStringLiteral("%1 dpi").arg(dpi),
                            dpi);
    row->addWidget(new QLabel(QStringLiteral("Resolution")));
    row->addWidget(resolution);
    row->addStretch(1);
}

PanelAccessories::BinarySettings PanelAccessories::binarySettings() const
{
    return {binType->checkedId(), binMode->checkedId(), binSwap->isChecked(), binColumns->value()};
}

ASCIIImport::ImportOptions PanelAccessories::asciiOptions(const QString& path) const
{
    ASCIIImport::ImportOptions o;
    o.path = path;
    o.mode = importMode->checkedId();
    o.separator = importSep->text();
    o.xColumn = importXcol->value();
    o.noXColumn = noXcol->isChecked();
    o.ignoreText = importIgnoreCont->text();
    o.commentText = importComment->text();
    o.numericLinesOnly = importNumLines->isChecked();
    o.timeFormat = importTimeFormat->text();
    o.useTimeFormat = importTimeFormatCustom->isChecked();
    o.noTime = importNoTime->isChecked();
    o.commaSeparates = importCommaSep->isChecked();
    o.periodSeparates = importPeriodSep->isChecked();
    return o;
}

int PanelAccessories::resolutionDpi() const
{
    return resolution->currentData().toInt();
}

namespace {

std::array<Stored, 4> binaryKeys(const PanelAccessories& a)
{
    return {{{"BinType", a.binType},
             {"BinMode", a.binMode},
             {"BinColumns", a.binColumns},
             {"BinSwap", a.binSwap}}};
}

// In the order they are written.
std::array<Stored, 12> asciiKeys(const PanelAccessories& a)
{
    // clang-format off
    return {{
        {"NoXCol", a.noXcol}, {"ImportNumLines", a.importNumLines}, {"ImportMode", a.importMode},
        {"ImportXCol", a.importXcol}, {"ImportSep", a.importSep}, {"ImportTimeFormat", a.importTimeFormat},
        {"ImportTimeFormatCustom", a.importTimeFormatCustom}, {"ImportNoTime", a.importNoTime},
        {"ImportIgnoreCont", a.importIgnoreCont}, {"ImportComment", a.importComment},
        {"ImportCommaSep", a.importCommaSep}, {"ImportPeriodSep", a.importPeriodSep},
    }};
    // clang-format on
}

} // namespace

void PanelAccessories::loadFromDefaults(const UserDefaults& d)
{
    for (const Stored& s : binaryKeys(*this))
        load(d, s);
    for (const Stored& s : asciiKeys(*this))
        load(d, s);
}

void PanelAccessories::storeBinary(UserDefaults& d) const
{
    for (const Stored& s : binaryKeys(*this))
        store(d, s);
}

void PanelAccessories::storeAscii(UserDefaults& d) const
{
    for (const Stored& s : asciiKeys(*this))
        store(d, s);
}
