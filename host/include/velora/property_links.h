#ifndef VELORA_PROPERTY_LINKS_H
#define VELORA_PROPERTY_LINKS_H

// What an object or reference property links to.
//
// An object-typed property's value is its sources: the first source for a
// plain object property (which is single-connect from creation), all of them
// for a list property (attribute kAttrList). A connection filter (class id)
// refuses sources of other classes, and a single-connect property refuses a
// second source; both hold for every way of connecting. A reference
// property's value is the property it refers to.
//
// PropertyLinks is a view over one property (Property::Links()), made and
// used at once; it holds nothing of its own.

#include "velora/export.h"

namespace velora {

class Plug;
class Property;

class VELORA_API PropertyLinks {
public:
    explicit PropertyLinks(Property& property) : property_(property) {}

    /// An object property listing connected objects.
    bool IsObjectList() const;

    // Object properties: the sources, filtered. All false/0/null for other
    // types; the changes are refused on a read-only property.
    int Count() const;
    Plug* At(int i) const;
    bool Add(Plug* object);
    bool Insert(int i, Plug* object);
    /// Replaces entry i; the filter applies.
    bool SetAt(int i, Plug* object);
    bool RemoveAt(int i);
    void Clear();
    /// Index of `object` in the list, or -1.
    int Find(const Plug* object) const;

    // Reference properties.
    /// The referenced property; null when none, once it has ended, and for
    /// other types.
    Property* Referenced() const;
    /// Refers to `target` (null clears). False for a non-reference property,
    /// a read-only one, or a property referring to itself.
    bool SetReferenced(Property* target);

private:
    bool IsObject() const;
    Property& property_;
};

}  // namespace velora

#endif  // VELORA_PROPERTY_LINKS_H
