#pragma once
// kvarsel-batch fit: every dialog control whose text does not fit its rectangle,
// as "FILE:LINE: width needed / width available" in dialog units.

#include "batch/BatchCommand.h"
#include "batch/BatchConsole.h"
#include "dialogs/FitCheck.h"

namespace kvarsel {

// Something does not fit; the check itself went through.
inline constexpr int kExitDoesNotFit = 3;

// One line per problem; FILE is the script's path inside the resource directory.
QStringList formatFitProblems(const std::vector<FitProblem>& problems, const QString& resourceDir);

QString fitHelp();

} // namespace kvarsel
