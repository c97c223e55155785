#pragma once

#include <QString>

namespace kvarsel {

// The version the build was made from, e.g. "2.0": printed by kvarsel-batch
// --version and written into exported files as the creating tool's version.
QString programVersion();

} // namespace kvarsel
