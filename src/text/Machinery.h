#pragma once
// Pieces of the program that only make it faster: each can be turned off, the
// results staying the same, so the benchmark can measure what each one buys. The
// program itself never turns any of them off.

namespace kvarsel {

struct Machinery {
    bool loadSaveThread = true;     // loading and saving do every other kind on a second thread
    bool byteDictionaryPath = true; // a Windows-1251 dictionary is streamed undecoded
};

// The pieces in use, for the whole process.
const Machinery& machinery();
// Only for the benchmark, between its runs: nothing may be loading, saving or translating.
void setMachinery(const Machinery& pieces);

} // namespace kvarsel
