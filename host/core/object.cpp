#include "velora/object.h"

#include <cstring>

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

bool Object::SetName(const char* name) {
    if (flags_ & kObjectLocked) return false;
    std::string plain;
    SplitName(name, nullptr, &plain);
    name_ = plain;
    UpdateNames();
    ModFlags() |= kModSelfName;
    return true;
}

bool Object::SetLongName(const char* text) {
    if (flags_ & kObjectLocked) return false;
    SplitName(text, &namespace_, &name_);
    UpdateNames();
    ModFlags() |= kModSelfName;
    return true;
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

void Object::SetOwnerNamespace(Object* ns) {
    ownerNamespace_.Reset(ns);
    namespace_ = ns ? ns->LabelName() : std::string();
    UpdateNames();
}

FileReference* Object::OwnerFileReference() const {
    return static_cast<FileReference*>(ownerFile_.Get());
}

void Object::SetOwnerFileReference(FileReference* reference) { ownerFile_.Reset(reference); }


}  // namespace velora
