// Switching panels, loading each once, the stored "LastInspector", the
// refresh after every replot, and refreshes that never write back.

#include "InspectorSupport.h"

#include "app/InspectorPanel.h"
#include "inspectors/GeneralManager.h"
#include "platform/Alert.h"
#include "platform/UserDefaults.h"

#include "ui_general.h"

#include <QAbstractButton>
#include <QButtonGroup>
#include <QStackedWidget>

#include <gtest/gtest.h>

using InspectorSupport::type;

TEST(InspectorFramework, EveryKeySwitchesAndEachPanelLoadsOnce)
{
    auto m = InspectorSupport::controller();
    ScriptedAlerts alerts;
    // With a buffer, so the buffer panels have something to show.
    InspectorSupport::addBuffers(*m, InspectorSupport::openCurrent(*m), 1);
    UserDefaults& defaults = UserDefaults::standard();

    QHash<QString, InspectorPanel*> made;
    InspectorPanel* madeLast = nullptr;
    for (int round = 0; round < 2; ++round) {
        for (const QString& key : Manager::inspectorKeys()) {
            SCOPED_TRACE(key.toStdString());
            m->switchInspector(key);
            EXPECT_EQ(m->selectedInspector(), key);
            EXPECT_TRUE(m->II.value(key)->isChecked());
            EXPECT_EQ(defaults.stringForKey(QStringLiteral("LastInspector")), key);
            // Exactly the key's view is on show.
            EXPECT_EQ(m->inspectorFrame->currentWidget(), m->TV.value(key));
            // Without a text box the text panel has nothing to show.
            EXPECT_EQ(m->noinspector->isHidden(), key != QStringLiteral("text"));
            if (InspectorPanel* panel = m->IM.value(key)) {
                if (!made.contains(key)) {
                    made.insert(key, panel);
                    madeLast = panel;
                }
                EXPECT_EQ(panel, made.value(key)); // never made twice
                EXPECT_EQ(m->TV.value(key), panel->view());
            } else {
                EXPECT_EQ(m->TV.value(key), m->emptyInspector);
            }
        }
    }
    EXPECT_TRUE(made.contains(QStringLiteral("general")));
    // The panel made last announced itself last.
    EXPECT_EQ(m->inspectorManager, madeLast);
}

TEST(InspectorFramework, TheGeneralPanelFollowsEveryReplot)
{
    InspectorSupport::GeneralFixture f;
    auto& m = f.m;
    VexaDocument& d = f.d;
    GeneralManager* panel = f.panel;
    ASSERT_NE(panel, nullptr);
    EXPECT_EQ(panel->ui().marginLeft->text(), QStringLiteral("80"));

    // A change made elsewhere (a macro, say) shows after the replot.
    d.page.marginleft = 12.5;
    d.page.framewidth = 3.75;
    d.page.framestyle = 2;
    d.page.drawmargin = 0;
    d.replot();
    EXPECT_EQ(panel->ui().marginLeft->text(), QStringLiteral("12.5"));
    EXPECT_EQ(panel->ui().frameWidth->text(), QStringLiteral("3.8"));
    EXPECT_EQ(panel->frameStyle->checkedId(), 2);
    EXPECT_FALSE(panel->ui().drawMargin->isChecked());

    // Leaving a field whose text the refresh set writes nothing back: the
    // half point stays.
    emit panel->ui().marginLeft->editingFinished();
    emit panel->ui().frameWidth->editingFinished();
    EXPECT_EQ(d.page.marginleft, 12.5);
    EXPECT_EQ(d.page.framewidth, 3.75);

    // Another document becomes current: the panel shows it.
    VexaDocument& other = InspectorSupport::openCurrent(*m);
    other.page.marginleft = 33;
    other.replot();
    EXPECT_EQ(panel->ui().marginLeft->text(), QStringLiteral("33"));
    EXPECT_EQ(panel->PD, &other);

    // A panel that is not on show is not refreshed.
    m->switchInspector(QStringLiteral("normalize"));
    other.page.marginleft = 44;
    other.replot();
    EXPECT_EQ(panel->ui().marginLeft->text(), QStringLiteral("33"));
    m->switchInspector(QStringLiteral("general"));
    EXPECT_EQ(panel->ui().marginLeft->text(), QStringLiteral("44"));

    // Sent from outside with no control (as the graph does), the panel
    // applies nothing and refreshes through the replot.
    other.page.marginleft = 21;
    InspectorPanel* asSeen = m->IM.value(QStringLiteral("general"));
    asSeen->didChange(nullptr);
    EXPECT_EQ(panel->ui().marginLeft->text(), QStringLiteral("21"));
    EXPECT_EQ(other.page.marginleft, 21);
}

TEST(InspectorFramework, WithoutADocumentThePanelMakesWayAndChangesNothing)
{
    InspectorSupport::GeneralFixture f;
    auto& m = f.m;
    VexaDocument& d = f.d;
    GeneralManager* panel = f.panel;
    ASSERT_NE(panel, nullptr);
    EXPECT_TRUE(m->noinspector->isHidden());

    Manager::windowOf(&d)->close();
    ASSERT_EQ(m->PD, nullptr);
    EXPECT_FALSE(m->noinspector->isHidden());
    EXPECT_TRUE(m->inspectorFrame->isHidden());
    // Typing into the hidden panel reaches no document (and does not crash
    // on the closed one).
    type(panel->ui().marginLeft, QStringLiteral("5"));
    panel->didChange(panel->margins);

    // A switch shows the frame (to a panel that is never refreshed: the
    // others make way again at once); the next document keeps it shown.
    m->switchInspector(QStringLiteral("normalize"));
    EXPECT_TRUE(m->noinspector->isHidden());
    InspectorSupport::openCurrent(*m);
    m->switchInspector(QStringLiteral("general"));
    EXPECT_TRUE(m->noinspector->isHidden());
    EXPECT_EQ(panel->ui().marginLeft->text(), QStringLiteral("80"));
}
