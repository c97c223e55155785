#include "batch/BatchStats.h"

#include "batch/BatchLoad.h"
#include "batch/BatchTexts.h"
#include "deferred/DeferredExport.h"
#include "project/Project.h"

namespace kvarsel {

KindCounts ResourceStats::total() const
{
    KindCounts sum;
    for (const KindCounts& k : kinds) {
        sum.files += k.files;
        sum.lines += k.lines;
        sum.texts += k.texts;
        sum.russian += k.russian;
        sum.exportable += k.exportable;
        for (int e = 0; e < kEncodingCount; ++e)
            sum.encodings[size_t(e)] += k.encodings[size_t(e)];
    }
    return sum;
}

ResourceStats countLoaded(const ConstLineStores& stores)
{
    ResourceStats stats;
    for (const ResourceKind kind : kAllKinds) {
        const LineStore& store = *stores[size_t(kindIndex(kind))];
        KindCounts& counts = stats.kinds[size_t(kindIndex(kind))];
        const std::vector<LineStore::Script> scripts = store.scripts();
        for (const LineStore::Script& script : scripts)
            ++counts.encodings[size_t(encodingIndex(script.encoding))];
        counts.files = qsizetype(scripts.size());
        counts.lines = store.RowCount() - counts.files;
        // The same counts the main window shows as "Переведено N из M".
        counts.texts = store.TextRowCount();
        counts.russian = store.RussianRowCount();
    }
    return stats;
}

ResourceStats countResources(const ConstLineStores& stores)
{
    ResourceStats stats = countLoaded(stores);
    for (const ResourceKind kind : kAllKinds) {
        const LineStore& store = *stores[size_t(kindIndex(kind))];
        KindCounts& counts = stats.kinds[size_t(kindIndex(kind))];
        // The export's own scan decides, with its rule about which kinds and rows
        // it looks at; the other kinds are left out by giving it empty stores.
        const LineStore empty(kind);
        ConstLineStores only{&empty, &empty, &empty, &empty};
        only[size_t(kindIndex(kind))] = &store;
        ExportList list;
        collectExportPhrases(only, list);
        counts.exportable = list.Count();
    }
    ExportList all;
    collectExportPhrases(stores, all);
    prepareExportList(all);
    stats.exportPhrases = all.Count();
    return stats;
}

QStringList formatStats(const ResourceStats& stats)
{
    const auto row = [](const QString& name, const KindCounts& k) {
        return QStringLiteral("%1%2%3%4%5%6")
            .arg(name, -8)
            .arg(k.files, 8)
            .arg(k.lines, 9)
            .arg(k.texts, 9)
            .arg(k.russian, 12)
            .arg(k.exportable, 14);
    };
    QStringList lines;
    lines << QStringLiteral("%1%2%3%4%5%6")
                 .arg(QStringLiteral("Вид"), -8)
                 .arg(QStringLiteral("Файлов"), 8)
                 .arg(QStringLiteral("Строк"), 9)
                 .arg(QStringLiteral("Текстов"), 9)
                 .arg(QStringLiteral("На русском"), 12)
                 .arg(QStringLiteral("Для экспорта"), 14);
    for (const ResourceKind kind : kAllKinds)
        lines << row(kindInfo(kind).name, stats.kinds[size_t(kindIndex(kind))]);
    lines << row(QStringLiteral("Всего"), stats.total());
    lines << formatEncodings(stats);
    lines
        << QStringLiteral("Фраз для файла отложенного перевода (без повторов): %1").arg(stats.exportPhrases);
    return lines;
}

QStringList formatEncodings(const ResourceStats& stats)
{
    const auto width = [](TextEncoding e) { return int(qMax<qsizetype>(encodingName(e).size() + 2, 8)); };
    QString header = QStringLiteral("%1").arg(QStringLiteral("Вид"), -8);
    for (const TextEncoding e : kAllEncodings)
        header += QStringLiteral("%1").arg(encodingName(e), width(e));
    const auto row = [&width](const QString& name, const KindCounts& k) {
        QString line = QStringLiteral("%1").arg(name, -8);
        for (const TextEncoding e : kAllEncodings)
            line += QStringLiteral("%1").arg(k.encodings[size_t(encodingIndex(e))], width(e));
        return line;
    };
    QStringList lines{QStringLiteral("Кодировки сценариев:"), header};
    for (const ResourceKind kind : kAllKinds)
        lines << row(kindInfo(kind).name, stats.kinds[size_t(kindIndex(kind))]);
    lines << row(QStringLiteral("Всего"), stats.total());
    return lines;
}

int runStats(const BatchCommand& command, BatchConsole& console)
{
    const QString problem = checkResourceDirectory(command.resourceDir);
    if (!problem.isEmpty()) {
        console.err(batch_texts::kProgram + QStringLiteral(": ") + problem);
        return kExitUsage;
    }
    // Counting needs only the project's four line stores.
    Project project{command.workDir};
    const LoadResult loaded = loadWithProgress(command, project, console);
    reportFailures(console, batch_texts::kScriptsNotRead, loaded.errors);
    console.out(formatStats(countResources(std::as_const(project).stores())).join(QChar(10)));
    if (!loaded.errors.isEmpty())
        return kExitFileError;
    return kExitOk;
}

} // namespace kvarsel
