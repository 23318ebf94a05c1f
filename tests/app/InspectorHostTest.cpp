// The inspector host on a fake panel context: panels made once on their first
// show, the frame and its note, which panels follow a refresh, edits held back
// while a panel is switched, and texts that are no inspector key.

#include "app/InspectorHost.h"
#include "app/FontChange.h"
#include "app/InspectorPanel.h"
#include "app/PanelContext.h"
#include "app/TextFormat.h"
#include "model/ManagerServices.h"
#include "platform/UserDefaults.h"

#include <QAbstractButton>
#include <QGridLayout>
#include <QLabel>
#include <QStackedWidget>
#include <QToolButton>
#include <QWidget>

#include <gtest/gtest.h>

#include <memory>
#include <set>

namespace {

// A context that counts what the host asks of it.
class FakeContext final : public PanelContext {
public:
    VexaDocument* currentDocument() const override { return nullptr; }
    VexaDocument* mainDocument() const override { return nullptr; }
    TextBoxItem* currentText() const override { return nullptr; }
    GraphicItem* currentGraphic() const override { return nullptr; }
    DocumentWindowQt* windowOf(VexaDocument*) const override { return nullptr; }
    QHash<QString, double>& numericVariables() override { return services.GV; }
    const ManagerServices& variableScope() const override { return services; }
    void showInspectorFrame(bool, const QString&) override { }
    void refresh() override { ++refreshes; }
    FontChange& fontRelay() override { return relay; }
    TextFormat& textFormat() override { return format; }
    UserDefaults& userDefaults() override { return UserDefaults::standard(); }
    QString timeFormat() const override { return QString(); }
    QString timeText(double) const override { return QString(); }
    int axisPair() const override { return 1; }
    std::vector<int> selectedBufferRows() const override { return {}; }
    bool confirmBufferSelection() override { return false; }
    AxisLabelTableView* makeAxisLabelTable(QWidget*) override { return nullptr; }

    ManagerServices services;
    FontChange relay;
    TextFormat format{services, relay};
    std::uint8_t held = 0;
    int refreshes = 0;

protected:
    std::uint8_t& editsHeld() override { return held; }
};

// A panel that records its setups and refreshes, and whether edits were held
// back while it was made.
class RecordingPanel final : public InspectorPanel {
public:
    explicit RecordingPanel(FakeContext& context)
            : heldWhenMade(context.held != 0)
            , view_(new QWidget)
    {
    }
    QWidget* view() override { return view_; }
    void setup() override { ++setups; }
    void update() override { ++updates; }
    void forgetItem(const void* item) override { forgotten = item; }

    bool heldWhenMade;
    int setups = 0;
    int updates = 0;
    const void* forgotten = nullptr;

private:
    QWidget* view_;
};

struct Host {
    Host()
    {
        window.setLayout(host.buildButtons(&window, [](const QString& key) {
            auto* b = new QToolButton;
            b->setText(key);
            b->setCheckable(true);
            return b;
        }));
        area.reset(host.buildArea());
    }
    RecordingPanel* made(InspectorKey key) { return dynamic_cast<RecordingPanel*>(host.panel(key)); }
    void giveEveryKeyAPanel()
    {
        for (const InspectorHost::Entry& e : InspectorHost::table())
            host.setFactory(e.id, [this](PanelContext&) {
                ++factoryCalls;
                return std::make_unique<RecordingPanel>(context);
            });
    }

    FakeContext context;
    InspectorHost host{context};
    QWidget window;
    std::unique_ptr<QWidget> area;
    int factoryCalls = 0;
};

} // namespace

TEST(InspectorHost, TheTableNamesEveryKeyOnceInButtonOrder)
{
    const auto& table = InspectorHost::table();
    std::set<QString> keys;
    for (std::size_t i = 0; i < table.size(); ++i) {
        SCOPED_TRACE(table[i].key);
        EXPECT_EQ(std::size_t(table[i].id), i);
        EXPECT_TRUE(keys.insert(QLatin1String(table[i].key)).second);
        EXPECT_EQ(InspectorHost::find(QLatin1String(table[i].key)), table[i].id);
        EXPECT_EQ(InspectorHost::keyOf(table[i].id), QLatin1String(table[i].key));
        EXPECT_EQ(InspectorHost::keys().at(qsizetype(i)), QLatin1String(table[i].key));
    }
    EXPECT_EQ(keys.size(), std::size_t(13));
    EXPECT_FALSE(InspectorHost::find(QStringLiteral("General")).has_value()); // keys are exact
    EXPECT_FALSE(InspectorHost::find(QString()).has_value());
}

TEST(InspectorHost, APanelIsMadeOnItsFirstShowAndKeptWithWhatItShows)
{
    Host h;
    h.giveEveryKeyAPanel();
    EXPECT_EQ(h.host.selected(), std::nullopt);
    EXPECT_EQ(h.host.panel(InspectorKey::Legend), nullptr);

    h.host.show(InspectorKey::Legend);
    RecordingPanel* legend = h.made(InspectorKey::Legend);
    ASSERT_NE(legend, nullptr);
    EXPECT_TRUE(legend->heldWhenMade);
    EXPECT_EQ(legend->setups, 1);
    EXPECT_EQ(h.host.frame()->currentWidget(), legend->view());
    EXPECT_TRUE(h.host.button(InspectorKey::Legend)->isChecked());
    EXPECT_EQ(h.host.selectedKey(), QStringLiteral("legend"));
    EXPECT_EQ(UserDefaults::standard().stringForKey(QStringLiteral("LastInspector")),
              QStringLiteral("legend"));
    EXPECT_EQ(h.context.held, 0); // given back after the switch

    // A click on a button shows its panel; the first one is kept, not made again.
    h.host.button(InspectorKey::Calc)->click();
    EXPECT_EQ(h.host.selected(), InspectorKey::Calc);
    EXPECT_FALSE(h.host.button(InspectorKey::Legend)->isChecked());
    h.host.show(QStringLiteral("legend"));
    EXPECT_EQ(h.made(InspectorKey::Legend), legend);
    EXPECT_EQ(legend->setups, 1);
    EXPECT_EQ(h.factoryCalls, 2);

    // A text that is no key changes nothing.
    h.host.show(QStringLiteral("nosuchpanel"));
    EXPECT_EQ(h.host.selected(), InspectorKey::Legend);
    EXPECT_EQ(h.host.panel(QStringLiteral("nosuchpanel")), nullptr);

    // Every panel made lets go of an item leaving its document.
    const int item = 0;
    h.host.forgetItem(&item);
    EXPECT_EQ(legend->forgotten, &item);
    EXPECT_EQ(h.made(InspectorKey::Calc)->forgotten, &item);
}

TEST(InspectorHost, AKeyWithoutAPanelShowsThePlaceholder)
{
    Host h;
    h.host.registerInspector(QStringLiteral("fit"),
                             [](PanelContext&) { return std::unique_ptr<InspectorPanel>(); });
    for (const char* key : {"style", "fit"}) {
        SCOPED_TRACE(key);
        h.host.show(QLatin1String(key));
        EXPECT_EQ(h.host.selectedKey(), QLatin1String(key));
        EXPECT_EQ(h.host.frame()->currentWidget(), h.host.placeholder());
        EXPECT_EQ(h.host.panel(QLatin1String(key)), nullptr);
    }
}

TEST(InspectorHost, ARefreshReachesOnlyThePanelOnShowThatFollowsTheDocument)
{
    Host h;
    h.giveEveryKeyAPanel();
    for (const InspectorHost::Entry& e : InspectorHost::table()) {
        SCOPED_TRACE(e.key);
        h.host.show(e.id);
        RecordingPanel* panel = h.made(e.id);
        ASSERT_NE(panel, nullptr);
        const int before = panel->updates;
        h.host.refresh();
        EXPECT_EQ(panel->updates, before + (e.refreshesOnUpdate ? 1 : 0));
    }
    // The calculation panels keep what the user typed.
    for (InspectorKey kept : {InspectorKey::Normalize, InspectorKey::Calc, InspectorKey::Fit})
        EXPECT_EQ(h.made(kept)->updates, 0);
}

TEST(InspectorHost, TheNoteTakesTheFramesPlaceSayingWhatIsMissing)
{
    Host h;
    QLabel* note = h.host.missingNote();
    ASSERT_NE(note, nullptr);
    auto* area = qobject_cast<QStackedWidget*>(h.area.get());
    ASSERT_NE(area, nullptr);

    h.host.showFrame(false, QStringLiteral("No Buffer"));
    EXPECT_EQ(area->currentWidget(), note);
    EXPECT_EQ(note->text(), QStringLiteral("No Buffer"));
    h.host.showFrame(false);
    EXPECT_EQ(note->text(), QStringLiteral("No Document"));
    // A switch shows the frame again.
    h.host.show(InspectorKey::General);
    EXPECT_EQ(area->currentWidget(), h.host.frame());
}

TEST(InspectorHost, TheEditGuardGivesBackWhatWasHeldBefore)
{
    FakeContext context;
    {
        const auto outer = context.holdEdits();
        EXPECT_EQ(context.held, 1);
        {
            const auto inner = context.holdEdits();
            EXPECT_EQ(context.held, 1);
        }
        // An inner switch does not let edits through while the outer one lasts.
        EXPECT_EQ(context.held, 1);
    }
    EXPECT_EQ(context.held, 0);
}
