#pragma once

// The application controller: there is one per run. It starts the
// application (command-line options, preferences, the inspector window, the
// start document), keeps the list of open documents and which document,
// main document, text box and graphic are current, refreshes the inspector
// on show and the buffer and point tables, holds the variables of the
// expression and macro languages, asks the user for input, and carries the
// menu actions. It hands itself to the documents, views and macro runs it
// makes: they reach it through ManagerServices / ApplicationController, and
// macros as their MacroHost, with the macro console.
//
// The inspector window is the application's main window: menu bar, tool
// palette, axis-pair choice, the inspector buttons above the panel on show,
// and the data panes (buffer list, queries, macros, points) below it.
// Document windows carry the same menus.
//
// Main thread only.

#include "app/ApplicationController.h"
#include "app/ConsoleLog.h"
#include "app/DataBufferTableView.h"
#include "app/DataTableView.h"
#include "app/FontChange.h"
#include "app/LaunchOptions.h"
#include "app/Preferences.h"
#include "app/TextFormat.h"
#include "macro/MacroHost.h"
#include "model/DocumentFunctions.h"
#include "platform/Alert.h"

#include <QFont>
#include <QHash>
#include <QList>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QStringList>

#include <array>
#include <atomic>
#include <cstdint>
#include <cstdio>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

class AxisLabelTableModel;
class AxisLabelTableView;
class BufferListModel;
class CalendarFormat;
class DocumentWindowQt;
class HelpBrowser;
class InspectorHost;
class KeptWindowPlace;
class MadeWhenShown;
class Macro;
class MacroEditor;
class PanelAccessories;
class PanelContext;
class PreferencesWindow;
class QAbstractButton;
class QAction;
class QButtonGroup;
class QFileDialog;
class QItemSelectionModel;
class QLineEdit;
class QMainWindow;
class QSplitter;
class QMenu;
class QPlainTextEdit;
class QStackedWidget;
class QTableView;
class QTextBrowser;
class QWidget;
class QueryEditor;
class PointTableModel;
class UndoManager;
namespace DocumentArchive {
enum PartialLoadSection : int;
}
class ValueReadouts;

class Manager : public QObject, public ApplicationController, public MacroHost, public FontReceiver {
public:
    // Seeds the C library's random generator (once per process), creates the
    // tables and builds the inspector window (not shown); installs the
    // expression language's document functions, which read its documents.
    Manager();
    ~Manager() override;
    Manager(const Manager&) = delete;
    Manager& operator=(const Manager&) = delete;

    // --- tables -------------------------------------------------------------------
    QHash<QString, QWidget*> DV; // data-pane key -> pane
    QHash<QString, QAbstractButton*> MM; // tool title -> palette button
    QHash<QString, QAbstractButton*> DD; // data-pane key -> data-pane button

    // The four data-pane keys, in button order (the inspector keys are
    // InspectorHost's).
    static const QStringList& dataPaneKeys();

    // --- variables --------------------------------------------------------------------
    // String variables. The controller sets "document" (the current
    // document's file), "input" (the last answer of getInput) and "file"
    // (the -f option). Numeric variables are GV (ManagerServices).
    QHash<QString, QString> SV;

    // --- counters and flags -------------------------------------------------------------
    int dataViewXFormat = 0; // display formats of the point table's columns
    int dataViewYFormat = 0;
    int pasteoffset = 0; // offset of the next pasted graphic
    std::uint8_t noedit = 0; // 1 while documents, inspectors or panes are switched
    // Wait flag of the perl bridge: a perl job clears it from its own thread.
    std::atomic<PerlJobState> GMAP{PerlJobState::Idle};
    double epicstimeout = 0; // Channel Access time-out in seconds, 3 after launch

    // The command-line options, read once by readOptions().
    const LaunchOptions& launchOptions() const { return options_; }

    // --- the inspector window and its controls (owned by the window) --------------------
    QMainWindow* inspector = nullptr;
    QButtonGroup* mouseModePalette = nullptr; // the tool palette
    QButtonGroup* di_axis12 = nullptr; // axis pair: ids 1, 2 and 0 (both)
    QButtonGroup* dataButton = nullptr;
    // The data panes under the data-pane buttons, made together when the
    // inspector window is first shown or when one of them is first asked
    // for (dataPanes()); a run that shows no window never makes them.
    struct DataPanes {
        QStackedWidget* DataFrame = nullptr; // holds the data pane on show
        QWidget* DataBufferView = nullptr;
        QWidget* MySQLView = nullptr;
        QWidget* MacroView = nullptr;
        QWidget* DataView = nullptr;
        // The buffer list; its selection is bufferSelection().
        DataBufferTableView* inspectorTable = nullptr;
        // The points of the current buffer; its selection is pointSelection().
        DataTableView* dataTable = nullptr;
        QLineEdit* dataBuffer = nullptr; // current buffer index
        QLineEdit* dataPoints = nullptr; // its number of points
        QLineEdit* dataComment = nullptr; // its comment
    };
    // The panes, made now unless they are made already; they then show the
    // current buffer, its points and the selections.
    const DataPanes& dataPanes();
    bool dataPanesMade() const { return panes_.DataFrame != nullptr; }
    DataBufferTableView* bufferTable() { return dataPanes().inspectorTable; }
    DataTableView* pointTable() { return dataPanes().dataTable; }
    // The selected rows of the buffer list (the selected buffers) and of the
    // point table. They are the controller's: menu actions and macros select
    // and read them whether or not the tables are made, and the tables show
    // them once made.
    QItemSelectionModel* bufferSelection() const { return bufferSelection_; }
    QItemSelectionModel* pointSelection() const { return pointSelection_; }
    // The key of the data pane on show (or to be shown once the panes are
    // made).
    const QString& dataPane() const { return dataPane_; }
    // The custom-label table of the axis-label panel, once that panel made
    // it (makeAxisLabelTable).
    QPointer<AxisLabelTableView> axisLabelTable;
    HelpBrowser* helpView = nullptr; // in a window of its own, made when first needed
    HelpBrowser* helpBrowser();

    // The preferences (ManagerPreferences.cpp): read from the user-defaults
    // store at the launch, the program's own before it.
    const Preferences& preferences() const { return prefs_; }
    // What a new document starts from: the preferences' default fonts and
    // the buffer style stored as the default.
    DocumentDefaults documentDefaults() const;
    // A new empty document working for this controller, from those defaults.
    std::unique_ptr<VexaDocument> makeDocument();
    // The Preferences window over these preferences (its dialog is made
    // when first shown or asked for).
    PreferencesWindow& preferencesWindow();
    // The font panel's relay, for the controller and the panels.
    FontChange* fontChange = new FontChange(this);
    // The Format menu's styling of the current text box.
    TextFormat* textFormat = new TextFormat(*this, *fontChange, this);
    // The settings inside the import and picture-export panels, made when
    // a panel first needs them (after the launch, with what the store holds).
    PanelAccessories& panelAccessories();

    // Menus (shared by the inspector window and every document window) and
    // the actions tests and later panels reach.
    QMenu* fileMenu = nullptr;
    QMenu* editMenu = nullptr;
    QMenu* graphMenu = nullptr;
    QMenu* formatMenu = nullptr;
    QMenu* windowMenu = nullptr;
    QMenu* helpMenu = nullptr;
    QMenu* bufferMenu = nullptr;
    QAction* undoAction = nullptr;
    QAction* redoAction = nullptr;

    // --- launch ---------------------------------------------------------------------------
    // True when the arguments hold "-h yes" (any letter case): the run shows
    // no window. Read before the application object exists, to choose the
    // window-system platform.
    static bool hiddenRunRequested(const QStringList& arguments);

    // Reads the options from the argument domain of the user-defaults store.
    // True when any was given.
    bool readOptions();
    // Whether -m, -i, -h or -q asks for a start document (-f alone does not).
    bool startDocumentWanted() const;

    // The launch: options, preferences, tables, the start document and the
    // options applied to it (hide, import, file variable, macro, quit).
    void applicationDidFinishLaunching();

    // 0, or 1 once a launch option failed (a run asked to quit then ends
    // with it; a failure is never reported as success).
    int exitStatus() const { return exitStatus_; }

    // Ends the run with the status (the event loop returns it).
    virtual void terminate(int status);

    // Whether windows are really shown: not in a hidden run, not on a
    // platform without a screen. Only then does closing an edited window ask
    // about saving, since nobody could answer otherwise.
    bool windowsVisible() const;
    // Overrides what windowsVisible() reports (tests of the save question
    // run offscreen). Alert handlers are not affected.
    void setWindowsVisible(bool visible) { windowsVisibleOverride_ = visible; }

    // --- documents --------------------------------------------------------------------------
    // Opens a window for the document (shown unless `show` is false) and
    // adds the menus to it. The window owns the document.
    DocumentWindowQt* openDocument(std::unique_ptr<VexaDocument> document, bool show = true);
    // A new empty document in a window, shown unless the run is hidden.
    DocumentWindowQt* newDocumentWindow();
    // The open windows (not those closed and waiting for destruction).
    std::vector<DocumentWindowQt*> windows() const;
    const std::vector<VexaDocument*>& documents() const { return documents_; }
    // The window a document is drawn in: its own, or its main document's.
    static DocumentWindowQt* windowOf(VexaDocument* document);
    // Path of the file the document was read from or saved to; empty when
    // it has none (a new document, a sub-view).
    static QString filePathOf(VexaDocument* document);

    // --- current objects ----------------------------------------------------------------------
    void setCurrentDoc(VexaDocument* document, VexaDocument* main) override;
    // setCurrentText and setCurrentGraphic: ManagerServices.

    // --- refresh ---------------------------------------------------------------------------------
    void update() override;

    // --- inspector and data panes -----------------------------------------------------------------
    // The panels by key, and what they are given of the controller.
    InspectorHost& inspectors() { return *inspectors_; }
    const InspectorHost& inspectors() const { return *inspectors_; }
    void switchInspector(const QString& key) override;
    void switchDataView(const QString& key);

    // --- side tables (ManagerTables.cpp) --------------------------------------------------------
    // Each toggle acts on the buffer of the row in the current document and
    // does nothing without a document or for a row outside its buffer list;
    // then the buffer list reloads and the document replots.
    void toggleBuffer(int row); // shown or hidden
    // A free axis becomes the pair's again; otherwise pair 1 becomes 2 and
    // anything else 1.
    void toggleXBelong(int row);
    void toggleYBelong(int row);
    void toggleLegend(int row);
    // Makes the row's buffer current (row 0 for a row outside the list),
    // clears the point table's selection, replots. Edits are ignored
    // meanwhile.
    void setCurrentBuffer(int row);
    // The point table's x or y column between numbers and dates.
    void toggleDataViewX();
    void toggleDataViewY();
    // Widens or narrows a value column of the point table to what it shows.
    void fitPointColumn(int column);
    // Deletes the current buffer's points whose rows are selected in the
    // point table (rows past its points are skipped), clears that
    // selection, refreshes and replots.
    void deletePoints();
    // The axis-label panel's table, with its model: the axis shown is the one
    // chosen in the panel's "insAxisLabelsSel" control.
    AxisLabelTableView* makeAxisLabelTable(QWidget* parent = nullptr);
    // The AxisIndex chosen on the axis-label panel; -1 while the panel is
    // not loaded.
    int axisLabelAxis() const;

    // --- tools ------------------------------------------------------------------------------------
    QString mouseModeTitle() const override;
    void selectMouseMode(const QString& title) override;
    void mouseModeDidChange(VexaDocument* sender) override;
    void getShortcut(int character) override;

    // --- value read-outs (ManagerServices) -------------------------------------------------
    // The texts and variables are set even while the read-out fields are
    // not built; the fields show them once they are.
    void showValues(QPointF point) override;
    void showValues(QPointF point, QPointF from) override;
    void showValuesMeasure(QPointF point) override;
    void showValuesMeasure(QPointF point, QPointF from) override;
    void setMouseLocation(double value) override;
    void setLinBg(double a, double b) override;

    // --- what the graph's tools and keys ask of the controller (ManagerTools.cpp) ----------
    void selectPointRow(int row) override;
    void deselectAllPoints() override;
    void showAxisInInspector(int axis) override;
    const GraphicSettings* graphicSettings() const override;
    void itemTakenAway(const void* item) override;
    void ma_executeByShortcut(int character) override;
    // Dropped text comes in as "Drag&Drop", a dropped file as "Pasteboard".
    bool importDroppedText(VexaDocument& document, const QString& text) override;
    bool importDroppedFile(VexaDocument& document, const QString& path) override;

    // --- preferences (ManagerPreferences.cpp) -------------------------------------------------
    // Palette colour n (taken modulo 16).
    QColor paletteColor(int n) const;
    // The current buffer's style becomes that of new buffers; a beep without
    // a current buffer.
    void prefSetDefaultStyle();
    // The font panel for one font: 2 the current document's legend font
    // (the relay keeps its receiver without a document), 3, 4, 5 the default
    // text, number and legend fonts.
    void fontChanges(int tag);
    void receiveFont(const FontChange& relay) override;
    // The open panel for one document file, whose section is merged into the
    // current document, which then replots.
    void loadPartialFile(DocumentArchive::PartialLoadSection section);
    bool toolbarSwitch() const override;
    // The date-and-time format of times the user sees or types.
    QString TDF() const override;
    // A time value written in that format.
    QString timeText(double seconds) const;

    // --- selections and the axis pair ---------------------------------------------------------------
    std::vector<int> selectedBufferRows() const override;
    std::vector<int> selectedPointRows() const override;
    int axis12() const override;
    void axis12DidChange();
    // True when one axis pair is chosen; otherwise the "Both Axis Selected"
    // alert and false.
    bool axisBothWarn();
    // True when buffers are selected, or the user chose "Select All";
    // without a document a beep and false.
    bool noSelectWarn();

    // --- values and variables -------------------------------------------------------------------------
    QString getValue(int axis, int mode, double coordinate) const override;
    // The distance first - second between two view coordinates on axis 0..3
    // as text: on a time axis days:hours:minutes:seconds ("%d:%02d:%02d:%02d",
    // each part floored in turn, so -30 s reads -1:23:59:30); empty without
    // a current document.
    QString getDValue(int axis, int mode, double first, double second) const;
    // getInput (MacroHost) asks for a value with a message; the answer goes
    // to SV "input", empty when the question was cancelled.

    // The undo manager that Undo and Redo act on: the current document's.
    UndoManager* currentUndoManager() const;

    // --- menu actions ------------------------------------------------------------------------------------
    void openDocumentFile(); // File > Open
    bool saveDocument(); // File > Save; false when nothing was written
    bool saveDocumentAs();
    void closeDocument();
    void printDocument();
    void importFile(); // ASCII import
    void binaryImport();
    void exportASCII();
    void savePDF();
    void saveEPS();
    void saveJPG();
    void savePNG();
    void rescale(VexaDocument* sender) override;
    void upscale(); // zoom out
    void downscale(); // zoom in
    void undo();
    void redo();
    void bSelectAll();
    void showInspector();
    void showHelp();
    // The help window at one of its pages ("commands.html").
    void showHelpPage(const QString& fileName);
    void visitHomepage();
    // Asks about each edited window in turn; Cancel (or a failed save) on
    // any stops the quit, leaving that window and those after it open.
    void quit();

    // --- buffer and object menu actions (ManagerBufferActions.cpp) ------------------------------
    // Each acts on the current document and beeps without one (newBuffer,
    // nextBuffer and previousBuffer excepted). The selected buffers are the
    // selected rows of the buffer list below the buffer count.
    void bShow();
    void bHide();
    void bShowSel(); // only the selected buffers shown
    void bHideSel(); // only the selected buffers hidden
    // Deletes the selected buffers and clears the selection, so that a
    // second Delete cannot take buffers the user never chose.
    void bDelete();
    void bDuplicte(); // copies of the selected buffers appended, in row order
    void bSelectNone();
    void bSelectInvert();
    void bRemoveError();
    void bMoveUp(); // the current buffer one place up the list
    void bMoveDown();
    void deleteSubview(); // the current sub-view; a beep for a main document
    void deleteAllSubviews();
    void deleteAllTextObjects();
    void deleteAllGraphicObjects();
    void newBuffer();
    void nextBuffer();
    void previousBuffer();

    // --- the pasteboard (ManagerPasteboard.cpp) ----------------------------------------------------
    // Copy: the selected buffers when the inspector window is active, else
    // the current graphic, else the whole graph as a picture. Cut: only the
    // current graphic. Paste: the first of text (imported as ASCII), a
    // graphic, buffers or a picture that the clipboard offers. Data that
    // cannot be read changes nothing and is reported in the "Paste Error"
    // alert.
    void copy();
    void cut();
    void paste();
    static QString bufferMimeType(); // "application/x-vexa-buffer"
    static QString graphicMimeType(); // "application/x-vexa-graphic"

    // The open and save panels, replaceable (tests answer them). Returns the
    // chosen paths; none when cancelled.
    struct FilePanelRequest {
        enum Kind { Open, Save };
        Kind kind = Open;
        QString title;
        QString directory;
        QString suffix; // allowed type of a save panel or an open panel; empty: any
        bool multiple = false;
        // Settings shown inside the panel (PanelAccessories); the panel gives
        // it back when it closes.
        QWidget* accessory = nullptr;
    };
    std::function<QStringList(const FilePanelRequest&)> filePanel;
    // The panel that filePanel shows: the toolkit's own file dialog (the
    // desktop's would have no room for the accessory), the accessory below
    // its controls. When the dialog finishes, the accessory is given back
    // (no parent) for the next panel.
    static std::unique_ptr<QFileDialog> makeFilePanel(const FilePanelRequest& request, QWidget* parent);

    // --- what every document-based desktop program offers (ManagerDesktop.cpp) ----------------------------
    // What a file on the command line (or handed over by a second start) is,
    // told by its name's extension.
    enum class FileKind { Document, QueryList, MacroList };
    static FileKind fileKindOf(const QString& path);
    // Opens each file by its kind: documents in windows of their own, query
    // and macro lists merged into the controller's lists. A file that cannot
    // be opened is reported by its reader and the rest still open. Returns
    // how many were opened or merged.
    int openFiles(const QStringList& paths);
    // The document file in a window (the window already showing that file
    // comes to the front instead), shown unless the run is hidden, and
    // listed under Open Recent. Null when the file was refused; the reader
    // has shown why ("File Open Error").
    DocumentWindowQt* openDocumentAtPath(const QString& path);
    // Merges a query list or a macro list file into the controller's list.
    // False when nothing was merged (and the user was told why).
    virtual bool openListFile(const QString& path, FileKind kind);

    // Open Recent: the files opened and saved lately, kept in the settings.
    QMenu* openRecentMenu = nullptr;
    void noteRecentFile(const QString& path);
    // The Window menu's list of document windows, the About box.
    QAction* aboutAction = nullptr;
    QWidget* aboutBox = nullptr;
    void showAbout();
    // The program's homepage (Help > Vexa Homepage, the About box).
    static QString homepageAddress();
    // The title a new window without a file gets: "Untitled", then
    // "Untitled 2", "Untitled 3", ... the lowest number no open window uses.
    QString nextUntitledName() const;

    // --- stored lists ------------------------------------------------------------------------------
    // The stored MySQL queries (MYQ) with their editor, shown as the "mysql"
    // data pane.
    QueryEditor* queryEditor = nullptr;
    // The stored macros (MA) with their editor, shown as the "macro" data
    // pane, and the Macro menu.
    MacroEditor* macroEditor = nullptr;
    // Merges an opened macro-list file into the stored macros (OpenDoc).
    // Failed, with the reason, when the bytes are no macro list; the macros
    // are then as they were.
    virtual Outcome mergeMacroList(const QByteArray& data);

    // --- Channel Access (ManagerEPICS.cpp) ---------------------------------------------------------
    // The settings of the reads: the time given to each wait (epicstimeout),
    // the address list and the largest array, from the next read on.
    void epicsTimeout(double seconds) override;
    void epicsAddrList(const QString& list) override;
    // False (the alert shown, the setting kept) for a text that is no whole
    // number of bytes.
    bool epicsMaxArray(const QString& bytes) override;
    // 0 for the status 1 (success); otherwise the "EPICS Error" alert for
    // the status, and 1.
    int epicserr(int status);
    // Reads one value of the process variable into the numeric variable;
    // false (the alert shown, the variable untouched) when it failed.
    bool epicsSetVar(const QString& name, const QString& variable) override;
    // Reads the array(s) into a new buffer of the document (y empty: one
    // variable); false (the alert shown, the document untouched) when it
    // failed.
    bool importEPICS(VexaDocument& document, const QString& x, const QString& y) override;
    // The numeric result columns of the query as new buffers in the
    // palette's colours; false (the alert shown, the document untouched)
    // when it failed. Neither rescales nor redraws.
    bool importMySQL(VexaDocument& document, const MySQLQuery& query) override;

    // --- ApplicationController ---------------------------------------------------------------------------
    void documentOpened(VexaDocument* document) override;
    void documentClosed(VexaDocument* document) override;

    // --- the macro console
    // ---------------------------------------------------------------------------------- Errors in dark red,
    // messages in black. The lines are kept in console(), shown by the macro editor's console and by a small
    // window of its own ("Macro Console", made on its first show), which comes up when text arrives while the
    // editor's console is not on show. A run without windows writes every console line to a stream as well:
    // messages to consoleOut, errors to consoleErr (standard output and standard error unless a test points
    // them elsewhere).
    std::FILE* consoleOut = stdout;
    std::FILE* consoleErr = stderr;
    const ConsoleLog& console() const { return console_; }
    ConsoleLog& console() { return console_; }
    // The console window, made and shown.
    void showConsole();
    // The console window; null until first shown.
    QWidget* consoleWindow() const { return consoleWindow_; }
    // Errors written to the console since the controller was made.
    int consoleErrors() const { return consoleErrors_; }

    // --- MacroHost
    // ----------------------------------------------------------------------------------------------
    ManagerServices& services() override { return *this; }
    QHash<QString, QString>& stringVariables() override { return SV; }
    PerlJobState perlWaitFlag() const override { return GMAP.load(); }
    void setPerlWaitFlag(PerlJobState value) override { GMAP.store(value); }
    bool consoleAtLineStart() const override { return console_.atLineStart(); }
    void consoleAppend(const QString& text, bool error) override;
    void consoleClear() override;
    // A new document window (hidden in a hidden run) whose document becomes
    // the current one.
    VexaDocument* newDocument() override;
    void closeDocumentWindow(VexaDocument* document) override;
    void performClose(VexaDocument* document) override;
    // The document file in a window of its own, made current; null when it
    // was refused (the reader has said why).
    VexaDocument* openDocument(const QString& path) override;
    // Saves a document without a file to the path the save panel answers;
    // without windows on the screen nobody can answer and the save fails.
    // A failure is reported to the caller, not shown.
    Outcome saveDocument(VexaDocument* document) override;
    Outcome saveDocumentAs(VexaDocument* document, const QString& path) override;
    // With windows on the screen the print panel asks; without, the graph
    // goes to the default printer.
    Outcome printDocument(VexaDocument* document) override;
    // The sub-view's view is kept by the main document's window.
    VexaDocument* addSubview(VexaDocument& main, const QRectF& frame) override;
    // Takes the sub-view out of its main document and out of every pointer
    // and undo step that reaches it, then destroys it with its view.
    void removeSubview(VexaDocument& main, VexaDocument* subview) override;
    void setWindowContentSize(VexaDocument* document, const QSizeF& size) override;
    std::optional<QString> openFilePanel(const QString& title, const QString& directory) override;
    // Kept in the store ("PATH"), with the panels of the menus.
    QString lastFolder() const override;
    void rememberFolderOf(const QString& path) override;
    // Minimises every window: the nearest a desktop without an application
    // menu comes to hiding an application.
    void hideApplication() override;
    void terminateApplication() override;
    void reloadBufferList() override;
    void setSelectedBufferRows(const std::vector<int>& rows) override;
    void reloadMacroTable() override;
    void setExecuteButtonTitle(const QString& title) override;
    std::vector<Macro*> storedMacros() override;
    void setPerlProgress(bool running) override;
    void showSelectedMacro() override;

protected:
    // The launch's "-i": imports the file into the start document. Not done
    // (with the reason) when nothing was read; shows nothing.
    virtual Outcome importStartFile(VexaDocument& document, const QString& path);
    // The launch's "-m": runs the macro file on the start document. Failed,
    // with the message, when the file could not be read or the run wrote an
    // error to the console.
    virtual Outcome runMacroFile(VexaDocument& document, const QString& path);
    // A launch option failed: standard error, an alert when windows are
    // shown, and a failing exit status.
    void reportLaunchError(const QString& message);

private:
    void buildInspectorWindow();
    // The data panes into their place under the data-pane buttons.
    void buildDataPanes(QWidget& place);
    // The buffer, points and comment fields show the current buffer (empty
    // without one); nothing without a current document or the fields.
    void showCurrentBuffer();
    // The palette's tooltips and the key catching of the inspector window;
    // returns the read-outs, whose fields are made when they are first shown.
    QWidget* buildToolReadouts();
    ValueReadouts* readouts_ = nullptr; // under the tool palette, owned by the window
    // What the panels are given of the controller; its guard holds edits back
    // for the controller's own switches as well.
    std::unique_ptr<PanelContext> makePanelContext();
    PanelContext& panelContext() { return *panelContext_; }
    std::unique_ptr<PanelContext> panelContext_;
    std::unique_ptr<InspectorHost> inspectors_;
    // The inspector window's stored place (owned by the window), given back
    // at its first show in a run; the line between panel and data panes.
    KeptWindowPlace* inspectorPlace_ = nullptr;
    bool inspectorPlaced_ = false;
    QSplitter* inspectorSplitter_ = nullptr;
    KeptWindowPlace* consolePlace_ = nullptr; // owned by the console window
    void buildMenus();
    // The menus every window's menu bar carries.
    QList<QMenu*> sharedMenus() const;
    // Cut, Copy and Paste in the Edit menu, the Buffers menu and the object
    // deletions of the Graph menu.
    void buildBufferMenus();
    // The selected rows that stand for buffers of the current document.
    std::vector<int> selectedBuffers() const;
    // Redraws the current document after a change of its buffer list.
    void refreshCurrent();
    // Shows or hides the selected buffers, after showing or hiding every
    // buffer when everyBuffer is given.
    void setShown(std::optional<bool> everyBuffer, bool selected);
    // The graph of the main document as one PDF page; empty, with the
    // reason, when there is none.
    QByteArray graphPDF(QString* error) const;
    // Clears the current text box or graphic and the undo steps of an item
    // that is about to be destroyed.
    void forgetItem(VexaDocument& document, const void* item);
    void buildDesktopMenus();
    void rebuildOpenRecentMenu();
    void rebuildWindowList();
    // Puts a window about to be shown on the screen (ManagerDesktop.cpp).
    void placeNewWindow(DocumentWindowQt* window);
    // Where the inspector window goes when no place of it is stored, and
    // how its panel and data panes share it then.
    void placeInspector();
    void splitInspector();
    // The buffer, points and comment fields once no document is current.
    void clearReadOuts();
    QMenu* buildPartialLoadMenu();
    void buildConsole();
    // Ends a console line left open on one of the streams.
    void endConsoleStreamLine();
    void initPreferences();
    void refreshUndoActions();
    QStringList runFilePanel(const FilePanelRequest& request);
    QString panelDirectory() const;
    void rememberPanelDirectory(const QString& path);
    // Writes the document file and ties the window to it; the reason in
    // *error when nothing was written.
    Outcome writeDocument(VexaDocument& document, const QString& path);
    // The save panel for the document's file; empty when cancelled.
    QString askDocumentPath(VexaDocument& document);
    bool windowsShown() const;

    std::vector<VexaDocument*> documents_;
    std::vector<QPointer<DocumentWindowQt>> windows_;
    BufferListModel* bufferRows_ = nullptr;
    PointTableModel* pointRows_ = nullptr;
    QItemSelectionModel* bufferSelection_ = nullptr; // on bufferRows_
    QItemSelectionModel* pointSelection_ = nullptr; // on pointRows_
    MadeWhenShown* dataPanesPlace_ = nullptr; // the panes' place (owned by the window)
    DataPanes panes_;
    QString dataPane_;
    // The text box the font panel was last given to; only compared.
    const void* fontPanelBox_ = nullptr;
    // Reloads the buffer list after a toggle and replots.
    void afterBufferToggle();
    mutable std::unique_ptr<CalendarFormat> timeFormat_;
    mutable QString timeFormatText_;
    int exitStatus_ = 0;
    // The macro of "-m"; it lives on so that a timer it started keeps going.
    std::unique_ptr<Macro> launchMacro_;
    ConsoleLog console_;
    int consoleErrors_ = 0;
    std::FILE* consoleOpenLine_ = nullptr; // the stream whose last line has no line end yet
    QPointer<QWidget> consoleWindow_;
    bool dialogsInstalled_ = false;
    Alert::Handler previousAlerts_;
    std::optional<bool> windowsVisibleOverride_;
    std::unique_ptr<PanelAccessories> accessories_;
    bool accessoriesFromDefaults_ = false; // the launch has read the preferences
    Preferences prefs_;
    LaunchOptions options_;
    // The expression language's document functions read this controller's
    // drawing document; installed while it lives.
    DocumentFunctions documentFunctions_{*this};
    std::unique_ptr<PreferencesWindow> preferencesWindow_;
};
