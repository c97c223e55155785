#include "batch/BatchFitRun.h"

#include "batch/BatchFit.h"
#include "batch/BatchLoad.h"
#include "batch/BatchTexts.h"
#include "dialogs/QtTextMeasure.h"
#include "project/Project.h"

#include <QGuiApplication>

namespace kvarsel {

QString fontMissing(const QString& family)
{
    return QStringLiteral("шрифт %1 не установлен (пакет %2), ширины измерены "
                          "другим шрифтом и могут отличаться")
        .arg(family, QtTextMeasure::packageOf(family));
}

int runFit(const BatchCommand& command, BatchConsole& console)
{
    const QString problem = checkResourceDirectory(command.resourceDir);
    if (!problem.isEmpty()) {
        console.err(batch_texts::kProgram + QStringLiteral(": ") + problem);
        return kExitUsage;
    }
    if (!qobject_cast<QGuiApplication*>(QCoreApplication::instance())) {
        console.err(batch_texts::kProgram + QStringLiteral(": ") + batch_texts::kNoFontEngine);
        return kExitFileError;
    }
    Project project{command.workDir};
    const LoadResult loaded = loadWithProgress(command, project, console);
    reportFailures(console, batch_texts::kScriptsNotRead, loaded.errors);
    const QtTextMeasure measure;
    const std::vector<FitProblem> problems =
        findFitProblems(std::as_const(project).store(ResourceKind::Dialog), measure);
    for (const QString& family : measure.missingFamilies())
        console.err(batch_texts::kProgram + QStringLiteral(": ") + fontMissing(family));
    if (!problems.empty())
        console.out(formatFitProblems(problems, command.resourceDir).join(QChar(10)));
    if (!loaded.errors.isEmpty())
        return kExitFileError;
    return problems.empty() ? kExitOk : kExitDoesNotFit;
}

} // namespace kvarsel
