#include "batch/BatchRun.h"

#include "batch/BatchCheck.h"
#include "batch/BatchCommand.h"
#include "batch/BatchExport.h"
#include "batch/BatchProgram.h"
#include "batch/BatchStats.h"
#include "batch/BatchSuggest.h"
#include "batch/BatchTexts.h"
#include "batch/BatchTmx.h"
#include "batch/BatchTranslate.h"

namespace kvarsel {

int runBatch(const QStringList& arguments, const QString& currentDir, BatchConsole& console, FitRunner fit)
{
    if (arguments.value(0) == QStringLiteral("--version")) {
        console.out(batch_texts::versionText());
        return kExitOk;
    }
    // "tmx" has actions and file arguments of its own, so it parses its own line.
    if (arguments.value(0) == QStringLiteral("tmx"))
        return runTmx(arguments.mid(1), currentDir, console);
    if (arguments.value(0) == QStringLiteral("unpack") || arguments.value(0) == QStringLiteral("pack"))
        return runProgramCommand(arguments.value(0) == QStringLiteral("pack"), arguments.mid(1), currentDir,
                                 console);
    const BatchCommand command = parseBatchCommand(arguments, currentDir);
    switch (command.action) {
    case BatchCommand::Action::ProgramHelp:
        console.out(batch_texts::programHelp());
        return kExitOk;
    case BatchCommand::Action::CommandHelp:
        console.out(batch_texts::commandHelp(command.kind));
        return kExitOk;
    case BatchCommand::Action::UsageError:
        console.err(batch_texts::kProgram + QStringLiteral(": ") + command.error + QChar(10) +
                    batch_texts::helpHint(command.kind));
        return kExitUsage;
    case BatchCommand::Action::Run:
        break;
    }
    switch (command.kind) {
    case BatchCommandKind::Translate:
        return runTranslate(command, console);
    case BatchCommandKind::Export:
        return runExport(command, console);
    case BatchCommandKind::Stats:
        return runStats(command, console);
    case BatchCommandKind::Fit:
        if (!fit) {
            console.err(batch_texts::kProgram + QStringLiteral(": ") + batch_texts::kNoFontEngine);
            return kExitFileError;
        }
        return fit(command, console);
    case BatchCommandKind::Suggest:
        return runSuggest(command, console);
    case BatchCommandKind::Check:
        return runCheck(command, console);
    case BatchCommandKind::None:
        break;
    }
    return kExitUsage;
}

} // namespace kvarsel
