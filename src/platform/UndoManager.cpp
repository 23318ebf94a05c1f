#include "platform/UndoManager.h"

#include <QCoreApplication>
#include <QMetaObject>
#include <QtGlobal>

#include <algorithm>
#include <utility>

UndoManager::UndoManager() = default;
UndoManager::~UndoManager() = default;

bool UndoManager::hasApplication() const
{
    return QCoreApplication::instance() != nullptr;
}

// The implicit event group and the group that collects the way back during an
// undo or redo are ours: callers can neither end them nor undo past them.
int UndoManager::explicitLevel() const
{
    const int internal = (implicitOpen_ || mode_ != Mode::Normal) ? 1 : 0;
    return int(open_.size()) - internal;
}

int UndoManager::groupingLevel() const
{
    return int(open_.size());
}

void UndoManager::openImplicitGroup()
{
    open_.emplace_back();
    implicitOpen_ = true;
    ++implicitGeneration_;
    scheduleImplicitClose();
}

void UndoManager::scheduleImplicitClose()
{
    implicitCloseScheduled_ = true;
    const unsigned generation = implicitGeneration_;
    // Queued on timerContext_: a pending close dies with this manager.
    QMetaObject::invokeMethod(
        &timerContext_,
        [this, generation] {
            if (!implicitOpen_ || generation != implicitGeneration_)
                return; // that group was closed by undo/redo already
            implicitCloseScheduled_ = false;
            // A group begun in one event and still open waits for its end;
            // endUndoGrouping schedules the close again.
            if (explicitLevel() > 0)
                return;
            closeOuterGroup();
            notifyIfChanged();
        },
        Qt::QueuedConnection);
}

void UndoManager::closeOuterGroup()
{
    Group group = std::move(open_.front());
    open_.clear();
    implicitOpen_ = false;
    implicitCloseScheduled_ = false;
    ++implicitGeneration_;
    if (!group.actions.empty())
        pushStep(undoStack_, std::move(group));
}

void UndoManager::closeImplicitGroup()
{
    if (implicitOpen_ && explicitLevel() == 0) {
        closeOuterGroup();
        notifyIfChanged();
    }
}

void UndoManager::pushStep(std::vector<Group>& stack, Group&& group)
{
    stack.push_back(std::move(group));
    trim(stack);
}

void UndoManager::trim(std::vector<Group>& stack)
{
    if (levels_ > 0 && stack.size() > std::size_t(levels_))
        stack.erase(stack.begin(), stack.end() - levels_);
}

void UndoManager::registerUndo(const void* target, std::function<void()> action)
{
    if (!action || disabled_ > 0)
        return;
    if (mode_ == Mode::Normal) {
        redoStack_.clear();
        if (open_.empty()) {
            if (groupsByEvent_ && hasApplication()) {
                openImplicitGroup();
            } else {
                Group single;
                single.actions.push_back(Action{target, std::move(action)});
                pushStep(undoStack_, std::move(single));
                notifyIfChanged();
                return;
            }
        }
    }
    open_.back().actions.push_back(Action{target, std::move(action)});
    notifyIfChanged();
}

void UndoManager::beginUndoGrouping()
{
    if (open_.empty() && mode_ == Mode::Normal && groupsByEvent_ && hasApplication())
        openImplicitGroup();
    open_.emplace_back();
    notifyIfChanged();
}

void UndoManager::endUndoGrouping()
{
    if (explicitLevel() <= 0) {
        qWarning("UndoManager: endUndoGrouping without a matching beginUndoGrouping");
        return;
    }
    Group inner = std::move(open_.back());
    open_.pop_back();
    if (open_.empty()) {
        if (!inner.actions.empty())
            pushStep(undoStack_, std::move(inner));
    } else {
        auto& outer = open_.back().actions;
        outer.insert(outer.end(), std::make_move_iterator(inner.actions.begin()),
                     std::make_move_iterator(inner.actions.end()));
        if (implicitOpen_ && open_.size() == 1 && !implicitCloseScheduled_)
            scheduleImplicitClose();
    }
    notifyIfChanged();
}

void UndoManager::setGroupsByEvent(bool on)
{
    groupsByEvent_ = on;
}

bool UndoManager::groupsByEvent() const
{
    return groupsByEvent_;
}

bool UndoManager::undo()
{
    return runStep(Mode::Undoing);
}

bool UndoManager::redo()
{
    return runStep(Mode::Redoing);
}

bool UndoManager::runStep(Mode mode)
{
    if (mode_ != Mode::Normal || explicitLevel() > 0)
        return false;
    closeImplicitGroup();
    std::vector<Group>& from = mode == Mode::Undoing ? undoStack_ : redoStack_;
    if (from.empty())
        return false;

    // The step leaves the stack before any of it runs, so actions that
    // register or remove actions only ever see consistent stacks.
    Group step = std::move(from.back());
    from.pop_back();
    running_ = std::move(step.actions);
    mode_ = mode;
    open_.push_back(Group{{}, step.name});

    try {
        while (!running_.empty()) {
            Action action = std::move(running_.back());
            running_.pop_back();
            action.run();
        }
    } catch (...) {
        running_.clear();
        open_.clear();
        mode_ = Mode::Normal;
        notifyIfChanged();
        throw;
    }

    // Groups an action opened and never closed still belong to the way back.
    Group back;
    for (Group& g : open_) {
        back.actions.insert(back.actions.end(), std::make_move_iterator(g.actions.begin()),
                            std::make_move_iterator(g.actions.end()));
    }
    back.name = open_.empty() ? step.name : open_.front().name;
    open_.clear();
    mode_ = Mode::Normal;
    if (!back.actions.empty())
        pushStep(mode == Mode::Undoing ? redoStack_ : undoStack_, std::move(back));
    notifyIfChanged();
    return true;
}

bool UndoManager::canUndo() const
{
    if (mode_ != Mode::Normal || explicitLevel() > 0)
        return false;
    return !undoStack_.empty() || (implicitOpen_ && !open_.front().actions.empty());
}

bool UndoManager::canRedo() const
{
    return mode_ == Mode::Normal && explicitLevel() == 0 && !redoStack_.empty();
}

bool UndoManager::isUndoing() const
{
    return mode_ == Mode::Undoing;
}

bool UndoManager::isRedoing() const
{
    return mode_ == Mode::Redoing;
}

void UndoManager::setActionName(const QString& name)
{
    if (!open_.empty())
        open_.front().name = name;
    else if (!undoStack_.empty())
        undoStack_.back().name = name;
    notifyIfChanged();
}

QString UndoManager::undoActionName() const
{
    if (implicitOpen_ && !open_.front().actions.empty())
        return open_.front().name;
    return undoStack_.empty() ? QString() : undoStack_.back().name;
}

QString UndoManager::redoActionName() const
{
    return redoStack_.empty() ? QString() : redoStack_.back().name;
}

void UndoManager::removeAllActions()
{
    undoStack_.clear();
    redoStack_.clear();
    for (Group& g : open_)
        g.actions.clear();
    notifyIfChanged();
}

void UndoManager::removeAllActionsWithTarget(const void* target)
{
    auto strip = [target](std::vector<Action>& actions) {
        std::erase_if(actions, [target](const Action& a) { return a.target == target; });
    };
    for (auto* stack : {&undoStack_, &redoStack_}) {
        for (Group& g : *stack)
            strip(g.actions);
        std::erase_if(*stack, [](const Group& g) { return g.actions.empty(); });
    }
    for (Group& g : open_)
        strip(g.actions);
    strip(running_);
    notifyIfChanged();
}

void UndoManager::disableUndoRegistration()
{
    ++disabled_;
}

void UndoManager::enableUndoRegistration()
{
    if (disabled_ == 0) {
        qWarning("UndoManager: enableUndoRegistration without a matching disable");
        return;
    }
    --disabled_;
}

bool UndoManager::isUndoRegistrationEnabled() const
{
    return disabled_ == 0;
}

void UndoManager::setLevelsOfUndo(int levels)
{
    levels_ = std::max(levels, 0);
    trim(undoStack_);
    trim(redoStack_);
    notifyIfChanged();
}

int UndoManager::levelsOfUndo() const
{
    return levels_;
}

void UndoManager::setChangeHandler(std::function<void()> handler)
{
    changeHandler_ = std::move(handler);
    lastState_ = menuState();
}

UndoManager::MenuState UndoManager::menuState() const
{
    return MenuState{canUndo(), canRedo(), undoActionName(), redoActionName()};
}

void UndoManager::notifyIfChanged()
{
    // Mid-step states are not worth showing; runStep reports once at its end.
    if (mode_ != Mode::Normal || notifying_)
        return;
    notifying_ = true;
    // A handler that itself changes the stacks gets told about that too, but
    // a handler that changes them on every call cannot keep us here.
    for (int round = 0; round < 4; ++round) {
        const MenuState now = menuState();
        if (now == lastState_)
            break;
        lastState_ = now;
        if (!changeHandler_)
            break;
        auto handler = changeHandler_;
        handler();
    }
    notifying_ = false;
}
