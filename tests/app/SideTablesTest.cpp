// The side tables: what the buffer list and the point table show, what
// typing into them does, the toggles, the Delete key, and where editing goes
// on after Return, Tab and Backtab.

#include "AppFixtures.h"
#include "app/AxisLabelTableView.h"
#include "app/DataBufferTableView.h"
#include "app/DataTableView.h"
#include "app/InspectorHost.h"
#include "app/InspectorPanel.h"
#include "app/Manager.h"
#include "app/PanelOutlets.h"
#include "model/DataBuffer.h"
#include "model/VexaDocument.h"
#include "platform/Alert.h"

#include <QApplication>
#include <QButtonGroup>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLineEdit>
#include <QRadioButton>
#include <QVBoxLayout>

#include <gtest/gtest.h>

#include <functional>

namespace {

std::unique_ptr<DataBuffer> buffer(int points, const QString& source = QString())
{
    auto b = std::make_unique<DataBuffer>();
    for (int i = 0; i < points; ++i)
        b->addDoubleValue(i, 10 * i);
    b->setSource(source);
    return b;
}

VexaDocument& openWith(Manager& m, std::vector<std::unique_ptr<DataBuffer>> buffers)
{
    auto d = std::make_unique<VexaDocument>();
    for (auto& b : buffers)
        d->DB.push_back(std::move(b));
    VexaDocument& doc = m.openDocument(std::move(d), false)->document();
    m.setCurrentDoc(&doc, &doc);
    return doc;
}

QString cell(QTableView* t, int row, int column)
{
    return t->model()->index(row, column).data().toString();
}

bool type(QTableView* t, int row, int column, const QString& text)
{
    return t->model()->setData(t->model()->index(row, column), text);
}

} // namespace

TEST(BufferList, RowsShowEachBuffer)
{
    Manager m;
    std::vector<std::unique_ptr<DataBuffer>> list;
    list.push_back(buffer(3, QStringLiteral("/data/run/scan.txt")));
    list.push_back(buffer(5, QStringLiteral("Function")));
    list.push_back(buffer(0));
    list[1]->show = 0;
    list[1]->style.freex = 1;
    list[1]->belongy = 2;
    list[1]->addError();
    list[2]->plotlegend = 0;
    VexaDocument& d = openWith(m, std::move(list));
    d.current = 1;
    m.update();
    QTableView* t = m.bufferTable();
    ASSERT_EQ(t->model()->rowCount(), 3);
    const QStringList titles = {"", "X", "Y", "L", "E", "No", "Points", "Source", "Comment"};
    for (int c = 0; c < titles.size(); ++c)
        EXPECT_EQ(t->model()->headerData(c, Qt::Horizontal).toString(), titles[c]);
    // clang-format off
    const QStringList rows[] = {
        {"",  "1", "1", "✔", "",  "0", "3", "scan.txt", ""},
        {"➽", "∞", "2", "✔", "✔", "1", "5", "Function", ""},
        {"",  "1", "1", "",  "",  "2", "0", "",         ""},
    };
    // clang-format on
    for (int r = 0; r < 3; ++r)
        for (int c = 0; c < titles.size(); ++c)
            EXPECT_EQ(cell(t, r, c), rows[r][c]) << r << "," << c;
    // The hidden buffer's row is faint, the others keep the view's colour.
    const QVariant faint = t->model()->index(1, 5).data(Qt::ForegroundRole);
    ASSERT_TRUE(faint.canConvert<QColor>());
    EXPECT_NEAR(faint.value<QColor>().alphaF(), 0.4, 0.01);
    EXPECT_FALSE(t->model()->index(0, 5).data(Qt::ForegroundRole).isValid());
}

TEST(BufferList, EditsAndToggles)
{
    Manager m;
    std::vector<std::unique_ptr<DataBuffer>> list;
    list.push_back(buffer(2, QStringLiteral("/data/a.txt")));
    list.push_back(buffer(2));
    VexaDocument& d = openWith(m, std::move(list));
    DataBufferTableView* t = m.bufferTable();

    // Editing a source starts from the whole path, so confirming it keeps it.
    EXPECT_EQ(t->model()->index(0, 7).data(Qt::EditRole).toString(), QStringLiteral("/data/a.txt"));
    EXPECT_TRUE(type(t, 0, 8, QStringLiteral("baseline")));
    EXPECT_EQ(d.DB[0]->comment, QStringLiteral("baseline"));
    EXPECT_TRUE(type(t, 0, 7, QStringLiteral("/x/b.dat")));
    EXPECT_EQ(cell(t, 0, 7), QStringLiteral("b.dat"));
    EXPECT_FALSE(type(t, 0, 5, QStringLiteral("9"))); // No does not take edits
    // While documents are switched no edit lands.
    m.noedit = 1;
    EXPECT_FALSE(type(t, 1, 8, QStringLiteral("lost")));
    m.noedit = 0;
    EXPECT_TRUE(d.DB[1]->comment.isEmpty());

    // Double-clicks by column.
    d.DB[1]->style.freex = 1;
    m.update();
    t->doubleClick(t->model()->index(1, 1)); // free axis ends, pair stays
    EXPECT_EQ(cell(t, 1, 1), QStringLiteral("1"));
    t->doubleClick(t->model()->index(1, 1));
    EXPECT_EQ(d.DB[1]->belongx, 2);
    t->doubleClick(t->model()->index(1, 2));
    EXPECT_EQ(d.DB[1]->belongy, 2);
    t->doubleClick(t->model()->index(1, 3));
    EXPECT_EQ(d.DB[1]->plotlegend, 0);
    t->doubleClick(t->model()->index(1, 6));
    EXPECT_EQ(d.DB[1]->show, 0);
    t->doubleClick(t->model()->index(1, 8)); // the comment edits instead
    EXPECT_EQ(d.DB[1]->show, 0);
    t->doubleClick(t->model()->index(1, 0));
    EXPECT_EQ(d.current, 1);
    EXPECT_EQ(cell(t, 1, 0), QStringLiteral("➽"));
    // Rows outside the list change nothing; a current row outside is row 0.
    m.toggleBuffer(7);
    m.toggleXBelong(-1);
    m.setCurrentBuffer(9);
    EXPECT_EQ(d.current, 0);
}

TEST(PointTable, RowsValuesAndDates)
{
    Manager m;
    ScriptedAlerts alerts;
    std::vector<std::unique_ptr<DataBuffer>> list;
    list.push_back(buffer(5));
    VexaDocument& d = openWith(m, std::move(list));
    AppFixtures::showPointTable(m);
    DataTableView* t = m.pointTable();
    DataBuffer& b = *d.DB[0];
    ASSERT_EQ(t->model()->rowCount(), 6);
    EXPECT_EQ(cell(t, 5, 0), QStringLiteral("add"));
    EXPECT_EQ(cell(t, 2, 2), QStringLiteral("20"));
    EXPECT_TRUE(cell(t, 2, 3).isEmpty()); // no error columns

    // Typed numbers, either decimal mark; the "add" row appends.
    struct Case {
        int row, column;
        const char* text;
        double x, y, ex, ey; // point `row` afterwards (the new one for "add")
    };
    // clang-format off
    const Case cases[] = {
        {1, 1, "1,5",   1.5, 10, 0, 0},
        {1, 2, "-2.25", 1.5, -2.25, 0, 0},
        {5, 1, "3",     3, 0, 0, 0},       // add row: (3, 0)
        {6, 2, "7e2",   0, 700, 0, 0},     // add row again: (0, 700)
        {0, 4, "0.5",   0, 0, 0, 0.5},     // errors made with zeros first
    };
    // clang-format on
    for (const Case& c : cases) {
        EXPECT_TRUE(type(t, c.row, c.column, QLatin1String(c.text))) << c.text;
        EXPECT_DOUBLE_EQ(b.xDoubleValueAt(c.row), c.x) << c.text;
        EXPECT_DOUBLE_EQ(b.yDoubleValueAt(c.row), c.y) << c.text;
        EXPECT_DOUBLE_EQ(b.xDoubleErrorAt(c.row), c.ex) << c.text;
        EXPECT_DOUBLE_EQ(b.yDoubleErrorAt(c.row), c.ey) << c.text;
    }
    EXPECT_EQ(b.nop(), 7);
    EXPECT_EQ(t->model()->rowCount(), 8);
    EXPECT_TRUE(alerts.requests().empty());

    // Refused: a text without a number, a text left as shown (its rounding
    // must not replace the value), an empty one.
    b.setYDoubleValueAt(2, 1.0 / 3.0);
    m.update();
    EXPECT_FALSE(type(t, 2, 2, QStringLiteral("abc")));
    EXPECT_EQ(alerts.requests().size(), 1u);
    EXPECT_FALSE(type(t, 2, 2, cell(t, 2, 2)));
    EXPECT_FALSE(type(t, 2, 2, QString()));
    EXPECT_DOUBLE_EQ(b.yDoubleValueAt(2), 1.0 / 3.0);

    // Dates in the controller's format, shown back the same way.
    m.toggleDataViewX();
    EXPECT_TRUE(type(t, 4, 1, QStringLiteral("2001-01-01 00:00:00")));
    EXPECT_TRUE(type(t, 3, 1, QStringLiteral("2001-01-02 00:00:10")));
    // A day and ten seconds apart, in whatever zone the run has.
    const double expected = b.xDoubleValueAt(4) + 86410;
    EXPECT_DOUBLE_EQ(b.xDoubleValueAt(3), expected);
    EXPECT_EQ(cell(t, 3, 1), QStringLiteral("2001-01-02 00:00:10"));
    // A date that does not fit is refused with a message, not stored as 2001.
    for (const char* wrong : {"2001-13-02 00:00:10", "yesterday", "2001-01-02"}) {
        EXPECT_FALSE(type(t, 3, 1, QLatin1String(wrong))) << wrong;
        EXPECT_DOUBLE_EQ(b.xDoubleValueAt(3), expected) << wrong;
    }
    EXPECT_EQ(alerts.requests().size(), 4u);
    m.toggleDataViewX();
    EXPECT_EQ(cell(t, 1, 1), QStringLiteral("1.5"));

    // No buffers: no rows at all.
    d.DB.clear();
    m.update();
    EXPECT_EQ(t->model()->rowCount(), 0);
}

TEST(PointTable, DeleteKeyDeletesTheSelectedPointsOnly)
{
    Manager m;
    std::vector<std::unique_ptr<DataBuffer>> list;
    list.push_back(buffer(4));
    VexaDocument& d = openWith(m, std::move(list));
    AppFixtures::showPointTable(m);
    DataTableView* t = m.pointTable();
    auto* sel = t->selectionModel();
    for (int row : {1, 3, 4}) // 4 is the "add" row
        sel->select(t->model()->index(row, 0), QItemSelectionModel::Select | QItemSelectionModel::Rows);
    QKeyEvent del(QEvent::KeyPress, Qt::Key_Delete, Qt::NoModifier);
    QApplication::sendEvent(t, &del);
    ASSERT_EQ(d.DB[0]->nop(), 2);
    EXPECT_DOUBLE_EQ(d.DB[0]->xDoubleValueAt(1), 2);
    EXPECT_TRUE(m.selectedPointRows().empty());
    EXPECT_EQ(t->model()->rowCount(), 3);
    // An empty selection deletes nothing.
    QApplication::sendEvent(t, &del);
    EXPECT_EQ(d.DB[0]->nop(), 2);
}

TEST(PointTable, WaitsWhileHiddenAndShowsTheCurrentPointsWhenShown)
{
    Manager m;
    std::vector<std::unique_ptr<DataBuffer>> list;
    list.push_back(buffer(3));
    VexaDocument& d = openWith(m, std::move(list));
    DataBuffer& b = *d.DB[0];
    QAbstractItemModel* rows = m.pointTable()->model();
    auto selected = [&m] { return m.selectedPointRows(); };
    EXPECT_EQ(rows->rowCount(), 0); // never shown: nothing taken in

    AppFixtures::showPointTable(m);
    ASSERT_EQ(rows->rowCount(), 4);
    m.pointTable()->selectRow(2);
    m.switchDataView(QStringLiteral("databuffer")); // the table hidden again

    // Each step changes the points while the table is hidden: rows taken
    // away go at once (with their selection), new rows wait.
    struct Step {
        const char* what;
        std::function<void()> change;
        int rowsHidden; // rows the hidden table has
        std::vector<int> selection; // selected rows afterwards
    };
    // clang-format off
    const Step steps[] = {
        {"points added", [&] { for (int i = 3; i < 6; ++i) b.addDoubleValue(i, 10 * i); }, 4, {2}},
        {"a value changed", [&] { b.setYDoubleValueAt(0, -7); }, 4, {2}},
        {"shrunk below the selection", [&] { b.deletePoints({1, 2, 3, 4, 5}); }, 2, {}},
        {"grown again", [&] { for (int i = 1; i < 5; ++i) b.addDoubleValue(i, 100 * i); }, 2, {}},
    };
    // clang-format on
    for (const Step& s : steps) {
        s.change();
        m.update();
        EXPECT_EQ(rows->rowCount(), s.rowsHidden) << s.what;
        EXPECT_EQ(selected(), s.selection) << s.what;
    }

    // Shown, it has every point as it is now.
    m.switchDataView(QStringLiteral("data"));
    ASSERT_EQ(rows->rowCount(), 6);
    EXPECT_EQ(cell(m.pointTable(), 0, 2), QStringLiteral("-7"));
    EXPECT_EQ(cell(m.pointTable(), 4, 2), QStringLiteral("400"));
    EXPECT_EQ(cell(m.pointTable(), 5, 0), QStringLiteral("add"));

    // A point picked on the graph while the table is hidden is selected
    // even when its row had not been taken in.
    m.switchDataView(QStringLiteral("databuffer"));
    b.addDoubleValue(8, 8);
    b.addDoubleValue(9, 9);
    m.update();
    m.selectPointRow(6);
    EXPECT_EQ(rows->rowCount(), 8);
    EXPECT_EQ(selected(), std::vector<int>{6});
}

TEST(SideTables, EditingMovesOn)
{
    Manager m;
    std::vector<std::unique_ptr<DataBuffer>> list;
    list.push_back(buffer(2));
    list.push_back(buffer(2));
    list.push_back(buffer(2));
    openWith(m, std::move(list));
    AppFixtures::showPointTable(m);
    using Mv = SideTableView::Movement;
    struct Case {
        SideTableView* table;
        int row, column;
        Mv movement;
        int toRow, toColumn; // -1: editing stops
    };
    // clang-format off
    const Case cases[] = {
        // point table: 2 points and "add", rows 0..2
        {m.pointTable(), 0, 1, Mv::Return, 0, 2},
        {m.pointTable(), 0, 2, Mv::Return, 1, 1},
        {m.pointTable(), 0, 4, Mv::Return, 1, 1},
        {m.pointTable(), 2, 2, Mv::Return, 2, 1},
        {m.pointTable(), 0, 3, Mv::Tab, 0, 4},
        {m.pointTable(), 0, 4, Mv::Tab, 1, 1},
        {m.pointTable(), 2, 4, Mv::Tab, -1, -1},
        {m.pointTable(), 1, 3, Mv::Backtab, 1, 2},
        {m.pointTable(), 1, 1, Mv::Backtab, 0, 4},
        {m.pointTable(), 0, 1, Mv::Backtab, 2, 4},
        // buffer list: only the comment column moves on
        {m.bufferTable(), 0, 8, Mv::Tab, 1, 8},
        {m.bufferTable(), 2, 8, Mv::Return, 0, 8},
        {m.bufferTable(), 0, 8, Mv::Backtab, 2, 8},
        {m.bufferTable(), 0, 7, Mv::Tab, -1, -1},
    };
    // clang-format on
    for (const Case& c : cases) {
        const std::optional<QModelIndex> next = c.table->nextEdit(c.row, c.column, c.movement);
        if (c.toRow < 0) {
            EXPECT_FALSE(next) << c.row << "," << c.column;
            continue;
        }
        ASSERT_TRUE(next) << c.row << "," << c.column;
        EXPECT_EQ(next->row(), c.toRow) << c.row << "," << c.column;
        EXPECT_EQ(next->column(), c.toColumn) << c.row << "," << c.column;
    }
}

TEST(PointTable, HeaderDoubleClickSwitchesToDates)
{
    Manager m;
    std::vector<std::unique_ptr<DataBuffer>> list;
    list.push_back(buffer(2));
    openWith(m, std::move(list));
    AppFixtures::showPointTable(m);
    emit m.pointTable()->horizontalHeader()->sectionDoubleClicked(2);
    EXPECT_EQ(m.dataViewYFormat, 1);
    EXPECT_EQ(m.dataViewXFormat, 0);
    EXPECT_TRUE(cell(m.pointTable(), 1, 2).contains(QLatin1Char('-')));
    emit m.pointTable()->horizontalHeader()->sectionDoubleClicked(0);
    EXPECT_EQ(m.dataViewXFormat, 0);
}

namespace {

// The axis-label panel as far as the table needs it: its axis selector.
class AxisChoicePanel : public InspectorPanel {
public:
    AxisChoicePanel()
            : view_(new QWidget)
    {
        auto* group = new QButtonGroup(view_);
        group->setObjectName(QStringLiteral("insAxisLabelsSel"));
        auto* layout = new QVBoxLayout(view_);
        for (int axis = 0; axis < 4; ++axis) {
            auto* b = new QRadioButton(view_);
            layout->addWidget(b);
            group->addButton(b, axis);
        }
        group->button(1)->setChecked(true);
    }
    QWidget* view() override { return view_; }
    void setup() override { }
    void update() override { }

private:
    QWidget* view_;
};

} // namespace

TEST(AxisLabelTable, KeysOfTheChosenAxisAndTheirReplacements)
{
    Manager m;
    std::vector<std::unique_ptr<DataBuffer>> list;
    VexaDocument& d = openWith(m, std::move(list));
    d.alabelindex[1] = QStringList{QStringLiteral("0"), QStringLiteral("5"), QStringLiteral("10")};
    d.axes[1].alabel.insert(QStringLiteral("5"), QStringLiteral("five"));
    std::unique_ptr<AxisLabelTableView> table(m.makeAxisLabelTable());
    m.update();
    EXPECT_EQ(table->model()->rowCount(), 0); // the panel is not loaded yet

    m.inspectors().registerInspector(QStringLiteral("axislabel"),
                                     [](PanelContext&) { return std::make_unique<AxisChoicePanel>(); });
    m.switchInspector(QStringLiteral("axislabel"));
    ASSERT_EQ(table->model()->rowCount(), 3);
    EXPECT_EQ(cell(table.get(), 1, 0), QStringLiteral("5"));
    EXPECT_EQ(cell(table.get(), 1, 1), QStringLiteral("five"));
    EXPECT_TRUE(type(table.get(), 2, 1, QStringLiteral("ten")));
    EXPECT_EQ(d.axes[1].alabel.value(QStringLiteral("10")), QStringLiteral("ten"));
    // An empty replacement removes the label; the key keeps its row.
    EXPECT_TRUE(type(table.get(), 1, 1, QString()));
    EXPECT_FALSE(d.axes[1].alabel.contains(QStringLiteral("5")));
    EXPECT_FALSE(type(table.get(), 0, 0, QStringLiteral("1"))); // keys are not edited
    m.update();
    EXPECT_EQ(table->model()->rowCount(), 3);
    // Another axis, another list.
    PanelOutlets::selectTag(m.inspectors().panel(QStringLiteral("axislabel")),
                            QStringLiteral("insAxisLabelsSel"), 0);
    m.update();
    EXPECT_EQ(table->model()->rowCount(), 0);
}
