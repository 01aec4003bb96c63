#ifndef VELORA_PROPERTY_DEFINITION_H
#define VELORA_PROPERTY_DEFINITION_H

// The definition of a host property: what kind of property it is and the
// rules its value follows, apart from the value itself (velora/property.h).
//   - attributes: animatable, list, user, temporary, externally handled,
//     clamps, locking allowed, texture connection, single connection;
//   - the external value handlers of an externally handled property;
//   - the range (minimum, maximum) that the clamp attributes hold writes to;
//   - the enumeration list: the texts of an enum's values, the items of a
//     string list;
//   - the connection filter of an object property;
//   - the translated name.
// A plain property pays one pointer and one word for all of it: everything
// but the attributes is made on first use.

#include <cstdint>

#include <lyiface/object.h>

#include "velora/export.h"

namespace velora {

class Plug;
class StringList;

using lyiface::IObject;

/// A value handler of an externally handled property: called with the object
/// registered together with it.
using PropertyHandler = void (*)(IObject*);

/// Definition attributes.
enum PropertyAttribute : std::uint32_t {
    kAttrAnimatable = 1u << 0,
    kAttrList = 1u << 1,            ///< a connectable list of objects (object type)
    kAttrUser = 1u << 2,            ///< made by the user; removable
    kAttrTemporary = 1u << 3,       ///< made for the moment; removable
    kAttrExternal = 1u << 4,        ///< value produced and taken by handlers
    kAttrMinClamp = 1u << 5,
    kAttrMaxClamp = 1u << 6,
    kAttrAllowsLocking = 1u << 7,
    kAttrTextureConnectable = 1u << 8,  ///< a texture may be connected
    kAttrTextureShown = 1u << 9,        ///< the texture slot is shown in editors
    kAttrSingleConnect = 1u << 10,      ///< at most one source
    kAttrConnectable = 1u << 11,        ///< made to take connections as sources
};

class VELORA_API PropertyDefinition {
public:
    PropertyDefinition() = default;
    ~PropertyDefinition();
    PropertyDefinition(const PropertyDefinition&) = delete;
    PropertyDefinition& operator=(const PropertyDefinition&) = delete;

    // Attributes.
    std::uint32_t Attributes() const { return attributes_; }
    bool HasAttribute(std::uint32_t a) const { return (attributes_ & a) != 0; }
    void SetAttribute(std::uint32_t a, bool on) { attributes_ = on ? attributes_ | a : attributes_ & ~a; }
    bool IsAnimatable() const { return HasAttribute(kAttrAnimatable); }
    bool IsList() const { return HasAttribute(kAttrList); }
    bool IsUser() const { return HasAttribute(kAttrUser); }
    bool IsTemporary() const { return HasAttribute(kAttrTemporary); }
    bool IsExternallyHandled() const { return HasAttribute(kAttrExternal); }
    bool AllowsLocking() const { return HasAttribute(kAttrAllowsLocking); }
    bool IsTextureConnectable() const { return HasAttribute(kAttrTextureConnectable); }
    bool IsSingleConnect() const { return HasAttribute(kAttrSingleConnect); }

    // External handlers. An externally handled property calls the produce
    // handler before every read of its value and the take handler after
    // every accepted write, each with the object registered with them.
    /// Marks the property externally handled and registers the handlers (in
    /// this order) with `object`. Either handler may be null.
    void SetExternalHandlers(IObject* object, PropertyHandler produce, PropertyHandler take);
    /// Back to a stored value: the attribute and the handlers are cleared.
    void ClearExternalHandlers();
    IObject* HandlerObject() const;
    PropertyHandler ProduceHandler() const;
    PropertyHandler TakeHandler() const;
    /// Calls the produce (take) handler, when externally handled.
    void Produce() const {
        if (IsExternallyHandled()) Call(true);
    }
    void Take() const {
        if (IsExternallyHandled()) Call(false);
    }

    // Range. The values are kept whatever the clamps say; the clamps decide
    // whether later writes are held to them. They apply to every member.
    double Min() const;
    double Max() const;
    bool IsMinClamp() const { return HasAttribute(kAttrMinClamp); }
    bool IsMaxClamp() const { return HasAttribute(kAttrMaxClamp); }
    void SetMin(double value, bool clamp);
    void SetMax(double value, bool clamp);

    // Enumeration list: the texts of an enum's values, the items of a
    // string list. A string-list property always has one.
    bool HasEnumList() const;
    /// The list, created first when `create` is true; else null when none.
    StringList* EnumList(bool create);
    const StringList* EnumList() const;
    /// Text of enumeration value i, or null past the end or without a list.
    const char* EnumText(int i) const;
    /// How often the texts were said to have changed (Property::
    /// NotifyEnumListChanged); owners of cached texts compare it.
    unsigned EnumListVersion() const;
    void CountEnumListChange();

    // Connection filter.
    /// Class id a source must be (or derive from); 0 accepts any class.
    int ConnectionFilter() const;
    void SetConnectionFilter(int classId);
    /// Whether `source` passes the filter (a null source never does).
    bool AcceptsSource(const Plug* source) const;

    /// The translated name, or null when none was set; null or empty
    /// removes it.
    const char* Translation() const;
    void SetTranslation(const char* name);

private:
    struct Extras;
    Extras& Ext();
    void Call(bool produce) const;

    Extras* extras_ = nullptr;  // made on first use
    std::uint32_t attributes_ = 0;
};

}  // namespace velora

#endif  // VELORA_PROPERTY_DEFINITION_H
