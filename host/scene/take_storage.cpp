// A take in a scene file: its spans, time marks and layers as fields, each
// layer's settings as file properties "<layer>|<name>", and each animation
// node of a layer as a reference file property "<layer>|<n>|node" that
// names the animated object and property and carries the curves. The file
// properties of a take are marked served, so the common object storage
// leaves them to the take.

#include <string>
#include <vector>

#include "velora/animation.h"
#include "velora/curve_file.h"
#include "velora/data_type.h"
#include "velora/property.h"
#include "velora/scene.h"
#include "velora/scene_storage.h"
#include "velora/take.h"

namespace velora {

namespace {

namespace dsx = velora::dsx;

const char* const kLayerSettings[] = {"Color", "Solo", "Mute", "Lock", "Weight", "LayerMode", "LayerRotationMode"};

bool ParseLayerName(const std::string& name, int* layer, std::string* rest) {
    const std::size_t bar = name.find('|');
    if (bar == std::string::npos || bar == 0 || bar > 4) return false;
    int value = 0;
    for (std::size_t i = 0; i < bar; ++i) {
        if (name[i] < '0' || name[i] > '9') return false;
        value = value * 10 + (name[i] - '0');
    }
    *layer = value;
    *rest = name.substr(bar + 1);
    return true;
}

}  // namespace

bool Take::Store(dsx::ObjectStore& store) {
    if (!Object::Store(store)) return false;
    dsx::FileObject* record = store.WritableRecord();
    dsx::StorageSession& session = store.Session();
    if (store.Pass() & dsx::kPassFields) {
        record->SetField("Span", std::vector<std::int64_t>{referenceStart_, referenceStop_, localStart_, localStop_});
        record->SetInteger("CurrentLayer", current_);
        std::vector<std::int64_t> times, actions, locks, parents, selected;
        std::vector<std::string> names, layerNames;
        std::vector<double> colors;
        for (int i = 0; i < marks_.Count(); ++i) {
            const TimeMark& m = *marks_.At(i);
            times.push_back(m.time);
            names.push_back(m.name);
            actions.push_back(m.action);
            locks.push_back(m.locked ? 1 : 0);
            colors.insert(colors.end(), m.color, m.color + 3);
        }
        record->SetField("MarkTimes", times);
        record->SetField("MarkNames", names);
        record->SetField("MarkActions", actions);
        record->SetField("MarkLocks", locks);
        record->SetField("MarkColors", colors);
        for (AnimationLayer* layer : layers_) {
            layerNames.emplace_back(layer->Name());
            parents.push_back(layer->ParentLayer() ? layer->ParentLayer()->Index() : -1);
            selected.push_back(layer->IsSelected() ? 1 : 0);
        }
        record->SetField("LayerNames", layerNames);
        record->SetField("LayerParents", parents);
        record->SetField("LayerSelected", selected);
    }
    if (store.Pass() & dsx::kPassAnimation) {
        std::vector<AnimationNode*> nodes;
        for (int l = 0; l < LayerCount(); ++l) {
            AnimationLayer* layer = layers_[static_cast<std::size_t>(l)];
            const std::string prefix = std::to_string(l) + "|";
            for (const char* setting : kLayerSettings) {
                const Property* p = layer->FindProperty(setting);
                dsx::FileProperty* out = p ? record->AddProperty(prefix + setting, p->Type()->FileType()) : nullptr;
                if (!out) continue;
                out->SetFlags(dsx::kFilePropertyServed);
                alignas(8) unsigned char raw[32];
                if (p->GetRaw(raw, p->Type()->ValueSize())) dsx::StoreRawValue(p->TypeId(), raw, *out);
                StorePropertyAnimation(out, p);
            }
            layer->CollectNodes(&nodes);
            for (std::size_t n = 0; n < nodes.size(); ++n) {
                AnimationNode* node = nodes[n];
                Property* property = node->ConnectedProperty();
                Object* owner = property ? property->OwnerObject() : nullptr;
                if (!owner) continue;
                dsx::FileProperty* out =
                    record->AddProperty(prefix + std::to_string(n) + "|node", dsx::kFileValueReference);
                if (!out) continue;
                out->SetFlags(dsx::kFilePropertyServed);
                dsx::ObjectTarget target = session.TargetOf(owner);
                target.property = property->Name();
                out->SetTargets({std::move(target)});
                CopyFCurveNode(out->CreateAnimation(node->Channels()), node, false);
            }
        }
    }
    return true;
}

bool Take::Retrieve(dsx::ObjectStore& store) {
    if (!Object::Retrieve(store)) return false;
    const dsx::FileObject* record = store.Record();
    dsx::StorageSession& session = store.Session();
    const std::string where = std::string("'") + FullName() + "'";
    if (store.Pass() & dsx::kPassFields) {
        if (Scene::Main().SrcIndex(this) < 0) Scene::Main().AddObject(this);
        if (const dsx::FieldValue* span = record->Field("Span")) {
            const auto* values = std::get_if<std::vector<std::int64_t>>(span);
            if (values && values->size() == 4) {
                SetReferenceSpan((*values)[0], (*values)[1]);
                SetLocalSpan((*values)[2], (*values)[3]);
            } else {
                session.Warn(where + ": its spans are not four times; they are not taken");
            }
        }
        auto ints = [&](const char* name) {
            const dsx::FieldValue* f = record->Field(name);
            const auto* v = f ? std::get_if<std::vector<std::int64_t>>(f) : nullptr;
            return v ? *v : std::vector<std::int64_t>();
        };
        auto texts = [&](const char* name) {
            const dsx::FieldValue* f = record->Field(name);
            const auto* v = f ? std::get_if<std::vector<std::string>>(f) : nullptr;
            return v ? *v : std::vector<std::string>();
        };
        const std::vector<std::int64_t> times = ints("MarkTimes"), actions = ints("MarkActions"),
                                        locks = ints("MarkLocks");
        const std::vector<std::string> names = texts("MarkNames");
        const dsx::FieldValue* colorField = record->Field("MarkColors");
        const auto* colors = colorField ? std::get_if<std::vector<double>>(colorField) : nullptr;
        if (names.size() != times.size() || actions.size() != times.size() || locks.size() != times.size() ||
            (colors && colors->size() != times.size() * 3)) {
            if (!times.empty()) session.Warn(where + ": its time marks do not agree in number; they are not taken");
        } else {
            marks_.Clear();
            for (std::size_t i = 0; i < times.size(); ++i) {
                TimeMark* m = marks_.At(marks_.Add(times[i], names[i].c_str()));
                m->action = actions[i] >= kTimeMarkActionNone && actions[i] <= kTimeMarkActionLoop
                                ? static_cast<int>(actions[i]) : kTimeMarkActionNone;
                m->locked = locks[i] != 0;
                if (colors)
                    for (int k = 0; k < 3; ++k) m->color[k] = (*colors)[i * 3 + static_cast<std::size_t>(k)];
            }
        }
        const std::vector<std::string> layerNames = texts("LayerNames");
        const std::vector<std::int64_t> parents = ints("LayerParents"), selected = ints("LayerSelected");
        // A file's take brings at most this many layers: more is taken for
        // a damaged file rather than allocated.
        constexpr std::size_t kMaxLayers = 1024;
        for (std::size_t i = 0; i < layerNames.size() && i < kMaxLayers; ++i) {
            AnimationLayer* layer = i < layers_.size() ? layers_[i] : AddLayer(layerNames[i].c_str());
            if (i > 0) layer->SetName(layerNames[i].c_str());
            if (i < selected.size()) layer->SetSelected(selected[i] != 0);
        }
        for (std::size_t i = 1; i < parents.size() && i < layers_.size(); ++i)
            if (parents[i] > 0 && parents[i] < static_cast<std::int64_t>(layers_.size()))
                layers_[i]->SetParentLayer(layers_[static_cast<std::size_t>(parents[i])]);
        std::int64_t current = 0;
        if (record->GetInteger("CurrentLayer", &current) && current >= 0 && current < LayerCount())
            current_ = static_cast<int>(current);
        BumpStructureVersion();
    }
    if (store.Pass() & (dsx::kPassAnimation | dsx::kPassReferences)) {
        for (int i = 0; i < record->PropertyCount(); ++i) {
            const dsx::FileProperty& in = *record->PropertyAt(i);
            int index = 0;
            std::string rest;
            if (!ParseLayerName(in.Name(), &index, &rest)) continue;
            AnimationLayer* layer = Layer(index);
            const bool node = rest.size() > 5 && rest.compare(rest.size() - 5, 5, "|node") == 0;
            if (!layer) {
                if (store.Pass() & dsx::kPassReferences)
                    session.Warn(where + ": '" + in.Name() + "' names layer " + std::to_string(index) +
                                 ", which the take does not have");
                continue;
            }
            if (!node && (store.Pass() & dsx::kPassAnimation)) {
                Property* p = layer->FindProperty(rest.c_str());
                alignas(8) unsigned char raw[32];
                if (!p || !dsx::RetrieveRawValue(in, p->TypeId(), raw, p->Type()->ValueSize())) continue;
                p->SetRaw(raw);
                if (in.Animation()) RetrievePropertyAnimation(p, &in);
            } else if (node && (store.Pass() & dsx::kPassReferences)) {
                const dsx::ObjectTarget* target = in.Targets().empty() ? nullptr : &in.Targets()[0];
                Object* owner = target ? AsObject(session.Resolve(*target)) : nullptr;
                Property* p = owner ? owner->FindProperty(target->property.c_str()) : nullptr;
                AnimationNode* made = p && in.Animation() ? EnsureLayerNode(p, layer) : nullptr;
                if (!made) {
                    session.Warn(where + ": the animation '" + in.Name() + "' of " +
                                 (target ? "'" + target->name + "' property '" + target->property + "'"
                                         : std::string("no object")) +
                                 " has nothing to animate here; it is dropped");
                    continue;
                }
                // Its curves come back as they were, past the property's locks.
                CopyFCurveNode(made, in.Animation());
            }
        }
    }
    return true;
}

}  // namespace velora
