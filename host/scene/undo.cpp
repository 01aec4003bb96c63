// The undo stack and the host's own entries: property values, curves,
// animation nodes, and objects destroyed or created.

#include "velora/undo.h"

#include <algorithm>
#include <cstring>

#include "velora/animation.h"
#include "velora/entity.h"
#include "velora/fcurve.h"
#include "velora/file_reference.h"
#include "velora/model.h"
#include "velora/namespace.h"
#include "velora/property.h"
#include "velora/scene.h"
#include "velora/string_list.h"

namespace velora {

// ---------------------------------------------------------------------------
// UndoEntry

lyiface::IObject* UndoEntry::IQuery(std::uint32_t id, int) {
    return id == lyiface::kIdSelf || id == kIdUndoEntry ? this : nullptr;
}
void UndoEntry::Destroy(int) {}
bool UndoEntry::DependencyLost() { return false; }
void UndoEntry::Reserved() {}
const char* UndoEntry::Name() { return ""; }
UndoEntry::~UndoEntry() = default;

namespace {

void Discard(UndoEntry* entry) {
    entry->Destroy(0);
    delete entry;
}

}  // namespace

// ---------------------------------------------------------------------------
// Property values

bool PropertyValue::Save(const Property* property) {
    if (!property) return false;
    type_ = property->TypeId();
    switch (property->Type()->Kind()) {
        case ValueKind::kNone:
            return false;
        case ValueKind::kString: {
            const char* text = nullptr;
            property->GetRaw(&text);
            text_ = text ? text : "";
            return true;
        }
        case ValueKind::kStringList:
            return property->Format(&text_);
        case ValueKind::kObject:
            list_.clear();
            for (int i = 0; i < property->SrcCount(); ++i) list_.emplace_back(property->Src(i));
            return true;
        case ValueKind::kReference:
            list_.assign(1, PlugHandle(property->Links().Referenced()));
            return true;
        default:
            return property->GetRaw(raw_);
    }
}

bool PropertyValue::Restore(Property* property) const {
    if (!property || property->TypeId() != type_) return false;
    switch (property->Type()->Kind()) {
        case ValueKind::kNone:
            return false;
        case ValueKind::kString: {
            const char* text = text_.c_str();
            return property->SetRaw(&text);
        }
        case ValueKind::kStringList:
            return property->Parse(text_.c_str());
        case ValueKind::kObject:
            property->DisconnectAllSrc();
            for (const PlugHandle& handle : list_)
                if (Plug* plug = UndoStack::Instance().Resolve(handle)) property->ConnectSrc(plug);
            return true;
        case ValueKind::kReference:
            return property->Links().SetReferenced(AsProperty(UndoStack::Instance().Resolve(list_[0])));
        default:
            return property->SetRaw(raw_);
    }
}

namespace {

// ---------------------------------------------------------------------------
// Where a property or curve is: its own handle, and the owning object and
// name to find it again in an object brought back after it died.

struct PropertyPath {
    PlugHandle property;
    PlugHandle owner;
    std::string name;

    explicit PropertyPath(Property* p) : property(p), owner(p->OwnerObject()), name(p->Name()) {}
    Property* Get() const {
        if (Plug* plug = property.Get()) return static_cast<Property*>(plug);
        Object* object = AsObject(UndoStack::Instance().Resolve(owner));
        return object ? object->FindProperty(name.c_str()) : nullptr;
    }
};

// The animation of a property: animated or not, and each member's curve.
struct AnimationState {
    bool animated = false;
    std::vector<CurveState> curves;

    void Save(const Property* property) {
        AnimationNode* node = property->HasFlag(kPropertyAnimated) ? PropertyAnimationNode(property) : nullptr;
        animated = node != nullptr;
        curves.clear();
        if (!node) return;
        curves.resize(static_cast<std::size_t>(node->Channels()));
        for (int i = 0; i < node->Channels(); ++i)
            if (FCurve* curve = node->Curve(i)) curve->SaveState(&curves[static_cast<std::size_t>(i)]);
    }
    void Restore(Property* property) const {
        if (!CanAnimate(property)) return;
        SetPropertyAnimated(property, animated);
        AnimationNode* node = animated ? PropertyAnimationNode(property) : nullptr;
        if (!node) return;
        for (int i = 0; i < node->Channels() && i < static_cast<int>(curves.size()); ++i)
            if (FCurve* curve = node->Curve(i)) curve->RestoreState(curves[static_cast<std::size_t>(i)]);
    }
};

// A property's value (and, for an evaluation property, its animation).
// Undo and redo both swap what the entry keeps with what the property has.
class PropertyEntry final : public UndoEntry {
public:
    PropertyEntry(Property* property, bool evaluation) : path_(property), evaluation_(evaluation) {}
    bool Init(Property* property) {
        if (!value_.Save(property)) return false;
        if (evaluation_) animation_.Save(property);
        return true;
    }
    bool DependencyLost() override { return path_.Get() == nullptr; }
    void Undo() override { Swap(); }
    void Redo() override { Swap(); }
    const char* Name() override { return evaluation_ ? "Evaluation Property" : "Property"; }

private:
    void Swap() {
        Property* property = path_.Get();
        if (!property) return;
        PropertyValue now;
        AnimationState animationNow;
        now.Save(property);
        if (evaluation_) {
            animationNow.Save(property);
            animation_.Restore(property);
            animation_ = std::move(animationNow);
        }
        value_.Restore(property);
        value_ = std::move(now);
    }

    PropertyPath path_;
    bool evaluation_;
    PropertyValue value_;
    AnimationState animation_;
};

// A curve's keys, extrapolation and default; a curve of an animated
// property is found again through the property.
class CurveEntry final : public UndoEntry {
public:
    explicit CurveEntry(FCurve* curve) : curve_(curve) {
        curve->SaveState(&state_);
        auto* node = static_cast<AnimationNode*>(curve->Owner());
        if (!node || !node->IsA(kClassAnimationNode)) return;
        AnimationNode* parent = node->ParentNode();
        AnimationNode* top = parent ? parent : node;
        if (Property* property = top->ConnectedProperty()) {
            path_ = std::make_unique<PropertyPath>(property);
            for (int i = 0; parent && i < parent->ChildCount(); ++i)
                if (parent->ChildNode(i) == node) channel_ = i;
        }
    }
    bool DependencyLost() override { return Target() == nullptr; }
    void Undo() override { Swap(); }
    void Redo() override { Swap(); }
    const char* Name() override { return "Curve"; }

private:
    FCurve* Target() const {
        if (Plug* plug = curve_.Get()) return static_cast<FCurve*>(plug);
        Property* property = path_ ? path_->Get() : nullptr;
        AnimationNode* node = property ? PropertyAnimationNode(property) : nullptr;
        return node ? node->Curve(channel_) : nullptr;
    }
    void Swap() {
        FCurve* curve = Target();
        if (!curve) return;
        CurveState now;
        curve->SaveState(&now);
        curve->RestoreState(state_);
        state_ = std::move(now);
    }

    PlugHandle curve_;
    std::unique_ptr<PropertyPath> path_;
    int channel_ = 0;
    CurveState state_;
};

// ---------------------------------------------------------------------------
// Objects destroyed and brought back

bool Revivable(const Object* object) {
    // Host classes only: an object of a library's class needs that library
    // to make it again.
    return object && !object->IsEnding() && object->ClassId() < kClassBuiltinCount &&
           !object->IsA(kClassAnimationNode) && !object->IsA(kClassFCurve) &&
           !object->IsA(kClassScene) && !object->IsA(kClassProperty);
}

std::uint32_t CreateFlagsOf(const Property* p) {
    std::uint32_t flags = 0;
    if (p->IsAnimatable()) flags |= kCreateAnimatable;
    if (p->IsUser()) flags |= kCreateUser;
    if (p->Definition().IsTemporary()) flags |= kCreateTemporary;
    if (p->Definition().HasAttribute(kAttrConnectable)) flags |= kCreateConnectable;
    return flags;
}

struct PropertySnapshot {
    std::string name;
    int type = 0;
    std::uint32_t create = 0;
    std::uint32_t attributes = 0;
    std::uint32_t flags = 0;
    PropertyValue value;
    AnimationState animation;
};

struct ObjectSnapshot {
    PlugHandle object;  // the object now standing for it (or dead)
    int classId = 0;
    std::string label;
    std::uint32_t flags = 0;
    bool selected = false;
    PlugHandle ownerNamespace;
    PlugHandle parent;
    int indexInParent = -1;
    std::vector<PlugHandle> children;
    bool sceneModel = false;
    bool sceneObject = false;
    std::vector<PropertySnapshot> properties;

    void Take(Object* o) {
        object.Reset(o);
        classId = o->ClassId();
        label = o->LabelName();
        flags = o->ObjectFlags();
        selected = o->IsSelected();
        ownerNamespace.Reset(o->OwnerNamespace());
        Scene& scene = Scene::Main();
        sceneObject = scene.SrcIndex(o) >= 0;
        sceneModel = MainEntity::Instance().InScene(o);
        children.clear();
        parent = PlugHandle();
        if (Model* model = AsModel(o)) {
            Model* up = model->Parent();
            if (up && up != scene.RootModel()) {
                parent.Reset(up);
                indexInParent = model->IndexInParent();
            }
            for (int i = 0; i < model->ChildCount(); ++i) children.emplace_back(model->ChildModel(i));
        }
        properties.clear();
        for (int i = 0; i < o->PropertyCount(); ++i) {
            const Property* p = o->PropertyAt(i);
            PropertySnapshot s;
            s.name = p->Name();
            s.type = p->TypeId();
            s.create = CreateFlagsOf(p);
            s.attributes = p->Definition().Attributes();
            s.flags = p->Flags();
            if (!s.value.Save(p)) continue;
            s.animation.Save(p);
            properties.push_back(std::move(s));
        }
    }

    // Makes the object again with its own state; relations come after.
    Object* Make() {
        const std::string name = label;
        Object* made = nullptr;
        if (classId == kClassFileReference) made = FileReference::Create(name.c_str());
        else if (classId == kClassNamespace) made = Namespace::Find(name.c_str()) ? nullptr : Namespace::Create(name.c_str());
        else made = Object::Create(name.c_str(), classId);
        if (!made) return nullptr;
        made->SetObjectFlags(flags);
        for (const PropertySnapshot& s : properties) {
            Property* p = made->FindProperty(s.name.c_str());
            if (p && p->TypeId() != s.type) continue;
            if (!p) p = made->CreateProperty(s.name.c_str(), s.type, s.create);
            if (!p) continue;
            p->Definition().SetAttribute(s.attributes, true);
            p->Definition().SetAttribute(~s.attributes, false);
            p->ModifyFlag(~s.flags & ~kPropertyAnimated, false);
            p->ModifyFlag(s.flags & ~kPropertyAnimated, true);
            // The value as it was, whatever the flags now say about writes.
            const std::uint32_t restrictive = s.flags & (kPropertyReadOnly | kPropertyLockAll);
            p->ModifyFlag(restrictive, false);
            s.value.Restore(p);
            s.animation.Restore(p);
            p->ModifyFlag(restrictive, true);
        }
        UndoStack::Instance().Revived(object, made);
        object.Reset(made);
        return made;
    }

    void Relate() {
        Object* o = AsObject(object.Get());
        if (!o) return;
        UndoStack& stack = UndoStack::Instance();
        if (Object* ns = AsObject(stack.Resolve(ownerNamespace))) o->SetOwnerNamespace(ns);
        Scene& scene = Scene::Main();
        if (Model* model = AsModel(o)) {
            if (Model* up = AsModel(AsObject(stack.Resolve(parent)))) model->SetParent(up, indexInParent);
            if (sceneModel) scene.AddModel(model);
            for (const PlugHandle& h : children) {
                Model* child = AsModel(AsObject(stack.Resolve(h)));
                if (child && (!child->Parent() || child->Parent() == scene.RootModel())) child->SetParent(model);
            }
        } else if (sceneObject) {
            scene.AddObject(o);
        }
        if (selected) o->Select(true);
    }
};

class ObjectsEntry final : public UndoEntry {
public:
    ObjectsEntry(const std::vector<Object*>& objects, bool destroyed) : destroyed_(destroyed) {
        snapshots_.resize(objects.size());
        for (std::size_t i = 0; i < objects.size(); ++i) snapshots_[i].object.Reset(objects[i]);
        if (destroyed) TakeAll();
    }
    void Undo() override {
        if (destroyed_) Revive();
        else DestroyAll();
    }
    void Redo() override {
        if (destroyed_) DestroyAll();
        else Revive();
    }
    const char* Name() override { return destroyed_ ? "Destroy Objects" : "Create Objects"; }

private:
    void TakeAll() {
        for (ObjectSnapshot& s : snapshots_)
            if (Object* o = AsObject(s.object.Get())) s.Take(o);
    }
    void DestroyAll() {
        TakeAll();
        std::vector<PlugHandle> doomed;
        for (const ObjectSnapshot& s : snapshots_) doomed.push_back(s.object);
        for (PlugHandle& h : doomed)
            if (Object* o = AsObject(h.Get()); o && !o->IsEnding()) o->Destroy(0);
    }
    void Revive() {
        // Backwards: what was destroyed last (a namespace after its content,
        // a parent after its child) comes back first.
        for (auto it = snapshots_.rbegin(); it != snapshots_.rend(); ++it)
            if (!it->object.Valid() && it->classId) it->Make();
        for (auto it = snapshots_.rbegin(); it != snapshots_.rend(); ++it) it->Relate();
    }

    bool destroyed_;
    std::vector<ObjectSnapshot> snapshots_;
};

}  // namespace

// ---------------------------------------------------------------------------
// UndoStack

UndoStack& UndoStack::Instance() {
    // Never destroyed: entries may refer to objects that end at exit.
    static UndoStack* stack = new UndoStack;
    return *stack;
}

const char* UndoStack::OpenName() const { return depth_ > 0 ? open_.name.c_str() : ""; }

bool UndoStack::Begin(const char* name) {
    if (running_) return false;
    if (depth_ == 0) {
        open_.name = name ? name : "";
        open_.entries.clear();
        recordedNodes_.clear();
    }
    levelStarts_.push_back(open_.entries.size());
    ++depth_;
    return true;
}

bool UndoStack::End(bool commit) {
    if (depth_ == 0) return false;
    const std::size_t start = levelStarts_.back();
    levelStarts_.pop_back();
    --depth_;
    if (!commit) {
        for (std::size_t i = start; i < open_.entries.size(); ++i) Discard(open_.entries[i]);
        open_.entries.resize(start);
        // A node recorded in the discarded part is no longer recorded.
        recordedNodes_.erase(
            std::remove_if(recordedNodes_.begin(), recordedNodes_.end(),
                           [&](const std::pair<PlugHandle, std::size_t>& r) { return r.second >= start; }),
            recordedNodes_.end());
    }
    if (depth_ > 0) return true;
    recordedNodes_.clear();
    if (open_.entries.empty()) return true;
    for (Transaction& t : redo_) Free(t);
    redo_.clear();
    undo_.push_back(std::move(open_));
    open_ = Transaction();
    Trim();
    return true;
}

bool UndoStack::Add(UndoEntry* entry) {
    if (!entry || !Recording()) return false;
    open_.entries.push_back(entry);
    return true;
}

bool UndoStack::AddProperty(Property* property) {
    if (!property || !Recording()) return false;
    auto* entry = new PropertyEntry(property, false);
    if (!entry->Init(property)) {
        Discard(entry);
        return false;
    }
    return Add(entry);
}

bool UndoStack::AddEvaluationProperty(Property* property) {
    if (!property || !Recording()) return false;
    auto* entry = new PropertyEntry(property, true);
    if (!entry->Init(property)) {
        Discard(entry);
        return false;
    }
    return Add(entry);
}

bool UndoStack::AddCurve(FCurve* curve) {
    if (!curve || curve->IsEnding() || !Recording()) return false;
    return Add(new CurveEntry(curve));
}

bool UndoStack::AddAnimationNode(AnimationNode* node) {
    if (!node || node->IsEnding() || !Recording()) return false;
    PlugHandle handle(node);
    for (const auto& recorded : recordedNodes_)
        if (recorded.first.Identity() == handle.Identity()) return true;
    recordedNodes_.emplace_back(handle, open_.entries.size());
    for (int i = 0; i < node->Channels(); ++i)
        if (FCurve* curve = node->Curve(i)) Add(new CurveEntry(curve));
    return true;
}

bool UndoStack::AddObjectsDestroyed(const std::vector<Object*>& objects) {
    if (objects.empty() || !Recording()) return false;
    for (Object* o : objects)
        if (!Revivable(o)) return false;
    return Add(new ObjectsEntry(objects, true));
}

bool UndoStack::AddObjectsCreated(const std::vector<Object*>& objects) {
    if (objects.empty() || !Recording()) return false;
    for (Object* o : objects)
        if (!Revivable(o)) return false;
    return Add(new ObjectsEntry(objects, false));
}

void UndoStack::CheckDependencies(Transaction& t) {
    auto lost = std::stable_partition(t.entries.begin(), t.entries.end(),
                                      [](UndoEntry* e) { return !e->DependencyLost(); });
    for (auto it = lost; it != t.entries.end(); ++it) Discard(*it);
    t.entries.erase(lost, t.entries.end());
}

bool UndoStack::Undo(bool discard) {
    if (depth_ > 0 || running_ || undo_.empty()) return false;
    Transaction t = std::move(undo_.back());
    undo_.pop_back();
    CheckDependencies(t);
    running_ = true;
    for (auto it = t.entries.rbegin(); it != t.entries.rend(); ++it) (*it)->Undo();
    running_ = false;
    if (discard) Free(t);
    else redo_.push_back(std::move(t));
    return true;
}

bool UndoStack::Redo() {
    if (depth_ > 0 || running_ || redo_.empty()) return false;
    Transaction t = std::move(redo_.back());
    redo_.pop_back();
    CheckDependencies(t);
    running_ = true;
    for (UndoEntry* e : t.entries) e->Redo();
    running_ = false;
    undo_.push_back(std::move(t));
    return true;
}

bool UndoStack::Clear(bool all) {
    if (running_) return false;
    for (Transaction& t : redo_) Free(t);
    redo_.clear();
    if (all) {
        for (Transaction& t : undo_) Free(t);
        undo_.clear();
        revived_.clear();
        deadKeep_.clear();
    }
    return true;
}

const char* UndoStack::UndoName(int i) const {
    if (i < 0 || i >= UndoCount()) return nullptr;
    return undo_[undo_.size() - 1 - static_cast<std::size_t>(i)].name.c_str();
}

const char* UndoStack::RedoName(int i) const {
    if (i < 0 || i >= RedoCount()) return nullptr;
    return redo_[redo_.size() - 1 - static_cast<std::size_t>(i)].name.c_str();
}

int UndoStack::UndoEntryCount(int i) const {
    if (i < 0 || i >= UndoCount()) return 0;
    return static_cast<int>(undo_[undo_.size() - 1 - static_cast<std::size_t>(i)].entries.size());
}

void UndoStack::SetLimit(int transactions) {
    limit_ = transactions < 1 ? 1 : transactions;
    Trim();
}

void UndoStack::Free(Transaction& t) {
    for (UndoEntry* e : t.entries) Discard(e);
    t.entries.clear();
}

void UndoStack::Trim() {
    while (static_cast<int>(undo_.size()) > limit_) {
        Free(undo_.front());
        undo_.erase(undo_.begin());
    }
}

Plug* UndoStack::Resolve(const PlugHandle& handle) const {
    PlugHandle current = handle;
    // A chain of revivals is short; the bound only guards against a cycle.
    for (int step = 0; step < 64; ++step) {
        if (Plug* plug = current.Get()) return plug;
        auto it = revived_.find(current.Identity());
        if (it == revived_.end()) return nullptr;
        current = it->second;
    }
    return nullptr;
}

void UndoStack::Revived(const PlugHandle& dead, Object* revived) {
    if (!dead.Identity() || !revived) return;
    // The map keeps a handle of the dead plug too, so that its identity is
    // not given to another plug while the entry exists.
    revived_[dead.Identity()] = PlugHandle(revived);
    deadKeep_.push_back(dead);
}

}  // namespace velora
