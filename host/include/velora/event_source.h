#ifndef VELORA_EVENT_SOURCE_H
#define VELORA_EVENT_SOURCE_H

// A host event source: the registrations of one kind of event of one object.
//
// Receivers register an (object, member handler) pair for an event type and
// sub-type. Raising an event calls, in registration order, every handler
// registered for the event's type whose sub-type is 0 (all sub-types) or
// equal to the event's sub-type. The same pair may be registered more than
// once and is then called once per registration.
//
// Handlers may add and remove registrations while an event is being raised:
// a removed registration is not called any more (even later in the same
// raise), and one added during a raise is first called by the next raise.
// Raising from a handler (nested raises) is allowed.
//
// The source does not own its receivers; a receiver must remove itself
// before it ends.

#include <cstdint>
#include <vector>

#include <lyiface/object.h>

#include "velora/export.h"

namespace velora {

class VELORA_API EventSource final : public lyiface::IRegister {
public:
    EventSource() = default;
    EventSource(const EventSource&) = delete;
    EventSource& operator=(const EventSource&) = delete;
    ~EventSource();

    /// Answers the source itself for kIdSelf; null otherwise.
    lyiface::IObject* IQuery(std::uint32_t id, int arg = 0) override;
    /// The source lives as long as the object that holds it; nothing to do.
    void Destroy(int) override {}

    /// Ignored for a null target or handler.
    void AddHandler(lyiface::ICallback* target, lyiface::ICallback::Handler handler, int type,
                    int subType = 0) override;
    /// Removes the earliest matching registration; false when there is none.
    bool RemoveHandler(lyiface::ICallback* target, lyiface::ICallback::Handler handler, int type,
                       int subType = 0) override;
    /// Removes every registration of `target`; returns how many went.
    int RemoveAll(lyiface::ICallback* target);

    /// Number of live registrations.
    int Count() const;
    /// No registration at all: raising would call nobody. Constant time, for
    /// hot paths that raise only when someone listens.
    bool Empty() const { return entries_.empty(); }
    /// Calls the matching handlers with `event` (see the top of this file);
    /// returns how many were called.
    int Raise(lyiface::EventRecord& event);

private:
    struct Entry {
        lyiface::ICallback* target;  // null once removed during a raise
        lyiface::ICallback::Handler handler;
        int type;
        int subType;
    };
    void Compact();

    std::vector<Entry> entries_;
    int raising_ = 0;
    bool dirty_ = false;
};

}  // namespace velora

#endif  // VELORA_EVENT_SOURCE_H
