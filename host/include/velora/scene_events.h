#ifndef VELORA_SCENE_EVENTS_H
#define VELORA_SCENE_EVENTS_H

// The scene entity's plug notifications: every plug notification that
// reaches the host's own handling is also told to the whole scene.
//
// Four sources, one per kind of notification:
//   Connection()  every PlugNotify that a plug accepted (connections,
//                 replacements, reorders, ownership, selection, renames,
//                 change brackets, requests included);
//   Data()        a property's value was written (SetRaw and everything
//                 built on it);
//   State()       a property's flags word changed;
//   Keying()      a key was set or removed on an animated property (raised by
//                 the host's animation code through RaiseKeying).
// The base Plug notification virtuals raise the first three, so a class that
// overrides them and refuses a notification (returns false without calling
// the base) keeps it from the scene too: what the scene hears is what the
// host went on with.
//
// Records: the record's type is the source's SceneNotification code, its
// sub-type 0, its subject the plug the notification is about. Handlers
// register for that type (sub-type 0: all). Records live on the raising
// thread's stack for the duration of the raise only.
//
// Nothing here takes a lock: notifications are raised on the thread that
// runs the host's scene operations, and handlers run on it.

#include <lyiface/object.h>

#include "velora/event_source.h"
#include "velora/export.h"
#include "velora/plug.h"

namespace velora {

class Property;

/// Event type of each scene notification source.
enum SceneNotification : int {
    kSceneConnectionNotify = 1,
    kSceneDataNotify = 2,
    kSceneStateNotify = 3,
    kSceneKeyingNotify = 4,
};

/// Action of the data and state notifications that follow an accepted
/// change of a property's value (data) or flags word (state).
constexpr int kActValueChanged = kActCandidated;  // a new value was taken

/// Keying actions (after the plug actions of velora/plug.h).
enum KeyingAction : int {
    kActKeyingKey = 37,          ///< a key was set
    kActKeyingDeleteKey = 38,    ///< a key was removed
    kActKeyingCandidate = 39,    ///< a value was proposed for keying
    kActKeyingCurveChange = 40,  ///< the curve is being edited
    kActKeyingCurveEndChange = 41,
};

/// A connection notification: `plug` was told `action` about `other`.
struct VELORA_API ConnectionNotifyRecord : lyiface::EventRecord {
    int action = 0;
    Plug* plug = nullptr;   ///< the plug that was notified
    Plug* other = nullptr;  ///< the plug the notification names (the other end)
    int index = 0;          ///< position of `other` in the list that changed
    Plug* plug2 = nullptr;  ///< replacing plug of a replace, other plug of a reorder
    int connectionType = 0;
    Plug* plug3 = nullptr;
    ~ConnectionNotifyRecord() override;
};

/// A data or state notification. `data` and `oldData` point at raw values
/// laid out as the property's data type says (data: the stored value; state:
/// the flags words); either may be null when there is none.
struct VELORA_API ValueNotifyRecord : lyiface::EventRecord {
    int action = 0;
    Plug* plug = nullptr;
    void* data = nullptr;
    void* oldData = nullptr;
    int size = 0;
    ~ValueNotifyRecord() override;
};

/// A keying notification: `property` of `plug` (its object) was keyed.
struct VELORA_API KeyingNotifyRecord : lyiface::EventRecord {
    int action = 0;
    Plug* plug = nullptr;
    Property* property = nullptr;
    void* data = nullptr;  ///< the keyed value, raw, or null
    ~KeyingNotifyRecord() override;
};

class VELORA_API SceneEvents {
public:
    /// The process's scene entity. It is never destroyed, so plugs ending
    /// during process exit may still notify it.
    static SceneEvents& Instance();
    SceneEvents(const SceneEvents&) = delete;
    SceneEvents& operator=(const SceneEvents&) = delete;

    EventSource& Connection() { return connection_; }
    EventSource& Data() { return data_; }
    EventSource& State() { return state_; }
    EventSource& Keying() { return keying_; }

    // Each raise returns how many handlers were called; with no handler
    // registered it builds no record.
    int RaiseConnection(Plug* plug, int action, Plug* other, int index, Plug* plug2, int type,
                        Plug* plug3);
    int RaiseData(Plug* plug, int action, void* data, void* oldData, int size);
    int RaiseState(Plug* plug, int action, void* data, void* oldData, int size);
    int RaiseKeying(Plug* plug, int action, Property* property, void* data);

private:
    SceneEvents() = default;
    ~SceneEvents() = default;
    EventSource connection_;
    EventSource data_;
    EventSource state_;
    EventSource keying_;
};

}  // namespace velora

#endif  // VELORA_SCENE_EVENTS_H
