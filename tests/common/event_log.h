#ifndef LYSDK_TESTS_COMMON_EVENT_LOG_H
#define LYSDK_TESTS_COMMON_EVENT_LOG_H

// A callback object for event tests: it keeps the type of every record it
// hears and hands each record to `then`. Built over an event source it
// subscribes to the given types, and unsubscribes when it ends.

#include <functional>
#include <vector>

#include <lyiface/object.h>

namespace lysdk_test {

class EventLog : public lyiface::ICallback {
public:
    EventLog() = default;
    EventLog(lyiface::IRegister& source, const std::vector<int>& subscribed)
        : source_(&source), subscribed_(subscribed) {
        for (int type : subscribed_) source.AddHandler(this, Fn(), type);
    }
    ~EventLog() {
        for (int type : subscribed_) source_->RemoveHandler(this, Fn(), type);
    }
    EventLog(const EventLog&) = delete;
    EventLog& operator=(const EventLog&) = delete;

    lyiface::IObject* IQuery(std::uint32_t, int) override { return this; }
    void Destroy(int) override {}
    void Heard(lyiface::IRegister*, lyiface::EventRecord* record) {
        types.push_back(record ? record->type : -1);
        if (then) then(record);
    }
    static Handler Fn() { return static_cast<Handler>(&EventLog::Heard); }
    int Count() const { return static_cast<int>(types.size()); }

    std::vector<int> types;
    std::function<void(lyiface::EventRecord*)> then;

private:
    lyiface::IRegister* source_ = nullptr;
    std::vector<int> subscribed_;
};

}  // namespace lysdk_test

#endif  // LYSDK_TESTS_COMMON_EVENT_LOG_H
