#pragma once
// kvarsel-batch check: the translation checks of the windows over whole
// dictionaries and bilingual files, one line per finding.

#include "batch/BatchCommand.h"
#include "batch/BatchConsole.h"

namespace kvarsel {

// Exit status when the files were read and something was found.
inline constexpr int kExitFound = 3;

QString checkHelp();

int runCheck(const BatchCommand& command, BatchConsole& console);

} // namespace kvarsel
