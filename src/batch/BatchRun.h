#pragma once
// kvarsel-batch as a function: parses the command line, runs the command and
// returns the exit status (0 success, 1 a file failed, 2 a usage error).

#include "batch/BatchConsole.h"

#include <QStringList>

namespace kvarsel {

int runBatch(const QStringList& arguments, const QString& currentDir, BatchConsole& console);

} // namespace kvarsel
