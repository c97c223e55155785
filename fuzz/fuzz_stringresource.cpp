// The binary string table reader and the string table script compiler.
#include "ResourceFuzz.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    kvarsel::fuzz::fuzzResource(data, size, kvarsel::ResourceType::String, kvarsel::ResourceKind::String,
                                kvarsel::readStringBlock, kvarsel::stringBlockBytes);
    return 0;
}
