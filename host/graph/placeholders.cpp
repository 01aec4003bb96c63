// Placeholders: the boxes of a relation that stand for a box or a model
// outside it.

#include <cstring>

#include "velora/box.h"
#include "velora/model.h"

namespace velora {

namespace {

Property* MakeReference(Object* owner, const char* name, int filter) {
    Property* property = owner->CreateProperty(name, kDataObject);
    if (property) property->Definition().SetConnectionFilter(filter);
    return property;
}

Object* Referenced(const Property* property) {
    return property && property->Links().Count() > 0 ? AsObject(property->Links().At(0)) : nullptr;
}

bool SetReferenced(Property* property, Object* target) {
    if (!property) return false;
    property->Links().Clear();
    BumpStructureVersion();  // schedules group a placeholder with what it stands for
    return !target || property->Links().Add(target);
}

// Inverse of an affine column-major matrix (the last row 0 0 0 1); false
// when its linear part is singular.
bool InvertAffine(const double* m, double* out) {
    const double a = m[0], b = m[4], c = m[8];
    const double d = m[1], e = m[5], f = m[9];
    const double g = m[2], h = m[6], i = m[10];
    const double A = e * i - f * h, B = -(d * i - f * g), C = d * h - e * g;
    const double det = a * A + b * B + c * C;
    if (det == 0.0) return false;
    const double inv = 1.0 / det;
    double r[9] = {A * inv, -(b * i - c * h) * inv, (b * f - c * e) * inv,
                   B * inv, (a * i - c * g) * inv, -(a * f - c * d) * inv,
                   C * inv, -(a * h - b * g) * inv, (a * e - b * d) * inv};
    // r is row-major; write column-major.
    for (int row = 0; row < 3; ++row)
        for (int col = 0; col < 3; ++col) out[col * 4 + row] = r[row * 3 + col];
    out[3] = out[7] = out[11] = 0.0;
    for (int row = 0; row < 3; ++row)
        out[12 + row] = -(out[row] * m[12] + out[4 + row] * m[13] + out[8 + row] * m[14]);
    out[15] = 1.0;
    return true;
}

const char* const kTransformNames[3] = {"Translation", "Rotation", "Scaling"};

// A world position of `model` in its parent's terms (its local translation).
void GlobalToLocal(const Model* model, double* values) {
    const Model* parent = model->Parent();
    if (!parent) return;
    double parentGlobal[16], inverse[16];
    parent->ComputeGlobalMatrix(parentGlobal);
    if (!InvertAffine(parentGlobal, inverse)) return;
    const double x = values[0], y = values[1], z = values[2];
    for (int row = 0; row < 3; ++row)
        values[row] = inverse[row] * x + inverse[4 + row] * y + inverse[8 + row] * z + inverse[12 + row];
}

int TransformIndex(const char* name) {
    for (int k = 0; k < 3; ++k)
        if (std::strcmp(name, kTransformNames[k]) == 0) return k;
    return -1;
}

}  // namespace

// ---------------------------------------------------------------------------
// BoxPlaceholder

BoxPlaceholder* BoxPlaceholder::Create(const char* name, Box* target) {
    auto* placeholder = new BoxPlaceholder(name ? name : "BoxPlaceholder");
    if (target) placeholder->SetTarget(target);
    return placeholder;
}

BoxPlaceholder::BoxPlaceholder(const char* name) : Box(name, kClassBoxPlaceholder) {
    box_ = MakeReference(this, "Box", kClassBox);
    // What the placeholder mirrors may change at any time.
    SetTimeDependent(true);
}

Box* BoxPlaceholder::Target() const { return AsBox(Referenced(box_)); }

bool BoxPlaceholder::SetTarget(Box* target) {
    if (target == this) return false;
    if (!SetReferenced(box_, target)) return false;
    SyncConnectors();
    MarkDirty();
    return true;
}

void BoxPlaceholder::SyncConnectors() {
    Box* target = Target();
    if (!target) return;
    for (int i = 0; i < target->OutConnectorCount(); ++i) {
        AnimationNode* out = target->OutConnector(i);
        if (!FindOutConnector(out->Name()))
            CreateOutConnector(out->UserId(), out->Name(), out->ConnectorType(), false);
    }
}

bool BoxPlaceholder::EvaluateConnectors(const EvaluationContext& context) {
    Box* target = Target();
    if (!target) return false;
    bool any = false;
    for (int i = 0; i < OutConnectorCount(); ++i) {
        AnimationNode* mine = OutConnector(i);
        AnimationNode* theirs = target->FindOutConnector(mine->Name());
        double values[4];
        if (theirs && theirs->Channels() == mine->Channels() && theirs->ReadData(values, &context))
            any = mine->WriteData(values, &context) || any;
    }
    MarkDirty();
    return any;
}

// ---------------------------------------------------------------------------
// ModelPlaceholder

ModelPlaceholder* ModelPlaceholder::Create(const char* name, Model* model) {
    auto* placeholder = new ModelPlaceholder(name ? name : "ModelPlaceholder");
    if (model) placeholder->SetTargetModel(model);
    return placeholder;
}

ModelPlaceholder::ModelPlaceholder(const char* name) : Box(name, kClassModelPlaceholder) {
    model_ = MakeReference(this, "Model", kClassModel);
    global_ = CreateProperty("UseGlobalTransforms", kDataBool);
    const DataType* vector = DataType::Get(kDataVector);
    for (const char* connector : kTransformNames) {
        CreateInConnector(0, connector, vector, false);
        CreateOutConnector(0, connector, vector, false);
    }
    SetTimeDependent(true);
}

Model* ModelPlaceholder::TargetModel() const { return AsModel(Referenced(model_)); }

bool ModelPlaceholder::SetTargetModel(Model* model) {
    if (!SetReferenced(model_, model)) return false;
    MarkDirty();
    return true;
}

bool ModelPlaceholder::UsesGlobalTransforms() const {
    bool on = false;
    return global_ && global_->GetRaw(&on) && on;
}

bool ModelPlaceholder::EvaluateConnectors(const EvaluationContext& context) {
    Model* model = TargetModel();
    // The model's values may change between evaluations without any
    // connection telling this box: read them every time.
    MarkDirty();
    if (!model) return false;
    const bool global = UsesGlobalTransforms();
    Property* properties[3] = {model->TranslationProperty(), model->RotationProperty(),
                               model->ScalingProperty()};
    // Connected inputs drive the model first, so the outputs show the
    // values the model takes.
    for (int k = 0; k < 3; ++k) {
        AnimationNode* input = FindInConnector(kTransformNames[k]);
        double values[4];
        if (!input || !input->SourceConnector() || !input->ReadData(values, &context)) continue;
        if (global && k == 0) GlobalToLocal(model, values);
        properties[k]->SetRaw(values);
    }
    for (int k = 0; k < 3; ++k) {
        AnimationNode* output = FindOutConnector(kTransformNames[k]);
        if (!output) continue;
        double values[4] = {0, 0, 0, 0};
        if (global && k == 0) {
            double matrix[16];
            model->ComputeGlobalMatrix(matrix);
            std::memcpy(values, matrix + 12, sizeof(double) * 3);
        } else {
            properties[k]->GetRaw(values);
        }
        output->WriteData(values, &context);
    }
    return true;
}

int ModelPlaceholder::SetStdCandidate(AnimationNode* node, const double* values, const EvaluationContext* context) {
    return ProposeToModel(node, values, context, false);
}

int ModelPlaceholder::SetGlobalCandidate(AnimationNode* node, const double* values,
                                         const EvaluationContext* context) {
    return ProposeToModel(node, values, context, true);
}

int ModelPlaceholder::ProposeToModel(AnimationNode* node, const double* values, const EvaluationContext* context,
                                     bool global) {
    // A value proposed to an unconnected input goes to the model itself, as
    // if the user dragged the model.
    Model* model = TargetModel();
    if (!model || !values || !node || Box::OfConnector(node) != this || node->IsOutput() || node->SourceConnector())
        return 0;
    const int k = TransformIndex(node->Name());
    if (k < 0) return Box::SetStdCandidate(node, values, context);
    double local[3] = {values[0], values[1], values[2]};
    if (global && k == 0) GlobalToLocal(model, local);
    Property* properties[3] = {model->TranslationProperty(), model->RotationProperty(), model->ScalingProperty()};
    if (!SetPropertyCandidate(properties[k], local, context)) return 0;
    MarkDirty();
    return 1;
}

}  // namespace velora
