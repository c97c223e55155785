// The binary menu reader (MENU and MENUEX) and the menu script compiler.
#include "ResourceFuzz.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    kvarsel::fuzz::fuzzResource(data, size, kvarsel::ResourceType::Menu, kvarsel::ResourceKind::Menu,
                                kvarsel::readMenu, kvarsel::menuBytes);
    return 0;
}
