#ifndef LYSDK_LYOBJECTSERVICES_H
#define LYSDK_LYOBJECTSERVICES_H

// Object services: creating host objects from registry entries, finding
// and deleting objects by name, the lists that searches fill, and the
// host's object bookkeeping (unique ids, living count, life log).
//
// Names: a full name is "Group::namespace:name" ("Model::rig:Hand"). A
// name pattern uses '*' (any run, also none) and '?' (one character);
// letters match regardless of case. A pattern holding "::" is compared with
// full names; otherwise with the label ("namespace:name") or the plain
// name, as each function says.

#include <cstdint>

#include "lysdk/lyarray.h"
#include "lysdk/lycomponent.h"
#include "lysdk/lypickinfos.h"

LYSDK_BEGIN_NAMESPACE

class LyModel;

/// Creates an object from the registry entry `entryName` of `groupName`,
/// with no parent, named `objectName`, handing `data` and `index` to the
/// entry's creator. The new object's wrapper, or null. A model joins the
/// scene.
LYSDK_API LyComponent* LyCreateObject(const char* groupName, const char* entryName,
                                      const char* objectName, void* data = nullptr,
                                      int index = 0);
/// Adds a host model to the scene (nothing for null or a non-model).
LYSDK_API void __LyAddModelToScene(IObject* model);
/// Takes a host model out of the scene.
LYSDK_API void __LyRemoveModelFromScene(IObject* model);

/// The text of `text` in the user's language within the host's text group
/// `group` (say "HostConstraintUIName"); `text` itself when the host has no
/// translation. The result lives as long as the host's table entry.
LYSDK_API const char* LyGetMultiLangText(const char* group, const char* text);

/// The object whose full name is exactly `fullName`, wrapped; or null.
LYSDK_API LyComponent* LyFindObjectByFullName(const char* fullName);
/// Appends to `list`, in the host's creation order, every object whose name
/// matches `pattern` and that has or gets a wrapper; the list is not
/// cleared first. With `includeNamespace` a pattern without "::" is
/// compared with the label ("ns:name"), otherwise with the plain name.
/// `modelsOnly` keeps models only. Returns nothing; count the list.
LYSDK_API void LyFindObjectsByName(const char* pattern, LyArrayTemplate<LyComponent*>& list,
                                   bool includeNamespace = true, bool modelsOnly = false);
/// Deletes every deletable, unlocked object whose plain name (label when
/// the pattern holds ':') matches `pattern`, limited to the namespace
/// `nameSpace` and its sub-namespaces and to the full-name group `group`
/// when those are given (null or empty: no limit). Runs inside an
/// all-models transaction. Returns how many objects were deleted.
LYSDK_API int LyDeleteObjectsByName(const char* pattern, const char* nameSpace = nullptr,
                                    const char* group = nullptr);

/// New empty lists (growth block 10) owned by the caller; give each back to
/// the matching destroy function, which accepts null.
LYSDK_API LyArrayTemplate<LyComponent*>* LyCreateComponentList();
LYSDK_API void LyDestroyComponentList(LyArrayTemplate<LyComponent*>* list);
LYSDK_API LyArrayTemplate<LyModel*>* LyCreateModelList();
LYSDK_API void LyDestroyModelList(LyArrayTemplate<LyModel*>* list);
LYSDK_API LyArrayTemplate<LyPickInfos>* LyCreatePickInfosList();
LYSDK_API void LyDestroyPickInfosList(LyArrayTemplate<LyPickInfos>* list);

/// Takes the host's next global unique id.
LYSDK_API std::uint32_t LyObjectGetGlobalUniqueId();
/// The number of living host objects.
LYSDK_API std::uint32_t LyObjectGetLivingCount();
/// Turns the host's object life log on or off: while on, every host object
/// creation and end writes a line to the trace output.
LYSDK_API void LyObjectLifeLogEnable(bool on);
/// Writes the living host objects to the trace output, at most `maxLines`
/// object lines (0: all).
LYSDK_API void LyObjectPrintLivings(unsigned int maxLines = 0);

LYSDK_END_NAMESPACE

#endif  // LYSDK_LYOBJECTSERVICES_H
