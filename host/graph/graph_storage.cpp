// The scene-file part of boxes: modes, relation membership, connections.

#include "velora/graph_storage.h"

#include <string>

#include "velora/relation.h"

namespace velora {

namespace {

std::string Field(int i, const char* suffix = "") { return "Input" + std::to_string(i) + suffix; }
std::string ValueField(const AnimationNode* input, int member) {
    return std::string("Value:") + input->Name() + ":" + std::to_string(member);
}

}  // namespace

bool StoreBoxFields(Box& box, dsx::ObjectStore& store) {
    if (!(store.Pass() & dsx::kPassFields)) return true;
    bool ok = store.WriteInteger("PlayMode", box.PlayMode()) && store.WriteInteger("RecordMode", box.RecordMode()) &&
              store.WriteInteger("Animatable", box.IsAnimatableBox() ? 1 : 0);
    if (Plug* owner = box.Owner(); owner && owner->IsA(kClassConstraintRelation)) {
        ok = store.WriteReference("Relation", static_cast<Relation*>(owner)) && ok;
        const int* layout = box.ViewLayout();
        if (layout[0] || layout[1] || layout[2])
            ok = store.WriteInteger("ViewX", layout[0]) && store.WriteInteger("ViewY", layout[1]) &&
                 store.WriteInteger("ViewZ", layout[2]) && ok;
    }
    // A placeholder's inputs only pass connected values on.
    // A constraint's inputs read the models it references: nothing of
    // their own to keep.
    const bool keepValues = box.ClassId() != kClassModelPlaceholder && box.ClassId() != kClassBoxPlaceholder &&
                            (!box.IsA(kClassConstraint) || box.IsA(kClassConstraintRelation));
    int stored = 0;
    for (int i = 0; i < box.InConnectorCount(); ++i) {
        AnimationNode* input = box.InConnector(i);
        AnimationNode* source = input->SourceConnector();
        if (!source && !input->ConnectorProperty() && keepValues) {
            // An unconnected input's own value (a property input is stored
            // as its property).
            for (int m = 0; m < input->Channels(); ++m)
                store.WriteDouble(ValueField(input, m).c_str(), input->LiveData()[m]);
            continue;
        }
        if (!source) continue;
        // A source outside the file cannot be found again: left out.
        if (!store.WriteReference(Field(stored, "Source").c_str(), source->OwnerBox())) {
            ok = false;
            continue;
        }
        store.WriteString(Field(stored).c_str(), input->Name());
        store.WriteString(Field(stored, "Output").c_str(), source->Name());
        ++stored;
    }
    return store.WriteInteger("InputCount", stored) && ok;
}

bool RetrieveBoxFields(Box& box, dsx::ObjectStore& store) {
    const std::uint32_t pass = store.Pass();
    bool ok = true;
    if (pass & dsx::kPassFields) {
        std::int64_t value = 0;
        if (store.ReadInteger("PlayMode", &value)) box.SetPlayMode(static_cast<int>(value));
        if (store.ReadInteger("RecordMode", &value)) box.SetRecordMode(static_cast<int>(value));
        if (store.ReadInteger("Animatable", &value)) box.SetAnimatableBox(value != 0);
        std::int64_t view[3] = {0, 0, 0};
        if (store.ReadInteger("ViewX", &view[0]) | store.ReadInteger("ViewY", &view[1]) |
            store.ReadInteger("ViewZ", &view[2]))
            box.SetViewLayout(static_cast<int>(view[0]), static_cast<int>(view[1]), static_cast<int>(view[2]));
        for (int i = 0; i < box.InConnectorCount(); ++i) {
            AnimationNode* input = box.InConnector(i);
            double values[4];
            bool found = input->Channels() > 0;
            for (int m = 0; m < input->Channels(); ++m)
                found = store.ReadDouble(ValueField(input, m).c_str(), &values[m]) && found;
            if (found && !input->SourceConnector() && !input->ConnectorProperty()) input->WriteData(values, nullptr);
        }
    }
    if (!(pass & dsx::kPassReferences)) return true;
    if (Object* owner = AsObject(store.ReadReference("Relation")))
        if (owner->IsA(kClassConstraintRelation) && box.Owner() != owner)
            ok = static_cast<Relation*>(owner)->AddBox(&box) && ok;
    std::int64_t count = 0;
    store.ReadInteger("InputCount", &count);
    for (int i = 0; i < count && i < 4096; ++i) {
        const char* inputName = store.ReadString(Field(i).c_str());
        const char* outputName = store.ReadString(Field(i, "Output").c_str());
        Object* sourceObject = AsObject(store.ReadReference(Field(i, "Source").c_str()));
        Box* source = AsBox(sourceObject);
        AnimationNode* input = inputName ? box.FindInConnector(inputName) : nullptr;
        AnimationNode* output = source && outputName ? source->FindOutConnector(outputName) : nullptr;
        if (!input || !output || ConnectConnectors(output, input) != kConnectDone) ok = false;
    }
    return ok;
}

}  // namespace velora
