#ifndef VELORA_NAMESPACE_H
#define VELORA_NAMESPACE_H

// Namespaces: named groups of objects. An object's label is its namespace
// path and its name ("rig:arm:Hand"). A namespace whose hierarchy content is
// locked takes no objects in and lets none out.

#include <string>

#include "velora/object.h"

namespace velora {

/// Namespace operations on an object's namespace part.
enum NamespaceAction : int {
    kNamespaceAdd = 0,      ///< put the path in front of the object's own
    kNamespaceReplace = 1,  ///< replace a leading path by another (empty removes)
    kNamespaceRemove = 2,   ///< remove a leading path
};

class VELORA_API Namespace : public Object {
public:
    /// A namespace called `path` ("a" or "a:b").
    static Namespace* Create(const char* path);
    /// The living namespace whose label is `path`, or null.
    static Namespace* Find(const char* path);

    bool IsHierarchyContentLocked() const { return contentLocked_; }
    void SetHierarchyContentLocked(bool locked) { contentLocked_ = locked; }

protected:
    Namespace(const char* path, int classId);
    void Teardown() override;

private:
    bool contentLocked_ = false;
};

/// Whether every ':'-separated part of `path` is letters, digits and '_'
/// and does not start with a digit (an empty path is not valid).
VELORA_API bool IsValidNamespaceName(const char* path);

/// Applies a namespace action to `object`'s namespace part; with
/// `hierarchy`, also to its descendants (Object::Child). `onlyMissing`
/// makes kNamespaceAdd skip objects whose path already starts with `path`.
/// Returns how many objects changed.
VELORA_API int ApplyNamespaceAction(Object* object, int action, const char* path,
                                    const char* replacement, bool onlyMissing, bool hierarchy);

/// Rename transactions bracket many renames so that listeners can wait for
/// the end; they nest.
VELORA_API void BeginRenameTransaction();
VELORA_API void EndRenameTransaction();
VELORA_API int RenameTransactionDepth();
/// How many outermost transactions were opened so far.
VELORA_API int RenameTransactionCount();

}  // namespace velora

#endif  // VELORA_NAMESPACE_H
