#ifndef VELORA_SRC_PROPERTY_TABLE_H
#define VELORA_SRC_PROPERTY_TABLE_H

// The property table of one object: creation order plus a name index.
// Internal to the host core.

#include <cstddef>
#include <cstring>
#include <functional>
#include <string_view>
#include <vector>

#include "velora/event_source.h"
#include "velora/probe_table.h"
#include "velora/property.h"

namespace velora {

/// Name to property, by open addressing: a power-of-two array of (hash,
/// property) slots probed linearly, at most half full. A lookup reads one
/// slot (rarely a few neighbours) and compares the name of the property it
/// finds there, so an object with a thousand properties costs about what
/// one with ten does. Removal shifts the following run back, leaving no
/// tombstones. A property is indexed under the name it has when inserted;
/// it leaves the index before its name changes.
class PropertyNameIndex {
public:
    Property* Find(std::string_view name) const {
        if (slots_.empty()) return nullptr;
        const std::size_t hash = Hash(name);
        for (std::size_t i = hash & Mask();; i = (i + 1) & Mask()) {
            const Slot& slot = slots_[i];
            if (!slot.property) return nullptr;
            if (slot.hash == hash && Equal(slot.property, name)) return slot.property;
        }
    }

    /// Indexes `property` under its name, which no other indexed one has.
    void Insert(Property* property) {
        if (2 * (count_ + 1) > slots_.size()) Grow();
        Place(Slot{Hash(property->Name()), property});
        ++count_;
    }

    /// Takes `property` out; nothing when it is not indexed.
    void Erase(const Property* property) {
        if (slots_.empty()) return;
        std::size_t i = Hash(property->Name()) & Mask();
        while (slots_[i].property != property) {
            if (!slots_[i].property) return;
            i = (i + 1) & Mask();
        }
        EraseAndShiftBack(
            slots_, i, [](const Slot& slot) { return slot.property != nullptr; },
            [this](const Slot& slot) { return slot.hash & Mask(); });
        --count_;
    }

private:
    struct Slot {
        std::size_t hash = 0;
        Property* property = nullptr;
    };
    static std::size_t Hash(std::string_view name) { return std::hash<std::string_view>()(name); }
    static bool Equal(const Property* property, std::string_view name) {
        const char* own = property->Name();
        return std::strncmp(own, name.data(), name.size()) == 0 && own[name.size()] == 0;
    }
    std::size_t Mask() const { return slots_.size() - 1; }
    void Place(const Slot& slot) {
        std::size_t i = slot.hash & Mask();
        while (slots_[i].property) i = (i + 1) & Mask();
        slots_[i] = slot;
    }
    void Grow() {
        std::vector<Slot> old(slots_.empty() ? 16 : 2 * slots_.size());
        old.swap(slots_);
        for (const Slot& slot : old)
            if (slot.property) Place(slot);
    }

    std::vector<Slot> slots_;
    std::size_t count_ = 0;
};

struct PropertyTable {
    std::vector<Property*> order;
    PropertyNameIndex byName;
    EventSource events;
    // A property's removal is being told to the listeners; a listener may
    // end the object meanwhile, and the table must then outlive the raise.
    int raising = 0;
    bool orphaned = false;
};

}  // namespace velora

#endif  // VELORA_SRC_PROPERTY_TABLE_H
