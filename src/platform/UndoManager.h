#pragma once

// Undo and redo for one document window. Changes register closures that put
// things back; closures registered together form one group, and one group is
// one step of Edit > Undo. Undoing a step runs its closures newest first; they
// register their own way back, which becomes the matching redo step.
//
// By default every registration made while handling one user event lands in
// one group: the first registration (or explicit group) of an event opens an
// implicit group that closes when control returns to the Qt event loop. A
// mouse gesture that sets both axis pairs is therefore one step, not two.
// Without a QCoreApplication there is no event loop to close it, so a lone
// registration outside any group is a step of its own.
//
// Main thread only.

#include <QObject>
#include <QString>

#include <cstddef>
#include <functional>
#include <vector>

class UndoManager {
public:
    UndoManager();
    ~UndoManager();
    UndoManager(const UndoManager&) = delete;
    UndoManager& operator=(const UndoManager&) = delete;

    // Records a closure that reverts a change to target. While undoing it goes
    // to the redo step being built, while redoing to the undo step; otherwise
    // it joins the open group and forgets every redo step. Ignored while
    // registration is disabled or when the action is empty.
    void registerUndo(const void* target, std::function<void()> action);

    // Explicit groups nest: an inner group becomes part of the enclosing one.
    // An unmatched end is ignored. A group that collected nothing leaves no step.
    void beginUndoGrouping();
    void endUndoGrouping();
    // Open groups, the implicit event group included.
    int groupingLevel() const;

    void setGroupsByEvent(bool on);
    bool groupsByEvent() const;
    // Closes the implicit event group now (when no explicit group is open
    // inside it), making what it collected an undo step.
    void closeImplicitGroup();

    // Undo/redo the newest step. Refused (false) while an explicit group is
    // open, while an undo or redo is running, or when there is no step.
    bool undo();
    bool redo();
    bool canUndo() const;
    bool canRedo() const;
    bool isUndoing() const;
    bool isRedoing() const;

    // Names the open group, or the newest undo step when no group is open.
    void setActionName(const QString& name);
    QString undoActionName() const;
    QString redoActionName() const;

    // Drops every step (open groups stay open but lose their actions).
    void removeAllActions();
    // Drops every action that points at target, including those still waiting
    // to run in an undo or redo under way; steps left empty disappear. Called
    // when target is deleted, so no closure can reach it afterwards.
    void removeAllActionsWithTarget(const void* target);

    // Counted: each disable needs its own enable.
    void disableUndoRegistration();
    void enableUndoRegistration();
    bool isUndoRegistrationEnabled() const;

    // Number of undo steps kept (and of redo steps); 0 keeps all. Oldest steps go first.
    void setLevelsOfUndo(int levels);
    int levelsOfUndo() const;

    // Called whenever canUndo, canRedo or one of the action names changes,
    // so the window can refresh its Edit menu.
    void setChangeHandler(std::function<void()> handler);

    // Steps held (for tests and diagnostics).
    std::size_t undoCount() const { return undoStack_.size(); }
    std::size_t redoCount() const { return redoStack_.size(); }

private:
    struct Action {
        const void* target;
        std::function<void()> run;
    };
    struct Group {
        std::vector<Action> actions;
        QString name;
    };
    struct MenuState {
        bool canUndo = false;
        bool canRedo = false;
        QString undoName;
        QString redoName;
        bool operator==(const MenuState&) const = default;
    };
    enum class Mode { Normal, Undoing, Redoing };

    bool hasApplication() const;
    int explicitLevel() const;
    void openImplicitGroup();
    void scheduleImplicitClose();
    void closeOuterGroup();
    void pushStep(std::vector<Group>& stack, Group&& group);
    void trim(std::vector<Group>& stack);
    bool runStep(Mode mode);
    MenuState menuState() const;
    void notifyIfChanged();

    std::vector<Group> undoStack_;
    std::vector<Group> redoStack_;
    std::vector<Group> open_; // open groups, outermost first
    std::vector<Action> running_; // the rest of the step being undone/redone
    bool implicitOpen_ = false; // open_[0] is the event group
    bool implicitCloseScheduled_ = false;
    unsigned implicitGeneration_ = 0;
    bool groupsByEvent_ = true;
    Mode mode_ = Mode::Normal;
    int disabled_ = 0;
    int levels_ = 0;
    std::function<void()> changeHandler_;
    MenuState lastState_;
    bool notifying_ = false;
    QObject timerContext_; // cancels pending closes when we go away
};
