// The motion-stream sample: a device that streams a BVH motion-capture
// file live, registered under "Devices/Motion Capture" where the host
// offers devices, and as storable so scenes keep it.

#include "motion_stream_device.h"

using namespace VELSDK2025;

LYSDK_CLASS_IMPLEMENT(velora_sample::MotionStreamDevice, 0)

namespace {

IObject* CreateMotionStream(IObject*, const char* name, void*) {
    auto* device = new velora_sample::MotionStreamDevice(name ? name : "Motion Stream");
    if (!device->LyCreate()) {
        device->LyDelete();
        return nullptr;
    }
    return device->GetHIObject();
}

class MotionStreamLibrary : public LyLibraryBase {};

bool RegisterMotionStream() {
    const char* description = "Streams a BVH motion-capture file live, frame by frame";
    return LyObject_Register("Devices/Motion Capture", "Motion Stream", description, &CreateMotionStream, true,
                             nullptr) &&
           LyObject_Register("DsxStorable/Devices", "Motion Stream", description, &CreateMotionStream, true,
                             nullptr);
}

}  // namespace

LYSDK_PLUGIN(MotionStreamLibrary, RegisterMotionStream)
