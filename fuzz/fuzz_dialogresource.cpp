// The binary dialog reader (DIALOG and DIALOGEX) and the dialog script compiler.
#include "ResourceFuzz.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    kvarsel::fuzz::fuzzResource(data, size, kvarsel::ResourceType::Dialog, kvarsel::ResourceKind::Dialog,
                                kvarsel::readDialog, kvarsel::dialogBytes);
    return 0;
}
