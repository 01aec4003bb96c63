// libFuzzer entry for the host property text reader.
#include "property_text_target.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    return lysdk_fuzz::PropertyText(data, size);
}
