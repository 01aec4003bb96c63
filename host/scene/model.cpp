// Models: creation of the kinds, hierarchy, selection order, picking
// colours, display state and storage.

#include "velora/model.h"

#include <algorithm>
#include <atomic>
#include <cstring>
#include <mutex>
#include <string>
#include <unordered_map>

#include "velora/class_registry.h"
#include "velora/property.h"
#include "velora/relation.h"
#include "velora/scene_storage.h"
#include "velora/string_list.h"

namespace velora {

namespace {

// The selection counter only grows, so a later selection always sorts
// above an earlier one.
std::atomic<std::uint64_t> gSelectionCounter{0};

PlugHandle& LastSelectedHandle() {
    static PlugHandle* handle = new PlugHandle;  // read by models ending at exit
    return *handle;
}

// Picking colours: 24-bit numbers, red in the low byte so that models made
// one after another differ first in red; 0 is unused. The
// viewer reads the table from its picking thread.
struct ColorTable {
    std::mutex mutex;
    std::uint32_t next = 1;
    struct Owner {
        PlugHandle model;
        int subItem;
    };
    std::unordered_map<std::uint32_t, Owner> owners;

    std::uint32_t Allocate(Model* model, int subItem) {
        std::lock_guard<std::mutex> lock(mutex);
        // 2^24 - 1 colours; past that the picking pass can no longer tell
        // models apart, and the newest ones share colour 0xFFFFFF's owner.
        const std::uint32_t color = next < 0xFFFFFFu ? next++ : 0xFFFFFFu;
        owners[color] = Owner{PlugHandle(model), subItem};
        return color;
    }
    void Release(std::uint32_t color) {
        std::lock_guard<std::mutex> lock(mutex);
        owners.erase(color);
    }
};

ColorTable& Colors() {
    static ColorTable* table = new ColorTable;  // outlives models ending at exit
    return *table;
}

void ToBytes(std::uint32_t color, std::uint8_t rgba[4]) {
    rgba[0] = static_cast<std::uint8_t>(color);
    rgba[1] = static_cast<std::uint8_t>(color >> 8);
    rgba[2] = static_cast<std::uint8_t>(color >> 16);
    rgba[3] = 255;
}

// The display values of the kinds without a type of their own.
struct KindSpec {
    const char* name;
    int type;
    bool animatable;
    double initial;                // numbers, bools, every member of a colour
    const char* const* texts;      // enumerations: their texts, null-ended
};

constexpr const char* kMarkerTypes[] = {"Standard", "Optical", "FK Effector", "IK Effector", nullptr};
constexpr const char* kLevels[] = {"Low", "Medium", "High", nullptr};
constexpr const char* kMarkerLooks[] = {"Cube", "Hard Cross", "Light Cross", "Sphere", "Capsule", "Box",
                                        "Bone", "Circle", "Square", "Stick", "None", nullptr};
constexpr const char* kSkeletonLooks[] = {"Stick", "Box", "Bone", "Sphere", "Capsule", "None", nullptr};
constexpr const char* kLightTypes[] = {"Point", "Infinite", "Spot", nullptr};

constexpr KindSpec kNullValues[] = {{"Size", kDataNumber, false, 100, nullptr}};
constexpr KindSpec kMarkerValues[] = {
    {"Size", kDataNumber, false, 100, nullptr},       {"Length", kDataNumber, false, 1, nullptr},
    {"Color RGB", kDataColor, true, 1, nullptr},      {"Show Trajectory", kDataBool, false, 0, nullptr},
    {"Occluded", kDataBool, false, 0, nullptr},       {"Type", kDataEnum, false, 0, kMarkerTypes},
    {"ResLevel", kDataEnum, false, 0, kLevels},       {"Look", kDataEnum, false, 0, kMarkerLooks},
};
constexpr KindSpec kSkeletonValues[] = {
    {"Size", kDataNumber, false, 100, nullptr},         {"Length", kDataNumber, false, 0, nullptr},
    {"Color RGB", kDataColor, true, 1, nullptr},        {"Show Label", kDataBool, false, 0, nullptr},
    {"Show Trajectory", kDataBool, false, 0, nullptr},  {"Look", kDataEnum, false, 2, kSkeletonLooks},
    {"Resolution", kDataEnum, false, 1, kLevels},
};
constexpr KindSpec kLightValues[] = {
    {"LightType", kDataEnum, false, 0, kLightTypes},
    {"Intensity", kDataNumber, true, 100, nullptr},
    {"Color", kDataColor, true, 1, nullptr},
};

template <std::size_t N>
void AddKindValues(Model& model, const KindSpec (&specs)[N], Property* (*make)(Model&, const KindSpec&)) {
    for (const KindSpec& spec : specs) make(model, spec);
}

}  // namespace

// ---------------------------------------------------------------------------
// Creation

Model* AsModel(Object* object) {
    // Plain objects may carry a model class (Object::Create with a model
    // class id), so the class id alone does not make a hierarchy model.
    return object && object->IsHierarchyModel() ? static_cast<Model*>(object) : nullptr;
}

namespace {

// A plain model whose kind only adds display values.
class KindModel final : public Model {
public:
    KindModel(const char* name, int classId) : Model(name, classId) {
        const ClassRegistry& classes = ClassRegistry::Instance();
        auto make = [](Model& m, const KindSpec& spec) -> Property* {
            return static_cast<KindModel&>(m).AddValue(spec);
        };
        if (classId == kClassModelNull || classId == kClassModelRoot) AddKindValues(*this, kNullValues, make);
        else if (classes.IsA(classId, kClassModelMarker)) AddKindValues(*this, kMarkerValues, make);
        else if (classId == kClassModelSkeleton) AddKindValues(*this, kSkeletonValues, make);
        else if (classId == kClassLight) AddKindValues(*this, kLightValues, make);
    }

private:
    Property* AddValue(const KindSpec& spec) {
        double raw[4] = {spec.initial, spec.initial, spec.initial, spec.initial};
        if (spec.type == kDataBool || spec.type == kDataEnum) {
            const int value = static_cast<int>(spec.initial);
            if (spec.type == kDataBool) {
                const bool on = value != 0;
                std::memcpy(raw, &on, sizeof on);
            } else {
                std::memcpy(raw, &value, sizeof value);
            }
        }
        Property* p = KindValue(spec.name, spec.type, raw, spec.animatable ? static_cast<std::uint32_t>(kCreateAnimatable) : 0u);
        if (p && spec.texts) {
            StringList* list = p->Definition().EnumList(true);
            for (const char* const* text = spec.texts; *text; ++text) list->Add(*text, 0);
        }
        return p;
    }
};

}  // namespace

Model* Model::Create(const char* name, int classId) {
    const ClassRegistry& classes = ClassRegistry::Instance();
    if (!classes.IsA(classId, kClassModel)) classId = kClassModel;
    if (classes.IsA(classId, kClassModelMesh)) return MeshModel::Create(name, classId);
    if (classId == kClassModelPath3D) return PathModel::Create(name);
    if (classes.IsA(classId, kClassCamera)) return CameraModel::Create(name);
    return new KindModel(name, classId);
}

Model::Model(const char* name, int classId) : Box(name, classId) {
    MarkHierarchyModel();
    MakeTransformValues();
    color_ = Colors().Allocate(this, 0);
}

Property* Model::KindValue(const char* name, int dataType, const void* value, std::uint32_t createFlags) {
    Property* p = CreateProperty(name, dataType, createFlags);
    if (!p) return nullptr;
    if (value) p->SetRaw(value);
    p->Definition().SetExternalHandlers(this, nullptr, &Model::TakeKindValue);
    return p;
}

void Model::TakeKindValue(IObject* self) {
    if (Model* model = AsModel(AsObject(self))) model->OnValueTaken();
}

void Model::Teardown() {
    DetachFromParent();
    // Children stay alive without a parent: the host ends objects one by
    // one, and a child may be ended (or re-parented) after its parent.
    for (Model* child : children_) child->parent_ = nullptr;
    children_.clear();
    Colors().Release(color_);
    for (std::uint32_t color : extraColors_) Colors().Release(color);
    extraColors_.clear();
    Box::Teardown();
}

// ---------------------------------------------------------------------------
// Hierarchy

void Model::DetachFromParent() {
    if (Model* parent = parent_) {
        // From the end: children made last are the ones most often removed.
        auto& siblings = parent->children_;
        for (auto it = siblings.end(); it != siblings.begin();)
            if (*--it == this) {
                siblings.erase(it);
                break;
            }
    }
    parent_ = nullptr;
}

bool Model::SetParent(Model* parent, int index) {
    if (parent) {
        if (parent->IsEnding() || IsEnding()) return false;
        for (Model* up = parent; up; up = up->Parent())
            if (up == this) return false;
    }
    BumpStructureVersion();  // evaluation schedules follow the hierarchy
    DetachFromParent();
    if (!parent) return true;
    auto& siblings = parent->children_;
    if (index < 0 || index >= static_cast<int>(siblings.size()))
        siblings.push_back(this);  // appending, as opening a scene does for every model: no walk
    else
        siblings.insert(siblings.begin() + index, this);
    parent_ = parent;
    return true;
}

int Model::ChildCount() const { return static_cast<int>(children_.size()); }

Model* Model::ChildModel(int i) const {
    if (i < 0 || i >= static_cast<int>(children_.size())) return nullptr;
    return children_[static_cast<std::size_t>(i)];
}

int Model::IndexInParent() const {
    if (!parent_) return -1;
    const auto& siblings = parent_->children_;
    const auto it = std::find(siblings.begin(), siblings.end(), this);
    return it == siblings.end() ? -1 : static_cast<int>(it - siblings.begin());
}

// ---------------------------------------------------------------------------
// Selection and picking

bool Model::PlugNotify(int action, Plug* plug, int index, Plug* plug2, int type, Plug* plug3) {
    if (plug == this) {
        if (action == kActSelect || action == kActReselect) {
            selectionOrder_ = ++gSelectionCounter;
            LastSelectedHandle().Reset(this);
        } else if (action == kActUnselect) {
            selectionOrder_ = 0;
            if (LastSelectedHandle().Get() == this) LastSelectedHandle().Reset(nullptr);
        }
    }
    return Box::PlugNotify(action, plug, index, plug2, type, plug3);
}

Model* Model::LastSelected() { return static_cast<Model*>(LastSelectedHandle().Get()); }

void Model::SetLastSelected(Model* model) {
    if (model && !model->IsEnding()) LastSelectedHandle().Reset(model);
}

void Model::UniqueColor(std::uint8_t rgba[4]) const { ToBytes(color_, rgba); }

void Model::SetAdditionalColorCount(int count) {
    if (count < 0) count = 0;
    while (static_cast<int>(extraColors_.size()) > count) {
        Colors().Release(extraColors_.back());
        extraColors_.pop_back();
    }
    while (static_cast<int>(extraColors_.size()) < count)
        extraColors_.push_back(Colors().Allocate(this, static_cast<int>(extraColors_.size()) + 1));
}

bool Model::AdditionalColor(int i, std::uint8_t rgba[4]) const {
    if (i < 1 || i > static_cast<int>(extraColors_.size())) return false;
    ToBytes(extraColors_[static_cast<std::size_t>(i - 1)], rgba);
    return true;
}

Model* Model::FindByColor(std::uint8_t r, std::uint8_t g, std::uint8_t b, std::uint8_t a, int* subItem) {
    if (subItem) *subItem = -1;
    if (a != 255) return nullptr;
    const std::uint32_t color = (std::uint32_t(b) << 16) | (std::uint32_t(g) << 8) | r;
    ColorTable& table = Colors();
    std::lock_guard<std::mutex> lock(table.mutex);
    auto it = table.owners.find(color);
    if (it == table.owners.end()) return nullptr;
    Model* model = static_cast<Model*>(it->second.model.Get());
    if (!model || model->IsEnding()) return nullptr;
    if (subItem) *subItem = it->second.subItem;
    return model;
}

// ---------------------------------------------------------------------------
// Geometry and constraints

bool Model::BoundingBox(double* min3, double* max3) const {
    for (int k = 0; k < 3; ++k) {
        if (min3) min3[k] = 0.0;
        if (max3) max3[k] = 0.0;
    }
    return false;
}

bool Model::ClosestRayIntersection(const double*, const double*, double*, double*) const { return false; }

bool Model::IsConstrained() const {
    if (drivers_ > 0) return true;
    // A placeholder names the model through a reference property: the
    // property is one of the model's destinations.
    for (int i = 0; i < DstCount(); ++i) {
        auto* property = dynamic_cast<Property*>(Dst(i));
        auto* placeholder = property ? dynamic_cast<ModelPlaceholder*>(property->OwnerObject()) : nullptr;
        if (!placeholder || placeholder->TargetModel() != this) continue;
        auto* relation = dynamic_cast<Relation*>(placeholder->Owner());
        if (!relation || !relation->IsActive()) continue;
        for (int k = 0; k < placeholder->InConnectorCount(); ++k)
            if (placeholder->InConnector(k)->SourceConnector()) return true;
    }
    return false;
}

// ---------------------------------------------------------------------------
// Storage

bool Model::Store(dsx::ObjectStore& store) {
    if (!Box::Store(store)) return false;
    if (!(store.Pass() & dsx::kPassFields)) return true;
    // A parent outside the file (the scene root) is not written: the model
    // goes to the top of the scene when opened.
    if (parent_ && store.WriteReference("Parent", parent_))
        store.WriteInteger("ChildIndex", IndexInParent());
    store.WriteInteger("ShadingMode", shadingMode_);
    store.WriteInteger("Icon3D", icon3D_ ? 1 : 0);
    store.WriteInteger("SoftSelected", softSelected_ ? 1 : 0);
    return true;
}

bool Model::Retrieve(dsx::ObjectStore& store) {
    if (!Box::Retrieve(store)) return false;
    const std::uint32_t pass = store.Pass();
    if (pass & dsx::kPassFields) {
        std::int64_t value = 0;
        if (store.ReadInteger("ShadingMode", &value) && value >= kShadingDefault && value <= kShadingAll)
            shadingMode_ = static_cast<int>(value);
        if (store.ReadInteger("Icon3D", &value)) icon3D_ = value != 0;
        if (store.ReadInteger("SoftSelected", &value)) softSelected_ = value != 0;
    }
    if (pass & dsx::kPassReferences) {
        Model* parent = AsModel(AsObject(store.ReadReference("Parent")));
        if (!parent) {
            if (store.HasField("Parent"))
                store.Session().Warn(std::string("'") + FullName() + "': its parent is not in the file; it goes to the top");
            return true;
        }
        std::int64_t index = 0;
        store.ReadInteger("ChildIndex", &index);
        loadedIndex_ = index < 0 ? 0 : static_cast<int>(std::min<std::int64_t>(index, 1 << 30));
        // Children of one parent come in file order: each goes before the
        // first sibling of this load that the file puts after it.
        int at = -1;
        for (int i = 0; i < parent->ChildCount(); ++i)
            if (parent->ChildModel(i)->loadedIndex_ > loadedIndex_) {
                at = i;
                break;
            }
        if (!SetParent(parent, at))
            store.Session().Warn(std::string("'") + FullName() + "' cannot go under '" + parent->FullName() +
                                 "' (it would be its own ancestor)");
    }
    return true;
}

}  // namespace velora
