#include "velora/scene_events.h"

#include <new>

#include "velora/plug.h"
#include "velora/property.h"

namespace velora {

// Out of line so that the records' type information lives in this library
// alone: receivers in other libraries tell the records apart by it.
ConnectionNotifyRecord::~ConnectionNotifyRecord() = default;
ValueNotifyRecord::~ValueNotifyRecord() = default;
KeyingNotifyRecord::~KeyingNotifyRecord() = default;

SceneEvents& SceneEvents::Instance() {
    // Built in place and never destroyed: plugs that end during exit, after
    // static destructors ran, still raise through it.
    alignas(SceneEvents) static unsigned char storage[sizeof(SceneEvents)];
    static SceneEvents* instance = new (storage) SceneEvents();
    return *instance;
}

int SceneEvents::RaiseConnection(Plug* plug, int action, Plug* other, int index, Plug* plug2, int type,
                                 Plug* plug3) {
    if (connection_.Empty()) return 0;
    ConnectionNotifyRecord record;
    record.type = kSceneConnectionNotify;
    record.subject = plug;
    record.action = action;
    record.plug = plug;
    record.other = other;
    record.index = index;
    record.plug2 = plug2;
    record.connectionType = type;
    record.plug3 = plug3;
    return connection_.Raise(record);
}

namespace {

int RaiseValue(EventSource& source, int kind, Plug* plug, int action, void* data, void* oldData, int size) {
    if (source.Empty()) return 0;
    ValueNotifyRecord record;
    record.type = kind;
    record.subject = plug;
    record.action = action;
    record.plug = plug;
    record.data = data;
    record.oldData = oldData;
    record.size = size;
    return source.Raise(record);
}

}  // namespace

int SceneEvents::RaiseData(Plug* plug, int action, void* data, void* oldData, int size) {
    return RaiseValue(data_, kSceneDataNotify, plug, action, data, oldData, size);
}

int SceneEvents::RaiseState(Plug* plug, int action, void* data, void* oldData, int size) {
    return RaiseValue(state_, kSceneStateNotify, plug, action, data, oldData, size);
}

int SceneEvents::RaiseKeying(Plug* plug, int action, Property* property, void* data) {
    if (keying_.Empty()) return 0;
    KeyingNotifyRecord record;
    record.type = kSceneKeyingNotify;
    record.subject = plug;
    record.action = action;
    record.plug = plug;
    record.property = property;
    record.data = data;
    return keying_.Raise(record);
}

}  // namespace velora
