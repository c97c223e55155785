#include "text/Machinery.h"

namespace kvarsel {

namespace {
Machinery inUse;
} // namespace

const Machinery& machinery() { return inUse; }

void setMachinery(const Machinery& pieces) { inUse = pieces; }

} // namespace kvarsel
