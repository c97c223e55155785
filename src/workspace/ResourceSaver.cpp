#include "workspace/ResourceSaver.h"

#include "text/TextFile.h"

#include <QFileInfo>

namespace kvarsel {

QString resourceDirectoryOf(const QString& scriptPath)
{
    return QFileInfo(QFileInfo(scriptPath).absolutePath()).absolutePath();
}

QStringList scriptLines(const LineStore& store, qsizetype markerRow)
{
    QStringList lines;
    for (qsizetype j = markerRow + 1; j < store.RowCount() && !store.IsFileMarker(j); ++j)
        lines.append(store.ComposedLine(j));
    return lines;
}

SaveResult saveResources(const ConstLineStores& stores, const SaveCallbacks& callbacks)
{
    SaveResult result;
    for (const ResourceKind kind : kAllKinds) {
        const LineStore& store = *stores[kindIndex(kind)];
        const qsizetype count = store.RowCount();
        if (count == 0)
            continue;
        if (callbacks.kindStarted)
            callbacks.kindStarted(kind, count);
        for (qsizetype i = 0; i < count; ++i) {
            if (callbacks.rowReached)
                callbacks.rowReached(kind, i);
            if (!store.IsFileMarker(i))
                continue;
            // Checked again now, not only at load: a link changed since then must not
            // carry the save out of the chosen directory.
            const QString path = store.MarkerPath(i);
            const SafeWriteOptions confined{LinkAtTarget::Follow, resourceDirectoryOf(path)};
            if (auto error = writeLines(path, scriptLines(store, i), store.MarkerEncoding(i), confined))
                result.errors.append(*error);
            else
                ++result.filesWritten;
        }
        if (callbacks.kindFinished)
            callbacks.kindFinished(kind);
    }
    return result;
}

} // namespace kvarsel
