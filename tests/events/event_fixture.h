#ifndef LYSDK_TESTS_EVENTS_EVENT_FIXTURE_H
#define LYSDK_TESTS_EVENTS_EVENT_FIXTURE_H

// Receivers and sources for the event tests.

#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "core/host_fixture.h"

namespace lysdk_test {

using namespace VELSDK2025;

/// One call a receiver heard.
struct Heard {
    std::string who;
    IRegister* sender;
    EventRecord* record;
    int type;
    std::thread::id thread;
};

/// A callback object that writes every call into a log, which several
/// receivers may share to show the order they were called in.
class Receiver : public ICallback {
public:
    explicit Receiver(std::string name, std::vector<Heard>* log = nullptr)
        : name_(std::move(name)), log_(log ? log : &own_) {}
    Receiver(const Receiver&) = delete;
    Receiver& operator=(const Receiver&) = delete;
    ~Receiver() = default;

    IObject* IQuery(std::uint32_t id, int) override {
        return id == lyiface::kIdSelf || id == lyiface::kIdCallback ? this : nullptr;
    }
    void Destroy(int) override {}

    void Heard(IRegister* sender, EventRecord* record) {
        log_->push_back(lysdk_test::Heard{name_, sender, record, record ? record->type : -1,
                                          std::this_thread::get_id()});
        if (then) then(sender, record);
    }
    void Other(IRegister* sender, EventRecord* record) { Heard(sender, record); }

    const std::vector<lysdk_test::Heard>& Calls() const { return *log_; }
    int Count() const {
        int n = 0;
        for (const auto& h : *log_) n += h.who == name_;
        return n;
    }

    /// Run after each call is logged, inside the callback.
    std::function<void(IRegister*, EventRecord*)> then;

private:
    std::string name_;
    std::vector<lysdk_test::Heard> own_;
    std::vector<lysdk_test::Heard>* log_;
};

inline ICallback::Handler HeardFn() { return LyHandler(&Receiver::Heard); }
inline ICallback::Handler OtherFn() { return LyHandler(&Receiver::Other); }

/// An event source that only counts what reaches it, to show that a cut-off
/// event no longer calls its source at all.
class CountingRegister : public IRegister {
public:
    IObject* IQuery(std::uint32_t id, int) override { return id == lyiface::kIdSelf ? this : nullptr; }
    void Destroy(int) override {}
    void AddHandler(ICallback*, ICallback::Handler, int type, int subType) override {
        ++adds;
        lastType = type;
        lastSubType = subType;
    }
    bool RemoveHandler(ICallback*, ICallback::Handler, int, int) override {
        ++removes;
        return false;
    }
    int adds = 0;
    int removes = 0;
    int lastType = -1;
    int lastSubType = -1;
};

}  // namespace lysdk_test

#endif  // LYSDK_TESTS_EVENTS_EVENT_FIXTURE_H
