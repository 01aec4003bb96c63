// LyModelPath3D over the host's 3D paths.

#include <velora/model.h>

#include "core/host_access.h"
#include "lysdk/lymodel.h"

LYSDK_BEGIN_NAMESPACE

LYSDK_CLASS_IMPLEMENT(LyModelPath3D, velora::kClassModelPath3D);

namespace {

velora::PathModel* HostPath(const LyPlug* plug) {
    velora::Model* model = velora::AsModel(__LyHostObject(plug));
    return model && model->IsA(velora::kClassModelPath3D) ? static_cast<velora::PathModel*>(model) : nullptr;
}

LyVector4<double> Point(const double* xyz) { return LyVector4<double>(xyz[0], xyz[1], xyz[2], 1.0); }

// A direction handed back: no fourth component.
LyVector4<double> Direction(const double* xyz) { return LyVector4<double>(xyz[0], xyz[1], xyz[2], 0.0); }

bool InRange(velora::PathModel* path, int index) { return path && index >= 0 && index < path->KeyCount(); }

using Evaluate = void (velora::PathModel::*)(double, double*, bool) const;

LyVector4<double> At(const LyPlug* plug, Evaluate evaluate, double percent, bool global, bool point) {
    velora::PathModel* path = HostPath(plug);
    if (!path) return LyVector4<double>(0, 0, 0, 0);
    double xyz[3];
    (path->*evaluate)(percent, xyz, global);
    return point ? Point(xyz) : Direction(xyz);
}

}  // namespace

LyModelPath3D::LyModelPath3D(const char* name, HIObject object) : LyModel(name, object, velora::kClassModelPath3D) {
    LyProperty* values[] = {&PathLength, &LengthUnit, &KeyPropertyBehavior, &EndCapStyle,  &Thickness,        &Color,
                            &ShowControls, &ShowPoints, &ShowTangents,       &AutoTangents, &DisplayResolution};
    const char* names[] = {"Path Length",  "Length Unit", "Key Property Behavior", "End Cap Style",
                           "Thickness",    "Color RGB",   "Show Controls",         "Show Points",
                           "Show Tangents", "Auto Tangents", "Display Resolution"};
    for (int i = 0; i < 11; ++i) AddHostValue(*values[i], names[i]);
    FinishKind();
}

// ---------------------------------------------------------------------------
// Keys

int LyModelPath3D::PathKeyGetCount() {
    velora::PathModel* path = HostPath(this);
    return path ? path->KeyCount() : 0;
}

LyVector4<double> LyModelPath3D::PathKeyGet(int index) {
    velora::PathModel* path = HostPath(this);
    double xyz[3];
    if (!InRange(path, index) || !path->KeyPoint(index, xyz)) return LyVector4<double>(0, 0, 0, 0);
    return Point(xyz);
}

void LyModelPath3D::PathKeySet(int index, LyVector4<double> point, bool updateGeometry) {
    velora::PathModel* path = HostPath(this);
    if (!InRange(path, index)) return;
    path->SetKeyPoint(index, point.mValue);
    if (updateGeometry) path->UpdateGeometry();
}

int LyModelPath3D::PathKeyStartAdd(LyVector4<double> point) {
    velora::PathModel* path = HostPath(this);
    return path ? path->AddKeyAtStart(point.mValue) : 0;
}

int LyModelPath3D::PathKeyEndAdd(LyVector4<double> point) {
    velora::PathModel* path = HostPath(this);
    return path ? path->AddKeyAtEnd(point.mValue) : 0;
}

void LyModelPath3D::PathKeyInsertAfter(int index, LyVector4<double> point) {
    velora::PathModel* path = HostPath(this);
    if (InRange(path, index)) path->InsertKeyAfter(index, point.mValue);
}

void LyModelPath3D::InsertNewStartKey() {
    if (velora::PathModel* path = HostPath(this)) path->InsertNewStartKey();
}

void LyModelPath3D::InsertNewEndKey() {
    if (velora::PathModel* path = HostPath(this)) path->InsertNewEndKey();
}

void LyModelPath3D::PathKeyRemove(int index) {
    velora::PathModel* path = HostPath(this);
    if (InRange(path, index)) path->RemoveKey(index);
}

void LyModelPath3D::PathKeyRemoveSelected() {
    if (velora::PathModel* path = HostPath(this)) path->RemoveSelectedKeys();
}

void LyModelPath3D::PathKeyClear() {
    if (velora::PathModel* path = HostPath(this)) path->ClearKeys();
}

int LyModelPath3D::GetSelectedPathKeyCount() {
    velora::PathModel* path = HostPath(this);
    return path ? path->SelectedKeyCount() : 0;
}

// ---------------------------------------------------------------------------
// Tangents and derivatives

LyVector4<double> LyModelPath3D::PathKeyGetLeftTangent(int index) {
    velora::PathModel* path = HostPath(this);
    double xyz[3];
    if (!InRange(path, index) || !path->LeftTangent(index, xyz)) return LyVector4<double>(0, 0, 0, 0);
    return Point(xyz);
}

LyVector4<double> LyModelPath3D::PathKeyGetRightTangent(int index) {
    velora::PathModel* path = HostPath(this);
    double xyz[3];
    if (!InRange(path, index) || !path->RightTangent(index, xyz)) return LyVector4<double>(0, 0, 0, 0);
    return Point(xyz);
}

void LyModelPath3D::PathKeySetLeftTangent(int index, LyVector4<double> tangent, bool mirror) {
    velora::PathModel* path = HostPath(this);
    if (InRange(path, index)) path->SetLeftTangent(index, tangent.mValue, mirror);
}

void LyModelPath3D::PathKeySetRightTangent(int index, LyVector4<double> tangent, bool mirror) {
    velora::PathModel* path = HostPath(this);
    if (InRange(path, index)) path->SetRightTangent(index, tangent.mValue, mirror);
}

void LyModelPath3D::PathKeySetLeftRightTangent(int index, LyVector4<double> left, LyVector4<double> point,
                                               LyVector4<double> right, bool updateGeometry) {
    velora::PathModel* path = HostPath(this);
    if (!InRange(path, index)) return;
    path->SetKeyAndTangents(index, left.mValue, point.mValue, right.mValue);
    if (updateGeometry) path->UpdateGeometry();
}

double LyModelPath3D::PathKeyGetLeftTangentLength(int index) {
    velora::PathModel* path = HostPath(this);
    return InRange(path, index) ? path->LeftTangentLength(index) : 0.0;
}

double LyModelPath3D::PathKeyGetRightTangentLength(int index) {
    velora::PathModel* path = HostPath(this);
    return InRange(path, index) ? path->RightTangentLength(index) : 0.0;
}

LyVector4<double> LyModelPath3D::PathKeyGetXYZDerivative(int index) {
    velora::PathModel* path = HostPath(this);
    double xyz[3];
    if (!InRange(path, index) || !path->KeyDerivative(index, xyz)) return LyVector4<double>(0, 0, 0, 0);
    return Direction(xyz);
}

void LyModelPath3D::PathKeySetXYZDerivative(int index, LyVector4<double> derivative, bool bothSides) {
    velora::PathModel* path = HostPath(this);
    if (InRange(path, index)) path->SetKeyDerivative(index, derivative.mValue, bothSides);
}

void LyModelPath3D::PathKeySetXDerivative(int index, double value, bool bothSides) {
    velora::PathModel* path = HostPath(this);
    if (InRange(path, index)) path->SetKeyDerivativeAxis(index, 0, value, bothSides);
}

void LyModelPath3D::PathKeySetYDerivative(int index, double value, bool bothSides) {
    velora::PathModel* path = HostPath(this);
    if (InRange(path, index)) path->SetKeyDerivativeAxis(index, 1, value, bothSides);
}

void LyModelPath3D::PathKeySetZDerivative(int index, double value, bool bothSides) {
    velora::PathModel* path = HostPath(this);
    if (InRange(path, index)) path->SetKeyDerivativeAxis(index, 2, value, bothSides);
}

// ---------------------------------------------------------------------------
// Control nodes and key properties

LyModel* LyModelPath3D::PathKeyGetControlNode(int index) {
    velora::PathModel* path = HostPath(this);
    velora::Model* node = InRange(path, index) ? path->ControlNode(index) : nullptr;
    LyComponent* wrapper = node ? LyGetLyComponent(node, true) : nullptr;
    return wrapper && wrapper->Is(LyModel::TypeInfo) ? static_cast<LyModel*>(wrapper) : nullptr;
}

void LyModelPath3D::PathKeySetControlNode(int index, LyModel* node) {
    velora::PathModel* path = HostPath(this);
    if (InRange(path, index)) path->SetControlNode(index, velora::AsModel(__LyHostObject(node)));
}

LyPropertyAnimatable* LyModelPath3D::PathKeyGetProperty(int index) {
    velora::PathModel* path = HostPath(this);
    velora::Property* key = InRange(path, index) ? path->KeyProperty(index) : nullptr;
    LyProperty* wrapper = key ? PropertyList.Wrap(key) : nullptr;
    return wrapper && wrapper->Is(LyPropertyAnimatable::TypeInfo) ? static_cast<LyPropertyAnimatable*>(wrapper)
                                                                  : nullptr;
}

// ---------------------------------------------------------------------------
// Evaluation

LyVector4<double> LyModelPath3D::Segment_LocalPathEvaluate(double percent) {
    return At(this, &velora::PathModel::SegmentEvaluate, percent, false, true);
}

LyVector4<double> LyModelPath3D::Segment_GlobalPathEvaluate(double percent) {
    return At(this, &velora::PathModel::SegmentEvaluate, percent, true, true);
}

LyVector4<double> LyModelPath3D::Segment_LocalPathEvaluateDerivative(double percent) {
    return At(this, &velora::PathModel::SegmentDerivative, percent, false, false);
}

LyVector4<double> LyModelPath3D::Segment_GlobalPathEvaluateDerivative(double percent) {
    return At(this, &velora::PathModel::SegmentDerivative, percent, true, false);
}

bool LyModelPath3D::Segment_IsPathKey(double percent) {
    velora::PathModel* path = HostPath(this);
    return path && path->SegmentIsKey(percent);
}

LyVector4<double> LyModelPath3D::Total_LocalPathEvaluate(double percent) {
    return At(this, &velora::PathModel::TotalEvaluate, percent, false, true);
}

LyVector4<double> LyModelPath3D::Total_GlobalPathEvaluate(double percent) {
    return At(this, &velora::PathModel::TotalEvaluate, percent, true, true);
}

LyVector4<double> LyModelPath3D::Total_LocalPathEvaluateDerivative(double percent) {
    return At(this, &velora::PathModel::TotalDerivative, percent, false, false);
}

LyVector4<double> LyModelPath3D::Total_GlobalPathEvaluateDerivative(double percent) {
    return At(this, &velora::PathModel::TotalDerivative, percent, true, false);
}

bool LyModelPath3D::Total_IsPathKey(double percent) {
    velora::PathModel* path = HostPath(this);
    return path && path->TotalIsKey(percent);
}

double LyModelPath3D::ConvertSegmentPercentToTotalPercent(double percent) {
    velora::PathModel* path = HostPath(this);
    return path ? path->SegmentToTotalPercent(percent) : 0.0;
}

double LyModelPath3D::ConvertTotalPercentToSegmentPercent(double percent) {
    velora::PathModel* path = HostPath(this);
    return path ? path->TotalToSegmentPercent(percent) : 0.0;
}

double LyModelPath3D::ConvertToSegmentPercentFactor(double totalPercent) {
    velora::PathModel* path = HostPath(this);
    return path ? path->SegmentPercentFactor(totalPercent) : 0.0;
}

double LyModelPath3D::ConvertToTotalPercentFactor(double segmentPercent) {
    velora::PathModel* path = HostPath(this);
    return path ? path->TotalPercentFactor(segmentPercent) : 0.0;
}

// ---------------------------------------------------------------------------
// Display

void LyModelPath3D::ShowCurveControls(bool show) {
    if (velora::PathModel* path = HostPath(this)) path->ShowControls(show);
}

void LyModelPath3D::ShowCurvePoints(bool show) {
    if (velora::PathModel* path = HostPath(this)) path->ShowPoints(show);
}

void LyModelPath3D::UpdateGeometry() {
    if (velora::PathModel* path = HostPath(this)) path->UpdateGeometry();
}

LYSDK_END_NAMESPACE
