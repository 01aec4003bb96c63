#ifndef VELORA_SRC_PROPERTY_TABLE_H
#define VELORA_SRC_PROPERTY_TABLE_H

// The property table of one object: creation order plus a name index.
// Internal to the host core.

#include <string_view>
#include <unordered_map>
#include <vector>

#include "velora/event_source.h"

namespace velora {

class Property;

struct PropertyTable {
    std::vector<Property*> order;
    // Keys view the properties' own name strings: a property leaves the
    // index before its name changes and before it ends, so no key dangles.
    std::unordered_map<std::string_view, Property*> byName;
    EventSource events;
    // A property's removal is being told to the listeners; a listener may
    // end the object meanwhile, and the table must then outlive the raise.
    int raising = 0;
    bool orphaned = false;
};

}  // namespace velora

#endif  // VELORA_SRC_PROPERTY_TABLE_H
