#include "batch/BatchTranslate.h"

#include "batch/BatchLoad.h"
#include "batch/BatchLock.h"
#include "batch/BatchTexts.h"
#include "dictionary/DictionaryFiles.h"
#include "project/ProjectResources.h"
#include "settings/SettingsStartUp.h"
#include "text/TextFile.h"
#include "workbench/AutoTranslation.h"

#include <QDir>
#include <QFileInfo>

namespace kvarsel {

namespace {

bool sameFile(const QString& a, const QString& b)
{
    const QFileInfo fa(a), fb(b);
    if (fa.exists() && fb.exists())
        return fa.canonicalFilePath() == fb.canonicalFilePath();
    return QDir::cleanPath(fa.absoluteFilePath()) == QDir::cleanPath(fb.absoluteFilePath());
}

void usage(BatchConsole& console, const QString& problem)
{
    console.err(batch_texts::kProgram + QStringLiteral(": ") + problem);
}

} // namespace

ConnectedSetup connectDictionaries(Project& state, const QStringList& dictionaries)
{
    ConnectedSetup setup;
    SettingsLoad load = loadSettings(state.workDir());
    // Start-up loads User.dic into memory for manual translation; a batch run has
    // none, and its passes read every connected dictionary, User.dic too, from the
    // file. So the file is only checked, to report it unreadable as start-up would.
    const bool userDictionaryExists = load.settings.userDictionaryExists;
    load.settings.userDictionaryExists = false;
    applySettingsLoad(load, state);
    load.settings.userDictionaryExists = userDictionaryExists;
    if (userDictionaryExists)
        setup.userDictionaryError = checkFileReadable(findUserDictionary(state.workDir()));
    if (dictionaries.isEmpty()) {
        setup.settingsError = load.error;
        setup.missingDictionaries = load.missingDictionaries;
        setup.noDictionaryFiles = load.noDictionaryFiles;
        setup.userDictionaryFirst = load.settings.userDictionaryFirst;
    } else {
        state.setConnectedDictionaries(dictionaries);
        const QString user = findUserDictionary(state.workDir());
        setup.userDictionaryFirst = !user.isEmpty() && sameFile(dictionaries.first(), user);
    }
    return setup;
}

QStringList formatTranslateSummary(const TranslateSummary& summary)
{
    QStringList lines;
    lines << QStringLiteral("Каталог ресурсов: %1").arg(QDir::toNativeSeparators(summary.resourceDir));
    lines << QStringLiteral("%1%2%3")
                 .arg(QStringLiteral("Вид"), -8)
                 .arg(QStringLiteral("Файлов"), 8)
                 .arg(QStringLiteral("Строк"), 9);
    const auto row = [](const QString& name, const KindCounts& k) {
        return QStringLiteral("%1%2%3").arg(name, -8).arg(k.files, 8).arg(k.lines, 9);
    };
    for (const ResourceKind kind : kAllKinds)
        lines << row(kindInfo(kind).name, summary.loaded.kinds[size_t(kindIndex(kind))]);
    const KindCounts total = summary.loaded.total();
    lines << row(QStringLiteral("Всего"), total);
    lines << formatEncodings(summary.loaded);
    lines << QStringLiteral("Текстов: %1, из них уже на русском: %2").arg(total.texts).arg(total.russian);
    if (summary.dictionaries.isEmpty()) {
        lines << QStringLiteral("Словари не подключены.");
    } else {
        lines << QStringLiteral("Переведено словарями:");
        for (const DictionaryCount& d : summary.dictionaries)
            lines << QStringLiteral("  %1 (%2): %3")
                         .arg(d.label, QDir::toNativeSeparators(d.path))
                         .arg(d.translated);
    }
    lines << QStringLiteral("Осталось без перевода: %1").arg(summary.untranslated);
    if (!summary.unstorable.isEmpty())
        lines << summary.unstorable;
    if (summary.dryRun)
        lines << QStringLiteral("Пробный запуск: сценарии не записаны.");
    else
        lines << QStringLiteral("Записано сценариев: %1").arg(summary.filesWritten);
    return lines;
}

int runTranslate(const BatchCommand& command, BatchConsole& console)
{
    if (const QString problem = checkResourceDirectory(command.resourceDir); !problem.isEmpty()) {
        usage(console, problem);
        return kExitUsage;
    }
    if (!QFileInfo(command.workDir).isDir()) {
        usage(console, batch_texts::workDirMissing(command.workDir));
        return kExitUsage;
    }

    // A dry run writes nothing, so it may run beside anything.
    BatchLocks locks;
    if (!command.dryRun && !locks.take({command.workDir, command.resourceDir}, console))
        return kExitFileError;

    // The loaded scripts are hundreds of thousands of strings, and the process ends
    // right after this command: releasing them one by one would cost more than
    // saving them. So the last state is kept until the system takes the memory back
    // at exit; a caller that runs the command again releases the one before.
    static Project* kept = nullptr;
    delete kept;
    kept = new Project(command.workDir);
    Project& state = *kept;
    const ConnectedSetup setup = connectDictionaries(state, command.dictionaries);
    if (setup.settingsError) {
        // Without the settings nothing is known to be connected; rewriting the
        // scripts then would only strip their "&" characters.
        console.err(batch_texts::kSettingsNotRead + QChar(10) + setup.settingsError->message());
        return kExitFileError;
    }
    if (setup.noDictionaryFiles) {
        usage(console, batch_texts::kNoDictionaryFiles +
                           QStringLiteral(" (%1)").arg(QDir::toNativeSeparators(command.workDir)));
        return kExitUsage;
    }
    int status = kExitOk;
    if (setup.userDictionaryError) {
        console.err(batch_texts::kUserDictionaryNotRead + QChar(10) + setup.userDictionaryError->message());
        status = kExitFileError;
    }
    // The run goes on with the dictionaries there are, and says it was not the whole set.
    if (!setup.missingDictionaries.isEmpty()) {
        console.err(batch_texts::kProgram + QStringLiteral(": ") +
                    missingDictionariesText(setup.missingDictionaries));
        status = kExitFileError;
    }
    if (state.connectedDictionaries().isEmpty())
        console.err(batch_texts::kNothingConnected);
    state.setHideMode(command.hideTranslated ? HideMode::Hide : HideMode::Show);

    const LoadResult loaded = loadWithProgress(command, state, console);
    if (!loaded.errors.isEmpty()) {
        reportFailures(console, batch_texts::kScriptsNotRead, loaded.errors);
        status = kExitFileError;
    }

    TranslateSummary summary;
    summary.resourceDir = command.resourceDir;
    summary.dryRun = command.dryRun;
    summary.loaded = countLoaded(std::as_const(state).stores());

    // The window enables automatic translation only after a load that gave rows,
    // and offers to save only after something changed.
    if (loaded.anyRows) {
        ProgressLine progress(console);
        AutoTranslationCallbacks callbacks;
        qsizetype dictionary = 0;
        qsizetype maximum = 0;
        if (progress.active()) {
            callbacks.dictionaryStatus = [&dictionary](const QString& text) {
                if (text == dictionary_texts::kLoading)
                    ++dictionary;
            };
            callbacks.progressMaximum = [&maximum](qsizetype max) { maximum = max; };
            callbacks.progressValue = [&](qsizetype value) {
                if (dictionary > 0)
                    progress.show(batch_texts::translatingProgress(
                        dictionary, state.connectedDictionaries().size(), percentOf(value, maximum)));
            };
        }
        const AutoTranslationResult result =
            runAutomaticTranslation(state, setup.userDictionaryFirst, callbacks, UserDictionaryAtEnd::Leave);
        progress.clear();
        if (!result.ran) {
            console.err(batch_texts::kUserDictionaryNotSaved + QChar(10) +
                        result.errors.constFirst().message());
            return kExitFileError;
        }
        if (!result.errors.isEmpty()) {
            reportFailures(console, batch_texts::kDictionariesNotRead, result.errors);
            status = kExitFileError;
        }
        summary.unstorable = unstorableRowsText(result);
        summary.untranslated = result.untranslatedRows;
        const qsizetype count = state.connectedDictionaries().size();
        for (qsizetype d = 0; d < count; ++d)
            summary.dictionaries.append({dictionaryStatusText(d, count, setup.userDictionaryFirst),
                                         state.connectedDictionaries()[d],
                                         result.translatedByDictionary.value(d)});

        if (!command.dryRun && state.resourcesChanged()) {
            SaveCallbacks saving;
            qsizetype rows = 0;
            if (progress.active()) {
                saving.kindStarted = [&rows](ResourceKind, qsizetype count) { rows = count; };
                saving.rowReached = [&](ResourceKind kind, qsizetype row) {
                    progress.show(batch_texts::savingProgress(kindInfo(kind).name, percentOf(row, rows)));
                };
            }
            // The resource directory is held for the whole command already.
            const ProjectSave saved =
                saveProjectResources(state, saving, ResourceDirectoryLock::HeldByCaller);
            progress.clear();
            summary.filesWritten = saved.result.filesWritten;
            if (!saved.refusal.isEmpty()) {
                console.err(batch_texts::kScriptsNotWritten + QChar(10) + saved.refusal);
                status = kExitFileError;
            } else if (!saved.result.errors.isEmpty()) {
                reportFailures(console,
                               oldContentKept(saved.result.errors)
                                   ? batch_texts::kScriptsNotWritten
                                   : batch_texts::kScriptsNotWrittenSomeChanged,
                               saved.result.errors);
                status = kExitFileError;
            }
        }
    } else {
        for (qsizetype d = 0; d < state.connectedDictionaries().size(); ++d)
            summary.dictionaries.append(
                {dictionaryStatusText(d, state.connectedDictionaries().size(), setup.userDictionaryFirst),
                 state.connectedDictionaries()[d], 0});
    }
    console.out(formatTranslateSummary(summary).join(QChar(10)));
    return status;
}

} // namespace kvarsel
