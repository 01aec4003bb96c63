#ifndef VELORA_ENTITY_H
#define VELORA_ENTITY_H

// The host's main entity: the process-wide hub that scene-wide notifications
// go through, and the set of models shown in the viewer.

#include <vector>

#include "velora/event_source.h"
#include "velora/object.h"

namespace velora {

/// Entity notification codes.
enum EntityEvent : int {
    kEntityObjectFlagsChanged = 43,  ///< subject: the object whose flags changed
};

class VELORA_API MainEntity {
public:
    static MainEntity& Instance();

    /// Scene-wide notifications (EntityEvent codes).
    EventSource& Events() { return events_; }
    /// Raises `code` about `subject` to every registered handler.
    void Notify(int code, Object* subject);

    /// The models shown in the viewer, in the order they were added.
    bool AddToDisplaySet(Object* model);
    bool RemoveFromDisplaySet(Object* model);
    bool InDisplaySet(const Object* model) const;
    int DisplaySetCount() const;

private:
    MainEntity() = default;
    EventSource events_;
    std::vector<PlugHandle> displaySet_;
};

}  // namespace velora

#endif  // VELORA_ENTITY_H
