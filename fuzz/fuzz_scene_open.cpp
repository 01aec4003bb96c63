// libFuzzer entry for the whole opening of a scene.
#include "scene_open_target.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    return lysdk_fuzz::SceneOpen(data, size);
}
