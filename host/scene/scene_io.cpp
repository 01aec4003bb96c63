#include "velora/scene_io.h"

#include <string>
#include <vector>

#include "velora/class_registry.h"
#include "velora/constraint.h"
#include "velora/entity.h"
#include "velora/object.h"
#include "velora/object_directory.h"
#include "velora/model.h"
#include "velora/object_registry.h"
#include "velora/scene.h"
#include "velora/scene_file.h"
#include "velora/scene_storage.h"

namespace velora {

namespace {

namespace dsx = velora::dsx;

// The fields that say which registry entry makes an extension object again.
constexpr const char* kEntryGroupField = "RegistryGroup";
constexpr const char* kEntryNameField = "RegistryEntry";

// Passes in the order every save and every load runs them.
constexpr std::uint32_t kPasses[] = {dsx::kPassHeader, dsx::kPassFields, dsx::kPassAnimation,
                                     dsx::kPassReferences};

bool IsHostClass(int classId) {
    // The host's own object classes; library-registered classes come after.
    return classId > kClassPlug && classId < kClassBuiltinCount &&
           ClassRegistry::Instance().IsA(classId, kClassObject);
}

// A custom model, material or texture is kept with its class only once a
// plug-in said it registered a storable class of that kind.
bool KindMayBeStored(const Object& object) {
    const ObjectRegistry& registry = ObjectRegistry::Instance();
    if (object.IsA(kClassModel)) return registry.StorableCustomModel();
    if (object.IsA(kClassMaterial)) return registry.StorableCustomMaterial();
    if (object.IsA(kClassTexture)) return registry.StorableCustomTexture();
    return true;
}

// How an object is saved: through the registry entry that made it (an
// extension object), as a host object of its class, or not at all.
struct SaveForm {
    const RegistryEntry* entry = nullptr;
    bool stored = false;
    std::string why;  // when not stored, or stored without its extension class
};

SaveForm FormOf(const Object& object) {
    SaveForm form;
    const RegistryEntry* origin = ObjectRegistry::Instance().OriginOf(&object);
    const bool extension = origin || object.IsCustomObject() || !IsHostClass(object.ClassId());
    if (!extension) {
        form.stored = true;
        return form;
    }
    const std::string name = std::string("'") + object.FullName() + "'";
    const RegistryEntry* storable = ObjectRegistry::Instance().StorableEntryFor(origin);
    if (!storable) {
        form.why = name + " is not saved: its class is not registered as storable";
    } else if (!KindMayBeStored(object)) {
        form.why = name + " is saved as a plain host object: no storable custom class of its "
                          "kind is registered";
    } else {
        form.entry = storable;
        form.stored = true;
        return form;
    }
    // A host object of a host class still has its host part to keep.
    form.stored = IsHostClass(object.ClassId());
    return form;
}

void RunPasses(dsx::StorageSession& session, const std::vector<Object*>& objects, bool storing,
               SceneCounts& counts) {
    for (std::uint32_t pass : kPasses) {
        for (Object* object : objects) {
            dsx::ObjectStore* store = session.Open(object, pass);
            if (!store) continue;
            const bool ok = storing ? object->Store(*store) : object->Retrieve(*store);
            if (!ok)
                session.Warn(std::string("'") + object->FullName() + "' failed its " +
                             (storing ? "store" : "retrieve") + " pass " + std::to_string(pass));
        }
    }
    counts.properties = session.PropertiesDone();
    counts.warnings = session.Warnings();
}

// The label a file object is made with: the part of its name after the
// group. A "Label" field that says otherwise is not trusted, since two
// objects of one label would become one object.
std::string LabelOf(const dsx::FileObject& file, dsx::StorageSession& session) {
    const std::string& name = file.Name();
    const std::size_t group = name.find("::");
    std::string label = group == std::string::npos ? name : name.substr(group + 2);
    const std::string* field = file.GetString("Label");
    if (field && *field != label)
        session.Warn("'" + name + "': its label '" + *field + "' does not match its name; '" +
                     label + "' is used");
    return label;
}

// Makes the host object of one file object; null (with a warning) when it
// cannot be made.
Object* Make(const dsx::FileObject& file, const std::string& label,
             dsx::StorageSession& session) {
    const std::string* group = file.GetString(kEntryGroupField);
    const std::string* entry = file.GetString(kEntryNameField);
    if (group || entry) {
        ObjectRegistry& registry = ObjectRegistry::Instance();
        const RegistryEntry* found =
            group && entry ? registry.Find(group->c_str(), entry->c_str()) : nullptr;
        if (!found || !found->creator) {
            session.Warn("'" + file.Name() + "' is not opened: the registry entry '" +
                         (group ? *group : std::string()) + "/" +
                         (entry ? *entry : std::string()) +
                         "' that makes its class is not loaded");
            return nullptr;
        }
        Object* made = AsObject(
            registry.Create(group->c_str(), entry->c_str(), nullptr, label.c_str(), nullptr));
        if (!made)
            session.Warn("'" + file.Name() + "' is not opened: the creator of '" + *group + "/" +
                         *entry + "' failed");
        return made;
    }
    const int classId = ClassRegistry::Instance().Find(file.ClassName().c_str());
    if (!IsHostClass(classId)) {
        session.Warn("'" + file.Name() + "' is not opened: its class '" + file.ClassName() +
                     "' is unknown here");
        return nullptr;
    }
    Object* made = Object::Create(label.c_str(), classId);
    if (!made)
        session.Warn("'" + file.Name() + "' is not opened: objects of class '" + file.ClassName() +
                     "' are only made by their owners");
    return made;
}

}  // namespace

bool SaveScene(const std::string& path, bool binary, std::string* error, SceneCounts* counts) {
    dsx::Document doc;
    SceneCounts done;
    StoreScene(&doc, &done);
    if (!dsx::SaveDocument(doc, path, binary ? dsx::Encoding::kBinary : dsx::Encoding::kText,
                           error))
        return false;
    if (counts) *counts = std::move(done);
    return true;
}

bool OpenScene(const std::string& path, std::string* error, SceneCounts* counts) {
    dsx::Document doc;
    if (!dsx::LoadDocument(path, &doc, error)) return false;
    RetrieveScene(doc, counts);
    return true;
}

void StoreScene(dsx::Document* document, SceneCounts* counts) {
    SceneCounts done;
    dsx::Document& doc = *document;
    doc.Clear();
    dsx::StorageSession session(&doc);
    ClassRegistry& classes = ClassRegistry::Instance();
    std::vector<Object*> stored;
    for (Object* object : MainEntity::Instance().Objects().Livings()) {
        // Owned objects (an animated property's node, say) are their owner's
        // business, and the host's own objects are made by the host. The
        // boxes of a relation are objects of their own (each stores which
        // relation holds it).
        if (object->HasObjectFlags(kObjectSystem)) continue;
        if (object->Owner() && !(object->IsA(kClassBox) && object->Owner()->IsA(kClassConstraintRelation))) continue;
        const SaveForm form = FormOf(*object);
        if (!form.why.empty()) session.Warn(form.why);
        if (!form.stored) {
            ++done.skipped;
            continue;
        }
        dsx::FileObject* record =
            session.AddObject(object, classes.Name(object->ClassId()), object->FullName());
        if (!record) {
            session.Warn(std::string("'") + object->FullName() +
                         "' is not saved: another object of the scene has the same name");
            ++done.skipped;
            continue;
        }
        if (form.entry) {
            record->SetString(kEntryGroupField, form.entry->group);
            record->SetString(kEntryNameField, form.entry->name);
        }
        stored.push_back(object);
    }
    RunPasses(session, stored, true, done);
    done.objects = static_cast<int>(stored.size());
    if (counts) *counts = std::move(done);
}

void RetrieveScene(const dsx::Document& doc, SceneCounts* counts) {
    SceneCounts done;
    dsx::StorageSession session(doc);
    ObjectDirectory& directory = MainEntity::Instance().Objects();
    std::vector<Object*> made;
    made.reserve(static_cast<std::size_t>(doc.ObjectCount()));
    for (int i = 0; i < doc.ObjectCount(); ++i) {
        const dsx::FileObject& file = *doc.ObjectAt(i);
        const std::string label = LabelOf(file, session);
        Object* object = nullptr;
        const int classId = ClassRegistry::Instance().Find(file.ClassName().c_str());
        const char* group = classId ? ClassRegistry::Instance().Group(classId) : nullptr;
        const std::string fullName = group && *group ? std::string(group) + "::" + label : label;
        Object* existing = directory.FindByFullName(fullName.c_str());
        if (existing && existing->ClassId() == kClassTake && classId == kClassTake && !existing->IsEnding()) {
            // A take of the same name takes the file's animation in: the
            // file's curves land in the take the user knows by that name.
            session.Bind(file.Id(), existing);
            made.push_back(existing);
            continue;
        }
        if (existing) {
            // Opening into a scene that has it already: references to it
            // in the file still find it.
            session.Warn("'" + fullName + "' is already in the scene; the file's object is not opened");
            session.Bind(file.Id(), existing);
            ++done.skipped;
            continue;
        }
        object = Make(file, label, session);
        if (!object) {
            ++done.skipped;
            continue;
        }
        session.Bind(file.Id(), object);
        made.push_back(object);
    }
    // Constraints make their connectors once everything they reference is
    // read.
    Constraint::SetSetupIgnored(true);
    RunPasses(session, made, false, done);
    Constraint::SetSetupIgnored(false);
    // Models join the scene's hierarchy (below the scene root when they
    // have no parent of their own) and its list of models.
    for (Object* object : made)
        if (Model* model = AsModel(object)) {
            model->EndRetrieve();
            Scene::Main().AddModel(model);
        } else if (object->IsA(kClassModel)) {
            MainEntity::Instance().AddModelToScene(object);
        }
    for (Object* object : made)
        if (Constraint* constraint = AsConstraint(object)) constraint->SetupAllConnectors(true);
    done.objects = static_cast<int>(made.size());
    if (counts) *counts = std::move(done);
}

}  // namespace velora
