// The inspector window and the menus of the controller.

#include "app/Manager.h"

#include "app/QueryEditor.h"

#include "app/BufferListModel.h"
#include "app/DataBufferTableView.h"
#include "app/DataTableView.h"
#include "app/DocumentWindowQt.h"
#include "app/HelpBrowser.h"
#include "app/InspectorHost.h"
#include "app/KeptWindowPlace.h"
#include "app/MacroEditor.h"
#include "app/MadeWhenShown.h"
#include "app/MenuHandOver.h"
#include "app/PointTableModel.h"
#include "app/PreferencesWindow.h"
#include "app/Selections.h"
#include "app/ValueReadouts.h"
#include "app/WindowPlacement.h"
#include "model/VexaDocument.h"
#include "platform/Alert.h"
#include "platform/UserDefaults.h"

#include <QAbstractItemView>
#include <QAction>
#include <QApplication>
#include <QButtonGroup>
#include <QCheckBox>
#include <QDesktopServices>
#include <QDialog>
#include <QFormLayout>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QLabel>
#include <QLineEdit>
#include <QMainWindow>
#include <QMenu>
#include <QMenuBar>
#include <QScreen>
#include <QScrollArea>
#include <QSignalBlocker>
#include <QSplitter>
#include <QStackedWidget>
#include <QTableView>
#include <QTextBrowser>
#include <QToolButton>
#include <QUrl>
#include <QVBoxLayout>

#include <algorithm>
#include <functional>
#include <utility>

namespace {

QToolButton* cellButton(const QString& title, QFont font)
{
    auto* b = new QToolButton;
    b->setText(title);
    b->setCheckable(true);
    b->setAutoRaise(true);
    b->setFocusPolicy(Qt::NoFocus);
    b->setFont(font);
    return b;
}

} // namespace

void Manager::buildInspectorWindow()
{
    inspector = new QMainWindow;
    inspector->setObjectName(QStringLiteral("inspector"));
    inspector->setWindowTitle(QStringLiteral("Vexa"));

    auto* central = new QWidget;
    auto* column = new QVBoxLayout(central);
    column->setContentsMargins(6, 6, 6, 6);
    column->setSpacing(4);

    QFont small = inspector->font();
    small.setPointSizeF(std::max(6.0, small.pointSizeF() * 0.85));

    // Tool palette and axis-pair choice.
    auto* top = new QHBoxLayout;
    auto* tools = new QGridLayout;
    tools->setSpacing(0);
    mouseModePalette = new QButtonGroup(inspector);
    mouseModePalette->setExclusive(true);
    const QStringList& toolNames = mouseModeNames();
    const int perRow = int((toolNames.size() + 1) / 2);
    for (int i = 0; i < toolNames.size(); ++i) {
        QToolButton* b = cellButton(toolNames[i], small);
        mouseModePalette->addButton(b);
        tools->addWidget(b, i / perRow, i % perRow);
        MM.insert(toolNames[i], b);
    }
    MM.value(toolTitle(Tool::Select))->setChecked(true);
    connect(mouseModePalette, &QButtonGroup::buttonClicked, this,
            [this](QAbstractButton*) { mouseModeDidChange(nullptr); });
    top->addLayout(tools);
    top->addStretch(1);

    auto* pairs = new QHBoxLayout;
    pairs->setSpacing(0);
    di_axis12 = new QButtonGroup(inspector);
    di_axis12->setExclusive(true);
    const std::pair<const char*, int> segments[] = {{"1", Pair1}, {"2", Pair2}, {"1+2", PairBoth}};
    for (const auto& [title, tag] : segments) {
        QToolButton* b = cellButton(QString::fromLatin1(title), small);
        b->setAutoRaise(false);
        b->setToolTip(QStringLiteral("Axis pair the tools and commands act on"));
        di_axis12->addButton(b, tag);
        pairs->addWidget(b);
    }
    di_axis12->button(Pair1)->setChecked(true);
    connect(di_axis12, &QButtonGroup::idClicked, this, [this](int) { axis12DidChange(); });
    top->addLayout(pairs);
    column->addLayout(top);
    column->addWidget(buildToolReadouts());

    // Inspector buttons over the panel on show (their tips are the host's),
    // data-pane buttons over the pane on show.
    static const QHash<QString, QString> dataPaneTips = {
        {QStringLiteral("mysql"), QStringLiteral("MySQL Import Editor")},
        {QStringLiteral("macro"), QStringLiteral("Macro Editor")},
        {QStringLiteral("data"), QStringLiteral("Data Inspector")},
        {QStringLiteral("databuffer"), QStringLiteral("Data Buffer Inspector")},
    };
    column->addLayout(inspectors_->buildButtons(
        inspector, [&small](const QString& key) { return cellButton(key, small); }));
    // The panel on show over the data pane on show, the user moving the line
    // between them. A panel larger than its part scrolls there: the window
    // keeps the size the user gave it.
    auto* panelScroll = new QScrollArea;
    panelScroll->setObjectName(QStringLiteral("panelScroll"));
    panelScroll->setWidgetResizable(true);
    panelScroll->setFrameShape(QFrame::NoFrame);
    panelScroll->setWidget(inspectors_->buildArea());
    inspectorSplitter_ = new QSplitter(Qt::Vertical);
    inspectorSplitter_->setObjectName(QStringLiteral("inspectorSplitter"));
    inspectorSplitter_->setChildrenCollapsible(false);
    inspectorSplitter_->addWidget(panelScroll);
    auto* dataPart = new QWidget;
    auto* dataColumn = new QVBoxLayout(dataPart);
    dataColumn->setContentsMargins(0, 0, 0, 0);
    dataColumn->setSpacing(4);
    inspectorSplitter_->addWidget(dataPart);
    inspectorSplitter_->setStretchFactor(0, 0);
    inspectorSplitter_->setStretchFactor(1, 1);
    column->addWidget(inspectorSplitter_, 1);
    connect(inspectorSplitter_, &QSplitter::splitterMoved, this, [this] {
        UserDefaults::standard().setValue(QStringLiteral("InspectorSplitter"),
                                          inspectorSplitter_->saveState());
    });

    // Data-pane buttons over the pane on show.
    auto* dataRow = new QHBoxLayout;
    dataRow->setSpacing(0);
    dataButton = new QButtonGroup(inspector);
    dataButton->setExclusive(true);
    for (const QString& key : dataPaneKeys()) {
        QToolButton* b = cellButton(key, small);
        b->setToolTip(dataPaneTips.value(key));
        dataButton->addButton(b);
        dataRow->addWidget(b);
        DD.insert(key, b);
    }
    dataRow->addStretch(1);
    connect(dataButton, &QButtonGroup::buttonClicked, this,
            [this](QAbstractButton* b) { switchDataView(DD.key(b)); });
    dataColumn->addLayout(dataRow);

    queryEditor = new QueryEditor(*this);
    macroEditor = new MacroEditor(*this);
    dataPanesPlace_ = new MadeWhenShown([this](QWidget& place) { buildDataPanes(place); });
    dataPanesPlace_->setObjectName(QStringLiteral("dataPanes"));
    dataColumn->addWidget(dataPanesPlace_, 1);

    inspector->setCentralWidget(central);
    inspectorPlace_
        = new KeptWindowPlace(inspector, QStringLiteral("InspectorPlace"), UserDefaults::standard());

    buildMenus();
    auto* handOver = new MenuHandOver(inspector);
    for (QMenu* menu : sharedMenus()) {
        inspector->menuBar()->addMenu(menu);
        handOver->watch(menu);
    }

    inspectors_->show(InspectorKey::General);
    switchDataView(QStringLiteral("databuffer"));
    refreshUndoActions();
}

const Manager::DataPanes& Manager::dataPanes()
{
    if (dataPanesPlace_)
        dataPanesPlace_->make();
    return panes_;
}

void Manager::buildDataPanes(QWidget& place)
{
    auto* box = new QVBoxLayout(&place);
    box->setContentsMargins(0, 0, 0, 0);
    DataPanes& p = panes_;
    p.DataFrame = new QStackedWidget;
    p.DataFrame->setObjectName(QStringLiteral("DataFrame"));
    p.DataFrame->setMinimumHeight(200);

    p.DataBufferView = new QWidget;
    {
        auto* l = new QVBoxLayout(p.DataBufferView);
        l->setContentsMargins(0, 0, 0, 0);
        p.inspectorTable = new DataBufferTableView(*this);
        p.inspectorTable->setModel(bufferRows_);
        Selections::adopt(*p.inspectorTable, *bufferSelection_);
        for (int c = 0; c < BufferListModel::commentColumn - 2; ++c)
            p.inspectorTable->setColumnWidth(c, c == 0 ? 22 : 28);
        p.inspectorTable->setObjectName(QStringLiteral("inspectorTable"));
        l->addWidget(p.inspectorTable, 1);
        auto* fields = new QFormLayout;
        p.dataBuffer = new QLineEdit;
        p.dataPoints = new QLineEdit;
        p.dataComment = new QLineEdit;
        for (QLineEdit* f : {p.dataBuffer, p.dataPoints, p.dataComment})
            f->setReadOnly(true);
        fields->addRow(QStringLiteral("Buffer"), p.dataBuffer);
        fields->addRow(QStringLiteral("Points"), p.dataPoints);
        fields->addRow(QStringLiteral("Comment"), p.dataComment);
        l->addLayout(fields);
    }
    p.MySQLView = queryEditor->view();
    p.MacroView = macroEditor->view();
    p.DataView = new QWidget;
    {
        auto* l = new QVBoxLayout(p.DataView);
        l->setContentsMargins(0, 0, 0, 0);
        p.dataTable = new DataTableView(*this);
        p.dataTable->setModel(pointRows_);
        Selections::adopt(*p.dataTable, *pointSelection_);
        p.dataTable->setObjectName(QStringLiteral("dataTable"));
        l->addWidget(p.dataTable);
    }
    const std::pair<QString, QWidget*> panes[] = {
        {QStringLiteral("databuffer"), p.DataBufferView},
        {QStringLiteral("mysql"), p.MySQLView},
        {QStringLiteral("macro"), p.MacroView},
        {QStringLiteral("data"), p.DataView},
    };
    for (const auto& [key, pane] : panes) {
        DV.insert(key, pane);
        p.DataFrame->addWidget(pane);
    }
    if (QWidget* pane = DV.value(dataPane_))
        p.DataFrame->setCurrentWidget(pane);
    box->addWidget(p.DataFrame);
    showCurrentBuffer();
}

void Manager::buildMenus()
{
    // Menu titles carry no mnemonics: Alt+letter belongs to the macros.
    auto add = [this](QMenu* menu, const QString& title, const QKeySequence& key, std::function<void()> run) {
        QAction* a = menu->addAction(title);
        if (!key.isEmpty())
            a->setShortcut(key);
        connect(a, &QAction::triggered, this, [run = std::move(run)] { run(); });
        return a;
    };

    fileMenu = new QMenu(QStringLiteral("File"), inspector);
    add(fileMenu, QStringLiteral("New"), QKeySequence::New, [this] { newDocumentWindow(); });
    add(fileMenu, QStringLiteral("Open…"), QKeySequence::Open, [this] { openDocumentFile(); });
    add(fileMenu, QStringLiteral("Close"), QKeySequence::Close, [this] { closeDocument(); });
    add(fileMenu, QStringLiteral("Save"), QKeySequence::Save, [this] { saveDocument(); });
    add(fileMenu, QStringLiteral("Save As…"), QKeySequence::SaveAs, [this] { saveDocumentAs(); });
    fileMenu->addSeparator();
    add(fileMenu, QStringLiteral("Import ASCII…"), QKeySequence(), [this] { importFile(); });
    add(fileMenu, QStringLiteral("Import Binary…"), QKeySequence(), [this] { binaryImport(); });
    fileMenu->addMenu(buildPartialLoadMenu());
    fileMenu->addSeparator();
    add(fileMenu, QStringLiteral("Export ASCII…"), QKeySequence(), [this] { exportASCII(); });
    add(fileMenu, QStringLiteral("Export PDF…"), QKeySequence(), [this] { savePDF(); });
    add(fileMenu, QStringLiteral("Export EPS…"), QKeySequence(), [this] { saveEPS(); });
    add(fileMenu, QStringLiteral("Export PNG…"), QKeySequence(), [this] { savePNG(); });
    add(fileMenu, QStringLiteral("Export JPEG…"), QKeySequence(), [this] { saveJPG(); });
    fileMenu->addSeparator();
    add(fileMenu, QStringLiteral("Print…"), QKeySequence::Print, [this] { printDocument(); });
    fileMenu->addSeparator();
    QAction* quitAction = add(fileMenu, QStringLiteral("Quit"), QKeySequence::Quit, [this] { quit(); });
    quitAction->setMenuRole(QAction::QuitRole);

    editMenu = new QMenu(QStringLiteral("Edit"), inspector);
    undoAction = add(editMenu, QStringLiteral("Undo"), QKeySequence::Undo, [this] { undo(); });
    redoAction = add(editMenu, QStringLiteral("Redo"), QKeySequence::Redo, [this] { redo(); });
    editMenu->addSeparator();
    add(editMenu, QStringLiteral("Select All Buffers"), QKeySequence(), [this] { bSelectAll(); });
    editMenu->addSeparator();
    QAction* prefs = add(editMenu, QStringLiteral("Preferences…"), QKeySequence::Preferences,
                         [this] { preferencesWindow().show(); });
    prefs->setMenuRole(QAction::PreferencesRole);

    formatMenu = textFormat->menu(inspector);

    graphMenu = new QMenu(QStringLiteral("Graph"), inspector);
    add(graphMenu, QStringLiteral("Rescale"), QKeySequence(Qt::CTRL | Qt::Key_R),
        [this] { rescale(nullptr); });
    add(graphMenu, QStringLiteral("Zoom Out"), QKeySequence::ZoomOut, [this] { upscale(); });
    QAction* zoomIn
        = add(graphMenu, QStringLiteral("Zoom In"), QKeySequence::ZoomIn, [this] { downscale(); });
    // Ctrl and the key that has the plus, with or without Shift.
    zoomIn->setShortcuts({QKeySequence::ZoomIn, QKeySequence(Qt::CTRL | Qt::Key_Equal)});

    windowMenu = new QMenu(QStringLiteral("Window"), inspector);
    add(windowMenu, QStringLiteral("Inspector"), QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_I),
        [this] { showInspector(); });
    add(windowMenu, QStringLiteral("Macro Console"), QKeySequence(), [this] { showConsole(); });

    helpMenu = new QMenu(QStringLiteral("Help"), inspector);
    add(helpMenu, QStringLiteral("Vexa Help"), QKeySequence::HelpContents, [this] { showHelp(); });
    // The pages a user returns to while working: straight from the menu.
    helpMenu->addSeparator();
    const std::pair<const char*, const char*> pages[] = {{"Getting Started", "getting-started.html"},
                                                         {"Macro Command Reference", "commands.html"},
                                                         {"Function Reference", "functions.html"},
                                                         {"Keyboard and Mouse", "keyboard.html"}};
    for (const auto& [title, page] : pages)
        add(helpMenu, QString::fromUtf8(title), QKeySequence(),
            [this, file = QString::fromLatin1(page)] { showHelpPage(file); });
    helpMenu->addSeparator();
    add(helpMenu, QStringLiteral("Vexa Homepage"), QKeySequence(), [this] { visitHomepage(); });

    buildBufferMenus();
    buildDesktopMenus();
}

QList<QMenu*> Manager::sharedMenus() const
{
    return {fileMenu,   editMenu, formatMenu, graphMenu, bufferMenu, macroEditor->macroMenu,
            windowMenu, helpMenu};
}

void Manager::showInspector()
{
    if (options_.hidden)
        return;
    // The window is sized with the read-outs and the data panes in it.
    readouts_->make();
    dataPanes();
    const bool first = !inspector->isVisible() && !inspectorPlaced_;
    if (first) {
        inspectorPlaced_ = true;
        if (!inspectorPlace_->restore())
            placeInspector();
    }
    inspector->show();
    inspector->raise();
    inspector->activateWindow();
    // The line between panel and data panes, once the window has its size.
    if (first) {
        const QByteArray split = UserDefaults::standard().dataForKey(QStringLiteral("InspectorSplitter"));
        if (split.isEmpty() || !inspectorSplitter_->restoreState(split))
            splitInspector();
    }
}

void Manager::placeInspector()
{
    // The first start: the top-left corner of the free area, as tall as the
    // area, as wide as the panels want; the graphs go beside it.
    QScreen* screen = QGuiApplication::primaryScreen();
    if (!screen)
        return;
    const QRect available = screen->availableGeometry();
    const QMargins border = WindowPlacement::border(inspector->geometry(), inspector->frameGeometry());
    // Wide enough for the widest panels without a sideways scroll bar (none
    // is made yet).
    const QSize wanted = inspector->sizeHint().expandedTo(QSize(660, 0));
    const QRect frame = WindowPlacement::fitInside(
        QRect(available.topLeft(),
              QSize(wanted.width() + border.left() + border.right(), available.height())),
        available);
    inspector->resize(frame.size().shrunkBy(border));
    inspector->move(frame.topLeft());
}

void Manager::splitInspector()
{
    // The panel gets what it asks for (at the launch: none is made yet),
    // between a half and six tenths; the data panes the rest.
    const auto* panels = static_cast<QScrollArea*>(inspectorSplitter_->widget(0));
    const int total = inspectorSplitter_->height();
    const int panel = std::clamp(panels->widget()->sizeHint().height() + 2, total / 2, total * 6 / 10);
    inspectorSplitter_->setSizes({panel, total - panel});
}

HelpBrowser* Manager::helpBrowser()
{
    if (!helpView) {
        helpView = HelpBrowser::inWindow();
        helpView->showContents();
    }
    return helpView;
}

void Manager::showHelp()
{
    if (options_.hidden)
        return;
    QWidget* window = helpBrowser()->window();
    window->show();
    window->raise();
    window->activateWindow();
}

void Manager::showHelpPage(const QString& fileName)
{
    if (options_.hidden)
        return;
    helpBrowser()->showPage(fileName);
    showHelp();
}

QString Manager::homepageAddress()
{
    return QStringLiteral("https://vexa.example.org/");
}

void Manager::visitHomepage()
{
    // Without a browser the desktop says so only on standard error, which
    // nobody at a window reads.
    if (!QDesktopServices::openUrl(QUrl(homepageAddress())))
        Alert::run(QStringLiteral("Vexa Homepage"),
                   QStringLiteral("No web browser could be started for %1").arg(homepageAddress()),
                   {QStringLiteral("Ok")});
}
