#include "model/DocumentListeners.h"

#include <algorithm>
#include <utility>

DocumentListeners::Subscription& DocumentListeners::Subscription::operator=(Subscription&& other) noexcept
{
    if (this != &other) {
        cancel();
        entries_ = std::move(other.entries_);
        id_ = std::exchange(other.id_, 0);
    }
    return *this;
}

void DocumentListeners::Subscription::cancel()
{
    if (const std::shared_ptr<Entries> entries = entries_.lock())
        std::erase_if(*entries, [this](const Entry& e) { return e.id == id_; });
    entries_.reset();
}

DocumentListeners::Subscription DocumentListeners::add(Listener listener)
{
    const int id = ++lastId_;
    entries_->push_back({id, std::move(listener)});
    return Subscription(entries_, id);
}

void DocumentListeners::notify(const DocumentChange& change) const
{
    // A listener may end a subscription (its own or another's) or add one:
    // the list as it was when the notification started is told, each
    // listener only while it is still on the list.
    const Subscription::Entries told = *entries_;
    for (const Subscription::Entry& t : told) {
        const int id = t.id;
        if (std::any_of(entries_->begin(), entries_->end(), [id](const auto& e) { return e.id == id; }))
            t.listener(change);
    }
}
