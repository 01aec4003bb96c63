#ifndef VELORA_SCENE_NAMESPACES_H
#define VELORA_SCENE_NAMESPACES_H

// Namespace operations over the whole scene.
//
// Content of a namespace: the living objects whose namespace part is its
// name (and, with `recursive`, those of its sub-namespaces), namespace
// objects excepted. Filters: `modFlags` keeps objects whose modification
// word has one of those bits (0: all); `classId` keeps objects of that class
// (0: all), exactly or, with `derived`, also of derived classes.

#include <cstdint>
#include <string>
#include <vector>

#include "velora/export.h"

namespace velora {

class FileReference;
class Namespace;
class Object;
class Scene;

class VELORA_API SceneNamespaces {
public:
    explicit SceneNamespaces(Scene& scene) : scene_(scene) {}
    SceneNamespaces(const SceneNamespaces&) = delete;
    SceneNamespaces& operator=(const SceneNamespaces&) = delete;

    bool Exists(const char* name) const;
    Namespace* Get(const char* name) const;
    /// True for a namespace without content (sub-namespaces included).
    bool Empty(const char* name) const;
    /// Deletes every namespace without content or sub-namespaces, repeating
    /// until none is left; returns how many went.
    int Cleanup();
    /// The file reference the namespace belongs to: itself when it is one,
    /// else its nearest enclosing file reference; null when none.
    FileReference* OwnerFileReference(const char* name) const;
    /// Appends the names of the sub-namespaces (direct ones, or all with
    /// `recursive`) in creation order; returns how many were appended.
    int Children(const char* name, bool recursive, std::vector<std::string>* out) const;
    int Content(const char* name, std::uint32_t modFlags, bool recursive, int classId, bool derived,
                std::vector<Object*>* out) const;
    /// Deletes the deletable content, sub-namespaces and the namespace
    /// itself; false when there is no such namespace.
    bool Delete(const char* name);
    /// What Delete(name) would delete that may be deleted, in the order it
    /// deletes them; false (nothing appended) for an unknown namespace.
    bool DeletionSet(const char* name, std::vector<Object*>* out) const;
    /// Deletes the deletable content the filters keep; false when there is
    /// no such namespace.
    bool DeleteContent(const char* name, std::uint32_t modFlags, bool recursive, int classId,
                       bool derived);
    /// Moves the content the filters keep (and, with `recursive`, the
    /// sub-namespaces) from `oldName` to `newName`, making it when needed.
    bool Rename(const char* oldName, const char* newName, bool recursive, int classId, bool derived);
    void SelectContent(const char* name, bool select, std::uint32_t modFlags, bool recursive,
                       int classId, bool derived);
    /// Writes the content's class and plain name, one object a line, to
    /// `path`; with `recursive`, sub-namespaces' content too.
    bool Export(const char* name, const char* path, bool recursive) const;
    /// Copies the content of `objectNamespace` into every target namespace
    /// (made when missing): same class and plain name, models keeping their
    /// parents among the copies. With `skipExisting`, a target that already
    /// holds an object of that name keeps it. False when the object
    /// namespace does not exist or a target name is not valid.
    bool Import(const std::vector<std::string>& targets, const char* objectNamespace,
                bool skipExisting);

private:
    Scene& scene_;
};

}  // namespace velora

#endif  // VELORA_SCENE_NAMESPACES_H
