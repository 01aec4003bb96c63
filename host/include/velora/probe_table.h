#ifndef VELORA_PROBE_TABLE_H
#define VELORA_PROBE_TABLE_H

// Open addressing with linear probing over a power-of-two array: the removal
// that keeps every entry reachable from its home slot without tombstones.

#include <cstddef>
#include <vector>

namespace velora {

/// Empties slot `i` and moves back each later entry of the same run that the
/// gap would cut off from its home slot. `used(slot)` tells an occupied
/// slot; `home(slot)` gives its home index (already masked).
template <class Slot, class Used, class Home>
void EraseAndShiftBack(std::vector<Slot>& slots, std::size_t i, Used used, Home home) {
    const std::size_t mask = slots.size() - 1;
    for (std::size_t j = (i + 1) & mask; used(slots[j]); j = (j + 1) & mask) {
        const std::size_t h = home(slots[j]);
        // The entry stays when its home lies cyclically in (i, j].
        const bool stays = i <= j ? (h > i && h <= j) : (h > i || h <= j);
        if (stays) continue;
        slots[i] = slots[j];
        i = j;
    }
    slots[i] = Slot{};
}

}  // namespace velora

#endif  // VELORA_PROBE_TABLE_H
