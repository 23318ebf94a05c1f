#include "app/InspectorHost.h"

#include "app/InspectorPanel.h"
#include "app/PanelContext.h"
#include "platform/UserDefaults.h"

#include <QAbstractButton>
#include <QButtonGroup>
#include <QGridLayout>
#include <QLabel>
#include <QSizePolicy>
#include <QStackedWidget>

#include <algorithm>

const std::array<InspectorHost::Entry, InspectorHost::count>& InspectorHost::table()
{
    // clang-format off
    static const std::array<Entry, count> entries = {{
        {InspectorKey::General,    "general",    "General Inspector",      true},
        {InspectorKey::Style,      "style",      "Data Style Inspector",   true},
        {InspectorKey::Extra,      "extra",      "Extra Style Inspector",  true},
        {InspectorKey::Axis,       "axis",       "Axis Inspector",         true},
        {InspectorKey::AxisFormat, "axisformat", "Axis Format Inspector",  true},
        {InspectorKey::AxisLabel,  "axislabel",  "Axis Label Inspector",   true},
        {InspectorKey::ErrorBar,   "errorbar",   "Error Bar Inspector",    true},
        {InspectorKey::Legend,     "legend",     "Legend Inspector",       true},
        {InspectorKey::Text,       "text",       "Text Inspector",         true},
        {InspectorKey::Graphic,    "graphic",    "Graphic Inspector",      true},
        {InspectorKey::Normalize,  "normalize",  "Normalize Inspector",    false},
        {InspectorKey::Calc,       "calc",       "Calculation Inspector",  false},
        {InspectorKey::Fit,        "fit",        "Fit Inspector",          false},
    }};
    // clang-format on
    return entries;
}

QString InspectorHost::keyOf(InspectorKey id)
{
    return QLatin1String(table()[std::size_t(id)].key);
}

std::optional<InspectorKey> InspectorHost::find(const QString& key)
{
    for (const Entry& e : table())
        if (key == QLatin1String(e.key))
            return e.id;
    return std::nullopt;
}

const QStringList& InspectorHost::keys()
{
    static const QStringList all = [] {
        QStringList k;
        for (const Entry& e : table())
            k << QLatin1String(e.key);
        return k;
    }();
    return all;
}

InspectorHost::InspectorHost(PanelContext& context)
        : context_(context)
{
}

InspectorHost::~InspectorHost() = default;

QGridLayout* InspectorHost::buildButtons(QObject* owner,
                                         const std::function<QAbstractButton*(const QString&)>& makeButton)
{
    auto* rows = new QGridLayout;
    rows->setSpacing(0);
    auto* group = new QButtonGroup(owner);
    group->setExclusive(true);
    const int perRow = int((count + 1) / 2);
    for (const Entry& e : table()) {
        QAbstractButton* b = makeButton(QLatin1String(e.key));
        b->setToolTip(QLatin1String(e.tip));
        const int i = int(e.id);
        group->addButton(b, i);
        rows->addWidget(b, i / perRow, i % perRow);
        slot(e.id).button = b;
    }
    rows->setColumnStretch(perRow, 1);
    QObject::connect(group, &QButtonGroup::idClicked, group, [this](int id) { show(InspectorKey(id)); });
    return rows;
}

QWidget* InspectorHost::buildArea()
{
    placeholder_ = new QWidget;
    placeholder_->setObjectName(QStringLiteral("emptyInspector"));
    // The frame is as large as the largest panel it has shown, and never
    // smaller than this.
    placeholder_->setMinimumSize(300, 220);
    frame_ = new QStackedWidget;
    frame_->setObjectName(QStringLiteral("inspectorFrame"));
    frame_->addWidget(placeholder_);

    auto* area = new QStackedWidget;
    area->setObjectName(QStringLiteral("inspectorArea"));
    missing_ = new QLabel(QStringLiteral("No Document"));
    missing_->setObjectName(QStringLiteral("noinspector"));
    missing_->setAlignment(Qt::AlignCenter);
    missing_->setEnabled(false);
    area->addWidget(frame_);
    area->addWidget(missing_);
    return area;
}

void InspectorHost::showFrame(bool show, const QString& missing)
{
    if (!frame_)
        return;
    if (!show)
        missing_->setText(missing.isEmpty() ? QStringLiteral("No Document") : missing);
    if (auto* area = qobject_cast<QStackedWidget*>(frame_->parentWidget()))
        area->setCurrentWidget(show ? static_cast<QWidget*>(frame_) : missing_);
}

QAbstractButton* InspectorHost::button(const QString& key) const
{
    const std::optional<InspectorKey> id = find(key);
    return id ? button(*id) : nullptr;
}

void InspectorHost::setFactory(InspectorKey id, Factory factory)
{
    slot(id).factory = std::move(factory);
}

void InspectorHost::registerInspector(const QString& key, Factory factory)
{
    if (const std::optional<InspectorKey> id = find(key))
        setFactory(*id, std::move(factory));
}

void InspectorHost::show(const QString& key)
{
    if (const std::optional<InspectorKey> id = find(key))
        show(*id);
}

void InspectorHost::show(InspectorKey id)
{
    Slot& s = slot(id);
    if (!s.button || !frame_)
        return;
    const auto held = context_.holdEdits();
    if (!s.panel && s.factory) {
        std::unique_ptr<InspectorPanel> made = s.factory(context_);
        if (made && made->view()) {
            made->view()->setObjectName(keyOf(id));
            s.panel = std::move(made);
            s.panel->setup();
        }
    }
    QWidget* view = s.panel ? s.panel->view() : placeholder_;
    if (frame_->indexOf(view) < 0)
        frame_->addWidget(view);
    frame_->setCurrentWidget(view);
    // The frame takes the size of the panel on show, not that of the
    // largest one shown before: the others are left out of its measure.
    for (int i = 0; i < frame_->count(); ++i) {
        QWidget* page = frame_->widget(i);
        const QSizePolicy::Policy policy = page == view ? QSizePolicy::Preferred : QSizePolicy::Ignored;
        page->setSizePolicy(policy, policy);
    }
    s.button->setChecked(true);
    context_.userDefaults().setValue(QStringLiteral("LastInspector"), keyOf(id));
    showFrame(true);
    context_.refresh();
}

std::optional<InspectorKey> InspectorHost::selected() const
{
    for (const Entry& e : table()) {
        const QAbstractButton* b = slot(e.id).button;
        if (b && b->isChecked())
            return e.id;
    }
    return std::nullopt;
}

QString InspectorHost::selectedKey() const
{
    const std::optional<InspectorKey> id = selected();
    return id ? keyOf(*id) : QString();
}

InspectorPanel* InspectorHost::panel(InspectorKey id) const
{
    return slot(id).panel.get();
}

InspectorPanel* InspectorHost::panel(const QString& key) const
{
    const std::optional<InspectorKey> id = find(key);
    return id ? panel(*id) : nullptr;
}

void InspectorHost::refresh()
{
    const std::optional<InspectorKey> id = selected();
    if (!id || !table()[std::size_t(*id)].refreshesOnUpdate)
        return;
    if (InspectorPanel* p = panel(*id))
        p->update();
}

void InspectorHost::forgetItem(const void* item)
{
    for (Slot& s : slots_)
        if (s.panel)
            s.panel->forgetItem(item);
}
