#include "velora/namespace.h"

#include <algorithm>
#include <cctype>
#include <cstring>
#include <vector>

namespace velora {

namespace {

// Never destroyed: a namespace may end while the process exits.
std::vector<Namespace*>& Living() {
    static auto* living = new std::vector<Namespace*>;
    return *living;
}

int gRenameDepth = 0;
int gRenameCount = 0;

bool StartsWithPath(const std::string& text, const std::string& path) {
    if (path.empty() || text.compare(0, path.size(), path) != 0) return false;
    return text.size() == path.size() || text[path.size()] == ':';
}

bool ApplyOne(Object* object, int action, const std::string& path, const std::string& replacement,
              bool onlyMissing) {
    std::string current = object->NamespacePart();
    std::string next;
    switch (action) {
        case kNamespaceAdd:
            if (onlyMissing && StartsWithPath(current, path)) return false;
            next = current.empty() ? path : path + ":" + current;
            break;
        case kNamespaceReplace:
        case kNamespaceRemove: {
            if (!StartsWithPath(current, path)) return false;
            const std::string rest = current.substr(path.size());  // "" or ":..."
            const std::string with = action == kNamespaceReplace ? replacement : std::string();
            next = with.empty() ? (rest.empty() ? std::string() : rest.substr(1)) : with + rest;
            break;
        }
        default:
            return false;
    }
    const std::string label = next.empty() ? std::string(object->Name())
                                            : next + ":" + object->Name();
    return object->SetLongName(label.c_str());
}

int ApplyRecursive(Object* object, int action, const std::string& path,
                   const std::string& replacement, bool onlyMissing, bool hierarchy) {
    int changed = ApplyOne(object, action, path, replacement, onlyMissing) ? 1 : 0;
    if (!hierarchy) return changed;
    for (int i = 0; i < object->ChildCount(); ++i)
        if (Object* child = object->Child(i))
            changed += ApplyRecursive(child, action, path, replacement, onlyMissing, true);
    return changed;
}

}  // namespace

Namespace* Namespace::Create(const char* path) {
    if (!IsValidNamespaceName(path) || Find(path)) return nullptr;
    return new Namespace(path, kClassNamespace);
}

Namespace::Namespace(const char* path, int classId) : Object(path, classId) {
    Living().push_back(this);
}

void Namespace::Teardown() {
    auto& living = Living();
    living.erase(std::remove(living.begin(), living.end(), this), living.end());
    Object::Teardown();
}

Namespace* Namespace::Find(const char* path) {
    if (!path) return nullptr;
    for (Namespace* ns : Living())
        if (std::strcmp(ns->LabelName(), path) == 0) return ns;
    return nullptr;
}

bool IsValidNamespaceName(const char* path) {
    if (!path || !*path) return false;
    bool partStart = true;
    for (const char* c = path; *c; ++c) {
        const unsigned char ch = static_cast<unsigned char>(*c);
        if (ch == ':') {
            if (partStart) return false;  // empty part
            partStart = true;
            continue;
        }
        if (partStart && std::isdigit(ch)) return false;
        if (!std::isalnum(ch) && ch != '_') return false;
        partStart = false;
    }
    return !partStart;
}

int ApplyNamespaceAction(Object* object, int action, const char* path, const char* replacement,
                         bool onlyMissing, bool hierarchy) {
    if (!object || !path || !*path) return 0;
    return ApplyRecursive(object, action, path, replacement ? replacement : "", onlyMissing,
                          hierarchy);
}

void BeginRenameTransaction() {
    if (gRenameDepth++ == 0) ++gRenameCount;
}

void EndRenameTransaction() {
    if (gRenameDepth > 0) --gRenameDepth;
}

int RenameTransactionDepth() { return gRenameDepth; }
int RenameTransactionCount() { return gRenameCount; }

}  // namespace velora
