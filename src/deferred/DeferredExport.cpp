#include "deferred/DeferredExport.h"

#include "deferred/EscapeSpacing.h"
#include "dictionary/DictionaryFiles.h"
#include "project/Project.h"
#include "text/Cp1251.h"
#include "text/TextFile.h"

#include <QDir>

namespace kvarsel {

bool IsExportable(QStringView text)
{
    for (qsizetype i = 0; i < text.size(); ++i) {
        const int code = cp1251::charCode(text[i]);
        if (code == '%') {
            ++i; // the placeholder's letter does not count
            continue;
        }
        if (code <= 64)
            continue;
        if (code > 127)
            return false;
        if (text.size() > 3)
            return true;
    }
    return false;
}

qsizetype exportRowSpan(const LineStore& store)
{
    const qsizetype n = store.RowCount() - 1;
    return n <= 0 ? 1 : n;
}

qsizetype exportProgressMaximum(const ConstLineStores& stores)
{
    qsizetype total = 0;
    for (const LineStore* store : stores)
        total += exportRowSpan(*store);
    return total;
}

bool resourcesCountAsLoaded(const ConstLineStores& stores)
{
    return exportProgressMaximum(stores) > kKindCount;
}

void collectExportPhrases(const ConstLineStores& stores, ExportList& list,
                          const ExportScanCallbacks& callbacks)
{
    qsizetype before = 0; // n() of the kinds already passed, scanned or not
    for (const ResourceKind kind : kAllKinds) {
        const LineStore& store = *stores[size_t(kindIndex(kind))];
        const qsizetype n = exportRowSpan(store);
        if (n > 1) {
            if (callbacks.kindStarted)
                callbacks.kindStarted(kind);
            for (qsizetype i = 0; i <= n; ++i) {
                if (callbacks.progress)
                    callbacks.progress(before + i);
                const QString& text = store.Text(i);
                if (!text.isEmpty() && IsExportable(text))
                    list.Add(text);
            }
        }
        before += n;
    }
}

void prepareExportList(ExportList& list)
{
    list.RemoveDuplicates();
    for (qsizetype i = 0; i < list.Count(); ++i)
        list.Replace(i, spaceOutEscapes(list.Item(i)));
}

TextEncoding depTransEncoding(const ExportList& list) { return encodingForNewFile(list.Items()); }

QString depTransEncodingNote(TextEncoding encoding)
{
    if (encoding == TextEncoding::Windows1251)
        return QString();
    return QStringLiteral("Файл записан в кодировке %1: в нём есть символы, которых нет в кодировке "
                          "Windows-1251.")
        .arg(encodingName(encoding));
}

QString depTransPath(const QString& resourceDir)
{
    return fileInDirIgnoringCase(resourceDir, export_texts::kFileName);
}

std::optional<FileError> writeDepTrans(const QString& resourceDir, const ExportList& list)
{
    if (resourceDir.isEmpty() || !QFileInfo(resourceDir).isDir())
        return FileError{QDir(resourceDir).filePath(export_texts::kFileName),
                         QStringLiteral("каталог с ресурсами не найден")};
    // DepTrans.txt is the program's own file: a link at its name (into a script, or
    // out of the resource directory) gives way to a new regular file, never written through.
    SafeWriteOptions options = replacingLink();
    options.within = resourceDir;
    return writeLines(depTransPath(resourceDir), list.Items(), depTransEncoding(list), options);
}

ExportOutcome runDeferredExport(const Project& project, const ExportTarget& target,
                                const ExportRunCallbacks& callbacks)
{
    const auto started = [&callbacks](ExportStep step) {
        if (callbacks.stepStarted)
            callbacks.stepStarted(step);
    };
    const auto finished = [&callbacks](ExportStep step) {
        if (callbacks.stepFinished)
            callbacks.stepFinished(step);
    };
    ExportOutcome outcome;
    started(ExportStep::Scan);
    collectExportPhrases(project.stores(), outcome.list, callbacks.scan);
    finished(ExportStep::Scan);
    if (outcome.list.IsEmpty())
        return outcome;

    const bool intoResources = target.output.isEmpty();
    outcome.path = intoResources ? depTransPath(target.resourceDir) : target.output;
    if (callbacks.refuseTarget)
        outcome.refusal = callbacks.refuseTarget();
    if (!outcome.refusal.isEmpty()) {
        outcome.status = ExportOutcome::Status::Refused;
        return outcome;
    }

    started(ExportStep::Prepare);
    prepareExportList(outcome.list);
    finished(ExportStep::Prepare);

    started(ExportStep::Write);
    {
        // A run writing in the resource directory now is not written across.
        std::optional<DirectoryLock> resources;
        if (intoResources && target.lock == ResourceDirectoryLock::Take)
            resources.emplace(target.resourceDir);
        if (resources && resources->isTaken())
            outcome.error = FileError{outcome.path, resources->takenMessage()};
        else if (intoResources)
            outcome.error = writeDepTrans(target.resourceDir, outcome.list);
        else
            outcome.error = writeLines(target.output, outcome.list.Items(), depTransEncoding(outcome.list));
    }
    finished(ExportStep::Write);
    outcome.status = outcome.error ? ExportOutcome::Status::NotWritten : ExportOutcome::Status::Written;
    return outcome;
}

} // namespace kvarsel
