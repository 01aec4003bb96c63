// LyPropertyEvent: event properties, their host sources, global events and
// the cut-off when the parent component loses its host object.

#include <map>
#include <memory>
#include <string>
#include <vector>

#include <velora/evaluation.h>
#include <velora/event_source.h>
#include <velora/global_events.h>
#include <velora/scene_events.h>

#include "lysdk/lyevent.h"

LYSDK_BEGIN_NAMESPACE

LYSDK_CLASS_IMPLEMENT(LyPropertyEvent, 0);
LYSDK_CLASS_IMPLEMENT(LyPropertyEventConnectionNotify, 0);
LYSDK_CLASS_IMPLEMENT(LyPropertyEventConnectionDataNotify, 0);
LYSDK_CLASS_IMPLEMENT(LyPropertyEventConnectionStateNotify, 0);
LYSDK_CLASS_IMPLEMENT(LyPropertyEventConnectionKeyingNotify, 0);
LYSDK_CLASS_IMPLEMENT(LyPropertyEventCallbackEvalPipeline, 0);
LYSDK_CLASS_IMPLEMENT(LyPropertyEventCallbackRenderPipeline, 0);
LYSDK_CLASS_IMPLEMENT(LyPropertyEventCallbackSynPoint, 0);
LYSDK_CLASS_IMPLEMENT(LyPropertyEventAnimationNode, 0);

namespace {

// One host subscription: a handle on the named event holding one pair. The
// pair is kept beside it so that Remove can find the first equal one.
struct Subscription {
    velora::GlobalEvent* handle;
    ICallback* receiver;
    ICallback::Handler handler;
};

}  // namespace

struct LyPropertyEvent::Private {
    bool global = false;
    // One host subscription per Add of a global event, oldest first.
    std::vector<Subscription> subscriptions;
    std::string globalName;
    LyComponent* parent = nullptr;
    // Set when the parent lost its host object. The parent has then emptied
    // its list (and may since have ended), so it is not touched again.
    bool cut = false;
};

LyPropertyEvent::LyPropertyEvent()
    : LyProperty(), mSource(nullptr), mEventType(0), mSubType(0), mPrivate(new Private()) {}

LyPropertyEvent::~LyPropertyEvent() {
    // Ending a handle ends its registration on the host.
    for (const Subscription& s : mPrivate->subscriptions) delete s.handle;
    if (mPrivate->parent && !mPrivate->cut) mPrivate->parent->UnregisterPropertyEvent(this);
    delete mPrivate;
}

LyPropertyEvent& LyPropertyEvent::Init(LyComponent* parent, IRegister* source, const char* name,
                                       int eventType, int subType) {
    Private& p = *mPrivate;
    if (p.parent && !p.cut) p.parent->UnregisterPropertyEvent(this);
    p.parent = parent;
    p.cut = false;
    if (parent) parent->RegisterPropertyEvent(this);
    mSource = source;
    mName = name;
    mEventType = eventType;
    mSubType = subType;
    p.global = false;
    p.globalName.clear();
    return *this;
}

LyPropertyEvent& LyPropertyEvent::InitGlobal(const char* name, const char* globalName) {
    mSource = nullptr;
    mEventType = 0;
    mName = name;
    mPrivate->global = true;
    mPrivate->globalName = globalName ? globalName : "";
    return *this;
}

void LyPropertyEvent::Add(ICallback* receiver, ICallback::Handler handler) {
    if (!receiver || !handler) return;
    Private& p = *mPrivate;
    if (p.global) {
        auto* handle = new velora::GlobalEvent(p.globalName.c_str());
        handle->Add(receiver, handler);
        p.subscriptions.push_back(Subscription{handle, receiver, handler});
        return;
    }
    if (mSource) mSource->AddHandler(receiver, handler, mEventType, mSubType);
}

void LyPropertyEvent::Remove(ICallback* receiver, ICallback::Handler handler) {
    Private& p = *mPrivate;
    if (p.global) {
        for (auto it = p.subscriptions.begin(); it != p.subscriptions.end(); ++it) {
            if (it->receiver != receiver || it->handler != handler) continue;
            velora::GlobalEvent* handle = it->handle;
            p.subscriptions.erase(it);
            handle->Remove(receiver, handler);
            delete handle;
            return;
        }
        return;
    }
    if (mSource) mSource->RemoveHandler(receiver, handler, mEventType, mSubType);
}

void LyPropertyEvent::InvalidateParent() {
    mSource = nullptr;
    if (mPrivate->parent) mPrivate->cut = true;
}

bool LyPropertyEvent::IsGlobal() const { return mPrivate->global; }
const char* LyPropertyEvent::GetGlobalName() const { return mPrivate->globalName.c_str(); }
int LyPropertyEvent::GetGlobalSubscriptionCount() const {
    return static_cast<int>(mPrivate->subscriptions.size());
}
LyComponent* LyPropertyEvent::GetParentComponent() const { return mPrivate->parent; }
bool LyPropertyEvent::IsCutOff() const { return mPrivate->cut; }

// Scene notifications --------------------------------------------------------

namespace {

void AddAt(IRegister& source, int type, ICallback* receiver, ICallback::Handler handler) {
    if (receiver && handler) source.AddHandler(receiver, handler, type, 0);
}

void RemoveAt(IRegister& source, int type, ICallback* receiver, ICallback::Handler handler) {
    source.RemoveHandler(receiver, handler, type, 0);
}

}  // namespace

void LyPropertyEventConnectionNotify::Add(ICallback* receiver, ICallback::Handler handler) {
    if (!IsCutOff())
        AddAt(velora::SceneEvents::Instance().Connection(), velora::kSceneConnectionNotify, receiver,
              handler);
}
void LyPropertyEventConnectionNotify::Remove(ICallback* receiver, ICallback::Handler handler) {
    if (!IsCutOff())
        RemoveAt(velora::SceneEvents::Instance().Connection(), velora::kSceneConnectionNotify,
                 receiver, handler);
}

void LyPropertyEventConnectionDataNotify::Add(ICallback* receiver, ICallback::Handler handler) {
    if (!IsCutOff())
        AddAt(velora::SceneEvents::Instance().Data(), velora::kSceneDataNotify, receiver, handler);
}
void LyPropertyEventConnectionDataNotify::Remove(ICallback* receiver, ICallback::Handler handler) {
    if (!IsCutOff())
        RemoveAt(velora::SceneEvents::Instance().Data(), velora::kSceneDataNotify, receiver, handler);
}

void LyPropertyEventConnectionStateNotify::Add(ICallback* receiver, ICallback::Handler handler) {
    if (!IsCutOff())
        AddAt(velora::SceneEvents::Instance().State(), velora::kSceneStateNotify, receiver, handler);
}
void LyPropertyEventConnectionStateNotify::Remove(ICallback* receiver, ICallback::Handler handler) {
    if (!IsCutOff())
        RemoveAt(velora::SceneEvents::Instance().State(), velora::kSceneStateNotify, receiver,
                 handler);
}

void LyPropertyEventConnectionKeyingNotify::Add(ICallback* receiver, ICallback::Handler handler) {
    if (!IsCutOff())
        AddAt(velora::SceneEvents::Instance().Keying(), velora::kSceneKeyingNotify, receiver, handler);
}
void LyPropertyEventConnectionKeyingNotify::Remove(ICallback* receiver, ICallback::Handler handler) {
    if (!IsCutOff())
        RemoveAt(velora::SceneEvents::Instance().Keying(), velora::kSceneKeyingNotify, receiver,
                 handler);
}

// Evaluation timings ---------------------------------------------------------

namespace {

constexpr int kEvalTimings[] = {velora::kTimingEvaluationBegin, velora::kTimingDevicesEvaluated,
                                velora::kTimingSceneEvaluated, velora::kTimingDeformationDone,
                                velora::kTimingEvaluationEnd};
constexpr int kRenderTimings[] = {velora::kTimingRenderBegin, velora::kTimingRenderEnd};
constexpr int kSynTimings[] = {velora::kTimingSynchronisation};

template <std::size_t N>
void AddTimings(const int (&timings)[N], ICallback* receiver, ICallback::Handler handler) {
    if (!receiver || !handler) return;
    IRegister& functions = velora::EvaluationManager::Instance().GlobalFunctions();
    for (int timing : timings) functions.AddHandler(receiver, handler, timing, 0);
}

template <std::size_t N>
void RemoveTimings(const int (&timings)[N], ICallback* receiver, ICallback::Handler handler) {
    IRegister& functions = velora::EvaluationManager::Instance().GlobalFunctions();
    for (int timing : timings) functions.RemoveHandler(receiver, handler, timing, 0);
}

}  // namespace

void LyPropertyEventCallbackEvalPipeline::Add(ICallback* receiver, ICallback::Handler handler) {
    if (!IsCutOff()) AddTimings(kEvalTimings, receiver, handler);
}
void LyPropertyEventCallbackEvalPipeline::Remove(ICallback* receiver, ICallback::Handler handler) {
    if (!IsCutOff()) RemoveTimings(kEvalTimings, receiver, handler);
}

void LyPropertyEventCallbackRenderPipeline::Add(ICallback* receiver, ICallback::Handler handler) {
    if (!IsCutOff()) AddTimings(kRenderTimings, receiver, handler);
}
void LyPropertyEventCallbackRenderPipeline::Remove(ICallback* receiver, ICallback::Handler handler) {
    if (!IsCutOff()) RemoveTimings(kRenderTimings, receiver, handler);
}

void LyPropertyEventCallbackSynPoint::Add(ICallback* receiver, ICallback::Handler handler) {
    if (!IsCutOff()) AddTimings(kSynTimings, receiver, handler);
}
void LyPropertyEventCallbackSynPoint::Remove(ICallback* receiver, ICallback::Handler handler) {
    if (!IsCutOff()) RemoveTimings(kSynTimings, receiver, handler);
}

// Animation-node callbacks ---------------------------------------------------

struct DataLyAnimationNodeCallbacks::Lists {
    // One ordered list per source; a list made for a source stays (empty)
    // after its last removal, so a raise never walks a freed list.
    std::map<IRegister*, std::unique_ptr<velora::EventSource>> bySource;
};

DataLyAnimationNodeCallbacks::DataLyAnimationNodeCallbacks() : mLists(new Lists()) {}
DataLyAnimationNodeCallbacks::~DataLyAnimationNodeCallbacks() { delete mLists; }

DataLyAnimationNodeCallbacks* DataLyAnimationNodeCallbacks::Get(bool create) {
    static std::unique_ptr<DataLyAnimationNodeCallbacks, void (*)(DataLyAnimationNodeCallbacks*)>
        registry(nullptr, [](DataLyAnimationNodeCallbacks* r) { delete r; });
    if (!registry && create) registry.reset(new DataLyAnimationNodeCallbacks());
    return registry.get();
}

IObject* DataLyAnimationNodeCallbacks::IQuery(std::uint32_t id, int) {
    return id == lyiface::kIdSelf ? this : nullptr;
}

void DataLyAnimationNodeCallbacks::Add(IRegister* key, ICallback* receiver, ICallback::Handler handler,
                                       int eventType, int subType) {
    if (!receiver || !handler) return;
    std::unique_ptr<velora::EventSource>& list = mLists->bySource[key];
    if (!list) list = std::make_unique<velora::EventSource>();
    list->AddHandler(receiver, handler, eventType, subType);
}

bool DataLyAnimationNodeCallbacks::Remove(IRegister* key, ICallback* receiver, ICallback::Handler handler,
                                          int eventType, int subType) {
    auto it = mLists->bySource.find(key);
    return it != mLists->bySource.end() && it->second->RemoveHandler(receiver, handler, eventType, subType);
}

int DataLyAnimationNodeCallbacks::Raise(IRegister* key, EventRecord& record) {
    auto it = mLists->bySource.find(key);
    return it == mLists->bySource.end() ? 0 : it->second->Raise(record);
}

int DataLyAnimationNodeCallbacks::Count(IRegister* key) const {
    auto it = mLists->bySource.find(key);
    return it == mLists->bySource.end() ? 0 : it->second->Count();
}

void LyPropertyEventAnimationNode::Add(ICallback* receiver, ICallback::Handler handler) {
    if (IsCutOff() || !receiver || !handler) return;
    DataLyAnimationNodeCallbacks::Get(true)->Add(mSource, receiver, handler, mEventType, mSubType);
}

void LyPropertyEventAnimationNode::Remove(ICallback* receiver, ICallback::Handler handler) {
    if (IsCutOff()) return;
    if (DataLyAnimationNodeCallbacks* registry = DataLyAnimationNodeCallbacks::Get(false))
        registry->Remove(mSource, receiver, handler, mEventType, mSubType);
}

LYSDK_END_NAMESPACE
