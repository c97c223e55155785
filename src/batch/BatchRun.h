#pragma once
// kvarsel-batch as a function: parses the command line, runs the command and
// returns the exit status (0 success, 1 a file failed, 2 a usage error).

#include "batch/BatchCommand.h"
#include "batch/BatchConsole.h"

#include <QStringList>

namespace kvarsel {

// fit measures texts with the font engine (QtGui), which no other command needs: a
// program that has it passes runFit (BatchFitRun.h); without it fit is refused.
using FitRunner = int (*)(const BatchCommand& command, BatchConsole& console);

int runBatch(const QStringList& arguments, const QString& currentDir, BatchConsole& console,
             FitRunner fit = nullptr);

} // namespace kvarsel
