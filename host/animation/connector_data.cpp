// The data path of animation nodes that are box connectors: reading and
// writing their values during evaluation, and the checks on connections
// between them (velora/box.h).

#include <cstring>

#include "velora/animation.h"
#include "velora/box.h"

namespace velora {

AnimationNode* AnimationNode::CreateConnectorNode(const char* name, int channels, bool curves) {
    if (curves) return Create(name, channels);
    // A bare value holder: no curve, no member nodes, no property connector.
    if (channels < 1 || channels > 4) channels = 1;
    return new AnimationNode(name, channels);
}

AnimationNode* AnimationNode::SourceConnector() const {
    if (!box_ || output_) return nullptr;
    for (int i = 0, n = SrcCount(); i < n; ++i) {
        Plug* src = Src(i);
        if (src->ClassId() != kClassAnimationNode) continue;
        auto* node = static_cast<AnimationNode*>(src);
        if (node->output_ && node->box_) return node;
    }
    return nullptr;
}

namespace {

inline void CopyMembers(double* to, const double* from, int n) {
    for (int i = 0; i < n; ++i) to[i] = from[i];
}

}  // namespace

bool AnimationNode::ReadData(double* out, const EvaluationContext* context) {
    if (!out || !box_) return false;
    const EvaluationContext& ctx = context ? *context : GlobalDisplayContext();
    if (output_) {
        box_->Evaluate(ctx);
        if (disabled_) return false;
        CopyMembers(out, live_, channels_);
        return true;
    }
    // A connected input passes its source's value on and keeps its own
    // value for when the connection goes.
    if (AnimationNode* source = SourceConnector()) return source->ReadData(out, &ctx);
    if (Property* property = ConnectedProperty()) {
        alignas(double) unsigned char raw[64];
        if (property->Type()->ValueSize() <= sizeof raw && EvaluateProperty(property, raw, &ctx) >= 0)
            ValueToDoubles(property->Type(), raw, live_);
    } else if (KeyCount() > 0) {
        double values[4];
        Evaluate(ctx.time, values, live_);
        CopyMembers(live_, values, channels_);
    }
    CopyMembers(out, live_, channels_);
    return true;
}

bool AnimationNode::WriteData(const double* in, const EvaluationContext* context) {
    if (!in || !box_) return false;
    const EvaluationContext& ctx = context ? *context : GlobalDisplayContext();
    if (output_) {
        if (disabled_ || std::memcmp(live_, in, sizeof(double) * static_cast<std::size_t>(channels_)) != 0)
            changed_ = true;
        CopyMembers(live_, in, channels_);
        writtenId_ = ctx.evaluationId;
        disabled_ = false;
        return true;
    }
    // A connected input takes its value from its source.
    if (SourceConnector()) return false;
    CopyMembers(live_, in, channels_);
    if (Property* property = ConnectedProperty()) {
        alignas(double) unsigned char raw[64] = {};
        if (property->Type()->ValueSize() > sizeof raw || !property->GetRaw(raw)) return false;
        ValueFromDoubles(property->Type(), in, raw);
        if (!WritePropertyValue(property, raw)) return false;
    }
    box_->MarkDirty();
    return true;
}

bool AnimationNode::WriteGlobalData(const double* in, const EvaluationContext* context) {
    if (!in || !box_) return false;
    // A box that knows global terms converts through its candidate hook.
    if (!output_ && !SourceConnector() && box_->SetGlobalCandidate(this, in, context) != 0) return true;
    return WriteData(in, context);
}

bool AnimationNode::PlugNotify(int action, Plug* plug, int index, Plug* plug2, int type, Plug* plug3) {
    // Connections between connectors keep the graph acyclic and typed,
    // whichever road they are made by (ConnectConnectors or a plain plug
    // connection).
    const bool connectorSource = box_ && plug && plug->ClassId() == kClassAnimationNode &&
                                 static_cast<AnimationNode*>(plug)->box_;
    if (connectorSource) {
        auto* other = static_cast<AnimationNode*>(plug);
        switch (action) {
            case kActRequestConnectSrc:
                if (CheckConnection(other, this) != kConnectDone) return false;
                break;
            case kActBeginReplaceSrc:
                // plug is the old source, plug2 the new one.
                if (plug2 && plug2->ClassId() == kClassAnimationNode &&
                    CheckConnection(static_cast<AnimationNode*>(plug2), this, other) != kConnectDone)
                    return false;
                break;
            case kActConnectedSrc:
            case kActDisconnectedSrc:
            case kActEndReplaceSrc:
                box_->MarkDirty();
                BumpStructureVersion();
                break;
            default:
                break;
        }
    }
    return Object::PlugNotify(action, plug, index, plug2, type, plug3);
}

}  // namespace velora
