#ifndef LYSDK_CORE_HOST_ACCESS_H
#define LYSDK_CORE_HOST_ACCESS_H

// Internal: the road from SDK wrappers to host objects and back. Only the
// library's sources include host headers, and only through here.

#include <velora/class_registry.h>
#include <velora/file_reference.h>
#include <velora/object.h>
#include <velora/plug.h>
#include <velora/trace.h>

#include "lysdk/lyplug.h"

LYSDK_BEGIN_NAMESPACE

/// The interface id only SDK plugs answer, with themselves.
constexpr std::uint32_t kLyIdWrapper = 0x4c595750u;

/// The host plug behind a wrapper: its HIObject's answer to the plug
/// interface (an animation node answers with its connector), or null.
inline velora::Plug* __LyHostPlug(const LyPlug* plug) {
    if (!plug) return nullptr;
    return velora::AsPlug(plug->GetHIObject());
}

/// The full host object behind a wrapper, or null.
inline velora::Object* __LyHostObject(const LyPlug* plug) {
    if (!plug) return nullptr;
    return velora::AsObject(plug->GetHIObject());
}

/// The wrapper of a host plug, created when needed; null for a null plug or
/// one that is ending (a wrapper made now would never be told of the end).
/// Graph walks come here for every plug they pass: an object whose slot
/// holds its wrapper already is answered here, from the slot itself.
inline LyPlug* __LyWrap(velora::Plug* plug) {
    if (!plug || plug->IsEnding()) return nullptr;
    // Every holder is a host object's slot (velora::WrapperSlot, final), so
    // reading it needs no second virtual call.
    if (auto* slot = static_cast<velora::WrapperSlot*>(plug->IQuery(lyiface::kIdWrapperHolder)))
        if (IObject* wrapper = slot->GetWrapper())
            return static_cast<LyPlug*>(static_cast<ICallback*>(wrapper));
    return LyGetLyPlug(plug, true);
}

/// Writes a line to the host's trace output at the warning level.
void __LyTraceWarning(const char* format, ...) __attribute__((format(printf, 1, 2)));

LYSDK_END_NAMESPACE

#endif  // LYSDK_CORE_HOST_ACCESS_H
