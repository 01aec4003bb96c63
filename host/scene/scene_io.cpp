#include "velora/scene_io.h"

#include <variant>
#include <vector>

#include "velora/class_registry.h"
#include "velora/curve_file.h"
#include "velora/data_type.h"
#include "velora/entity.h"
#include "velora/object.h"
#include "velora/object_directory.h"
#include "velora/property.h"
#include "velora/scene_file.h"

namespace velora {

namespace {

namespace dsx = velora::dsx;

bool IsStoredClass(int classId) {
    // The host's own object classes; library-registered classes come after.
    return classId > kClassPlug && classId < kClassBuiltinCount &&
           ClassRegistry::Instance().IsA(classId, kClassObject);
}

bool StoreValue(const Property& property, dsx::FileProperty& out) {
    switch (out.Type()) {
        case dsx::kFileValueInt:
        case dsx::kFileValueEnum: {
            int v = 0;
            return property.GetRaw(&v) && out.SetInteger(v);
        }
        case dsx::kFileValueInt64:
        case dsx::kFileValueTime: {
            long long v = 0;
            return property.GetRaw(&v) && out.SetInteger(v);
        }
        case dsx::kFileValueUInt64: {
            unsigned long long v = 0;
            return property.GetRaw(&v) && out.SetUnsigned(v);
        }
        case dsx::kFileValueBool: {
            bool v = false;
            return property.GetRaw(&v) && out.SetInteger(v ? 1 : 0);
        }
        case dsx::kFileValueFloat: {
            float v = 0;
            return property.GetRaw(&v) && out.SetNumber(v);
        }
        case dsx::kFileValueString: {
            const char* v = nullptr;
            return property.GetRaw(&v) && out.SetText(v ? v : "");
        }
        default: {
            double v[4] = {};
            return property.GetRaw(v) && out.SetNumbers(v, out.MemberCount());
        }
    }
}

bool RestoreValue(const dsx::FileProperty& in, Property& property) {
    switch (in.Type()) {
        case dsx::kFileValueInt:
        case dsx::kFileValueEnum: {
            std::int64_t v = 0;
            if (!in.GetInteger(&v)) return false;
            const int raw = static_cast<int>(v);
            return property.SetRaw(&raw);
        }
        case dsx::kFileValueInt64:
        case dsx::kFileValueTime: {
            std::int64_t v = 0;
            if (!in.GetInteger(&v)) return false;
            const long long raw = v;
            return property.SetRaw(&raw);
        }
        case dsx::kFileValueUInt64: {
            std::uint64_t v = 0;
            if (!in.GetUnsigned(&v)) return false;
            const unsigned long long raw = v;
            return property.SetRaw(&raw);
        }
        case dsx::kFileValueBool: {
            std::int64_t v = 0;
            if (!in.GetInteger(&v)) return false;
            const bool b = v != 0;
            return property.SetRaw(&b);
        }
        case dsx::kFileValueFloat: {
            double v = 0;
            if (!in.GetNumber(&v)) return false;
            const float f = static_cast<float>(v);
            return property.SetRaw(&f);
        }
        case dsx::kFileValueString: {
            const std::string* text = in.Text();
            const char* raw = text ? text->c_str() : "";
            return property.SetRaw(&raw);
        }
        default: {
            double v[4] = {};
            return in.GetNumbers(v, in.MemberCount()) && property.SetRaw(v);
        }
    }
}

}  // namespace

bool SaveScene(const std::string& path, bool binary, std::string* error, SceneCounts* counts) {
    SceneCounts done;
    dsx::Document doc;
    for (Object* object : MainEntity::Instance().Objects().Livings()) {
        // Owned objects (an animated property's node, say) are their owner's
        // business, not the scene's.
        if (!IsStoredClass(object->ClassId()) || object->HasObjectFlags(kObjectSystem) ||
            object->Owner())
            continue;
        dsx::FileObject* file =
            doc.AddObject(ClassRegistry::Instance().Name(object->ClassId()), object->FullName());
        if (!file) {
            ++done.skipped;  // a second object of the same full name
            continue;
        }
        file->SetString("Label", object->LabelName());
        file->SetInteger("Flags", object->ObjectFlags());
        std::vector<std::string> types;
        for (int i = 0; i < object->PropertyCount(); ++i) {
            const Property* property = object->PropertyAt(i);
            const int type = FileValueTypeOf(property->TypeId());
            if (type == dsx::kFileValueNone) continue;
            dsx::FileProperty* stored = file->AddProperty(property->Name(), type);
            if (!stored) continue;
            std::uint32_t flags = 0;
            if (property->IsAnimatable()) flags |= dsx::kFilePropertyAnimatable;
            if (property->IsUser()) flags |= dsx::kFilePropertyUser;
            if (property->IsReadOnly()) flags |= dsx::kFilePropertyReadOnly;
            stored->SetFlags(flags);
            StoreValue(*property, *stored);
            StorePropertyAnimation(stored, property);
            types.push_back(property->Type()->Name());
            ++done.properties;
        }
        file->SetField("PropertyTypes", types);
        ++done.objects;
    }
    if (!dsx::SaveDocument(doc, path, binary ? dsx::Encoding::kBinary : dsx::Encoding::kText,
                           error))
        return false;
    if (counts) *counts = done;
    return true;
}

bool OpenScene(const std::string& path, std::string* error, SceneCounts* counts) {
    dsx::Document doc;
    if (!dsx::LoadDocument(path, &doc, error)) return false;
    SceneCounts done;
    ClassRegistry& classes = ClassRegistry::Instance();
    for (int i = 0; i < doc.ObjectCount(); ++i) {
        const dsx::FileObject* file = doc.ObjectAt(i);
        const int classId = classes.Find(file->ClassName().c_str());
        const std::string* label = file->GetString("Label");
        if (!IsStoredClass(classId) || !label ||
            MainEntity::Instance().Objects().FindByFullName(file->Name().c_str())) {
            ++done.skipped;
            continue;
        }
        Object* object = Object::Create(label->c_str(), classId);
        if (!object) {  // a class only its owners make
            ++done.skipped;
            continue;
        }
        std::int64_t flags = 0;
        if (file->GetInteger("Flags", &flags)) object->SetObjectFlags(static_cast<std::uint32_t>(flags));
        const auto* types = file->Field("PropertyTypes");
        const auto* typeNames = types ? std::get_if<std::vector<std::string>>(types) : nullptr;
        for (int p = 0; p < file->PropertyCount(); ++p) {
            const dsx::FileProperty* stored = file->PropertyAt(p);
            const DataType* type = typeNames && p < static_cast<int>(typeNames->size())
                                       ? DataType::Find((*typeNames)[p].c_str())
                                       : nullptr;
            if (!type || FileValueTypeOf(type->Id()) != stored->Type()) continue;
            std::uint32_t create = 0;
            if (stored->Flags() & dsx::kFilePropertyAnimatable) create |= kCreateAnimatable;
            if (stored->Flags() & dsx::kFilePropertyUser) create |= kCreateUser;
            Property* property = object->FindProperty(stored->Name().c_str());
            if (!property) property = object->CreateProperty(stored->Name().c_str(), type->Id(), create);
            if (!property || !RestoreValue(*stored, *property)) continue;
            RetrievePropertyAnimation(property, stored);
            if (stored->Flags() & dsx::kFilePropertyReadOnly) property->ModifyFlag(kPropertyReadOnly, true);
            ++done.properties;
        }
        if (object->IsA(kClassModel)) MainEntity::Instance().AddModelToScene(object);
        ++done.objects;
    }
    if (counts) *counts = done;
    return true;
}

}  // namespace velora
