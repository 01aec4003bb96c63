#include "velora/event_source.h"

#include <algorithm>

namespace velora {

EventSource::~EventSource() = default;

lyiface::IObject* EventSource::IQuery(std::uint32_t id, int) {
    return id == lyiface::kIdSelf ? this : nullptr;
}

void EventSource::AddHandler(lyiface::ICallback* target, lyiface::ICallback::Handler handler, int type,
                             int subType) {
    if (!target || !handler) return;
    entries_.push_back(Entry{target, handler, type, subType});
}

bool EventSource::RemoveHandler(lyiface::ICallback* target, lyiface::ICallback::Handler handler, int type,
                                int subType) {
    for (std::size_t i = 0; i < entries_.size(); ++i) {
        Entry& e = entries_[i];
        if (e.target == target && target && e.handler == handler && e.type == type && e.subType == subType) {
            if (raising_) {
                // A raise may be walking the list: mark, compact afterwards.
                e.target = nullptr;
                dirty_ = true;
            } else {
                entries_.erase(entries_.begin() + static_cast<std::ptrdiff_t>(i));
            }
            return true;
        }
    }
    return false;
}

int EventSource::RemoveAll(lyiface::ICallback* target) {
    if (!target) return 0;
    int removed = 0;
    for (Entry& e : entries_) {
        if (e.target == target) {
            e.target = nullptr;
            ++removed;
        }
    }
    if (removed) {
        dirty_ = true;
        if (!raising_) Compact();
    }
    return removed;
}

int EventSource::Count() const {
    return static_cast<int>(std::count_if(entries_.begin(), entries_.end(),
                                          [](const Entry& e) { return e.target != nullptr; }));
}

int EventSource::Raise(lyiface::EventRecord& event) {
    int called = 0;
    ++raising_;
    // Registrations added by a handler land past `end` and wait for the next
    // raise; indices stay valid because nothing is erased while raising.
    const std::size_t end = entries_.size();
    for (std::size_t i = 0; i < end; ++i) {
        const Entry e = entries_[i];  // copy: a handler may grow the vector
        if (!e.target || e.type != event.type) continue;
        if (e.subType != 0 && e.subType != event.subType) continue;
        (e.target->*e.handler)(this, &event);
        ++called;
    }
    if (--raising_ == 0 && dirty_) Compact();
    return called;
}

void EventSource::Compact() {
    entries_.erase(std::remove_if(entries_.begin(), entries_.end(),
                                  [](const Entry& e) { return e.target == nullptr; }),
                   entries_.end());
    dirty_ = false;
}

}  // namespace velora
