#pragma once

// Who hears of a document's changes, and what they hear. A document tells
// its listeners once per replot; the window that shows it listens and
// brings itself in line (palette, strip, edited mark).
//
// A subscription keeps its listener on the list for as long as it lives.
// Either side may go first: a subscription that outlives its list lets go
// of nothing, and a listener may end its own subscription while it is told.

#include <functional>
#include <memory>
#include <vector>

struct DocumentChange {
    // True when a setting (page, legend, an axis, a buffer's style, error
    // bars, legend entry or size expression) took a new value since the last
    // notification; false for a replot after other changes, or none.
    bool settings = false;
};

class DocumentListeners {
public:
    using Listener = std::function<void(const DocumentChange&)>;

    class Subscription {
    public:
        Subscription() = default;
        Subscription(Subscription&& other) noexcept = default;
        Subscription& operator=(Subscription&& other) noexcept;
        Subscription(const Subscription&) = delete;
        Subscription& operator=(const Subscription&) = delete;
        ~Subscription() { cancel(); }
        // Takes the listener off the list now; nothing when it is already off.
        void cancel();

    private:
        friend class DocumentListeners;
        struct Entry {
            int id;
            Listener listener;
        };
        using Entries = std::vector<Entry>;
        Subscription(std::weak_ptr<Entries> entries, int id)
                : entries_(std::move(entries))
                , id_(id)
        {
        }
        std::weak_ptr<Entries> entries_;
        int id_ = 0;
    };

    [[nodiscard]] Subscription add(Listener listener);
    // Tells every listener on the list when the notification starts, in the
    // order they were added.
    void notify(const DocumentChange& change) const;
    bool empty() const { return entries_->empty(); }

private:
    std::shared_ptr<Subscription::Entries> entries_ = std::make_shared<Subscription::Entries>();
    int lastId_ = 0;
};
