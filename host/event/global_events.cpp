#include "velora/global_events.h"

#include <map>
#include <memory>
#include <mutex>

namespace velora {

namespace {

// Sources live for the whole process and are never destroyed: a handle held
// in a static of some library may end after this unit's statics would.
EventSource& SourceNamed(const std::string& name) {
    static auto* mutex = new std::mutex;
    static auto* sources = new std::map<std::string, std::unique_ptr<EventSource>>;
    std::lock_guard<std::mutex> lock(*mutex);
    std::unique_ptr<EventSource>& source = (*sources)[name];
    if (!source) source = std::make_unique<EventSource>();
    return *source;
}

}  // namespace

GlobalEvent::GlobalEvent(const char* name) : name_(name ? name : "") {}

GlobalEvent::~GlobalEvent() {
    if (registrations_.empty()) return;
    EventSource& source = Source();
    for (const Registration& r : registrations_)
        source.RemoveHandler(r.target, r.handler, kEventGlobal);
}

EventSource& GlobalEvent::Source() { return SourceNamed(name_); }

void GlobalEvent::Add(lyiface::ICallback* target, lyiface::ICallback::Handler handler) {
    if (!target || !handler) return;
    Source().AddHandler(target, handler, kEventGlobal);
    registrations_.push_back(Registration{target, handler});
}

bool GlobalEvent::Remove(lyiface::ICallback* target, lyiface::ICallback::Handler handler) {
    for (auto it = registrations_.begin(); it != registrations_.end(); ++it) {
        if (it->target == target && it->handler == handler) {
            registrations_.erase(it);
            return Source().RemoveHandler(target, handler, kEventGlobal);
        }
    }
    return false;
}

int GlobalEvent::Raise(const char* name, void* data) {
    lyiface::EventRecord record(kEventGlobal, 0, nullptr, data);
    return SourceNamed(name ? name : "").Raise(record);
}

int GlobalEvent::HandlerCount(const char* name) { return SourceNamed(name ? name : "").Count(); }

}  // namespace velora
