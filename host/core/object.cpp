#include "velora/object.h"

#include <cstring>

#include "velora/constraint.h"
#include "velora/file_reference.h"
#include "velora/model.h"
#include "velora/object_directory.h"
#include "velora/relation.h"
#include "velora/take.h"

namespace velora {

IObject* WrapperSlot::IQuery(std::uint32_t id, int arg) {
    if (id == lyiface::kIdWrapperHolder) return this;
    return owner_->IQuery(id, arg);
}

Object* Object::Create(const char* name, int classId) {
    const ClassRegistry& classes = ClassRegistry::Instance();
    if (!classes.IsA(classId, kClassObject)) classId = kClassObject;
    // Classes with a host type of their own are made by it; a plain object
    // carrying their class id would be taken for one.
    if (classes.IsA(classId, kClassModel)) return Model::Create(name, classId);
    // Boxes: relations and placeholders have types of their own.
    if (classes.IsA(classId, kClassConstraintRelation)) return Relation::Create(name);
    if (classes.IsA(classId, kClassConstraint)) return CreateConstraintOfClass(name, classId);
    if (classId == kClassModelPlaceholder) return ModelPlaceholder::Create(name);
    if (classId == kClassBoxPlaceholder) return BoxPlaceholder::Create(name);
    if (classes.IsA(classId, kClassBox)) return Box::Create(name, classId);
    if (classId == kClassFileReference) return FileReference::Create(name);
    if (classId == kClassNamespace) return Namespace::Create(name);
    if (classId == kClassTake) return Take::New(name);
    if (classes.IsA(classId, kClassAnimationNode) || classes.IsA(classId, kClassFCurve) ||
        classes.IsA(classId, kClassScene) || classes.IsA(classId, kClassNamespace) ||
        classes.IsA(classId, kClassAnimationLayer))
        return nullptr;
    return new Object(name, classId);
}

Object::Object(const char* name, int classId) : classId_(classId) {
    SplitName(name, &namespace_, &name_);
    UpdateNames();
    ObjectDirectory::Instance().Add(this);
}

IObject* Object::IQuery(std::uint32_t id, int arg) {
    // The common ids are answered here, without a second virtual call.
    switch (id) {
        case lyiface::kIdSelf:
        case lyiface::kIdPlug:
        case lyiface::kIdFullObject:
            return this;
        case lyiface::kIdWrapperHolder:
            return &slot_;
        default:
            return Plug::IQuery(id, arg);
    }
}

void Object::Teardown() {
    flags_ |= kObjectDestructed;
    // Out of the directory first: an ending object is not found any more.
    ObjectDirectory::Instance().Remove(this);
    // The wrapper hears of the end first, while the object is still whole.
    if (IObject* wrapper = slot_.GetWrapper()) wrapper->Destroy(0);
    slot_.SetWrapper(nullptr);
    DetachProperties();
    Plug::Teardown();
}

void Object::SplitName(const char* text, std::string* nameSpace, std::string* name) {
    const char* t = text ? text : "";
    const char* colon = std::strrchr(t, ':');
    if (nameSpace) nameSpace->assign(colon ? std::string(t, colon) : std::string());
    if (name) name->assign(colon ? colon + 1 : t);
}

// request, request + 1 (the announcement) and request + 2 (done) are the
// three actions of a rename and of a prefix rename alike.
template <class Change>
bool Object::Renaming(int request, Change change) {
    if (IsEnding()) return false;
    const PlugHandle alive(this);
    if (!PlugNotify(request, this, 0, nullptr, 0, nullptr) || !alive.Valid()) return false;
    if (!PlugNotify(request + 1, this, 0, nullptr, 0, nullptr) || !alive.Valid()) return false;
    change();
    UpdateNames();
    ModFlags() |= kModSelfName;
    PlugNotify(request + 2, this, 0, nullptr, 0, nullptr);
    return true;
}

bool Object::SetName(const char* name) {
    if (flags_ & kObjectLocked) return false;
    std::string plain;
    SplitName(name, nullptr, &plain);
    return Renaming(kActRequestRename, [&] { name_ = plain; });
}

bool Object::SetLongName(const char* text) {
    if (flags_ & kObjectLocked) return false;
    std::string nameSpace, plain;
    SplitName(text, &nameSpace, &plain);
    return Renaming(kActRequestRename, [&] {
        namespace_ = nameSpace;
        name_ = plain;
    });
}

void Object::UpdateNames() {
    label_ = namespace_.empty() ? name_ : namespace_ + ":" + name_;
    full_ = std::string(ClassRegistry::Instance().Group(classId_)) + "::" + label_;
    // Keeps lookups by full name in step (a no-op while still constructing).
    ObjectDirectory::Instance().Renamed(this);
}

void Object::Select(bool on) {
    if (selected_ == on) return;
    selected_ = on;
    PlugNotify(on ? kActSelect : kActUnselect, this, 0, nullptr, 0, nullptr);
}

const char* Object::PropertyViewName() const { return ClassRegistry::Instance().Name(classId_); }

void Object::HardSelect() {
    const bool was = selected_;
    Select(true);
    if (was) PlugNotify(kActReselect, this, 0, nullptr, 0, nullptr);
}

bool Object::SetOwnerNamespace(Object* ns) {
    const PlugHandle target(ns);
    return Renaming(kActRequestPrefixRename, [&] {
        // A handler may have ended the namespace meanwhile.
        Object* still = static_cast<Object*>(target.Get());
        ownerNamespace_.Reset(still);
        namespace_ = still ? still->LabelName() : std::string();
    });
}

bool Object::PlugDataNotify(int action, Plug* plug, void* data, void* oldData, int size) {
    if (plug && plug != this && plug->Owner() == this) return true;
    return Plug::PlugDataNotify(action, plug, data, oldData, size);
}

bool Object::PlugStateNotify(int action, Plug* plug, void* data, void* oldData, int size) {
    if (plug && plug != this && plug->Owner() == this) return true;
    return Plug::PlugStateNotify(action, plug, data, oldData, size);
}

FileReference* Object::OwnerFileReference() const {
    return static_cast<FileReference*>(ownerFile_.Get());
}

void Object::SetOwnerFileReference(FileReference* reference) { ownerFile_.Reset(reference); }


}  // namespace velora
