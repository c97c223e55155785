#pragma once
// Asks for memory some steps before it is read, where the compiler can say so;
// elsewhere it does nothing, and the program only runs a little slower.

namespace kvarsel {

inline void prefetch(const void* address)
{
#if defined(__GNUC__) || defined(__clang__)
    __builtin_prefetch(address);
#else
    (void)address;
#endif
}

} // namespace kvarsel
