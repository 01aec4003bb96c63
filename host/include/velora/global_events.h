#ifndef VELORA_GLOBAL_EVENTS_H
#define VELORA_GLOBAL_EVENTS_H

// Named global events: application-wide events known by name
// ("LIBRARY_OPEN", "FILE_NEW", ...). Anyone may raise one by name; receivers
// hold a GlobalEvent handle and register handlers through it. A handle's
// registrations end with the handle.

#include <string>
#include <vector>

#include "velora/event_source.h"

namespace velora {

/// The type code of the records of named global events.
constexpr int kEventGlobal = 1000;

class VELORA_API GlobalEvent {
public:
    /// A handle on the event called `name` (created on first use).
    explicit GlobalEvent(const char* name);
    /// Removes every registration made through this handle.
    ~GlobalEvent();
    GlobalEvent(const GlobalEvent&) = delete;
    GlobalEvent& operator=(const GlobalEvent&) = delete;

    const char* Name() const { return name_.c_str(); }
    /// Registers a handler; called with a record of type kEventGlobal whose
    /// data is what the raiser passed.
    void Add(lyiface::ICallback* target, lyiface::ICallback::Handler handler);
    /// Removes one registration made through this handle; false when none.
    bool Remove(lyiface::ICallback* target, lyiface::ICallback::Handler handler);
    /// The event's source (shared by every handle of the same name).
    EventSource& Source();

    /// Raises the event called `name`; returns how many handlers ran.
    static int Raise(const char* name, void* data = nullptr);
    /// Number of live registrations on the event called `name`.
    static int HandlerCount(const char* name);

private:
    struct Registration {
        lyiface::ICallback* target;
        lyiface::ICallback::Handler handler;
    };
    std::string name_;
    std::vector<Registration> registrations_;
};

}  // namespace velora

#endif  // VELORA_GLOBAL_EVENTS_H
