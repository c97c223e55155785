#include "batch/BatchExport.h"

#include "batch/BatchLoad.h"
#include "batch/BatchLock.h"
#include "batch/BatchTexts.h"
#include "deferred/DeferredExport.h"
#include "dictionary/DictionaryFiles.h"
#include "project/Project.h"
#include "settings/SettingsFile.h"
#include "text/TextFile.h"

#include <QDir>

namespace kvarsel {

QString exportOverwritesInput(const QString& output, const QString& workDir, const ConstLineStores& stores,
                              const FileErrors& unreadScripts)
{
    const QString real = realFilePath(output);
    if (real.isEmpty())
        return QString();
    // Names are matched without regard to letter case everywhere in this program,
    // so "user.DIC" is the user dictionary here too.
    const auto same = [&real](const QString& path) {
        const QString other = realFilePath(path);
        return !other.isEmpty() && other.compare(real, Qt::CaseInsensitive) == 0;
    };
    for (const LineStore* store : stores)
        for (const LineStore::Script& script : store ? store->scripts() : std::vector<LineStore::Script>{})
            if (same(script.path))
                return QStringLiteral("сценарий");
    for (const FileError& unread : unreadScripts)
        if (same(unread.path))
            return QStringLiteral("сценарий");
    return workingFileAt(output, workDir);
}

int runExport(const BatchCommand& command, BatchConsole& console)
{
    const QString problem = checkResourceDirectory(command.resourceDir);
    if (!problem.isEmpty()) {
        console.err(batch_texts::kProgram + QStringLiteral(": ") + problem);
        return kExitUsage;
    }
    BatchLocks locks;
    if (!locks.take({command.workDir, command.resourceDir}, console))
        return kExitFileError;
    Project project{command.workDir};
    const LoadResult loaded = loadWithProgress(command, project, console);
    reportFailures(console, batch_texts::kScriptsNotRead, loaded.errors);
    const int status = loaded.errors.isEmpty() ? kExitOk : kExitFileError;

    ExportRunCallbacks callbacks;
    if (!command.output.isEmpty())
        callbacks.refuseTarget = [&] {
            const QString input = exportOverwritesInput(command.output, command.workDir,
                                                        std::as_const(project).stores(), loaded.errors);
            return input.isEmpty() ? QString() : batch_texts::outputIsInput(command.output, input);
        };
    // The directories are held for the whole command already.
    const ExportOutcome outcome = runDeferredExport(
        project, ExportTarget{command.resourceDir, command.output, ResourceDirectoryLock::HeldByCaller},
        callbacks);
    switch (outcome.status) {
    case ExportOutcome::Status::NothingFound:
        // As in the window: nothing to translate, so no file is created or replaced.
        console.out(batch_texts::kNoEnglish + QStringLiteral(": файл не записан."));
        return status;
    case ExportOutcome::Status::Refused:
        console.err(batch_texts::kProgram + QStringLiteral(": ") + outcome.refusal);
        return kExitUsage;
    case ExportOutcome::Status::NotWritten:
        console.err(batch_texts::kDepTransNotWritten + QChar(10) + outcome.error->message());
        return kExitFileError;
    case ExportOutcome::Status::Written:
        break;
    }
    console.out(QStringLiteral("Записано фраз: %1 в файл %2")
                    .arg(outcome.list.Count())
                    .arg(QDir::toNativeSeparators(outcome.path)));
    if (const QString note = depTransEncodingNote(depTransEncoding(outcome.list)); !note.isEmpty())
        console.out(note);
    return status;
}

} // namespace kvarsel
