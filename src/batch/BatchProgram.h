#pragma once
// kvarsel-batch unpack / pack: a program's texts into a resource directory and the
// translation back into a copy of the program.

#include "batch/BatchConsole.h"

#include <QString>
#include <QStringList>

namespace kvarsel {

// `arguments` after the command word; `pack` tells which of the two.
int runProgramCommand(bool pack, const QStringList& arguments, const QString& currentDir,
                      BatchConsole& console);

QString unpackHelp();
QString packHelp();

} // namespace kvarsel
