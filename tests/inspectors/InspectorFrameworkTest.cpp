// Switching panels, loading each once, the stored "LastInspector", the
// refresh after every replot, and refreshes that never write back.

#include "InspectorSupport.h"

#include "app/InspectorHost.h"
#include "app/InspectorPanel.h"
#include "inspectors/GeneralManager.h"
#include "platform/Alert.h"
#include "platform/UserDefaults.h"

#include "ui_general.h"

#include <QAbstractButton>
#include <QApplication>
#include <QButtonGroup>
#include <QComboBox>
#include <QKeyEvent>
#include <QLabel>
#include <QPlainTextEdit>
#include <QSpinBox>
#include <QStackedWidget>
#include <QTableView>

#include <gtest/gtest.h>

#include <functional>

using InspectorSupport::type;

TEST(InspectorFramework, EveryKeyShowsItsOwnPanelAndKeepsIt)
{
    auto m = InspectorSupport::controller();
    ScriptedAlerts alerts;
    // With a buffer, so the buffer panels have something to show.
    InspectorSupport::addBuffers(*m, InspectorSupport::openCurrent(*m), 1);
    UserDefaults& defaults = UserDefaults::standard();

    // What each key showed the first time: the same panel, with what was
    // typed into it, comes back on every later switch.
    QHash<QString, QWidget*> shown;
    for (int round = 0; round < 2; ++round) {
        for (const QString& key : InspectorHost::keys()) {
            SCOPED_TRACE(key.toStdString());
            m->switchInspector(key);
            EXPECT_EQ(m->inspectors().selectedKey(), key);
            EXPECT_TRUE(m->inspectors().button(key)->isChecked());
            for (const QString& other : InspectorHost::keys())
                EXPECT_EQ(m->inspectors().button(other)->isChecked(), other == key) << other.toStdString();
            EXPECT_EQ(defaults.stringForKey(QStringLiteral("LastInspector")), key);
            // Without a text box the text panel has nothing to show.
            EXPECT_EQ(m->inspectors().missingNote()->isHidden(), key != QStringLiteral("text"));
            QWidget* onShow = m->inspectors().frame()->currentWidget();
            ASSERT_NE(onShow, nullptr);
            // Every key has a panel of its own: controls, not the placeholder.
            EXPECT_NE(onShow, m->inspectors().placeholder());
            EXPECT_FALSE(onShow->findChildren<QWidget*>().isEmpty());
            for (auto it = shown.cbegin(); it != shown.cend(); ++it) {
                if (it.key() != key) {
                    EXPECT_NE(onShow, it.value()) << it.key().toStdString();
                }
            }
            if (round == 0) {
                shown.insert(key, onShow);
                // A mark left in the panel, to find it again.
                onShow->setProperty("seen", key);
            } else {
                EXPECT_EQ(onShow, shown.value(key)); // never made twice
                EXPECT_EQ(onShow->property("seen").toString(), key);
            }
        }
    }
    EXPECT_EQ(shown.size(), qsizetype(InspectorHost::count));

    // A text that is no key changes nothing.
    m->switchInspector(QStringLiteral("nosuchpanel"));
    EXPECT_EQ(m->inspectors().selectedKey(), InspectorHost::keys().last());
    EXPECT_EQ(defaults.stringForKey(QStringLiteral("LastInspector")), InspectorHost::keys().last());
}

TEST(InspectorFramework, KeysTypedIntoAnEditableControlBelongToIt)
{
    auto m = InspectorSupport::controller();
    ScriptedAlerts alerts;
    VexaDocument& d = InspectorSupport::openCurrent(*m);
    InspectorSupport::addBuffers(*m, d, 1);
    m->showInspector();
    m->selectMouseMode(QStringLiteral("normy"));
    QWidget* macros = m->dataPanes().MacroView;
    QTableView* points = m->dataPanes().dataTable;

    auto key = [](QWidget* w, int code, const QString& text) {
        QKeyEvent press(QEvent::KeyPress, code, Qt::NoModifier, text);
        QApplication::sendEvent(w, &press);
        QKeyEvent release(QEvent::KeyRelease, code, Qt::NoModifier, text);
        QApplication::sendEvent(w, &release);
    };
    // Each kind of control a panel or pane has, with the panel or pane it
    // is on.
    const struct {
        const char* what;
        const char* panel;
        const char* pane;
        std::function<QWidget*()> control;
    } controls[] = {
        {"a field", "calc", "databuffer",
         [&] {
             return m->inspectors().frame()->currentWidget()->findChild<QLineEdit*>(QStringLiteral("fexpr"));
         }},
        {"a spin box", "graphic", "databuffer",
         [&] {
             return m->inspectors().frame()->currentWidget()->findChild<QSpinBox*>(QStringLiteral("dash"));
         }},
        {"the macro's shortcut box", "axis", "macro",
         [&] { return macros->findChild<QComboBox*>(QStringLiteral("ma_shortcut")); }},
        {"the macro's source", "legend", "macro",
         [&] { return macros->findChild<QPlainTextEdit*>(QStringLiteral("ma_src")); }},
        {"a table's editor", "general", "data",
         [&] {
             const QModelIndex cell = points->model()->index(0, 1);
             points->setCurrentIndex(cell);
             points->edit(cell);
             return points->viewport()->findChild<QLineEdit*>();
         }},
    };
    const struct {
        int code;
        const char* text;
    } others[] = {{Qt::Key_Return, "\r"},
                  {Qt::Key_Enter, "\r"},
                  {Qt::Key_Escape, "\x1b"},
                  {Qt::Key_1, "1"},
                  {Qt::Key_Minus, "-"}};
    for (const auto& c : controls) {
        SCOPED_TRACE(c.what);
        m->switchInspector(QLatin1String(c.panel));
        m->switchDataView(QLatin1String(c.pane));
        QWidget* control = c.control();
        ASSERT_NE(control, nullptr);
        control->setFocus();
        // A letter stays in the control, and so does any other key.
        key(control, Qt::Key_M, QStringLiteral("m"));
        EXPECT_EQ(m->mouseModeTitle(), QStringLiteral("normy"));
        EXPECT_EQ(m->inspectors().selectedKey(), QLatin1String(c.panel));
        for (const auto& k : others) {
            key(control, k.code, QLatin1String(k.text));
            EXPECT_EQ(m->mouseModeTitle(), QStringLiteral("normy")) << k.code;
            EXPECT_EQ(m->inspectors().selectedKey(), QLatin1String(c.panel)) << k.code;
        }
    }
    // The shortcut box took its letter.
    EXPECT_EQ(macros->findChild<QComboBox*>(QStringLiteral("ma_shortcut"))->currentText(),
              QStringLiteral("m"));

    // A letter typed where nothing takes typing still picks its tool.
    if (QWidget* focus = m->inspector->focusWidget())
        focus->clearFocus();
    key(m->inspector, Qt::Key_M, QStringLiteral("m"));
    EXPECT_EQ(m->mouseModeTitle(), QStringLiteral("measure"));
}

TEST(InspectorFramework, APanelWithNothingToShowSaysWhatIsMissing)
{
    auto m = InspectorSupport::controller();
    ScriptedAlerts alerts;
    auto* none = qobject_cast<QLabel*>(m->inspectors().missingNote());
    ASSERT_NE(none, nullptr);
    m->switchInspector(QStringLiteral("style"));
    EXPECT_FALSE(none->isHidden());
    EXPECT_EQ(none->text(), QStringLiteral("No Document"));
    // A document, but no buffer in it.
    VexaDocument& d = InspectorSupport::openCurrent(*m);
    m->update();
    EXPECT_FALSE(none->isHidden());
    EXPECT_EQ(none->text(), QStringLiteral("No Buffer"));
    InspectorSupport::addBuffers(*m, d, 1);
    EXPECT_TRUE(none->isHidden());
    m->setCurrentDoc(nullptr, nullptr);
    m->update();
    EXPECT_EQ(none->text(), QStringLiteral("No Document"));
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
    // An edit goes to the document on show, not to the one shown before.
    type(panel->ui().marginLeft, QStringLiteral("34"));
    EXPECT_EQ(other.page.marginleft, 34);
    EXPECT_EQ(d.page.marginleft, 12.5);
    other.page.marginleft = 33;
    other.replot();

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
    InspectorPanel* asSeen = m->inspectors().panel(QStringLiteral("general"));
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
    EXPECT_TRUE(m->inspectors().missingNote()->isHidden());

    Manager::windowOf(&d)->close();
    ASSERT_EQ(m->PD, nullptr);
    EXPECT_FALSE(m->inspectors().missingNote()->isHidden());
    EXPECT_TRUE(m->inspectors().frame()->isHidden());
    // Typing into the hidden panel reaches no document (and does not crash
    // on the closed one).
    type(panel->ui().marginLeft, QStringLiteral("5"));
    panel->didChange(panel->margins);

    // A switch shows the frame (to a panel that is never refreshed: the
    // others make way again at once); the next document keeps it shown.
    m->switchInspector(QStringLiteral("normalize"));
    EXPECT_TRUE(m->inspectors().missingNote()->isHidden());
    InspectorSupport::openCurrent(*m);
    m->switchInspector(QStringLiteral("general"));
    EXPECT_TRUE(m->inspectors().missingNote()->isHidden());
    EXPECT_EQ(panel->ui().marginLeft->text(), QStringLiteral("80"));
}
