#ifndef LYIFACE_OBJECT_H
#define LYIFACE_OBJECT_H

// The object interface that the host and the SDK share.
//
// Every host object, and every SDK object the host may call back, is an
// IObject. The two sides know nothing else of each other's layout: the SDK
// asks an object for an interface by id and gets back that interface's
// implementation, or null. This header is deliberately tiny and has no
// dependencies; both libraries, and plug-ins through the SDK, include it.

#include <cstdint>

namespace lyiface {

/// Interface ids understood by IObject::IQuery.
enum InterfaceId : std::uint32_t {
    kIdSelf = 0,                  ///< the object itself
    kIdCallback = 2,              ///< its callback side (SDK objects answer themselves)
    kIdPassThrough = 3,           ///< forwarded unchanged by SDK components
    kIdWrapperHolder = 51,        ///< the wrapper-holder slot (IWrapperHolder)
    kIdFullObject = 0x98abd146u,  ///< the full host object: names, flags, properties
    kIdPlug = 0xde1947f3u,        ///< the host plug: connections and flags
    kIdAnimationNode = 0x029bc7b2u ///< an animation node; its plug is the connector
};

/// The root of every object that crosses the host/SDK boundary.
///
/// The slot order (IQuery, then Destroy) is part of the contract.
class IObject {
public:
    /// Returns the implementation of interface `id`, or null.
    virtual IObject* IQuery(std::uint32_t id, int arg = 0) = 0;
    /// Ends the object. 0 is the ordinary end of a host object.
    virtual void Destroy(int mode = 0) = 0;

protected:
    // Objects are ended through Destroy, never deleted through this interface.
    ~IObject() = default;
};

/// A plain, non-owning pointer to an IObject.
using HIObject = IObject*;

/// The wrapper-holder interface (id 51): one slot per host object that holds
/// that object's SDK wrapper, or null. The SDK reads and writes it; the host
/// calls Destroy on whatever the slot holds when the object ends.
class IWrapperHolder : public IObject {
public:
    virtual IObject* GetWrapper() const = 0;
    virtual void SetWrapper(IObject* wrapper) = 0;

protected:
    ~IWrapperHolder() = default;
};

class IRegister;

/// An event record as the host raises it: a type code and its subject.
/// Hosts derive richer records from it; receivers may read further fields
/// only through interfaces they know.
struct EventRecord {
    int type = 0;                ///< event type code
    int subType = 0;             ///< event sub-type (0 when unused)
    IObject* subject = nullptr;  ///< the object the event is about
    void* data = nullptr;        ///< type-specific payload, or null

    EventRecord() = default;
    EventRecord(int t, int s, IObject* subj, void* d = nullptr)
        : type(t), subType(s), subject(subj), data(d) {}
    virtual ~EventRecord() = default;
};

/// Base of every object that receives host events. The host calls a handler
/// registered as an object plus one of its member functions.
class ICallback : public IObject {
public:
    using Handler = void (ICallback::*)(IRegister* source, EventRecord* event);

protected:
    ~ICallback() = default;
};

/// An event source: keeps (object, handler) pairs per event type and
/// sub-type and calls them, in registration order, on the raising thread.
class IRegister : public IObject {
public:
    virtual void AddHandler(ICallback* target, ICallback::Handler handler, int type,
                            int subType = 0) = 0;
    /// Removes one registration of the pair; returns whether one was found.
    virtual bool RemoveHandler(ICallback* target, ICallback::Handler handler, int type,
                               int subType = 0) = 0;

protected:
    ~IRegister() = default;
};

}  // namespace lyiface

#endif  // LYIFACE_OBJECT_H
