// Models: hierarchy, selection order, picking colours and transforms.

#include "velora/model.h"

#include <algorithm>
#include <atomic>
#include <cmath>
#include <mutex>
#include <unordered_map>

#include <lymath/euler.h>
#include <lymath/matrix.h>

#include "velora/class_registry.h"
#include "velora/property.h"

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

}  // namespace

Model* AsModel(Object* object) {
    // Plain objects may carry a model class (Object::Create with a model
    // class id), so the class id alone does not make a hierarchy model.
    return object && object->IsHierarchyModel() ? static_cast<Model*>(object) : nullptr;
}

Model* Model::Create(const char* name, int classId) {
    if (!ClassRegistry::Instance().IsA(classId, kClassModel)) classId = kClassModel;
    if (classId == kClassModelMesh) return MeshModel::Create(name);
    return new Model(name, classId);
}

Model::Model(const char* name, int classId) : Box(name, classId) {
    MarkHierarchyModel();
    translation_ = CreateProperty("Lcl Translation", kDataVector, kCreateAnimatable);
    rotation_ = CreateProperty("Lcl Rotation", kDataVector, kCreateAnimatable);
    scaling_ = CreateProperty("Lcl Scaling", kDataVector, kCreateAnimatable);
    const double one[3] = {1.0, 1.0, 1.0};
    scaling_->SetRaw(one);
    color_ = Colors().Allocate(this, 0);
}

void Model::Teardown() {
    DetachFromParent();
    // Children stay alive without a parent: the host ends objects one by
    // one, and a child may be ended (or re-parented) after its parent.
    for (PlugHandle& child : children_)
        if (Model* model = static_cast<Model*>(child.Get())) model->parent_ = PlugHandle();
    children_.clear();
    Colors().Release(color_);
    for (std::uint32_t color : extraColors_) Colors().Release(color);
    extraColors_.clear();
    Box::Teardown();
}

void Model::DetachFromParent() {
    if (Model* parent = Parent()) {
        // From the end, by the handles' identity: children made last are
        // the ones most often removed, and comparing identities reads the
        // sibling list alone, not every sibling.
        auto& siblings = parent->children_;
        const void* self = PlugHandle(this).Identity();
        for (auto it = siblings.end(); it != siblings.begin();) {
            if ((--it)->Identity() == self) {
                siblings.erase(it);
                break;
            }
        }
    }
    parent_ = PlugHandle();
}

bool Model::SetParent(Model* parent, int index) {
    BumpStructureVersion();  // evaluation schedules follow the hierarchy
    if (parent) {
        if (parent->IsEnding() || IsEnding()) return false;
        for (Model* up = parent; up; up = up->Parent())
            if (up == this) return false;
    }
    DetachFromParent();
    if (!parent) return true;
    auto& siblings = parent->children_;
    if (index < 0 || index >= static_cast<int>(siblings.size())) {
        // Appending, as opening a scene does for every model: no walk.
        siblings.emplace_back(this);
    } else {
        // A position counts living children: drop the ended ones first.
        siblings.erase(std::remove_if(siblings.begin(), siblings.end(),
                                      [](const PlugHandle& h) { return h.Get() == nullptr; }),
                       siblings.end());
        if (index > static_cast<int>(siblings.size())) index = static_cast<int>(siblings.size());
        siblings.insert(siblings.begin() + index, PlugHandle(this));
    }
    parent_ = PlugHandle(parent);
    return true;
}

int Model::ChildCount() const { return static_cast<int>(children_.size()); }

Model* Model::ChildModel(int i) const {
    if (i < 0 || i >= static_cast<int>(children_.size())) return nullptr;
    return static_cast<Model*>(children_[i].Get());
}

int Model::IndexInParent() const {
    const Model* parent = Parent();
    if (!parent) return -1;
    for (int i = 0; i < parent->ChildCount(); ++i)
        if (parent->children_[i].Get() == this) return i;
    return -1;
}

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
    ToBytes(extraColors_[i - 1], rgba);
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

void Model::LocalMatrix(double* local) const {
    const double* t = static_cast<const double*>(translation_->ValuePtr());
    const double* r = static_cast<const double*>(rotation_->ValuePtr());
    const double* s = static_cast<const double*>(scaling_->ValuePtr());
    // Local = T * Rz * Ry * Rx * S (X applied first), column-major.
    lymath::ComposeTRS(local, t, r, s);
}

void Model::UpdateGlobal(const double* parentGlobal) {
    double local[16];
    LocalMatrix(local);
    if (!parentGlobal) {
        std::copy(local, local + 16, global_);
        return;
    }
    lymath::Multiply(global_, parentGlobal, local);
}

// ---------------------------------------------------------------------------

MeshModel* MeshModel::Create(const char* name) { return new MeshModel(name); }

MeshModel::MeshModel(const char* name) : Model(name, kClassModelMesh) {
    deformable_ = CreateProperty("IsDeformable", kDataBool, 0);
    deformable_->ModifyFlag(kPropertyReadOnly, true);
}

void MeshModel::AddLink(Model* link) {
    if (!link || link == this) return;
    links_.emplace_back(link);
    linksDirty_ = true;
    // The property is read-only to users; the mesh itself keeps it current.
    deformable_->ModifyFlag(kPropertyReadOnly, false);
    const bool on = true;
    deformable_->SetRaw(&on);
    deformable_->ModifyFlag(kPropertyReadOnly, true);
}

int MeshModel::LinkCount() const {
    int count = 0;
    for (const PlugHandle& link : links_)
        if (link.Get()) ++count;
    return count;
}

bool MeshModel::IsDeformable() const {
    bool on = false;
    deformable_->GetRaw(&on);
    return on;
}

void MeshModel::SyncDeformation() {
    // A link that ended since the last pass changes the skin.
    for (const PlugHandle& link : links_)
        if (!link.Get()) linksDirty_ = true;
}

void MeshModel::EvaluateLinks(double box[6]) const {
    bool any = false;
    for (const PlugHandle& handle : links_) {
        const Model* link = static_cast<const Model*>(handle.Get());
        if (!link) continue;
        const double* m = link->GlobalMatrix();
        for (int k = 0; k < 3; ++k) {
            if (!any || m[12 + k] < box[k]) box[k] = m[12 + k];
            if (!any || m[12 + k] > box[3 + k]) box[3 + k] = m[12 + k];
        }
        any = true;
    }
    if (!any) std::fill(box, box + 6, 0.0);
}

void MeshModel::UpdateDeformationData() { ++deformationUpdates_; }

void MeshModel::RecomputeLinks() {
    links_.erase(std::remove_if(links_.begin(), links_.end(),
                                [](const PlugHandle& h) { return h.Get() == nullptr; }),
                 links_.end());
    linksDirty_ = false;
    ++linkRecomputes_;
}

}  // namespace velora

namespace velora {

void Model::ComputeGlobalMatrix(double* out) const {
    // Parents first, from the top of the hierarchy down, without touching
    // any model's stored global matrix.
    std::vector<const Model*> chain;
    for (const Model* m = this; m; m = m->Parent()) chain.push_back(m);
    double global[16];
    bool first = true;
    for (auto it = chain.rbegin(); it != chain.rend(); ++it) {
        double local[16];
        (*it)->LocalMatrix(local);
        if (first) {
            std::copy(local, local + 16, global);
            first = false;
            continue;
        }
        lymath::Multiply(global, global, local);
    }
    std::copy(global, global + 16, out);
}

}  // namespace velora
