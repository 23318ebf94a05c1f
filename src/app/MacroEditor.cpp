#include "app/MacroEditor.h"

#include "app/Manager.h"
#include "app/NameListTable.h"
#include "io/StoredListFile.h"
#include "macro/Macro.h"
#include "macro/MacroListFile.h"
#include "macro/StyleMacroWriter.h"
#include "model/VexaDocument.h"
#include "platform/Alert.h"
#include "platform/UserDefaults.h"
#include "view/VexaView.h"

#include <QAction>
#include <QButtonGroup>
#include <QComboBox>
#include <QFontDatabase>
#include <QHBoxLayout>
#include <QItemSelectionModel>
#include <QLabel>
#include <QMenu>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QSplitter>
#include <QTableView>
#include <QTimer>
#include <QToolButton>
#include <QVBoxLayout>

#include <tuple>

#include <algorithm>
#include <utility>

namespace {

QString newMacroName()
{
    return QStringLiteral("New Macro");
}

// The characters a shortcut can be: Alt with a letter, told apart by case.
QString shortcutCharacters()
{
    return QStringLiteral("abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ");
}

} // namespace

MacroEditor::MacroEditor(Manager& manager)
        : StoredListEditor(manager)
{
    makeTable(QStringLiteral("Macro"),
              {[this] { return int(MA.size()); }, [this](int row) { return MA[std::size_t(row)]->name; },
               [this](int row, const QString& name) { return rename(row, name); },
               [this](int row) { return MA[std::size_t(row)]->timerRunning(); },
               [this] { updateMacro(selectedRow()); }},
              QStringLiteral("macroTable"));
    buildMenu();
}

MacroEditor::~MacroEditor()
{
    // A menu never handed to a host is still ours.
    if (macroMenu && !macroMenu->parent())
        delete macroMenu;
}

void MacroEditor::buildView()
{
    // The pane is short: the list and the source side by side, the
    // controls in one row under them, the console below; what would not fit
    // a short pane scrolls.
    QVBoxLayout* column = startPane(QStringLiteral("MacroView"));
    QWidget* content = column->parentWidget();

    const int rowHeight = QFontMetrics(content->font()).height() + 6;
    const QFont fixed = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    const int fixedLine = QFontMetrics(fixed).lineSpacing();
    auto tool = [this](const QString& title, const QString& tip, auto action) {
        auto* b = new QToolButton;
        b->setText(title);
        b->setToolTip(tip);
        connect(b, &QToolButton::clicked, this, action);
        return b;
    };

    auto* upright = new QSplitter(Qt::Vertical);
    upright->setChildrenCollapsible(false);
    column->addWidget(upright, 1);

    // The list beside the source of the macro on show.
    auto* editorPart = new QWidget;
    auto* editorColumn = new QVBoxLayout(editorPart);
    editorColumn->setContentsMargins(0, 0, 0, 0);
    editorColumn->setSpacing(4);
    auto* beside = new QSplitter(Qt::Horizontal);
    beside->setChildrenCollapsible(false);
    editorColumn->addWidget(beside, 1);

    QTableView* table = table_->view();
    table->setMinimumWidth(120);
    beside->addWidget(table);
    connect(table, &QTableView::doubleClicked, this, [this](const QModelIndex& index) {
        if (index.isValid())
            updateMacro(index.row());
    });

    src_ = new QPlainTextEdit;
    src_->setObjectName(QStringLiteral("ma_src"));
    src_->setFont(fixed);
    src_->setLineWrapMode(QPlainTextEdit::NoWrap);
    src_->setTabStopDistance(4 * QFontMetricsF(fixed).horizontalAdvance(QLatin1Char(' ')));
    src_->setMinimumHeight(3 * fixedLine);
    src_->setPlaceholderText(QStringLiteral("print 'Hello'"));
    connect(src_, &QPlainTextEdit::textChanged, this, [this] { ma_save(); });
    beside->addWidget(src_);
    beside->setStretchFactor(0, 1);
    beside->setStretchFactor(1, 3);

    // The controls: the list's, then the macro's.
    auto* controls = new QHBoxLayout;
    controls->setSpacing(2);
    controls->addWidget(tool(QStringLiteral("+"), QStringLiteral("Add a new macro"), [this] { ma_add(); }));
    controls->addWidget(
        tool(QStringLiteral("−"), QStringLiteral("Delete the selected macro"), [this] { ma_delete(false); }));
    controls->addWidget(
        tool(QStringLiteral("▲"), QStringLiteral("Move the macro up"), [this] { ma_moveUp(); }));
    controls->addWidget(
        tool(QStringLiteral("▼"), QStringLiteral("Move the macro down"), [this] { ma_moveDown(); }));
    auto* more = new QToolButton;
    more->setText(QStringLiteral("⋯"));
    more->setToolTip(QStringLiteral("More for the list and the console"));
    more->setPopupMode(QToolButton::InstantPopup);
    auto* moreMenu = new QMenu(more);
    moreMenu->addAction(QStringLiteral("Duplicate"), this, [this] { ma_duplicate(); });
    moreMenu->addAction(QStringLiteral("Insert Style of the Graph"), this, [this] { ma_insertStyle(); });
    moreMenu->addSeparator();
    moreMenu->addAction(QStringLiteral("Import…"), this, [this] { ma_import(false); });
    moreMenu->addAction(QStringLiteral("Append…"), this, [this] { ma_import(true); });
    moreMenu->addAction(QStringLiteral("Export…"), this, [this] { ma_export(true); });
    moreMenu->addAction(QStringLiteral("Export All…"), this, [this] { ma_export(false); });
    moreMenu->addSeparator();
    moreMenu->addAction(QStringLiteral("Delete All Macros…"), this, [this] { ma_delete(true); });
    moreMenu->addSeparator();
    moreMenu->addAction(QStringLiteral("Clear Console"), this, [this] { ma_clr(); });
    more->setMenu(moreMenu);
    controls->addWidget(more);
    controls->addSpacing(10);

    auto* shortcutLabel = new QLabel(QStringLiteral("Alt +"));
    shortcutLabel->setToolTip(QStringLiteral("The key that runs the macro from a graph window"));
    controls->addWidget(shortcutLabel);
    shortcut_ = new QComboBox;
    shortcut_->setObjectName(QStringLiteral("ma_shortcut"));
    shortcut_->setToolTip(shortcutLabel->toolTip());
    shortcut_->addItem(QStringLiteral("none"), 0);
    for (QChar c : shortcutCharacters())
        shortcut_->addItem(QString(c), int(c.unicode()));
    shortcut_->setMaxVisibleItems(16);
    connect(shortcut_, &QComboBox::currentIndexChanged, this, [this] { ma_save(); });
    controls->addWidget(shortcut_);
    controls->addSpacing(10);

    type_ = new QButtonGroup(content);
    type_->setExclusive(true);
    const std::tuple<int, const char*, const char*> types[] = {
        {MacroTypeLanguage, "Macro", "Commands of the macro language"},
        {MacroTypePerlImport, "Perl Import", "Perl code that reads a file into new buffers"},
        {MacroTypePerlFilter, "Perl Filter", "Perl code that makes new buffers from the selected ones"},
    };
    for (const auto& [id, title, tip] : types) {
        auto* b = new QToolButton;
        b->setText(QLatin1String(title));
        b->setToolTip(QLatin1String(tip));
        b->setCheckable(true);
        b->setObjectName(QStringLiteral("ma_type%1").arg(id));
        type_->addButton(b, id);
        controls->addWidget(b);
    }
    type_->button(MacroTypeLanguage)->setChecked(true);
    connect(type_, &QButtonGroup::idClicked, this, [this] { ma_save(); });
    controls->addStretch(1);

    progress_ = new QProgressBar;
    progress_->setObjectName(QStringLiteral("ma_progress"));
    progress_->setRange(0, 0);
    progress_->setTextVisible(false);
    progress_->setFixedSize(40, rowHeight - 8);
    // Keeps its room while hidden, so Execute does not jump about.
    QSizePolicy keep = progress_->sizePolicy();
    keep.setRetainSizeWhenHidden(true);
    progress_->setSizePolicy(keep);
    progress_->setVisible(perlRunning_);
    controls->addWidget(progress_);
    exestop_ = new QPushButton(executeTitle_);
    exestop_->setObjectName(QStringLiteral("ma_exestop"));
    exestop_->setToolTip(QStringLiteral("Run the macro, or stop its timer or perl job"));
    exestop_->setAutoDefault(false);
    connect(exestop_, &QPushButton::clicked, this, [this] { ma_execute(); });
    controls->addWidget(exestop_);
    editorColumn->addLayout(controls);
    upright->addWidget(editorPart);

    console_ = new QPlainTextEdit;
    console_->setObjectName(QStringLiteral("ma_console"));
    console_->setReadOnly(true);
    console_->setFont(fixed);
    console_->setLineWrapMode(QPlainTextEdit::NoWrap);
    console_->setPlaceholderText(QStringLiteral("Console"));
    console_->setMinimumHeight(2 * fixedLine + 8);
    console_->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(console_, &QWidget::customContextMenuRequested, this, [this](const QPoint& at) {
        QMenu* menu = console_->createStandardContextMenu(at);
        menu->addSeparator();
        menu->addAction(QStringLiteral("Clear Console"), this, [this] { ma_clr(); });
        menu->exec(console_->mapToGlobal(at));
        delete menu;
    });
    manager_.console().attach(console_);
    upright->addWidget(console_);
    upright->setStretchFactor(0, 3);
    upright->setStretchFactor(1, 2);

    filling_ = false;
    const int row = selectedRow();
    if (row >= 0)
        showMacro(*MA[std::size_t(row)]);
}

void MacroEditor::buildMenu()
{
    macroMenu = new QMenu(QStringLiteral("Macro"));
    macroMenu->setObjectName(QStringLiteral("macroMenu"));
}

// --- the list in the user defaults ------------------------------------------------------

void MacroEditor::loadFromDefaults()
{
    UserDefaults& defaults = UserDefaults::standard();
    const QByteArray data = defaults.dataForKey(MacroListFile::defaultsKey());
    const int current = defaults.integerForKey(QStringLiteral("CurrentMacro"));
    for (auto& m : MA)
        retire(std::move(m));
    MA.clear();
    storedList_.clear();
    if (!data.isEmpty()) {
        QString why;
        if (std::optional<std::vector<std::shared_ptr<Macro>>> stored
            = MacroListFile::unarchive(data, &why)) {
            MA = std::move(*stored);
            storedList_ = data;
        } else {
            // The user's macros are not thrown away for a list that could
            // not be read: they stay in the settings beside the new list.
            const QString aside = QStringLiteral("MacrosUnreadable");
            defaults.setValue(aside, data);
            manager_.consoleAppend(
                QStringLiteral("The stored macros could not be read (%1); they are kept under %2 in the "
                               "settings.\n")
                    .arg(why, aside),
                true);
        }
    }
    if (MA.empty()) {
        MA.push_back(newMacro());
        store();
    }
    reload();
    table_->selectRowQuietly(current);
    updateMacro(selectedRow());
    updateMacroMenu();
}

void MacroEditor::store()
{
    UserDefaults& defaults = UserDefaults::standard();
    // Another instance sharing the store may have written the list since we
    // last did: what it changed is taken in first, so that neither instance
    // loses the other's macros.
    defaults.synchronize();
    const QByteArray now = defaults.dataForKey(MacroListFile::defaultsKey());
    if (!now.isEmpty() && now != storedList_) {
        if (std::optional<std::vector<std::shared_ptr<Macro>>> theirs = MacroListFile::unarchive(now))
            takeInStored(std::move(*theirs));
    }
    std::vector<const Macro*> list;
    list.reserve(MA.size());
    for (const auto& m : MA)
        list.push_back(m.get());
    if (const std::optional<QByteArray> bytes = MacroListFile::archive(list)) {
        defaults.setValue(MacroListFile::defaultsKey(), *bytes);
        defaults.synchronize();
        storedList_ = *bytes;
    }
}

void MacroEditor::takeInStored(std::vector<std::shared_ptr<Macro>> theirs)
{
    std::vector<std::shared_ptr<Macro>> base;
    if (auto stored = MacroListFile::unarchive(storedList_))
        base = std::move(*stored);
    const std::vector<std::shared_ptr<Macro>> before = MA;
    const int row = selectedRow();
    const StoredListFile::ItemKey selected = StoredListFile::keyAt(MA, row);
    const bool changed
        = StoredListFile::mergeWithStore(MA, base, std::move(theirs), [](const std::shared_ptr<Macro>& m) {
              return std::tuple(m->name, m->src, m->shortcut, m->type);
          });
    if (!changed)
        return;
    for (const auto& m : before)
        if (std::find(MA.begin(), MA.end(), m) == MA.end())
            retire(std::shared_ptr<Macro>(m));
    reload();
    table_->selectRowQuietly(StoredListFile::rowOf(MA, selected, std::min(row, int(MA.size()) - 1)));
    updateMacro(selectedRow());
    updateMacroMenu();
}

// --- the table ------------------------------------------------------------------------------

bool MacroEditor::rename(int row, const QString& name)
{
    if (row < 0 || row >= int(MA.size()))
        return false;
    MA[std::size_t(row)]->name = name;
    store();
    updateMacroMenu();
    return true;
}

void MacroEditor::afterListChange(int select)
{
    // The row of the same macro once the store's changes are in.
    const Macro* shown = select >= 0 && select < int(MA.size()) ? MA[std::size_t(select)].get() : nullptr;
    store();
    reload();
    const auto at = std::find_if(MA.begin(), MA.end(), [shown](const auto& m) { return m.get() == shown; });
    table_->selectRowQuietly(at != MA.end() ? int(at - MA.begin()) : select);
    updateMacro(selectedRow());
    updateMacroMenu();
    releaseRetired();
}

std::shared_ptr<Macro> MacroEditor::newMacro() const
{
    return std::make_shared<Macro>(newMacroName(), QString(), 0, MacroTypeLanguage);
}

// --- running ----------------------------------------------------------------------------------

void MacroEditor::updateMacroMenu()
{
    macroMenu->clear();
    for (std::size_t i = 0; i < MA.size(); ++i) {
        // A name is shown as it is: an ampersand is no mnemonic here.
        QString title = MA[i]->name;
        title.replace(QLatin1Char('&'), QStringLiteral("&&"));
        QAction* item = macroMenu->addAction(title);
        const int index = int(i);
        item->setData(index);
        // Queued: the run rebuilds this menu, which must not delete the item
        // while it is still reporting its trigger.
        connect(
            item, &QAction::triggered, this, [this, index] { macroByMenu(index); }, Qt::QueuedConnection);
    }
}

void MacroEditor::run(const std::shared_ptr<Macro>& macro)
{
    // Held for the run: an edit or a deletion meanwhile takes it out of the
    // list, not out of existence.
    const std::shared_ptr<Macro> keep = macro;
    keep->stopTimer();
    keep->run(manager_);
}

void MacroEditor::macroByMenu(int index)
{
    if (index < 0 || index >= int(MA.size()))
        return;
    run(MA[std::size_t(index)]);
    updateMacroMenu();
    releaseRetired();
}

void MacroEditor::ma_execute()
{
    const int row = selectedRow();
    if (row < 0)
        return;
    const std::shared_ptr<Macro> macro = MA[std::size_t(row)];
    if (macro->timerRunning())
        macro->stopTimer();
    else
        run(macro);
    reload();
    releaseRetired();
}

// --- the editor's actions ---------------------------------------------------------------------

void MacroEditor::ma_save()
{
    const int row = selectedRow();
    if (row < 0 || filling_ || !hasView())
        return;
    std::shared_ptr<Macro>& slot = MA[std::size_t(row)];
    const QString src = src_->toPlainText();
    const int shortcut = shortcut_->currentData().toInt();
    const int type = std::max(type_->checkedId(), 0);
    if (slot->src == src && slot->shortcut == shortcut && slot->type == type)
        return;
    slot->stopTimer();
    if (slot->MAP != PerlJobState::Idle) {
        // A perl job of this macro still runs: the same object keeps it, so
        // that Stop still reaches it.
        slot->src = src;
        slot->shortcut = shortcut;
        slot->type = type;
    } else {
        auto edited = std::make_shared<Macro>(slot->name, src, shortcut, type);
        retire(std::exchange(slot, std::move(edited)));
    }
    store();
    releaseRetired();
}

void MacroEditor::ma_add()
{
    MA.push_back(newMacro());
    afterListChange(int(MA.size()) - 1);
}

void MacroEditor::ma_duplicate()
{
    const int row = selectedRow();
    if (row < 0)
        return;
    const Macro& m = *MA[std::size_t(row)];
    MA.push_back(std::make_shared<Macro>(QStringLiteral("%1 copy").arg(m.name), m.src, 0, m.type));
    afterListChange(int(MA.size()) - 1);
}

void MacroEditor::ma_delete(bool all)
{
    const int row = selectedRow();
    if (row < 0) {
        Alert::beep();
        return;
    }
    const int answer = all ? Alert::run(QStringLiteral("Delete All Macros"),
                                        QStringLiteral("clicking 'Delete' removes all macros immediately"),
                                        {QStringLiteral("Cancel"), QStringLiteral("Delete")})
                           : Alert::run(QStringLiteral("Delete Macro"),
                                        QStringLiteral("clicking 'Delete' removes this macro immediately"),
                                        {QStringLiteral("Cancel"), QStringLiteral("Delete")});
    if (answer == 1) {
        if (all) {
            for (auto& m : MA)
                retire(std::move(m));
            MA.clear();
        } else {
            retire(std::move(MA[std::size_t(row)]));
            MA.erase(MA.begin() + row);
        }
    }
    // An empty list gets a fresh macro. The editor then shows whatever
    // macro is selected: it never writes the text of a deleted macro into
    // another one.
    if (MA.empty())
        MA.push_back(newMacro());
    afterListChange(answer == 1 ? 0 : row);
}

void MacroEditor::ma_clr()
{
    manager_.consoleClear();
}

void MacroEditor::ma_insertStyle()
{
    VexaDocument* document = manager_.PD;
    if (!document || selectedRow() < 0)
        return;
    // The page size is that of the window, which a sub-view shares with its
    // main document: its graph fills the window's content.
    VexaDocument* main = document->MPD ? document->MPD : document;
    const auto* view = dynamic_cast<const VexaView*>(main->PV);
    const QSizeF windowSize = view ? view->frame().size() : QSizeF(main->winw, main->winh);
    // Typed in: the editor's undo and change notification take it as an
    // edit, which saves it into the macro.
    ma_src()->insertPlainText(StyleMacroWriter::styleMacroText(*document, windowSize));
    ma_save();
}

void MacroEditor::updateMacro(int row)
{
    if (selectedRow() < 0 || row < 0 || row >= int(MA.size()))
        return;
    UserDefaults::standard().setValue(QStringLiteral("CurrentMacro"), row);
    const Macro& m = *MA[std::size_t(row)];
    executeTitle_ = m.timerRunning() || m.MAP != PerlJobState::Idle ? QStringLiteral("Stop")
                                                                    : QStringLiteral("Execute");
    if (hasView())
        showMacro(m);
}

void MacroEditor::showMacro(const Macro& m)
{
    filling_ = true;
    if (src_->toPlainText() != m.src)
        src_->setPlainText(m.src);
    exestop_->setText(executeTitle_);
    // A shortcut that is no letter cannot be typed: it shows as none.
    const int item = shortcut_->findData(m.shortcut);
    shortcut_->setCurrentIndex(item >= 0 ? item : 0);
    QAbstractButton* segment = type_->button(m.type);
    (segment ? segment : type_->button(MacroTypeLanguage))->setChecked(true);
    filling_ = false;
}

void MacroEditor::ma_moveUp()
{
    const int row = selectedRow();
    if (row < 1)
        return;
    std::swap(MA[std::size_t(row)], MA[std::size_t(row - 1)]);
    afterListChange(row - 1);
}

void MacroEditor::ma_moveDown()
{
    const int row = selectedRow();
    if (row < 0 || row + 1 >= int(MA.size()))
        return;
    std::swap(MA[std::size_t(row)], MA[std::size_t(row + 1)]);
    afterListChange(row + 1);
}

void MacroEditor::ma_export(bool selectedOnly)
{
    if (MA.empty()) {
        Alert::beep();
        return;
    }
    const int row = selectedRow();
    if (selectedOnly && row < 0) {
        Alert::beep();
        return;
    }
    const QString path = askForListFile(Manager::FilePanelRequest::Save, QStringLiteral("Macro Export"),
                                        MacroListFile::suffix());
    if (path.isEmpty())
        return;
    std::vector<const Macro*> list;
    if (selectedOnly) {
        list.push_back(MA[std::size_t(row)].get());
    } else {
        for (const auto& m : MA)
            list.push_back(m.get());
    }
    Alert::show(MacroListFile::write(path, list));
}

void MacroEditor::ma_import(bool append)
{
    const QString path = askForListFile(Manager::FilePanelRequest::Open, QStringLiteral("Macro Import"),
                                        MacroListFile::suffix());
    if (path.isEmpty()) {
        updateMacroMenu();
        return;
    }
    QString error;
    std::optional<std::vector<std::shared_ptr<Macro>>> loaded = MacroListFile::read(path, &error);
    if (!loaded) {
        Alert::run(QStringLiteral("File Open Error"), error, {QStringLiteral("Ok")});
        updateMacroMenu();
        return;
    }
    if (!append) {
        for (auto& m : MA)
            retire(std::move(m));
        MA.clear();
    }
    for (auto& m : *loaded)
        MA.push_back(std::move(m));
    const int row = selectedRow();
    afterListChange(row >= 0 ? row : 0);
}

Outcome MacroEditor::merge(const QByteArray& data)
{
    QString why;
    std::optional<std::vector<std::shared_ptr<Macro>>> loaded = MacroListFile::unarchive(data, &why);
    if (!loaded)
        return Outcome::failed(why);
    for (auto& m : MA) {
        const bool replaced
            = std::any_of(loaded->begin(), loaded->end(), [&](const auto& l) { return l->name == m->name; });
        if (replaced)
            retire(m);
    }
    StoredListFile::mergeByName(MA, std::move(*loaded));
    const int row = selectedRow();
    afterListChange(row >= 0 ? row : 0);
    return Outcome::done();
}

// --- what runs report -----------------------------------------------------------------------------

void MacroEditor::setExecuteTitle(const QString& title)
{
    executeTitle_ = title;
    if (hasView())
        exestop_->setText(title);
    // A timer started or stopped: its macro's row changes colour.
    table_->refreshMarks();
}

void MacroEditor::setPerlProgress(bool running)
{
    perlRunning_ = running;
    if (hasView())
        progress_->setVisible(running);
}

std::vector<Macro*> MacroEditor::storedMacros() const
{
    std::vector<Macro*> list;
    list.reserve(MA.size());
    for (const auto& m : MA)
        list.push_back(m.get());
    return list;
}

// --- macros out of the list ----------------------------------------------------------------------

void MacroEditor::retire(std::shared_ptr<Macro> macro)
{
    if (!macro)
        return;
    // A macro nobody can reach any more must not go on ticking.
    macro->stopTimer();
    retired_.push_back(std::move(macro));
}

void MacroEditor::releaseRetired()
{
    if (retired_.empty())
        return;
    // A run may still be going on one of them (a timer's run that sleeps,
    // say): they go once no run is left.
    if (Macro::runInProgress()) {
        if (!releasePending_) {
            releasePending_ = true;
            QTimer::singleShot(250, this, [this] {
                releasePending_ = false;
                releaseRetired();
            });
        }
        return;
    }
    retired_.clear();
}
