// libFuzzer entry for the scene-file reader.
#include "scene_file_target.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    return lysdk_fuzz::SceneFile(data, size);
}
