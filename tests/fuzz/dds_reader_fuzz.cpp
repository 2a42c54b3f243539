// Arbitrary bytes as a .dds file.
#include "image_fuzz_common.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    return image_fuzz::Run(data, size, "fuzz.dds");
}
