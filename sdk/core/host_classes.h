#ifndef LYSDK_CORE_HOST_CLASSES_H
#define LYSDK_CORE_HOST_CLASSES_H

// Internal: the host-side classes that the library itself defines, and the
// notification forwarding they share.

#include "core/host_access.h"
#include "lysdk/lycomponent.h"

LYSDK_BEGIN_NAMESPACE

/// Host class ids of the library-defined host classes, filled in when the
/// library loads.
struct __LyHostClassIds {
    static int SDKHostObject;
    static int CustomManager;
    static int Box;
    static int Device;
    static int Model;
    static int ConstraintHostConstraint;
    static int ConstraintHostConstraintSolver;
    static int ConstraintRelation;
    static int ConstraintSolver;
    static int Shader;
    static int LayeredTexture;
    static int RendererCallback;
    static int Manipulator;
    static int HUDElement;
    static int CharacterSolver;
    static int PhysicalProperties;
    static int ApplyManagerRule;
    static int AssetMng;
    static int AssetFile;
    static int AssetFolder;
    static int Command;
    static int Deck;
    static int Filter;
    static int DataDeviceOptical;
    static int DeviceOptical;
    static int FCurveEditorUtility;
    static int View;
    static int WidgetHolder;
    static int Tool;
};

/// The host's three plug notifications, forwarded to the wrapper in the
/// object's slot. A false answer from the wrapper refuses the change and
/// skips the host's own handling; otherwise the host base class decides.
template <class HostBase>
class __LyNotifying : public HostBase {
public:
    using HostBase::HostBase;

    bool PlugNotify(int action, velora::Plug* plug, int index, velora::Plug* plug2, int type,
                    velora::Plug* plug3) override {
        if (LyComponent* wrapper = GetLyComponent(this)) {
            if (!wrapper->PlugNotify(static_cast<LyConnectionAction>(action), __LyWrap(plug), index,
                                     __LyWrap(plug2), static_cast<LyConnectionType>(type),
                                     __LyWrap(plug3)))
                return false;
        }
        return HostBase::PlugNotify(action, plug, index, plug2, type, plug3);
    }

    bool PlugDataNotify(int action, velora::Plug* plug, void* data, void* oldData,
                        int size) override {
        if (LyComponent* wrapper = GetLyComponent(this)) {
            if (!wrapper->PlugDataNotify(static_cast<LyConnectionAction>(action), __LyWrap(plug),
                                         data, oldData, size))
                return false;
        }
        return HostBase::PlugDataNotify(action, plug, data, oldData, size);
    }

    bool PlugStateNotify(int action, velora::Plug* plug, void* data, void* oldData,
                         int size) override {
        if (LyComponent* wrapper = GetLyComponent(this)) {
            if (!wrapper->PlugStateNotify(static_cast<LyConnectionAction>(action), __LyWrap(plug),
                                          data, oldData, size))
                return false;
        }
        return HostBase::PlugStateNotify(action, plug, data, oldData, size);
    }
};

LYSDK_END_NAMESPACE

#endif  // LYSDK_CORE_HOST_CLASSES_H
