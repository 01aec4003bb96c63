// libFuzzer entry for the time and timecode text readers.
#include "time_text_target.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    return lysdk_fuzz::TimeText(data, size);
}
