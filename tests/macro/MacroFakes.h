#pragma once

// A scripted host for macro runs: a console that records what was written,
// a document factory, the variable stores, and hooks a test can set.

#include "macro/Macro.h"
#include "macro/MacroCommandTable.h"
#include "macro/MacroHost.h"
#include "model/ManagerServices.h"
#include "model/VexaDocument.h"

#include <QFileInfo>
#include <QString>
#include <QStringList>

#include <atomic>
#include <functional>
#include <memory>
#include <optional>
#include <utility>
#include <vector>

class FakeServices : public ManagerServices {
public:
    std::vector<int> selectedRows;
    std::vector<int> selectedBufferRows() const override { return selectedRows; }
};

class FakeMacroHost : public MacroHost {
public:
    FakeServices manager;
    QString console;
    QStringList errors; // the error texts, in order
    std::vector<std::unique_ptr<VexaDocument>> documents;
    int newDocuments = 0;
    int maxRunsSeenAtOutput = 0; // runs in progress when text arrived
    int terminations = 0;
    long long bufferListReloads = 0; // one per command the runner starts
    QString executeTitle;
    int lastFailures = 0; // of the last run of runMacro
    bool lastStopped = false;
    std::function<void(const QString&)> onOutput;

    QHash<QString, QString> SV;
    std::atomic<PerlJobState> GMAP{PerlJobState::Idle};

    ManagerServices& services() override { return manager; }
    QHash<QString, QString>& stringVariables() override { return SV; }
    PerlJobState perlWaitFlag() const override { return GMAP; }
    void setPerlWaitFlag(PerlJobState value) override { GMAP = value; }
    bool consoleAtLineStart() const override
    {
        return console.isEmpty() || console.endsWith(QLatin1Char('\n'));
    }
    void consoleAppend(const QString& text, bool error) override
    {
        console += text;
        if (error)
            errors << text;
        maxRunsSeenAtOutput = std::max(maxRunsSeenAtOutput, Macro::runInProgress() ? 1 : 0);
        if (onOutput)
            onOutput(text);
    }
    void consoleClear() override { console.clear(); }
    void reloadBufferList() override { ++bufferListReloads; }
    VexaDocument* newDocument() override
    {
        ++newDocuments;
        manager.PD = manager.MPD = addDocument();
        return manager.PD;
    }
    void setExecuteButtonTitle(const QString& title) override { executeTitle = title; }
    // The windows resized, each with the content size asked for.
    std::vector<std::pair<VexaDocument*, QSizeF>> windowSizes;
    void setWindowContentSize(VexaDocument* document, const QSizeF& size) override
    {
        windowSizes.emplace_back(document, size);
    }
    void terminatePerlTask() override
    {
        ++terminations;
        if (onTerminate)
            onTerminate();
        MacroHost::terminatePerlTask();
    }
    std::function<void()> onTerminate;
    // The stored macro list, and the editor's progress indicator and
    // redisplays as the perl bridge drives them.
    std::vector<Macro*> stored;
    std::vector<Macro*> storedMacros() override { return stored; }
    bool progressShown = false;
    int selectedMacroShown = 0;
    void setPerlProgress(bool running) override { progressShown = running; }
    void showSelectedMacro() override { ++selectedMacroShown; }
    std::optional<QString> openedPath; // the answer of the next open panel; none: cancelled
    QString openPanelTitle, openPanelDirectory;
    std::optional<QString> openFilePanel(const QString& title, const QString& directory) override
    {
        openPanelTitle = title;
        openPanelDirectory = directory;
        return openedPath;
    }
    QString folder; // kept for the open panels
    QString lastFolder() const override { return folder; }
    void rememberFolderOf(const QString& path) override { folder = QFileInfo(path).absolutePath(); }

    // A document owned by the host; not current.
    VexaDocument* addDocument()
    {
        documents.push_back(std::make_unique<VexaDocument>(&manager));
        return documents.back().get();
    }
    // A current document with buffers of the given point counts
    // (x = i, y = 10 i).
    VexaDocument* currentDocument(std::initializer_list<int> points = {})
    {
        VexaDocument* d = addDocument();
        for (int n : points) {
            auto b = std::make_unique<DataBuffer>();
            for (int i = 0; i < n; ++i)
                b->addDoubleValue(i, 10.0 * i);
            d->DB.push_back(std::move(b));
        }
        manager.PD = manager.MPD = d;
        return d;
    }
};

// Runs the source as a stored macro on the host's current document and
// returns the console.
inline QString runMacro(FakeMacroHost& host, const QString& source)
{
    Macro m(QStringLiteral("test"), source, 0, 0);
    m.run(host);
    host.lastFailures = m.failures;
    host.lastStopped = m.stopped();
    return host.console;
}
