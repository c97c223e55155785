#pragma once
// kvarsel-batch export: the deferred-translation file, written as the export
// window writes it.

#include "batch/BatchCommand.h"
#include "batch/BatchConsole.h"
#include "deferred/ExportList.h"
#include "text/FileError.h"
#include "workspace/ResourceLoader.h"

#include <optional>

namespace kvarsel {

// Collects, sorts, removes repeats and spaces out the escapes, as the export
// window's "Продолжить" does. An empty list means there is nothing to write.
ExportList exportPhrases(const ConstLineStores& stores);

// Writes the prepared list to `output`, or to DepTrans.txt of `resourceDir` when
// `output` is empty, through the atomic writer.
std::optional<FileError> writeExport(const QString& resourceDir, const QString& output,
                                     const ExportList& list);

// What `output` would overwrite, when it is one of the program's inputs: a loaded
// (or unreadable) script, a dictionary of `workDir` (connected ones are among
// them), User.dic, User.old or the settings file. Empty when it is none.
QString exportOverwritesInput(const QString& output, const QString& workDir, const ConstLineStores& stores,
                              const FileErrors& unreadScripts);

int runExport(const BatchCommand& command, BatchConsole& console);

} // namespace kvarsel
