#pragma once
// kvarsel-batch export: the deferred-translation file, written by the same run as
// the export window's "Продолжить" (runDeferredExport).

#include "batch/BatchCommand.h"
#include "batch/BatchConsole.h"
#include "text/FileError.h"
#include "workspace/ResourceLoader.h"

namespace kvarsel {

// What `output` would overwrite, when it is one of the program's inputs: a loaded
// (or unreadable) script, a dictionary of `workDir` (connected ones are among
// them), User.dic, User.old or the settings file. Empty when it is none. A command
// that loads no scripts passes no stores.
QString exportOverwritesInput(const QString& output, const QString& workDir, const ConstLineStores& stores,
                              const FileErrors& unreadScripts);

int runExport(const BatchCommand& command, BatchConsole& console);

} // namespace kvarsel
