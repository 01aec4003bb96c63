#ifndef VELORA_GRAPH_STORAGE_H
#define VELORA_GRAPH_STORAGE_H

// What a box keeps in a scene file besides its properties: its modes, the
// relation that holds it and the connections of its inputs. The object's
// own store and retrieve calls these in each pass (velora/scene_storage.h):
//
//   fields pass (0x2)      "PlayMode", "RecordMode", "Animatable" (integers)
//                          "InputCount" and, for each connected input i,
//                          "Input<i>" (its name) and "Input<i>Output" (the
//                          name of the output that feeds it)
//                          "Relation" and "Input<i>Source" (references: the
//                          relation, the box of the feeding output)
//   references pass (0x8)  the box joins its relation again, and each input
//                          is connected to its source again (by names, so
//                          connectors made in another order still meet)
//
// A connection whose source is not in the file, or whose connectors are not
// there any more, is left out and reported by a false answer; the rest is
// kept.

#include "velora/box.h"
#include "velora/scene_storage.h"

namespace velora {

VELORA_API bool StoreBoxFields(Box& box, dsx::ObjectStore& store);
VELORA_API bool RetrieveBoxFields(Box& box, dsx::ObjectStore& store);

}  // namespace velora

#endif  // VELORA_GRAPH_STORAGE_H
