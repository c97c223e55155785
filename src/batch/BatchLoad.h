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

class Project;

// Loads the command's resource directory into the project. Lines already in Russian
// are kept out of translation only with --hide-russian: in a batch run that flag of
// velmora.ini has no say. Accelerators and CONTROL texts follow the keys and the
// flag lines of velmora.ini in the command's working directory.
LoadResult loadWithProgress(const BatchCommand& command, Project& project, BatchConsole& console);

// Writes the intro and one line per failed file to the error stream.
void reportFailures(BatchConsole& console, const QString& intro, const FileErrors& errors);

} // namespace kvarsel
