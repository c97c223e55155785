#pragma once
// Loading a resource directory for a command: the same loader the resources
// dialog's "ОК" runs, with progress on the console instead of a progress bar.

#include "batch/BatchCommand.h"
#include "batch/BatchConsole.h"
#include "workspace/ResourceLoader.h"

namespace kvarsel {

// Empty when `dir` can be loaded; otherwise the usage error naming the problem
// (the resources dialog keeps "ОК" disabled for such a directory).
QString checkResourceDirectory(const QString& dir);

// How a command's scripts are split: its keys, and the flag lines of velmora.ini
// in its working directory for the accelerators and the CONTROL texts.
SplitOptions splitOptionsOf(const BatchCommand& command);

LoadResult loadWithProgress(const QString& dir, const LineStores& stores, const SplitOptions& options,
                            BatchConsole& console);

// Writes the intro and one line per failed file to the error stream.
void reportFailures(BatchConsole& console, const QString& intro, const FileErrors& errors);

} // namespace kvarsel
