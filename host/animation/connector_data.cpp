// The data path of animation nodes that are box connectors: reading and
// writing their values during evaluation, and the checks on connections
// between them (velora/box.h).

#include <cstring>

#include "velora/animation.h"
#include "velora/box.h"
#include "velora/device.h"

namespace velora {

AnimationNode* AnimationNode::CreateConnectorNode(const char* name, int channels, bool curves) {
    if (curves) return Create(name, channels);
    // A bare value holder: no curve, no member nodes, no property connector.
    if (channels < 1 || channels > 4) channels = 1;
    return new AnimationNode(name, channels);
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
    if (Property* property = property_) {
        alignas(double) unsigned char raw[64];
        if (!property->HasFlag(kPropertyAnimated)) {
            // Not animated: the stored value, without the evaluation road.
            if (property->GetRaw(raw)) ValueToDoubles(property->Type(), raw, live_);
        } else if (property->Type()->ValueSize() <= sizeof raw && EvaluateProperty(property, raw, &ctx) >= 0) {
            ValueToDoubles(property->Type(), raw, live_);
        }
    } else if (keyable_ && KeyCount() > 0) {
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
        // A device's cycle publishes samples; the frame takes them.
        if (ctx.sample) {
            Device* device = box_->AsDeviceBox();
            return device && device->PublishSample(this, in, *ctx.sample);
        }
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
    if (Property* property = property_) {
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

namespace {

AnimationNode* AsConnector(Plug* plug) {
    if (!plug || plug->ClassId() != kClassAnimationNode) return nullptr;
    auto* node = static_cast<AnimationNode*>(plug);
    return node->IsConnector() ? node : nullptr;
}

}  // namespace

bool AnimationNode::PlugNotify(int action, Plug* plug, int index, Plug* plug2, int type, Plug* plug3) {
    // Connections between connectors keep the graph acyclic and typed,
    // whichever road they are made by (ConnectConnectors or a plain plug
    // connection); an input remembers its source.
    if (box_) {
        switch (action) {
            case kActRequestConnectSrc:
                if (AnimationNode* other = AsConnector(plug))
                    if (CheckConnection(other, this) != kConnectDone) return false;
                break;
            case kActBeginReplaceSrc:  // plug: the old source, plug2: the new one
                if (AnimationNode* other = AsConnector(plug2))
                    if (CheckConnection(other, this, AsConnector(plug)) != kConnectDone) return false;
                break;
            case kActConnectedSrc:
                if (AnimationNode* other = AsConnector(plug); other && other->output_ && !output_) {
                    source_ = other;
                    box_->MarkDirty();
                    BumpStructureVersion();
                }
                break;
            case kActEndReplaceSrc: {  // plug: the new source, plug2: the old one
                AnimationNode* other = AsConnector(plug);
                if (other && other->output_ && !output_) source_ = other;
                else if (plug2 == source_) source_ = nullptr;
                box_->MarkDirty();
                BumpStructureVersion();
                break;
            }
            case kActDisconnectedSrc:
                if (plug == source_) {
                    source_ = nullptr;
                    box_->MarkDirty();
                    BumpStructureVersion();
                }
                break;
            default:
                break;
        }
    }
    return Object::PlugNotify(action, plug, index, plug2, type, plug3);
}

}  // namespace velora
