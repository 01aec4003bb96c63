// LyAnimationNode: keying and key removal on the host's animation nodes.

#include <velora/animation.h>
#include <velora/box.h>

#include "core/host_access.h"
#include "lysdk/lyanimationnode.h"

LYSDK_BEGIN_NAMESPACE

LYSDK_CLASS_IMPLEMENT(LyAnimationNode, velora::kClassAnimationNode)

namespace {

velora::AnimationNode* HostNode(const LyPlug* plug) {
    velora::Object* object = __LyHostObject(plug);
    return object && object->ClassId() == velora::kClassAnimationNode && !object->IsEnding()
               ? static_cast<velora::AnimationNode*>(object)
               : nullptr;
}

HIObject NewHostNode(const char* name) {
    return velora::AnimationNode::Create(name ? name : "AnimationNode", 1);
}

}  // namespace

LyAnimationNode::LyAnimationNode(const char* name, HIObject object)
    : LyComponent(object ? object : NewHostNode(name)) {
    // A node made here belongs to this wrapper.
    if (!object) SetHIObject(GetHIObject(), true);
}

bool LyAnimationNode::KeyCandidate(LyTime time) {
    velora::AnimationNode* node = HostNode(this);
    if (!node) return false;
    // Locked members of the connected property are left out of the key.
    return node->KeyCandidate(time.Get(), velora::PropertyLockMask(node->ConnectedProperty()));
}

bool LyAnimationNode::KeyRemoveAt(LyTime time) {
    velora::AnimationNode* node = HostNode(this);
    if (!node) return false;
    return node->KeyRemoveAt(time.Get(), velora::PropertyLockMask(node->ConnectedProperty()));
}

bool LyAnimationNode::IsKey() {
    velora::AnimationNode* node = HostNode(this);
    return node && node->IsKey(velora::CurrentTime());
}

int LyAnimationNode::GetKeyCount() const {
    velora::AnimationNode* node = HostNode(this);
    return node ? node->KeyCount() : 0;
}

int LyAnimationNode::GetNodeCount() const {
    velora::AnimationNode* node = HostNode(this);
    return node ? node->ChildCount() : 0;
}

LyAnimationNode* LyAnimationNode::GetNode(int index) const {
    velora::AnimationNode* node = HostNode(this);
    velora::AnimationNode* child = node ? node->ChildNode(index) : nullptr;
    LyPlug* wrapper = __LyWrap(child);
    return wrapper && wrapper->Is(LyAnimationNode::TypeInfo) ? static_cast<LyAnimationNode*>(wrapper) : nullptr;
}

// ---------------------------------------------------------------------------
// Data of box connectors

namespace {

const velora::EvaluationContext* ContextOf(LyEvaluateInfo* info) {
    return reinterpret_cast<const velora::EvaluationContext*>(info);
}

}  // namespace

bool LyAnimationNode::ReadData(double* data) {
    velora::AnimationNode* node = HostNode(this);
    if (!node || !data || !node->IsConnector()) return false;
    for (int i = 0; i < node->Channels(); ++i) data[i] = node->LiveData()[i];
    return true;
}

bool LyAnimationNode::ReadData(double* data, LyEvaluateInfo* info, bool) {
    velora::AnimationNode* node = HostNode(this);
    return node && data && node->ReadData(data, ContextOf(info));
}

bool LyAnimationNode::ReadData(double* data, LyTime time, bool convertGlobalToLocal) {
    velora::EvaluationContext* context = velora::BeginBackgroundEvaluation(time.Get());
    const bool read = ReadData(data, reinterpret_cast<LyEvaluateInfo*>(context), convertGlobalToLocal);
    velora::EndBackgroundEvaluation(context);
    return read;
}

bool LyAnimationNode::WriteData(double* data, LyEvaluateInfo* info) {
    velora::AnimationNode* node = HostNode(this);
    return node && data && node->WriteData(data, ContextOf(info));
}

bool LyAnimationNode::WriteGlobalData(double* data, LyEvaluateInfo* info) {
    velora::AnimationNode* node = HostNode(this);
    return node && data && node->WriteGlobalData(data, ContextOf(info));
}

int LyAnimationNode::GetSizeOfData() {
    velora::AnimationNode* node = HostNode(this);
    return node ? static_cast<int>(sizeof(double)) * node->Channels() : 0;
}

int LyAnimationNode::GetDataDoubleArrayCount() {
    velora::AnimationNode* node = HostNode(this);
    return node ? node->Channels() : 0;
}

const char* LyAnimationNode::GetDataTypeName() const {
    velora::AnimationNode* node = HostNode(this);
    const velora::DataType* type = node ? node->ConnectorType() : nullptr;
    return type ? type->Name() : "";
}

LyComponent* LyAnimationNode::GetOwnerBox() const {
    velora::AnimationNode* node = HostNode(this);
    velora::Box* box = node ? node->OwnerBox() : nullptr;
    return box ? LyGetLyComponent(box, true) : nullptr;
}

LYSDK_END_NAMESPACE
