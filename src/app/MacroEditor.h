#pragma once

// The stored macros and their editor: the list (MA), the pane with the macro
// table, the source, the Alt-key shortcut, the type, Execute/Stop with its
// progress indicator and the macro console; the Macro menu; running a macro
// from the menu, the editor or its shortcut. The list is kept in the user
// defaults under "Macros" (the row on show under "CurrentMacro") and
// rewritten after every change; macro-list files (".mavexa") are exported,
// imported, and merged when opened. The controller makes one editor and
// shows its pane as the "macro" data pane.
//
// A macro taken out of the list (saved over, deleted, replaced) has its
// timer stopped; the object itself lives on until no run is using it.
//
// Main thread only.

#include "app/StoredListEditor.h"

#include <QButtonGroup>
#include <QByteArray>
#include <QComboBox>
#include <QPlainTextEdit>
#include <QPointer>
#include <QProgressBar>
#include <QPushButton>
#include <QString>
#include <QWidget>

#include <memory>
#include <vector>

class Macro;
class QMenu;
class QTableView;

class MacroEditor : public StoredListEditor {
public:
    explicit MacroEditor(Manager& manager);
    ~MacroEditor() override;

    // The stored macros: list order = table order = menu order.
    std::vector<std::shared_ptr<Macro>> MA;

    // The pane (view()) shows the selected row, its macro, the title of
    // Execute/Stop, the progress indicator and the console. Its widgets; each
    // call makes the pane first when needed.
    QTableView* macroTable() { return tableView(); }
    QPlainTextEdit* ma_src() { return made(src_); }
    // "none" (0), then a to z and A to Z, each with its code.
    QComboBox* ma_shortcut() { return made(shortcut_); }
    // Ids 0 macro, 1 perl import, 2 perl filter.
    QButtonGroup* ma_type() { return made(type_); }
    // "Execute" or "Stop".
    QPushButton* ma_exestop() { return made(exestop_); }
    QProgressBar* ma_progress() { return made(progress_); }
    // Shows the controller's console lines.
    QPlainTextEdit* ma_console() { return made(console_); }
    // The "Macro" menu: one item per stored macro, its data the list index.
    QMenu* macroMenu = nullptr;

    // --- the list in the user defaults ---------------------------------------------
    // The launch: the list from "Macros" (a missing or empty one gives one
    // "New Macro", stored at once; an unreadable one is kept aside under
    // "MacrosUnreadable" and said so on the console), the row of
    // "CurrentMacro" selected when the list has it, and the Macro menu.
    void loadFromDefaults();
    // Rewrites "Macros" from MA, after taking in what another instance
    // changed there since this one last read or wrote it (an item changed
    // here keeps this change; see StoredListFile::mergeWithStore).
    void store();

    // --- the table -----------------------------------------------------------------------
    // Renames the macro of the row, stores the list and rebuilds the menu;
    // false for a row outside the list.
    bool rename(int row, const QString& name);

    // --- running ----------------------------------------------------------------------------
    void updateMacroMenu();
    // The macro at the index: its timer stopped, then run; the menu rebuilt.
    void macroByMenu(int index);
    // Execute/Stop: a selected macro whose timer runs only has it stopped;
    // otherwise it runs (a perl macro whose job runs has the job stopped).
    void ma_execute();

    // --- the editor's actions ---------------------------------------------------------------
    // The source, shortcut and type on show into the selected macro (a new
    // macro object of the same name, the old one's timer stopped); nothing
    // when they are what it holds.
    void ma_save();
    void ma_add();
    void ma_duplicate();
    // Asks first; `all` removes every macro, otherwise the selected one. A
    // beep without a selected macro. An emptied list gets a "New Macro".
    void ma_delete(bool all);
    void ma_clr();
    // The look of the current document as macro commands, typed into the
    // source at the cursor (over the selection) and saved into the selected
    // macro. Nothing without a current document or a selected macro.
    void ma_insertStyle();
    // Shows the macro of the row (when a row is selected) and remembers the
    // row under "CurrentMacro".
    void updateMacro(int row);
    void ma_moveUp();
    void ma_moveDown();
    // A save panel, then the selected macro (selectedOnly) or the whole list
    // as a macro-list file. A beep for an empty list, or for selectedOnly
    // without a selected macro.
    void ma_export(bool selectedOnly);
    // An open panel, then the file's macros appended to the list (append)
    // or in its place. A file that is no macro list is refused with "File
    // Open Error". The menu is rebuilt in every case.
    void ma_import(bool append);

    // An opened macro-list file: macros named like loaded ones go, the
    // loaded ones are appended; the list is stored, the selected row shown
    // and the menu rebuilt. Failed, with the reason, for bytes that are no
    // macro list; the list is then as it was.
    Outcome merge(const QByteArray& data);

    // --- what runs report ---------------------------------------------------------------------
    void setExecuteTitle(const QString& title);
    // The progress indicator shown and busy while a perl job started from
    // the editor, the menu or a shortcut runs.
    void setPerlProgress(bool running);
    std::vector<Macro*> storedMacros() const;

private:
    void buildView() override;
    void buildMenu();
    // The macro's source, shortcut and type into the pane's fields.
    void showMacro(const Macro& macro);
    // Stores the list, reloads the table, selects the row, shows it and
    // rebuilds the menu.
    void afterListChange(int select);
    std::shared_ptr<Macro> newMacro() const;
    void run(const std::shared_ptr<Macro>& macro);
    // Takes macros out of the list for good: timers stopped, objects kept
    // until no run uses them.
    void retire(std::shared_ptr<Macro> macro);
    void releaseRetired();
    // Merges the store's list into MA; the table, the selected macro and
    // the menu follow when that changed anything.
    void takeInStored(std::vector<std::shared_ptr<Macro>> theirs);

    QString executeTitle_ = QStringLiteral("Execute");
    bool perlRunning_ = false;

    QPointer<QPlainTextEdit> src_;
    QPointer<QComboBox> shortcut_;
    QPointer<QButtonGroup> type_;
    QPointer<QPushButton> exestop_;
    QPointer<QProgressBar> progress_;
    QPointer<QPlainTextEdit> console_;
    std::vector<std::shared_ptr<Macro>> retired_;
    bool releasePending_ = false;
};
