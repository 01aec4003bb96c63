// Load-time registration of the library's own host classes.

#include "core/host_classes.h"

LYSDK_BEGIN_NAMESPACE

namespace {

int Register(const char* name, int parent) {
    return velora::ClassRegistry::Instance().Register(name, parent);
}

}  // namespace

// Registered in this order as the library loads; each id is kept in its
// static for the class's constructors and kind checks.
int __LyHostClassIds::SDKHostObject = Register("LySDKHostObject", velora::kClassObject);
int __LyHostClassIds::CustomManager = Register("__LyCustomManager", velora::kClassManager);
int __LyHostClassIds::Box = Register("__LyBox", velora::kClassBox);
int __LyHostClassIds::Device = Register("__LyDevice", velora::kClassDevice);
int __LyHostClassIds::Model = Register("__LyModel", velora::kClassModelMesh);
int __LyHostClassIds::ConstraintHostConstraint =
    Register("__LyConstraint_HostConstraint", velora::kClassConstraint);
int __LyHostClassIds::ConstraintHostConstraintSolver =
    Register("__LyConstraint_HostConstraintSolver", velora::kClassConstraintSolver);
int __LyHostClassIds::ConstraintRelation =
    Register("__LyConstraintRelation", velora::kClassConstraintRelation);
// An extension's solver is a constraint: its class derives from the
// library's host constraint solver, itself the host's constraint solver.
int __LyHostClassIds::ConstraintSolver =
    Register("__LyConstraintSolver", __LyHostClassIds::ConstraintHostConstraintSolver);
int __LyHostClassIds::Shader = Register("__LyShader", velora::kClassShader);
int __LyHostClassIds::LayeredTexture = Register("__LyLayeredTexture", velora::kClassLayeredTexture);
int __LyHostClassIds::RendererCallback =
    Register("__LyRendererCallback", velora::kClassRendererCallback);
int __LyHostClassIds::Manipulator = Register("__LyManipulator", velora::kClassManipulator);
int __LyHostClassIds::HUDElement = Register("__LyHUDELement", velora::kClassHUDElement);
int __LyHostClassIds::CharacterSolver =
    Register("__LyCharacterSolver", velora::kClassCharacterSolver);
int __LyHostClassIds::PhysicalProperties =
    Register("__LyPhysicalProperties", velora::kClassPhysicalProperties);
int __LyHostClassIds::ApplyManagerRule =
    Register("__LyApplyManagerRule", velora::kClassApplyManagerRule);
int __LyHostClassIds::AssetMng = Register("__LyAssetMng", velora::kClassAssetManager);
int __LyHostClassIds::AssetFile = Register("__LyAssetFile", velora::kClassAssetItem);
int __LyHostClassIds::AssetFolder = Register("__LyAssetFolder", velora::kClassAssetItem);
int __LyHostClassIds::Command = Register("__LyCommand", velora::kClassCommand);
int __LyHostClassIds::Deck = Register("__LyDeck", velora::kClassVideoDeck);
int __LyHostClassIds::Filter = Register("__LyFilter", velora::kClassDataFilter);
int __LyHostClassIds::DataDeviceOptical = Register("DataLyDeviceOptical", velora::kClassPlug);
int __LyHostClassIds::DeviceOptical = Register("__LyDeviceOptical", velora::kClassDeviceOptical);
int __LyHostClassIds::FCurveEditorUtility =
    Register("__LyFCurveEditorUtility", velora::kClassObject);
int __LyHostClassIds::View = Register("__LyView", velora::kClassView);
int __LyHostClassIds::WidgetHolder = Register("__LyWidgetHolder", velora::kClassWidgetHolder);
int __LyHostClassIds::Tool = Register("__LyTool", velora::kClassToolWindow);

LYSDK_END_NAMESPACE
