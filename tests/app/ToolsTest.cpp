// The tool palette (keys, tooltips, keys typed into the inspector window) and
// the value read-outs with their variables on linear, logarithmic and time
// axes, and the picks of the reference and background tools.

#include "app/ApplicationController.h"
#include "app/DocumentWindowQt.h"
#include "app/InspectorHost.h"
#include "app/InspectorPanel.h"
#include "app/KeyCatchPanel.h"
#include "app/Manager.h"
#include "app/PreferencesWindow.h"
#include "model/DocumentItems.h"
#include "model/VexaDocument.h"
#include "platform/Alert.h"
#include "support/TestSupport.h"
#include "view/VexaView.h"

#include <QAbstractButton>
#include <QApplication>
#include <QButtonGroup>
#include <QCoreApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMainWindow>
#include <QRadioButton>
#include <QVBoxLayout>
#include <QWidget>

#include <gtest/gtest.h>

#include <memory>

namespace {

class FakeText : public TextBoxItem {
public:
    void doAutoPos() override { }
    void setNeedsDisplay() override { }
};

// The outlets of the normalize panel that the tools fill.
class NormalizeStandIn : public InspectorPanel {
public:
    NormalizeStandIn()
            : view_(new QWidget)
    {
        auto* l = new QVBoxLayout(view_);
        for (const char* name : {"ref1", "ref2", "linbga", "linbgb"}) {
            auto* f = new QLineEdit;
            f->setObjectName(QLatin1String(name));
            l->addWidget(f);
        }
        axis = new QButtonGroup(view_);
        axis->setObjectName(QStringLiteral("axis"));
        for (int tag : {0, 1}) {
            auto* b = new QRadioButton;
            l->addWidget(b);
            axis->addButton(b, tag);
        }
        axis->button(1)->setChecked(true);
    }
    QWidget* view() override { return view_; }
    void setup() override { }
    void update() override { }
    QString text(const char* name) const { return view_->findChild<QLineEdit*>(QLatin1String(name))->text(); }
    QButtonGroup* axis = nullptr;

private:
    QWidget* view_;
};

// A hidden window whose plot area is laid out; X1 and Y1 run 0..100, X2
// and Y2 1..1000.
VexaDocument& openPlot(Manager& m, VexaView*& view)
{
    DocumentWindowQt* w = m.openDocument(std::make_unique<VexaDocument>(), false);
    VexaDocument& d = w->document();
    d.xmin1 = d.ymin1 = 0;
    d.xmax1 = d.ymax1 = 100;
    d.xmin2 = d.ymin2 = 1;
    d.xmax2 = d.ymax2 = 1000;
    view = dynamic_cast<VexaView*>(d.PV);
    view->setFrameSize(QSizeF(490, 390)); // a plot area of 400 x 300
    view->resize();
    m.setCurrentDoc(&d, &d);
    return d;
}

} // namespace

TEST(Tools, KeysAndTooltipsOfThePalette)
{
    // clang-format off
    const struct {
        char key;
        const char* tool;
        const char* tip;
    } rows[] = {
        {'s', "select",    "Select Tool (s)"},
        {'r', "range",     "Range Tool, Pane and resize the plot (r)"},
        {'z', "zoom",      "Zoom to the selected rectangle (z)"},
        {'u', "upscale",   "Zoom out selected point (u)"},
        {'d', "downscale", "Zoom in selected point (d)"},
        {'m', "measure",   "Measure points and the distance between two points (m)"},
        {'b', "normy",     "Select Y reference values (b)"},
        {'n', "normx",     "Select X reference values (n)"},
        {'y', "movey",     "Move selected buffers in Y direction (y)"},
        {'x', "movex",     "Move selected buffers in X direction (x)"},
        {'q', "movexy",    "Move selected buffers (q)"},
        {'p', "movepoint", "Move single data points (p)"},
        {'w', "bgsub",     "Define background for linear background substraction (w)"},
        {'h', "subview",   "Create a new subview (h)"},
        {'j', "chsubview", "Move and resize a subview (j)"},
        {'l', "legend",    "Move legend (l)"},
        {'g', "graphic",   "Graphic object tool (g)"},
        {'t', "text",      "Text object tool (t)"},
    };
    // clang-format on
    Manager m;
    ScriptedAlerts alerts;
    DocumentWindowQt* w = m.openDocument(std::make_unique<VexaDocument>(), false);
    ASSERT_EQ(std::size(rows), std::size_t(ApplicationController::mouseModeNames().size()));
    for (const auto& r : rows) {
        SCOPED_TRACE(r.tool);
        const QString tool = QLatin1String(r.tool);
        ASSERT_TRUE(m.MM.contains(tool));
        EXPECT_EQ(m.MM.value(tool)->toolTip(), QLatin1String(r.tip));
        EXPECT_EQ(w->MM.value(tool)->toolTip(), QLatin1String(r.tip));
        m.getShortcut(r.key);
        EXPECT_EQ(m.mouseModeTitle(), tool);
        EXPECT_EQ(w->selectedToolTitle(), tool); // the windows follow
    }
}

TEST(Tools, KeysTypedInTheInspectorWindowPickTools)
{
    Manager m;
    ScriptedAlerts alerts;
    VexaView* view = nullptr;
    VexaDocument& d = openPlot(m, view);
    (void)d;
    FakeText text;

    auto type = [&](Qt::Key key, const QString& characters, Qt::KeyboardModifiers mods = Qt::NoModifier) {
        QKeyEvent press(QEvent::KeyPress, key, mods, characters);
        QApplication::sendEvent(m.inspector, &press);
    };
    // Capitals fold to lower case; a digit or Return is no tool key and
    // changes nothing, not even the current text box; Ctrl+letter belongs to
    // the menus.
    type(Qt::Key_Z, QStringLiteral("Z"), Qt::ShiftModifier);
    EXPECT_EQ(m.mouseModeTitle(), QStringLiteral("zoom"));
    type(Qt::Key_M, QStringLiteral("m"));
    EXPECT_EQ(m.mouseModeTitle(), QStringLiteral("measure"));
    m.setCurrentText(&text);
    ASSERT_EQ(m.T, &text);
    type(Qt::Key_1, QStringLiteral("1"));
    type(Qt::Key_Return, QStringLiteral("\r"));
    EXPECT_EQ(m.mouseModeTitle(), QStringLiteral("measure"));
    EXPECT_EQ(m.T, &text);
    type(Qt::Key_S, QStringLiteral("s"), Qt::ControlModifier);
    EXPECT_EQ(m.mouseModeTitle(), QStringLiteral("measure"));

    const struct {
        QString text;
        int character;
    } folds[]
        = {{"Z", 'z'}, {"a", 'a'}, {"1", -1}, {"\r", -1}, {"@", -1}, {"[", -1}, {"\u00e9", -1}, {"", -1}};
    for (const auto& f : folds)
        EXPECT_EQ(KeyCatchPanel::toolCharacter(f.text), f.character) << f.text.toStdString();
}

TEST(Tools, ReadoutsAndVariablesOnLinearLogAndTimeAxes)
{
    TestSupport::PinnedTimeZone zone(QStringLiteral("UTC"));
    Manager m;
    ScriptedAlerts alerts;
    VexaView* view = nullptr;
    VexaDocument& d = openPlot(m, view);
    d.axes[AxisX2].axismode = d.axes[AxisY2].axismode = AxisLog;
    const double L = view->left, B = view->bottom, W = view->width, H = view->height;

    // A quarter across and half up, measured from the plot's corner.
    const QPointF p(L + W / 4, B + H / 2);
    const QPointF q(L, B);
    m.showValues(p, q);
    // The read-outs of the inspector window, by name.
    auto readout = [&m](const char* name) { return m.inspector->findChild<QLineEdit*>(QLatin1String(name)); };
    // The fields are made when the inspector window is first shown (a
    // headless run never makes them, however often its event loop turns);
    // the variables are there before.
    QCoreApplication::processEvents();
    EXPECT_EQ(readout("x1val"), nullptr);
    EXPECT_DOUBLE_EQ(m.GV.value("xpos1"), 25);
    m.inspector->show();
    ASSERT_NE(readout("x1val"), nullptr);
    EXPECT_EQ(readout("x1val")->text(), QStringLiteral("25"));
    EXPECT_EQ(readout("y1val")->text(), QStringLiteral("50"));
    EXPECT_EQ(readout("dx1val")->text(), QStringLiteral("25"));
    EXPECT_EQ(readout("dy1val")->text(), QStringLiteral("50"));
    EXPECT_DOUBLE_EQ(m.GV.value("xpos1"), 25);
    EXPECT_DOUBLE_EQ(m.GV.value("ypos1"), 50);
    EXPECT_DOUBLE_EQ(m.GV.value("dx1"), 25);
    EXPECT_DOUBLE_EQ(m.GV.value("dy1"), 50);
    // Log axes 1..1000: a quarter of three decades, half of three decades.
    EXPECT_NEAR(m.GV.value("xpos2"), std::pow(10.0, 0.75), 1e-9);
    EXPECT_NEAR(m.GV.value("ypos2"), std::pow(10.0, 1.5), 1e-9);
    EXPECT_NEAR(m.GV.value("dx2"), std::pow(10.0, 0.75) - 1, 1e-9);
    EXPECT_FALSE(readout("x2val")->text().isEmpty());

    // One point empties the distances and zeroes their variables.
    m.showValues(p);
    EXPECT_TRUE(readout("dx1val")->text().isEmpty());
    EXPECT_TRUE(readout("dy2val")->text().isEmpty());
    EXPECT_EQ(m.GV.value("dx1"), 0);
    EXPECT_EQ(m.GV.value("dy2"), 0);

    // The measure tool reads 15 left of and 15 above the pointer; its
    // distances do not change, both points moving alike.
    m.showValuesMeasure(QPointF(p.x() + 15, p.y() - 15), QPointF(q.x() + 15, q.y() - 15));
    EXPECT_EQ(readout("x1val")->text(), QStringLiteral("25"));
    EXPECT_EQ(readout("dy1val")->text(), QStringLiteral("50"));

    // Time on X1: 2001-01-02 at the left edge, and three days along the
    // axis. The variables hold seconds, not the year of the date text.
    d.axes[AxisX1].axismode = AxisTime;
    d.xmin1 = 86400;
    d.xmax1 = 86400 + 4 * 86400;
    m.preferencesWindow().dialog();
    m.preferencesWindow().timeFormatField()->setText(QStringLiteral("%Y-%m-%d %H:%M:%S"));
    m.showValues(QPointF(L + W * 0.75, B), q);
    EXPECT_EQ(readout("x1val")->text(), QStringLiteral("2001-01-05 00:00:00"));
    EXPECT_EQ(readout("dx1val")->text(), QStringLiteral("3:00:00:00"));
    EXPECT_DOUBLE_EQ(m.GV.value("xpos1"), 4 * 86400.0);
    EXPECT_DOUBLE_EQ(m.GV.value("dx1"), 3 * 86400.0);

    // Without a document every field is empty; the variables stay.
    m.setCurrentDoc(nullptr, nullptr);
    m.showValues(p, q);
    for (const char* name : {"x1val", "y1val", "dx1val", "dy1val", "x2val", "y2val", "dx2val", "dy2val"})
        EXPECT_TRUE(readout(name)->text().isEmpty()) << name;
    EXPECT_DOUBLE_EQ(m.GV.value("xpos1"), 4 * 86400.0);
    EXPECT_TRUE(m.getValue(0, AxisLinear, 10).isEmpty());
    EXPECT_TRUE(m.getDValue(0, AxisTime, 10, 0).isEmpty());
}

TEST(Tools, DistancesOnATimeAxisFloorEachPart)
{
    Manager m;
    VexaView* view = nullptr;
    VexaDocument& d = openPlot(m, view);
    // One second per view point on X1.
    d.xmin1 = 0;
    d.xmax1 = view->width;
    const struct {
        double seconds;
        const char* text;
    } cases[] = {
        {86400 + 3600 + 60 + 1.7, "1:01:01:01"},
        {-30, "-1:23:59:30"},
        {59.99, "0:00:00:59"},
        {0, "0:00:00:00"},
        {-86400, "-1:00:00:00"},
        {400 * 86400.0, "400:00:00:00"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(m.getDValue(0, AxisTime, view->left + c.seconds, view->left), QLatin1String(c.text))
            << c.text;
    // Far beyond any calendar the distance reads as a number.
    d.xmax1 = view->width * 1e300;
    EXPECT_EQ(m.getDValue(0, AxisTime, view->left + 10, view->left),
              m.getDValue(0, AxisLinear, view->left + 10, view->left));
}

TEST(Tools, ReferencePicksAlternateAndTheBackgroundLineGoesToTheNormalizePanel)
{
    TestSupport::PinnedTimeZone zone(QStringLiteral("UTC"));
    Manager m;
    ScriptedAlerts alerts;
    NormalizeStandIn* panel = nullptr;
    m.inspectors().registerInspector(QStringLiteral("normalize"), [&](PanelContext&) {
        auto p = std::make_unique<NormalizeStandIn>();
        panel = p.get();
        return p;
    });
    VexaView* view = nullptr;
    VexaDocument& d = openPlot(m, view);

    // Never loaded: only the variables and the counter move.
    m.selectMouseMode(QStringLiteral("select"));
    m.setMouseLocation(3);
    EXPECT_EQ(m.GV.value("ref1"), 3);
    EXPECT_EQ(m.mpcount, 1);
    m.setMouseLocation(4);
    EXPECT_EQ(m.GV.value("ref2"), 4);
    EXPECT_EQ(m.mpcount, 0);
    EXPECT_EQ(panel, nullptr);

    // Choosing normx shows the panel with the x values chosen.
    m.getShortcut('n');
    ASSERT_NE(panel, nullptr);
    EXPECT_EQ(m.inspectors().selectedKey(), QStringLiteral("normalize"));
    EXPECT_EQ(panel->axis->checkedId(), 0);
    m.setMouseLocation(1.5);
    m.setMouseLocation(2.5);
    m.setMouseLocation(7);
    EXPECT_EQ(panel->text("ref1"), QStringLiteral("7"));
    EXPECT_EQ(panel->text("ref2"), QStringLiteral("2.5"));
    EXPECT_EQ(m.GV.value("ref1"), 7);
    EXPECT_EQ(m.GV.value("ref2"), 2.5);

    // normy on pair 2 with a time axis there: the reference shows as a date.
    m.setMouseLocation(0); // back to reference 1 next
    d.axes[AxisY2].axismode = AxisTime;
    m.di_axis12->button(Pair2)->setChecked(true);
    m.getShortcut('b');
    EXPECT_EQ(panel->axis->checkedId(), 1);
    m.setMouseLocation(3600);
    EXPECT_EQ(panel->text("ref1"), QStringLiteral("2001-01-01 01:00:00"));
    EXPECT_EQ(m.GV.value("ref1"), 3600);

    // The background line.
    m.switchInspector(QStringLiteral("general"));
    m.setLinBg(-0.5, 12.25);
    EXPECT_EQ(m.inspectors().selectedKey(), QStringLiteral("normalize"));
    EXPECT_EQ(panel->text("linbga"), QStringLiteral("-0.5"));
    EXPECT_EQ(panel->text("linbgb"), QStringLiteral("12.25"));
    EXPECT_EQ(m.GV.value("linbga"), -0.5);
    EXPECT_EQ(m.GV.value("linbgb"), 12.25);
}
